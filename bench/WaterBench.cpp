// Per-frame cost of the saver's water at three screen sizes, against the cost of merely moving
// the bytes the two passes must touch.
//
// A frame is what happens every 60 ms under the standard schedule: the tick of timer 1 (one
// Render with its Step and a drop), the tick of timer 3 (a drop) and the ticks of timer 2 (a
// drop every 170 ms) that fell due since the last frame. Each run starts from 200 frames of
// warm-up and times the frames that follow, one frame per iteration.
//
// Frames back to back find much of the last frame's memory still in the processor's cache;
// the saver draws one frame every 60 ms, and in between other programs use the cache. The
// paced runs measure that: the thread's CPU per frame at one frame per 60 ms once the water
// covers the field, against the least any frame must move at the same pace (the cold floor),
// the two alternating so that both meet the same machine.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "animation/AnimationTick.h"
#include "animation/TickSchedule.h"
#include "water/WaterField.h"
#include "water/WaterKernels.h"

namespace {

constexpr int kWarmUpFrames = 200;
constexpr int kTimedFrames = 300;
// Enough frames for the water to cover even the largest field.
constexpr int kPacedWarmUpFrames = 400;
constexpr int kPacedFrames = 100;

struct Size {
    int32_t width;
    int32_t height;
};

const Size kSizes[] = {{1024, 768}, {1920, 1080}, {3840, 2160}};

// Seconds of CPU per frame, by size and by what was measured, for the summary.
std::map<std::pair<int32_t, int32_t>, std::map<std::string, double>> results;

struct Scene {
    WaterField water;
    TickState state;
    std::vector<uint32_t> source;
    std::vector<uint32_t> output;
    int32_t width;
    int32_t height;
    TickSchedule schedule{TickSchedule::SaverTimers(), 0};
    int64_t nowNs = 0;

    Scene(int32_t w, int32_t h) : source(static_cast<size_t>(w) * h), width(w), height(h)
    {
        // A busy picture; its content does not change the cost.
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
        output = source;
        water.Create(width, height);
    }

    // The ticks the saver's timers deliver in the next 60 ms.
    void Frame()
    {
        nowNs += int64_t{kFramePeriodMs} * 1000000;
        while (const std::optional<uintptr_t> id = schedule.NextDue(nowNs))
            RunTick(water, state, *id, width, height, source.data(), output.data());
    }
};

void Record(const Size& size, const std::string& what, double secondsPerFrame)
{
    results[{size.width, size.height}][what] = secondsPerFrame;
}

void BM_Frame(benchmark::State& st, Size size, WaterKernel kernel, std::string label)
{
    Scene scene(size.width, size.height);
    // The warm-up runs the fastest kernel: every kernel reaches the same state.
    for (int frame = 0; frame < kWarmUpFrames; ++frame)
        scene.Frame();
    scene.water.SetKernel(kernel);
    if (scene.water.Kernel() != kernel) {
        st.SkipWithError("this processor cannot run the kernel");
        return;
    }
    for (auto _ : st) {
        scene.Frame();
        benchmark::DoNotOptimize(scene.output.data());
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(st.iterations());
    st.SetLabel(label);
}

// Google Benchmark 1.8 turned a run's error_occurred into skipped; take whichever this one has.
template <typename R>
auto RunSkipped(const R& run, int) -> decltype(static_cast<bool>(run.skipped))
{
    return static_cast<bool>(run.skipped);
}
template <typename R>
bool RunSkipped(const R& run, long)
{
    return run.error_occurred;
}

// Stores the per-frame CPU time of each run once Google Benchmark has measured it.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (RunSkipped(run, 0) || run.iterations == 0 || run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            for (const Size& size : kSizes) {
                const std::string suffix = "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
                if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                    name.find(suffix + "/") == std::string::npos) {
                    const std::string what = name.substr(0, name.size() - suffix.size());
                    const double iterations = static_cast<double>(run.iterations);
                    if (what == "Paced") {
                        // The frame's thread CPU is the run's (manual) time, the floor's a counter.
                        Record(size, "PacedFrame", run.real_accumulated_time / iterations);
                        Record(size, "PacedFloor", run.counters.at("floor"));
                    } else {
                        Record(size, what, run.cpu_accumulated_time / iterations);
                    }
                }
            }
        }
    }
};

int64_t ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// Sleeps until `deadline` moved on by one frame period.
void SleepOneFramePeriod(timespec& deadline)
{
    deadline.tv_nsec += int64_t{kFramePeriodMs} * 1000000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_nsec -= 1000000000;
        ++deadline.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
    }
}

template <typename Work>
int64_t ThreadCpuNsOf(Work work)
{
    const int64_t start = ThreadCpuNs();
    work();
    return ThreadCpuNs() - start;
}

// The cold floor: one vectorised pass that reads the source, page 0 and page 1 and writes the
// output and page 1, the least that any refraction and step over 32-bit cells and pixels
// must move.
struct FloorPass {
    std::vector<uint32_t> source, output;
    std::vector<int32_t> page0, page1;

    explicit FloorPass(size_t cells) : source(cells, 0x123456), output(cells), page0(cells, 3), page1(cells, 5) {}

    void Run()
    {
        const uint32_t* from = source.data();
        const int32_t* heights = page0.data();
        int32_t* next = page1.data();
        uint32_t* to = output.data();
        for (size_t i = 0; i < source.size(); ++i) {
            to[i] = from[i] + static_cast<uint32_t>(heights[i]);
            next[i] = heights[i] - next[i];
        }
        benchmark::DoNotOptimize(to);
        benchmark::DoNotOptimize(next);
        benchmark::ClobberMemory();
    }
};

