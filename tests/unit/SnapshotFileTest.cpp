#include <gtest/gtest.h>

#include <climits>

#include "imaging/BitmapFile.h"
#include "imaging/SnapshotPathRule.h"

TEST(SnapshotPathRule, KeepsEveryDirectoryLevelAndReplacesTheFileName)
{
    EXPECT_EQ("D:\\Work\\Temp\\cTempPicture.bmp", SnapshotPathInDirectoryOf("D:\\Work\\Temp\\~ex1A2B.tmp"));
    EXPECT_EQ("C:\\cTempPicture.bmp", SnapshotPathInDirectoryOf("C:\\~ex1.tmp"));
    EXPECT_EQ("\\\\server\\share\\cTempPicture.bmp", SnapshotPathInDirectoryOf("\\\\server\\share\\~exF.tmp"));
}

TEST(SnapshotPathRule, NameWithoutDirectoryGivesNoPath)
{
    EXPECT_EQ("", SnapshotPathInDirectoryOf(""));
    EXPECT_EQ("", SnapshotPathInDirectoryOf("~ex1.tmp"));
    EXPECT_EQ("", SnapshotPathInDirectoryOf("\\~ex1.tmp"));
}

TEST(SnapshotPathRule, TemporaryDirectoryItselfWithOrWithoutBackslash)
{
    EXPECT_EQ("C:\\Users\\me\\Temp\\cTempPicture.bmp", SnapshotPathInDirectory("C:\\Users\\me\\Temp\\"));
    EXPECT_EQ("C:\\Users\\me\\Temp\\cTempPicture.bmp", SnapshotPathInDirectory("C:\\Users\\me\\Temp"));
    EXPECT_EQ("C:\\cTempPicture.bmp", SnapshotPathInDirectory("C:\\"));
    EXPECT_EQ("", SnapshotPathInDirectory(""));
    EXPECT_EQ("", SnapshotPathInDirectory("\\\\"));
}

TEST(SnapshotFileHeaders, SizesOfTypicalDisplays)
{
    const BitmapHeaders screen = MakeBitmapHeaders(1024, 768, 32);
    EXPECT_EQ(3145782u, screen.fileSize);
    EXPECT_EQ(3145728u, screen.imageSize);
    EXPECT_EQ(54u, screen.pixelOffset);
    EXPECT_EQ(768, screen.height);
    EXPECT_EQ(32, screen.bitCount);

    const BitmapHeaders wide = MakeBitmapHeaders(1366, 768, 24);
    EXPECT_EQ(4100u * 768u, wide.imageSize);
    EXPECT_TRUE(IsSafeSnapshotFile(screen, screen.fileSize));
    EXPECT_TRUE(IsSafeSnapshotFile(wide, wide.fileSize));
}

TEST(SnapshotFileHeaders, EncodedBytesFollowTheFileLayout)
{
    const auto bytes = EncodeBitmapHeaders(MakeBitmapHeaders(1024, 768, 32));
    const uint8_t expected[54] = {
        'B', 'M', 0x36, 0x00, 0x30, 0x00, 0, 0, 0, 0, 54, 0, 0, 0, // file header
        40,  0,   0,    0,    0x00, 0x04, 0, 0, 0x00, 0x03, 0, 0, // size, width, height
        1,   0,   32,   0,    0,    0,    0, 0,                   // planes, bits, compression
        0x00, 0x00, 0x30, 0x00,                                   // image size
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < 54; ++i)
        EXPECT_EQ(expected[i], bytes[i]) << "byte " << i;
}

TEST(SnapshotFileCheck, RefusesFilesTheLoaderWouldTrustWrongly)
{
    const BitmapHeaders good = MakeBitmapHeaders(64, 32, 32);
    EXPECT_TRUE(IsSafeSnapshotFile(good, good.fileSize));
    EXPECT_TRUE(IsSafeSnapshotFile(good, good.fileSize + 100));
    // Truncated: the loader would read past the end.
    EXPECT_FALSE(IsSafeSnapshotFile(good, good.fileSize - 1));
    EXPECT_FALSE(IsSafeSnapshotFile(good, 54));
    // The same without a declared image size, and with a file size that matches the short file:
    // the rows themselves must fit.
    BitmapHeaders undeclared = good;
    undeclared.imageSize = 0;
    undeclared.fileSize = good.fileSize - 1;
    EXPECT_FALSE(IsSafeSnapshotFile(undeclared, good.fileSize - 1));

    auto changed = [&](auto change) {
        BitmapHeaders headers = good;
        change(headers);
        return IsSafeSnapshotFile(headers, good.fileSize);
    };
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.type = 0x4142; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.infoSize = 124; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.infoSize = 12; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.planes = 2; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.compression = kBiBitfields; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.compression = 1; })); // run-length
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.bitCount = 8; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.bitCount = 0; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.bitCount = 64; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.width = 0; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.width = -64; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.height = -32; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.height = 0; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.width = kMaxBitmapSide + 1; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.height = INT32_MAX; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.colorsUsed = 2; }));
    // Pixel offset or declared sizes beyond the end of the file.
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.pixelOffset = 55; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.pixelOffset = 0xFFFFFFF0u; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.pixelOffset = 10; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.imageSize += 1; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.imageSize = 0xFFFFFFFFu; }));
    EXPECT_FALSE(changed([](BitmapHeaders& h) { h.fileSize += 1; }));
    // Sizes whose product would wrap in 32 bits are not mistaken for small ones.
    EXPECT_FALSE(changed([](BitmapHeaders& h) {
        h.width = kMaxBitmapSide;
        h.height = kMaxBitmapSide;
        h.imageSize = 0;
    }));
}
