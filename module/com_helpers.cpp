#include "module/com_helpers.h"

namespace {
const int kMaxCopiedStringLength = 50000;
}

HRESULT GetInterfacePointer(IUnknown* pointer, void** slot) {
    if (slot == nullptr) return E_POINTER;
    *slot = pointer;
    pointer->AddRef();
    return S_OK;
}

HRESULT CopyStringToTaskMemory(const WCHAR* text, WCHAR** slot) {
    if (slot == nullptr) return E_POINTER;
    *slot = nullptr;
    if (text == nullptr) return E_INVALIDARG;
    int length = 0;
    while (length < kMaxCopiedStringLength && text[length] != 0) ++length;
    if (length == kMaxCopiedStringLength) return E_INVALIDARG;
    const SIZE_T bytes = static_cast<SIZE_T>(length + 1) * sizeof(WCHAR);
    WCHAR* copy = static_cast<WCHAR*>(CoTaskMemAlloc(bytes));
    if (copy == nullptr) return E_OUTOFMEMORY;
    memcpy(copy, text, bytes);
    *slot = copy;
    return S_OK;
}
