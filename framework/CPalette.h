#pragma once
#include <cstdint>

#include "framework/CGdiObject.h"

// A logical palette handle, managed unless made as a view of someone else's palette.
class CPalette : public CGdiObject {
public:
    CPalette() : CGdiObject(Ownership::Managed) {}
    CPalette(HPALETTE palette, Ownership ownership);

    HPALETTE GetSafeHandle() const { return static_cast<HPALETTE>(CGdiObject::GetSafeHandle()); }
    operator HPALETTE() const { return GetSafeHandle(); }

    // Replaces what the object held; false (and empty) when the platform refuses.
    bool CreatePalette(const LOGPALETTE* description);

    // Number of entries, 0 when empty.
    int32_t GetEntryCount() const;
    // Copies up to `count` entries from `first`; the number copied.
    int32_t GetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries) const;
};
