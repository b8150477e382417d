#include "framework/CClientDC.h"

CClientDC::CClientDC(HWND window) : CDC(window, ::GetDC(window)) {}
