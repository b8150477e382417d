#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "animation/AnimationTick.h"
#include "animation/TickSchedule.h"
#include "water/WaterField.h"

namespace {

// Resident set size in bytes, from the kernel's own accounting.
long ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * 4096;
}

struct HeightRange {
    int32_t lowest = 0;
    int32_t highest = 0;
};

HeightRange RangeOf(const WaterField& water)
{
    HeightRange range;
    const size_t cells = static_cast<size_t>(water.Width()) * water.Height();
    for (int32_t page = 0; page < 2; ++page) {
        const auto [low, high] = std::minmax_element(water.Page(page), water.Page(page) + cells);
        range.lowest = std::min(range.lowest, *low);
        range.highest = std::max(range.highest, *high);
    }
    return range;
}

} // namespace

// The damping keeps the saver's drops (50 high, radius 5, about 2.4 a frame) within a few
// hundred: measured over 9,000 frames the field stayed within -208..82.
constexpr int32_t kHeightBound = 400;

TEST(Soak, TwentyThousandTicksAtFullHdStayBoundedWithFlatMemory)
{
    const int32_t width = 1920;
    const int32_t height = 1080;
    WaterField water;
    water.Create(width, height);
    TickState state;
    std::vector<uint32_t> source(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    std::vector<uint32_t> output = source;

    long ticks = 0;
    long residentAfterWarmUp = 0;
    HeightRange seen;
    TickSchedule schedule(TickSchedule::SaverTimers(), 0);
    for (int frame = 1; ticks < 20000; ++frame) {
        while (const std::optional<uintptr_t> id = schedule.NextDue(int64_t{frame} * kFramePeriodMs * 1000000)) {
            RunTick(water, state, *id, width, height, source.data(), output.data());
            ++ticks;
        }
        if (frame == 200)
            residentAfterWarmUp = ResidentBytes();
        if (frame % 250 == 0) {
            const HeightRange range = RangeOf(water);
            seen.lowest = std::min(seen.lowest, range.lowest);
            seen.highest = std::max(seen.highest, range.highest);
            ASSERT_GT(range.lowest, -kHeightBound) << "frame " << frame;
            ASSERT_LT(range.highest, kHeightBound) << "frame " << frame;
        }
    }
    const long residentAtEnd = ResidentBytes();
    std::printf("ticks %ld, heights %d..%d, resident after warm-up %ld KiB, at end %ld KiB\n", ticks,
                seen.lowest, seen.highest, residentAfterWarmUp / 1024, residentAtEnd / 1024);
    ASSERT_GT(residentAfterWarmUp, 0);
    EXPECT_LE(residentAtEnd - residentAfterWarmUp, 256 * 1024);
    // The ripples never die out altogether under a steady rain of drops.
    EXPECT_GT(seen.highest, 0);
    EXPECT_LT(seen.lowest, 0);
}
