#include "framework/CWindowDC.h"

CWindowDC::CWindowDC(HWND window) : CDC(window, ::GetWindowDC(window)) {}
