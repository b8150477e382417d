#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "animation/TickList.h"
#include "animation/TickSchedule.h"

namespace {

constexpr int64_t kMs = 1000000;
constexpr int64_t kStart = 5 * kMs;  // not 0: the grid counts from the start, not from the clock's zero

// Every tick due at `now`, in the order the schedule gives them.
std::vector<uintptr_t> DueAt(TickSchedule& schedule, int64_t now)
{
    std::vector<uintptr_t> ticks;
    while (auto id = schedule.NextDue(now))
        ticks.push_back(*id);
    return ticks;
}

void Append(std::vector<uintptr_t>& to, const std::vector<uintptr_t>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// The standard schedule up to and including `endMs` after the start.
std::vector<uintptr_t> StandardUpTo(int64_t endMs)
{
    std::vector<uintptr_t> ticks;
    std::vector<std::pair<int64_t, uintptr_t>> events;
    for (int64_t t = 60; t <= endMs; t += 60) {
        events.emplace_back(t, 1);
        events.emplace_back(t, 3);
    }
    for (int64_t t = 170; t <= endMs; t += 170)
        events.emplace_back(t, 2);
    std::sort(events.begin(), events.end());
    for (const auto& event : events)
        ticks.push_back(event.second);
    return ticks;
}

} // namespace

TEST(TickSchedule, WokenAtEveryDeadlineGivesTheReplayToolsStandardTicks)
{
    TickSchedule schedule(TickSchedule::SaverTimers(), kStart);
    std::vector<uintptr_t> ticks;
    EXPECT_TRUE(DueAt(schedule, kStart).empty());
    EXPECT_TRUE(DueAt(schedule, kStart + 60 * kMs - 1).empty());
    const uint32_t frames = 2000;
    while (schedule.NextDeadline() <= kStart + int64_t{frames} * 60 * kMs)
        Append(ticks, DueAt(schedule, schedule.NextDeadline()));
    EXPECT_EQ(StandardTickSchedule(frames), ticks);
}

TEST(TickSchedule, TimersDueTogetherComeInIdentifierOrder)
{
    TickSchedule schedule(TickSchedule::SaverTimers(), kStart);
    DueAt(schedule, kStart + 1019 * kMs);
    // 1020 ms is a multiple of 60 and of 170.
    EXPECT_EQ((std::vector<uintptr_t>{1, 2, 3}), DueAt(schedule, kStart + 1020 * kMs));
    TickSchedule reversed({{3, 60 * kMs}, {2, 170 * kMs}, {1, 60 * kMs}}, kStart);
    DueAt(reversed, kStart + 1019 * kMs);
    EXPECT_EQ((std::vector<uintptr_t>{1, 2, 3}), DueAt(reversed, kStart + 1020 * kMs));
}

TEST(TickSchedule, WakeUpsLateByLessThanAPeriodLoseAndReorderNothing)
{
    // Deadlines that pass while the saver sleeps come out in the order of their deadlines:
    // at 185 ms timer 2 (170) comes before timers 1 and 3 (180).
    TickSchedule schedule(TickSchedule::SaverTimers(), kStart);
    EXPECT_EQ((std::vector<uintptr_t>{1, 3}), DueAt(schedule, kStart + 65 * kMs));
    EXPECT_EQ((std::vector<uintptr_t>{1, 3}), DueAt(schedule, kStart + 125 * kMs));
    EXPECT_EQ((std::vector<uintptr_t>{2, 1, 3}), DueAt(schedule, kStart + 185 * kMs));

    std::mt19937 random(12);
    for (int round = 0; round < 20; ++round) {
        TickSchedule jittered(TickSchedule::SaverTimers(), kStart);
        std::vector<uintptr_t> ticks;
        int64_t now = kStart;
        while (now < kStart + 30000 * kMs) {
            now += std::uniform_int_distribution<int64_t>(1, 60 * kMs - 1)(random);
            Append(ticks, DueAt(jittered, now));
        }
        EXPECT_EQ(StandardUpTo((now - kStart) / kMs), ticks) << "round " << round;
    }
}

TEST(TickSchedule, ALateTickDoesNotShiftTheOnesAfterIt)
{
    TickSchedule schedule({{1, 60 * kMs}}, kStart);
    EXPECT_EQ((std::vector<uintptr_t>{1}), DueAt(schedule, kStart + 110 * kMs));  // due at 60, 50 ms late
    EXPECT_EQ(kStart + 120 * kMs, schedule.NextDeadline());
    EXPECT_EQ((std::vector<uintptr_t>{1}), DueAt(schedule, kStart + 120 * kMs));
    EXPECT_EQ(kStart + 180 * kMs, schedule.NextDeadline());
}

TEST(TickSchedule, ATimerAPeriodOrMoreBehindFiresOnceAndKeepsItsGrid)
{
    TickSchedule schedule(TickSchedule::SaverTimers(), kStart);
    // A process stopped for a second: every timer fires once, in the order of its oldest
    // missed deadline, and is next due at its first deadline after now.
    EXPECT_EQ((std::vector<uintptr_t>{1, 3, 2}), DueAt(schedule, kStart + 1000 * kMs));
    EXPECT_EQ(kStart + 1020 * kMs, schedule.NextDeadline());
    EXPECT_EQ((std::vector<uintptr_t>{1, 2, 3}), DueAt(schedule, kStart + 1020 * kMs));
    EXPECT_EQ(kStart + 1080 * kMs, schedule.NextDeadline());

    // Exactly one period late: the two due ticks merge, and the grid goes on.
    TickSchedule one({{1, 60 * kMs}}, kStart);
    EXPECT_EQ((std::vector<uintptr_t>{1}), DueAt(one, kStart + 120 * kMs));
    EXPECT_EQ(kStart + 180 * kMs, one.NextDeadline());
}

TEST(TickSchedule, NextDeadlineIsTheEarliestOfAllTimers)
{
    TickSchedule schedule(TickSchedule::SaverTimers(), kStart);
    EXPECT_EQ(kStart + 60 * kMs, schedule.NextDeadline());
    DueAt(schedule, kStart + 169 * kMs);
    EXPECT_EQ(kStart + 170 * kMs, schedule.NextDeadline());
    DueAt(schedule, kStart + 170 * kMs);
    EXPECT_EQ(kStart + 180 * kMs, schedule.NextDeadline());
}
