#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "host/CommandLine.h"

namespace {

// Shift-JIS (code page 932): lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes include
// 0x5C ("\"), 0x63 ("c") and 0x70 ("p").
bool ShiftJisLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

using Args = std::vector<std::string>;

Args Split(const std::string& line)
{
    return SplitCommandLine(line, NoLeadBytes);
}

SaverMode ModeOf(const std::string& line)
{
    return ChooseSaverMode(Split(line), NoLeadBytes);
}

}  // namespace

TEST(CommandLine, EveryRowOfTheModeTable)
{
    struct Row {
        const char* line;
        const char* firstArgument;  // null: none
        SaverMode mode;
    };
    const Row rows[] = {
        {"Vellumar.scr", nullptr, SaverMode::Configure},
        {"Vellumar.scr /c", "/c", SaverMode::Configure},
        {"Vellumar.scr /c:1234", "/c:1234", SaverMode::Configure},
        {"Vellumar.scr -c 1234", "-c", SaverMode::Configure},
        {"Vellumar.scr /C", "/C", SaverMode::FullScreen},
        {"Vellumar.scr /p 1234", "/p", SaverMode::Preview},
        {"Vellumar.scr -p 1234", "-p", SaverMode::Preview},
        {"Vellumar.scr /P 1234", "/P", SaverMode::FullScreen},
        {"Vellumar.scr /s", "/s", SaverMode::FullScreen},
        {"Vellumar.scr /S", "/S", SaverMode::FullScreen},
        {"Vellumar.scr /a 1234", "/a", SaverMode::FullScreen},
        {"Vellumar.scr /cp 5", "/cp", SaverMode::Configure},
        {"Vellumar.scr /screen", "/screen", SaverMode::Configure},
        {"Vellumar.scr /preview 1234", "/preview", SaverMode::Preview},
        {"Vellumar.scr /s /p 1234", "/s", SaverMode::FullScreen},
        {"Vellumar.scr \"\"", "", SaverMode::FullScreen},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const Args args = Split(row.line);
        if (row.firstArgument) {
            ASSERT_GE(args.size(), 2u);
            EXPECT_EQ(row.firstArgument, args[1]);
        } else {
            EXPECT_EQ(1u, args.size());
        }
        EXPECT_EQ(row.mode, ChooseSaverMode(args, NoLeadBytes));
    }
}

TEST(CommandLine, PreviewHostHandleFromTheSecondArgument)
{
    EXPECT_EQ(1234, PreviewHostValue(Split("Vellumar.scr /p 1234")));
    EXPECT_EQ(1234, PreviewHostValue(Split("Vellumar.scr /p 1234abc")));
    EXPECT_EQ(0, PreviewHostValue(Split("Vellumar.scr /p")));
    EXPECT_EQ(0, PreviewHostValue(Split("Vellumar.scr /p window")));
    EXPECT_EQ(0, PreviewHostValue(Split("Vellumar.scr /p \"\"")));
    EXPECT_EQ(77, PreviewHostValue(Split("Vellumar.scr /p \" 77\" 99")));
    EXPECT_EQ(0, PreviewHostValue(Split("")));
}

TEST(CommandLine, HandleReadsLikeAtolAndWrapsAt32Bits)
{
    EXPECT_EQ(1234, ParseHandleArgument("1234"));
    EXPECT_EQ(1234, ParseHandleArgument(" \t\n\v\f\r1234"));
    EXPECT_EQ(1234, ParseHandleArgument("+1234"));
    EXPECT_EQ(-1234, ParseHandleArgument("-1234"));
    EXPECT_EQ(0, ParseHandleArgument("+-1234"));
    EXPECT_EQ(0, ParseHandleArgument("- 1234"));
    EXPECT_EQ(0, ParseHandleArgument(""));
    EXPECT_EQ(0, ParseHandleArgument("+"));
    EXPECT_EQ(0, ParseHandleArgument("0x1234"));
    EXPECT_EQ(12, ParseHandleArgument("12 34"));
    EXPECT_EQ(INT_MAX, ParseHandleArgument("2147483647"));
    EXPECT_EQ(INT_MIN, ParseHandleArgument("2147483648"));
    EXPECT_EQ(INT_MIN, ParseHandleArgument("-2147483648"));
    // Unsigned 32-bit values come back as the same bit pattern.
    EXPECT_EQ(static_cast<int32_t>(0xFFFFFFFFu), ParseHandleArgument("4294967295"));
    EXPECT_EQ(static_cast<int32_t>(0x80000010u), ParseHandleArgument("2147483664"));
    EXPECT_EQ(0, ParseHandleArgument("4294967296"));
    EXPECT_EQ(1, ParseHandleArgument("-4294967295"));
    // Far too many digits wrap silently instead of overflowing.
    const int32_t wrapped = ParseHandleArgument("123456789012345678901234567890");
    EXPECT_EQ(static_cast<int32_t>(0x4E3F0AD2u), wrapped);  // the value mod 2^32
    EXPECT_EQ(7, ParseHandleArgument(std::string(100000, '0') + "7"));
}

TEST(CommandLine, HandleValuesAreSignExtendedToPointerWidth)
{
    EXPECT_EQ(static_cast<std::intptr_t>(-1), HandleValueToPointerWidth(ParseHandleArgument("4294967295")));
    EXPECT_EQ(static_cast<std::intptr_t>(INT32_MIN),
              HandleValueToPointerWidth(ParseHandleArgument("2147483648")));
    EXPECT_EQ(static_cast<std::intptr_t>(0x10046), HandleValueToPointerWidth(ParseHandleArgument("65606")));
}

