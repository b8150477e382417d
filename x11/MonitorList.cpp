#include "x11/MonitorList.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMonitorRecordBytes = 24;

template <typename Value>
Value Read(const uint8_t* at)
{
    Value value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

bool ClipToScreen(MonitorArea& area, int32_t screenWidth, int32_t screenHeight)
{
    const int64_t left = std::max<int64_t>(area.x, 0);
    const int64_t top = std::max<int64_t>(area.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{area.x} + area.width, screenWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{area.y} + area.height, screenHeight);
    if (right <= left || bottom <= top)
        return false;
    area.x = static_cast<int32_t>(left);
    area.y = static_cast<int32_t>(top);
    area.width = static_cast<int32_t>(right - left);
    area.height = static_cast<int32_t>(bottom - top);
    return true;
}

} // namespace

bool ParseMonitorList(const uint8_t* body, size_t size, uint32_t count, std::vector<MonitorArea>& monitors)
{
    monitors.clear();
    size_t offset = 0;
    for (uint32_t k = 0; k < count; ++k) {
        if (size - offset < kMonitorRecordBytes) {
            monitors.clear();
            return false;
        }
        const uint8_t* record = body + offset;
        MonitorArea area;
        area.primary = record[4] != 0;
        const uint16_t outputs = Read<uint16_t>(record + 6);
        area.x = Read<int16_t>(record + 8);
        area.y = Read<int16_t>(record + 10);
        area.width = Read<uint16_t>(record + 12);
        area.height = Read<uint16_t>(record + 14);
        offset += kMonitorRecordBytes;
        if ((size - offset) / 4 < outputs) {
            monitors.clear();
            return false;
        }
        offset += size_t{4} * outputs;
        monitors.push_back(area);
    }
    return true;
}

MonitorArea PrimaryMonitorArea(const std::vector<MonitorArea>& monitors, int32_t screenWidth, int32_t screenHeight)
{
    std::vector<MonitorArea> ordered;
    for (const MonitorArea& monitor : monitors)
        if (monitor.primary)
            ordered.push_back(monitor);
    for (const MonitorArea& monitor : monitors)
        if (!monitor.primary)
            ordered.push_back(monitor);
    for (MonitorArea area : ordered)
        if (ClipToScreen(area, screenWidth, screenHeight))
            return area;
    MonitorArea screen;
    screen.width = screenWidth;
    screen.height = screenHeight;
    screen.primary = true;
    return screen;
}
