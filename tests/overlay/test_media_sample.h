// A media sample over a caller's buffer, counting its references.
#ifndef DRAVIK_TESTS_OVERLAY_TEST_MEDIA_SAMPLE_H
#define DRAVIK_TESTS_OVERLAY_TEST_MEDIA_SAMPLE_H

#include <windows.h>
#include <dshow.h>

// Lives on the test's stack with one reference held by the test; the last
// Release does not delete it, so tests compare RefCount() with 1 at the end.
class CTestMediaSample : public IMediaSample {
public:
    CTestMediaSample(BYTE* buffer, LONG size) : buffer_(buffer), size_(size) {}
    virtual ~CTestMediaSample() = default;

    // What GetPointer answers.
    void SetPointerResult(HRESULT result) { pointerResult_ = result; }
    ULONG RefCount() const { return references_; }

    // Answers IUnknown and IMediaSample.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP GetPointer(BYTE** buffer) override;
    STDMETHODIMP_(LONG) GetSize() override { return size_; }
    STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    STDMETHODIMP IsSyncPoint() override { return S_FALSE; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP IsPreroll() override { return S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP_(LONG) GetActualDataLength() override { return size_; }
    STDMETHODIMP SetActualDataLength(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

private:
    BYTE* buffer_;
    LONG size_;
    HRESULT pointerResult_ = S_OK;
    ULONG references_ = 1;
};

#endif
