#include "framework/transform_input_pin.h"

#include "framework/transform_filter.h"
#include "framework/transform_output_pin.h"
#include "module/com_helpers.h"

CTransformInputPin::CTransformInputPin(const wchar_t* objectName, CTransformFilter* filter, HRESULT* result,
                                       LPCWSTR pinName)
    : CBaseInputPin(objectName, filter, &filter->TransformFilterLock(), result, pinName), transformFilter_(filter) {}

HRESULT CTransformInputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    const HRESULT hr = transformFilter_->CheckInputFormat(type);
    if (hr != S_OK) return hr;
    CTransformOutputPin* const output = transformFilter_->OutputPin();
    if (output != nullptr && output->IsConnected()) {
        COwnedMediaType outputType;
        if (FAILED(output->CopyCurrentMediaType(&outputType))) return E_OUTOFMEMORY;
        return transformFilter_->CheckTransformPair(type, &outputType);
    }
    return S_OK;
}

HRESULT CTransformInputPin::SetPinType(const AM_MEDIA_TYPE* type) {
    const HRESULT hr = CBasePin::SetPinType(type);
    if (FAILED(hr)) return hr;
    return transformFilter_->OnMediaTypeSet(PINDIR_INPUT, type);
}

HRESULT CTransformInputPin::CheckPeer(IPin* peer) {
    const HRESULT hr = transformFilter_->OnCheckConnect(PINDIR_INPUT, peer);
    if (FAILED(hr)) return hr;
    return CBasePin::CheckPeer(peer);
}

HRESULT CTransformInputPin::BreakConnection() {
    transformFilter_->OnBreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnection();
}

HRESULT CTransformInputPin::CompleteConnection(IPin* peer) {
    const HRESULT hr = transformFilter_->OnCompleteConnect(PINDIR_INPUT, peer);
    if (FAILED(hr)) return hr;
    return CBasePin::CompleteConnection(peer);
}

HRESULT CTransformInputPin::CheckReceiveState() {
    CTransformOutputPin* const output = transformFilter_->OutputPin();
    if (output == nullptr || !output->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CBaseInputPin::CheckReceiveState();
}

STDMETHODIMP CTransformInputPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"In", id); }

STDMETHODIMP CTransformInputPin::Receive(IMediaSample* sample) {
    CLockGuard guard(transformFilter_->ReceiveLock());
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return transformFilter_->ReceiveSample(sample);
}

STDMETHODIMP CTransformInputPin::EndOfStream() {
    CLockGuard guard(transformFilter_->ReceiveLock());
    const HRESULT hr = CheckReceiveState();
    if (hr != S_OK) return hr;
    return transformFilter_->OnEndOfStream();
}

bool CTransformInputPin::BothPinsConnected() const {
    CTransformOutputPin* const output = transformFilter_->OutputPin();
    return IsConnected() && output != nullptr && output->IsConnected();
}

STDMETHODIMP CTransformInputPin::BeginFlush() {
    CLockGuard guard(*lock_);
    if (!BothPinsConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = BeginFlushStep();
    if (FAILED(hr)) return hr;
    return transformFilter_->OnBeginFlush();
}

STDMETHODIMP CTransformInputPin::EndFlush() {
    CLockGuard guard(*lock_);
    // A Receive that passed its checks before the flush ends first: what it
    // delivers must not reach downstream after the flush has ended there.
    CLockGuard receiveGuard(transformFilter_->ReceiveLock());
    if (!BothPinsConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = transformFilter_->OnEndFlush();
    if (FAILED(hr)) return hr;
    return EndFlushStep();
}

STDMETHODIMP CTransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    CBasePin::NewSegment(start, stop, rate);
    return transformFilter_->OnNewSegment(start, stop, rate);
}
