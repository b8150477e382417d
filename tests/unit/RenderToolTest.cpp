// Runs the vellumar-render program itself and checks its files, output and exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "animation/TickList.h"
#include "water/WaterReference.h"

#ifndef VELLUMAR_RENDER_PROGRAM
#error "VELLUMAR_RENDER_PROGRAM must name the vellumar-render program"
#endif

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

uint32_t Get32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k)
        value = value << 8 | static_cast<uint8_t>(bytes[at + k]);
    return value;
}

void Put32(std::string& bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<char>(value >> (8 * k));
}

class RenderTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vellumar-render-test-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(name));
        dir = name;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    // Arguments are quoted for the shell; none of ours holds a single quote.
    RunResult Run(const std::vector<std::string>& args) const
    {
        std::string command = std::string("'") + VELLUMAR_RENDER_PROGRAM + "'";
        for (const auto& arg : args)
            command += " '" + arg + "'";
        command += " >'" + Path("stdout.txt") + "' 2>'" + Path("stderr.txt") + "'";
        RunResult result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = Contents(Path("stdout.txt"));
        result.err = Contents(Path("stderr.txt"));
        ::unlink(Path("stdout.txt").c_str());
        ::unlink(Path("stderr.txt").c_str());
        return result;
    }

    std::vector<std::string> Entries(const std::string& path) const
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(path.c_str())) {
            while (dirent* entry = ::readdir(d))
                if (entry->d_name[0] != '.')
                    names.push_back(entry->d_name);
            ::closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
};

// A picture as it looks on screen, top row first, and the same as a 24-bit top-down bitmap
// file written by hand.
struct ScreenPicture {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> screen;

    ScreenPicture(int32_t w, int32_t h) : width(w), height(h)
    {
        for (int32_t i = 0; i < w * h; ++i)
            screen.push_back((static_cast<uint32_t>(i) * 0x9E3779B1u >> 5) & 0xFFFFFF);
    }

    std::string TopDownBitmap24() const
    {
        const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        std::string file(54 + rowBytes * height, '\0');
        file[0] = 'B';
        file[1] = 'M';
        Put32(file, 2, static_cast<uint32_t>(file.size()));
        Put32(file, 10, 54);
        Put32(file, 14, 40);
        Put32(file, 18, static_cast<uint32_t>(width));
        Put32(file, 22, static_cast<uint32_t>(-height));
        file[26] = 1;
        file[28] = 24;
        for (int32_t r = 0; r < height; ++r)
            for (int32_t c = 0; c < width; ++c) {
                const uint32_t p = screen[static_cast<size_t>(r) * width + c];
                const size_t at = 54 + r * rowBytes + c * 3;
                file[at] = static_cast<char>(p);
                file[at + 1] = static_cast<char>(p >> 8);
                file[at + 2] = static_cast<char>(p >> 16);
            }
        return file;
    }

    // The saver's memory order: the bottom screen row first.
    std::vector<uint32_t> BottomUp() const
    {
        std::vector<uint32_t> memory;
        for (int32_t r = height - 1; r >= 0; --r)
            memory.insert(memory.end(), screen.begin() + static_cast<long>(r) * width,
                          screen.begin() + static_cast<long>(r + 1) * width);
        return memory;
    }
};

// The pixels of a 32-bit bottom-up bitmap file with 54-byte headers, in file order.
std::vector<uint32_t> PixelsOfOutput(const std::string& file, int32_t width, int32_t height)
{
    EXPECT_EQ(54u + 4u * width * height, file.size());
    EXPECT_EQ("BM", file.substr(0, 2));
    EXPECT_EQ(file.size(), Get32(file, 2));
    EXPECT_EQ(54u, Get32(file, 10));
    EXPECT_EQ(40u, Get32(file, 14));
    EXPECT_EQ(static_cast<uint32_t>(width), Get32(file, 18));
    EXPECT_EQ(static_cast<uint32_t>(height), Get32(file, 22));
    EXPECT_EQ(32u << 16 | 1u, Get32(file, 26));
    EXPECT_EQ(0u, Get32(file, 30));
    EXPECT_EQ(4u * width * height, Get32(file, 34));
    std::vector<uint32_t> pixels;
    for (size_t at = 54; at + 4 <= file.size(); at += 4)
        pixels.push_back(Get32(file, at));
    return pixels;
}

