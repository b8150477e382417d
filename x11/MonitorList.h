#pragma once
#include <cstddef>
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

// Reads `count` monitor records (24 bytes each, followed by 4 bytes per output) from the body
// of a RandR GetMonitors reply, in the client's byte order, as the server sends it. False when
// the body is too short for the records it announces.
bool ParseMonitorList(const uint8_t* body, size_t size, uint32_t count, std::vector<MonitorArea>& monitors);

// The primary monitor; without one, the first monitor listed. The area is clipped to the
// screen; when nothing usable is left (no monitors, or none on the screen) it is the whole screen.
MonitorArea PrimaryMonitorArea(const std::vector<MonitorArea>& monitors, int32_t screenWidth, int32_t screenHeight);
