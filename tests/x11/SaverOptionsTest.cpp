#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "x11/SaverOptions.h"

namespace {

SaverOptions Parsed(const std::vector<std::string>& args, const char* variable = nullptr)
{
    SaverOptions options;
    std::string error;
    EXPECT_TRUE(ParseSaverOptions(args, variable, options, error)) << error;
    EXPECT_TRUE(error.empty());
    return options;
}

std::string Refused(const std::vector<std::string>& args, const char* variable = nullptr)
{
    SaverOptions options;
    std::string error;
    EXPECT_FALSE(ParseSaverOptions(args, variable, options, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    return error;
}

uint32_t WindowId(const std::string& text)
{
    uint32_t id = 0;
    EXPECT_TRUE(ParseWindowId(text, id)) << text;
    return id;
}

} // namespace

TEST(SaverOptions, WindowIdsInDecimalAndHexadecimal)
{
    EXPECT_EQ(1u, WindowId("1"));
    EXPECT_EQ(6291464u, WindowId("6291464"));
    EXPECT_EQ(0x600008u, WindowId("0x600008"));
    EXPECT_EQ(0x1Fu, WindowId("0X1f"));
    EXPECT_EQ(0x1FFFFFFFu, WindowId("0x1FFFFFFF"));
    EXPECT_EQ(0x1FFFFFFFu, WindowId("536870911"));
    EXPECT_EQ(10u, WindowId("010"));  // decimal, not octal
    EXPECT_EQ(5u, WindowId("0x00000005"));
}

TEST(SaverOptions, WindowIdsNoServerCanGiveAreRefused)
{
    for (const char* text : {"", "0", "0x0", "0x", "0X", "x1", "-1", "+1", " 1", "1 ", "1\n", "12abc", "0x1g", "1.0",
                             "0x20000000", "536870912", "4294967295", "4294967296", "99999999999999999999999",
                             "0x10000000000000001", "1e3", "0b101"}) {
        uint32_t id = 77;
        EXPECT_FALSE(ParseWindowId(text, id)) << "'" << text << "'";
        EXPECT_EQ(77u, id) << text;
    }
}

TEST(SaverOptions, TargetsAndTheirPrecedence)
{
    EXPECT_EQ(SaverTarget::Standalone, Parsed({}).target);
    EXPECT_EQ(SaverTarget::Root, Parsed({"--root"}).target);
    EXPECT_EQ(SaverTarget::Root, Parsed({"-root"}).target);

    SaverOptions window = Parsed({"--window-id", "0x400001"});
    EXPECT_EQ(SaverTarget::Window, window.target);
    EXPECT_EQ(0x400001u, window.windowId);
    EXPECT_FALSE(window.windowFromEnvironment);
    EXPECT_EQ(0x400002u, Parsed({"-window-id", "0x400002"}).windowId);
    EXPECT_EQ(1234u, Parsed({"--window-id=1234"}).windowId);

    // The daemon's variable, with or without --root; --window-id outranks it.
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"--root"}}) {
        const SaverOptions daemon = Parsed(args, "0x600008");
        EXPECT_EQ(SaverTarget::Window, daemon.target);
        EXPECT_EQ(0x600008u, daemon.windowId);
        EXPECT_TRUE(daemon.windowFromEnvironment);
    }
    // The settings program's preview: --root --window-id ID.
    const SaverOptions preview = Parsed({"--root", "--window-id", "0x200EE5"}, "0x200EE5");
    EXPECT_EQ(SaverTarget::Window, preview.target);
    EXPECT_EQ(0x200EE5u, preview.windowId);
    EXPECT_EQ(0x1234u, Parsed({"--window-id", "0x1234", "-root"}).windowId);
    const SaverOptions explicitWindow = Parsed({"--window-id", "77"}, "garbage");
    EXPECT_EQ(77u, explicitWindow.windowId);
    EXPECT_FALSE(explicitWindow.windowFromEnvironment);
    EXPECT_EQ(SaverTarget::Root, Parsed({"--root"}, "").target);  // set but empty: not set
}

TEST(SaverOptions, DisplayAndTicks)
{
    EXPECT_EQ(":3", Parsed({"--display", ":3"}).display);
    EXPECT_EQ("host:0.1", Parsed({"-display=host:0.1"}).display);
    const SaverOptions replay = Parsed({"--ticks", "1,3,2", "--root"});
    EXPECT_TRUE(replay.replay);
    EXPECT_EQ((std::vector<uintptr_t>{1, 3, 2}), replay.ticks);
    EXPECT_EQ((std::vector<uintptr_t>{1, 3, 1, 3}), Parsed({"--ticks=std:2"}).ticks);
    EXPECT_FALSE(Parsed({}).replay);
}

TEST(SaverOptions, HelpWinsOverEverythingElse)
{
    EXPECT_TRUE(Parsed({"--help"}).help);
    EXPECT_TRUE(Parsed({"-help"}).help);
    EXPECT_TRUE(Parsed({"--bogus", "-h"}).help);
}

TEST(SaverOptions, BadCommandLinesSayWhyInOneLine)
{
    EXPECT_NE(std::string::npos, Refused({"--bogus"}).find("unknown option"));
    EXPECT_NE(std::string::npos, Refused({"root"}).find("unexpected argument"));
    EXPECT_NE(std::string::npos, Refused({"-"}).find("unexpected argument"));
    EXPECT_NE(std::string::npos, Refused({"---root"}).find("unknown option"));
    EXPECT_NE(std::string::npos, Refused({"--root", "--root"}).find("twice"));
    EXPECT_NE(std::string::npos, Refused({"--root=yes"}).find("no value"));
    EXPECT_NE(std::string::npos, Refused({"--window-id"}).find("needs a value"));
    EXPECT_NE(std::string::npos, Refused({"--window-id", "--root"}).find("needs a value"));
    EXPECT_NE(std::string::npos, Refused({"--window-id", "-5"}).find("needs a value"));
    EXPECT_NE(std::string::npos, Refused({"--window-id="}).find("empty value"));
    EXPECT_NE(std::string::npos, Refused({"--window-id", "0"}).find("invalid window id"));
    EXPECT_NE(std::string::npos, Refused({"--window-id", "1", "--window-id", "2"}).find("twice"));
    EXPECT_NE(std::string::npos, Refused({"--display"}).find("needs a value"));
    EXPECT_NE(std::string::npos, Refused({"--ticks", "1,,2"}).find("tick list"));
    EXPECT_NE(std::string::npos, Refused({"--ticks", "std:0"}).find("std:N"));
    EXPECT_NE(std::string::npos, Refused({"--ticks", "1", "--ticks", "1"}).find("twice"));
    // A hostile value is shown short and without control characters.
    const std::string shown = Refused({"--window-id", std::string(500, '7') + "\x1b[2J\n"});
    EXPECT_LT(shown.size(), 200u);
    EXPECT_EQ(std::string::npos, shown.find('\x1b'));
}

TEST(SaverOptions, AVariableThatNamesNoWindowIsRefused)
{
    for (const char* value : {"0", "nonsense", "0x", "-3", "0x20000000", " 0x400001"})
        EXPECT_NE(std::string::npos, Refused({}, value).find("XSCREENSAVER_WINDOW")) << value;
    EXPECT_NE(std::string::npos, Refused({"--root"}, "bad").find("XSCREENSAVER_WINDOW"));
}
