#pragma once
#include <windows.h>

#include "framework/CObject.h"

// Selects a GDI object into a device context for the life of this object, then selects back
// the one it replaced, so that neither is deleted while the other still holds it. A palette
// goes in and back with SelectPalette, as SelectObject does not take palettes.
class CSelectedObject : public CObject {
public:
    // A null object selects nothing.
    CSelectedObject(HDC dc, HGDIOBJ object);
    CSelectedObject(HDC dc, HPALETTE palette, bool forceBackground);
    CSelectedObject(HDC dc, HPALETTE palette) = delete;
    ~CSelectedObject() override;

    // Whether the object went in.
    bool IsSelected() const { return previous != nullptr; }

private:
    HDC dc;
    HGDIOBJ previous;
    bool isPalette;
};
