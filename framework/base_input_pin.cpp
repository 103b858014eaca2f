#include "framework/base_input_pin.h"

#include "framework/base_filter.h"
#include "framework/media_type.h"
#include "module/com_helpers.h"

CBaseInputPin::CBaseInputPin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT* result,
                             LPCWSTR pinName)
    : CBasePin(objectName, filter, pinLock, result, pinName, PINDIR_INPUT) {}

CBaseInputPin::~CBaseInputPin() {
    FreeReceivedType();
    if (allocator_ != nullptr) allocator_->Release();
}

STDMETHODIMP CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IMemInputPin) return GetInterfacePointer(static_cast<IMemInputPin*>(this), object);
    return CBasePin::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseInputPin::Deactivate() {
    runtimeError_ = false;
    if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
    flushing_ = false;
    return allocator_->Decommit();
}

HRESULT CBaseInputPin::BreakConnection() {
    if (allocator_ == nullptr) return S_OK;
    const HRESULT hr = allocator_->Decommit();
    if (FAILED(hr)) return hr;
    allocator_->Release();
    allocator_ = nullptr;
    return S_OK;
}

HRESULT CBaseInputPin::CheckReceiveState() {
    if (flushing_) return S_FALSE;
    if (IsFilterStopped()) return VFW_E_WRONG_STATE;
    if (runtimeError_) return VFW_E_RUNTIME_ERROR;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    if (allocator_ == nullptr) {
        const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                            reinterpret_cast<void**>(&allocator_));
        if (FAILED(hr)) {
            allocator_ = nullptr;
            *allocator = nullptr;
            return hr;
        }
    }
    allocator_->AddRef();
    *allocator = allocator_;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (allocator == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    // The new reference first, so that renewing the allocator already held is safe.
    allocator->AddRef();
    if (allocator_ != nullptr) allocator_->Release();
    allocator_ = allocator;
    readOnly_ = readOnly != FALSE;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

void CBaseInputPin::FreeReceivedType() {
    DeleteTaskMediaType(receivedType_);
    receivedType_ = nullptr;
}

HRESULT CBaseInputPin::ReadSampleProperties(IMediaSample* sample) {
    FreeReceivedType();
    IMediaSample2* sample2 = nullptr;
    if (SUCCEEDED(sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2))) &&
        sample2 != nullptr) {
        const HRESULT hr =
            sample2->GetProperties(sizeof(sampleProperties_), reinterpret_cast<BYTE*>(&sampleProperties_));
        sample2->Release();
        return FAILED(hr) ? hr : S_OK;
    }
    AM_SAMPLE2_PROPERTIES& props = sampleProperties_;
    props.cbData = sizeof(props);
    props.dwTypeSpecificFlags = 0;
    props.dwStreamId = AM_STREAM_MEDIA;
    props.dwSampleFlags = 0;
    if (sample->IsDiscontinuity() == S_OK) props.dwSampleFlags |= AM_SAMPLE_DATADISCONTINUITY;
    if (sample->IsPreroll() == S_OK) props.dwSampleFlags |= AM_SAMPLE_PREROLL;
    if (sample->IsSyncPoint() == S_OK) props.dwSampleFlags |= AM_SAMPLE_SPLICEPOINT;
    if (SUCCEEDED(sample->GetTime(&props.tStart, &props.tStop))) {
        props.dwSampleFlags |= AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID;
    }
    props.pMediaType = nullptr;
    if (sample->GetMediaType(&receivedType_) == S_OK && receivedType_ != nullptr) {
        props.pMediaType = receivedType_;
        props.dwSampleFlags |= AM_SAMPLE_TYPECHANGED;
    } else {
        // Anything but S_OK hands out nothing the pin must free.
        receivedType_ = nullptr;
    }
    props.pbBuffer = nullptr;
    sample->GetPointer(&props.pbBuffer);
    props.lActual = sample->GetActualDataLength();
    props.cbBuffer = sample->GetSize();
    return S_OK;
}

STDMETHODIMP CBaseInputPin::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    HRESULT hr = CheckReceiveState();
    if (hr != S_OK) return hr;
    hr = ReadSampleProperties(sample);
    if (FAILED(hr)) return hr;
    if ((sampleProperties_.dwSampleFlags & AM_SAMPLE_TYPECHANGED) != 0) {
        if (sampleProperties_.pMediaType == nullptr || CheckReceivedType(sampleProperties_.pMediaType) != S_OK) {
            runtimeError_ = true;
            static_cast<IPin*>(this)->EndOfStream();
            if (filter_ != nullptr) filter_->NotifyEvent(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0);
            return VFW_E_INVALIDMEDIATYPE;
        }
    }
    return S_OK;
}

STDMETHODIMP CBaseInputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) {
    if (samples == nullptr) return E_POINTER;
    if (processed == nullptr) return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count) {
        hr = static_cast<IMemInputPin*>(this)->Receive(samples[*processed]);
        if (hr != S_OK) break;
        ++*processed;
    }
    return hr;
}

STDMETHODIMP CBaseInputPin::ReceiveCanBlock() {
    if (filter_ == nullptr) return S_OK;
    const int count = filter_->PinCount();
    int connectedOutputs = 0;
    for (int index = 0; index < count; ++index) {
        CBasePin* const pin = filter_->PinAt(index);
        if (pin == nullptr) break;
        PIN_DIRECTION direction = PINDIR_INPUT;
        const HRESULT hr = pin->QueryDirection(&direction);
        if (FAILED(hr)) return hr;
        if (direction != PINDIR_OUTPUT) continue;
        IPin* peer = nullptr;
        if (FAILED(pin->ConnectedTo(&peer)) || peer == nullptr) continue;
        ++connectedOutputs;
        IMemInputPin* peerInput = nullptr;
        peer->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&peerInput));
        peer->Release();
        if (peerInput == nullptr) return S_OK;
        const HRESULT canBlock = peerInput->ReceiveCanBlock();
        peerInput->Release();
        if (canBlock != S_FALSE) return S_OK;
    }
    return connectedOutputs == 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CBaseInputPin::Notify(IBaseFilter* sender, Quality) { return sender == nullptr ? E_POINTER : S_OK; }

HRESULT CBaseInputPin::PassQualityUpstream(const Quality& quality) {
    IBaseFilter* const sender = filter_ != nullptr ? static_cast<IBaseFilter*>(filter_) : nullptr;
    if (qualitySink_ != nullptr) return qualitySink_->Notify(sender, quality);
    IPin* const peer = connected_;
    if (peer == nullptr) return VFW_E_NOT_FOUND;
    IQualityControl* upstream = nullptr;
    peer->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&upstream));
    if (upstream == nullptr) return VFW_E_NOT_FOUND;
    const HRESULT hr = upstream->Notify(sender, quality);
    upstream->Release();
    return hr;
}

HRESULT CBaseInputPin::BeginFlushStep() {
    CLockGuard guard(*lock_);
    flushing_ = true;
    return S_OK;
}

HRESULT CBaseInputPin::EndFlushStep() {
    CLockGuard guard(*lock_);
    flushing_ = false;
    runtimeError_ = false;
    return S_OK;
}
