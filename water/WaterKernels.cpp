#include "water/WaterKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#define VELLUMAR_WATER_X86 1
#endif

WaterKernel BestWaterKernel()
{
#ifdef VELLUMAR_WATER_X86
    __builtin_cpu_init();
    // The compiler's check includes the system's saving of the wider registers.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return WaterKernel::Avx512;
    if (__builtin_cpu_supports("avx2"))
        return WaterKernel::Avx2;
    if (__builtin_cpu_supports("sse2"))
        return WaterKernel::Sse2;
#endif
    return WaterKernel::Reference;
}

WaterKernel SupportedWaterKernel(WaterKernel wanted)
{
    const WaterKernel best = BestWaterKernel();
    return static_cast<int>(wanted) <= static_cast<int>(best) ? wanted : best;
}

const WaterKernelOps* WaterKernelOpsFor(WaterKernel kernel)
{
#ifdef VELLUMAR_WATER_X86
    switch (kernel) {
    case WaterKernel::Avx512:
        return &kAvx512WaterKernel;
    case WaterKernel::Avx2:
        return &kAvx2WaterKernel;
    case WaterKernel::Sse2:
        return &kSse2WaterKernel;
    case WaterKernel::Reference:
        break;
    }
#else
    (void)kernel;
#endif
    return nullptr;
}
