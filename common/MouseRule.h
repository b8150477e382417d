#pragma once
#include <cstdint>

// When mouse movement ends the full-screen saver. The first position seen is kept; any
// later position that differs from it, by as little as one pixel, ends the saver.

struct MousePosition {
    int32_t x;
    int32_t y;
};

// A mouse message's lParam: x in the low 16 bits, y in the next 16, each sign-extended
// (positions left of or above the client area are negative).
MousePosition MousePositionFromLParam(std::intptr_t lParam);

// (-1, -1) in startX/startY means no position has been seen yet: the position is stored
// and nothing ends. Returns true when the saver must close.
bool MouseMoveCloses(int32_t& startX, int32_t& startY, MousePosition position);
