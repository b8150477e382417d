#include "framework/CPalette.h"

CPalette::CPalette(HPALETTE palette, Ownership ownership) : CGdiObject(ownership)
{
    Attach(palette);
}

bool CPalette::CreatePalette(const LOGPALETTE* description)
{
    HPALETTE palette = description ? ::CreatePalette(description) : nullptr;
    if (!palette) {
        if (IsManaged())
            DeleteObject();
        else
            Detach();
        return false;
    }
    return Attach(palette);
}

int32_t CPalette::GetEntryCount() const
{
    WORD count = 0;
    if (IsEmpty() || ::GetObjectA(GetSafeHandle(), sizeof(count), &count) == 0)
        return 0;
    return count;
}

int32_t CPalette::GetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries) const
{
    if (IsEmpty() || !entries || first < 0 || count <= 0)
        return 0;
    return static_cast<int32_t>(::GetPaletteEntries(GetSafeHandle(), static_cast<UINT>(first),
                                                    static_cast<UINT>(count), entries));
}
