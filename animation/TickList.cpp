#include "animation/TickList.h"

#include <limits>
#include <utility>

#include "animation/AnimationTick.h"
#include "animation/TickSchedule.h"
#include "common/MessageText.h"

namespace {

constexpr char kStandardPrefix[] = "std:";

// A nonempty run of decimal digits that fits `limit`.
bool ParseDecimal(const std::string& text, uintmax_t limit, uintmax_t& value)
{
    if (text.empty())
        return false;
    value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        const uintmax_t digit = static_cast<uintmax_t>(ch - '0');
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

bool Fail(std::vector<uintptr_t>& ticks, std::string& error, std::string message)
{
    ticks.clear();
    error = std::move(message);
    return false;
}

} // namespace

std::vector<uintptr_t> StandardTickSchedule(uint32_t frames)
{
    // The live schedule, read at each deadline in turn up to the last frame's end.
    constexpr int64_t kNsPerMs = 1000000;
    const int64_t end = static_cast<int64_t>(frames) * kFramePeriodMs * kNsPerMs;
    TickSchedule schedule(TickSchedule::SaverTimers(), 0);
    std::vector<uintptr_t> ticks;
    for (int64_t now = schedule.NextDeadline(); now <= end; now = schedule.NextDeadline())
        while (const std::optional<uintptr_t> id = schedule.NextDue(now))
            ticks.push_back(*id);
    return ticks;
}

bool ParseTickList(const std::string& text, std::vector<uintptr_t>& ticks, std::string& error)
{
    ticks.clear();
    if (text.empty())
        return Fail(ticks, error, "the tick list is empty");

    if (text.compare(0, sizeof kStandardPrefix - 1, kStandardPrefix) == 0) {
        uintmax_t frames = 0;
        if (!ParseDecimal(text.substr(sizeof kStandardPrefix - 1), kMaxStandardFrames, frames) || frames == 0)
            return Fail(ticks, error,
                        "invalid tick list " + QuoteForMessage(text) + ": std:N takes N from 1 to " +
                            std::to_string(kMaxStandardFrames));
        ticks = StandardTickSchedule(static_cast<uint32_t>(frames));
        error.clear();
        return true;
    }

    size_t itemNumber = 1;
    for (size_t start = 0;; ++itemNumber) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        uintmax_t id = 0;
        if (item.empty())
            return Fail(ticks, error, "invalid tick list: item " + std::to_string(itemNumber) + " is empty");
        if (!ParseDecimal(item, std::numeric_limits<uintptr_t>::max(), id))
            return Fail(ticks, error,
                        "invalid tick list: item " + std::to_string(itemNumber) + " " + QuoteForMessage(item) +
                            " is not a timer identifier (a decimal number up to " +
                            std::to_string(std::numeric_limits<uintptr_t>::max()) + ")");
        ticks.push_back(static_cast<uintptr_t>(id));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    error.clear();
    return true;
}
