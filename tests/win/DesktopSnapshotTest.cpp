#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "GdiTestSupport.h"
#include "framework/CDC.h"
#include "framework/CSelectedObject.h"
#include "imaging/BitmapFile.h"
#include "imaging/DesktopSnapshot.h"
#include "imaging/PictureHolder.h"
#include "imaging/PixelSurface.h"

namespace {

std::string TestFile(const char* name)
{
    return TempDirectory() + name;
}

int32_t DisplayBitCount()
{
    HDC screen = ::GetDC(nullptr);
    const int32_t bits = ::GetDeviceCaps(screen, BITSPIXEL);
    ::ReleaseDC(nullptr, screen);
    return bits;
}

size_t CountTempNames()
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((TempDirectory() + "~ex*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do
        ++count;
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return count;
}

// Pixel (x, file row k) of a 32-bit file's pixel data.
uint32_t FilePixel(const std::vector<uint8_t>& file, int32_t width, int32_t x, int32_t row)
{
    uint32_t value;
    std::memcpy(&value, file.data() + kBitmapHeadersSize + (static_cast<size_t>(row) * width + x) * 4, 4);
    return value & 0x00FFFFFFu;
}

std::vector<uint8_t> ValidSnapshotBytes(int32_t width, int32_t height)
{
    const BitmapHeaders headers = MakeBitmapHeaders(width, height, 32);
    const auto encoded = EncodeBitmapHeaders(headers);
    std::vector<uint8_t> bytes(encoded.begin(), encoded.end());
    bytes.resize(headers.fileSize, 0x40);
    return bytes;
}

class DesktopSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (DisplayBitCount() != 32)
            GTEST_SKIP() << "the exact screen tests need a 32-bit display";
        screen = std::make_unique<PatternScreen>();
        ASSERT_TRUE(screen->IsShown()) << "the pattern window did not reach the screen";
        width = screen->Width();
        height = screen->Height();
    }

    std::unique_ptr<PatternScreen> screen;
    int32_t width = 0;
    int32_t height = 0;
};

} // namespace

TEST_F(DesktopSnapshotTest, FileHoldsTheScreenBottomRowFirstAndIsExactlyBfSizeLong)
{
    const std::string path = TestFile("snapshot-capture.bmp");
    // A longer file at the path must be replaced, not partly overwritten.
    ASSERT_TRUE(WriteWholeFile(path, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4 + 5000, 0x77)));
    ASSERT_TRUE(DesktopSnapshot::CaptureToFile(path));

    const std::vector<uint8_t> file = ReadWholeFile(path);
    const BitmapHeaders expected = MakeBitmapHeaders(width, height, 32);
    ASSERT_EQ(expected.fileSize, file.size());
    const auto expectedBytes = EncodeBitmapHeaders(expected);
    EXPECT_TRUE(std::equal(expectedBytes.begin(), expectedBytes.end(), file.begin())) << "headers";
    if (width == 1024 && height == 768) {
        EXPECT_EQ(3145782u, file.size());
    }
    for (int32_t row = 0; row < height; ++row)
        for (int32_t x = 0; x < width; ++x)
            ASSERT_EQ(PatternPixel(x, height - 1 - row), FilePixel(file, width, x, row))
                << "file row " << row << ", column " << x;
    EXPECT_TRUE(DesktopSnapshot::RemoveSnapshot(path));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(DesktopSnapshotTest, LoadMirroredPutsTheScreensBottomRowOnTop)
{
    const std::string path = TestFile("snapshot-mirror.bmp");
    ASSERT_TRUE(DesktopSnapshot::CaptureToFile(path));
    CBitmap bitmap;
    ASSERT_TRUE(DesktopSnapshot::LoadMirrored(path, bitmap));
    DesktopSnapshot::RemoveSnapshot(path);
    const std::vector<uint32_t> pixels = ReadBitmap(bitmap);
    ASSERT_EQ(static_cast<size_t>(width) * height, pixels.size());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            ASSERT_EQ(PatternPixel(x, height - 1 - y), pixels[static_cast<size_t>(y) * width + x])
                << "bitmap (" << x << ", " << y << ")";
}

