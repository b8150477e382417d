#include "common/MouseRule.h"

MousePosition MousePositionFromLParam(std::intptr_t lParam)
{
    const auto bits = static_cast<uint32_t>(static_cast<std::uintptr_t>(lParam));
    return {static_cast<int16_t>(bits & 0xFFFFu), static_cast<int16_t>((bits >> 16) & 0xFFFFu)};
}

bool MouseMoveCloses(int32_t& startX, int32_t& startY, MousePosition position)
{
    if (startX == -1 && startY == -1) {
        startX = position.x;
        startY = position.y;
        return false;
    }
    return position.x != startX || position.y != startY;
}