// Frames of the standard schedule at one frame per period, each alternating with the floor's
// pass one period apart, so that both meet the same machine and the same cold cache. The
// iteration's (manual) time is the frame's thread CPU; the floor's mean is the counter "floor".
void BM_Paced(benchmark::State& st, Size size)
{
    Scene scene(size.width, size.height);
    FloorPass floor(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    for (int frame = 0; frame < kPacedWarmUpFrames; ++frame)
        scene.Frame();
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    int64_t floorNs = 0;
    for (auto _ : st) {
        SleepOneFramePeriod(deadline);
        floorNs += ThreadCpuNsOf([&] { floor.Run(); });
        SleepOneFramePeriod(deadline);
        const int64_t frameNs = ThreadCpuNsOf([&] {
            scene.Frame();
            benchmark::DoNotOptimize(scene.output.data());
            benchmark::ClobberMemory();
        });
        st.SetIterationTime(static_cast<double>(frameNs) * 1e-9);
    }
    st.counters["floor"] = static_cast<double>(floorNs) * 1e-9 / static_cast<double>(st.iterations());
}

// The memory floor: the two passes must read and write at least 24 bytes per pixel together
// (the heights of both pages read, one page written, a source pixel read and an output pixel
// written); moving 12 bytes per pixel from one buffer to another moves 24 bytes.
void BM_MemoryFloor(benchmark::State& st, Size size)
{
    const size_t pixels = static_cast<size_t>(size.width) * static_cast<size_t>(size.height);
    std::vector<uint8_t> from(pixels * 12, 1);
    std::vector<uint8_t> to(pixels * 12, 0);
    for (auto _ : st) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * static_cast<int64_t>(pixels) * 24);
}

const std::pair<const char*, WaterKernel> kKernels[] = {{"Scalar", WaterKernel::Reference},
                                                        {"Portable", WaterKernel::Portable},
                                                        {"SSE2", WaterKernel::Sse2},
                                                        {"AVX2", WaterKernel::Avx2},
                                                        {"AVX512", WaterKernel::Avx512}};

void RegisterAll()
{
    for (const Size& size : kSizes) {
        const std::string suffix = "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
        benchmark::RegisterBenchmark(("MemoryFloor" + suffix).c_str(), BM_MemoryFloor, size)
            ->Unit(benchmark::kMillisecond);
        for (const auto& [name, kernel] : kKernels) {
            benchmark::RegisterBenchmark(("Frame" + std::string(name) + suffix).c_str(), BM_Frame, size, kernel,
                                         kernel == BestWaterKernel() ? "fast (chosen at run time)" : "")
                ->Unit(benchmark::kMillisecond)
                ->Iterations(kTimedFrames);
        }
    }
    for (const Size& size : kSizes) {
        const std::string suffix = "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
        benchmark::RegisterBenchmark(("Paced" + suffix).c_str(), BM_Paced, size)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(kPacedFrames);
    }
}

void PrintPacedSummary();

void PrintSummary()
{
    std::string fastName;
    for (const auto& [name, kernel] : kKernels)
        if (kernel == BestWaterKernel())
            fastName = std::string("Frame") + name;
    if (std::none_of(results.begin(), results.end(), [&](const auto& size) { return size.second.count(fastName); }))
        return PrintPacedSummary();
    std::printf("\nPer frame (CPU ms), %d frames after %d of warm-up; ratios of the fast kernel (%s):\n",
                kTimedFrames, kWarmUpFrames, fastName.c_str() + 5);
    std::printf("%-10s %9s %9s %9s %9s %9s %9s %12s %12s\n", "size", "floor", "scalar", "portable", "SSE2", "AVX2",
                "AVX512", "fast/floor", "scalar/fast");
    for (const Size& size : kSizes) {
        auto found = results.find({size.width, size.height});
        if (found == results.end())
            continue;
        const auto& r = found->second;
        const auto ms = [&](const std::string& what) {
            auto it = r.find(what);
            return it == r.end() ? -1.0 : it->second * 1e3;
        };
        const double floor = ms("MemoryFloor");
        const double scalar = ms("FrameScalar");
        const double fast = ms(fastName);
        const std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);
        std::printf("%-10s %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f", label.c_str(), floor, scalar, ms("FramePortable"),
                    ms("FrameSSE2"), ms("FrameAVX2"), ms("FrameAVX512"));
        if (floor > 0 && fast > 0)
            std::printf(" %12.2f", fast / floor);
        else
            std::printf(" %12s", "-");
        if (scalar > 0 && fast > 0)
            std::printf(" %12.1f", scalar / fast);
        else
            std::printf(" %12s", "-");
        std::printf("\n");
    }
    PrintPacedSummary();
}

void PrintPacedSummary()
{
    std::printf("\nAt the saver's pace (thread CPU ms per frame; frames and floor passes alternate, one every "
                "%d ms, %d of each after %d frames of warm-up):\n",
                kFramePeriodMs, kPacedFrames, kPacedWarmUpFrames);
    std::printf("%-10s %9s %9s %12s\n", "size", "floor", "frame", "frame/floor");
    for (const Size& size : kSizes) {
        auto found = results.find({size.width, size.height});
        if (found == results.end() || !found->second.count("PacedFrame") || !found->second.count("PacedFloor"))
            continue;
        const double floor = found->second.at("PacedFloor") * 1e3;
        const double frame = found->second.at("PacedFrame") * 1e3;
        const std::string label = std::to_string(size.width) + "x" + std::to_string(size.height);
        std::printf("%-10s %9.3f %9.3f %12.2f\n", label.c_str(), floor, frame, frame / floor);
    }
}

} // namespace

int main(int argc, char** argv)
{
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
