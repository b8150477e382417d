#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "framework/CBitmap.h"
#include "framework/CPalette.h"

// Owns one OLE picture made from a bitmap, and draws it stretched into a rectangle.
class PictureHolder {
public:
    PictureHolder() = default;
    PictureHolder(const PictureHolder&) = delete;
    PictureHolder& operator=(const PictureHolder&) = delete;
    ~PictureHolder();

    // Replaces the picture with one made from `bitmap` and `palette` (either may be null).
    // With `transferOwnership` both handles leave their objects and belong to the picture,
    // which deletes them when it goes (they are deleted at once if no picture could be
    // made). True when the picture was made; false, and empty, for an empty bitmap.
    bool CreateFromBitmap(CBitmap* bitmap, CPalette* palette, bool transferOwnership);

    // Draws the whole picture upright, stretched to `renderRect`; nothing when empty.
    void Render(HDC dc, const RECT& renderRect, const RECT& boundsRect) const;

    bool IsEmpty() const { return picture == nullptr; }

private:
    void ReleasePicture();

    IPicture* picture = nullptr;
};
