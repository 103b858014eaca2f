// The blend rows written once over an instruction set's vector operations,
// one 32-bit lane per pixel group. Included only by the files that are
// compiled for one instruction set each, and kept out of every other file:
// nothing here may end up shared with code built for the baseline processor.
//
// The ops type O gives, for vectors V of N 32-bit lanes and a lane mask M:
//   Set1, Add, Sub, Mul (low 32 bits), MulAddHalves (low times low plus high
//   times high of the signed 16-bit halves: the low 32 bits of a product
//   when one side fits 16 signed bits and the other 0 to 32767, and cheaper),
//   Add16 (of 16-bit halves), Halves(low, high) (the low half of low with the
//   high half of high), AddBytes (bytewise), And, Or, Srai<n>, Srli<n>, Slli<n>;
//   Load32/Store32 (N words), LoadU16/StoreU16 (N 16-bit values, zero-extended;
//   the low 16 bits of each lane stored), LoadU8/StoreU8 (N bytes, likewise),
//   LoadTerms (N int32 values); Lanes(lo, hi), Opaque(weight) (lanes whose
//   frame weight is not 256), Both of two masks, None(mask), and
//   Select(mask, taken, other);
//   and for RGB rows, with B bytes per vector, RgbBlock<Masked>(span, at, lo, hi);
//   and BridgedGap for the table.
#ifndef DRAVIK_OVERLAY_BLEND_ROWS_SIMD_H
#define DRAVIK_OVERLAY_BLEND_ROWS_SIMD_H

#include <stddef.h>
#include <stdint.h>

#include "overlay/blend_rows.h"
#include "overlay/prepared_image.h"

// The block work stays in registers only when it is all inlined.
#define DRAVIK_ROW_INLINE inline __attribute__((always_inline))

namespace {

// Groups [first, first + count) in blocks of N lanes. The last partial block
// is moved left to end at the span's limit if it would pass it, taking only
// the lanes still to do; a span narrower than one block goes to the reference.
template <LONG N, class Block, class Reference>
void DriveRow(LONG first, LONG count, LONG limit, const Block& block, const Reference& reference) {
    const LONG end = first + count;
    LONG at = first;
    for (; at + N <= end; at += N) block.template Run<false>(at, 0, N);
    if (at == end) return;
    if (limit < N) {
        reference(at, end - at);
        return;
    }
    const LONG start = at + N <= limit ? at : limit - N;
    block.template Run<true>(start, at - start, end - start);
}

template <class O>
struct YuvMix {
    using V = typename O::V;

    // The chroma's share of R4, G4 and B4 with the -16 luma offset folded in.
    struct ChromaTerms {
        V r;
        V g;
        V b;
    };

    static DRAVIK_ROW_INLINE ChromaTerms ChromaOf(V u, V v) {
        return {O::Add(O::Mul(v, O::Set1(52299)), O::Set1(-52299 * 128 - 16 * 38155)),
                O::Sub(O::Sub(O::Set1(5052928 - 16 * 38155), O::MulAddHalves(v, O::Set1(26639))),
                       O::MulAddHalves(u, O::Set1(12837))),
                O::Add(O::Mul(u, O::Set1(66101)), O::Set1(-66101 * 128 - 16 * 38155))};
    }

    // Mixed colours: red and green in the low and high halves of r, blue in the low half of b.
    struct Rgb {
        V r;
        V b;
    };

    // One pixel per lane: its mixed colour as red and green in the low and
    // high halves and blue in the low half, and its new luma less the offset
    // of 16, in the low byte.
    static DRAVIK_ROW_INLINE V Pixel(V luma, const ChromaTerms& chroma, const int32_t* terms, ptrdiff_t stride,
                                     int side, Rgb* mixed) {
        const V t = O::Mul(luma, O::Set1(38155));
        const V weight = O::LoadTerms(terms + (2 * TermFrameWeight + side) * stride);
        const V r4 = O::template Srai<13>(O::Add(t, chroma.r));
        const V g4 = O::template Srai<13>(O::Add(t, chroma.g));
        const V b4 = O::template Srai<13>(O::Add(t, chroma.b));
        // R4, G4, B4 and the mixed colours lie within [-1108, 2137], the weight
        // within [1, 256]: every product below fits MulAddHalves, and a mixed
        // colour, or its sum over four pixels, a 16-bit half.
        const V red = O::Add(O::MulAddHalves(r4, weight), O::LoadTerms(terms + (2 * TermRed + side) * stride));
        const V green = O::Add(O::MulAddHalves(g4, weight), O::LoadTerms(terms + (2 * TermGreen + side) * stride));
        const V blue = O::Add(O::MulAddHalves(b4, weight), O::LoadTerms(terms + (2 * TermBlue + side) * stride));
        // Green shifted left by 8 rather than right by 8 has its mixed value in the high half.
        mixed->r = O::Halves(O::template Srai<8>(red), O::template Slli<8>(green));
        mixed->b = O::template Srai<8>(blue);
        const V sum = O::Add(O::MulAddHalves(mixed->r, O::Set1((16519 << 16) | 8414)),
                             O::MulAddHalves(mixed->b, O::Set1(3208)));
        return O::template Srai<17>(sum);
    }

