// The input pin of a transform filter: every pin event goes to the filter, and
// samples and end-of-stream are processed under the filter's receive lock.
#ifndef DRAVIK_TRANSFORM_INPUT_PIN_H
#define DRAVIK_TRANSFORM_INPUT_PIN_H

#include "framework/base_input_pin.h"

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
public:
    // The pin lock is the filter's filter lock; the result slot is not written.
    CTransformInputPin(const wchar_t* objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR pinName);

    // The filter's input check, then the pair check while the output is connected.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // Keeps the type and tells the filter.
    HRESULT SetPinType(const AM_MEDIA_TYPE* type) override;
    // The filter's connection check, then the base pin's.
    HRESULT CheckPeer(IPin* peer) override;
    // Tells the filter, then drops the allocator.
    HRESULT BreakConnection() override;
    // The filter's completion step.
    HRESULT CompleteConnection(IPin* peer) override;
    // Refuses everything while the output pin is not connected.
    HRESULT CheckReceiveState() override;

    // IPin
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IMemInputPin: the receive checks, then the filter's ReceiveSample, under the receive lock.
    STDMETHODIMP Receive(IMediaSample* sample) override;

protected:
    CTransformFilter* const transformFilter_;

private:
    // Both pins connected, as the flush operations require.
    bool BothPinsConnected() const;
};

#endif