std::string TickText(const std::vector<uintptr_t>& ticks)
{
    std::string text;
    for (uintptr_t id : ticks)
        text += (text.empty() ? "" : ",") + std::to_string(id);
    return text;
}

bool IsOneLine(const std::string& text)
{
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

} // namespace

// Three frame ticks at 1024 x 768: the first drop lands on page 1, unseen; the second (seed
// 22713 + 3, draws 8683 and 14151) lands on page 0 at column 256, row 311; the third frame
// shows that disc of height 50 and nothing else.
TEST_F(RenderTool, ReplaysTheWindowsTicksOntoThePicture)
{
    const ScreenPicture picture(1024, 768);
    WriteBytes(Path("in.bmp"), picture.TopDownBitmap24());
    const RunResult run = Run({"--source", Path("in.bmp"), "--ticks", "1,1,1", "--output", Path("a.bmp")});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    const std::vector<uint32_t> source = picture.BottomUp();
    const std::vector<uint32_t> shown = PixelsOfOutput(Contents(Path("a.bmp")), 1024, 768);
    ASSERT_EQ(source.size(), shown.size());
    const auto at = [](int row, int column) { return static_cast<size_t>(row) * 1024 + column; };
    int changed = 0, changedOutsideTheDisc = 0;
    for (int row = 0; row < 768; ++row)
        for (int column = 0; column < 1024; ++column)
            if (shown[at(row, column)] != source[at(row, column)]) {
                ++changed;
                changedOutsideTheDisc += std::abs(row - 311) > 5 || std::abs(column - 256) > 5;
            }
    EXPECT_GT(changed, 20);
    EXPECT_EQ(0, changedOutsideTheDisc);
    // Left of the rim the slope is -50: the source 7 pixels to the left, lightened by 50.
    EXPECT_EQ(ShadePixel(source[at(311, 244)], -50), shown[at(311, 251)]);
    // Inside the right rim +50: 6 pixels to the right, darkened by 50.
    EXPECT_EQ(ShadePixel(source[at(311, 266)], 50), shown[at(311, 260)]);
    // At the top of the disc the slope upwards moves the source 6 rows up, unshaded.
    EXPECT_EQ(source[at(321, 256)], shown[at(315, 256)]);
    EXPECT_EQ(source[at(311, 256)], shown[at(311, 256)]);  // flat inside

    // The PNG of the same replay holds the same pixels: as the source of a replay without a
    // frame tick it comes out as the same bitmap.
    ASSERT_EQ(0, Run({"--source", Path("in.bmp"), "--ticks", "1,1,1", "--output", Path("a.png")}).status);
    ASSERT_EQ(0, Run({"--source", Path("a.png"), "--ticks", "2", "--output", Path("c.bmp")}).status);
    EXPECT_EQ(Contents(Path("a.bmp")), Contents(Path("c.bmp")));
}

TEST_F(RenderTool, WritesEveryNthFrameAndReplacesAnExistingOutput)
{
    const ScreenPicture picture(24, 18);
    WriteBytes(Path("in.bmp"), picture.TopDownBitmap24());
    WriteBytes(Path("out.bmp"), std::string(100000, 'x'));
    const RunResult run = Run({"--source", Path("in.bmp"), "--ticks", "std:10", "--output", Path("out.bmp"),
                               "--frames", Path("frames/deeper"), "--every", "3"});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ((std::vector<std::string>{"frame-000003.bmp", "frame-000006.bmp", "frame-000009.bmp"}),
              Entries(Path("frames/deeper")));
    EXPECT_EQ((std::vector<std::string>{"frames", "in.bmp", "out.bmp"}), Entries(dir));
    // Frame 9 is the picture after the ninth frame tick and before the ticks that follow it,
    // and std:10 is the timers' schedule of ten frames, written out here as a list.
    std::vector<uintptr_t> ticks = StandardTickSchedule(9);
    ticks.pop_back(); // the timer-3 tick after the ninth frame
    ASSERT_EQ(0, Run({"--source", Path("in.bmp"), "--ticks", TickText(ticks), "--output", Path("nine.bmp")}).status);
    EXPECT_EQ(Contents(Path("nine.bmp")), Contents(Path("frames/deeper/frame-000009.bmp")));
    ASSERT_EQ(0, Run({"--source", Path("in.bmp"), "--ticks", TickText(StandardTickSchedule(10)), "--output", Path("ten.bmp")}).status);
    EXPECT_EQ(Contents(Path("ten.bmp")), Contents(Path("out.bmp")));
    EXPECT_NE(PixelsOfOutput(Contents(Path("ten.bmp")), 24, 18), picture.BottomUp());
}

