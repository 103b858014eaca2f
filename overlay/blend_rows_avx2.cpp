// The blend rows for AVX2: eight pixel groups, or 32 RGB bytes, per vector.
#include <immintrin.h>

#include "overlay/blend_rows_simd.h"

namespace {

struct Avx2 {
    using V = __m256i;
    using M = __m256i;
    static constexpr LONG N = 8;
    static constexpr LONG B = 32;
    // Whole rows from the first visible group to the last: cheaper than a
    // branch per run; blocks with nothing visible are passed over.
    static constexpr LONG BridgedGap = 1 << 20;

    static V Set1(int32_t value) { return _mm256_set1_epi32(value); }
    static V Add(V a, V b) { return _mm256_add_epi32(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi32(a, b); }
    static V Mul(V a, V b) { return _mm256_mullo_epi32(a, b); }
    static V MulAddHalves(V a, V b) { return _mm256_madd_epi16(a, b); }
    static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Halves(V low, V high) { return _mm256_blend_epi16(low, high, 0xAA); }
    static V AddBytes(V a, V b) { return _mm256_add_epi8(a, b); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    template <int Count>
    static V Srai(V a) {
        return _mm256_srai_epi32(a, Count);
    }
    template <int Count>
    static V Srli(V a) {
        return _mm256_srli_epi32(a, Count);
    }
    template <int Count>
    static V Slli(V a) {
        return _mm256_slli_epi32(a, Count);
    }

    static V Load32(const BYTE* at) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)); }
    static void Store32(BYTE* at, V value) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), value); }
    static V LoadU16(const BYTE* at) {
        return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
    }
    // The shuffles gather the low bytes within each 128-bit half; the permute joins the halves.
    static void StoreU16(BYTE* at, V value) {
        const V low = _mm256_shuffle_epi8(value, _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1,
                                                                  -1, 0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1,
                                                                  -1, -1, -1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(_mm256_permute4x64_epi64(low, 0x08)));
    }
    static V LoadU8(const BYTE* at) {
        return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)));
    }
    static void StoreU8(BYTE* at, V value) {
        const V low = _mm256_shuffle_epi8(value, _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                  -1, 0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                  -1, -1, -1));
        const V joined = _mm256_permutevar8x32_epi32(low, _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(joined));
    }
    static V LoadTerms(const int32_t* at) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)); }

    static M Lanes(LONG lo, LONG hi) {
        const V index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        return _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(lo), index),
                                   _mm256_cmpgt_epi32(_mm256_set1_epi32(hi), index));
    }
    static M Opaque(V weight) {
        return _mm256_xor_si256(_mm256_cmpeq_epi32(weight, _mm256_set1_epi32(256)), _mm256_set1_epi32(-1));
    }
    static M Both(M a, M b) { return _mm256_and_si256(a, b); }
    static bool None(M mask) { return _mm256_testz_si256(mask, mask) != 0; }
    static V Select(M mask, V taken, V other) { return _mm256_blendv_epi8(other, taken, mask); }

    // f(256 - a) + ca as 256f + a(c - f), exact in 16 bits; unpack and pack stay within 128-bit halves.
    static V MixBytes(V frame, V alpha, V colour) {
        const V zero = _mm256_setzero_si256();
        const V frameLow = _mm256_unpacklo_epi8(frame, zero);
        const V frameHigh = _mm256_unpackhi_epi8(frame, zero);
        const V low =
            _mm256_add_epi16(_mm256_slli_epi16(frameLow, 8),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(alpha, zero),
                                                _mm256_sub_epi16(_mm256_unpacklo_epi8(colour, zero), frameLow)));
        const V high =
            _mm256_add_epi16(_mm256_slli_epi16(frameHigh, 8),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(alpha, zero),
                                                _mm256_sub_epi16(_mm256_unpackhi_epi8(colour, zero), frameHigh)));
        return _mm256_packus_epi16(_mm256_srli_epi16(low, 8), _mm256_srli_epi16(high, 8));
    }

    template <bool Masked>
    static void RgbBlock(const RgbRowSpan& span, LONG at, LONG lo, LONG hi) {
        BYTE* pixels = span.pixels + at;
        const V frame = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
        V out = MixBytes(frame, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(span.alpha + at)),
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(span.colour + at)));
        if (Masked) {
            const V index = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                             21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
            const V mask = _mm256_andnot_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(lo)), index),
                                               _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(hi)), index));
            out = _mm256_blendv_epi8(frame, out, mask);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels), out);
    }
};

}  // namespace

const BlendRows Avx2BlendRows = Rows<Avx2>::Table;
