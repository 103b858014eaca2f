// The frame sink's input pin: takes frames of the clip's size and layout and
// hands each whole one to the stamped output.
#ifndef DRAVIK_STAMP_FRAME_SINK_PIN_H
#define DRAVIK_STAMP_FRAME_SINK_PIN_H

#include <string>
#include <vector>

#include "framework/base_input_pin.h"
#include "tools/dravik_stamp/clip_format.h"
#include "tools/dravik_stamp/stamped_output.h"

class CFrameSink;

class CFrameSinkPin : public CBaseInputPin {
public:
    // The output is the caller's and outlives the pin.
    CFrameSinkPin(CFrameSink* filter, CLock* lock, HRESULT* result, const ClipFormat& format, StampedOutput* output);

    // Any frame time and interlacing, as long as the pictures are the clip's.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // Read once the stream is over: whether end of stream arrived, and why
    // frames were refused (empty when none was).
    bool StreamEnded() const { return ended_; }
    const std::string& OutputError() const { return outputError_; }

private:
    HRESULT TakeSample(IMediaSample* sample);

    const ClipFormat format_;
    StampedOutput* const output_;
    std::vector<unsigned char> planar_;
    std::string outputError_;
    bool formatSet_ = false;
    bool ended_ = false;
};

#endif
