#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/BitmapCodec.h"

// Any file the reader accepts gives a valid picture, and writing that picture and reading
// it back gives the same pixels.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PixelPicture picture;
    std::string error;
    if (!DecodeBitmapFile(data, size, picture, error)) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort(); // a refusal always says why, on one line
        return 0;
    }
    if (!IsValidPicture(picture))
        std::abort();
    const std::vector<uint8_t> file = EncodeBitmapFile(picture);
    PixelPicture again;
    if (!DecodeBitmapFile(file.data(), file.size(), again, error))
        std::abort();
    if (again.width != picture.width || again.height != picture.height || again.pixels != picture.pixels)
        std::abort();
    return 0;
}
