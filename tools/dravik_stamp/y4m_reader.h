// Reads a YUV4MPEG2 stream: the header line, then one whole frame at a time.
#ifndef DRAVIK_STAMP_Y4M_READER_H
#define DRAVIK_STAMP_Y4M_READER_H

#include <cstdio>
#include <string>
#include <vector>

#include "tools/dravik_stamp/clip_format.h"
#include "tools/dravik_stamp/frame_supply.h"

// Parses the header line (without its newline); on failure says why in one line.
bool ParseY4mHeader(const std::string& line, ClipFormat* format, std::string* error);

class Y4mReader : public FrameSupply {
public:
    // The stream is the caller's and stays open.
    explicit Y4mReader(FILE* input) : input_(input) {}

    bool ReadHeader(ClipFormat* format, std::string* error);
    // End only at a clean end of the stream, before any byte of a further frame.
    FrameResult NextFrame(std::vector<unsigned char>* frame, std::string* error) override;

private:
    enum class LineResult { Line, End, Error };
    LineResult ReadLine(std::string* line, const char* what, std::string* error);

    FILE* input_;
    ClipFormat format_;
    long long framesRead_ = 0;
};

#endif
