// The tool's YUV4MPEG2 reader on any stream, and its writer on what the
// reader accepted: the header the writer makes of a format, with a new frame
// time and interlace flags as the graph may announce them, must read back.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "fuzz/finding.h"
#include "fuzz/fuzz_input.h"
#include "tools/dravik_stamp/stamp_options.h"
#include "tools/dravik_stamp/video_media_type.h"
#include "tools/dravik_stamp/y4m_reader.h"
#include "tools/dravik_stamp/y4m_writer.h"

namespace {

// Frames larger than this are read by the tool as any other; here they would only be slow.
constexpr size_t LargestFrame = 1 << 22;

void ReadsBack(const ClipFormat& format) {
    std::string line = Y4mHeaderLine(format);
    if (line.empty() || line.back() != '\n') Finding("a header line without its newline");
    line.pop_back();
    ClipFormat again;
    std::string error;
    if (!ParseY4mHeader(line, &again, &error)) {
        fprintf(stderr, "'%s': %s\n", line.c_str(), error.c_str());
        Finding("a written header does not read back");
    }
    if (again.width != format.width || again.height != format.height || again.chroma != format.chroma ||
        again.rateNumerator != format.rateNumerator || again.rateDenominator != format.rateDenominator ||
        again.interlace != format.interlace || again.FrameSize() != format.FrameSize()) {
        fprintf(stderr, "'%s'\n", line.c_str());
        Finding("a written header reads back as another format");
    }
}

// Frames written and read back are the same bytes.
void FramesRoundTrip(const ClipFormat& format, const std::vector<std::vector<unsigned char>>& frames) {
    char* text = nullptr;
    size_t length = 0;
    FILE* output = open_memstream(&text, &length);
    if (output == nullptr) return;
    Y4mWriter writer(output);
    std::string error;
    bool written = writer.WriteHeader(format, &error);
    for (const auto& frame : frames) written = written && writer.WriteFrame(frame.data(), frame.size(), &error);
    written = written && writer.Finish(&error);
    fclose(output);
    if (!written) Finding("frames could not be written");
    FILE* input = fmemopen(text, length, "rb");
    if (input == nullptr) return;
    Y4mReader reader(input);
    ClipFormat again;
    if (!reader.ReadHeader(&again, &error)) Finding("a written stream's header does not read back");
    std::vector<unsigned char> frame;
    for (const auto& expected : frames) {
        if (reader.NextFrame(&frame, &error) != FrameResult::Frame || frame != expected) Finding("a written frame reads back otherwise");
    }
    if (reader.NextFrame(&frame, &error) != FrameResult::End) Finding("a written stream does not end after its frames");
    fclose(input);
    free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The last bytes choose the timing the graph announces; the rest is the stream.
    const size_t tail = size < 13 ? size : 13;
    FuzzInput timing(data + size - tail, tail);
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size - tail, "rb");
    if (stream == nullptr) return 0;
    Y4mReader reader(stream);
    ClipFormat format;
    std::string error;
    std::vector<std::vector<unsigned char>> frames;
    if (!reader.ReadHeader(&format, &error)) {
        if (error.empty()) Finding("a refused header without a reason");
    } else if (format.FrameSize() <= LargestFrame) {
        for (int count = 0; count < 4; ++count) {
            std::vector<unsigned char> frame;
            const FrameResult result = reader.NextFrame(&frame, &error);
            if (result == FrameResult::Error && error.empty()) Finding("a refused frame without a reason");
            if (result != FrameResult::Frame) break;
            if (frame.size() != format.FrameSize()) Finding("a frame of another size than the format's");
            frames.push_back(frame);
        }
    }
    fclose(stream);
    if (format.width == 0) return 0;
    // The clip's frame time goes into its media type, where 0 cannot connect.
    if (FrameTimeFromRate(format.rateNumerator, format.rateDenominator) <= 0) Finding("a frame rate whose frame time is not positive");

    ReadsBack(format);
    if (format.FrameSize() <= LargestFrame) FramesRoundTrip(format, frames);
    const long long frameTime = 1 + static_cast<long long>(timing.Raw<uint64_t>() % LargestFrameTime);
    const DWORD interlaceFlags = timing.Raw<DWORD>();
    ReadsBack(FormatWithTiming(format, frameTime, interlaceFlags));
    return 0;
}
