// The reference rows: the blend's arithmetic group by group, from the prepared terms.
#include <stddef.h>

#include "overlay/blend_arithmetic.h"
#include "overlay/blend_rows.h"
#include "overlay/prepared_image.h"

namespace {

ImageTerms TermsAt(const YuvRowSpan& span, int imageRow, int side, LONG group) {
    const int32_t* block = span.terms[imageRow] + group;
    const ptrdiff_t stride = span.termStride;
    return {block[(2 * TermFrameWeight + side) * stride], block[(2 * TermRed + side) * stride],
            block[(2 * TermGreen + side) * stride], block[(2 * TermBlue + side) * stride]};
}

// Both pixels of the group on the image row have alpha 0.
bool Transparent(const YuvRowSpan& span, int imageRow, LONG group) {
    const int32_t* weights =
        span.terms[imageRow] + group + 2 * TermFrameWeight * static_cast<ptrdiff_t>(span.termStride);
    return weights[0] == 256 && weights[span.termStride] == 256;
}

template <int Y0, int U, int Y1, int V>
void PackedRow(const YuvRowSpan& span, LONG first, LONG count) {
    for (LONG group = first; group < first + count; ++group) {
        if (Transparent(span, 0, group)) continue;
        BYTE* pair = span.luma[0] + 4 * static_cast<ptrdiff_t>(group);
        MixPair(pair + Y0, pair + Y1, pair + U, pair + V, TermsAt(span, 0, 0, group), TermsAt(span, 0, 1, group));
    }
}

void Planar422Row(const YuvRowSpan& span, LONG first, LONG count) {
    for (LONG group = first; group < first + count; ++group) {
        if (Transparent(span, 0, group)) continue;
        BYTE* pair = span.luma[0] + 2 * static_cast<ptrdiff_t>(group);
        MixPair(pair, pair + 1, span.u + group, span.v + group, TermsAt(span, 0, 0, group), TermsAt(span, 0, 1, group));
    }
}

// Chroma samples step bytes apart.
template <int Step>
void Row420(const YuvRowSpan& span, LONG first, LONG count) {
    for (LONG group = first; group < first + count; ++group) {
        if (Transparent(span, 0, group) && Transparent(span, 1, group)) continue;
        const ptrdiff_t luma = 2 * static_cast<ptrdiff_t>(group);
        const ptrdiff_t chroma = Step * static_cast<ptrdiff_t>(group);
        const ImageTerms terms[4] = {TermsAt(span, 0, 0, group), TermsAt(span, 0, 1, group), TermsAt(span, 1, 0, group),
                                     TermsAt(span, 1, 1, group)};
        MixQuad(span.luma[0] + luma, span.luma[1] + luma, span.u + chroma, span.v + chroma, terms);
    }
}

void RgbRow(const RgbRowSpan& span, LONG first, LONG count) {
    for (LONG at = first; at < first + count; ++at) {
        const int32_t alpha = span.alpha[at];
        span.pixels[at] = static_cast<BYTE>((span.colour[at] * alpha + span.pixels[at] * (256 - alpha)) >> 8);
    }
}

}  // namespace

const BlendRows ReferenceBlendRows = {
    PackedRow<0, 1, 2, 3>, PackedRow<1, 0, 3, 2>, Planar422Row, Row420<1>, Row420<2>, RgbRow, 0};
