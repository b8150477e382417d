#include <gtest/gtest.h>

#include <vector>

#include "tests/screen/CaptureJudge.h"

namespace {

constexpr ChannelMasks kRgb{0xFF0000, 0x00FF00, 0x0000FF};
constexpr ChannelMasks kRgb565{0xF800, 0x07E0, 0x001F};

CaptureCounts CountOne(const std::vector<uint32_t>& capture, const std::vector<uint32_t>& desktop,
                       const ChannelMasks& masks = kRgb)
{
    CaptureCounts counts;
    CountRow(capture.data(), desktop.data(), capture.size(), masks, counts);
    return counts;
}

CaptureCounts Counts(uint64_t pixels, uint64_t asDesktop, uint64_t blackened)
{
    CaptureCounts counts;
    counts.pixels = pixels;
    counts.asDesktop = asDesktop;
    counts.blackened = blackened;
    return counts;
}

}  // namespace

TEST(CaptureJudge, BlackIsEveryChannelInItsDarkestEighth)
{
    EXPECT_TRUE(IsBlack(0x000000, kRgb));
    EXPECT_TRUE(IsBlack(0x1F1F1F, kRgb));
    EXPECT_FALSE(IsBlack(0x201F1F, kRgb));
    EXPECT_FALSE(IsBlack(0x1F1F20, kRgb));
    EXPECT_FALSE(IsBlack(0x1F401F, kRgb));
    // Bits outside the masks (an X image's padding byte) do not count.
    EXPECT_TRUE(IsBlack(0xFF000000, kRgb));
    // Other layouts: 16-bit 5-6-5.
    EXPECT_TRUE(IsBlack(0x0000, kRgb565));
    EXPECT_TRUE(IsBlack((3u << 11) | (7u << 5) | 3u, kRgb565));
    EXPECT_FALSE(IsBlack(4u << 11, kRgb565));
    EXPECT_FALSE(IsBlack(8u << 5, kRgb565));
}

TEST(CaptureJudge, CountsPixelsAsOnTheDesktopAndBlackenedOnes)
{
    const std::vector<uint32_t> desktop{0x406080, 0x406080, 0x000000, 0x10181C, 0x406080, 0x406080};
    // Same; same but for the padding byte; black over black is as on the desktop; black over
    // a dark desktop pixel is no blackening; black over a bright one is; another colour is neither.
    const std::vector<uint32_t> capture{0x406080, 0xFF406080, 0x000000, 0x000000, 0x000000, 0x406081};
    const CaptureCounts counts = CountOne(capture, desktop);
    EXPECT_EQ(6u, counts.pixels);
    EXPECT_EQ(3u, counts.asDesktop);
    EXPECT_EQ(1u, counts.blackened);

    // Rows add up.
    CaptureCounts both = counts;
    CountRow(capture.data(), desktop.data(), capture.size(), kRgb, both);
    EXPECT_EQ(12u, both.pixels);
    EXPECT_EQ(6u, both.asDesktop);
    EXPECT_EQ(2u, both.blackened);
}

TEST(CaptureJudge, JudgesACaptureByHowMuchOfTheDesktopItShows)
{
    EXPECT_EQ(CaptureKind::Desktop, JudgeCapture(Counts(1000, 1000, 0)));
    // The first drops: a few pixels off.
    EXPECT_EQ(CaptureKind::Ripples, JudgeCapture(Counts(1000, 999, 0)));
    EXPECT_EQ(CaptureKind::Ripples, JudgeCapture(Counts(1000, 900, 100)));
    // A tenth of the screen or more is no ripple, black or not.
    EXPECT_EQ(CaptureKind::Unlike, JudgeCapture(Counts(1000, 899, 0)));
    EXPECT_EQ(CaptureKind::Unlike, JudgeCapture(Counts(1000, 600, 400)));
    EXPECT_EQ(CaptureKind::Unlike, JudgeCapture(Counts(1000, 0, 0)));
    // Half the screen blackened or more is black.
    EXPECT_EQ(CaptureKind::Black, JudgeCapture(Counts(1000, 500, 500)));
    EXPECT_EQ(CaptureKind::Black, JudgeCapture(Counts(1000, 0, 1000)));

    EXPECT_TRUE(IsFlash(CaptureKind::Black));
    EXPECT_TRUE(IsFlash(CaptureKind::Unlike));
    EXPECT_FALSE(IsFlash(CaptureKind::Desktop));
    EXPECT_FALSE(IsFlash(CaptureKind::Ripples));
}

