#pragma once
#include "framework/CDC.h"

// The device context of a window's client area, or of the whole screen for a null window,
// lent by GetDC for the life of the object.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND window);
};
