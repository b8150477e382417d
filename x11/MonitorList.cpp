#include "x11/MonitorList.h"

#include <algorithm>

namespace {

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
