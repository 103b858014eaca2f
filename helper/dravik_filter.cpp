#include "helper/dravik_filter.h"

#include <stdint.h>
#include <new>

#include "framework/format_blocks.h"
#include "framework/media_type.h"
#include "helper/dravik_input_pin.h"
#include "helper/dravik_output_pin.h"
#include "module/com_helpers.h"
#include "overlay/aligned_buffer.h"
#include "overlay/frame_description.h"
#include "overlay/logo_blend.h"
#include "overlay/logo_image.h"

namespace {

const LONG kPackingBufferCount = 1;
const LONG kPackingBufferSize = CAudioPacker::PacketSize;

// TransformInPlace's answer for a sample the packer took: a failure, so the framework does not deliver it.
const HRESULT kKeptInPacket = MAKE_HRESULT(1, FACILITY_ITF, 0xDA01);

// Times near the ends of the 64-bit range stop there instead of wrapping.
REFERENCE_TIME SaturatingAdd(REFERENCE_TIME a, REFERENCE_TIME b) {
    REFERENCE_TIME sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? INT64_MAX : INT64_MIN;
}

REFERENCE_TIME SaturatingSubtract(REFERENCE_TIME a, REFERENCE_TIME b) {
    REFERENCE_TIME difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? INT64_MAX : INT64_MIN;
}

}  // namespace

CUnknown* CDravik::CreateInstance(IUnknown* outer, HRESULT* result) {
    if (result == nullptr) return nullptr;
    CDravik* filter = new (std::nothrow) CDravik(outer, result);
    if (filter == nullptr) *result = E_OUTOFMEMORY;
    return filter;
}

CDravik::CDravik(IUnknown* outer, HRESULT* result)
    : CTransInPlaceFilter(nullptr, outer, CLSID_DravikHelper, result, true),
      packer_([this](IMediaSample* packet) { return OutputPin()->DeliverSample(packet); }) {
    logo_.width = LogoImageWidth;
    logo_.height = LogoImageHeight;
    if (!BuildLogoImage(&logo_) || !preparedLogo_.Prepare(logo_)) {
        *result = E_FAIL;
        return;
    }
    input_ = new (std::nothrow) CDravikInputPin(this, result, &ReceiveLock());
    output_ = new (std::nothrow) CDravikOutputPin(this, result);
    // Without both pins of its own the filter is not made: the framework would
    // put plain in-place pins in their place, which the helper cannot use.
    if (input_ == nullptr || output_ == nullptr) *result = E_OUTOFMEMORY;
}

CDravik::~CDravik() { FreeAlignedBuffer(logo_.planes[0]); }

STDMETHODIMP CDravik::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IGeneralProperties) return GetInterfacePointer(static_cast<IGeneralProperties*>(this), object);
    return CTransInPlaceFilter::NonDelegatingQueryInterface(riid, object);
}

CDravikInputPin* CDravik::DravikInput() const { return static_cast<CDravikInputPin*>(InputPin()); }

OutputTypeOverrides CDravik::CurrentOverrides() const {
    OutputTypeOverrides overrides;
    overrides.frameTime = frameTimeOverride_.load();
    overrides.interlaceFlags = interlaceFlagsOverride_.load();
    overrides.interlaceFlagsSet = interlaceOverrideSet_.load();
    return overrides;
}

GUID CDravik::RequiredSubtype() {
    CLockGuard guard(subtypeLock_);
    return requiredSubtype_;
}

HRESULT CDravik::CheckInputFormat(const AM_MEDIA_TYPE* type) { return ::CheckInputFormat(*type, RequiredSubtype()); }

bool CDravik::IsPackingStream() { return InputPin() != nullptr && IsPackingSubtype(InputPin()->CurrentSubtype()); }

bool CDravik::IsRelabelStream() {
    return InputPin() != nullptr && InputPin()->IsConnected() && IsRelabelSubtype(InputPin()->CurrentSubtype());
}

HRESULT CDravik::RewriteOutputType(AM_MEDIA_TYPE* type) {
    ::RewriteOutputType(type, CurrentOverrides(), IsRelabelStream());
    return S_OK;
}

