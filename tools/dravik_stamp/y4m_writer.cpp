#include "tools/dravik_stamp/y4m_writer.h"

#include <cerrno>
#include <cstring>

std::string Y4mHeaderLine(const ClipFormat& format) {
    std::string line = "YUV4MPEG2 W" + std::to_string(format.width) + " H" + std::to_string(format.height) + " F" +
                       std::to_string(format.rateNumerator) + ":" + std::to_string(format.rateDenominator) + " I" +
                       format.interlace;
    if (!format.aspect.empty()) line += " A" + format.aspect;
    if (!format.colourTag.empty()) line += " C" + format.colourTag;
    for (const std::string& field : format.extraFields) line += " " + field;
    return line + "\n";
}

bool Y4mWriter::Write(const void* data, size_t size, std::string* error) {
    if (std::fwrite(data, 1, size, output_) == size) return true;
    *error = std::string("write error: ") + std::strerror(errno);
    return false;
}

bool Y4mWriter::WriteHeader(const ClipFormat& format, std::string* error) {
    const std::string line = Y4mHeaderLine(format);
    return Write(line.data(), line.size(), error);
}

bool Y4mWriter::WriteFrame(const unsigned char* frame, size_t size, std::string* error) {
    static const char marker[] = "FRAME\n";
    return Write(marker, sizeof marker - 1, error) && Write(frame, size, error);
}

bool Y4mWriter::Finish(std::string* error) {
    if (std::fflush(output_) == 0) return true;
    *error = std::string("write error: ") + std::strerror(errno);
    return false;
}
