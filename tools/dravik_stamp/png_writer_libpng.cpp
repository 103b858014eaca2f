#include "tools/dravik_stamp/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

// libpng reports errors by longjmp; keep its message for the caller.
void RecordError(png_structp png, png_const_charp message) {
    std::string* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    std::longjmp(png_jmpbuf(png), 1);
}

bool WriteRows(FILE* file, int width, int height, const unsigned char* rgb, std::string* error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, RecordError, nullptr);
    if (png == nullptr) {
        *error = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        if (info == nullptr) *error = "out of memory";
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row) png_write_row(png, rgb + row * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string problem;
    bool written = WriteRows(file, width, height, rgb, &problem);
    if (std::fclose(file) != 0 && written) {
        written = false;
        problem = std::strerror(errno);
    }
    if (!written) *error = path + ": " + problem;
    return written;
}
