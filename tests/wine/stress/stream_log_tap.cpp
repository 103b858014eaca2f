#include "tests/wine/stress/stream_log_tap.h"

#include <new>

namespace {

// Not registered anywhere; the class ID only names the filter.
const CLSID CLSID_StreamLogTap = {0x5b2c7e13, 0x1f4a, 0x4d0b, {0x8e, 0x61, 0x2a, 0x95, 0xc3, 0x07, 0xd8, 0x4f}};

}  // namespace

CStreamLogTap::CStreamLogTap(CStreamLog* log)
    : CTransInPlaceFilter(L"stream log tap", nullptr, CLSID_StreamLogTap, nullptr, false), log_(log) {}

HRESULT CStreamLogTap::Create(CStreamLog* log, IBaseFilter** filter) {
    if (log == nullptr || filter == nullptr) return E_POINTER;
    *filter = nullptr;
    CStreamLogTap* tap = new (std::nothrow) CStreamLogTap(log);
    if (tap == nullptr) return E_OUTOFMEMORY;
    // The pins exist from here on.
    if (tap->PinAt(0) == nullptr) {
        delete tap;
        return E_OUTOFMEMORY;
    }
    tap->NonDelegatingAddRef();
    *filter = static_cast<IBaseFilter*>(tap);
    return S_OK;
}

HRESULT CStreamLogTap::CheckInputFormat(const AM_MEDIA_TYPE* type) {
    return type->majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CStreamLogTap::ProposeOutputType(int, AM_MEDIA_TYPE*) { return VFW_S_NO_MORE_ITEMS; }

HRESULT CStreamLogTap::TransformInPlace(IMediaSample*) { return S_OK; }

HRESULT CStreamLogTap::OnBeginFlush() {
    log_->Add(CStreamLog::BeginFlush);
    return CTransInPlaceFilter::OnBeginFlush();
}

HRESULT CStreamLogTap::OnEndFlush() {
    const HRESULT hr = CTransInPlaceFilter::OnEndFlush();
    log_->Add(CStreamLog::EndFlush);
    return hr;
}
