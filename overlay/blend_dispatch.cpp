// Which blend rows this process runs: the processor's features, read once.
#include <cpuid.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "overlay/blend_rows.h"

namespace {

// Bits of the operating system's saved-state mask (XCR0).
constexpr uint64_t SavesSse = 1u << 1;
constexpr uint64_t SavesAvx = 1u << 2;
constexpr uint64_t SavesAvx512 = (1u << 5) | (1u << 6) | (1u << 7);

uint64_t SavedStateMask() {
    uint32_t low = 0;
    uint32_t high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<uint64_t>(high) << 32) | low;
}

// The best variant this processor runs, with the operating system saving the registers it needs.
BlendVariant BestSupported() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return BlendVariant::Reference;
    const bool sse41 = (ecx & bit_SSE4_1) != 0;
    if (!sse41) return BlendVariant::Reference;
    const bool osSavesYmm = (ecx & bit_OSXSAVE) != 0 && (ecx & bit_AVX) != 0 &&
                            (SavedStateMask() & (SavesSse | SavesAvx)) == (SavesSse | SavesAvx);
    if (!osSavesYmm) return BlendVariant::Sse41;
    unsigned int maxLeaf = __get_cpuid_max(0, nullptr);
    if (maxLeaf < 7) return BlendVariant::Sse41;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    if ((ebx & bit_AVX2) == 0) return BlendVariant::Sse41;
    const unsigned int avx512 = bit_AVX512F | bit_AVX512BW | bit_AVX512VL;
    if ((ebx & avx512) != avx512 || (SavedStateMask() & SavesAvx512) != SavesAvx512) return BlendVariant::Avx2;
    return BlendVariant::Avx512;
}

// The variant DRAVIK_CPU names, or Count when it names none.
BlendVariant Requested() {
    const char* name = getenv("DRAVIK_CPU");
    if (name == nullptr) return BlendVariant::Count;
    for (int variant = 0; variant < static_cast<int>(BlendVariant::Count); ++variant) {
        if (strcmp(name, BlendVariantName(static_cast<BlendVariant>(variant))) == 0) {
            return static_cast<BlendVariant>(variant);
        }
    }
    return BlendVariant::Count;
}

BlendVariant Choose() {
    const BlendVariant best = BestSupported();
    const BlendVariant requested = Requested();
    return requested < best ? requested : best;
}

}  // namespace

const char* BlendVariantName(BlendVariant variant) {
    switch (variant) {
        case BlendVariant::Reference:
            return "c";
        case BlendVariant::Sse41:
            return "sse4.1";
        case BlendVariant::Avx2:
            return "avx2";
        case BlendVariant::Avx512:
            return "avx512";
        default:
            return "?";
    }
}

const BlendRows* BlendRowsOf(BlendVariant variant) {
    static const BlendVariant best = BestSupported();
    if (variant > best) return nullptr;
    switch (variant) {
        case BlendVariant::Reference:
            return &ReferenceBlendRows;
        case BlendVariant::Sse41:
            return &Sse41BlendRows;
        case BlendVariant::Avx2:
            return &Avx2BlendRows;
        case BlendVariant::Avx512:
            return &Avx512BlendRows;
        default:
            return nullptr;
    }
}

BlendVariant DispatchedBlendVariant() {
    static const BlendVariant chosen = Choose();
    return chosen;
}

const BlendRows& DispatchedBlendRows() { return *BlendRowsOf(DispatchedBlendVariant()); }
