// A complete PNG file whose image data sits in uncompressed (stored) deflate
// blocks: no compression library needed.
#ifndef DRAVIK_STAMP_STORED_PNG_H
#define DRAVIK_STAMP_STORED_PNG_H

#include <vector>

// Rows top-down, three bytes a pixel (red, green, blue).
std::vector<unsigned char> EncodeStoredPng(int width, int height, const unsigned char* rgb);

#endif
