#include "tools/render/PictureFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "common/RowOrder.h"
#include "imaging/BitmapCodec.h"
#include "common/MessageText.h"

namespace {

// A 32-bit bitmap of the largest size, with room for long headers, colour tables and
// metadata; anything bigger is not a picture this tool can use.
constexpr uint64_t kMaxPictureFileBytes =
    static_cast<uint64_t>(kMaxBitmapSide) * kMaxBitmapSide * 4 + (16u << 20);

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length)
{
    return size >= length && std::memcmp(data, signature, length) == 0;
}

bool Fail(PixelPicture& picture, std::string& error, std::string message)
{
    picture = PixelPicture{};
    error = std::move(message);
    return false;
}

bool DecodeWithStb(const uint8_t* data, size_t size, const char* kind, PixelPicture& picture, std::string& error)
{
    if (size > static_cast<size_t>(INT_MAX))
        return Fail(picture, error, std::string(kind) + " file too large");
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int channels = 0;
    // Sizes first: the decoder must not be asked to allocate for a hostile header.
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return Fail(picture, error, std::string("undecodable ") + kind + " file (" + stbi_failure_reason() + ")");
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return Fail(picture, error,
                    std::string(kind) + " of " + std::to_string(width) + " x " + std::to_string(height) +
                        " is not 1 to " + std::to_string(kMaxBitmapSide) + " on a side");
    stbi_uc* rgb = stbi_load_from_memory(data, length, &width, &height, &channels, 3);
    if (!rgb)
        return Fail(picture, error, std::string("undecodable ") + kind + " file (" + stbi_failure_reason() + ")");
    // stb gives rows top first; the saver's buffers hold the bottom row first. Any alpha is
    // dropped: a desktop has none.
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        const stbi_uc* in = rgb + static_cast<size_t>(row) * static_cast<size_t>(width) * 3;
        uint32_t* out = picture.pixels.data() + FlippedRowStart(row, width, height);
        for (int c = 0; c < width; ++c, in += 3)
            out[c] = static_cast<uint32_t>(in[0]) << 16 | static_cast<uint32_t>(in[1]) << 8 | in[2];
    }
    stbi_image_free(rgb);
    error.clear();
    return true;
}

void AppendToVector(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    const auto* from = static_cast<const uint8_t*>(data);
    bytes->insert(bytes->end(), from, from + size);
}

} // namespace

bool DecodePictureFile(const uint8_t* data, size_t size, PixelPicture& picture, std::string& error)
{
    if (!data || size == 0)
        return Fail(picture, error, "the picture file is empty");
    if (StartsWith(data, size, "BM", 2))
        return DecodeBitmapFile(data, size, picture, error);
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        return DecodeWithStb(data, size, "PNG", picture, error);
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3))
        return DecodeWithStb(data, size, "JPEG", picture, error);
    return Fail(picture, error, "not a bitmap, PNG or JPEG file");
}

bool ReadPictureFile(const std::string& path, PixelPicture& picture, std::string& error)
{
    const std::string name = QuoteForMessage(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(picture, error, "cannot open " + name + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Fail(picture, error, name + " is not a regular file");
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxPictureFileBytes) {
        ::close(fd);
        return Fail(picture, error, name + " is too large for a picture of at most " +
                                        std::to_string(kMaxBitmapSide) + " on a side");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int readError = errno;
            ::close(fd);
            return Fail(picture, error, "cannot read " + name + ": " + std::strerror(readError));
        }
        if (n == 0)
            break; // the file shrank while we read it; decode what is there
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    if (!DecodePictureFile(bytes.data(), bytes.size(), picture, error)) {
        error = name + ": " + error;
        return false;
    }
    return true;
}

std::vector<uint8_t> EncodePngFile(const PixelPicture& picture)
{
    if (!IsValidPicture(picture))
        return {};
    const size_t width = static_cast<size_t>(picture.width);
    std::vector<uint8_t> rgb(width * static_cast<size_t>(picture.height) * 3);
    for (int32_t row = 0; row < picture.height; ++row) {
        const uint32_t* in = picture.pixels.data() + FlippedRowStart(row, picture.width, picture.height);
        uint8_t* out = rgb.data() + static_cast<size_t>(row) * width * 3;
        for (size_t c = 0; c < width; ++c, out += 3) {
            out[0] = static_cast<uint8_t>(in[c] >> 16);
            out[1] = static_cast<uint8_t>(in[c] >> 8);
            out[2] = static_cast<uint8_t>(in[c]);
        }
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(AppendToVector, &png, picture.width, picture.height, 3, rgb.data(),
                                static_cast<int>(width * 3)))
        return {};
    return png;
}

std::vector<uint8_t> EncodePictureFile(const PixelPicture& picture, PictureFormat format)
{
    return format == PictureFormat::Png ? EncodePngFile(picture) : EncodeBitmapFile(picture);
}
