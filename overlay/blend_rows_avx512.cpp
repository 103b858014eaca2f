// The blend rows for AVX-512 (F, BW, VL): 16 pixel groups, or 64 RGB bytes, per vector.
#include <immintrin.h>

#include "overlay/blend_rows_simd.h"

namespace {

struct Avx512 {
    using V = __m512i;
    using M = __mmask16;
    static constexpr LONG N = 16;
    static constexpr LONG B = 64;
    // Whole rows from the first visible group to the last: cheaper than a
    // branch per run; blocks with nothing visible are passed over.
    static constexpr LONG BridgedGap = 1 << 20;

    static V Set1(int32_t value) { return _mm512_set1_epi32(value); }
    static V Add(V a, V b) { return _mm512_add_epi32(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_epi32(a, b); }
    static V Mul(V a, V b) { return _mm512_mullo_epi32(a, b); }
    static V MulAddHalves(V a, V b) { return _mm512_madd_epi16(a, b); }
    static V Add16(V a, V b) { return _mm512_add_epi16(a, b); }
    static V Halves(V low, V high) { return _mm512_mask_blend_epi16(0xAAAAAAAA, low, high); }
    static V AddBytes(V a, V b) { return _mm512_add_epi8(a, b); }
    static V And(V a, V b) { return _mm512_and_si512(a, b); }
    static V Or(V a, V b) { return _mm512_or_si512(a, b); }
    template <int Count>
    static V Srai(V a) {
        return _mm512_srai_epi32(a, Count);
    }
    template <int Count>
    static V Srli(V a) {
        return _mm512_srli_epi32(a, Count);
    }
    template <int Count>
    static V Slli(V a) {
        return _mm512_slli_epi32(a, Count);
    }

    static V Load32(const BYTE* at) { return _mm512_loadu_si512(at); }
    static void Store32(BYTE* at, V value) { _mm512_storeu_si512(at, value); }
    static V LoadU16(const BYTE* at) {
        return _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)));
    }
    // The narrowing moves keep the low bits of each lane.
    static void StoreU16(BYTE* at, V value) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm512_cvtepi32_epi16(value));
    }
    static V LoadU8(const BYTE* at) {
        return _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
    }
    static void StoreU8(BYTE* at, V value) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm512_cvtepi32_epi8(value));
    }
    static V LoadTerms(const int32_t* at) { return _mm512_loadu_si512(at); }

    static M Lanes(LONG lo, LONG hi) { return static_cast<M>(((1u << hi) - 1) & ~((1u << lo) - 1)); }
    static M Opaque(V weight) { return _mm512_cmpneq_epi32_mask(weight, _mm512_set1_epi32(256)); }
    static M Both(M a, M b) { return static_cast<M>(a & b); }
    static bool None(M mask) { return mask == 0; }
    static V Select(M mask, V taken, V other) { return _mm512_mask_blend_epi32(mask, other, taken); }

    // f(256 - a) + ca as 256f + a(c - f), exact in 16 bits; unpack and pack stay within 128-bit quarters.
    static V MixBytes(V frame, V alpha, V colour) {
        const V zero = _mm512_setzero_si512();
        const V frameLow = _mm512_unpacklo_epi8(frame, zero);
        const V frameHigh = _mm512_unpackhi_epi8(frame, zero);
        const V low =
            _mm512_add_epi16(_mm512_slli_epi16(frameLow, 8),
                             _mm512_mullo_epi16(_mm512_unpacklo_epi8(alpha, zero),
                                                _mm512_sub_epi16(_mm512_unpacklo_epi8(colour, zero), frameLow)));
        const V high =
            _mm512_add_epi16(_mm512_slli_epi16(frameHigh, 8),
                             _mm512_mullo_epi16(_mm512_unpackhi_epi8(alpha, zero),
                                                _mm512_sub_epi16(_mm512_unpackhi_epi8(colour, zero), frameHigh)));
        return _mm512_packus_epi16(_mm512_srli_epi16(low, 8), _mm512_srli_epi16(high, 8));
    }

    template <bool Masked>
    static void RgbBlock(const RgbRowSpan& span, LONG at, LONG lo, LONG hi) {
        BYTE* pixels = span.pixels + at;
        const V frame = _mm512_loadu_si512(pixels);
        V out = MixBytes(frame, _mm512_loadu_si512(span.alpha + at), _mm512_loadu_si512(span.colour + at));
        if (Masked) {
            const __mmask64 upTo = hi >= 64 ? ~__mmask64{0} : (__mmask64{1} << hi) - 1;
            out = _mm512_mask_blend_epi8(upTo & ~((__mmask64{1} << lo) - 1), frame, out);
        }
        _mm512_storeu_si512(pixels, out);
    }
};

}  // namespace

const BlendRows Avx512BlendRows = Rows<Avx512>::Table;
