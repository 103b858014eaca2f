// The dummy source's pin: fourteen fixed types, any type downstream agrees
// to, buffers sized from the agreed type and delivered untouched.
#ifndef DRAVIK_DUMMY_PIN_H
#define DRAVIK_DUMMY_PIN_H

#include "framework/source_stream.h"

class CDSPin : public CSourceStream {
public:
    // Number of types offered; positions 0..13.
    static const int kTypeCount = 14;

    CDSPin(HRESULT* result, CSource* owner);

    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT ProduceSample(IMediaSample* sample) override;
};

#endif