TEST(CommandLine, QuotesGroupAndBackslashesEscapeOnlyBeforeQuotes)
{
    EXPECT_EQ((Args{"prog", "a b", "c"}), Split("prog \"a b\" c"));
    EXPECT_EQ((Args{"prog", "ab c"}), Split("prog a\"b c\""));
    EXPECT_EQ((Args{"prog", "a\"b"}), Split("prog a\\\"b"));
    EXPECT_EQ((Args{"prog", "a\\b"}), Split("prog a\\\\\"b\""));   // 2n backslashes: n, quote groups
    EXPECT_EQ((Args{"prog", "a\\\"b"}), Split("prog a\\\\\\\"b"));  // 2n+1: n and a literal quote
    EXPECT_EQ((Args{"prog", "a\\\\b"}), Split("prog a\\\\b"));      // not before a quote: literal
    EXPECT_EQ((Args{"prog", "a\"b"}), Split("prog \"a\"\"b\""));    // "" inside quotes
    EXPECT_EQ((Args{"prog", "x y"}), Split("prog \"x y"));           // unterminated quote runs to the end
    EXPECT_EQ((Args{"prog", ""}), Split("prog \"\""));
    EXPECT_EQ((Args{"prog", "", ""}), Split("prog \"\" \"\""));
}

TEST(CommandLine, BlanksSeparateAndNothingIsMadeOfTrailingBlanks)
{
    EXPECT_EQ((Args{"prog", "/p", "1234"}), Split("prog \t /p\t\t1234  \t"));
    EXPECT_EQ((Args{"prog"}), Split("prog   "));
    EXPECT_EQ((Args{""}), Split(""));
    EXPECT_EQ((Args{"", "/s"}), Split(" /s"));
    EXPECT_EQ((Args{"prog", "a\nb"}), Split("prog a\nb"));  // only blank and tab separate
}

TEST(CommandLine, ProgramNameTakesQuotesButNoEscapes)
{
    EXPECT_EQ((Args{"C:\\Program Files\\Vellumar.scr", "/s"}), Split("\"C:\\Program Files\\Vellumar.scr\" /s"));
    EXPECT_EQ((Args{"C:\\dir\\", "/p", "5"}), Split("\"C:\\dir\\\" /p 5"));
    EXPECT_EQ(SaverMode::Preview, ModeOf("\"C:\\Program Files\\screen.scr\" /p 5"));
    EXPECT_EQ(SaverMode::FullScreen, ModeOf("c:\\cpc\\Vellumar.scr /s"));  // only argv[1] counts
}

TEST(CommandLine, TrailBytesNeverMatchOrSplit)
{
    // 0x83 0x63 and 0x83 0x70 are two-byte characters whose trail bytes are "c" and "p".
    const std::string trailC = "/\x83\x63";
    const std::string trailP = "/\x83\x70";
    EXPECT_EQ(SaverMode::FullScreen, ChooseSaverMode({"prog", trailC}, ShiftJisLead));
    EXPECT_EQ(SaverMode::FullScreen, ChooseSaverMode({"prog", trailP}, ShiftJisLead));
    EXPECT_EQ(SaverMode::Preview, ChooseSaverMode({"prog", trailC + "p"}, ShiftJisLead));
    EXPECT_EQ(SaverMode::Configure, ChooseSaverMode({"prog", trailP + "c"}, ShiftJisLead));
    // In a single-byte code page the same bytes are plain characters.
    EXPECT_EQ(SaverMode::Configure, ChooseSaverMode({"prog", trailC}, NoLeadBytes));
    // A lead byte at the very end has no trail byte and is just a byte.
    EXPECT_EQ(SaverMode::Preview, ChooseSaverMode({"prog", "p\x83"}, ShiftJisLead));

    // 0x95 0x5C: the trail byte is a backslash and must not escape the quote after it.
    const Args args = SplitCommandLine("prog \"\x95\x5C\" /x", ShiftJisLead);
    EXPECT_EQ((Args{"prog", "\x95\x5C", "/x"}), args);
    // A trail byte that looks like a blank or a quote does not end or group anything.
    EXPECT_EQ((Args{"prog", "\x81\x22x"}), SplitCommandLine("prog \x81\x22x", ShiftJisLead));
}

TEST(CommandLine, HostileLinesSplitWithoutSurprises)
{
    const std::string longArgument(200000, 'p');
    const Args args = Split("prog " + longArgument + " 1");
    ASSERT_EQ(3u, args.size());
    EXPECT_EQ(longArgument, args[1]);
    EXPECT_EQ(SaverMode::Preview, ChooseSaverMode(args, NoLeadBytes));

    EXPECT_EQ((Args{"prog", std::string(5000, '\\')}), Split("prog " + std::string(5000, '\\')));
    EXPECT_EQ((Args{"prog", std::string(2500, '\\')}), Split("prog " + std::string(5000, '\\') + "\"\""));
    // Quotes in the program name only toggle grouping, so this is one program name.
    EXPECT_EQ((Args{" "}), Split("\"\"\" \"\"\"\""));
    EXPECT_EQ(SaverMode::Configure, ModeOf("\"\"\" \"\"\"\""));
    EXPECT_EQ((Args{"prog", "\x01\x7f\xff"}), Split("prog \x01\x7f\xff"));
}