TEST_F(DesktopSnapshotTest, WholeChainGivesTheDesktopUprightInBottomUpMemory)
{
    // What the drawing window does at full-screen creation.
    const std::string path = DesktopSnapshot::SnapshotPath();
    ASSERT_FALSE(path.empty());
    CBitmap snapshotBitmap;
    ASSERT_TRUE(DesktopSnapshot::CaptureToFile(path));
    ASSERT_TRUE(DesktopSnapshot::LoadMirrored(path, snapshotBitmap));
    EXPECT_TRUE(DesktopSnapshot::RemoveSnapshot(path));
    EXPECT_FALSE(FileExists(path)) << "the picture of the desktop does not stay on disk";

    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&snapshotBitmap, nullptr, true));
    EXPECT_TRUE(snapshotBitmap.IsEmpty());
    PixelSurface source, output;
    source.CreateFromPicture(holder, width, height);
    output.CreateFromPicture(holder, width, height);
    for (PixelSurface* surface : {&source, &output}) {
        const uint32_t* pixels = surface->Pixels();
        ASSERT_NE(nullptr, pixels);
        for (int32_t row = 0; row < height; ++row)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(PatternPixel(x, height - 1 - row), pixels[static_cast<size_t>(row) * width + x])
                    << "memory row " << row << ", column " << x;
    }
}

TEST(DesktopSnapshot, MirrorTwiceRestoresThePictureInBothDirections)
{
    const int32_t width = 13, height = 9;
    HBITMAP source = MakeBitmap(width, height, PatternPixels(width, height));
    const std::vector<uint32_t> original = ReadBitmap(source); // as the display's depth holds it
    for (bool horizontal : {false, true}) {
        HBITMAP once = DesktopSnapshot::MirrorBitmap(source, horizontal);
        const std::vector<uint32_t> mirrored = ReadBitmap(once);
        ASSERT_EQ(original.size(), mirrored.size());
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t fromX = horizontal ? width - 1 - x : x;
                const int32_t fromY = horizontal ? y : height - 1 - y;
                ASSERT_EQ(original[static_cast<size_t>(fromY) * width + fromX],
                          mirrored[static_cast<size_t>(y) * width + x])
                    << (horizontal ? "columns" : "rows") << " (" << x << ", " << y << ")";
            }
        HBITMAP twice = DesktopSnapshot::MirrorBitmap(once, horizontal);
        EXPECT_EQ(original, ReadBitmap(twice)) << (horizontal ? "columns" : "rows");
        ::DeleteObject(once);
        ::DeleteObject(twice);
    }
    EXPECT_EQ(original, ReadBitmap(source)) << "the source is left as it was";
    ::DeleteObject(source);
    EXPECT_EQ(nullptr, DesktopSnapshot::MirrorBitmap(nullptr, false));
}

TEST(DesktopSnapshot, EveryPathGivesItsGraphicsObjectsBack)
{
    const std::string path = TestFile("snapshot-objects.bmp");
    const auto everyPath = [&] {
        ASSERT_TRUE(DesktopSnapshot::CaptureToFile(path));
        CBitmap bitmap;
        ASSERT_TRUE(DesktopSnapshot::LoadMirrored(path, bitmap));
        ::DeleteObject(DesktopSnapshot::MirrorBitmap(bitmap, true));
        {
            // A bitmap selected into another context cannot be selected for the copy.
            CDC other;
            ASSERT_TRUE(other.CreateCompatibleDC(nullptr));
            const CSelectedObject held(other, bitmap);
            ASSERT_TRUE(held.IsSelected());
            EXPECT_EQ(nullptr, DesktopSnapshot::MirrorBitmap(bitmap, false));
        }
        HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(DesktopSnapshot::CaptureToFile(path)) << "captured, but the file is held";
        ::CloseHandle(holder);
        WriteWholeFile(path, ValidSnapshotBytes(8, 8));
        EXPECT_TRUE(DesktopSnapshot::LoadMirrored(path, bitmap));
        DesktopSnapshot::RemoveSnapshot(path);
    };
    EXPECT_TRUE(GivesItsGdiObjectsBack(everyPath));
}

TEST(DesktopSnapshot, SnapshotPathLeavesNoTemporaryFileBehind)
{
    const size_t before = CountTempNames();
    const std::string tempName = DesktopSnapshot::MakeTempFileName();
    ASSERT_FALSE(tempName.empty());
    EXPECT_TRUE(FileExists(tempName)) << "the platform makes the empty file";
    EXPECT_NE(std::string::npos, tempName.find("~ex"));
    ::DeleteFileA(tempName.c_str());

    for (int start = 0; start < 5; ++start) {
        const std::string path = DesktopSnapshot::SnapshotPath();
        std::string directory = TempDirectory();
        directory.pop_back();
        EXPECT_EQ(directory + "\\cTempPicture.bmp", path);
    }
    EXPECT_EQ(before, CountTempNames());
}

