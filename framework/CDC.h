#pragma once
#include <windows.h>

#include "framework/CObject.h"

// Owns one device context and gives it back the way it was got: one the object made
// (CreateDC, CreateCompatibleDC) is deleted with DeleteDC, one a window lent (CClientDC,
// CWindowDC) goes back with ReleaseDC. That happens when the object goes or takes another.
class CDC : public CObject {
public:
    CDC() = default;
    ~CDC() override;

    // The context, or null when the object holds none.
    HDC GetSafeHdc() const { return dc; }
    operator HDC() const { return dc; }

    // Each replaces what the object held; false (and empty) when the platform refuses.
    // A context for a whole device, by its driver's name ("DISPLAY": the screen).
    bool CreateDC(const char* driver);
    // A memory context compatible with `reference` (with the screen for null).
    bool CreateCompatibleDC(HDC reference);

protected:
    // Takes `lent`, got from `window` (null: the screen) with GetDC or GetWindowDC.
    CDC(HWND window, HDC lent);

private:
    void Release();
    bool Take(HDC made);

    HDC dc = nullptr;
    HWND window = nullptr;  // the lender, when lentByWindow
    bool lentByWindow = false;
};
