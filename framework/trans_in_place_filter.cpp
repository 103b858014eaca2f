#include "framework/trans_in_place_filter.h"

#include <cstddef>
#include <new>

#include "framework/media_type.h"
#include "framework/sample_copy.h"
#include "framework/trans_in_place_input_pin.h"
#include "framework/trans_in_place_output_pin.h"

CTransInPlaceFilter::CTransInPlaceFilter(const wchar_t* debugName, IUnknown* outer, REFCLSID classId, HRESULT*,
                                         bool modifiesData)
    : CTransformFilter(debugName, outer, classId), modifiesData_(modifiesData) {}

CBasePin* CTransInPlaceFilter::PinAt(int index) {
    if (input_ == nullptr || output_ == nullptr) {
        CLockGuard guard(pinCreationLock_);
        HRESULT result = S_OK;
        if (input_ == nullptr) {
            input_ = new (std::nothrow) CTransInPlaceInputPin(L"in-place input", this, &result, L"Input");
        }
        if (input_ != nullptr && output_ == nullptr) {
            output_ = new (std::nothrow) CTransInPlaceOutputPin(L"in-place output", this, &result, L"Output");
            if (output_ == nullptr) {
                delete input_;
                input_ = nullptr;
            }
        }
    }
    if (index == 0) return input_;
    if (index == 1) return output_;
    return nullptr;
}

CTransInPlaceOutputPin* CTransInPlaceFilter::InPlaceOutputPin() const {
    return static_cast<CTransInPlaceOutputPin*>(output_);
}

HRESULT CTransInPlaceFilter::TransformToOutput(IMediaSample*, IMediaSample*) { return E_UNEXPECTED; }

HRESULT CTransInPlaceFilter::CheckTransformPair(const AM_MEDIA_TYPE*, const AM_MEDIA_TYPE*) { return S_OK; }

HRESULT CTransInPlaceFilter::SizeBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) {
    if (allocator == nullptr || properties == nullptr) return E_POINTER;
    ALLOCATOR_PROPERTIES request{1, 1, 0, 0};
    // An input being reconnected has no allocator yet; its reconnection brings
    // the shared allocator, so the output needs no more than the minimum now.
    IMemAllocator* const inputAllocator = input_ != nullptr && input_->IsConnected() ? input_->Allocator() : nullptr;
    if (inputAllocator != nullptr) {
        const HRESULT hr = inputAllocator->GetProperties(&request);
        if (FAILED(hr)) return hr;
    }
    // Allocators refuse an alignment of 0, which an unsized input allocator reports.
    properties->cbAlign = request.cbAlign > 0 ? request.cbAlign : 1;
    properties->cBuffers = request.cBuffers > 0 ? request.cBuffers : 1;
    properties->cbBuffer = request.cbBuffer > 0 ? request.cbBuffer : 1;
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(properties, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cBuffers < request.cBuffers || actual.cbBuffer < request.cbBuffer || actual.cbAlign < request.cbAlign) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CTransInPlaceFilter::OnCompleteConnect(PIN_DIRECTION direction, IPin*) {
    if (Graph() == nullptr) return VFW_E_NOT_IN_GRAPH;
    if (input_ == nullptr || output_ == nullptr) return E_UNEXPECTED;
    if (direction == PINDIR_OUTPUT) {
        // The upstream pin connects again and now obtains the shared allocator.
        if (input_->IsConnected()) return RequestReconnect(input_, &output_->CurrentMediaType());
        return S_OK;
    }
    if (output_->IsConnected() && input_->CurrentMediaType() != output_->CurrentMediaType()) {
        return RequestReconnect(output_, &input_->CurrentMediaType());
    }
    return S_OK;
}

HRESULT CTransInPlaceFilter::RequestReconnect(IPin* pin, const AM_MEDIA_TYPE* type) {
    IFilterGraph* const graph = Graph();
    if (graph == nullptr) return E_NOINTERFACE;
    IFilterGraph2* graph2 = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2))) &&
        graph2 != nullptr) {
        const HRESULT hr = graph2->ReconnectEx(pin, type);
        graph2->Release();
        return hr;
    }
    return graph->Reconnect(pin);
}

bool CTransInPlaceFilter::AllocatorsDiffer() const {
    IMemAllocator* const inputAllocator = input_ != nullptr ? input_->Allocator() : nullptr;
    IMemAllocator* const outputAllocator = output_ != nullptr ? output_->Allocator() : nullptr;
    return inputAllocator != outputAllocator;
}

HRESULT CTransInPlaceFilter::ReceiveSample(IMediaSample* sample) {
    if (input_ == nullptr || output_ == nullptr) return E_UNEXPECTED;
    // Control data is passed on as it is, and a shared buffer is already the one to change.
    if (input_->SampleProperties().dwStreamId != AM_STREAM_MEDIA || !AllocatorsDiffer()) return ReceiveOwnSample(sample);

    IMediaSample* copy = CopyToOutputSample(sample);
    if (copy == nullptr) return E_UNEXPECTED;
    const HRESULT hr = TransformAndDeliver(copy);
    // The downstream filter has taken its own reference if it keeps the copy.
    copy->Release();
    return hr;
}

HRESULT CTransInPlaceFilter::ReceiveOwnSample(IMediaSample* sample) {
    if (input_ == nullptr || output_ == nullptr) return E_UNEXPECTED;
    // Control data is not ours to change.
    if (input_->SampleProperties().dwStreamId != AM_STREAM_MEDIA) return output_->DeliverSample(sample);
    return TransformAndDeliver(sample);
}

HRESULT CTransInPlaceFilter::TransformAndDeliver(IMediaSample* sample) {
    HRESULT hr = TransformInPlace(sample);
    if (hr == S_OK) return output_->DeliverSample(sample);
    if (hr != S_FALSE) return hr;
    sampleSkipped_ = true;
    if (!qualityChanged_) {
        NotifyEvent(EC_QUALITY_CHANGE, 0, 0);
        qualityChanged_ = true;
    }
    return S_OK;
}

IMediaSample* CTransInPlaceFilter::CopyToOutputSample(IMediaSample* source) {
    if (source == nullptr || output_ == nullptr) return nullptr;
    IMemAllocator* const allocator = output_->Allocator();
    if (allocator == nullptr) return nullptr;

    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // Any success, VFW_S_NO_STOP_TIME included, gives a start time.
    const bool timed = SUCCEEDED(source->GetTime(&start, &stop));
    IMediaSample* copy = nullptr;
    HRESULT hr = allocator->GetBuffer(&copy, timed ? &start : nullptr, timed ? &stop : nullptr,
                                      sampleSkipped_ ? AM_GBF_PREVFRAMESKIPPED : 0);
    if (FAILED(hr) || copy == nullptr) return nullptr;

    IMediaSample2* copy2 = nullptr;
    if (SUCCEEDED(copy->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&copy2))) && copy2 != nullptr) {
        // The properties from cbData up to and including pMediaType.
        const DWORD size = static_cast<DWORD>(offsetof(AM_SAMPLE2_PROPERTIES, pbBuffer));
        hr = copy2->SetProperties(size, reinterpret_cast<const BYTE*>(&input_->SampleProperties()));
        copy2->Release();
    } else {
        hr = CopySampleProperties(source, copy);
        if (SUCCEEDED(hr) && sampleSkipped_) hr = copy->SetDiscontinuity(TRUE);
    }
    sampleSkipped_ = false;
    if (SUCCEEDED(hr)) hr = CopySampleData(source, copy);
    if (FAILED(hr)) {
        copy->Release();
        return nullptr;
    }
    return copy;
}
