#include "tools/dravik_stamp/stamped_output.h"

#include "tools/dravik_stamp/png_writer.h"
#include "tools/dravik_stamp/rgb_picture.h"

bool StampedOutput::WriteHeaderOnce(std::string* error) {
    if (headerWritten_) return true;
    headerWritten_ = writer_.WriteHeader(format_, error);
    return headerWritten_;
}

bool StampedOutput::TakeFrame(const unsigned char* frame, std::string* error) {
    if (failed_) {
        *error = "the output failed before";
        return false;
    }
    failed_ = !WriteHeaderOnce(error) || !writer_.WriteFrame(frame, format_.FrameSize(), error);
    if (failed_) return false;
    for (const Snapshot& snapshot : snapshots_) {
        if (snapshot.frame != framesWritten_) continue;
        const std::vector<unsigned char> rgb = FrameToRgb(format_, frame);
        if (!WritePng(snapshot.path, format_.width, format_.height, rgb.data(), error)) {
            failed_ = true;
            return false;
        }
    }
    ++framesWritten_;
    return true;
}

bool StampedOutput::Finish(std::string* error) {
    if (failed_) {
        *error = "the output failed before";
        return false;
    }
    failed_ = !WriteHeaderOnce(error) || !writer_.Finish(error);
    return !failed_;
}

std::vector<Snapshot> StampedOutput::MissedSnapshots() const {
    std::vector<Snapshot> missed;
    for (const Snapshot& snapshot : snapshots_) {
        if (snapshot.frame >= framesWritten_) missed.push_back(snapshot);
    }
    return missed;
}
