// The built-in clip stamped when no input is given: 75% colour bars over a
// luma ramp, with a white block that moves from frame to frame.
#ifndef DRAVIK_STAMP_COLOUR_BARS_H
#define DRAVIK_STAMP_COLOUR_BARS_H

#include "tools/dravik_stamp/clip_format.h"
#include "tools/dravik_stamp/frame_supply.h"

// 1920 x 1080, 4:2:0, 25 frames a second, progressive, square pixels.
ClipFormat DefaultColourBarFormat();

class ColourBarClip : public FrameSupply {
public:
    // Any even width and height, 4:2:0 or 4:2:2.
    ColourBarClip(const ClipFormat& format, int frameCount) : format_(format), frameCount_(frameCount) {}

    FrameResult NextFrame(std::vector<unsigned char>* frame, std::string* error) override;

private:
    const ClipFormat format_;
    const int frameCount_;
    int nextFrame_ = 0;
};

#endif
