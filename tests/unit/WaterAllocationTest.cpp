// Counts every allocation made through the global operator new while the water ticks. It is a
// program of its own because the replacement operators below apply to the whole program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "animation/AnimationTick.h"
#include "water/WaterField.h"

namespace {

std::atomic<long> allocations{0};

void* Allocate(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}

void* operator new[](std::size_t size)
{
    return Allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// Ticks of the standard schedule (timers 1 and 3 every 60 ms, timer 2 every 170 ms, same
// moments in identifier order) until `count` ticks have run.
void RunTicks(WaterField& water, TickState& state, int32_t width, int32_t height, const uint32_t* source,
              uint32_t* output, int count, int32_t& now)
{
    for (int ticks = 0; ticks < count; now += 10) {
        for (uintptr_t timer : {uintptr_t{1}, uintptr_t{2}, uintptr_t{3}}) {
            if (now % (timer == 2 ? 170 : 60) != 0)
                continue;
            RunTick(water, state, timer, width, height, source, output);
            ++ticks;
        }
    }
}

} // namespace

TEST(WaterAllocation, TheCounterSeesAllocations)
{
    const long before = allocations;
    std::vector<int>* probe = new std::vector<int>(100);
    delete probe;
    EXPECT_GE(allocations - before, 2);
}

TEST(WaterAllocation, TicksAllocateNothingWithAnyKernel)
{
    const int32_t width = 640;
    const int32_t height = 480;
    std::vector<uint32_t> source(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint32_t>(i * 2654435761u);
    std::vector<uint32_t> output = source;
    std::vector<uint32_t> otherOutput = source;
    for (WaterKernel kernel : kAllWaterKernels) {
        WaterField water;
        water.SetKernel(kernel);
        water.Create(width, height);
        TickState state;
        int32_t now = 60;
        const long before = allocations;
        // Every path of a tick: calm and rippled water, drops near the edges, new buffers,
        // missing buffers, forgotten output, heights written directly, plain steps.
        RunTicks(water, state, width, height, source.data(), output.data(), 1500, now);
        RunTicks(water, state, width, height, source.data(), otherOutput.data(), 30, now);
        RunTicks(water, state, width, height, nullptr, nullptr, 30, now);
        water.ForgetOutput();
        water.AddDrop(1, 1, 5, 50, 0);
        water.AddDrop(width - 2, height - 2, 5, -50, 1);
        water.Page(0)[width * 2 + 3] = 1000;
        water.Page(1)[0] = -7;
        RunTicks(water, state, width, height, source.data(), output.data(), 60, now);
        water.Step(0, 5);
        water.Step(1, 31);
        const long during = allocations - before;
        EXPECT_EQ(0, during) << "allocations during ticks with kernel " << static_cast<int>(kernel);
    }
}
