// The tool end to end, in process: YUV4MPEG2 in, the helper filter in the
// graph, YUV4MPEG2 out, checked against an independent computation of the blend.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "reference_blend.h"
#include "tools/dravik_stamp/stamp_job.h"
#include "tools/dravik_stamp/y4m_reader.h"
#include "tools/dravik_stamp/y4m_writer.h"

namespace {

// Per process: ctest runs the tests of this file side by side.
std::string Path(const char* name) {
    return testing::TempDir() + "dravik_stamp_" + std::to_string(getpid()) + "_" + name;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
}

bool Exists(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
}

// Frames of varied content: every byte differs from its neighbours.
std::vector<std::vector<unsigned char>> MakeFrames(const ClipFormat& format, int count) {
    std::vector<std::vector<unsigned char>> frames;
    unsigned seed = 12345;
    for (int f = 0; f < count; ++f) {
        std::vector<unsigned char> frame(format.FrameSize());
        for (unsigned char& byte : frame) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(16 + (seed >> 16) % 224);
        }
        frames.push_back(frame);
    }
    return frames;
}

// Byte for byte, reporting the first difference rather than both streams.
testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    const size_t common = std::min(expected.size(), actual.size());
    size_t at = 0;
    while (at < common && expected[at] == actual[at]) ++at;
    if (at == common && expected.size() == actual.size()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "first difference at byte " << at << " (expected " << expected.size()
                                       << " bytes, got " << actual.size() << ")";
}

std::string Stream(const ClipFormat& format, const std::vector<std::vector<unsigned char>>& frames) {
    std::string bytes = Y4mHeaderLine(format);
    for (const auto& frame : frames) bytes += "FRAME\n" + std::string(frame.begin(), frame.end());
    return bytes;
}

ClipFormat Parse(const std::string& line) {
    ClipFormat format;
    std::string error;
    EXPECT_TRUE(ParseY4mHeader(line, &format, &error)) << error;
    return format;
}

struct JobRun {
    int status = -1;
    std::string diagnostics;
};

JobRun RunJob(const std::vector<std::string>& arguments) {
    JobRun run;
    StampOptions options;
    std::string error;
    if (!ParseStampOptions(arguments, &options, &error)) {
        run.diagnostics = error;
        return run;
    }
    FILE* diagnostics = std::tmpfile();
    if (diagnostics == nullptr) return run;
    run.status = RunStampJob(options, diagnostics);
    std::rewind(diagnostics);
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, diagnostics)) > 0) run.diagnostics.append(buffer, got);
    std::fclose(diagnostics);
    return run;
}

