// A downstream filter whose one input pin counts what arrives and can refuse
// from a chosen sample on, for watching a source's worker deliver.
#ifndef DRAVIK_TESTS_DUMMY_COUNTING_SINK_FILTER_H
#define DRAVIK_TESTS_DUMMY_COUNTING_SINK_FILTER_H

#include <dshow.h>

#include <atomic>

#include "framework/base_filter.h"
#include "framework/base_input_pin.h"

class CountingSinkFilter : public CBaseFilter {
public:
    class CountingPin : public CBaseInputPin {
    public:
        CountingPin(CBaseFilter* filter, CLock* lock, HRESULT* result);

        // Every type, or only the one set by AcceptOnly.
        HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
        STDMETHODIMP QueryId(LPWSTR* id) override;
        STDMETHODIMP Receive(IMediaSample* sample) override;
        STDMETHODIMP EndOfStream() override;
        STDMETHODIMP BeginFlush() override;
        STDMETHODIMP EndFlush() override;

        // Before connecting: accept only this subtype with this format type.
        void AcceptOnly(const GUID& subtype, const GUID& formatType);
        // Wait up to five seconds for the counter to reach atLeast.
        bool WaitForReceived(int atLeast) const { return WaitFor(received, atLeast); }
        bool WaitForEndOfStreams(int atLeast) const { return WaitFor(endOfStreams, atLeast); }

        std::atomic<int> received{0};
        std::atomic<int> endOfStreams{0};
        // GetSize of the last sample received.
        std::atomic<LONG> lastSize{0};
        // The sample with this count and every later one is answered S_FALSE; 0: none.
        int refuseAt = 0;

    private:
        static bool WaitFor(const std::atomic<int>& counter, int atLeast);

        bool restricted_ = false;
        GUID subtype_ = GUID_NULL;
        GUID formatType_ = GUID_NULL;
    };

    CountingSinkFilter();

    int PinCount() override { return 1; }
    CBasePin* PinAt(int index) override { return index == 0 ? &pin_ : nullptr; }
    // The pin is reached only through PinAt.
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    CountingPin& Pin() { return pin_; }

private:
    CLock lock_;
    HRESULT result_ = S_OK;
    CountingPin pin_;
};

#endif
