// An output pin of the tests' own source: its worker delivers one stored chunk
// per sample with the chunk's times, and it answers the graph's seeking, which
// reaches it through the filters downstream.
#ifndef DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_STREAM_H
#define DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_STREAM_H

#include "framework/source_stream.h"

#include <vector>

class CClipSourceStream : public CSourceStream, public IMediaSeeking {
public:
    // `times` has one entry more than `chunks`: chunk i lasts from times[i] to
    // times[i + 1]. The result slot receives the first failure.
    CClipSourceStream(HRESULT* result, CSource* owner, const wchar_t* pinName, const AM_MEDIA_TYPE& type,
                      std::vector<std::vector<BYTE>> chunks, std::vector<REFERENCE_TIME> times);

    DECLARE_IUNKNOWN

    // IMediaSeeking, then the pin's own interfaces.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // The stream's one type, as given at construction.
    HRESULT SingleMediaType(AM_MEDIA_TYPE* type) override;
    // At least two buffers of the largest chunk.
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    // The next chunk at its times, relative to the position the run started from.
    HRESULT ProduceSample(IMediaSample* sample) override;
    // Starts a run from the current position: a new segment, then a discontinuity.
    HRESULT OnWorkerCreate() override;
    // Once the stream has ended it stays ended until the next activation.
    HRESULT DeliveryLoop() override;

    // IMediaSeeking: absolute positions in media time, set while the filter is stopped.
    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

private:
    REFERENCE_TIME Duration() const { return times_.back(); }

    COwnedMediaType type_;
    const std::vector<std::vector<BYTE>> chunks_;
    const std::vector<REFERENCE_TIME> times_;
    LONG largestChunk_ = 0;
    // The position: guarded, as the graph's thread sets it and the worker reads it.
    CLock positionLock_;
    size_t nextChunk_ = 0;
    REFERENCE_TIME position_ = 0;
    REFERENCE_TIME segmentStart_ = 0;
    bool runStarting_ = false;
    bool ended_ = false;
};

#endif
