#include "water/WaterKernels.h"

WaterKernel BestWaterKernel()
{
#if defined(VELLUMAR_WATER_X86)
    __builtin_cpu_init();
    // The compiler's check includes the system's saving of the wider registers.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return WaterKernel::Avx512;
    if (__builtin_cpu_supports("avx2"))
        return WaterKernel::Avx2;
    if (__builtin_cpu_supports("sse2"))
        return WaterKernel::Sse2;
#elif defined(VELLUMAR_WATER_SIMD128)
    return WaterKernel::Simd128;
#endif
    return WaterKernel::Portable;
}

WaterKernel SupportedWaterKernel(WaterKernel wanted)
{
    const WaterKernel best = BestWaterKernel();
    const bool built = wanted == WaterKernel::Reference || WaterKernelOpsFor(wanted) != nullptr;
#if defined(VELLUMAR_WATER_X86)
    // The x86 kernels are built into every program; the processor decides which run.
    const bool runs = built && static_cast<int>(wanted) <= static_cast<int>(best);
#else
    const bool runs = built;
#endif
    return runs ? wanted : best;
}

const WaterKernelOps* WaterKernelOpsFor(WaterKernel kernel)
{
    switch (kernel) {
#if defined(VELLUMAR_WATER_X86)
    case WaterKernel::Avx512:
        return &kAvx512WaterKernel;
    case WaterKernel::Avx2:
        return &kAvx2WaterKernel;
    case WaterKernel::Sse2:
        return &kSse2WaterKernel;
#endif
#if defined(VELLUMAR_WATER_SIMD128)
    case WaterKernel::Simd128:
        return &kSimd128WaterKernel;
#endif
    case WaterKernel::Portable:
        return &kPortableWaterKernel;
    default:
        return nullptr;
    }
}
