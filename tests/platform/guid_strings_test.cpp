// GUID text must match the platform's exactly: hosts store and compare it.
#include <gtest/gtest.h>

#include <dshow.h>

#include "tests/support/wide_text.h"

namespace {

TEST(GuidStrings, FormatsBracedUpperCaseText) {
    WCHAR text[39];
    ASSERT_EQ(39, StringFromGUID2(MEDIASUBTYPE_YUY2, text, 39));
    EXPECT_EQ("{32595559-0000-0010-8000-00AA00389B71}", Narrow(text));
    ASSERT_EQ(39, StringFromGUID2(GUID_NULL, text, 39));
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", Narrow(text));
}

TEST(GuidStrings, RefusesShortBuffers) {
    WCHAR text[39] = {};
    EXPECT_EQ(0, StringFromGUID2(MEDIASUBTYPE_YUY2, text, 38));
    EXPECT_EQ(0, StringFromGUID2(MEDIASUBTYPE_YUY2, nullptr, 39));
}

TEST(GuidStrings, StringFromClsidAllocatesTaskMemory) {
    LPOLESTR text = nullptr;
    ASSERT_EQ(S_OK, StringFromCLSID(FORMAT_VideoInfo2, &text));
    EXPECT_EQ("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}", Narrow(text));
    CoTaskMemFree(text);
}

TEST(GuidStrings, ParsesEitherCaseAndRoundTrips) {
    GUID parsed;
    const auto lower = Widen("{f72a76a0-eb0a-11d0-ace4-0000c0cc16ba}");
    ASSERT_EQ(S_OK, CLSIDFromString(lower.data(), &parsed));
    EXPECT_TRUE(parsed == FORMAT_VideoInfo2);
    WCHAR text[39];
    StringFromGUID2(IID_IMemInputPin, text, 39);
    ASSERT_EQ(S_OK, CLSIDFromString(text, &parsed));
    EXPECT_TRUE(parsed == IID_IMemInputPin);
}

TEST(GuidStrings, MalformedTextIsAClassStringErrorAndLeavesTheTarget) {
    const char* bad[] = {
        "",
        "f72a76a0-eb0a-11d0-ace4-0000c0cc16ba",
        "{f72a76a0-eb0a-11d0-ace4-0000c0cc16b}",
        "{f72a76a0-eb0a-11d0-ace4-0000c0cc16bax}",
        "{g72a76a0-eb0a-11d0-ace4-0000c0cc16ba}",
        "{f72a76a0+eb0a-11d0-ace4-0000c0cc16ba}",
        "{f72a76a0-eb0a-11d0-ace40000c0cc16ba-}",
    };
    for (const char* text : bad) {
        GUID parsed = MEDIATYPE_Video;
        EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(Widen(text).data(), &parsed)) << text;
        EXPECT_TRUE(parsed == MEDIATYPE_Video) << text;
    }
}

}  // namespace
