#include "animation/TickSchedule.h"

#include <algorithm>
#include <cstdint>

#include "animation/AnimationTick.h"

namespace {

constexpr int64_t kNsPerMs = 1000000;

} // namespace

std::vector<TickSchedule::Timer> TickSchedule::SaverTimers()
{
    std::vector<Timer> timers;
    for (const SaverTimer& timer : kSaverTimers)
        timers.push_back({timer.id, timer.periodMs * kNsPerMs});
    return timers;
}

TickSchedule::TickSchedule(std::vector<Timer> timers, int64_t startNs) : start(startNs)
{
    for (const Timer& timer : timers)
        entries.push_back({timer, startNs + timer.periodNs});
}

std::optional<uintptr_t> TickSchedule::NextDue(int64_t nowNs)
{
    Entry* due = nullptr;
    for (Entry& entry : entries) {
        if (entry.deadline > nowNs)
            continue;
        if (!due || entry.deadline < due->deadline ||
            (entry.deadline == due->deadline && entry.timer.id < due->timer.id))
            due = &entry;
    }
    if (!due)
        return std::nullopt;
    const int64_t period = due->timer.periodNs;
    due->deadline += period;
    if (due->deadline <= nowNs) {
        // Behind by a whole period or more: the missed ticks merge into this one, and the
        // timer goes on at its first deadline of the grid after now.
        due->deadline = start + ((nowNs - start) / period + 1) * period;
    }
    return due->timer.id;
}

int64_t TickSchedule::NextDeadline() const
{
    int64_t earliest = INT64_MAX;
    for (const Entry& entry : entries)
        earliest = std::min(earliest, entry.deadline);
    return earliest;
}
