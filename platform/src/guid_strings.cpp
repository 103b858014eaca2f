// GUID text as the platform writes and reads it: 38 characters in braces,
// upper-case hexadecimal digits in the 8-4-4-4-12 grouping.
#include <windows.h>

namespace {

const int kGuidTextLength = 38;

int HexValue(WCHAR c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text; false on a non-digit.
bool ReadHex(LPCOLESTR text, int digits, uint32_t* value) {
    uint32_t result = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) return false;
        result = (result << 4) | static_cast<uint32_t>(digit);
    }
    *value = result;
    return true;
}

void WriteHex(uint32_t value, int digits, LPOLESTR out) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<WCHAR>(kDigits[value & 0xF]);
        value >>= 4;
    }
}

}  // namespace

extern "C" int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size) {
    if (buffer == nullptr || size < kGuidTextLength + 1) return 0;
    WCHAR* p = buffer;
    *p++ = L'{';
    WriteHex(guid.Data1, 8, p);
    p += 8;
    *p++ = L'-';
    WriteHex(guid.Data2, 4, p);
    p += 4;
    *p++ = L'-';
    WriteHex(guid.Data3, 4, p);
    p += 4;
    *p++ = L'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) *p++ = L'-';
        WriteHex(guid.Data4[i], 2, p);
        p += 2;
    }
    *p++ = L'}';
    *p = 0;
    return kGuidTextLength + 1;
}

extern "C" HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
    if (text == nullptr) return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(WCHAR)));
    if (*text == nullptr) return E_OUTOFMEMORY;
    StringFromGUID2(clsid, *text, kGuidTextLength + 1);
    return S_OK;
}

// Only the braced form is parsed; ProgIDs are not registered natively, so any
// other text is an invalid class string.
extern "C" HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (clsid == nullptr) return E_INVALIDARG;
    if (text == nullptr) {
        *clsid = GUID_NULL;
        return S_OK;
    }
    GUID parsed{};
    uint32_t value = 0;
    bool ok = lstrlenW(text) == kGuidTextLength && text[0] == L'{' && text[9] == L'-' && text[14] == L'-' &&
              text[19] == L'-' && text[24] == L'-' && text[37] == L'}';
    ok = ok && ReadHex(text + 1, 8, &value);
    parsed.Data1 = value;
    ok = ok && ReadHex(text + 10, 4, &value);
    parsed.Data2 = static_cast<uint16_t>(value);
    ok = ok && ReadHex(text + 15, 4, &value);
    parsed.Data3 = static_cast<uint16_t>(value);
    static const int kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; ok && i < 8; ++i) {
        ok = ReadHex(text + kBytePositions[i], 2, &value);
        parsed.Data4[i] = static_cast<uint8_t>(value);
    }
    if (!ok) return CO_E_CLASSSTRING;
    *clsid = parsed;
    return S_OK;
}
