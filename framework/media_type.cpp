#include "framework/media_type.h"

#include <stdint.h>

namespace {

bool SameBlocks(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    if (a.cbFormat != b.cbFormat) return false;
    if (a.cbFormat == 0) return true;
    return a.pbFormat != nullptr && b.pbFormat != nullptr && memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

}  // namespace

COwnedMediaType::COwnedMediaType() { ResetToEmpty(); }

COwnedMediaType::~COwnedMediaType() { ReleaseMediaTypeContents(this); }

void COwnedMediaType::ResetToEmpty() {
    AM_MEDIA_TYPE* record = this;
    memset(record, 0, sizeof(AM_MEDIA_TYPE));
    bFixedSizeSamples = TRUE;
    lSampleSize = 1;
}

HRESULT COwnedMediaType::Assign(const AM_MEDIA_TYPE& other) {
    if (&other == this) return S_OK;
    ReleaseMediaTypeContents(this);
    return SUCCEEDED(CopyMediaTypeRecord(this, other)) ? S_OK : E_OUTOFMEMORY;
}

void COwnedMediaType::Swap(COwnedMediaType& other) {
    AM_MEDIA_TYPE& mine = *this;
    AM_MEDIA_TYPE& theirs = other;
    const AM_MEDIA_TYPE held = mine;
    mine = theirs;
    theirs = held;
}

bool COwnedMediaType::operator==(const AM_MEDIA_TYPE& other) const {
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           SameBlocks(*this, other);
}

bool COwnedMediaType::MatchesPattern(const AM_MEDIA_TYPE& pattern) const {
    if (pattern.majortype != GUID_NULL && pattern.majortype != majortype) return false;
    if (pattern.subtype != GUID_NULL && pattern.subtype != subtype) return false;
    if (pattern.formattype == GUID_NULL) return true;
    return pattern.formattype == formattype && SameBlocks(*this, pattern);
}

bool COwnedMediaType::IsPartial() const { return majortype == GUID_NULL || formattype == GUID_NULL; }

BYTE* COwnedMediaType::ReserveFormatBlock(ULONG length) {
    if (length == cbFormat) return pbFormat;
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (block == nullptr) return length <= cbFormat ? pbFormat : nullptr;
    if (cbFormat != 0) CoTaskMemFree(pbFormat);
    pbFormat = block;
    cbFormat = length;
    return block;
}

void COwnedMediaType::SetSampleSize(ULONG size) {
    if (size == 0) {
        bFixedSizeSamples = FALSE;
        return;
    }
    bFixedSizeSamples = TRUE;
    lSampleSize = size;
}

HRESULT CopyMediaTypeRecord(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE& source) {
    *target = source;
    // A block is copied only where there is one: a size without a block, or a
    // block without a size, makes a type without a block.
    target->cbFormat = 0;
    target->pbFormat = nullptr;
    if (source.cbFormat != 0 && source.pbFormat != nullptr) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (target->pbFormat == nullptr) {
            // No block and no reference taken: the target owns nothing.
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        target->cbFormat = source.cbFormat;
        memcpy(target->pbFormat, source.pbFormat, source.cbFormat);
    }
    if (target->pUnk != nullptr) target->pUnk->AddRef();
    return S_OK;
}

void ReleaseMediaTypeContents(AM_MEDIA_TYPE* type) {
    if (type->cbFormat != 0) {
        CoTaskMemFree(type->pbFormat);
        type->cbFormat = 0;
        type->pbFormat = nullptr;
    }
    if (type->pUnk != nullptr) {
        type->pUnk->Release();
        type->pUnk = nullptr;
    }
}

void DeleteTaskMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return;
    ReleaseMediaTypeContents(type);
    CoTaskMemFree(type);
}

DWORD BitmapImageSize(const BITMAPINFOHEADER& header) {
    const uint32_t bits = static_cast<uint32_t>(header.biBitCount) * static_cast<uint32_t>(header.biWidth) + 31u;
    const uint32_t rowBytes = (bits >> 3) & ~3u;
    const uint32_t size = rowBytes * static_cast<uint32_t>(header.biHeight);
    return header.biHeight < 0 ? static_cast<DWORD>(0u - size) : size;
}
