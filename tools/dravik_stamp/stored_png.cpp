#include "tools/dravik_stamp/stored_png.h"

#include <cstdint>
#include <cstring>

namespace {

const size_t LargestStoredBlock = 65535;

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<unsigned char>* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>* out, const char type[4], const std::vector<unsigned char>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out->data() + typeAt, 4 + data.size(), 0));
}

// The zlib stream: header, stored blocks, Adler-32 of the uncompressed bytes.
std::vector<unsigned char> StoredZlibStream(const std::vector<unsigned char>& raw) {
    std::vector<unsigned char> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = raw.size() - at < LargestStoredBlock ? raw.size() - at : LargestStoredBlock;
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(&out, (b << 16) | a);
    return out;
}

}  // namespace

std::vector<unsigned char> EncodeStoredPng(int width, int height, const unsigned char* rgb) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> file(signature, signature + sizeof signature);

    std::vector<unsigned char> header;
    PutBigEndian(&header, static_cast<uint32_t>(width));
    PutBigEndian(&header, static_cast<uint32_t>(height));
    // 8 bits a sample, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(&file, "IHDR", header);

    // Each row: filter type 0 (none), then its pixels.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + row * rowBytes, rgb + (row + 1) * rowBytes);
    }
    PutChunk(&file, "IDAT", StoredZlibStream(raw));
    PutChunk(&file, "IEND", {});
    return file;
}
