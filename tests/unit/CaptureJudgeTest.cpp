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

TEST(CaptureTimeline, AFlashIsExcusedOnlyAsFarAsTheFloorShowedIt)
{
    CaptureTimeline saver;
    saver.Add(5, CaptureKind::Desktop);
    saver.Add(10, CaptureKind::Black);
    saver.Add(30, CaptureKind::Black);  // at least 20 ms
    saver.Add(34, CaptureKind::Desktop);
    saver.Add(50, CaptureKind::Ripples);

    // Where no floor start ever showed black, any black is a flash too many.
    const FlashFloor none;
    ASSERT_EQ(1u, saver.FlashesBeyond(none).size());
    EXPECT_EQ(10, saver.FlashesBeyond(none)[0].firstMs);

    // The floor's figure is each kind's longest, seen at most, over all its starts.
    FlashFloor floor;
    CaptureTimeline floorStart;
    floorStart.Add(4, CaptureKind::Desktop);
    floorStart.Add(9, CaptureKind::Black);
    floorStart.Add(15, CaptureKind::Desktop);  // black for at most 11 ms
    floorStart.AddToFloor(floor);
    EXPECT_EQ(11, floor.longestMs[static_cast<size_t>(CaptureKind::Black)]);
    EXPECT_EQ(1u, saver.FlashesBeyond(floor).size());  // 20 ms is beyond 11

    CaptureTimeline longerStart;
    longerStart.Add(4, CaptureKind::Desktop);
    longerStart.Add(9, CaptureKind::Black);
    longerStart.Add(20, CaptureKind::Black);
    longerStart.Add(24, CaptureKind::Desktop);  // at most 20 ms
    longerStart.AddToFloor(floor);
    floorStart.AddToFloor(floor);  // a shorter one does not lower the figure
    EXPECT_EQ(20, floor.longestMs[static_cast<size_t>(CaptureKind::Black)]);
    EXPECT_TRUE(saver.FlashesBeyond(floor).empty());
    // Black is no excuse for a capture unlike the desktop.
    EXPECT_EQ(-1, floor.longestMs[static_cast<size_t>(CaptureKind::Unlike)]);

    // A floor flash still on the screen when its watch ended excuses any length.
    CaptureTimeline endless;
    endless.Add(3, CaptureKind::Unlike);
    endless.AddToFloor(floor);
    CaptureTimeline unlike;
    unlike.Add(1, CaptureKind::Unlike);
    unlike.Add(900, CaptureKind::Unlike);
    unlike.Add(901, CaptureKind::Ripples);
    EXPECT_TRUE(unlike.FlashesBeyond(floor).empty());
}

TEST(FlashFloor, IsWrittenAndReadBackAsText)
{
    FlashFloor floor;
    EXPECT_EQ("", FormatFloor(floor));
    floor.longestMs[static_cast<size_t>(CaptureKind::Black)] = 38;
    floor.longestMs[static_cast<size_t>(CaptureKind::Unlike)] = 0;
    EXPECT_EQ("black 38\nunlike 0\n", FormatFloor(floor));

    FlashFloor read;
    ASSERT_TRUE(ParseFloor(FormatFloor(floor), read));
    EXPECT_EQ(floor.longestMs, read.longestMs);
    ASSERT_TRUE(ParseFloor("", read));
    EXPECT_EQ(FlashFloor{}.longestMs, read.longestMs);

    for (const char* bad : {"black", "black -3", "grey 10", "black ten", "10 black"}) {
        FlashFloor untouched;
        untouched.longestMs[0] = 7;
        EXPECT_FALSE(ParseFloor(bad, untouched)) << bad;
        EXPECT_EQ(7, untouched.longestMs[0]) << bad;
    }
}
