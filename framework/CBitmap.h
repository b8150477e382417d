#pragma once
#include <cstdint>

#include "framework/CGdiObject.h"

// A bitmap handle, managed unless made as a view of someone else's bitmap.
class CBitmap : public CGdiObject {
public:
    CBitmap() : CGdiObject(Ownership::Managed) {}
    // A view of `bitmap`: the object never deletes it unless DeleteObject is called.
    CBitmap(HBITMAP bitmap, Ownership ownership);

    HBITMAP GetSafeHandle() const { return static_cast<HBITMAP>(CGdiObject::GetSafeHandle()); }
    operator HBITMAP() const { return GetSafeHandle(); }

    // Each replaces what the object held; false (and empty) when the platform refuses.
    bool CreateCompatibleBitmap(HDC dc, int32_t width, int32_t height);
    bool CreateDiscardableBitmap(HDC dc, int32_t width, int32_t height);

    // The bitmap's description; false when empty.
    bool GetBitmap(BITMAP* description) const;

private:
    bool Take(HBITMAP bitmap);
};
