#include "tests/wine/e2e/sample_tap_filter.h"

#include <new>

namespace {

// Not registered anywhere; the class ID only names the filter.
const CLSID CLSID_SampleTap = {0x3f0e6c21, 0x8d4b, 0x4e57, {0xa1, 0x9c, 0x52, 0x7b, 0x0d, 0xe4, 0x36, 0x18}};

}  // namespace

CSampleTapFilter::CSampleTapFilter(ISampleGrabberCB* recorder)
    : CTransInPlaceFilter(L"sample tap", nullptr, CLSID_SampleTap, nullptr, false), recorder_(recorder) {
    recorder_->AddRef();
}

CSampleTapFilter::~CSampleTapFilter() { recorder_->Release(); }

HRESULT CSampleTapFilter::Create(ISampleGrabberCB* recorder, IBaseFilter** filter) {
    if (recorder == nullptr || filter == nullptr) return E_POINTER;
    *filter = nullptr;
    CSampleTapFilter* tap = new (std::nothrow) CSampleTapFilter(recorder);
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

HRESULT CSampleTapFilter::CheckInputFormat(const AM_MEDIA_TYPE* type) {
    return type->majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CSampleTapFilter::ProposeOutputType(int, AM_MEDIA_TYPE*) { return VFW_S_NO_MORE_ITEMS; }

HRESULT CSampleTapFilter::TransformInPlace(IMediaSample* sample) {
    const HRESULT hr = recorder_->SampleCB(0.0, sample);
    return FAILED(hr) ? hr : S_OK;
}
