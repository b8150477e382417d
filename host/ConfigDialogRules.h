#pragma once
#include <cstdint>

// Decisions of the configure dialog that need nothing of the platform.

// The command identifier of the about item on the dialog's system menu.
constexpr std::uint32_t kAboutCommand = 0x0010;

// True when a system command is the about command. The system keeps its own flags in the low
// four bits of a command value, so those are ignored: 16 to 31 all mean "about".
bool IsAboutCommand(std::uint64_t command);

struct IconOrigin {
    std::int32_t x;
    std::int32_t y;
};

// Where the minimised dialog draws its icon: centred in the client area, rounding toward zero,
// so a client area smaller than the icon gives a negative origin (the icon is clipped).
IconOrigin MinimisedIconOrigin(std::int32_t clientWidth, std::int32_t clientHeight,
                               std::int32_t iconWidth, std::int32_t iconHeight);