TEST_F(RenderTool, BadInputGetsOneLineStatusTwoAndLeavesTheOutputAlone)
{
    const ScreenPicture picture(10, 8);
    const std::string good = picture.TopDownBitmap24();
    WriteBytes(Path("good.bmp"), good);
    WriteBytes(Path("truncated.bmp"), good.substr(0, good.size() - 20));
    std::string eightBit = good;
    eightBit[28] = 8;
    WriteBytes(Path("eight.bmp"), eightBit);
    std::string huge = good;
    Put32(huge, 18, 16385);
    WriteBytes(Path("huge.bmp"), huge);
    WriteBytes(Path("empty.bmp"), "");
    WriteBytes(Path("text.png"), "this is not a picture");
    ::mkdir(Path("folder.bmp").c_str(), 0755);
    const std::string before = "the user's earlier output";
    WriteBytes(Path("out.bmp"), before);
    WriteBytes(Path("out.png"), before);

    const std::string out = Path("out.bmp");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--source", Path("missing.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("truncated.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("eight.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("huge.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("empty.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("text.png"), "--ticks", "1", "--output", Path("out.png")},
        {"--source", Path("folder.bmp"), "--ticks", "1", "--output", out},
        {"--source", Path("good.bmp"), "--ticks", "", "--output", out},
        {"--source", Path("good.bmp"), "--ticks", "1,,2", "--output", out},
        {"--source", Path("good.bmp"), "--ticks", "std:0", "--output", out},
        {"--source", Path("good.bmp"), "--ticks", "-1", "--output", out},
        {"--source", Path("good.bmp"), "--ticks", "1", "--output", out, "--speed", "9"},
        {"--source", Path("good.bmp"), "--ticks", "1", "--output", Path("out.gif")},
        {"--source", Path("good.bmp"), "--ticks", "1", "--output", out, "--every", "2"},
        {"--source", Path("good.bmp"), "--ticks", "1", "--output", out, "--frames", Path("f"), "--every", "0"},
        {"--source", Path("eight.bmp"), "--ticks", "std:5", "--output", out, "--frames", Path("f")},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& arg : args)
            shown += arg + " ";
        const RunResult run = Run(args);
        EXPECT_EQ(2, run.status) << shown;
        EXPECT_TRUE(IsOneLine(run.err)) << shown << "\n" << run.err;
        EXPECT_EQ(0u, run.err.find("vellumar-render: ")) << run.err;
        EXPECT_EQ("", run.out) << shown;
        EXPECT_EQ(before, Contents(out)) << shown;
        EXPECT_EQ(before, Contents(Path("out.png"))) << shown;
    }
    EXPECT_EQ((std::vector<std::string>{"eight.bmp", "empty.bmp", "folder.bmp", "good.bmp", "huge.bmp", "out.bmp",
                                        "out.png", "text.png", "truncated.bmp"}),
              Entries(dir));
}

TEST_F(RenderTool, AnOutputThatCannotBeWrittenGetsStatusOne)
{
    WriteBytes(Path("in.bmp"), ScreenPicture(8, 8).TopDownBitmap24());
    const RunResult run = Run({"--source", Path("in.bmp"), "--ticks", "1", "--output", Path("no/such/out.bmp")});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(IsOneLine(run.err)) << run.err;
    EXPECT_EQ((std::vector<std::string>{"in.bmp"}), Entries(dir));
}

TEST_F(RenderTool, HelpGoesToStandardOutput)
{
    const RunResult run = Run({"--help"});
    EXPECT_EQ(0, run.status);
    EXPECT_NE(std::string::npos, run.out.find("--source IN --ticks LIST --output OUT"));
    EXPECT_EQ("", run.err);
}
