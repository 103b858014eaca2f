// A filter whose output streams produce samples on threads of their own.
#ifndef DRAVIK_SOURCE_FILTER_H
#define DRAVIK_SOURCE_FILTER_H

#include "framework/base_filter.h"

class CSourceStream;

// Owns its streams; each stream adds itself on construction and takes itself
// out on destruction.
class CSource : public CBaseFilter {
public:
    CSource(const wchar_t* objectName, IUnknown* outer, REFCLSID classId);
    ~CSource() override;

    int PinCount() override;
    CBasePin* PinAt(int index) override;
    // The stream at the index, or null.
    CSourceStream* StreamAt(int index);
    // The id is the decimal position of the stream, counted from 1.
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    // Appends a stream; E_OUTOFMEMORY leaves the array as it was.
    HRESULT AddStream(CSourceStream* stream);
    // Takes a stream out; S_FALSE when it is not there.
    HRESULT RemoveStream(CSourceStream* stream);
    // The stream's index, or -1.
    int IndexOfStream(const CSourceStream* stream);

    // The filter's state, read under its filter lock.
    FILTER_STATE CurrentState();

    // The filter lock. Stop holds it while it waits for the workers, so nothing
    // downstream can reach from inside a delivery may wait for it.
    CLock StateLock;

private:
    // Leaf lock, taken after StateLock when both are held: guards the streams
    // array, which pin enumerations read from any thread. Nothing is called under it.
    CLock streamsLock_;
    LONG StreamCount = 0;
    CSourceStream** Streams = nullptr;
};

#endif