TEST(CaptureTimeline, GroupsCapturesIntoRunsWithTheCapturesAroundThem)
{
    CaptureTimeline timeline;
    EXPECT_FALSE(timeline.HasFlash());
    timeline.Add(5, CaptureKind::Desktop);
    timeline.Add(10, CaptureKind::Desktop);
    timeline.Add(14, CaptureKind::Black);
    timeline.Add(30, CaptureKind::Black);
    timeline.Add(36, CaptureKind::Black);
    timeline.Add(41, CaptureKind::Desktop);
    timeline.Add(70, CaptureKind::Ripples);
    EXPECT_EQ(7u, timeline.Captures());
    EXPECT_EQ(29, timeline.LongestGapMs());
    EXPECT_TRUE(timeline.HasFlash());

    const std::vector<CaptureRun>& runs = timeline.Runs();
    ASSERT_EQ(4u, runs.size());
    // The watch begins with the desktop at 0.
    EXPECT_EQ(CaptureKind::Desktop, runs[0].kind);
    EXPECT_EQ(0, runs[0].previousMs);
    EXPECT_EQ(2u, runs[0].captures);
    const CaptureRun& black = runs[1];
    EXPECT_EQ(CaptureKind::Black, black.kind);
    EXPECT_EQ(14, black.firstMs);
    EXPECT_EQ(36, black.lastMs);
    EXPECT_EQ(3u, black.captures);
    EXPECT_EQ(22, black.AtLeastMs());
    EXPECT_EQ(31, black.AtMostMs());  // from the desktop at 10 to the desktop at 41
    EXPECT_EQ(CaptureKind::Ripples, runs[3].kind);
    EXPECT_EQ(-1, runs[3].AtMostMs());  // lasts to the end

    // A flash from the first capture on was on the screen since at most the start.
    CaptureTimeline early;
    early.Add(3, CaptureKind::Unlike);
    early.Add(8, CaptureKind::Desktop);
    EXPECT_EQ(0, early.Runs()[0].previousMs);
    EXPECT_EQ(8, early.Runs()[0].AtMostMs());
}

namespace {

// One watched start: the desktop, a flash of `kind` seen from `firstMs` to `lastMs` (the desktop
// again `afterMs` later, none when 0), then the first ripples.
CaptureTimeline Start(CaptureKind kind, int64_t firstMs, int64_t lastMs, int64_t afterMs)
{
    CaptureTimeline timeline;
    timeline.Add(firstMs - 5, CaptureKind::Desktop);
    timeline.Add(firstMs, kind);
    timeline.Add(lastMs, kind);
    if (afterMs > 0) {
        timeline.Add(lastMs + afterMs, CaptureKind::Desktop);
        timeline.Add(lastMs + afterMs + 50, CaptureKind::Ripples);
    }
    return timeline;
}

CaptureTimeline CleanStart()
{
    CaptureTimeline timeline;
    timeline.Add(5, CaptureKind::Desktop);
    timeline.Add(300, CaptureKind::Ripples);
    return timeline;
}

}  // namespace

TEST(FlashTally, AddsUpEachStartsFlashesSeenAtLeastAndAtMost)
{
    FlashTally tally;
    CleanStart().AddToTally(tally);
    EXPECT_EQ(1u, tally.starts);
    EXPECT_EQ(0u, tally.flashes[static_cast<size_t>(CaptureKind::Black)]);

    Start(CaptureKind::Black, 100, 120, 4).AddToTally(tally);  // at least 20, at most 5 + 20 + 4
    Start(CaptureKind::Black, 200, 210, 6).AddToTally(tally);  // at least 10, at most 5 + 10 + 6
    const size_t black = static_cast<size_t>(CaptureKind::Black);
    EXPECT_EQ(3u, tally.starts);
    EXPECT_EQ(2u, tally.flashes[black]);
    EXPECT_EQ(30, tally.atLeastMs[black]);
    EXPECT_EQ(50, tally.atMostMs[black]);
    EXPECT_EQ(0u, tally.flashes[static_cast<size_t>(CaptureKind::Unlike)]);

    // A flash still on the screen when the watch ended lasted, at most, for ever.
    Start(CaptureKind::Black, 100, 900, 0).AddToTally(tally);
    EXPECT_EQ(830, tally.atLeastMs[black]);
    EXPECT_GT(tally.atMostMs[black], int64_t{1} << 60);
    Start(CaptureKind::Black, 100, 120, 4).AddToTally(tally);
    EXPECT_GT(tally.atMostMs[black], int64_t{1} << 60);  // and stays so, without overflowing
}

