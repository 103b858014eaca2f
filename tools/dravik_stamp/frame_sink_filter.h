// The sink filter of the tool: one input pin that writes what it receives.
#ifndef DRAVIK_STAMP_FRAME_SINK_FILTER_H
#define DRAVIK_STAMP_FRAME_SINK_FILTER_H

#include "framework/base_filter.h"
#include "tools/dravik_stamp/frame_sink_pin.h"

class CFrameSink : public CBaseFilter {
public:
    // The output is the caller's and outlives the filter.
    CFrameSink(const ClipFormat& format, StampedOutput* output, HRESULT* result);
    ~CFrameSink() override;

    int PinCount() override;
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    // Null when it could not be made.
    CFrameSinkPin* Pin() const { return pin_; }

private:
    CLock lock_;
    CFrameSinkPin* pin_;
};

#endif
