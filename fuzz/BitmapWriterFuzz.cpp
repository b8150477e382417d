#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/BitmapCodec.h"

// A picture made from the input (two bytes of size, then pixels) survives the writer and
// the reader bit for bit, the top byte of every pixel cleared.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    PixelPicture picture;
    picture.width = data[0] % 64 + 1;
    picture.height = data[1] % 64 + 1;
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        uint32_t pixel = 0;
        for (size_t k = 0; k < 4; ++k) {
            const size_t at = 2 + (i * 4 + k) % (size > 2 ? size - 2 : 1);
            pixel = pixel << 8 | (at < size ? data[at] : 0);
        }
        picture.pixels[i] = pixel;
    }
    const std::vector<uint8_t> file = EncodeBitmapFile(picture);
    PixelPicture back;
    std::string error;
    if (!DecodeBitmapFile(file.data(), file.size(), back, error))
        std::abort();
    if (back.width != picture.width || back.height != picture.height)
        std::abort();
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        if (back.pixels[i] != (picture.pixels[i] & 0xFFFFFFu))
            std::abort();
    return 0;
}
