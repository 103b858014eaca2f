// BSTR: a length-prefixed, terminated wide string; the pointer is to the text.
#include <windows.h>

#include <stdlib.h>

namespace {
// The byte count sits in the four bytes before the text; the block is kept
// 16-byte aligned like the platform's cache.
const size_t kPrefix = 16;
}  // namespace

extern "C" BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > 0x3FFFFFF0u) return nullptr;
    const size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
    BYTE* block = static_cast<BYTE*>(malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    const DWORD byteCount = static_cast<DWORD>(bytes);
    memcpy(block + kPrefix - sizeof(DWORD), &byteCount, sizeof(DWORD));
    BSTR result = reinterpret_cast<BSTR>(block + kPrefix);
    if (text != nullptr) {
        memcpy(result, text, bytes);
    } else {
        memset(result, 0, bytes);
    }
    result[length] = 0;
    return result;
}

extern "C" BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(lstrlenW(text)));
}

extern "C" void SysFreeString(BSTR text) {
    if (text != nullptr) free(reinterpret_cast<BYTE*>(text) - kPrefix);
}

extern "C" UINT SysStringByteLen(BSTR text) {
    if (text == nullptr) return 0;
    DWORD byteCount = 0;
    memcpy(&byteCount, reinterpret_cast<BYTE*>(text) - sizeof(DWORD), sizeof(DWORD));
    return byteCount;
}

extern "C" UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

extern "C" void VariantInit(VARIANT* value) { value->vt = VT_EMPTY; }

extern "C" HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    if (value->vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    } else if (value->vt == VT_UNKNOWN && value->punkVal != nullptr) {
        value->punkVal->Release();
    }
    value->vt = VT_EMPTY;
    return S_OK;
}
