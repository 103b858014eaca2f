// The blend rows for SSE4.1: four pixel groups, or 16 RGB bytes, per vector.
#include <smmintrin.h>
#include <string.h>

#include "overlay/blend_rows_simd.h"

namespace {

struct Sse41 {
    using V = __m128i;
    using M = __m128i;
    static constexpr LONG N = 4;
    static constexpr LONG B = 16;
    // Four lanes: only short gaps are worth blending through.
    static constexpr LONG BridgedGap = 3;

    static V Set1(int32_t value) { return _mm_set1_epi32(value); }
    static V Add(V a, V b) { return _mm_add_epi32(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi32(a, b); }
    static V Mul(V a, V b) { return _mm_mullo_epi32(a, b); }
    static V MulAddHalves(V a, V b) { return _mm_madd_epi16(a, b); }
    static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V Halves(V low, V high) { return _mm_blend_epi16(low, high, 0xAA); }
    static V AddBytes(V a, V b) { return _mm_add_epi8(a, b); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    template <int Count>
    static V Srai(V a) {
        return _mm_srai_epi32(a, Count);
    }
    template <int Count>
    static V Srli(V a) {
        return _mm_srli_epi32(a, Count);
    }
    template <int Count>
    static V Slli(V a) {
        return _mm_slli_epi32(a, Count);
    }

    static V Load32(const BYTE* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
    static void Store32(BYTE* at, V value) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), value); }
    static V LoadU16(const BYTE* at) {
        return _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)));
    }
    static void StoreU16(BYTE* at, V value) {
        const V low = _mm_shuffle_epi8(value, _mm_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), low);
    }
    static V LoadU8(const BYTE* at) {
        int32_t bytes;
        memcpy(&bytes, at, sizeof bytes);
        return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes));
    }
    static void StoreU8(BYTE* at, V value) {
        const V low =
            _mm_shuffle_epi8(value, _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
        const int32_t bytes = _mm_cvtsi128_si32(low);
        memcpy(at, &bytes, sizeof bytes);
    }
    static V LoadTerms(const int32_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

    static M Lanes(LONG lo, LONG hi) {
        const V index = _mm_setr_epi32(0, 1, 2, 3);
        return _mm_andnot_si128(_mm_cmplt_epi32(index, _mm_set1_epi32(lo)), _mm_cmplt_epi32(index, _mm_set1_epi32(hi)));
    }
    static M Opaque(V weight) {
        return _mm_xor_si128(_mm_cmpeq_epi32(weight, _mm_set1_epi32(256)), _mm_set1_epi32(-1));
    }
    static M Both(M a, M b) { return _mm_and_si128(a, b); }
    static bool None(M mask) { return _mm_testz_si128(mask, mask) != 0; }
    static V Select(M mask, V taken, V other) { return _mm_blendv_epi8(other, taken, mask); }

    // f(256 - a) + ca as 256f + a(c - f), exact in 16 bits.
    static V MixBytes(V frame, V alpha, V colour) {
        const V zero = _mm_setzero_si128();
        const V frameLow = _mm_unpacklo_epi8(frame, zero);
        const V frameHigh = _mm_unpackhi_epi8(frame, zero);
        const V low = _mm_add_epi16(
            _mm_slli_epi16(frameLow, 8),
            _mm_mullo_epi16(_mm_unpacklo_epi8(alpha, zero), _mm_sub_epi16(_mm_unpacklo_epi8(colour, zero), frameLow)));
        const V high = _mm_add_epi16(
            _mm_slli_epi16(frameHigh, 8),
            _mm_mullo_epi16(_mm_unpackhi_epi8(alpha, zero), _mm_sub_epi16(_mm_unpackhi_epi8(colour, zero), frameHigh)));
        return _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8));
    }

    template <bool Masked>
    static void RgbBlock(const RgbRowSpan& span, LONG at, LONG lo, LONG hi) {
        BYTE* pixels = span.pixels + at;
        const V frame = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
        V out = MixBytes(frame, _mm_loadu_si128(reinterpret_cast<const __m128i*>(span.alpha + at)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(span.colour + at)));
        if (Masked) {
            const V index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
            const V mask = _mm_andnot_si128(_mm_cmplt_epi8(index, _mm_set1_epi8(static_cast<char>(lo))),
                                            _mm_cmplt_epi8(index, _mm_set1_epi8(static_cast<char>(hi))));
            out = _mm_blendv_epi8(frame, out, mask);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
    }
};

}  // namespace

const BlendRows Sse41BlendRows = Rows<Sse41>::Table;
