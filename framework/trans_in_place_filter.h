// A transform whose output samples are its input samples: both sides share one
// allocator where they can, media types pass straight through, and samples are
// copied into output buffers only when the two sides cannot share.
#ifndef DRAVIK_TRANS_IN_PLACE_FILTER_H
#define DRAVIK_TRANS_IN_PLACE_FILTER_H

#include "framework/transform_filter.h"

class CTransInPlaceOutputPin;

class CTransInPlaceFilter : public CTransformFilter {
public:
    // The result slot is not used; modifiesData: TransformInPlace writes into the data.
    CTransInPlaceFilter(const wchar_t* debugName, IUnknown* outer, REFCLSID classId, HRESULT* result,
                        bool modifiesData);

    // Creates the in-place pins on first use unless the derived filter made its own.
    CBasePin* PinAt(int index) override;
    // Unused: samples are changed in place.
    HRESULT TransformToOutput(IMediaSample* input, IMediaSample* output) override;
    // Input and output carry the same type.
    HRESULT CheckTransformPair(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
    // Sizes the output allocator like the input allocator.
    HRESULT SizeBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    // Reconnects the other pin so that both sides agree on type and allocator.
    HRESULT OnCompleteConnect(PIN_DIRECTION direction, IPin* peer) override;
    // Copies the sample if the allocators differ, transforms it and delivers it.
    HRESULT ReceiveSample(IMediaSample* sample) override;
    // Transforms and delivers a sample already in a buffer of the filter's own, never copying it.
    HRESULT ReceiveOwnSample(IMediaSample* sample);
    // Changes the sample in its own buffer. S_OK delivers it, S_FALSE drops it,
    // a failure drops it and goes back upstream.
    virtual HRESULT TransformInPlace(IMediaSample* sample) = 0;

    // The input pin's and the output pin's allocators are not the same object.
    bool AllocatorsDiffer() const;
    // Asks the graph to reconnect the pin, with the type where the graph can.
    HRESULT RequestReconnect(IPin* pin, const AM_MEDIA_TYPE* type);
    // A buffer of the output allocator holding the source's data and properties;
    // the caller owns its reference. Null when it can't be made.
    IMediaSample* CopyToOutputSample(IMediaSample* source);

    bool ModifiesData() const { return modifiesData_; }
    // The output pin as the in-place pin it always is; null before the pins exist.
    CTransInPlaceOutputPin* InPlaceOutputPin() const;

private:
    // TransformInPlace, then delivery of what it keeps.
    HRESULT TransformAndDeliver(IMediaSample* sample);

    const bool modifiesData_;
    // Leaf lock: guards the creation of the pins in PinAt, which ReceiveCanBlock
    // and pin enumerations reach from any thread; nothing is called under it.
    CLock pinCreationLock_;
};

#endif
