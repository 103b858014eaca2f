#include "tools/dravik_stamp/y4m_reader.h"

#include <cerrno>
#include <cstring>
#include <sstream>

namespace {

const char StreamMagic[] = "YUV4MPEG2";
const char FrameMagic[] = "FRAME";
// Header lines are short; a longer one is not a YUV4MPEG2 stream.
const size_t LongestLine = 4096;
const long long LargestSide = 16384;
const long long LargestRatePart = 1000000000;

// Decimal digits only, no sign, at most the limit.
bool ParseCount(const std::string& text, long long limit, long long* value) {
    if (text.empty() || text.size() > 10) return false;
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    if (result > limit) return false;
    *value = result;
    return true;
}

bool ParseRatio(const std::string& text, long long* numerator, long long* denominator) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    return ParseCount(text.substr(0, colon), LargestRatePart, numerator) &&
           ParseCount(text.substr(colon + 1), LargestRatePart, denominator);
}

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

}  // namespace

bool ParseY4mHeader(const std::string& line, ClipFormat* format, std::string* error) {
    std::istringstream fields(line);
    std::string field;
    if (!(fields >> field) || field != StreamMagic) return Fail(error, "not a YUV4MPEG2 stream (no YUV4MPEG2 signature)");
    ClipFormat result;
    long long width = 0, height = 0;
    bool haveRate = false;
    while (fields >> field) {
        const std::string value = field.substr(1);
        switch (field[0]) {
            case 'W':
                if (!ParseCount(value, LargestSide, &width) || width == 0) return Fail(error, "bad frame width '" + field + "'");
                break;
            case 'H':
                if (!ParseCount(value, LargestSide, &height) || height == 0) return Fail(error, "bad frame height '" + field + "'");
                break;
            case 'F':
                if (!ParseRatio(value, &result.rateNumerator, &result.rateDenominator) || result.rateNumerator == 0 ||
                    result.rateDenominator == 0) {
                    return Fail(error, "bad frame rate '" + field + "'");
                }
                if (FrameTimeFromRate(result.rateNumerator, result.rateDenominator) == 0) {
                    return Fail(error, "frame rate '" + field + "' is too high: a frame must last at least 100 ns");
                }
                haveRate = true;
                break;
            case 'I':
                if (value.size() != 1 || std::strchr("ptbm?", value[0]) == nullptr) {
                    return Fail(error, "bad interlace field '" + field + "'");
                }
                result.interlace = value[0];
                break;
            case 'A': {
                long long x = 0, y = 0;
                if (!ParseRatio(value, &x, &y)) return Fail(error, "bad pixel aspect '" + field + "'");
                result.aspect = value;
                break;
            }
            case 'C':
                if (value == "420jpeg" || value == "420paldv" || value == "420mpeg2" || value == "420") {
                    result.chroma = ChromaLayout::Planar420;
                } else if (value == "422") {
                    result.chroma = ChromaLayout::Planar422;
                } else {
                    return Fail(error, "unsupported colour space '" + field + "' (8-bit 4:2:0 and 4:2:2 only)");
                }
                result.colourTag = value;
                break;
            default:
                result.extraFields.push_back(field);
                break;
        }
    }
    if (width == 0 || height == 0) return Fail(error, "the header lacks the frame size (W and H)");
    if (!haveRate) return Fail(error, "the header lacks the frame rate (F)");
    if (width % 2 != 0) return Fail(error, "odd frame width " + std::to_string(width) + " is not supported");
    if (result.chroma == ChromaLayout::Planar420 && height % 2 != 0) {
        return Fail(error, "odd frame height " + std::to_string(height) + " is not supported for 4:2:0");
    }
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    *format = result;
    return true;
}

Y4mReader::LineResult Y4mReader::ReadLine(std::string* line, const char* what, std::string* error) {
    line->clear();
    for (;;) {
        int c = std::fgetc(input_);
        if (c == EOF) {
            if (std::ferror(input_)) {
                *error = std::string("read error: ") + std::strerror(errno);
                return LineResult::Error;
            }
            if (line->empty()) return LineResult::End;
            *error = std::string("the ") + what + " ends before its newline";
            return LineResult::Error;
        }
        if (c == '\n') return LineResult::Line;
        if (line->size() == LongestLine) {
            *error = std::string("the ") + what + " is longer than " + std::to_string(LongestLine) + " bytes";
            return LineResult::Error;
        }
        line->push_back(static_cast<char>(c));
    }
}

bool Y4mReader::ReadHeader(ClipFormat* format, std::string* error) {
    std::string line;
    switch (ReadLine(&line, "stream header", error)) {
        case LineResult::End:
            *error = "the input is empty";
            return false;
        case LineResult::Error:
            return false;
        case LineResult::Line:
            break;
    }
    if (!ParseY4mHeader(line, &format_, error)) return false;
    *format = format_;
    return true;
}

FrameResult Y4mReader::NextFrame(std::vector<unsigned char>* frame, std::string* error) {
    const std::string number = std::to_string(framesRead_);
    std::string line;
    switch (ReadLine(&line, "frame header", error)) {
        case LineResult::End:
            return FrameResult::End;
        case LineResult::Error:
            *error = "frame " + number + ": " + *error;
            return FrameResult::Error;
        case LineResult::Line:
            break;
    }
    const size_t magicLength = sizeof FrameMagic - 1;
    if (line.compare(0, magicLength, FrameMagic) != 0 || (line.size() > magicLength && line[magicLength] != ' ')) {
        *error = "frame " + number + ": expected a FRAME header, found '" + line.substr(0, 16) + "'";
        return FrameResult::Error;
    }
    const size_t size = format_.FrameSize();
    frame->resize(size);
    const size_t got = std::fread(frame->data(), 1, size, input_);
    if (got != size) {
        if (std::ferror(input_)) {
            *error = "frame " + number + ": read error: " + std::strerror(errno);
        } else {
            *error = "frame " + number + " is truncated (" + std::to_string(got) + " of " + std::to_string(size) + " bytes)";
        }
        return FrameResult::Error;
    }
    ++framesRead_;
    return FrameResult::Frame;
}
