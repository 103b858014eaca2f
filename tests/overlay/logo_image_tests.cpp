// The logo built from the module's "RAW" 101 resource.
#include <gtest/gtest.h>

#include <stdint.h>

#include "module/module_state.h"
#include "overlay/aligned_buffer.h"
#include "overlay/logo_image.h"
#include "overlay/pixel_formats.h"

namespace {

// The resource as the platform hands it out, looked up apart from the code under test.
const BYTE* LogoResource(DWORD* size) {
    HRSRC resource = FindResourceW(ModuleHandle, MAKEINTRESOURCEW(101), L"RAW");
    if (resource == nullptr) return nullptr;
    *size = SizeofResource(ModuleHandle, resource);
    return static_cast<const BYTE*>(LockResource(LoadResource(ModuleHandle, resource)));
}

TEST(LogoAlpha, GrayLevelsBecomeAtMostHalfOpaque) {
    EXPECT_EQ(0, LogoAlphaFromGray(255));
    EXPECT_EQ(0, LogoAlphaFromGray(254));
    EXPECT_EQ(63, LogoAlphaFromGray(128));
    EXPECT_EQ(127, LogoAlphaFromGray(1));
    EXPECT_EQ(127, LogoAlphaFromGray(0));
}

TEST(BuildLogoImage, WhitePixelsWithAlphaFromTheResource) {
    DWORD resourceSize = 0;
    const BYTE* gray = LogoResource(&resourceSize);
    ASSERT_NE(nullptr, gray);
    ASSERT_EQ(10865u, resourceSize);

    VideoFrameLayout logo{};
    logo.width = LogoImageWidth;
    logo.height = LogoImageHeight;
    ASSERT_TRUE(BuildLogoImage(&logo));
    EXPECT_EQ(265, logo.width);
    EXPECT_EQ(41, logo.height);
    EXPECT_EQ(32, logo.bitCount);
    EXPECT_EQ(FourccRgba, logo.fourcc);
    EXPECT_EQ(1072, logo.strides[0]);
    EXPECT_EQ(4, logo.sampleStep[0]);
    ASSERT_NE(nullptr, logo.planes[0]);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(logo.planes[0]) % 16);

    bool someVisible = false;
    for (LONG row = 0; row < 41; ++row) {
        for (LONG column = 0; column < 265; ++column) {
            const BYTE* pixel = logo.planes[0] + row * 1072 + column * 4;
            const BYTE g = gray[row * 265 + column];
            ASSERT_EQ(255, pixel[0]) << row << "," << column;
            ASSERT_EQ(255, pixel[1]) << row << "," << column;
            ASSERT_EQ(255, pixel[2]) << row << "," << column;
            ASSERT_EQ((255 - g) >> 1, pixel[3]) << row << "," << column;
            someVisible = someVisible || pixel[3] != 0;
        }
    }
    EXPECT_TRUE(someVisible) << "the logo has lettering";
    FreeAlignedBuffer(logo.planes[0]);
}

TEST(BuildLogoImage, UnusableRecordsFail) {
    EXPECT_FALSE(BuildLogoImage(nullptr));
    for (LONG width : {0, -265}) {
        VideoFrameLayout logo{};
        logo.width = width;
        logo.height = 41;
        EXPECT_FALSE(BuildLogoImage(&logo));
        EXPECT_EQ(nullptr, logo.planes[0]);
    }
    VideoFrameLayout upsideDown{};
    upsideDown.width = 265;
    upsideDown.height = -41;
    EXPECT_FALSE(BuildLogoImage(&upsideDown));
    EXPECT_EQ(nullptr, upsideDown.planes[0]);
    EXPECT_EQ(0, upsideDown.bitCount);
}

}  // namespace
