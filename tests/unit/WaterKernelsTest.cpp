#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "animation/AnimationTick.h"
#include "water/WaterField.h"
#include "water/WaterKernels.h"
#include "water/WaterReference.h"

// Every fast kernel must give exactly what the reference arithmetic gives, on every input.
// Each test drives a field with the kernel under test and a reference field side by side.

namespace {

// The fast kernels this build has; the tests of a kernel the processor cannot run say so and skip.
std::vector<WaterKernel> BuiltFastKernels()
{
    std::vector<WaterKernel> kernels;
    for (WaterKernel kernel : kAllWaterKernels)
        if (kernel != WaterKernel::Reference && WaterKernelOpsFor(kernel))
            kernels.push_back(kernel);
    return kernels;
}

std::string Name(WaterKernel kernel)
{
    switch (kernel) {
    case WaterKernel::Reference:
        return "reference";
    case WaterKernel::Portable:
        return "portable";
    case WaterKernel::Sse2:
        return "SSE2";
    case WaterKernel::Simd128:
        return "WebAssembly SIMD";
    case WaterKernel::Avx2:
        return "AVX2";
    case WaterKernel::Avx512:
        return "AVX-512";
    }
    return "?";
}

// A fast field, a reference field and one pixel buffer set for each.
struct Twins {
    WaterField fast;
    WaterField reference;
    std::vector<uint32_t> source;
    std::vector<uint32_t> fastOutput;
    std::vector<uint32_t> referenceOutput;

    Twins(WaterKernel kernel, int32_t width, int32_t height, uint32_t seed)
    {
        fast.SetKernel(kernel);
        reference.SetKernel(WaterKernel::Reference);
        fast.Create(width, height);
        reference.Create(width, height);
        const size_t cells = static_cast<size_t>(width) * height;
        std::mt19937 random(seed);
        source.resize(cells);
        for (uint32_t& pixel : source)
            pixel = random(); // top bytes set too: they must come out cleared
        fastOutput.assign(cells, 0xA5A5A5A5u);
        referenceOutput = fastOutput;
    }

    // The same drop in both; radius 1 sets exactly one interior cell.
    void Drop(int32_t x, int32_t y, int32_t radius, int32_t amount, int32_t page)
    {
        fast.AddDrop(x, y, radius, amount, page);
        reference.AddDrop(x, y, radius, amount, page);
    }

    void Render()
    {
        fast.Render(source.data(), fastOutput.data());
        reference.Render(source.data(), referenceOutput.data());
    }

    void Step(int32_t page, int32_t shift)
    {
        fast.Step(page, shift);
        reference.Step(page, shift);
    }