TEST(DesktopSnapshot, WithoutATemporaryNameTheTemporaryDirectoryItselfIsUsed)
{
    // A temporary directory that does not exist: the platform can give no name in it.
    const std::string missing = TempDirectory() + "vellumar-missing-dir\\";
    {
        ScopedEnvironment tmp("TMP", missing);
        ScopedEnvironment temp("TEMP", missing);
        ASSERT_EQ(missing, TempDirectory()) << "the platform takes TMP as the temporary directory";
        EXPECT_EQ("", DesktopSnapshot::MakeTempFileName());
        EXPECT_EQ(missing + "cTempPicture.bmp", DesktopSnapshot::SnapshotPath());
        // And nothing can be written there: the caller then reads nothing back.
        EXPECT_FALSE(DesktopSnapshot::CaptureToFile(DesktopSnapshot::SnapshotPath()));
    }
    EXPECT_FALSE(DesktopSnapshot::CaptureToFile(""));
    EXPECT_FALSE(DesktopSnapshot::RemoveSnapshot(""));
    CBitmap bitmap;
    EXPECT_FALSE(DesktopSnapshot::LoadMirrored("", bitmap));
}

TEST(DesktopSnapshot, UnwritableFileIsReportedAndLeftAlone)
{
    const std::string path = TestFile("snapshot-locked.bmp");
    const std::vector<uint8_t> old = ValidSnapshotBytes(8, 8);
    ASSERT_TRUE(WriteWholeFile(path, old));
    // Another program holds the file open without sharing.
    HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(DesktopSnapshot::CaptureToFile(path)) << "a capture that wrote nothing is not a success";
    ::CloseHandle(holder);
    EXPECT_EQ(old, ReadWholeFile(path));
    DesktopSnapshot::RemoveSnapshot(path);
}

TEST(DesktopSnapshot, LoaderNeverSeesAFileTheSaverWouldNotHaveWritten)
{
    const std::string path = TestFile("snapshot-hostile.bmp");
    const std::vector<uint8_t> good = ValidSnapshotBytes(16, 8);

    // The check itself is tested natively, and against the loader by the reliability tests;
    // here: LoadMirrored asks it first, from the file it finds.
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    std::vector<uint8_t> hugeImage = good;
    hugeImage[37] = 0x10;  // declared image size past the end
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"truncated by one byte", truncated},
        {"shorter than the headers", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
        {"declared image size past the end", hugeImage},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(path, c.second)) << c.first;
        CBitmap bitmap;
        bitmap.Attach(MakeBitmap(2, 2, {0, 0, 0, 0}));
        EXPECT_FALSE(DesktopSnapshot::LoadMirrored(path, bitmap)) << c.first;
        EXPECT_TRUE(bitmap.IsEmpty()) << c.first;
    }

    ASSERT_TRUE(WriteWholeFile(path, good));
    CBitmap bitmap;
    EXPECT_TRUE(DesktopSnapshot::LoadMirrored(path, bitmap));
    EXPECT_EQ(16, BitmapSize(bitmap).cx);
    EXPECT_EQ(8, BitmapSize(bitmap).cy);
    HBITMAP grey = MakeBitmap(16, 8, std::vector<uint32_t>(16 * 8, 0x404040u));
    EXPECT_EQ(ReadBitmap(grey), ReadBitmap(bitmap)) << "the file's grey, as the display's depth holds it";
    ::DeleteObject(grey);
    DesktopSnapshot::RemoveSnapshot(path);
    EXPECT_FALSE(DesktopSnapshot::LoadMirrored(path, bitmap)) << "missing file";
    EXPECT_TRUE(bitmap.IsEmpty());
}

// Run by the windows_snapshot_disk_full test, whose runner lets the program write files of
// at most VELLUMAR_WINE_FILE_LIMIT_KB kilobytes, as a disk that fills part-way would.
TEST(DesktopSnapshotDiskFull, PartlyWrittenFileIsReportedAndRemoved)
{
    char limit[32] = {};
    if (::GetEnvironmentVariableA("VELLUMAR_WINE_FILE_LIMIT_KB", limit, sizeof(limit)) == 0)
        GTEST_SKIP() << "runs only with a file size limit";
    const uint64_t limitBytes = std::strtoull(limit, nullptr, 10) * 1024;
    const uint64_t fileBytes = MakeBitmapHeaders(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                                 DisplayBitCount()).fileSize;
    ASSERT_GT(fileBytes, limitBytes) << "the snapshot must not fit under the limit";

    const std::string path = TestFile("snapshot-disk-full.bmp");
    ASSERT_TRUE(WriteWholeFile(path, ValidSnapshotBytes(8, 8))) << "small files still fit";
    EXPECT_FALSE(DesktopSnapshot::CaptureToFile(path));
    EXPECT_FALSE(FileExists(path)) << "neither the part nor the earlier snapshot stays to be read back";
    CBitmap bitmap;
    EXPECT_FALSE(DesktopSnapshot::LoadMirrored(path, bitmap));
}

