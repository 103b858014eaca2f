// Native only: the samples of the memory allocator. Each one lends a buffer
// of its allocator; its last Release hands it back through ReleaseBuffer.
#ifndef PLATFORM_MEDIA_SAMPLE_H
#define PLATFORM_MEDIA_SAMPLE_H

#include <dshow.h>

#include <atomic>
#include <mutex>

class PlatformMediaSample final : public IMediaSample2 {
public:
    // size bytes at buffer, both belonging to allocator, which outlives the sample.
    PlatformMediaSample(IMemAllocator* allocator, BYTE* buffer, LONG size);
    ~PlatformMediaSample();
    PlatformMediaSample(const PlatformMediaSample&) = delete;
    PlatformMediaSample& operator=(const PlatformMediaSample&) = delete;

    // Gives the sample its first reference, every property as new.
    void HandOut();
    // True while nobody holds a reference.
    bool Released() const { return references_.load() == 0; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetPointer(BYTE** buffer) override;
    STDMETHODIMP_(LONG) GetSize() override;
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
    STDMETHODIMP IsSyncPoint() override;
    STDMETHODIMP SetSyncPoint(BOOL syncPoint) override;
    STDMETHODIMP IsPreroll() override;
    STDMETHODIMP SetPreroll(BOOL preroll) override;
    STDMETHODIMP_(LONG) GetActualDataLength() override;
    STDMETHODIMP SetActualDataLength(LONG length) override;
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP IsDiscontinuity() override;
    STDMETHODIMP SetDiscontinuity(BOOL discontinuity) override;
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* stop) override;
    STDMETHODIMP SetMediaTime(LONGLONG* start, LONGLONG* stop) override;

    STDMETHODIMP GetProperties(DWORD size, BYTE* properties) override;
    STDMETHODIMP SetProperties(DWORD size, const BYTE* properties) override;

private:
    // Every property as new, the media type freed.
    void Reset();
    HRESULT TestFlag(DWORD flag) const;
    HRESULT ChangeFlag(DWORD flag, BOOL set);
    void ReplaceMediaType(AM_MEDIA_TYPE* type);

    IMemAllocator* const allocator_;
    BYTE* const buffer_;
    const LONG size_;
    std::atomic<ULONG> references_{0};

    mutable std::mutex mutex_;
    LONG actual_ = 0;
    DWORD flags_ = 0;  // AM_SAMPLE_* bits
    DWORD typeSpecificFlags_ = 0;
    DWORD streamId_ = AM_STREAM_MEDIA;
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = 0;
    bool mediaTimeValid_ = false;
    LONGLONG mediaStart_ = 0;
    LONGLONG mediaStop_ = 0;
    // Task-memory copy, present exactly while AM_SAMPLE_TYPECHANGED is set.
    AM_MEDIA_TYPE* mediaType_ = nullptr;
};

#endif
