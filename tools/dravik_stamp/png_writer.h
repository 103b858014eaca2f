// Writes an 8-bit RGB picture as a PNG file.
#ifndef DRAVIK_STAMP_PNG_WRITER_H
#define DRAVIK_STAMP_PNG_WRITER_H

#include <string>

// Rows top-down, three bytes a pixel (red, green, blue). Natively libpng
// compresses; the Windows build has no libpng and stores the data uncompressed.
bool WritePng(const std::string& path, int width, int height, const unsigned char* rgb, std::string* error);

#endif
