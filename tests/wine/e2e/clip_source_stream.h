// An output pin of the tests' own source: its worker delivers one stored chunk
// per sample with the chunk's times (or none, and a type announced in-band,
// where the chunk is labelled so), and it answers the graph's seeking, which
// reaches it through the filters downstream.
#ifndef DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_STREAM_H
#define DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_STREAM_H

#include "framework/source_stream.h"

#include <memory>
#include <vector>

// How a chunk's sample differs from a plain timed one.
struct ChunkLabel {
    bool untimed = false;
    // Attached to the sample when set: the type announced in-band.
    std::shared_ptr<const COwnedMediaType> announced;
};

class CClipSourceStream : public CSourceStream, public IMediaSeeking {
public:
    // `times` has one entry more than `chunks`: chunk i lasts from times[i] to
    // times[i + 1]; `labels`, where given, say how chunk i goes out. The result
    // slot receives the first failure.
    CClipSourceStream(HRESULT* result, CSource* owner, const wchar_t* pinName, const AM_MEDIA_TYPE& type,
                      std::vector<std::vector<BYTE>> chunks, std::vector<REFERENCE_TIME> times,
                      std::vector<ChunkLabel> labels = {});

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

    // IMediaSeeking, as much as the graph manager and the checks use: media time
    // only, an absolute start set while the filter is stopped, the stop always
    // the end of the clip. The rest answers E_NOTIMPL.
    // Absolute seeking, current and stop position, duration.
    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    // E_NOTIMPL.
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    // S_OK for TIME_FORMAT_MEDIA_TIME, S_FALSE for any other.
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    // TIME_FORMAT_MEDIA_TIME.
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    // TIME_FORMAT_MEDIA_TIME.
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    // S_OK for TIME_FORMAT_MEDIA_TIME, S_FALSE for any other.
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    // E_INVALIDARG for any format but TIME_FORMAT_MEDIA_TIME.
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    // The end of the last chunk.
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    // Always the duration.
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    // Where the next run starts: the seek's start, or past the last chunk delivered.
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    // E_NOTIMPL.
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    // Absolute start within the clip (E_INVALIDARG outside it, VFW_E_NOT_STOPPED
    // unless stopped); a stop only at the end; other positioning E_NOTIMPL.
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    // E_NOTIMPL.
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    // E_NOTIMPL.
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    // E_NOTIMPL: the clip plays at its own rate.
    STDMETHODIMP SetRate(double rate) override;
    // E_NOTIMPL.
    STDMETHODIMP GetRate(double* rate) override;
    // E_NOTIMPL.
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

private:
    REFERENCE_TIME Duration() const { return times_.back(); }

    COwnedMediaType type_;
    const std::vector<std::vector<BYTE>> chunks_;
    const std::vector<REFERENCE_TIME> times_;
    const std::vector<ChunkLabel> labels_;
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
