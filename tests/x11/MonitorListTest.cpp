#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "x11/MonitorList.h"

namespace {

template <typename Value>
void Put(std::vector<uint8_t>& bytes, Value value)
{
    uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

// One monitor record of a GetMonitors reply as the server sends it to this client.
void PutMonitor(std::vector<uint8_t>& bytes, bool primary, int16_t x, int16_t y, uint16_t width, uint16_t height,
                uint16_t outputs)
{
    Put<uint32_t>(bytes, 0x123);  // name atom
    bytes.push_back(primary ? 1 : 0);
    bytes.push_back(1);  // automatic
    Put<uint16_t>(bytes, outputs);
    Put<int16_t>(bytes, x);
    Put<int16_t>(bytes, y);
    Put<uint16_t>(bytes, width);
    Put<uint16_t>(bytes, height);
    Put<uint32_t>(bytes, 300);  // millimetres
    Put<uint32_t>(bytes, 200);
    for (uint16_t k = 0; k < outputs; ++k)
        Put<uint32_t>(bytes, 0x40 + k);
}

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

TEST(MonitorList, RecordsWithTheirOutputsAreRead)
{
    std::vector<uint8_t> body;
    PutMonitor(body, false, 0, 0, 1920, 1080, 1);
    PutMonitor(body, true, 1920, -200, 2560, 1440, 2);
    PutMonitor(body, false, -1024, 0, 1024, 768, 0);
    std::vector<MonitorArea> monitors;
    ASSERT_TRUE(ParseMonitorList(body.data(), body.size(), 3, monitors));
    ASSERT_EQ(3u, monitors.size());
    ExpectArea(Area(0, 0, 1920, 1080), monitors[0]);
    ExpectArea(Area(1920, -200, 2560, 1440), monitors[1]);
    ExpectArea(Area(-1024, 0, 1024, 768), monitors[2]);
    EXPECT_FALSE(monitors[0].primary);
    EXPECT_TRUE(monitors[1].primary);
}

TEST(MonitorList, AReplyShorterThanItsRecordsIsRefusedWhole)
{
    std::vector<uint8_t> body;
    PutMonitor(body, true, 0, 0, 800, 600, 3);
    std::vector<MonitorArea> monitors;
    for (size_t cut = 0; cut < body.size(); ++cut) {
        EXPECT_FALSE(ParseMonitorList(body.data(), cut, 1, monitors)) << cut;
        EXPECT_TRUE(monitors.empty());
    }
    EXPECT_FALSE(ParseMonitorList(body.data(), body.size(), 2, monitors));
    EXPECT_TRUE(ParseMonitorList(body.data(), body.size(), 1, monitors));
    EXPECT_TRUE(ParseMonitorList(nullptr, 0, 0, monitors));
    EXPECT_TRUE(monitors.empty());
}

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
