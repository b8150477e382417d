#pragma once
#include <cstdint>
#include <optional>
#include <vector>

// When the saver's timers are due, on a monotonic clock in nanoseconds. Every timer keeps
// to the grid of its period from the start, whatever the lateness of the ticks before it:
// a late tick never shifts the ones after it. Ticks come out in the order of their deadlines,
// timers due at the same moment in identifier order, as one queue of timer ticks delivers
// them. A timer that fell a whole period or more behind (a stopped or starved process)
// fires once for all its missed ticks and goes on at its next deadline after now, so that
// the saver never races to catch up.
class TickSchedule {
public:
    struct Timer {
        uintptr_t id;
        int64_t periodNs;
    };

    // The saver's three timers (kSaverTimers), periods in nanoseconds.
    static std::vector<Timer> SaverTimers();

    // Starts every timer at `startNs`; each is first due one period later. Periods must be
    // positive.
    TickSchedule(std::vector<Timer> timers, int64_t startNs);

    // The next tick due at `nowNs`, which is then taken off the schedule; none when every
    // timer's deadline is still ahead. Call it until it returns none.
    std::optional<uintptr_t> NextDue(int64_t nowNs);

    // The earliest deadline of all timers.
    int64_t NextDeadline() const;

private:
    struct Entry {
        Timer timer;
        int64_t deadline;
    };
    std::vector<Entry> entries;
    int64_t start;
};
