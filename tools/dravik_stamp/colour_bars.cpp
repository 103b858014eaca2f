#include "tools/dravik_stamp/colour_bars.h"

namespace {

struct YuvColour {
    unsigned char y, u, v;
};

// White, yellow, cyan, green, magenta, red, blue, black at 75%, BT.601 limited range.
const YuvColour Bars[] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                          {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
const int BarCount = sizeof Bars / sizeof Bars[0];
const YuvColour Neutral = {16, 128, 128};

// The colour at a pixel: bars in the top two thirds, a ramp below, and the
// moving block (full white) on the ramp.
YuvColour ColourAt(const ClipFormat& format, int frame, int x, int y) {
    const int barsBottom = format.height * 2 / 3;
    if (y < barsBottom) return Bars[x * BarCount / format.width];
    const int block = format.height / 9 > 2 ? format.height / 9 : 2;
    const int blockLeft = (frame * block) % (format.width > block ? format.width - block : 1);
    const int blockTop = barsBottom + (format.height - barsBottom - block) / 2;
    if (x >= blockLeft && x < blockLeft + block && y >= blockTop && y < blockTop + block) return {235, 128, 128};
    YuvColour ramp = Neutral;
    ramp.y = static_cast<unsigned char>(16 + x * 219 / (format.width > 1 ? format.width - 1 : 1));
    return ramp;
}

}  // namespace

ClipFormat DefaultColourBarFormat() {
    ClipFormat format;
    format.width = 1920;
    format.height = 1080;
    format.chroma = ChromaLayout::Planar420;
    format.colourTag = "420jpeg";
    format.rateNumerator = 25;
    format.rateDenominator = 1;
    format.interlace = 'p';
    format.aspect = "1:1";
    return format;
}

FrameResult ColourBarClip::NextFrame(std::vector<unsigned char>* frame, std::string*) {
    if (nextFrame_ == frameCount_) return FrameResult::End;
    frame->resize(format_.FrameSize());
    unsigned char* luma = frame->data();
    unsigned char* cb = luma + format_.LumaSize();
    unsigned char* cr = cb + format_.ChromaPlaneSize();
    for (int y = 0; y < format_.height; ++y) {
        for (int x = 0; x < format_.width; ++x) luma[static_cast<size_t>(y) * format_.width + x] = ColourAt(format_, nextFrame_, x, y).y;
    }
    // Chroma from the top-left pixel each sample covers.
    const int rowStep = format_.chroma == ChromaLayout::Planar420 ? 2 : 1;
    for (int row = 0; row < format_.ChromaHeight(); ++row) {
        for (int column = 0; column < format_.ChromaWidth(); ++column) {
            const YuvColour colour = ColourAt(format_, nextFrame_, column * 2, row * rowStep);
            const size_t at = static_cast<size_t>(row) * format_.ChromaWidth() + column;
            cb[at] = colour.u;
            cr[at] = colour.v;
        }
    }
    ++nextFrame_;
    return FrameResult::Frame;
}
