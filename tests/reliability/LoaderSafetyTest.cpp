// The snapshot-file check against the platform's loader: many malformed bitmap files, made
// deterministically from valid 16-, 24- and 32-bit files, go through IsSafeSnapshotFile;
// every file it accepts must then load, both through LoadImageA as the saver calls it and
// through the saver's own LoadMirrored. Wine's loader crashes on some files the check must
// reject (pixels or declared sizes beyond the end), so a crash here fails the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/CBitmap.h"
#include "imaging/BitmapFile.h"
#include "imaging/DesktopSnapshot.h"

namespace {

struct Field {
    const char* name;
    size_t offset;
    size_t size;
    bool checked;  // whether the check or the loader reads it; the others get fewer values
};

constexpr Field kFields[] = {
    {"type", 0, 2, true},           {"fileSize", 2, 4, true},       {"reserved1", 6, 2, false},
    {"reserved2", 8, 2, false},     {"pixelOffset", 10, 4, true},   {"infoSize", 14, 4, true},
    {"width", 18, 4, true},         {"height", 22, 4, true},        {"planes", 26, 2, true},
    {"bitCount", 28, 2, true},      {"compression", 30, 4, true},   {"imageSize", 34, 4, true},
    {"xPelsPerMeter", 38, 4, false}, {"yPelsPerMeter", 42, 4, false}, {"colorsUsed", 46, 4, true},
    {"colorsImportant", 50, 4, false},
};

const uint32_t kFewValues[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

struct Sample {
    std::string description;
    std::vector<uint8_t> bytes;
};

void Put(std::vector<uint8_t>& bytes, const Field& field, uint32_t value)
{
    for (size_t k = 0; k < field.size && field.offset + k < bytes.size(); ++k)
        bytes[field.offset + k] = static_cast<uint8_t>(value >> (8 * k));
}

std::vector<uint8_t> ValidFile(int32_t width, int32_t height, int32_t bitCount)
{
    const BitmapHeaders headers = MakeBitmapHeaders(width, height, bitCount);
    const auto encoded = EncodeBitmapHeaders(headers);
    std::vector<uint8_t> bytes(encoded.begin(), encoded.end());
    bytes.reserve(headers.fileSize);
    for (uint32_t k = 0; k < headers.imageSize; ++k)
        bytes.push_back(static_cast<uint8_t>(k * 37 + 11));
    return bytes;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// Values that sit on the edges the check and the loader care about, for a file of
// `length` bytes holding `pixelBytes` bytes of pixels.
std::vector<uint32_t> EdgeValues(uint32_t length, uint32_t pixelBytes, int32_t width, int32_t height)
{
    std::vector<uint32_t> values = {0,          1,          2,          3,          4,          8,
                                    12,         15,         16,         24,         32,         33,
                                    40,         53,         54,         55,         56,         64,
                                    108,        124,        255,        256,        0x7FFF,     0x8000,
                                    0xFFFF,     0x10000,    16384,      16385,      0x3FFFFFFF, 0x7FFFFFFF,
                                    0x80000000, 0x80000001, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFF0, 0xFFFF0000,
                                    0xC0000000, 0x00FFFFFF};
    for (uint32_t delta : {0u, 1u, 2u, 4u, 54u})
        values.push_back(length - delta);
    for (uint32_t delta : {1u, 4u, 4096u})
        values.push_back(length + delta);
    for (uint32_t v : {pixelBytes, pixelBytes - 1, pixelBytes + 1, pixelBytes * 2})
        values.push_back(v);
    for (int32_t v : {width * 2, height * 2, -width, -height, width + 1, height + 1})
        values.push_back(static_cast<uint32_t>(v));
    return values;
}

// Every malformed file of the run, in a fixed order.
std::vector<Sample> MakeSamples()
{
    std::vector<Sample> samples;
    struct Size {
        int32_t width, height;
    };
    const Size sizes[] = {{1, 1}, {3, 2}, {31, 7}, {64, 48}};
    std::vector<Sample> bases;
    for (int32_t bitCount : {16, 24, 32})
        for (const Size& size : sizes)
            bases.push_back({std::to_string(bitCount) + "-bit " + std::to_string(size.width) + "x" +
                                 std::to_string(size.height),
                             ValidFile(size.width, size.height, bitCount)});

    for (const Sample& base : bases) {
        BitmapHeaders headers;
        DecodeBitmapHeaders(base.bytes.data(), base.bytes.size(), headers);
        const auto length = static_cast<uint32_t>(base.bytes.size());
        samples.push_back({base.description + " as written", base.bytes});

        // One field at a time set to an edge value.
        const std::vector<uint32_t> edges = EdgeValues(length, headers.imageSize, headers.width, headers.height);
        const std::vector<uint32_t> few(std::begin(kFewValues), std::end(kFewValues));
        for (const Field& field : kFields)
            for (uint32_t value : field.checked ? edges : few) {
                Sample sample{base.description + ", " + field.name + "=" + Hex(value), base.bytes};
                Put(sample.bytes, field, value);
                samples.push_back(std::move(sample));
            }

        // Truncations: inside the headers, at their end, inside and just short of the pixels.
        std::vector<uint32_t> cuts;
        for (uint32_t cut = 0; cut <= kBitmapHeadersSize + 2 && cut < length; ++cut)
            cuts.push_back(cut);
        for (uint32_t cut : {length / 2, length - 4, length - 1})
            if (cut > kBitmapHeadersSize + 2 && cut < length)
                cuts.push_back(cut);
        for (uint32_t cut : cuts)
            samples.push_back({base.description + " cut to " + std::to_string(cut),
                               std::vector<uint8_t>(base.bytes.begin(), base.bytes.begin() + cut)});

        // A tail after the pixels, and the pixel offset moved into it or past it.
        for (uint32_t tail : {1u, 64u, 300u}) {
            for (uint32_t offset : {54u, 55u, 54u + tail - 1, 54u + tail, 54u + tail + 1, 54u + 2 * tail}) {
                Sample sample{base.description + " with " + std::to_string(tail) + " more bytes, pixelOffset=" +
                                  std::to_string(offset),
                              base.bytes};
                sample.bytes.resize(sample.bytes.size() + tail, 0x5A);
                Put(sample.bytes, kFields[4], offset);
                Put(sample.bytes, kFields[1], static_cast<uint32_t>(sample.bytes.size()));
                samples.push_back(std::move(sample));
            }
        }
    }

    // Large but consistent pictures, and the same one short of its last byte.
    struct Large {
        int32_t width, height, bitCount;
    };
    for (const Large& large : {Large{16384, 1, 32}, Large{1, 16384, 16}, Large{1000, 700, 24}, Large{16385, 1, 24}}) {
        const std::vector<uint8_t> bytes = ValidFile(large.width, large.height, large.bitCount);
        const std::string name = std::to_string(large.bitCount) + "-bit " + std::to_string(large.width) + "x" +
                                 std::to_string(large.height);
        samples.push_back({name + " as written", bytes});
        samples.push_back({name + " short of its last byte", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)});
    }

    // Several fields at once and stray bytes, from a fixed seed.
    std::mt19937 random(20240607u);
    for (int k = 0; k < 1500; ++k) {
        const Sample& base = bases[random() % bases.size()];
        BitmapHeaders headers;
        DecodeBitmapHeaders(base.bytes.data(), base.bytes.size(), headers);
        const std::vector<uint32_t> values =
            EdgeValues(static_cast<uint32_t>(base.bytes.size()), headers.imageSize, headers.width, headers.height);
        Sample sample{base.description + ", mixed #" + std::to_string(k), base.bytes};
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const Field& field = kFields[random() % (sizeof kFields / sizeof kFields[0])];
            const uint32_t value = random() % 3 == 0 ? static_cast<uint32_t>(random()) : values[random() % values.size()];
            Put(sample.bytes, field, value);
            sample.description += std::string(" ") + field.name + "=" + Hex(value);
        }
        if (random() % 3 == 0) {
            const size_t at = random() % sample.bytes.size();
            sample.bytes[at] = static_cast<uint8_t>(random());
            sample.description += " byte " + std::to_string(at) + " changed";
        }
        if (random() % 4 == 0) {
            sample.bytes.resize(random() % (sample.bytes.size() + 1));
            sample.description += " cut to " + std::to_string(sample.bytes.size());
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

std::string TempPath(const char* name)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                   nullptr) &&
                                         written == bytes.size());
    return CloseHandle(file) && whole;
}

// Named for the crash report: a crash inside the loader leaves no other trace of the file.
const Sample* currentSample = nullptr;

LONG WINAPI ReportCrashingSample(EXCEPTION_POINTERS*)
{
    if (currentSample)
        std::fprintf(stderr, "crashed while loading: %s\n", currentSample->description.c_str());
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description{};
    if (!bitmap || GetObjectA(bitmap, sizeof description, &description) != sizeof description)
        return {0, 0};
    return {description.bmWidth, description.bmHeight};
}

TEST(LoaderSafety, EveryFileTheCheckAcceptsLoadsAndNoneCrashesTheLoader)
{
    const std::vector<Sample> samples = MakeSamples();
    const std::string path = TempPath("vellumar-loader-safety.bmp");
    SetUnhandledExceptionFilter(ReportCrashingSample);

    size_t accepted = 0, beyondEnd = 0;
    for (const Sample& sample : samples) {
        ASSERT_TRUE(WriteFileBytes(path, sample.bytes)) << path;
        BitmapHeaders headers;
        const bool decoded = DecodeBitmapHeaders(sample.bytes.data(), sample.bytes.size(), headers);
        if (!decoded || !IsSafeSnapshotFile(headers, sample.bytes.size())) {
            // The files the loader is known to crash on must be among the rejected ones.
            const int64_t pixelBytes = decoded ? BitmapPixelBytes(headers) : -1;
            if (decoded && pixelBytes >= 0 &&
                static_cast<uint64_t>(headers.pixelOffset) + static_cast<uint64_t>(pixelBytes) > sample.bytes.size())
                ++beyondEnd;
            continue;
        }
        ++accepted;
        currentSample = &sample;

        HANDLE loaded = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        ASSERT_NE(loaded, nullptr) << "accepted but not loaded: " << sample.description;
        const SIZE size = BitmapSize(static_cast<HBITMAP>(loaded));
        EXPECT_EQ(size.cx, headers.width) << sample.description;
        EXPECT_EQ(size.cy, headers.height) << sample.description;
        DeleteObject(loaded);

        CBitmap mirrored;
        ASSERT_TRUE(DesktopSnapshot::LoadMirrored(path, mirrored)) << "accepted but not mirrored: " << sample.description;
        const SIZE mirroredSize = BitmapSize(mirrored);
        EXPECT_EQ(mirroredSize.cx, headers.width) << sample.description;
        EXPECT_EQ(mirroredSize.cy, headers.height) << sample.description;
        currentSample = nullptr;
    }
    DeleteFileA(path.c_str());

    std::printf("loader safety: %zu files generated, %zu accepted by the check and loaded, %zu rejected "
                "(%zu of them with pixels beyond the end)\n",
                samples.size(), accepted, samples.size() - accepted, beyondEnd);
    RecordProperty("generated", static_cast<int>(samples.size()));
    RecordProperty("accepted", static_cast<int>(accepted));
    // The run must reach both sides of the check, or it tests nothing.
    EXPECT_GE(samples.size(), 5000u);
    EXPECT_GE(accepted, 500u);
    EXPECT_GE(beyondEnd, 500u);
}

}  // namespace