// Runs the tool on the clip and compares its output with the reference blend.
void ExpectStampedLikeTheReference(const std::string& header, int frameCount) {
    const ClipFormat format = Parse(header);
    const std::vector<std::vector<unsigned char>> frames = MakeFrames(format, frameCount);
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    WriteFile(input, Stream(format, frames));
    const JobRun run = RunJob({input, output});
    ASSERT_EQ(0, run.status) << run.diagnostics;

    const std::vector<unsigned char> logo = LoadLogoGray();
    ASSERT_FALSE(logo.empty());
    std::vector<std::vector<unsigned char>> expected = frames;
    for (auto& frame : expected) ReferenceStamp(format, logo, frame.data());
    EXPECT_FALSE(expected == frames) << "the logo must show on this clip";
    const std::string written = ReadFile(output);
    EXPECT_TRUE(SameBytes(Stream(format, expected), written)) << header;
    EXPECT_NE(std::string::npos, run.diagnostics.find("bytes received: " + std::to_string(format.FrameSize() * frameCount)))
        << run.diagnostics;
    EXPECT_NE(std::string::npos, run.diagnostics.find("frames: " + std::to_string(frameCount))) << run.diagnostics;
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST(ReferenceBlend, MatchesTheOverlaysWorkedExamples) {
    // A logo that is opaque (alpha 127) everywhere, on black frames of 266 x 2.
    const std::vector<unsigned char> opaque(265 * 41, 0);
    ClipFormat packed = Parse("YUV4MPEG2 W266 H2 F25:1 C422");
    std::vector<unsigned char> frame(packed.FrameSize());
    std::fill(frame.begin(), frame.begin() + packed.LumaSize(), 16);
    std::fill(frame.begin() + packed.LumaSize(), frame.end(), 128);
    ReferenceStamp(packed, opaque, frame.data());
    EXPECT_EQ(124, frame[0]);
    EXPECT_EQ(124, frame[1]);
    EXPECT_EQ(128, frame[packed.LumaSize()]);
    EXPECT_EQ(127, frame[packed.LumaSize() + packed.ChromaPlaneSize()]);
    EXPECT_EQ(16, frame[265]) << "the last column is outside the pairs drawn";

    ClipFormat planar = Parse("YUV4MPEG2 W266 H2 F25:1");
    frame.assign(planar.FrameSize(), 128);
    std::fill(frame.begin(), frame.begin() + planar.LumaSize(), 16);
    ReferenceStamp(planar, opaque, frame.data());
    EXPECT_EQ(124, frame[266]);
    EXPECT_EQ(128, frame[planar.LumaSize()]);
    EXPECT_EQ(127, frame[planar.LumaSize() + planar.ChromaPlaneSize()]);
}

TEST(StampJob, Planar420OutputIsTheReferenceBlend) {
    ExpectStampedLikeTheReference("YUV4MPEG2 W320 H96 F25:1 Ip A1:1 C420jpeg", 3);
}

TEST(StampJob, Planar422OutputIsTheReferenceBlend) {
    // 302 wide puts the logo at an odd column, which the pairs round down.
    ExpectStampedLikeTheReference("YUV4MPEG2 W302 H50 F30000:1001 It C422 XCOLORRANGE=LIMITED", 2);
}

TEST(StampJob, NarrowFrameGetsTheMiddleOfTheLogo) {
    ExpectStampedLikeTheReference("YUV4MPEG2 W200 H24 F25:1 C420paldv", 2);
}

TEST(StampJob, OverlayOffPassesFramesUnchanged) {
    const ClipFormat format = Parse("YUV4MPEG2 W320 H64 F25:1 Ip");
    const std::string clip = Stream(format, MakeFrames(format, 2));
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    WriteFile(input, clip);
    const JobRun run = RunJob({"--overlay", "off", input, output});
    ASSERT_EQ(0, run.status) << run.diagnostics;
    EXPECT_TRUE(SameBytes(clip, ReadFile(output)));
    EXPECT_NE(std::string::npos, run.diagnostics.find("overlay: off")) << run.diagnostics;
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST(StampJob, OverridesReachTheOutputHeaderAndTheCounters) {
    const ClipFormat format = Parse("YUV4MPEG2 W320 H64 F25:1 Ip");
    const std::vector<std::vector<unsigned char>> frames = MakeFrames(format, 3);
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    WriteFile(input, Stream(format, frames));
    const JobRun run = RunJob({"--overlay", "off", "--frame-time", "200000", "--interlace", "t", input, output});
    ASSERT_EQ(0, run.status) << run.diagnostics;
    ClipFormat announced = format;
    announced.rateNumerator = 50;
    announced.interlace = 't';
    EXPECT_TRUE(SameBytes(Stream(announced, frames), ReadFile(output)));
    // The frames are timed at the announced rate: the last starts at 2 x 200000.
    EXPECT_NE(std::string::npos, run.diagnostics.find("first frame duration: 200000")) << run.diagnostics;
    EXPECT_NE(std::string::npos, run.diagnostics.find("last start time: 400000")) << run.diagnostics;
    EXPECT_NE(std::string::npos, run.diagnostics.find("input frame time: 200000")) << run.diagnostics;
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST(StampJob, TruncatedInputKeepsOnlyWholeFrames) {
    const ClipFormat format = Parse("YUV4MPEG2 W320 H64 F25:1 Ip");
    const std::vector<std::vector<unsigned char>> frames = MakeFrames(format, 2);
    const std::string clip = Stream(format, frames);
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    WriteFile(input, clip.substr(0, clip.size() - 100));
    const JobRun run = RunJob({"--overlay", "off", input, output});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.diagnostics.find(input + ": frame 1 is truncated")) << run.diagnostics;
    EXPECT_TRUE(SameBytes(Stream(format, {frames[0]}), ReadFile(output))) << "the whole first frame and nothing of the second";
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST(StampJob, MalformedInputIsRefusedBeforeAnythingIsWritten) {
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    std::remove(output.c_str());
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"", "the input is empty"},
        {"RIFF1234AVI LIST\n", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG2 W320 H64 F25:1 C444\nFRAME\n", "unsupported colour space 'C444'"},
        {"YUV4MPEG2 W320 H64 F25:1", "the stream header ends before its newline"},
    };
    for (const auto& bad : cases) {
        WriteFile(input, bad.bytes);
        const JobRun run = RunJob({input, output});
        EXPECT_EQ(1, run.status) << bad.message;
        EXPECT_NE(std::string::npos, run.diagnostics.find("dravik_stamp: " + input + ": " + bad.message)) << run.diagnostics;
        EXPECT_EQ(1, std::count(run.diagnostics.begin(), run.diagnostics.end(), '\n')) << "one line: " << run.diagnostics;
        EXPECT_FALSE(Exists(output)) << bad.message;
    }
    const JobRun missing = RunJob({Path("missing.y4m"), output});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.diagnostics.find(Path("missing.y4m") + ": ")) << missing.diagnostics;
    std::remove(input.c_str());
}

TEST(StampJob, MidStreamGarbageStopsAtTheFrameBefore) {
    const ClipFormat format = Parse("YUV4MPEG2 W320 H64 F25:1 Ip");
    const std::vector<std::vector<unsigned char>> frames = MakeFrames(format, 2);
    const std::string input = Path("in.y4m"), output = Path("out.y4m");
    WriteFile(input, Stream(format, frames) + "FRAMX\n");
    const JobRun run = RunJob({"--overlay", "off", input, output});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.diagnostics.find("frame 2: expected a FRAME header")) << run.diagnostics;
    EXPECT_TRUE(SameBytes(Stream(format, frames), ReadFile(output)));
    std::remove(input.c_str());
    std::remove(output.c_str());
}

TEST(StampJob, SnapshotOfAFrameTheClipLacksIsAnError) {
    const ClipFormat format = Parse("YUV4MPEG2 W320 H64 F25:1 Ip");
    const std::string input = Path("in.y4m"), output = Path("out.y4m"), picture = Path("shot.png");
    WriteFile(input, Stream(format, MakeFrames(format, 2)));
    JobRun run = RunJob({"--snapshot", "1:" + picture, input, output});
    ASSERT_EQ(0, run.status) << run.diagnostics;
    EXPECT_TRUE(Exists(picture));
    run = RunJob({"--snapshot", "5:" + picture, input, output});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.diagnostics.find("the clip has no frame 5 (it has 2)")) << run.diagnostics;
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::remove(picture.c_str());
}

}  // namespace
