// Writes a YUV4MPEG2 stream: one header line, then whole frames.
#ifndef DRAVIK_STAMP_Y4M_WRITER_H
#define DRAVIK_STAMP_Y4M_WRITER_H

#include <cstdio>
#include <string>

#include "tools/dravik_stamp/clip_format.h"

// The stream header line for the format, newline included.
std::string Y4mHeaderLine(const ClipFormat& format);

class Y4mWriter {
public:
    // The stream is the caller's and stays open.
    explicit Y4mWriter(FILE* output) : output_(output) {}

    bool WriteHeader(const ClipFormat& format, std::string* error);
    // One frame of format.FrameSize() bytes in YUV4MPEG2 plane order.
    bool WriteFrame(const unsigned char* frame, size_t size, std::string* error);
    // Flushes what is buffered; a failure here is a failed write too.
    bool Finish(std::string* error);

private:
    bool Write(const void* data, size_t size, std::string* error);

    FILE* output_;
};

#endif
