#include "tools/dravik_stamp/clip_source_filter.h"

#include <new>

namespace {

// The tool's own filters are not registered anywhere; the class ID only names them.
const CLSID CLSID_ClipSource = {0x5d0c3a51, 0x6f2e, 0x4b8a, {0x9c, 0x1d, 0x27, 0x44, 0xe0, 0x93, 0x6a, 0x01}};

}  // namespace

CClipSource::CClipSource(const ClipFormat& format, FrameSupply* supply, HRESULT* result)
    : CSource(L"clip source", nullptr, CLSID_ClipSource), stream_(new (std::nothrow) CClipStream(result, this, format, supply)) {
    if (stream_ == nullptr) {
        *result = E_OUTOFMEMORY;
    } else if (IndexOfStream(stream_) < 0) {
        // Not in the filter's array, so the filter's destruction would miss it.
        delete stream_;
        stream_ = nullptr;
    }
}
