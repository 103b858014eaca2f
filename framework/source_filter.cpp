#include "framework/source_filter.h"

#include <stdint.h>

#include <new>

#include "framework/source_stream.h"

CSource::CSource(const wchar_t* objectName, IUnknown* outer, REFCLSID classId)
    : CBaseFilter(objectName, outer, &StateLock, classId) {}

CSource::~CSource() {
    // Workers first, while every stream is still whole: a worker calls into the derived stream.
    for (int i = 0; i < PinCount(); ++i) StreamAt(i)->StopWorker();
    // A stream's destructor removes it from the array.
    while (PinCount() != 0) delete StreamAt(PinCount() - 1);
}

int CSource::PinCount() {
    CLockGuard guard(streamsLock_);
    return StreamCount;
}

CBasePin* CSource::PinAt(int index) { return StreamAt(index); }

CSourceStream* CSource::StreamAt(int index) {
    CLockGuard guard(streamsLock_);
    if (index < 0 || index >= StreamCount) return nullptr;
    return Streams[index];
}

STDMETHODIMP CSource::FindPin(LPCWSTR id, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    // Leading decimal digits; anything else reads as 0, which names no stream.
    int number = 0;
    for (const WCHAR* digit = id; digit != nullptr && *digit >= L'0' && *digit <= L'9' && number < 100000; ++digit) {
        number = number * 10 + (*digit - L'0');
    }
    CBasePin* found = PinAt(number - 1);
    if (found == nullptr) return VFW_E_NOT_FOUND;
    *pin = found;
    found->AddRef();
    return S_OK;
}

HRESULT CSource::AddStream(CSourceStream* stream) {
    CLockGuard guard(streamsLock_);
    const uint64_t bytes = (static_cast<uint64_t>(StreamCount) + 1) * sizeof(CSourceStream*);
    if (bytes > UINT32_MAX) return E_OUTOFMEMORY;
    CSourceStream** grown = new (std::nothrow) CSourceStream*[StreamCount + 1];
    if (grown == nullptr) return E_OUTOFMEMORY;
    for (LONG i = 0; i < StreamCount; ++i) grown[i] = Streams[i];
    grown[StreamCount] = stream;
    delete[] Streams;
    Streams = grown;
    ++StreamCount;
    return S_OK;
}

HRESULT CSource::RemoveStream(CSourceStream* stream) {
    CLockGuard guard(streamsLock_);
    const int index = IndexOfStream(stream);
    if (index < 0) return S_FALSE;
    if (StreamCount == 1) {
        delete[] Streams;
        Streams = nullptr;
    } else {
        for (LONG i = index; i + 1 < StreamCount; ++i) Streams[i] = Streams[i + 1];
    }
    --StreamCount;
    return S_OK;
}

int CSource::IndexOfStream(const CSourceStream* stream) {
    CLockGuard guard(streamsLock_);
    for (LONG i = 0; i < StreamCount; ++i) {
        if (Streams[i] == stream) return i;
    }
    return -1;
}

FILTER_STATE CSource::CurrentState() {
    CLockGuard guard(*FilterLock);
    return FilterState;
}
