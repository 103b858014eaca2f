#include "tools/dravik_stamp/frame_sink_filter.h"

#include <new>

namespace {

// The tool's own filters are not registered anywhere; the class ID only names them.
const CLSID CLSID_FrameSink = {0x5d0c3a52, 0x6f2e, 0x4b8a, {0x9c, 0x1d, 0x27, 0x44, 0xe0, 0x93, 0x6a, 0x01}};

}  // namespace

CFrameSink::CFrameSink(const ClipFormat& format, StampedOutput* output, HRESULT* result)
    : CBaseFilter(L"frame sink", nullptr, &lock_, CLSID_FrameSink),
      pin_(new (std::nothrow) CFrameSinkPin(this, &lock_, result, format, output)) {
    if (pin_ == nullptr) *result = E_OUTOFMEMORY;
}

CFrameSink::~CFrameSink() { delete pin_; }

int CFrameSink::PinCount() { return pin_ != nullptr ? 1 : 0; }

CBasePin* CFrameSink::PinAt(int index) { return index == 0 ? pin_ : nullptr; }

STDMETHODIMP CFrameSink::FindPin(LPCWSTR id, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    if (id == nullptr || pin_ == nullptr || lstrcmpW(id, L"In") != 0) return VFW_E_NOT_FOUND;
    *pin = pin_;
    pin_->AddRef();
    return S_OK;
}
