#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/BitmapFile.h"

// Every file the check lets through must have all of its pixel rows inside the file,
// measured independently of the check's own arithmetic.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BitmapHeaders headers;
    if (!DecodeBitmapHeaders(data, size, headers))
        return 0;
    if (!IsSafeSnapshotFile(headers, size))
        return 0;
    const uint64_t rowBits = static_cast<uint64_t>(headers.width) * headers.bitCount;
    const uint64_t rowBytes = (rowBits + 31) / 32 * 4;
    const uint64_t end = headers.pixelOffset + rowBytes * static_cast<uint64_t>(headers.height);
    if (end > size || headers.width <= 0 || headers.height <= 0 || headers.fileSize > size)
        std::abort();
    // Touch the first and last pixel byte as a loader would.
    volatile uint8_t first = data[headers.pixelOffset];
    volatile uint8_t last = data[end - 1];
    (void)first;
    (void)last;
    return 0;
}