    // Compared through const views: the writable Page() would switch the fast field to
    // checking its pages from their data, which is not the path under test here.
    ::testing::AssertionResult Same() const
    {
        const WaterField& f = fast;
        const WaterField& r = reference;
        if (f.CurrentPage() != r.CurrentPage())
            return ::testing::AssertionFailure() << "current page differs";
        const size_t cells = static_cast<size_t>(f.Width()) * f.Height();
        for (int32_t page = 0; page < 2; ++page) {
            for (size_t i = 0; i < cells; ++i) {
                if (f.Page(page)[i] != r.Page(page)[i])
                    return ::testing::AssertionFailure() << "page " << page << " differs at " << i << ": "
                                                         << f.Page(page)[i] << " instead of " << r.Page(page)[i];
            }
        }
        for (size_t i = 0; i < fastOutput.size(); ++i) {
            if (fastOutput[i] != referenceOutput[i])
                return ::testing::AssertionFailure() << "output differs at " << i << ": " << std::hex << fastOutput[i]
                                                     << " instead of " << referenceOutput[i];
        }
        return ::testing::AssertionSuccess();
    }
};

// Heights of every kind: mostly small ripples, some steep ones, some at the 32-bit limits.
int32_t RandomHeight(std::mt19937& random)
{
    switch (random() % 8) {
    case 0:
        return static_cast<int32_t>(random());
    case 1:
        return (random() % 2) ? INT_MAX - static_cast<int32_t>(random() % 4) : INT_MIN + static_cast<int32_t>(random() % 4);
    case 2:
    case 3:
        return static_cast<int32_t>(random() % 4001) - 2000;
    default:
        return static_cast<int32_t>(random() % 129) - 64;
    }
}

// Sets scattered interior cells of both pages through single-cell drops, the way the field
// is changed in use (Page() writes are tested separately).
void SprinkleDrops(Twins& twins, std::mt19937& random, int32_t count)
{
    const int32_t width = twins.fast.Width();
    const int32_t height = twins.fast.Height();
    for (int32_t n = 0; n < count; ++n) {
        const int32_t x = static_cast<int32_t>(random() % static_cast<uint32_t>(width + 2)) - 1;
        const int32_t y = static_cast<int32_t>(random() % static_cast<uint32_t>(height + 2)) - 1;
        const int32_t radius = (random() % 4 == 0) ? 3 : 1;
        twins.Drop(std::max(x, 0), std::max(y, 0), radius, RandomHeight(random), static_cast<int32_t>(random() % 2));
    }
}

// The tests every fast kernel must pass, one instance per kernel of this build.
class EachKernel : public ::testing::TestWithParam<WaterKernel> {
protected:
    void SetUp() override
    {
        if (SupportedWaterKernel(GetParam()) != GetParam())
            GTEST_SKIP() << "this processor or system cannot run the " << Name(GetParam()) << " kernel";
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(WaterKernels, EachKernel, ::testing::ValuesIn(BuiltFastKernels()),
                         [](const ::testing::TestParamInfo<WaterKernel>& info) {
                             std::string name;
                             for (char c : Name(info.param))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

TEST(WaterKernels, ChoosingAKernelFallsBackToWhatTheProcessorRuns)
{
    WaterField field;
    EXPECT_EQ(BestWaterKernel(), field.Kernel());
    for (WaterKernel wanted : kAllWaterKernels) {
        field.SetKernel(wanted);
        EXPECT_EQ(SupportedWaterKernel(wanted), field.Kernel());
        EXPECT_TRUE(field.Kernel() == wanted || field.Kernel() == BestWaterKernel()) << Name(wanted);
        EXPECT_TRUE(field.Kernel() == WaterKernel::Reference || WaterKernelOpsFor(field.Kernel()))
            << Name(wanted) << ": a kernel this build does not have";
    }
#if defined(__x86_64__)
    EXPECT_NE(WaterKernel::Reference, BestWaterKernel()) << "every x86-64 processor has SSE2";
    EXPECT_EQ(WaterKernel::Sse2, SupportedWaterKernel(WaterKernel::Sse2));
    EXPECT_EQ(BestWaterKernel(), SupportedWaterKernel(WaterKernel::Simd128)) << "x86 has no WebAssembly kernel";
#endif
}

TEST_P(EachKernel, RandomFieldsOfEverySmallSizeMatchTheReference)
{
    const WaterKernel kernel = GetParam();
    uint32_t seed = 1;
    for (int32_t height = 1; height <= 42; ++height) {
        for (int32_t width = 1; width <= 42; ++width) {
            Twins twins(kernel, width, height, ++seed);
            std::mt19937 random(seed);
            for (int frame = 0; frame < 6; ++frame) {
                // Dense at first, then sparse, so chunks go from wet to calm and back.
                SprinkleDrops(twins, random, frame == 0 ? width * height / 2 + 1 : static_cast<int32_t>(random() % 4));
                twins.Render();
                ASSERT_TRUE(twins.Same()) << Name(kernel) << " " << width << "x" << height << " frame " << frame;
            }
        }
    }
}

TEST_P(EachKernel, StepWithAnyPageAndShiftMatchesTheReference)
{
    const WaterKernel kernel = GetParam();
    for (int32_t shift : {0, 1, 4, 5, 6, 31, 32, 37, -1, INT_MIN}) {
        for (int32_t page : {0, 1, -3, 7}) {
            Twins twins(kernel, 37, 23, 99);
            std::mt19937 random(static_cast<uint32_t>(shift) + static_cast<uint32_t>(page) * 100u);
            SprinkleDrops(twins, random, 300);
            for (int n = 0; n < 4; ++n) {
                twins.Step(page, shift);
                ASSERT_TRUE(twins.Same()) << Name(kernel) << " shift " << shift << " page " << page;
            }
        }
    }
}

TEST_P(EachKernel, HeightsNearTheThirtyTwoBitLimitsWrapAsInTheReference)
{
    const WaterKernel kernel = GetParam();
    for (int32_t width : {3, 9, 16, 33, 70}) {
        Twins twins(kernel, width, 19, 5);
        std::mt19937 random(static_cast<uint32_t>(width));
        for (int32_t y = 1; y < 18; ++y) {
            for (int32_t x = 1; x < width - 1; ++x) {
                const int32_t extremes[] = {INT_MAX, INT_MIN, INT_MAX - 1, INT_MIN + 1, -1, 0, 1 << 30};
                twins.Drop(x, y, 1, extremes[random() % 7], 0);
                twins.Drop(x, y, 1, extremes[random() % 7], 1);
            }
        }
        for (int frame = 0; frame < 5; ++frame) {
            twins.Render();
            ASSERT_TRUE(twins.Same()) << Name(kernel) << " width " << width << " frame " << frame;
        }
    }
}

TEST_P(EachKernel, DisplacementsOffBothEndsLeaveThoseOutputPixelsAlone)
{
    const WaterKernel kernel = GetParam();
    for (int32_t width : {5, 8, 13, 40}) {
        const int32_t height = 12;
        Twins twins(kernel, width, height, 77);
        // Deep troughs in the lowest rows point below index 0 (and at 0 itself), high crests
        // in the top rows point past the end; every vector lane sees both kinds.
        for (int32_t x = 1; x < width - 1; ++x) {
            for (int32_t y = 1; y <= 3; ++y)
                twins.Drop(x, y, 1, -8 * (x + 2 * y + 1) - (x % 3) * 8 * width, 0);
            for (int32_t y = height - 4; y < height - 1; ++y)
                twins.Drop(x, y, 1, 8 * (x + y) + (x % 2) * 8 * width * height, 0);
        }
        twins.Render();
        ASSERT_TRUE(twins.Same()) << Name(kernel) << " width " << width;
        // The reference left some pixels alone and wrote others: the case was exercised.
        int kept = 0;
        for (uint32_t pixel : twins.referenceOutput)
            kept += pixel == 0xA5A5A5A5u;
        EXPECT_GT(kept, 2 * width + 2 * (height - 2)) << "only the border kept its pixels";
        twins.Render();
        ASSERT_TRUE(twins.Same()) << Name(kernel) << " width " << width << ", second frame";
    }
}

TEST_P(EachKernel, WaterOnChunkEdgesIsSeenFromTheNeighbouringChunk)
{
    // A single cell on either side of a chunk edge: the chunk that holds it is wet, and its
    // neighbours must notice it through their one-cell border. Chunks 63 and 64 are tracked
    // in different words, so the field is wider than 64 chunks.
    const int32_t width = 66 * kWaterChunkWidth + 5;
    const WaterKernel kernel = GetParam();
    for (int32_t edge : {1, 2, 63, 64, 65, 66}) {
        for (int32_t offset : {-1, 0}) {
            for (int32_t page : {0, 1}) {
                Twins twins(kernel, width, 9, 3);
                twins.Drop(edge * kWaterChunkWidth + offset, 4, 1, 800, page);
                for (int frame = 0; frame < 8; ++frame) {
                    twins.Render();
                    ASSERT_TRUE(twins.Same())
                        << Name(kernel) << " edge " << edge << offset << " page " << page << " frame " << frame;
                }
            }
        }
    }
}

TEST(WaterKernels, ScreenSizedFieldsFollowTheReferenceOverThousandsOfTicks)
{
    // The standard schedule: timers 1 and 3 every 60 ms, timer 2 every 170 ms; ticks that fall
    // due at the same moment come in identifier order. One reference field, one per fast kernel,
    // and each kernel again with its output rows top-down.
    const int32_t width = 1024;
    const int32_t height = 768;
    // The kernels this build and processor run; the others would only repeat the best one.
    std::vector<WaterKernel> kernels;
    for (WaterKernel kernel : kAllWaterKernels)
        if (SupportedWaterKernel(kernel) == kernel)
            kernels.push_back(kernel);
    const int kKinds = static_cast<int>(kernels.size());
    const size_t cells = static_cast<size_t>(width) * height;
    std::vector<uint32_t> source(cells);
    std::mt19937 random(2026);
    for (uint32_t& pixel : source)
        pixel = random();
    std::unique_ptr<WaterField[]> fields(new WaterField[2 * kKinds]);
    std::vector<TickState> states(2 * kKinds);
    std::vector<std::vector<uint32_t>> outputs(2 * kKinds);
    const auto order = [kKinds](int k) { return k < kKinds ? RowOrder::BottomUp : RowOrder::TopDown; };
    for (int k = 0; k < 2 * kKinds; ++k) {
        fields[k].SetKernel(kernels[k % kKinds]);
        fields[k].Create(width, height);
        outputs[k] = source;
        if (order(k) == RowOrder::TopDown)
            for (int32_t row = 0; row < height; ++row)
                std::copy_n(&source[static_cast<size_t>(height - 1 - row) * width], width,
                            &outputs[k][static_cast<size_t>(row) * width]);
    }
    const WaterField& reference = fields[0];
    // A band of whole chunks, watched to see it wet and calm again during the run.
    int32_t calmToWet = 0;
    int32_t wetToCalm = 0;
    bool wasCalm = true;
    int ticks = 0;
    for (int32_t now = 60; ticks < 2000; now += 10) {
        for (uintptr_t timer : {uintptr_t{1}, uintptr_t{2}, uintptr_t{3}}) {
            if (now % (timer == 2 ? 170 : 60) != 0)
                continue;
            for (int k = 0; k < 2 * kKinds; ++k)
                RunTick(fields[k], states[k], timer, width, height, source.data(), outputs[k].data(), order(k));
            ++ticks;
            if (timer != 1)
                continue;
            for (int k = 1; k < 2 * kKinds; ++k) {
                const WaterField& fast = fields[k];
                ASSERT_EQ(reference.CurrentPage(), fast.CurrentPage());
                for (int32_t row = 0; row < height; ++row) {
                    const int32_t shown = order(k) == RowOrder::TopDown ? height - 1 - row : row;
                    ASSERT_EQ(0, std::memcmp(&outputs[0][static_cast<size_t>(row) * width],
                                             &outputs[k][static_cast<size_t>(shown) * width], width * 4u))
                        << Name(kernels[k % kKinds]) << (k < kKinds ? "" : " top-down") << " output row " << row << ", tick " << ticks;
                }
                ASSERT_EQ(0, std::memcmp(reference.Page(0), fast.Page(0), cells * 4))
                    << Name(kernels[k % kKinds]) << " page 0, tick " << ticks;
                ASSERT_EQ(0, std::memcmp(reference.Page(1), fast.Page(1), cells * 4))
                    << Name(kernels[k % kKinds]) << " page 1, tick " << ticks;
            }
            bool calm = true;
            for (int32_t row = 300; row < 340 && calm; ++row)
                for (int32_t column = 256; column < 384 && calm; ++column)
                    calm = reference.Page(0)[row * width + column] == 0 && reference.Page(1)[row * width + column] == 0;
            calmToWet += wasCalm && !calm;
            wetToCalm += !wasCalm && calm;
            wasCalm = calm;
        }
    }
    EXPECT_GE(calmToWet, 2) << "the watched band never woke up repeatedly";
    EXPECT_GE(wetToCalm, 2) << "the watched band never fell calm repeatedly";
    std::printf("watched band: woke %d times, fell calm %d times\n", calmToWet, wetToCalm);
}

TEST_P(EachKernel, HeightsWrittenThroughPageIncludingBordersAreSeen)
{
    const WaterKernel kernel = GetParam();
    for (int32_t width : {3, 7, 31, 65, 97}) {
        const int32_t height = 11;
        Twins twins(kernel, width, height, 11);
        // A pointer kept across frames, as a tool painting into the water might keep it.
        int32_t* fastPages[2] = {twins.fast.Page(0), twins.fast.Page(1)};
        int32_t* referencePages[2] = {twins.reference.Page(0), twins.reference.Page(1)};
        std::mt19937 random(static_cast<uint32_t>(width));
        for (int frame = 0; frame < 12; ++frame) {
            if (frame % 4 == 0) {
                // Any cell, border cells included, on either page.
                for (int n = 0; n < 5; ++n) {
                    const int32_t page = static_cast<int32_t>(random() % 2);
                    const size_t i = random() % static_cast<uint32_t>(width * height);
                    const int32_t value = RandomHeight(random);
                    fastPages[page][i] = value;
                    referencePages[page][i] = value;
                }
            }
            twins.Render();
            ASSERT_TRUE(twins.Same()) << Name(kernel) << " width " << width << " frame " << frame;
        }
    }
}

TEST(WaterKernels, SwitchingKernelsMidwayKeepsTheResults)
{
    Twins twins(WaterKernel::Reference, 90, 50, 8);
    std::mt19937 random(8);
    const WaterKernel order[] = {WaterKernel::Reference, WaterKernel::Portable, WaterKernel::Sse2,
                                 WaterKernel::Simd128,   WaterKernel::Avx2,     WaterKernel::Avx512,
                                 WaterKernel::Reference, WaterKernel::Avx2,     WaterKernel::Simd128,
                                 WaterKernel::Portable,  WaterKernel::Sse2,     WaterKernel::Avx512};
    for (WaterKernel kernel : order) {
        twins.fast.SetKernel(kernel);
        for (int frame = 0; frame < 5; ++frame) {
            SprinkleDrops(twins, random, 3);
            twins.Render();
            ASSERT_TRUE(twins.Same()) << Name(kernel) << " frame " << frame;
        }
    }
}

TEST_P(EachKernel, OutputKnownToHoldTheSourceIsRewrittenAfterForgetOrNewBuffers)
{
    const WaterKernel kernel = GetParam();
    Twins twins(kernel, 200, 60, 21);
    twins.Drop(100, 30, 5, 400, 0);
    twins.Render();
    twins.Render();
    ASSERT_TRUE(twins.Same());
    // A pixel far from the water: Render knows it already holds its source pixel and
    // leaves it, as documented, until told that the buffer changed.
    const size_t calm = 10 * 200 + 10;
    twins.fastOutput[calm] = 0x01020304;
    twins.referenceOutput[calm] = 0x01020304;
    twins.Render();
    EXPECT_EQ(0x01020304u, twins.fastOutput[calm]);
    twins.fast.ForgetOutput();
    twins.Render();
    EXPECT_EQ(twins.source[calm] & 0xFFFFFF, twins.fastOutput[calm]);
    ASSERT_TRUE(twins.Same());

    // Other buffers: everything is written into them, and into the first ones again later.
    std::vector<uint32_t> otherFast(twins.source.size(), 0x77777777u);
    std::vector<uint32_t> otherReference = otherFast;
    for (int frame = 0; frame < 3; ++frame) {
        twins.fast.Render(twins.source.data(), otherFast.data());
        twins.reference.Render(twins.source.data(), otherReference.data());
        ASSERT_EQ(otherReference, otherFast) << Name(kernel) << " frame " << frame;
    }
    std::fill(twins.fastOutput.begin(), twins.fastOutput.end(), 0x55555555u);
    std::fill(twins.referenceOutput.begin(), twins.referenceOutput.end(), 0x55555555u);
    twins.Render();
    ASSERT_TRUE(twins.Same()) << Name(kernel) << " back on the first buffers";
    // Another source with the same output counts as other buffers too.
    std::vector<uint32_t> otherSource(twins.source.size(), 0x00ABCDEFu);
    twins.fast.Render(otherSource.data(), twins.fastOutput.data());
    twins.reference.Render(otherSource.data(), twins.referenceOutput.data());
    ASSERT_TRUE(twins.Same()) << Name(kernel) << " with another source";
}

TEST_P(EachKernel, RecreatingTheFieldForgetsEverythingTracked)
{
    const WaterKernel kernel = GetParam();
    Twins twins(kernel, 64, 40, 4);
    twins.Drop(20, 20, 5, 300, 0);
    twins.Drop(40, 20, 5, -300, 1);
    twins.Render();
    twins.fast.Create(64, 40);
    twins.reference.Create(64, 40);
    std::fill(twins.fastOutput.begin(), twins.fastOutput.end(), 0x12345678u);
    std::fill(twins.referenceOutput.begin(), twins.referenceOutput.end(), 0x12345678u);
    twins.Drop(50, 10, 5, 100, 0);
    for (int frame = 0; frame < 4; ++frame) {
        twins.Render();
        ASSERT_TRUE(twins.Same()) << Name(kernel) << " frame " << frame;
    }
}
