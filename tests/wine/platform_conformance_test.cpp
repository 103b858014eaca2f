// The platform's own answers that the native platform layer reproduces: GUID
// text and the failure codes of parsing it. The native unit tests expect the
// same values, so a difference shows up here first.
#include <windows.h>
#include <objbase.h>
#include <dshow.h>

#include <stdio.h>
#include <string.h>

#include "tests/wine/check_report.h"

namespace {

bool SameText(const WCHAR* wide, const char* narrow) {
    for (; *narrow != 0; ++wide, ++narrow) {
        if (*wide != static_cast<WCHAR>(*narrow)) return false;
    }
    return *wide == 0;
}

void Widen(const char* narrow, WCHAR* wide, size_t size) {
    size_t i = 0;
    for (; narrow[i] != 0 && i + 1 < size; ++i) wide[i] = static_cast<WCHAR>(narrow[i]);
    wide[i] = 0;
}

}  // namespace

int main() {
    CCheckReport report;
    WCHAR text[64];

    report.Check(StringFromGUID2(MEDIASUBTYPE_YUY2, text, 39) == 39 &&
                     SameText(text, "{32595559-0000-0010-8000-00AA00389B71}"),
                 "StringFromGUID2 writes 38 upper-case characters in braces and answers 39");
    report.Check(StringFromGUID2(GUID_NULL, text, 39) == 39 && SameText(text, "{00000000-0000-0000-0000-000000000000}"),
                 "StringFromGUID2 of GUID_NULL");
    report.Check(StringFromGUID2(MEDIASUBTYPE_YUY2, text, 38) == 0, "StringFromGUID2 refuses a 38-character buffer");

    LPOLESTR allocated = nullptr;
    report.Check(StringFromCLSID(FORMAT_VideoInfo2, &allocated) == S_OK && allocated != nullptr &&
                     SameText(allocated, "{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}"),
                 "StringFromCLSID gives the same text in task memory");
    CoTaskMemFree(allocated);

    GUID parsed;
    Widen("{f72a76a0-eb0a-11d0-ace4-0000c0cc16ba}", text, 64);
    report.Check(CLSIDFromString(text, &parsed) == S_OK && IsEqualGUID(parsed, FORMAT_VideoInfo2),
                 "CLSIDFromString reads lower-case digits");

    const char* malformed[] = {
        "f72a76a0-eb0a-11d0-ace4-0000c0cc16ba",
        "{f72a76a0-eb0a-11d0-ace4-0000c0cc16b}",
        "{g72a76a0-eb0a-11d0-ace4-0000c0cc16ba}",
        "{f72a76a0+eb0a-11d0-ace4-0000c0cc16ba}",
    };
    for (const char* bad : malformed) {
        Widen(bad, text, 64);
        char what[128];
        snprintf(what, sizeof(what), "CLSIDFromString(\"%s\") is CO_E_CLASSSTRING", bad);
        report.CheckResult(CLSIDFromString(text, &parsed), CO_E_CLASSSTRING, what);
    }
    return report.Finish();
}