HRESULT CDravik::ProposeOutputType(int position, AM_MEDIA_TYPE* type) {
    if (InputPin() == nullptr || !InputPin()->IsConnected()) return VFW_S_NO_MORE_ITEMS;
    IPin* upstream = nullptr;
    if (FAILED(InputPin()->ConnectedTo(&upstream))) return VFW_S_NO_MORE_ITEMS;
    IEnumMediaTypes* types = nullptr;
    const HRESULT enumerated = upstream->EnumMediaTypes(&types);
    upstream->Release();
    if (FAILED(enumerated) || types == nullptr) return VFW_S_NO_MORE_ITEMS;

    AM_MEDIA_TYPE* candidate = nullptr;
    HRESULT hr = types->Reset();
    if (SUCCEEDED(hr) && position > 0) hr = types->Skip(static_cast<ULONG>(position));
    if (hr == S_OK) {
        ULONG fetched = 0;
        hr = types->Next(1, &candidate, &fetched);
        if (hr == S_OK && (fetched != 1 || candidate == nullptr)) hr = S_FALSE;
    }
    types->Release();
    if (hr != S_OK) {
        DeleteTaskMediaType(candidate);
        return VFW_S_NO_MORE_ITEMS;
    }
    ReleaseMediaTypeContents(type);
    hr = CopyMediaTypeRecord(type, *candidate);
    DeleteTaskMediaType(candidate);
    if (FAILED(hr)) return hr;
    return RewriteOutputType(type);
}

HRESULT CDravik::SizeBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (!IsPackingStream()) return CTransInPlaceFilter::SizeBuffers(allocator, request);
    if (request->cBuffers < kPackingBufferCount) request->cBuffers = kPackingBufferCount;
    if (request->cbBuffer < kPackingBufferSize) request->cbBuffer = kPackingBufferSize;
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CDravik::OnCompleteConnect(PIN_DIRECTION direction, IPin*) {
    // A relabelled output type differs from the input type by design: no reconnection.
    if (direction == PINDIR_OUTPUT && IsRelabelStream()) return S_OK;
    if (Graph() == nullptr) return VFW_E_NOT_IN_GRAPH;
    if (InputPin() == nullptr || OutputPin() == nullptr) return E_UNEXPECTED;
    // The output carries the rewritten input type (completed rectangles,
    // overrides). Upstream is reconnected with it where upstream accepts it,
    // else with its own type; downstream always gets the rewritten one.
    COwnedMediaType type;
    if (FAILED(InputPin()->CopyCurrentMediaType(&type))) return E_OUTOFMEMORY;
    if (direction == PINDIR_OUTPUT) {
        IPin* upstream = InputPin()->GetConnected();
        if (upstream == nullptr) return S_OK;
        COwnedMediaType outputType;
        if (FAILED(OutputPin()->CopyCurrentMediaType(&outputType))) return E_OUTOFMEMORY;
        return RequestReconnect(InputPin(), upstream->QueryAccept(&outputType) == S_OK ? &outputType : &type);
    }
    if (!OutputPin()->IsConnected()) return S_OK;
    RewriteOutputType(&type);
    return OutputPin()->HasMediaType(type) ? S_OK : RequestReconnect(OutputPin(), &type);
}

bool CDravik::IsRewrittenInputType(const AM_MEDIA_TYPE& type) {
    if (InputPin() == nullptr || !InputPin()->IsConnected()) return false;
    COwnedMediaType expected;
    if (FAILED(InputPin()->CopyCurrentMediaType(&expected))) return false;
    RewriteOutputType(&expected);
    return expected == type;
}

bool CDravik::IsAnnouncedAudioChange(const AM_MEDIA_TYPE& type) {
    return InputPin() != nullptr && ::IsAnnouncedAudioChange(InputPin()->CurrentMediaType(), type, RequiredSubtype());
}

STDMETHODIMP CDravik::Stop() {
    CLockGuard guard(filterLock_);
    packer_.Decommit();
    return CTransInPlaceFilter::Stop();
}

