#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "animation/TickList.h"

namespace {

std::vector<uintptr_t> Parsed(const std::string& text)
{
    std::vector<uintptr_t> ticks;
    std::string error;
    EXPECT_TRUE(ParseTickList(text, ticks, error)) << text << ": " << error;
    EXPECT_TRUE(error.empty());
    return ticks;
}

// The standard schedule built another way: every timer event with its time, sorted by
// time and then by identifier.
std::vector<uintptr_t> EventsSortedByTime(uint32_t frames)
{
    std::vector<std::pair<uint64_t, uintptr_t>> events;
    const uint64_t end = uint64_t{60} * frames;
    for (uint64_t t = 60; t <= end; t += 60) {
        events.emplace_back(t, 1);
        events.emplace_back(t, 3);
    }
    for (uint64_t t = 170; t <= end; t += 170)
        events.emplace_back(t, 2);
    std::sort(events.begin(), events.end());
    std::vector<uintptr_t> ids;
    for (const auto& event : events)
        ids.push_back(event.second);
    return ids;
}

} // namespace

TEST(TickList, ParsesCommaSeparatedIdentifiersInOrder)
{
    EXPECT_EQ((std::vector<uintptr_t>{1, 3, 2, 1, 3}), Parsed("1,3,2,1,3"));
    EXPECT_EQ((std::vector<uintptr_t>{0}), Parsed("0"));
    EXPECT_EQ((std::vector<uintptr_t>{7, 42}), Parsed("007,42"));
    const uintptr_t largest = std::numeric_limits<uintptr_t>::max();
    EXPECT_EQ((std::vector<uintptr_t>{largest, 1}), Parsed(std::to_string(largest) + ",1"));
}

TEST(TickList, RefusesJunkEmptyItemsSignsAndOverflow)
{
    // The largest identifier ends in 5 on both 32- and 64-bit platforms; one more overflows.
    std::string tooLarge = std::to_string(std::numeric_limits<uintptr_t>::max());
    tooLarge.back() = '6';
    for (const std::string& text :
         {std::string(), std::string(","), std::string("1,"), std::string(",1"), std::string("1,,2"),
          std::string("+1"), std::string("-1"), std::string(" 1"), std::string("1 "), std::string("1;2"),
          std::string("0x10"), std::string("1.5"), std::string("a"), std::string("1,2,three"), tooLarge,
          std::string("99999999999999999999999999"), std::string("1\n2"), std::string("std:"),
          std::string("std:0"), std::string("std:-1"), std::string("std:+5"), std::string("std: 5"),
          std::string("std:5x"), std::string("std:1,1"), std::string("1,std:2"), std::string("STD:5"),
          std::string("std:1000001"), std::string("std:99999999999999999999"), std::string("std"),
          std::string(1, '\0')}) {
        std::vector<uintptr_t> ticks = {9, 9};
        std::string error;
        EXPECT_FALSE(ParseTickList(text, ticks, error)) << text;
        EXPECT_TRUE(ticks.empty()) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(std::string::npos, error.find('\n')) << text;
    }
}

TEST(TickList, StandardScheduleOrdersTimersDueTogetherByIdentifier)
{
    EXPECT_EQ((std::vector<uintptr_t>{1, 3}), StandardTickSchedule(1));
    // 60, 120, then timer 2 at 170 before the frame at 180.
    EXPECT_EQ((std::vector<uintptr_t>{1, 3, 1, 3, 2, 1, 3}), StandardTickSchedule(3));
    // At 1020 ms all three fall due: 1, 2, 3.
    const auto seventeen = StandardTickSchedule(17);
    ASSERT_GE(seventeen.size(), 3u);
    EXPECT_EQ((std::vector<uintptr_t>{1, 2, 3}), std::vector<uintptr_t>(seventeen.end() - 3, seventeen.end()));
    EXPECT_TRUE(StandardTickSchedule(0).empty());
}

TEST(TickList, StandardScheduleHoldsEveryTimerEventUpToTheLastFrame)
{
    for (uint32_t frames : {1u, 2u, 3u, 17u, 100u, 1000u, 12345u}) {
        const auto ticks = StandardTickSchedule(frames);
        EXPECT_EQ(EventsSortedByTime(frames), ticks) << frames;
        EXPECT_EQ(2 * frames + 60 * frames / 170, ticks.size()) << frames;
        EXPECT_EQ(ticks, Parsed("std:" + std::to_string(frames)));
    }
    EXPECT_EQ(StandardTickSchedule(kMaxStandardFrames).size(),
              Parsed("std:" + std::to_string(kMaxStandardFrames)).size());
}
