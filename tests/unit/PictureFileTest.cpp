#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/BitmapCodec.h"
#include "tools/render/PictureFile.h"
#include "tools/render/ReplacingFile.h"

namespace {

// A 16 x 16 JPEG: the top half red (200, 40, 40), the bottom half blue (30, 60, 220).
const unsigned char kTwoColourJpeg[] = {
  0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01,
  0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43,
  0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x02,
  0x02, 0x02, 0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04,
  0x04, 0x03, 0x04, 0x06, 0x05, 0x06, 0x06, 0x06, 0x05, 0x06, 0x06, 0x06,
  0x07, 0x09, 0x08, 0x06, 0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0b, 0x08,
  0x09, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x06, 0x08, 0x0b, 0x0c, 0x0b, 0x0a,
  0x0c, 0x09, 0x0a, 0x0a, 0x0a, 0xff, 0xdb, 0x00, 0x43, 0x01, 0x02, 0x02,
  0x02, 0x02, 0x02, 0x02, 0x05, 0x03, 0x03, 0x05, 0x0a, 0x07, 0x06, 0x07,
  0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
  0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
  0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
  0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a, 0x0a,
  0x0a, 0x0a, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x10, 0x03,
  0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
  0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x08, 0xff, 0xc4, 0x00,
  0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x16, 0x01,
  0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x07, 0xff, 0xc4, 0x00, 0x14, 0x11,
  0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00,
  0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0xcb, 0xec, 0x4d, 0x50, 0x00,
  0x4c, 0xd7, 0x01, 0x13, 0xc0, 0x7f, 0xff, 0xd9
};

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void AddChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data)
{
    PutBig32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBig32(png, Crc32(body.data(), body.size()));
}

// A PNG written by hand with stored (uncompressed) deflate blocks. `rows` holds the raw
// samples of each row, top row first, without filter bytes.
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
                             const std::vector<std::vector<uint8_t>>& rows)
{
    std::vector<uint8_t> raw;
    for (const auto& row : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(zlib, b << 16 | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    AddChunk(png, "IHDR", header);
    AddChunk(png, "IDAT", zlib);
    AddChunk(png, "IEND", {});
    return png;
}

// 2 x 2 RGB: red, green on the top row; blue, white on the bottom row.
std::vector<uint8_t> FourColourPng()
{
    return MakePng(2, 2, 8, 2, {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 255, 255, 255}});
}

bool Decode(const std::vector<uint8_t>& bytes, PixelPicture& picture, std::string& error)
{
    return DecodePictureFile(bytes.data(), bytes.size(), picture, error);
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& what)
{
    PixelPicture picture;
    std::string error;
    EXPECT_FALSE(Decode(bytes, picture, error)) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_EQ(std::string::npos, error.find('\n')) << what;
    EXPECT_TRUE(picture.pixels.empty()) << what;
}

struct ScratchDirectory {
    std::string path;
    ScratchDirectory()
    {
        char name[] = "/tmp/vellumar-picture-XXXXXX";
        path = ::mkdtemp(name) ? name : "";
    }
    ~ScratchDirectory() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (dirent* entry = ::readdir(dir))
                if (entry->d_name[0] != '.')
                    names.push_back(entry->d_name);
            ::closedir(dir);
        }
        return names;
    }
};

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(PictureFile, PngRowsBecomeBottomUpPixels)
{
    PixelPicture picture;
    std::string error;
    ASSERT_TRUE(Decode(FourColourPng(), picture, error)) << error;
    ASSERT_EQ(2, picture.width);
    ASSERT_EQ(2, picture.height);
    EXPECT_EQ((std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}), picture.pixels);
}

TEST(PictureFile, GreyAlphaAndSixteenBitPngsBecomeRgb)
{
    PixelPicture picture;
    std::string error;
    // Grey with alpha: the alpha is dropped, the grey spread over the three channels.
    ASSERT_TRUE(Decode(MakePng(2, 1, 8, 4, {{0x40, 0x00, 0xC0, 0xFF}}), picture, error)) << error;
    EXPECT_EQ((std::vector<uint32_t>{0x404040, 0xC0C0C0}), picture.pixels);
    // RGBA at 16 bits per sample: the high bytes count.
    ASSERT_TRUE(Decode(MakePng(1, 1, 16, 6, {{0x12, 0x00, 0x34, 0x00, 0x56, 0x00, 0x00, 0x00}}), picture, error))
        << error;
    EXPECT_EQ((std::vector<uint32_t>{0x123456}), picture.pixels);
}

TEST(PictureFile, JpegIsDecodedUpright)
{
    PixelPicture picture;
    std::string error;
    const std::vector<uint8_t> jpeg(std::begin(kTwoColourJpeg), std::end(kTwoColourJpeg));
    ASSERT_TRUE(Decode(jpeg, picture, error)) << error;
    ASSERT_EQ(16, picture.width);
    ASSERT_EQ(16, picture.height);
    auto near = [](uint32_t pixel, int red, int green, int blue) {
        return std::abs(static_cast<int>(pixel >> 16 & 0xFF) - red) <= 12 &&
               std::abs(static_cast<int>(pixel >> 8 & 0xFF) - green) <= 12 &&
               std::abs(static_cast<int>(pixel & 0xFF) - blue) <= 12;
    };
    EXPECT_TRUE(near(picture.pixels[0], 30, 60, 220)) << std::hex << picture.pixels[0];           // bottom
    EXPECT_TRUE(near(picture.pixels[15 * 16 + 15], 200, 40, 40)) << std::hex << picture.pixels[255]; // top
}

