// Where the stamped frames go: the YUV4MPEG2 output and the PNG snapshots.
#ifndef DRAVIK_STAMP_STAMPED_OUTPUT_H
#define DRAVIK_STAMP_STAMPED_OUTPUT_H

#include <cstdio>
#include <string>
#include <vector>

#include "tools/dravik_stamp/clip_format.h"
#include "tools/dravik_stamp/stamp_options.h"
#include "tools/dravik_stamp/y4m_writer.h"

class StampedOutput {
public:
    // The stream is the caller's and stays open.
    StampedOutput(FILE* output, const std::vector<Snapshot>& snapshots) : writer_(output), snapshots_(snapshots) {}

    // The header is written before the first frame, or by Finish for a stream without frames.
    void SetFormat(const ClipFormat& format) { format_ = format; }
    // One whole frame in YUV4MPEG2 plane order; after a failure every call fails.
    bool TakeFrame(const unsigned char* frame, std::string* error);
    bool Finish(std::string* error);

    long long FramesWritten() const { return framesWritten_; }
    // Snapshots asked for frames the stream does not have.
    std::vector<Snapshot> MissedSnapshots() const;

private:
    bool WriteHeaderOnce(std::string* error);

    Y4mWriter writer_;
    const std::vector<Snapshot> snapshots_;
    ClipFormat format_;
    bool headerWritten_ = false;
    bool failed_ = false;
    long long framesWritten_ = 0;
};

#endif
