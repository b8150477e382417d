#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the screen watcher decides about the captures of the screen it takes while a saver
// starts, on plain pixel words: how each compares with the desktop the watch started from,
// how long a user saw each kind, and whether a saver showed more than the floor, a program
// that does nothing but show the desktop in a window like the saver's. No window system here.

// Where a pixel word keeps red, green and blue (an X image's masks, each one run of bits).
struct ChannelMasks {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

struct CaptureCounts {
    uint64_t pixels = 0;
    uint64_t asDesktop = 0;   // the desktop's colour exactly
    uint64_t blackened = 0;   // black where the desktop is not
};

// Adds `width` pixels of one row of a capture, compared with the same row of the desktop.
void CountRow(const uint32_t* capture, const uint32_t* desktop, size_t width, const ChannelMasks& masks,
              CaptureCounts& counts);

// Every channel in the darkest eighth of its range.
bool IsBlack(uint32_t pixel, const ChannelMasks& masks);

enum class CaptureKind {
    Desktop,  // exactly the desktop
    Ripples,  // the desktop but for a few pixels: the water has started to move
    Black,    // mostly black
    Unlike,   // mostly something else than the desktop (a tenth of the screen or more)
};
constexpr size_t kCaptureKinds = 4;

CaptureKind JudgeCapture(const CaptureCounts& counts);
const char* CaptureKindName(CaptureKind kind);
// What a user must not see while a saver starts.
inline bool IsFlash(CaptureKind kind)
{
    return kind == CaptureKind::Black || kind == CaptureKind::Unlike;
}

// Captures of one kind in a row, at times in ms since the watch began with the desktop (at 0).
// A user saw it for at least lastMs - firstMs, and for at most nextMs - previousMs: the
// captures around the run (nextMs is -1 while the run lasts to the end of the watch).
struct CaptureRun {
    CaptureKind kind;
    int64_t firstMs;
    int64_t lastMs;
    uint32_t captures;
    int64_t previousMs;
    int64_t nextMs;

    int64_t AtLeastMs() const { return lastMs - firstMs; }
    // -1 when unknown (the run lasted to the end).
    int64_t AtMostMs() const { return nextMs < 0 ? -1 : nextMs - previousMs; }
};

// What one program showed of each kind of flash over its watched starts: the total time it was
// seen at least and at most, in ms (a flash still on the screen when its watch ended counts as
// endless at most).
struct FlashTally {
    uint32_t starts = 0;
    std::array<uint32_t, kCaptureKinds> flashes{};
    std::array<int64_t, kCaptureKinds> atLeastMs{};
    std::array<int64_t, kCaptureKinds> atMostMs{};
};

// A few words per line; Parse accepts what Format writes, and an empty text (no start yet).
std::string FormatTally(const FlashTally& tally);
bool ParseTally(const std::string& text, FlashTally& tally);

// The kinds of flash a saver showed beyond a floor program watched over as many starts: the
// floor shows what the platform shows of any new full-screen window, whatever the program
// does. A kind the floor never showed is beyond it at once; one it showed is beyond it when the
// saver showed it longer in all (at least) than the floor did (at most) plus `allowanceMs`.
std::vector<CaptureKind> FlashesBeyond(const FlashTally& saver, const FlashTally& floor, int64_t allowanceMs);

// The captures of one watch, in the order taken, as runs of one kind.
class CaptureTimeline {
public:
    void Add(int64_t ms, CaptureKind kind);
    const std::vector<CaptureRun>& Runs() const { return runs; }
    uint32_t Captures() const { return captures; }
    // The longest time between two captures: a flash shorter than this may have been missed.
    int64_t LongestGapMs() const { return longestGapMs; }
    bool HasFlash() const;
    // Counts this watch as one more start of the tally's program.
    void AddToTally(FlashTally& tally) const;

private:
    std::vector<CaptureRun> runs;
    uint32_t captures = 0;
    int64_t longestGapMs = 0;
};