HRESULT CDravik::OnStreamingStart() {
    const HRESULT hr = packer_.Commit();
    if (FAILED(hr)) return hr;
    packer_.Open();
    return CTransInPlaceFilter::OnStreamingStart();
}

HRESULT CDravik::OnStreamingStop() {
    // Nothing from before the stop may reach downstream after it.
    packer_.Close();
    packer_.Decommit();
    return CTransInPlaceFilter::OnStreamingStop();
}

HRESULT CDravik::OnEndOfStream() {
    const HRESULT delivered = packer_.Deliver();
    const HRESULT ended = CTransInPlaceFilter::OnEndOfStream();
    // End of stream goes on either way; a packet that did not get through is still reported.
    return FAILED(delivered) ? delivered : ended;
}

HRESULT CDravik::OnBeginFlush() {
    const HRESULT hr = CTransInPlaceFilter::OnBeginFlush();
    packer_.Close();
    return hr;
}

HRESULT CDravik::OnEndFlush() {
    // Under the receive lock: no sample from before the flush is still on its way.
    packer_.Open();
    return CTransInPlaceFilter::OnEndFlush();
}

HRESULT CDravik::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    bytesReceived_ = 0;
    firstFrameDuration_ = 0;
    const HRESULT delivered = packer_.Deliver();
    const HRESULT passed = CTransInPlaceFilter::OnNewSegment(start, stop, rate);
    return FAILED(delivered) ? delivered : passed;
}

HRESULT CDravik::ReceiveSample(IMediaSample* sample) {
    bytesReceived_ += sample->GetActualDataLength();
    // The packer copies what it keeps, and a copy the look-ahead made is already
    // the filter's to change and pass on: neither needs an output buffer first.
    const bool own = IsPackingStream() || DravikInput()->HandingOnCopy();
    const HRESULT hr = own ? ReceiveOwnSample(sample) : CTransInPlaceFilter::ReceiveSample(sample);
    return hr == kKeptInPacket ? S_OK : hr;
}

void CDravik::RetimeSample(IMediaSample* sample) {
    REFERENCE_TIME start = 0, stop = 0;
    if (FAILED(sample->GetTime(&start, &stop))) return;
    REFERENCE_TIME next = 0, nextStop = 0;
    IMediaSample* lookAhead = DravikInput()->PeekLookAhead();
    const bool nextIsLater = lookAhead != nullptr && SUCCEEDED(lookAhead->GetTime(&next, &nextStop)) && next > start;
    if (lookAhead != nullptr) lookAhead->Release();
    if (nextIsLater) {
        stop = next;
        REFERENCE_TIME unmeasured = 0;
        firstFrameDuration_.compare_exchange_strong(unmeasured, SaturatingSubtract(next, start));
    } else {
        const REFERENCE_TIME frameEnd = SaturatingAdd(start, FrameTimeOf(InputPin()->CurrentMediaType()));
        if (frameEnd > stop) stop = frameEnd;
    }
    sample->SetTime(&start, &stop);
    lastStartTime_ = start;
}

HRESULT CDravik::TransformInPlace(IMediaSample* sample) {
    AM_MEDIA_TYPE* announced = nullptr;
    const bool announces = sample->GetMediaType(&announced) == S_OK && announced != nullptr;
    if (announces) {
        // The packet held under the old type goes first, labelled as it was.
        const HRESULT delivered = packer_.Deliver();
        if (SUCCEEDED(delivered)) {
            InputPin()->SetPinType(announced);
            RewriteOutputType(announced);
            sample->SetMediaType(announced);
        }
        DeleteTaskMediaType(announced);
        if (FAILED(delivered)) return delivered;
    }

    if (IsPackingStream()) {
        const HRESULT packed = packer_.Pack(sample, announces);
        return FAILED(packed) ? packed : kKeptInPacket;
    }

    RetimeSample(sample);

    const AM_MEDIA_TYPE& type = InputPin()->CurrentMediaType();
    if (type.majortype == MEDIATYPE_Audio || !overlay_.load()) return S_OK;
    VideoFrameLayout frame{};
    if (DescribeFrame(&frame, &type, sample)) DrawPreparedLogo(&frame, preparedLogo_);
    return S_OK;
}
