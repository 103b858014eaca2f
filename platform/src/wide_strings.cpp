// Wide-string helpers over 16-bit characters; the C library's wide functions
// assume 32-bit wchar_t and are never used.
#include <windows.h>

extern "C" int lstrlenW(LPCWSTR text) {
    if (text == nullptr) return 0;
    int length = 0;
    while (text[length] != 0) ++length;
    return length;
}

extern "C" int lstrcmpW(LPCWSTR a, LPCWSTR b) {
    for (;; ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
        if (*a == 0) return 0;
    }
}

namespace {
WCHAR LowerAscii(WCHAR c) { return (c >= L'A' && c <= L'Z') ? static_cast<WCHAR>(c - L'A' + L'a') : c; }
}  // namespace

extern "C" int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    for (;; ++a, ++b) {
        const WCHAR x = LowerAscii(*a), y = LowerAscii(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

extern "C" LPWSTR lstrcpynW(LPWSTR target, LPCWSTR source, int size) {
    if (size <= 0) return target;
    int i = 0;
    for (; i < size - 1 && source[i] != 0; ++i) target[i] = source[i];
    target[i] = 0;
    return target;
}

// The native code page is UTF-8; only the Basic Multilingual Plane and
// surrogate pairs are produced.
extern "C" int MultiByteToWideChar(UINT, DWORD, LPCSTR text, int length, LPWSTR target, int size) {
    if (text == nullptr || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (length < 0) length = static_cast<int>(strlen(text)) + 1;
    int written = 0;
    for (int i = 0; i < length;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        uint32_t code = lead;
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (extra > 0) code = lead & (0x3F >> extra);
        if (i + extra >= length) extra = length - i - 1;  // a cut sequence ends the text
        for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        const int units = code >= 0x10000 ? 2 : 1;
        if (size != 0) {
            if (written + units > size) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            if (units == 2) {
                code -= 0x10000;
                target[written] = static_cast<WCHAR>(0xD800 + (code >> 10));
                target[written + 1] = static_cast<WCHAR>(0xDC00 + (code & 0x3FF));
            } else {
                target[written] = static_cast<WCHAR>(code);
            }
        }
        written += units;
    }
    return written;
}

extern "C" int WideCharToMultiByte(UINT, DWORD, LPCWSTR text, int length, LPSTR target, int size, LPCSTR, BOOL*) {
    if (text == nullptr || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (length < 0) length = lstrlenW(text) + 1;
    int written = 0;
    for (int i = 0; i < length; ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        char bytes[4];
        int count = 0;
        if (code < 0x80) {
            bytes[count++] = static_cast<char>(code);
        } else if (code < 0x800) {
            bytes[count++] = static_cast<char>(0xC0 | (code >> 6));
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes[count++] = static_cast<char>(0xE0 | (code >> 12));
            bytes[count++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes[count++] = static_cast<char>(0xF0 | (code >> 18));
            bytes[count++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        }
        if (size != 0) {
            if (written + count > size) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            memcpy(target + written, bytes, count);
        }
        written += count;
    }
    return written;
}