TEST(FlashTally, ASaverMayShowAFlashOnlyAsFarAsTheFloorShowedIt)
{
    const size_t black = static_cast<size_t>(CaptureKind::Black);
    FlashTally floor, saver;
    for (int start = 0; start < 3; ++start) {
        CleanStart().AddToTally(floor);
        CleanStart().AddToTally(saver);
    }
    EXPECT_TRUE(FlashesBeyond(saver, floor, 60).empty());

    // Where the floor never showed black, any black is a flash too many, however short.
    Start(CaptureKind::Black, 100, 100, 3).AddToTally(saver);
    CleanStart().AddToTally(floor);
    EXPECT_EQ(std::vector<CaptureKind>{CaptureKind::Black}, FlashesBeyond(saver, floor, 60));

    // Where the floor showed it, the saver may show it as long in all, plus the allowance.
    FlashTally blackFloor;
    Start(CaptureKind::Black, 100, 110, 5).AddToTally(blackFloor);  // at most 20
    Start(CaptureKind::Black, 100, 115, 5).AddToTally(blackFloor);  // at most 25
    FlashTally within;
    Start(CaptureKind::Black, 100, 130, 5).AddToTally(within);  // at least 30
    Start(CaptureKind::Black, 100, 115, 5).AddToTally(within);  // at least 15: 45 = 20 + 25
    EXPECT_TRUE(FlashesBeyond(within, blackFloor, 0).empty());
    FlashTally beyond = within;
    beyond.atLeastMs[black] += 1;
    EXPECT_EQ(std::vector<CaptureKind>{CaptureKind::Black}, FlashesBeyond(beyond, blackFloor, 0));
    EXPECT_TRUE(FlashesBeyond(beyond, blackFloor, 1).empty());

    // A black floor is no excuse for a capture unlike the desktop.
    FlashTally unlike;
    Start(CaptureKind::Unlike, 100, 101, 2).AddToTally(unlike);
    CleanStart().AddToTally(unlike);
    EXPECT_EQ(std::vector<CaptureKind>{CaptureKind::Unlike}, FlashesBeyond(unlike, blackFloor, 1000));

    // A floor flash that never ended excuses any length.
    FlashTally endless;
    Start(CaptureKind::Black, 100, 900, 0).AddToTally(endless);
    EXPECT_TRUE(FlashesBeyond(within, endless, 60).empty());
}

TEST(FlashTally, IsWrittenAndReadBackAsText)
{
    FlashTally tally;
    EXPECT_EQ("starts 0\n", FormatTally(tally));
    Start(CaptureKind::Black, 100, 120, 4).AddToTally(tally);
    Start(CaptureKind::Unlike, 100, 100, 9).AddToTally(tally);
    EXPECT_EQ("starts 2\nblack 1 20 29\nunlike 1 0 14\n", FormatTally(tally));

    FlashTally read;
    ASSERT_TRUE(ParseTally(FormatTally(tally), read));
    EXPECT_EQ(tally.starts, read.starts);
    EXPECT_EQ(tally.flashes, read.flashes);
    EXPECT_EQ(tally.atLeastMs, read.atLeastMs);
    EXPECT_EQ(tally.atMostMs, read.atMostMs);
    ASSERT_TRUE(ParseTally("", read));
    EXPECT_EQ(0u, read.starts);

    for (const char* bad : {"starts", "starts -1", "black 1 20", "black 1 30 20", "grey 1 2 3", "black one 2 3"}) {
        FlashTally untouched;
        untouched.starts = 7;
        EXPECT_FALSE(ParseTally(bad, untouched)) << bad;
        EXPECT_EQ(7u, untouched.starts) << bad;
    }
}
