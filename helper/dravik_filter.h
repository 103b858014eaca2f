// The helper filter: an in-place transform that re-times samples, blends the
// logo onto video, relabels and packs compressed audio, and counts what
// passes, with its settings and counters behind IGeneralProperties.
#ifndef DRAVIK_DRAVIK_FILTER_H
#define DRAVIK_DRAVIK_FILTER_H

#include <atomic>

#include "framework/trans_in_place_filter.h"
#include "helper/audio_packer.h"
#include "helper/general_properties.h"
#include "helper/media_type_rules.h"
#include "overlay/prepared_image.h"
#include "overlay/video_frame_layout.h"

class CDravikInputPin;

class CDravik : public CTransInPlaceFilter, public CGeneralProperties {
public:
    // The factory row's create function; a null result slot creates nothing.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* result);

    CDravik(IUnknown* outer, HRESULT* result);
    ~CDravik() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // Media-type rules.
    HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) override;
    HRESULT ProposeOutputType(int position, AM_MEDIA_TYPE* type) override;
    // Rectangles, overrides and relabelling for a type going downstream.
    HRESULT RewriteOutputType(AM_MEDIA_TYPE* type);
    // The input is compressed audio that is packed.
    bool IsPackingStream();
    // The input is connected with compressed audio that is relabelled.
    bool IsRelabelStream();
    // The type is what the connected input's type becomes downstream.
    bool IsRewrittenInputType(const AM_MEDIA_TYPE& type);
    // A sample of the current stream may announce the type, though no connection would take it.
    bool IsAnnouncedAudioChange(const AM_MEDIA_TYPE& type);

    // Connection, buffers and stream events.
    HRESULT SizeBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT OnCompleteConnect(PIN_DIRECTION direction, IPin* peer) override;
    // Lets a sample waiting for a packet buffer go before the receive lock is taken.
    STDMETHODIMP Stop() override;
    HRESULT OnStreamingStart() override;
    HRESULT OnStreamingStop() override;
    HRESULT OnEndOfStream() override;
    HRESULT OnBeginFlush() override;
    HRESULT OnEndFlush() override;
    HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // The sample path.
    HRESULT ReceiveSample(IMediaSample* sample) override;
    HRESULT TransformInPlace(IMediaSample* sample) override;

    // IGeneralProperties over the filter's fields.
    STDMETHODIMP GetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) override;
    STDMETHODIMP SetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) override;

private:
    CDravikInputPin* DravikInput() const;
    OutputTypeOverrides CurrentOverrides() const;
    GUID RequiredSubtype();
    void RetimeSample(IMediaSample* sample);

    // 265 x 41 RGBA, built from the module's resource at construction.
    VideoFrameLayout logo_{};
    // What the blend needs of logo_, worked out once.
    PreparedImage preparedLogo_;
    std::atomic<bool> overlay_{true};
    CLock subtypeLock_;
    GUID requiredSubtype_ = GUID_NULL;
    // Packets of compressed audio, in buffers of the packer's own.
    // Open from streaming start and end-flush; closed from streaming stop and begin-flush.
    CAudioPacker packer_;
    std::atomic<LONGLONG> bytesReceived_{0};
    std::atomic<DWORD> interlaceFlagsOverride_{0};
    std::atomic<bool> interlaceOverrideSet_{false};
    std::atomic<REFERENCE_TIME> frameTimeOverride_{0};
    std::atomic<REFERENCE_TIME> firstFrameDuration_{0};
    std::atomic<REFERENCE_TIME> lastStartTime_{0};
};

#endif