    // U and V of the group less their offsets of 128, in the low bytes.
    template <int Shift>
    static DRAVIK_ROW_INLINE void ChromaOut(const Rgb& sum, V* u, V* v) {
        const V uSum = O::Add(O::MulAddHalves(sum.r, O::Set1((-9535 * 65536) + (-4857 & 0xFFFF))),
                              O::MulAddHalves(sum.b, O::Set1(14392)));
        const V vSum = O::Add(O::MulAddHalves(sum.r, O::Set1((-12052 * 65536) + 14392)),
                              O::MulAddHalves(sum.b, O::Set1(-2341 & 0xFFFF)));
        *u = O::template Srai<Shift>(uSum);
        *v = O::template Srai<Shift>(vSum);
    }

    static DRAVIK_ROW_INLINE Rgb Plus(const Rgb& a, const Rgb& b) { return {O::Add16(a.r, b.r), O::Add(a.b, b.b)}; }

    // The frame weights of a pair of image pixels, and-ed: frame weights lie
    // within [1, 256], so only weights all 256 (all transparent) give 256.
    static DRAVIK_ROW_INLINE V Weights(const int32_t* terms, ptrdiff_t stride) {
        return O::And(O::LoadTerms(terms + 2 * TermFrameWeight * stride),
                      O::LoadTerms(terms + (2 * TermFrameWeight + 1) * stride));
    }

    // A pair sharing U and V: y0, y1, u, v replaced by their blended values
    // less the offsets of 16 and 128, in the low bytes.
    static DRAVIK_ROW_INLINE void Pair(V* y0, V* y1, V* u, V* v, const int32_t* terms, ptrdiff_t stride) {
        const ChromaTerms chroma = ChromaOf(*u, *v);
        Rgb left, right;
        *y0 = Pixel(*y0, chroma, terms, stride, 0, &left);
        *y1 = Pixel(*y1, chroma, terms, stride, 1, &right);
        ChromaOut<18>(Plus(left, right), u, v);
    }

