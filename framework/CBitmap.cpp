#include "framework/CBitmap.h"

CBitmap::CBitmap(HBITMAP bitmap, Ownership ownership) : CGdiObject(ownership)
{
    Attach(bitmap);
}

bool CBitmap::Take(HBITMAP bitmap)
{
    if (!bitmap) {
        if (IsManaged())
            DeleteObject();
        else
            Detach();
        return false;
    }
    return Attach(bitmap);
}

bool CBitmap::CreateCompatibleBitmap(HDC dc, int32_t width, int32_t height)
{
    return Take(dc ? ::CreateCompatibleBitmap(dc, width, height) : nullptr);
}

bool CBitmap::CreateDiscardableBitmap(HDC dc, int32_t width, int32_t height)
{
    return Take(dc ? ::CreateDiscardableBitmap(dc, width, height) : nullptr);
}

bool CBitmap::GetBitmap(BITMAP* description) const
{
    if (IsEmpty() || !description)
        return false;
    return ::GetObjectA(GetSafeHandle(), sizeof(BITMAP), description) == sizeof(BITMAP);
}
