#include "tests/wine/e2e/sample_recorder.h"

#include <mmreg.h>

#include <utility>

CSampleRecorder::CSampleRecorder(bool keepData) : keepData_(keepData) { InitializeCriticalSection(&lock_); }

CSampleRecorder::~CSampleRecorder() { DeleteCriticalSection(&lock_); }

HRESULT STDMETHODCALLTYPE CSampleRecorder::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISampleGrabberCB)) {
        *object = static_cast<ISampleGrabberCB*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CSampleRecorder::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE CSampleRecorder::Release() {
    LONG count = InterlockedDecrement(&references_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CSampleRecorder::SampleCB(double, IMediaSample* sample) {
    if (!sample) return E_POINTER;
    RecordedSample record = {};
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    LONG length = sample->GetActualDataLength();
    if (length < 0 || length > sample->GetSize()) return E_UNEXPECTED;
    record.length = length;
    record.identity = sample;
    if (keepData_) record.bytes.assign(data, data + length);
    record.timeResult = sample->GetTime(&record.start, &record.stop);
    record.syncPoint = sample->IsSyncPoint() == S_OK;
    record.discontinuity = sample->IsDiscontinuity() == S_OK;
    AM_MEDIA_TYPE* type = nullptr;
    record.typeAttached = sample->GetMediaType(&type) == S_OK;
    if (type) {
        record.attachedSubtype = type->subtype;
        if (IsEqualGUID(type->formattype, FORMAT_WaveFormatEx) && type->pbFormat && type->cbFormat >= sizeof(PCMWAVEFORMAT)) {
            const PCMWAVEFORMAT* wave = reinterpret_cast<const PCMWAVEFORMAT*>(type->pbFormat);
            record.attachedTag = wave->wf.wFormatTag;
            record.attachedBlockAlign = wave->wf.nBlockAlign;
        }
        CoTaskMemFree(type->pbFormat);
        if (type->pUnk) type->pUnk->Release();
        CoTaskMemFree(type);
    }
    EnterCriticalSection(&lock_);
    samples_.push_back(std::move(record));
    LeaveCriticalSection(&lock_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSampleRecorder::BufferCB(double, BYTE*, LONG) { return E_NOTIMPL; }

std::vector<RecordedSample> CSampleRecorder::Take() {
    EnterCriticalSection(&lock_);
    std::vector<RecordedSample> samples = std::move(samples_);
    samples_.clear();
    LeaveCriticalSection(&lock_);
    return samples;
}

size_t CSampleRecorder::Count() {
    EnterCriticalSection(&lock_);
    size_t count = samples_.size();
    LeaveCriticalSection(&lock_);
    return count;
}

bool CSampleRecorder::WaitForCount(size_t count, DWORD timeoutMs) {
    const DWORD begin = GetTickCount();
    while (Count() < count) {
        if (GetTickCount() - begin >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}
