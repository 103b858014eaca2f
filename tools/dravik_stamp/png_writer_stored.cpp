#include "tools/dravik_stamp/png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/dravik_stamp/stored_png.h"

bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb, std::string* error) {
    const std::vector<unsigned char> bytes = EncodeStoredPng(width, height, rgb);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        *error = path + ": " + std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}
