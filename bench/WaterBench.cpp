#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "water/AnimationTick.h"
#include "water/WaterField.h"

namespace {

// A field with the ripples of a few hundred ticks of the saver's standard timers.
struct RippledScene {
    WaterField water;
    TickState state;
    std::vector<uint32_t> source;
    std::vector<uint32_t> output;

    RippledScene(int32_t width, int32_t height)
        : source(static_cast<size_t>(width) * height), output(static_cast<size_t>(width) * height)
    {
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
        output = source;
        water.Create(width, height);
        for (int frame = 1; frame <= 300; ++frame) {
            const int time = frame * 60;
            ReplayTick(water, state, 1, width, height, source.data(), output.data());
            if (time / 170 != (time - 60) / 170)
                ReplayTick(water, state, 2, width, height, source.data(), output.data());
            ReplayTick(water, state, 3, width, height, source.data(), output.data());
        }
    }
};

void BM_Render(benchmark::State& st)
{
    const int32_t width = static_cast<int32_t>(st.range(0));
    const int32_t height = static_cast<int32_t>(st.range(1));
    RippledScene scene(width, height);
    for (auto _ : st) {
        scene.water.Render(scene.source.data(), scene.output.data());
        benchmark::DoNotOptimize(scene.output.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * width * height * 24);
}

// The memory floor: the two passes must at least read and write 24 bytes per pixel
// (three height pages' worth of reads and writes, a source read and an output write).
void BM_MemoryFloor(benchmark::State& st)
{
    const size_t pixels = static_cast<size_t>(st.range(0)) * static_cast<size_t>(st.range(1));
    std::vector<uint8_t> from(pixels * 12, 1), to(pixels * 12, 0);
    for (auto _ : st) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * static_cast<int64_t>(pixels) * 24);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Args({1024, 768})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Render)->Apply(Sizes);
BENCHMARK(BM_MemoryFloor)->Apply(Sizes);
