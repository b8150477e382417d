#include "framework/CSelectedObject.h"

CSelectedObject::CSelectedObject(HDC dc, HGDIOBJ object)
    : dc(dc), previous(object ? ::SelectObject(dc, object) : nullptr), isPalette(false)
{
}

CSelectedObject::CSelectedObject(HDC dc, HPALETTE palette, bool forceBackground)
    : dc(dc), previous(palette ? ::SelectPalette(dc, palette, forceBackground ? TRUE : FALSE) : nullptr),
      isPalette(true)
{
}

CSelectedObject::~CSelectedObject()
{
    if (!previous)
        return;
    if (isPalette)
        ::SelectPalette(dc, static_cast<HPALETTE>(previous), FALSE);
    else
        ::SelectObject(dc, previous);
}