TEST(PictureFile, BitmapsGoThroughTheBitmapReader)
{
    PixelPicture picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels = {1, 2, 3, 4, 5, 6};
    PixelPicture back;
    std::string error;
    ASSERT_TRUE(Decode(EncodeBitmapFile(picture), back, error)) << error;
    EXPECT_EQ(picture.pixels, back.pixels);
}

TEST(PictureFile, RefusesHostileAndUnknownFiles)
{
    ExpectRefused({}, "empty");
    ExpectRefused({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "GIF");
    ExpectRefused({'B', 'M', 0}, "bitmap cut short");
    const auto png = FourColourPng();
    ExpectRefused(std::vector<uint8_t>(png.begin(), png.begin() + 8), "PNG signature only");
    ExpectRefused(std::vector<uint8_t>(png.begin(), png.begin() + 40), "PNG cut inside its data");
    ExpectRefused(MakePng(0, 2, 8, 2, {}), "PNG of width 0");
    ExpectRefused(MakePng(16385, 1, 8, 2, {std::vector<uint8_t>(16385 * 3, 0)}), "PNG wider than 16384");
    // A header that asks for an enormous picture must be refused before anything is allocated.
    ExpectRefused(MakePng(0x7FFFFFFF, 0x7FFFFFFF, 8, 2, {{0, 0, 0}}), "PNG of 2^31 - 1 on a side");
    ExpectRefused(MakePng(2, 2, 8, 9, {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}), "PNG of an unknown colour type");
    std::vector<uint8_t> junk = png;
    for (size_t k = 41; k < junk.size() - 12; ++k)
        junk[k] = 0xEE;
    ExpectRefused(junk, "PNG with spoilt data");
    const std::vector<uint8_t> jpeg(std::begin(kTwoColourJpeg), std::end(kTwoColourJpeg));
    ExpectRefused(std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 30), "JPEG cut short");
}

TEST(PictureFile, PngOutputShowsTheScreenUpright)
{
    PixelPicture picture;
    picture.width = 2;
    picture.height = 3;
    picture.pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0xFF101112};
    const auto png = EncodePngFile(picture);
    ASSERT_FALSE(png.empty());
    PixelPicture back;
    std::string error;
    ASSERT_TRUE(Decode(png, back, error)) << error;
    picture.pixels[5] &= 0xFFFFFF;
    EXPECT_EQ(picture.pixels, back.pixels);
    EXPECT_TRUE(EncodePngFile(PixelPicture{}).empty());
}

TEST(PictureFile, ReadPictureFileNamesTheFileInItsErrors)
{
    ScratchDirectory scratch;
    PixelPicture picture;
    std::string error;
    EXPECT_FALSE(ReadPictureFile(scratch.path + "/missing.png", picture, error));
    EXPECT_NE(std::string::npos, error.find("missing.png")) << error;
    EXPECT_FALSE(ReadPictureFile(scratch.path, picture, error)); // a directory
    EXPECT_FALSE(error.empty());
    const std::string path = scratch.path + "/four.png";
    const auto png = FourColourPng();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                 static_cast<std::streamsize>(png.size()));
    ASSERT_TRUE(ReadPictureFile(path, picture, error)) << error;
    EXPECT_EQ(4u, picture.pixels.size());
}

TEST(ReplacingFile, ReplacesWholeOrLeavesTheOldFileAlone)
{
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/out.bmp";
    std::ofstream(path) << "a much longer file that was here before";
    std::string error;
    ASSERT_TRUE(WriteFileReplacing(path, {'n', 'e', 'w'}, error)) << error;
    EXPECT_EQ("new", Contents(path));
    EXPECT_EQ(std::vector<std::string>{"out.bmp"}, scratch.Entries());

    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(path, error));
        EXPECT_EQ(2u, scratch.Entries().size()); // the temporary file beside it
    } // never committed: the temporary file goes, the old file stays
    EXPECT_EQ("new", Contents(path));
    EXPECT_EQ(std::vector<std::string>{"out.bmp"}, scratch.Entries());

    EXPECT_FALSE(WriteFileReplacing(scratch.path + "/no/such/dir/out.bmp", {'x'}, error));
    EXPECT_NE(std::string::npos, error.find("cannot write")) << error;
    ::mkdir((scratch.path + "/taken.bmp").c_str(), 0755);
    EXPECT_FALSE(WriteFileReplacing(scratch.path + "/taken.bmp", {'x'}, error)); // a directory is in the way
    EXPECT_EQ(2u, scratch.Entries().size());
}
