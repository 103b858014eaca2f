#include "framework/transform_output_pin.h"

#include "framework/seeking_pass_through.h"
#include "framework/transform_filter.h"
#include "framework/transform_input_pin.h"
#include "module/com_helpers.h"

CTransformOutputPin::CTransformOutputPin(const wchar_t* objectName, CTransformFilter* filter, HRESULT* result,
                                         LPCWSTR pinName)
    : CBaseOutputPin(objectName, filter, &filter->TransformFilterLock(), result, pinName), transformFilter_(filter) {}

CTransformOutputPin::~CTransformOutputPin() {
    IUnknown* const passThrough = PositionPassThrough.load();
    if (passThrough != nullptr) passThrough->Release();
}

STDMETHODIMP CTransformOutputPin::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IMediaPosition || riid == IID_IMediaSeeking) {
        // Downstream asks for this from inside our delivery (a renderer at end of
        // stream does), so it must not wait for the filter lock that Stop holds.
        IUnknown* passThrough = PositionPassThrough.load();
        if (passThrough == nullptr) {
            IUnknown* created = nullptr;
            const HRESULT hr = CreateSeekingPassThrough(GetOwner(), FALSE, transformFilter_->InputPin(), &created);
            if (FAILED(hr)) return hr;
            // Of two racing requests, the one stored second gives its object up.
            if (PositionPassThrough.compare_exchange_strong(passThrough, created)) {
                passThrough = created;
            } else {
                created->Release();
            }
        }
        return passThrough->QueryInterface(riid, object);
    }
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, object);
}

bool CTransformOutputPin::InputConnected() const {
    CTransformInputPin* const input = transformFilter_->InputPin();
    return input != nullptr && input->IsConnected();
}

HRESULT CTransformOutputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    if (!InputConnected()) return E_INVALIDARG;
    COwnedMediaType input;
    if (FAILED(transformFilter_->InputPin()->CopyCurrentMediaType(&input))) return E_OUTOFMEMORY;
    return transformFilter_->CheckTransformPair(&input, type);
}

HRESULT CTransformOutputPin::SetPinType(const AM_MEDIA_TYPE* type) {
    const HRESULT hr = CBasePin::SetPinType(type);
    if (FAILED(hr)) return hr;
    return transformFilter_->OnMediaTypeSet(PINDIR_OUTPUT, type);
}

HRESULT CTransformOutputPin::CheckPeer(IPin* peer) {
    if (!InputConnected()) return E_UNEXPECTED;
    const HRESULT hr = transformFilter_->OnCheckConnect(PINDIR_OUTPUT, peer);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CheckPeer(peer);
}

HRESULT CTransformOutputPin::BreakConnection() {
    transformFilter_->OnBreakConnect(PINDIR_OUTPUT);
    return CBaseOutputPin::BreakConnection();
}

HRESULT CTransformOutputPin::CompleteConnection(IPin* peer) {
    const HRESULT hr = transformFilter_->OnCompleteConnect(PINDIR_OUTPUT, peer);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CompleteConnection(peer);
}

HRESULT CTransformOutputPin::MediaTypeAt(int position, COwnedMediaType* type) {
    if (!InputConnected()) return VFW_S_NO_MORE_ITEMS;
    return transformFilter_->ProposeOutputType(position, type);
}

HRESULT CTransformOutputPin::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    return transformFilter_->SizeBuffers(allocator, request);
}

STDMETHODIMP CTransformOutputPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"Out", id); }

STDMETHODIMP CTransformOutputPin::Notify(IBaseFilter*, Quality quality) {
    const HRESULT hr = transformFilter_->OnQualityMessage(quality);
    if (hr != S_FALSE) return hr;
    CTransformInputPin* const input = transformFilter_->InputPin();
    return input != nullptr ? input->PassQualityUpstream(quality) : VFW_E_NOT_FOUND;
}