namespace {

int32_t quadrantWidth = 0;
int32_t quadrantHeight = 0;

// Four solid quadrants of colours every display depth holds: red, green / blue, white.
uint32_t QuadrantPixel(int32_t x, int32_t y)
{
    const bool left = x < quadrantWidth / 2;
    const bool top = y < quadrantHeight / 2;
    return top ? (left ? 0xFF0000u : 0x00FF00u) : (left ? 0x0000FFu : 0xFFFFFFu);
}

// Pixel (x, file row k) of a file at 16, 24 or 32 bits, as 0x00RRGGBB.
uint32_t FilePixelAtDepth(const std::vector<uint8_t>& file, const BitmapHeaders& headers, int32_t x, int32_t row)
{
    const uint8_t* p = file.data() + headers.pixelOffset +
                       static_cast<size_t>(row) * ((headers.width * headers.bitCount + 31) / 32 * 4) +
                       static_cast<size_t>(x) * headers.bitCount / 8;
    if (headers.bitCount == 16) {
        const uint32_t v = p[0] | p[1] << 8; // blue bits 0-4, green 5-9, red 10-14
        auto expand = [](uint32_t five) { return five << 3 | five >> 2; };
        return expand(v >> 10 & 31) << 16 | expand(v >> 5 & 31) << 8 | expand(v & 31);
    }
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

} // namespace

// Run by the windows_snapshot_*_display tests on displays of 16 and 8 bits; passes on any.
TEST(DesktopSnapshotDepth, FileNeedsNoColourTableAndReadsBack)
{
    const int32_t displayBits = DisplayBitCount();
    const int32_t fileBits = displayBits <= 8 ? 24 : displayBits;
    quadrantWidth = ::GetSystemMetrics(SM_CXSCREEN);
    quadrantHeight = ::GetSystemMetrics(SM_CYSCREEN);
    PatternScreen screen(QuadrantPixel, 8);
    ASSERT_TRUE(screen.IsShown()) << "the quadrant window did not reach the " << displayBits << "-bit screen";
    const int32_t width = screen.Width(), height = screen.Height();

    const std::string path = TestFile("snapshot-depth.bmp");
    ASSERT_TRUE(DesktopSnapshot::CaptureToFile(path));
    const std::vector<uint8_t> file = ReadWholeFile(path);
    const BitmapHeaders expected = MakeBitmapHeaders(width, height, fileBits);
    ASSERT_EQ(expected.fileSize, file.size()) << displayBits << "-bit display";
    BitmapHeaders headers;
    ASSERT_TRUE(DecodeBitmapHeaders(file.data(), file.size(), headers));
    EXPECT_EQ(fileBits, headers.bitCount);
    if (fileBits == 24 && width == 1366) {
        EXPECT_EQ(4100u * static_cast<uint32_t>(height), headers.imageSize) << "rows padded to 32 bits";
    }
    EXPECT_EQ(54u, headers.pixelOffset) << "no colour table";
    EXPECT_TRUE(IsSafeSnapshotFile(headers, file.size()));

    // Bottom row first: file row 0 is the screen's bottom (blue, white).
    const int32_t top = height - 1, right = width - 1;
    EXPECT_TRUE(NearPixel(0x0000FFu, FilePixelAtDepth(file, headers, 0, 0), 8));
    EXPECT_TRUE(NearPixel(0xFFFFFFu, FilePixelAtDepth(file, headers, right, 0), 8));
    EXPECT_TRUE(NearPixel(0xFF0000u, FilePixelAtDepth(file, headers, 0, top), 8));
    EXPECT_TRUE(NearPixel(0x00FF00u, FilePixelAtDepth(file, headers, right, top), 8));

    CBitmap bitmap;
    ASSERT_TRUE(DesktopSnapshot::LoadMirrored(path, bitmap)) << "the platform reads the file back";
    DesktopSnapshot::RemoveSnapshot(path);
    const std::vector<uint32_t> pixels = ReadBitmap(bitmap);
    ASSERT_EQ(static_cast<size_t>(width) * height, pixels.size());
    EXPECT_TRUE(NearPixel(0x0000FFu, pixels[0], 8)) << "the screen's bottom row on top";
    EXPECT_TRUE(NearPixel(0xFFFFFFu, pixels[right], 8));
    EXPECT_TRUE(NearPixel(0xFF0000u, pixels[static_cast<size_t>(top) * width], 8));
}
