#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/render/RenderOptions.h"

namespace {

bool Parse(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    return ParseRenderOptions(args, options, error);
}

} // namespace

TEST(RenderOptions, TakesSeparateAndJoinedValues)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--source", "in.png", "--ticks=1,3,2", "--output", "out.BMP"}, options, error)) << error;
    EXPECT_EQ("in.png", options.source);
    EXPECT_EQ("1,3,2", options.ticks);
    EXPECT_EQ("out.BMP", options.output);
    EXPECT_EQ(PictureFormat::Bmp, options.outputFormat);
    EXPECT_TRUE(options.framesDirectory.empty());
    EXPECT_EQ(1u, options.every);
    EXPECT_FALSE(options.help);

    ASSERT_TRUE(Parse({"--output=a/b.Png", "--every", "4", "--frames", "dir", "--source=x.bmp", "--ticks", "std:9"},
                      options, error))
        << error;
    EXPECT_EQ(PictureFormat::Png, options.outputFormat);
    EXPECT_EQ("dir", options.framesDirectory);
    EXPECT_EQ(4u, options.every);
    EXPECT_EQ("std:9", options.ticks);

    ASSERT_TRUE(Parse({"--source", "in.png", "--ticks", "1", "--output", "o.png", "--frames", "f"}, options, error));
    EXPECT_EQ(1u, options.every);
}

TEST(RenderOptions, HelpAnywhereAsksOnlyForTheUsage)
{
    for (const auto& args : {std::vector<std::string>{"--help"}, {"--source", "a", "-h"}, {"--bogus", "--help"}}) {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE(Parse(args, options, error));
        EXPECT_TRUE(options.help);
    }
    EXPECT_NE(std::string::npos, RenderUsage().find("--ticks LIST"));
}

TEST(RenderOptions, RefusesMalformedCommandLinesWithOneLine)
{
    const std::vector<std::string> base = {"--source", "in.png", "--ticks", "1", "--output", "out.bmp"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--ticks", "1", "--output", "o.bmp"},
        {"--source", "i.png", "--output", "o.bmp"},
        {"--source", "i.png", "--ticks", "1"},
        with({"--speed", "2"}),
        with({"-v"}),
        with({"stray"}),
        with({"--"}),
        with({"--source", "again.png"}),
        {"--source", "--ticks", "1", "--output", "o.bmp"},
        {"--source", "i.png", "--ticks", "1", "--output"},
        {"--source=", "--ticks", "1", "--output", "o.bmp"},
        {"--source", "", "--ticks", "1", "--output", "o.bmp"},
        {"--source", "i.png", "--ticks", "1", "--output", "o.gif"},
        {"--source", "i.png", "--ticks", "1", "--output", "o"},
        {"--source", "i.png", "--ticks", "1", "--output", ".png"},
        {"--source", "i.png", "--ticks", "1", "--output", "dir/.bmp"},
        {"--source", "i.png", "--ticks", "1", "--output", "o.png.txt"},
        with({"--every", "2"}),
        with({"--frames", "f", "--every", "0"}),
        with({"--frames", "f", "--every=-1"}),
        with({"--frames", "f", "--every", "2x"}),
        with({"--frames", "f", "--every", "4294967296"}),
        with({"--frames", "f", "--every", "99999999999999999999"}),
    };
    for (const auto& args : bad) {
        RenderOptions options;
        std::string error;
        std::string shown;
        for (const auto& arg : args)
            shown += arg + " ";
        EXPECT_FALSE(Parse(args, options, error)) << shown;
        EXPECT_FALSE(error.empty()) << shown;
        EXPECT_EQ(std::string::npos, error.find('\n')) << shown;
    }
    RenderOptions options;
    std::string error;
    EXPECT_TRUE(Parse(with({"--frames", "f", "--every", "4294967295"}), options, error)) << error;
    // One dash is no option here, as it is for the X11 saver.
    EXPECT_FALSE(Parse(with({"-help"}), options, error));
    EXPECT_EQ("unexpected argument '-help' (see --help)", error);
}

TEST(RenderOptions, FramesAreNumberedInTheOutputFormat)
{
    RenderOptions options;
    options.framesDirectory = "frames";
    options.outputFormat = PictureFormat::Png;
    EXPECT_EQ("frames/frame-000007.png", FrameFileName(options, 7));
    options.framesDirectory = "/tmp/x/";
    options.outputFormat = PictureFormat::Bmp;
    EXPECT_EQ("/tmp/x/frame-1234567.bmp", FrameFileName(options, 1234567));
}
