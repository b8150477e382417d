#include "tests/screen/CaptureJudge.h"

#include <limits>
#include <sstream>

namespace {

bool ChannelIsDark(uint32_t pixel, uint32_t mask)
{
    // A mask is one run of bits, so a value at most an eighth of the mask is in the darkest
    // eighth of the channel's range.
    return (pixel & mask) <= (mask >> 3);
}

constexpr int64_t kEndless = std::numeric_limits<int64_t>::max();

}  // namespace

bool IsBlack(uint32_t pixel, const ChannelMasks& masks)
{
    return ChannelIsDark(pixel, masks.red) && ChannelIsDark(pixel, masks.green) && ChannelIsDark(pixel, masks.blue);
}

void CountRow(const uint32_t* capture, const uint32_t* desktop, size_t width, const ChannelMasks& masks,
              CaptureCounts& counts)
{
    const uint32_t colour = masks.red | masks.green | masks.blue;
    uint64_t same = 0, blackened = 0;
    for (size_t i = 0; i < width; ++i) {
        const uint32_t shown = capture[i] & colour;
        const uint32_t under = desktop[i] & colour;
        if (shown == under)
            ++same;
        else if (IsBlack(shown, masks) && !IsBlack(under, masks))
            ++blackened;
    }
    counts.pixels += width;
    counts.asDesktop += same;
    counts.blackened += blackened;
}

CaptureKind JudgeCapture(const CaptureCounts& counts)
{
    if (counts.asDesktop == counts.pixels)
        return CaptureKind::Desktop;
    if (counts.blackened * 2 >= counts.pixels)
        return CaptureKind::Black;
    // The first ripples change a few hundred pixels; a tenth of the screen is no ripple.
    if (counts.asDesktop * 10 < counts.pixels * 9)
        return CaptureKind::Unlike;
    return CaptureKind::Ripples;
}

const char* CaptureKindName(CaptureKind kind)
{
    switch (kind) {
    case CaptureKind::Desktop:
        return "desktop";
    case CaptureKind::Ripples:
        return "ripples";
    case CaptureKind::Black:
        return "black";
    case CaptureKind::Unlike:
        return "unlike";
    }
    return "?";
}

std::string FormatTally(const FlashTally& tally)
{
    std::string text = "starts " + std::to_string(tally.starts) + "\n";
    for (size_t k = 0; k < kCaptureKinds; ++k)
        if (tally.flashes[k] > 0)
            text += std::string(CaptureKindName(static_cast<CaptureKind>(k))) + " " +
                    std::to_string(tally.flashes[k]) + " " + std::to_string(tally.atLeastMs[k]) + " " +
                    std::to_string(tally.atMostMs[k]) + "\n";
    return text;
}

bool ParseTally(const std::string& text, FlashTally& tally)
{
    FlashTally parsed;
    std::istringstream words(text);
    std::string name;
    while (words >> name) {
        long long count = 0, atLeast = 0, atMost = 0;
        if (name == "starts") {
            if (!(words >> count) || count < 0)
                return false;
            parsed.starts = static_cast<uint32_t>(count);
            continue;
        }
        size_t k = 0;
        while (k < kCaptureKinds && name != CaptureKindName(static_cast<CaptureKind>(k)))
            ++k;
        if (k == kCaptureKinds || !(words >> count >> atLeast >> atMost) || count < 0 || atLeast < 0 ||
            atMost < atLeast)
            return false;
        parsed.flashes[k] = static_cast<uint32_t>(count);
        parsed.atLeastMs[k] = static_cast<int64_t>(atLeast);
        parsed.atMostMs[k] = static_cast<int64_t>(atMost);
    }
    tally = parsed;
    return true;
}

std::vector<CaptureKind> FlashesBeyond(const FlashTally& saver, const FlashTally& floor, int64_t allowanceMs)
{
    std::vector<CaptureKind> beyond;
    for (size_t k = 0; k < kCaptureKinds; ++k) {
        if (saver.flashes[k] == 0)
            continue;
        const bool excused = floor.flashes[k] > 0 &&
                             (floor.atMostMs[k] >= kEndless - allowanceMs ||
                              saver.atLeastMs[k] <= floor.atMostMs[k] + allowanceMs);
        if (!excused)
            beyond.push_back(static_cast<CaptureKind>(k));
    }
    return beyond;
}

void CaptureTimeline::Add(int64_t ms, CaptureKind kind)
{
    // The watch begins with the desktop at 0 ms.
    const int64_t previous = runs.empty() ? 0 : runs.back().lastMs;
    if (ms - previous > longestGapMs)
        longestGapMs = ms - previous;
    ++captures;
    if (!runs.empty() && runs.back().kind == kind) {
        runs.back().lastMs = ms;
        ++runs.back().captures;
        return;
    }
    if (!runs.empty())
        runs.back().nextMs = ms;
    runs.push_back({kind, ms, ms, 1, previous, -1});
}

bool CaptureTimeline::HasFlash() const
{
    for (const CaptureRun& run : runs)
        if (IsFlash(run.kind))
            return true;
    return false;
}

void CaptureTimeline::AddToTally(FlashTally& tally) const
{
    ++tally.starts;
    for (const CaptureRun& run : runs) {
        if (!IsFlash(run.kind))
            continue;
        const size_t k = static_cast<size_t>(run.kind);
        ++tally.flashes[k];
        tally.atLeastMs[k] += run.AtLeastMs();
        const int64_t atMost = run.AtMostMs();
        tally.atMostMs[k] = atMost < 0 || tally.atMostMs[k] >= kEndless - atMost ? kEndless : tally.atMostMs[k] + atMost;
    }
}
