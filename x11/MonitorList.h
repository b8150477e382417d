#pragma once
#include <cstdint>
#include <vector>

// The monitors of an X screen as the RandR extension (1.5) lists them, and the choice of the
// one the full-screen saver covers.

struct MonitorArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool primary = false;
};

// The primary monitor; without one, the first monitor listed. The area is clipped to the
// screen; when nothing usable is left (no monitors, or none on the screen) it is the whole screen.
MonitorArea PrimaryMonitorArea(const std::vector<MonitorArea>& monitors, int32_t screenWidth, int32_t screenHeight);