    // A 2 x 2 group, likewise: y holds top-left, top-right, bottom-left, bottom-right.
    static DRAVIK_ROW_INLINE void Quad(V* y, V* u, V* v, const int32_t* topTerms, const int32_t* bottomTerms,
                                       ptrdiff_t stride) {
        const ChromaTerms chroma = ChromaOf(*u, *v);
        Rgb mixed[4];
        y[0] = Pixel(y[0], chroma, topTerms, stride, 0, &mixed[0]);
        y[1] = Pixel(y[1], chroma, topTerms, stride, 1, &mixed[1]);
        y[2] = Pixel(y[2], chroma, bottomTerms, stride, 0, &mixed[2]);
        y[3] = Pixel(y[3], chroma, bottomTerms, stride, 1, &mixed[3]);
        ChromaOut<19>(Plus(Plus(mixed[0], mixed[1]), Plus(mixed[2], mixed[3])), u, v);
    }
};

// The lanes a block writes: visible groups, and of a partial block only
// lanes [lo, hi). A block with none is left alone before any work.
template <class O, bool Masked>
DRAVIK_ROW_INLINE typename O::M Taken(typename O::M visible, LONG lo, LONG hi) {
    return Masked ? O::Both(visible, O::Lanes(lo, hi)) : visible;
}

// The low byte of each lane moved up by Shift bits; the top byte needs no mask.
template <class O, int Shift>
DRAVIK_ROW_INLINE typename O::V ByteAt(typename O::V value) {
    return O::template Slli<Shift>(Shift == 24 ? value : O::And(value, O::Set1(0xFF)));
}

// The byte Shift bits up in each lane; the top byte needs no mask.
template <class O, int Shift>
DRAVIK_ROW_INLINE typename O::V SampleAt(typename O::V word) {
    const typename O::V moved = O::template Srli<Shift>(word);
    return Shift == 24 ? moved : O::And(moved, O::Set1(0xFF));
}

// Two samples in the low 16 bits, for StoreU16, their offsets added
// bytewise: nothing carries into the next byte.
template <class O>
DRAVIK_ROW_INLINE typename O::V TwoBytes(typename O::V low, typename O::V high, int32_t offsets) {
    return O::AddBytes(O::Or(ByteAt<O, 0>(low), O::template Slli<8>(high)), O::Set1(offsets));
}

// A chroma sample in the low byte, for StoreU8.
template <class O>
DRAVIK_ROW_INLINE typename O::V ChromaByte(typename O::V value) {
    return O::AddBytes(value, O::Set1(128));
}

// Packed 4:2:2: one group per 32-bit word, bytes at the given shifts.
template <class O, int Y0, int U, int Y1, int V>
struct PackedBlock {
    const YuvRowSpan span;  // a copy: the stores through bytes cannot change it
    template <bool Masked>
    DRAVIK_ROW_INLINE void Run(LONG group, LONG lo, LONG hi) const {
        using Vec = typename O::V;
        const int32_t* terms = span.terms[0] + group;
        const typename O::M lanes = Taken<O, Masked>(O::Opaque(YuvMix<O>::Weights(terms, span.termStride)), lo, hi);
        if (O::None(lanes)) return;
        BYTE* at = span.luma[0] + 4 * static_cast<ptrdiff_t>(group);
        const Vec word = O::Load32(at);
        Vec y0 = SampleAt<O, Y0>(word);
        Vec u = SampleAt<O, U>(word);
        Vec y1 = SampleAt<O, Y1>(word);
        Vec v = SampleAt<O, V>(word);
        YuvMix<O>::Pair(&y0, &y1, &u, &v, terms, span.termStride);
        constexpr uint32_t offsets = (16u << Y0) | (128u << U) | (16u << Y1) | (128u << V);
        const Vec out = O::AddBytes(O::Or(O::Or(ByteAt<O, Y0>(y0), ByteAt<O, U>(u)),
                                          O::Or(ByteAt<O, Y1>(y1), ByteAt<O, V>(v))),
                                    O::Set1(static_cast<int32_t>(offsets)));
        O::Store32(at, O::Select(lanes, out, word));
    }
};

template <class O>
struct Planar422Block {
    const YuvRowSpan span;  // a copy: the stores through bytes cannot change it
    template <bool Masked>
    DRAVIK_ROW_INLINE void Run(LONG group, LONG lo, LONG hi) const {
        using Vec = typename O::V;
        const int32_t* terms = span.terms[0] + group;
        const typename O::M lanes = Taken<O, Masked>(O::Opaque(YuvMix<O>::Weights(terms, span.termStride)), lo, hi);
        if (O::None(lanes)) return;
        BYTE* luma = span.luma[0] + 2 * static_cast<ptrdiff_t>(group);
        const Vec pair = O::LoadU16(luma);
        const Vec oldU = O::LoadU8(span.u + group);
        const Vec oldV = O::LoadU8(span.v + group);
        Vec y0 = O::And(pair, O::Set1(0xFF));
        Vec y1 = O::template Srli<8>(pair);
        Vec u = oldU;
        Vec v = oldV;
        YuvMix<O>::Pair(&y0, &y1, &u, &v, terms, span.termStride);
        O::StoreU16(luma, O::Select(lanes, TwoBytes<O>(y0, y1, 0x1010), pair));
        O::StoreU8(span.u + group, O::Select(lanes, ChromaByte<O>(u), oldU));
        O::StoreU8(span.v + group, O::Select(lanes, ChromaByte<O>(v), oldV));
    }
};

// 4:2:0 with separate U and V planes (Interleaved false) or U and V
// alternating in one plane, U first.
template <class O, bool Interleaved>
struct Block420 {
    const YuvRowSpan span;  // a copy: the stores through bytes cannot change it
    template <bool Masked>
    DRAVIK_ROW_INLINE void Run(LONG group, LONG lo, LONG hi) const {
        using Vec = typename O::V;
        const int32_t* topTerms = span.terms[0] + group;
        const int32_t* bottomTerms = span.terms[1] + group;
        const typename O::M lanes = Taken<O, Masked>(
            O::Opaque(O::And(YuvMix<O>::Weights(topTerms, span.termStride),
                             YuvMix<O>::Weights(bottomTerms, span.termStride))),
            lo, hi);
        if (O::None(lanes)) return;
        BYTE* top = span.luma[0] + 2 * static_cast<ptrdiff_t>(group);
        BYTE* bottom = span.luma[1] + 2 * static_cast<ptrdiff_t>(group);
        const Vec topPair = O::LoadU16(top);
        const Vec bottomPair = O::LoadU16(bottom);
        const Vec byte = O::Set1(0xFF);
        Vec y[4] = {O::And(topPair, byte), O::template Srli<8>(topPair), O::And(bottomPair, byte),
                    O::template Srli<8>(bottomPair)};
        Vec oldU, oldV, u, v;
        if (Interleaved) {
            oldU = O::LoadU16(span.u + 2 * static_cast<ptrdiff_t>(group));
            oldV = oldU;
            u = O::And(oldU, byte);
            v = O::template Srli<8>(oldU);
        } else {
            oldU = O::LoadU8(span.u + group);
            oldV = O::LoadU8(span.v + group);
            u = oldU;
            v = oldV;
        }
        YuvMix<O>::Quad(y, &u, &v, topTerms, bottomTerms, span.termStride);
        if (Interleaved) {
            O::StoreU16(span.u + 2 * static_cast<ptrdiff_t>(group), O::Select(lanes, TwoBytes<O>(u, v, 0x8080), oldU));
        } else {
            O::StoreU8(span.u + group, O::Select(lanes, ChromaByte<O>(u), oldU));
            O::StoreU8(span.v + group, O::Select(lanes, ChromaByte<O>(v), oldV));
        }
        O::StoreU16(top, O::Select(lanes, TwoBytes<O>(y[0], y[1], 0x1010), topPair));
        O::StoreU16(bottom, O::Select(lanes, TwoBytes<O>(y[2], y[3], 0x1010), bottomPair));
    }
};

template <class O, class Block>
void YuvRowWith(const YuvRowSpan& span, LONG first, LONG count, YuvRowBlender reference) {
    DriveRow<O::N>(first, count, span.groups, Block{span}, [&](LONG at, LONG rest) { reference(span, at, rest); });
}

template <class O>
struct RgbBlock {
    const RgbRowSpan& span;
    template <bool Masked>
    void Run(LONG at, LONG lo, LONG hi) const {
        O::template RgbBlock<Masked>(span, at, lo, hi);
    }
};

template <class O>
struct Rows {
    static void Yuy2(const YuvRowSpan& span, LONG first, LONG count) {
        YuvRowWith<O, PackedBlock<O, 0, 8, 16, 24>>(span, first, count, ReferenceBlendRows.yuy2);
    }
    static void Uyvy(const YuvRowSpan& span, LONG first, LONG count) {
        YuvRowWith<O, PackedBlock<O, 8, 0, 24, 16>>(span, first, count, ReferenceBlendRows.uyvy);
    }
    static void Planar422(const YuvRowSpan& span, LONG first, LONG count) {
        YuvRowWith<O, Planar422Block<O>>(span, first, count, ReferenceBlendRows.planar422);
    }
    static void Planar420(const YuvRowSpan& span, LONG first, LONG count) {
        YuvRowWith<O, Block420<O, false>>(span, first, count, ReferenceBlendRows.planar420);
    }
    static void SemiPlanar420(const YuvRowSpan& span, LONG first, LONG count) {
        YuvRowWith<O, Block420<O, true>>(span, first, count, ReferenceBlendRows.semiPlanar420);
    }
    static void Rgb(const RgbRowSpan& span, LONG first, LONG count) {
        DriveRow<O::B>(first, count, span.bytes, RgbBlock<O>{span},
                       [&](LONG at, LONG rest) { ReferenceBlendRows.rgb(span, at, rest); });
    }
    static constexpr BlendRows Table = {Yuy2, Uyvy, Planar422, Planar420, SemiPlanar420, Rgb, O::BridgedGap};
};

}  // namespace

#undef DRAVIK_ROW_INLINE

#endif
