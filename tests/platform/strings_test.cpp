// BSTR and the wide-string helpers the module relies on natively.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/wide_text.h"

namespace {

TEST(Bstr, CarriesLengthAndTerminator) {
    const auto text = Widen("Dravik");
    BSTR copy = SysAllocString(text.data());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(6u, SysStringLen(copy));
    EXPECT_EQ(12u, SysStringByteLen(copy));
    EXPECT_EQ("Dravik", Narrow(copy));
    SysFreeString(copy);

    BSTR empty = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(3u, SysStringLen(empty));
    EXPECT_EQ(0, empty[3]);
    SysFreeString(empty);

    EXPECT_EQ(nullptr, SysAllocString(nullptr));
    EXPECT_EQ(0u, SysStringLen(nullptr));
    SysFreeString(nullptr);
}

TEST(Bstr, VariantClearFreesStrings) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(Widen("x").data());
    EXPECT_EQ(S_OK, VariantClear(&value));
    EXPECT_EQ(VT_EMPTY, value.vt);
}

TEST(WideStrings, CompareCopyAndConvert) {
    const auto a = Widen("Input"), b = Widen("input"), c = Widen("Output");
    EXPECT_EQ(5, lstrlenW(a.data()));
    EXPECT_NE(0, lstrcmpW(a.data(), b.data()));
    EXPECT_EQ(0, lstrcmpiW(a.data(), b.data()));
    EXPECT_LT(lstrcmpW(a.data(), c.data()), 0);

    WCHAR cut[4];
    lstrcpynW(cut, c.data(), 4);
    EXPECT_EQ("Out", Narrow(cut));

    WCHAR wide[16];
    EXPECT_EQ(4, MultiByteToWideChar(CP_ACP, 0, "a\xc3\xa9z", -1, wide, 16));
    EXPECT_EQ(0xE9, wide[1]);
    char narrow[16];
    EXPECT_EQ(5, WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, 16, nullptr, nullptr));
    EXPECT_STREQ("a\xc3\xa9z", narrow);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, "abcdef", -1, wide, 3));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

}  // namespace
