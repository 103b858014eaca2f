// Reading and writing YUV4MPEG2: header fields, whole frames, and refusals of
// malformed input with a reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/dravik_stamp/y4m_reader.h"
#include "tools/dravik_stamp/y4m_writer.h"

namespace {

// A temporary stream holding the bytes, positioned at the start.
FILE* StreamOf(const std::string& bytes) {
    FILE* stream = std::tmpfile();
    if (stream == nullptr) return nullptr;
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    return stream;
}

std::string ParseError(const std::string& line) {
    ClipFormat format;
    std::string error;
    if (ParseY4mHeader(line, &format, &error)) return "accepted";
    return error;
}

TEST(Y4mHeader, ReadsEveryField) {
    ClipFormat format;
    std::string error;
    ASSERT_TRUE(ParseY4mHeader("YUV4MPEG2 W320 H240 F30000:1001 It A10:11 C420mpeg2 XYSCSS=420MPEG2", &format, &error)) << error;
    EXPECT_EQ(320, format.width);
    EXPECT_EQ(240, format.height);
    EXPECT_EQ(30000, format.rateNumerator);
    EXPECT_EQ(1001, format.rateDenominator);
    EXPECT_EQ('t', format.interlace);
    EXPECT_EQ("10:11", format.aspect);
    EXPECT_EQ("420mpeg2", format.colourTag);
    EXPECT_EQ(ChromaLayout::Planar420, format.chroma);
    ASSERT_EQ(1u, format.extraFields.size());
    EXPECT_EQ("XYSCSS=420MPEG2", format.extraFields[0]);
    EXPECT_EQ(320u * 240 + 2 * 160 * 120, format.FrameSize());
}

TEST(Y4mHeader, ColourSpaces) {
    ClipFormat format;
    std::string error;
    for (const char* tag : {" C420jpeg", " C420paldv", " C420mpeg2", " C420", ""}) {
        ASSERT_TRUE(ParseY4mHeader(std::string("YUV4MPEG2 W4 H2 F25:1") + tag, &format, &error)) << tag << error;
        EXPECT_EQ(ChromaLayout::Planar420, format.chroma) << tag;
        EXPECT_EQ('?', format.interlace) << "an absent I tag is unknown";
    }
    ASSERT_TRUE(ParseY4mHeader("YUV4MPEG2 W4 H3 F25:1 C422", &format, &error)) << error;
    EXPECT_EQ(ChromaLayout::Planar422, format.chroma);
    EXPECT_EQ(4u * 3 + 2 * 2 * 3, format.FrameSize());
}

TEST(Y4mHeader, RefusesMalformedHeaders) {
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG W4 H2 F25:1").find("not a YUV4MPEG2"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 H2 F25:1").find("frame size"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2").find("frame rate"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:0").find("frame rate"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25").find("frame rate"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F1000000000:1").find("at least 100 ns"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F20000001:1").find("at least 100 ns"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W-4 H2 F25:1").find("width"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W0 H2 F25:1").find("width"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W99999 H2 F25:1").find("width"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2x F25:1").find("height"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:1 Ix").find("interlace"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:1 A1").find("aspect"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:1 C444").find("unsupported colour space 'C444'"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:1 C420p10").find("unsupported"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H2 F25:1 Cmono").find("unsupported"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W5 H2 F25:1").find("odd frame width"));
    EXPECT_NE(std::string::npos, ParseError("YUV4MPEG2 W4 H3 F25:1").find("odd frame height"));
}

TEST(Y4mReader, ReadsWholeFramesUntilTheEnd) {
    std::string bytes = "YUV4MPEG2 W4 H2 F25:1 Ip\nFRAME\n";
    bytes += std::string("ABCDEFGH") + "ij" + "kl";
    bytes += "FRAME Ixyz\n";
    bytes += std::string("12345678") + "90" + "!?";
    FILE* stream = StreamOf(bytes);
    ASSERT_NE(nullptr, stream);
    Y4mReader reader(stream);
    ClipFormat format;
    std::string error;
    ASSERT_TRUE(reader.ReadHeader(&format, &error)) << error;
    std::vector<unsigned char> frame;
    ASSERT_EQ(FrameResult::Frame, reader.NextFrame(&frame, &error)) << error;
    EXPECT_EQ("ABCDEFGHijkl", std::string(frame.begin(), frame.end()));
    ASSERT_EQ(FrameResult::Frame, reader.NextFrame(&frame, &error)) << error;
    EXPECT_EQ("1234567890!?", std::string(frame.begin(), frame.end()));
    EXPECT_EQ(FrameResult::End, reader.NextFrame(&frame, &error));
    std::fclose(stream);
}

// The error a stream of these bytes gives, after the frames that are whole.
std::string StreamError(const std::string& bytes, int wholeFrames) {
    FILE* stream = StreamOf(bytes);
    if (stream == nullptr) return "no temporary file";
    Y4mReader reader(stream);
    ClipFormat format;
    std::string error;
    std::string result;
    if (!reader.ReadHeader(&format, &error)) {
        result = wholeFrames == 0 ? error : "header refused: " + error;
    } else {
        std::vector<unsigned char> frame;
        for (int index = 0; index < wholeFrames && result.empty(); ++index) {
            if (reader.NextFrame(&frame, &error) != FrameResult::Frame) result = "frame lost: " + error;
        }
        if (result.empty()) {
            const FrameResult last = reader.NextFrame(&frame, &error);
            result = last == FrameResult::Error ? error : "no error";
        }
    }
    std::fclose(stream);
    return result;
}

TEST(Y4mReader, RefusesDamagedStreams) {
    const std::string header = "YUV4MPEG2 W4 H2 F25:1\n";
    EXPECT_EQ("the input is empty", StreamError("", 0));
    EXPECT_EQ("the stream header ends before its newline", StreamError("YUV4MPEG2 W4 H2 F25:1", 0));
    EXPECT_NE(std::string::npos, StreamError("YUV4MPEG2 W4 H2 F25:1 " + std::string(5000, 'X'), 0).find("longer than"));
    EXPECT_EQ("frame 1 is truncated (5 of 12 bytes)", StreamError(header + "FRAME\n123456789012FRAME\n12345", 1));
    EXPECT_EQ("frame 0 is truncated (0 of 12 bytes)", StreamError(header + "FRAME\n", 0));
    EXPECT_EQ("frame 0: the frame header ends before its newline", StreamError(header + "FRA", 0));
    EXPECT_EQ("frame 0: expected a FRAME header, found 'FRAMES'", StreamError(header + "FRAMES\n123456789012", 0));
    EXPECT_EQ("frame 1: expected a FRAME header, found 'garbage'", StreamError(header + "FRAME\n123456789012garbage\n", 1));
}

TEST(Y4mWriter, HeaderLineReadsBackAsTheSameFormat) {
    ClipFormat format;
    std::string error;
    ASSERT_TRUE(ParseY4mHeader("YUV4MPEG2 W320 H240 F30000:1001 Ib A10:11 C422 XCOLORRANGE=LIMITED", &format, &error));
    const std::string line = Y4mHeaderLine(format);
    EXPECT_EQ("YUV4MPEG2 W320 H240 F30000:1001 Ib A10:11 C422 XCOLORRANGE=LIMITED\n", line);
    ASSERT_TRUE(ParseY4mHeader("YUV4MPEG2 W2 H2 F25:1", &format, &error));
    EXPECT_EQ("YUV4MPEG2 W2 H2 F25:1 I?\n", Y4mHeaderLine(format)) << "no C or A tag is invented";
}

TEST(Y4mWriter, WritesMarkedFrames) {
    FILE* stream = std::tmpfile();
    ASSERT_NE(nullptr, stream);
    ClipFormat format;
    std::string error;
    ASSERT_TRUE(ParseY4mHeader("YUV4MPEG2 W2 H2 F25:1 Ip", &format, &error));
    Y4mWriter writer(stream);
    const unsigned char frame[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(writer.WriteHeader(format, &error));
    ASSERT_TRUE(writer.WriteFrame(frame, sizeof frame, &error));
    ASSERT_TRUE(writer.Finish(&error));
    std::rewind(stream);
    char bytes[64] = {};
    const size_t length = std::fread(bytes, 1, sizeof bytes, stream);
    std::fclose(stream);
    EXPECT_EQ(std::string("YUV4MPEG2 W2 H2 F25:1 Ip\nFRAME\n\x01\x02\x03\x04\x05\x06", 37), std::string(bytes, length));
}

}  // namespace
