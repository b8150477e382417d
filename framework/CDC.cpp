#include "framework/CDC.h"

CDC::CDC(HWND window, HDC lent) : dc(lent), window(window), lentByWindow(lent != nullptr) {}

CDC::~CDC()
{
    Release();
}

void CDC::Release()
{
    if (dc) {
        if (lentByWindow)
            ::ReleaseDC(window, dc);
        else
            ::DeleteDC(dc);
    }
    dc = nullptr;
    window = nullptr;
    lentByWindow = false;
}

bool CDC::Take(HDC made)
{
    Release();
    dc = made;
    return dc != nullptr;
}

bool CDC::CreateDC(const char* driver)
{
    return Take(::CreateDCA(driver, nullptr, nullptr, nullptr));
}

bool CDC::CreateCompatibleDC(HDC reference)
{
    return Take(::CreateCompatibleDC(reference));
}
