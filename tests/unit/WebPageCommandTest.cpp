#include "host/WebPageCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kAddress = "http://www.example.com/vellumar/";

// Runs the builder on a registry value as the registry returns it: `value` holds the bytes
// written (the whole buffer is filled with a marker first, so a read past them shows).
struct Built {
    bool started;
    std::string line;
};

Built Build(const std::string& value, std::size_t reportedSize, std::size_t bufferSize = 256,
            const std::string& address = kAddress)
{
    std::vector<char> buffer(bufferSize, 'X');
    std::memcpy(buffer.data(), value.data(), std::min(value.size(), bufferSize));
    char line[kWebPageCommandSize];
    std::memset(line, '#', sizeof line);
    const bool started = BuildWebPageCommand(buffer.data(), bufferSize, reportedSize, address, line);
    return {started, std::string(line)};
}

// A value written with its terminating zero, as a REG_SZ value normally is.
Built BuildString(const std::string& text)
{
    return Build(text + '\0', text.size() + 1);
}

} // namespace

TEST(WebPageCommand, AddressFollowsTheRegisteredTextWithNothingBetween)
{
    EXPECT_EQ(BuildString("browser.exe ").line, "browser.exe " + kAddress);
    EXPECT_EQ(BuildString("\"C:\\Program Files\\Browser\\browser.exe\"").line,
              "\"C:\\Program Files\\Browser\\browser.exe\"" + kAddress);
    EXPECT_EQ(BuildString("browser.exe -nohome").line, "browser.exe -nohome" + kAddress);
    // "%1" is not a placeholder here: it stays, and the address comes after it.
    EXPECT_EQ(BuildString("browser.exe \"%1\" ").line, "browser.exe \"%1\" " + kAddress);
    EXPECT_TRUE(BuildString("browser.exe ").started);
}

TEST(WebPageCommand, TextEndsAtTheFirstZeroByte)
{
    // A multi-string value or stray bytes after the zero contribute nothing.
    EXPECT_EQ(Build(std::string("a.exe \0junk\0", 12), 12).line, "a.exe " + kAddress);
}

TEST(WebPageCommand, DataWithoutTerminatingZeroIsReadOnlyAsFarAsReturned)
{
    // Five bytes returned, no zero among them; the marker bytes after them must not be read.
    const Built built = Build("a.exe", 5);
    EXPECT_TRUE(built.started);
    EXPECT_EQ(built.line, "a.exe" + kAddress);
}

TEST(WebPageCommand, ValueFillingTheWholeBufferWithoutZeroIsRefused)
{
    // 256 bytes with no zero: the text alone already leaves no room for the address.
    const Built built = Build(std::string(256, 'b'), 256);
    EXPECT_FALSE(built.started);
    EXPECT_EQ(built.line, "");
}

TEST(WebPageCommand, ValueLargerThanTheBufferIsRefused)
{
    // The registry reports the size it needed; the buffer then holds no complete value.
    EXPECT_FALSE(Build("a.exe ", 300).started);
    EXPECT_FALSE(Build("a.exe ", 257).started);
    EXPECT_EQ(Build("a.exe ", 300).line, "");
}

TEST(WebPageCommand, EmptyTextStartsNothing)
{
    EXPECT_FALSE(Build("", 0).started);
    EXPECT_FALSE(BuildString("").started);
    EXPECT_EQ(Build("", 0).line, "");
}

TEST(WebPageCommand, WholeCommandMustFitIn255Characters)
{
    const std::size_t room = 255 - kAddress.size();
    const Built fits = BuildString(std::string(room, 'c'));
    EXPECT_TRUE(fits.started);
    EXPECT_EQ(fits.line.size(), 255u);
    EXPECT_EQ(fits.line, std::string(room, 'c') + kAddress);

    const Built tooLong = BuildString(std::string(room + 1, 'c'));
    EXPECT_FALSE(tooLong.started);
    EXPECT_EQ(tooLong.line, "");

    // A text of 255 bytes fills the buffer on its own.
    EXPECT_FALSE(BuildString(std::string(255, 'c')).started);
}

TEST(WebPageCommand, LongAddressesAreRefusedNotCut)
{
    EXPECT_TRUE(Build(std::string("a\0", 2), 2, 256, std::string(254, 'u')).started);
    EXPECT_FALSE(Build(std::string("a\0", 2), 2, 256, std::string(255, 'u')).started);
    EXPECT_FALSE(Build(std::string("a\0", 2), 2, 256, std::string(100000, 'u')).started);
    EXPECT_FALSE(Build(std::string("a\0", 2), 2, 256, std::string("http://x\0.exe", 13)).started);
}

TEST(WebPageCommand, SmallBuffersAndMissingDataAreHandled)
{
    // A smaller buffer whose reported size exceeds it.
    EXPECT_FALSE(Build("abcdefgh", 9, 4).started);
    // Data in a four-byte buffer with no zero is read to its end only.
    EXPECT_EQ(Build("abcd", 4, 4).line, "abcd" + kAddress);

    char line[kWebPageCommandSize] = "stale";
    EXPECT_FALSE(BuildWebPageCommand(nullptr, 256, 10, kAddress, line));
    EXPECT_STREQ(line, "");
}

TEST(WebPageCommand, BinaryDataIsTakenAsTextUpToItsFirstZero)
{
    // The value's type is not looked at: a DWORD 0x00000041 reads as "A".
    EXPECT_EQ(Build(std::string("A\0\0\0", 4), 4).line, "A" + kAddress);
    EXPECT_FALSE(Build(std::string("\0\0\0\x41", 4), 4).started);
}
