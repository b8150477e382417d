#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "water/WaterField.h"
#include "water/WaterReference.h"

namespace {

uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return red << 16 | green << 8 | blue;
}

struct Scene {
    WaterField field;
    std::vector<uint32_t> source;
    std::vector<uint32_t> output;

    Scene(int32_t width, int32_t height)
        : source(static_cast<size_t>(width) * height), output(static_cast<size_t>(width) * height, 0xDEADBEEF)
    {
        field.Create(width, height);
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = 0xAB000000u | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFF);
    }
    int32_t& H(int32_t i) { return field.Page(0)[i]; }
    void Render() { field.Render(source.data(), output.data()); }
};

} // namespace

TEST(Refraction, FlatWaterCopiesInteriorWithTopByteClearedAndLeavesBorder)
{
    for (auto [w, h] : {std::pair<int32_t, int32_t>{8, 6}, {7, 5}, {3, 3}, {33, 4}}) {
        Scene scene(w, h);
        scene.Render();
        for (int32_t r = 0; r < h; ++r)
            for (int32_t c = 0; c < w; ++c) {
                const int32_t i = r * w + c;
                const bool interior = r > 0 && r < h - 1 && c > 0 && c < w - 1;
                EXPECT_EQ(interior ? (scene.source[i] & 0xFFFFFF) : 0xDEADBEEFu, scene.output[i])
                    << w << "x" << h << " at " << r << "," << c;
            }
    }
}

TEST(Refraction, SlopeDisplacesAndShadesTheSpecifiedPixels)
{
    Scene scene(8, 8);
    const int32_t i = 3 * 8 + 3;
    scene.H(i) = 16;
    scene.source[i + 2 * 8 + 2] = Rgb(128, 128, 173);
    scene.source[i - 1 - 2] = Rgb(10, 20, 250);  // seen by the pixel to the left, raised by 16
    scene.source[i - 8 - 16] = Rgb(1, 2, 3);     // seen by the pixel below, unchanged
    scene.Render();
    EXPECT_EQ(Rgb(112, 112, 157), scene.output[i]);
    EXPECT_EQ(Rgb(26, 36, 255), scene.output[i - 1]);
    EXPECT_EQ(Rgb(1, 2, 3), scene.output[i - 8]);
}

TEST(Refraction, SmallSlopesShadeWithoutDisplacing)
{
    Scene scene(8, 8);
    const int32_t i = 2 * 8 + 2;
    scene.H(i + 1) = 1; // dx = -1 at i: one pixel left, channels up by 1
    scene.source[i - 1] = Rgb(0, 254, 255);
    const int32_t k = 5 * 8 + 2;
    scene.H(k) = 7;     // dx = 7, dy = 7: no displacement, channels down by 7
    scene.source[k] = Rgb(10, 5, 200);
    scene.Render();
    EXPECT_EQ(Rgb(1, 255, 255), scene.output[i]);
    EXPECT_EQ(Rgb(3, 0, 193), scene.output[k]);
}

TEST(Refraction, ShadeClampsEachChannel)
{
    EXPECT_EQ(Rgb(0, 0, 0), ShadePixel(Rgb(10, 10, 10), 16));
    EXPECT_EQ(Rgb(255, 255, 255), ShadePixel(Rgb(250, 250, 250), -8));
    EXPECT_EQ(Rgb(255, 255, 255), ShadePixel(0xFFFF00FF, INT_MIN));
    EXPECT_EQ(Rgb(0, 0, 0), ShadePixel(0xFFFF00FF, 300));
    EXPECT_EQ(Rgb(0, 0, 0), ShadePixel(0xFFFFFFFF, INT_MAX));
}

TEST(Refraction, DisplacedIndexOutsideKeepsTheOldPixel)
{
    // Index 0 itself counts as outside, and so do negative indices and those past the end.
    Scene scene(8, 8);
    scene.H(9) = -8;    // dx = dy = -8: j = 9 - 8 - 1 = 0
    scene.H(41) = -48;  // dx = dy = -48: j = 41 - 48 - 6 = -13
    scene.H(54) = 80;   // dx = dy = 80: j = 54 + 80 + 10 = 144
    scene.Render();
    EXPECT_EQ(0xDEADBEEFu, scene.output[9]);
    EXPECT_EQ(0xDEADBEEFu, scene.output[41]);
    EXPECT_EQ(0xDEADBEEFu, scene.output[54]);
    EXPECT_EQ(scene.source[10] & 0xFFFFFF, scene.output[10]);
}

TEST(Refraction, HorizontalOffsetRunsIntoTheNeighbouringRow)
{
    Scene scene(8, 8);
    const int32_t i = 2 * 8 + 6;
    scene.H(i) = 24; // dx = 24 - 0: three to the right; dy = 24: three rows up
    scene.Render();
    EXPECT_EQ(ShadePixel(scene.source[i + 3 * 8 + 3], 24), scene.output[i]);
}

TEST(Refraction, ReadsPageZeroStepsCurrentPageAndFlips)
{
    Scene scene(6, 6);
    scene.field.Page(1)[2 * 6 + 2] = 64;
    scene.Render(); // steps into page 0 from page 1
    EXPECT_EQ(1, scene.field.CurrentPage());
    EXPECT_EQ(16, scene.field.Page(0)[1 * 6 + 1]);
    // Now page 0 has ripples, page 1 a different shape and current page 1: the next frame
    // shows page 0 as the step left it, and steps into page 1.
    std::vector<int32_t> pageZero(scene.field.Page(0), scene.field.Page(0) + 36);
    std::vector<uint32_t> expected = scene.output;
    ReferenceRefract(pageZero.data(), scene.source.data(), expected.data(), 6, 6);
    scene.Render();
    EXPECT_EQ(0, scene.field.CurrentPage());
    EXPECT_EQ(expected, scene.output);
    EXPECT_EQ(-31, scene.field.Page(1)[2 * 6 + 2]);
}

TEST(Refraction, EmptyFieldTouchesNoBufferAndFlips)
{
    WaterField field;
    uint32_t source[4] = {1, 2, 3, 4};
    uint32_t output[4] = {5, 6, 7, 8};
    field.Render(source, output);
    EXPECT_EQ(1, field.CurrentPage());
    EXPECT_EQ(5u, output[0]);
    EXPECT_EQ(8u, output[3]);
    field.Render(nullptr, nullptr);
    EXPECT_EQ(0, field.CurrentPage());
}

TEST(Refraction, MissingPixelMemoryStillStepsTheWater)
{
    WaterField field;
    field.Create(6, 6);
    field.Page(1)[14] = 64;
    field.Render(nullptr, nullptr);
    EXPECT_EQ(16, field.Page(0)[7]);
    EXPECT_EQ(1, field.CurrentPage());
}

TEST(Refraction, ExtremeHeightsWrapWithoutLeavingTheBuffer)
{
    Scene scene(9, 7);
    for (int32_t i = 0; i < 63; ++i)
        scene.H(i) = (i % 3 == 0) ? INT_MIN : (i % 3 == 1 ? INT_MAX : -1);
    std::vector<uint32_t> expected = scene.output;
    ReferenceRefract(scene.field.Page(0), scene.source.data(), expected.data(), 9, 7);
    scene.Render();
    EXPECT_EQ(expected, scene.output);
}
