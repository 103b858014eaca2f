// Both PNG writers give files that decode to the pixels they were given: the
// libpng one the program uses natively, and the stored one of the Windows build.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/dravik_stamp/png_writer.h"
#include "tools/dravik_stamp/stored_png.h"

namespace {

struct DecodedPng {
    bool ok = false;
    png_uint_32 width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// libpng checks every chunk CRC and the zlib Adler-32 while decoding.
DecodedPng Decode(const std::vector<unsigned char>& bytes) {
    DecodedPng result;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) return result;
    image.format = PNG_FORMAT_RGB;
    result.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr) == 0) return result;
    result.ok = true;
    result.width = image.width;
    result.height = image.height;
    return result;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    unsigned char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

std::vector<unsigned char> Pattern(int width, int height) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>((i * 7919) >> 3);
    return rgb;
}

TEST(Png, BothWritersDecodeToTheSamePixels) {
    // 200 x 120 needs two stored blocks; 1 x 1 is the smallest picture.
    for (const auto& size : std::vector<std::pair<int, int>>{{200, 120}, {1, 1}, {3, 5}}) {
        const std::vector<unsigned char> rgb = Pattern(size.first, size.second);
        const DecodedPng stored = Decode(EncodeStoredPng(size.first, size.second, rgb.data()));
        ASSERT_TRUE(stored.ok);
        EXPECT_EQ(static_cast<png_uint_32>(size.first), stored.width);
        EXPECT_EQ(static_cast<png_uint_32>(size.second), stored.height);
        EXPECT_EQ(rgb, stored.rgb);

        const std::string path = testing::TempDir() + "dravik_png_test.png";
        std::string error;
        ASSERT_TRUE(WritePng(path, size.first, size.second, rgb.data(), &error)) << error;
        const DecodedPng compressed = Decode(ReadFile(path));
        std::remove(path.c_str());
        ASSERT_TRUE(compressed.ok);
        EXPECT_EQ(stored.rgb, compressed.rgb);
    }
}

TEST(Png, DamageIsDetectedByTheDecoder) {
    const std::vector<unsigned char> rgb = Pattern(16, 16);
    std::vector<unsigned char> bytes = EncodeStoredPng(16, 16, rgb.data());
    ASSERT_TRUE(Decode(bytes).ok);
    // A pixel byte inside the stored block: the Adler-32 (or the chunk CRC) no longer matches.
    bytes[bytes.size() / 2] ^= 0x40;
    EXPECT_FALSE(Decode(bytes).ok);
}

TEST(Png, UnwritablePathIsReported) {
    const unsigned char rgb[3] = {1, 2, 3};
    std::string error;
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", 1, 1, rgb, &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent-dir/x.png: "));
}

}  // namespace
