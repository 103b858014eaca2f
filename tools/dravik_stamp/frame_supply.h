// Where the clip source filter takes its frames from: a YUV4MPEG2 stream or
// the built-in colour bars.
#ifndef DRAVIK_STAMP_FRAME_SUPPLY_H
#define DRAVIK_STAMP_FRAME_SUPPLY_H

#include <string>
#include <vector>

enum class FrameResult { Frame, End, Error };

class FrameSupply {
public:
    virtual ~FrameSupply() = default;
    // Fills the frame with one whole frame in YUV4MPEG2 plane order; End when
    // there are no more, Error with a one-line reason when the frame is unusable.
    virtual FrameResult NextFrame(std::vector<unsigned char>* frame, std::string* error) = 0;
};

#endif
