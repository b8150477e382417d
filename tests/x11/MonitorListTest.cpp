#include <gtest/gtest.h>

#include <vector>

#include "x11/MonitorList.h"

namespace {

MonitorArea Area(int32_t x, int32_t y, int32_t width, int32_t height, bool primary = false)
{
    MonitorArea area;
    area.x = x;
    area.y = y;
    area.width = width;
    area.height = height;
    area.primary = primary;
    return area;
}

void ExpectArea(const MonitorArea& expected, const MonitorArea& actual)
{
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
}

} // namespace

TEST(MonitorList, ThePrimaryMonitorClippedToTheScreen)
{
    ExpectArea(Area(1920, 0, 1280, 1024),
               PrimaryMonitorArea({Area(0, 0, 1920, 1080), Area(1920, 0, 1280, 1024, true)}, 3200, 1080));
    // No primary: the first listed.
    ExpectArea(Area(0, 0, 1920, 1080), PrimaryMonitorArea({Area(0, 0, 1920, 1080), Area(1920, 0, 1280, 1024)}, 3200, 1080));
    // Partly off the screen: the part on it.
    ExpectArea(Area(0, 0, 100, 50), PrimaryMonitorArea({Area(-20, -10, 120, 60, true)}, 800, 600));
    ExpectArea(Area(700, 500, 100, 100), PrimaryMonitorArea({Area(700, 500, 300, 300, true)}, 800, 600));
    // A primary wholly off the screen gives way to the next monitor, then to the screen.
    ExpectArea(Area(0, 0, 400, 600),
               PrimaryMonitorArea({Area(900, 0, 100, 100, true), Area(0, 0, 400, 600)}, 800, 600));
    ExpectArea(Area(0, 0, 800, 600), PrimaryMonitorArea({Area(900, 0, 100, 100, true), Area(0, 0, 0, 600)}, 800, 600));
    ExpectArea(Area(0, 0, 800, 600), PrimaryMonitorArea({}, 800, 600));
}
