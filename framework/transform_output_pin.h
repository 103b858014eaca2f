// The output pin of a transform filter: connects only after the input, offers
// the filter's output types and passes seeking and quality messages upstream.
#ifndef DRAVIK_TRANSFORM_OUTPUT_PIN_H
#define DRAVIK_TRANSFORM_OUTPUT_PIN_H

#include <atomic>

#include "framework/base_output_pin.h"

class CTransformFilter;

class CTransformOutputPin : public CBaseOutputPin {
public:
    // The pin lock is the filter's filter lock; the result slot is not written.
    CTransformOutputPin(const wchar_t* objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR pinName);
    ~CTransformOutputPin() override;

    // IMediaPosition and IMediaSeeking come from the seeking pass-through.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // The filter's pair check against the input type; E_INVALIDARG while the input is unconnected.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // Keeps the type and tells the filter.
    HRESULT SetPinType(const AM_MEDIA_TYPE* type) override;
    // E_UNEXPECTED while the input is unconnected; then the filter's check and the base pin's.
    HRESULT CheckPeer(IPin* peer) override;
    // Tells the filter, then drops the allocator and the peer.
    HRESULT BreakConnection() override;
    // The filter's completion step, then the allocator choice.
    HRESULT CompleteConnection(IPin* peer) override;
    // The filter's proposals while the input is connected.
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;
    // The filter's SizeBuffers.
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

    // IPin
    STDMETHODIMP QueryId(LPWSTR* id) override;

    // IQualityControl: the filter's handling, else upstream.
    STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;

protected:
    CTransformFilter* const transformFilter_;
    // The aggregated seeking pass-through, created on first request without
    // any lock (creating it calls out); the first one stored stays.
    std::atomic<IUnknown*> PositionPassThrough{nullptr};

private:
    bool InputConnected() const;
};

#endif
