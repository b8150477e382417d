#pragma once
#include "framework/CDC.h"

// The device context of a whole window, frame included, or of the whole screen for a null
// window, lent by GetWindowDC for the life of the object.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND window);
};
