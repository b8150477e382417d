#include "host/ConfigDialogRules.h"

#include <algorithm>
#include <limits>

bool IsAboutCommand(std::uint64_t command)
{
    return (command & 0xFFF0u) == kAboutCommand;
}

namespace {

// (extent - iconExtent + 1) / 2 in 64 bits, so that no pair of 32-bit sizes can overflow; the
// result is brought back into 32 bits (only the most extreme pairs reach that clamp).
std::int32_t CentredOffset(std::int32_t extent, std::int32_t iconExtent)
{
    const std::int64_t offset = (std::int64_t{extent} - iconExtent + 1) / 2;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        offset, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

IconOrigin MinimisedIconOrigin(std::int32_t clientWidth, std::int32_t clientHeight,
                               std::int32_t iconWidth, std::int32_t iconHeight)
{
    return {CentredOffset(clientWidth, iconWidth), CentredOffset(clientHeight, iconHeight)};
}
