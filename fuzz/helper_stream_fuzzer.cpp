// The helper filter streaming in the small graph between the tests' own
// upstream and downstream, driven by a program of stream events: samples
// (times, flags, lengths, attached types of compressed audio, PCM or video),
// ReceiveMultiple, end of stream, flushes, new segments, state changes,
// property calls and reconnection. Oracles: on an audio stream, every byte
// accepted since the last end of stream reaches downstream in order by the
// next one (unless a flush, stop or reconnection dropped samples meanwhile, as
// it may, or a video type came in between);
// lengths stay within buffers; upstream always has a buffer left; an audio
// stream takes every in-band audio announcement without a runtime error;
// nothing stays alive afterwards.
#include <stdint.h>

#include <platform_live_objects.h>
#include <wmcodecdsp.h>

#include <vector>

#include "framework/format_blocks.h"
#include "framework/media_type.h"
#include "fuzz/finding.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_media_type.h"
#include "module/module_state.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

// The types a stream starts with or a sample announces.
enum class Kind { Pcm, Ac3, Dts, Aac, Yuy2, Rgb32, Any };

void MakeKind(Kind kind, COwnedMediaType* type) {
    switch (kind) {
        case Kind::Pcm:
            MakeAudio(type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
            break;
        case Kind::Ac3:
            MakeAudio(type, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
            break;
        case Kind::Dts:
            MakeAudio(type, MEDIASUBTYPE_DTS, 0x2001, 16);
            break;
        case Kind::Aac:
            MakeAudio(type, MEDIASUBTYPE_RAW_AAC1, 0x00FF, 16);
            break;
        case Kind::Yuy2:
            MakeVideo(type, MEDIASUBTYPE_YUY2, 32, 8);
            break;
        default:
            MakeVideo(type, MEDIASUBTYPE_RGB32, 16, -8);
            VideoInfoOf(*type)->bmiHeader.biBitCount = 32;
            VideoInfoOf(*type)->bmiHeader.biCompression = BI_RGB;
            break;
    }
}

// Times wrap around the range instead of overflowing: upstream may send any.
REFERENCE_TIME Shifted(REFERENCE_TIME time, int64_t by) {
    return static_cast<REFERENCE_TIME>(static_cast<uint64_t>(time) + static_cast<uint64_t>(by));
}

bool IsAudioKind(Kind kind) { return kind == Kind::Pcm || kind == Kind::Ac3 || kind == Kind::Dts || kind == Kind::Aac; }

class Session {
public:
    explicit Session(FuzzInput& input) : input_(input) {}

    void Run() {
        if (!g_.IsComplete()) Finding("the small graph could not be built");
        Connect(input_.Flag() ? Kind::Pcm : static_cast<Kind>(input_.Pick(6)), true);
        for (int step = 0; step < 96 && !input_.Empty(); ++step) {
            switch (input_.Pick(16)) {
                case 0: case 1: case 2: case 3: case 4: case 5:
                    Send();
                    break;
                case 6:
                    SendMultiple();
                    break;
                case 7:
                    EndOfStream();
                    break;
                case 8:
                    g_.upstream->Pin()->SendBeginFlush();
                    flushing_ = true;
                    Disturbed();
                    break;
                case 9:
                    g_.upstream->Pin()->SendEndFlush();
                    flushing_ = false;
                    break;
                case 10:
                    g_.upstream->Pin()->SendNewSegment(input_.Raw<REFERENCE_TIME>(), input_.Raw<REFERENCE_TIME>(), 1.0);
                    break;
                case 11:
                    ChangeState();
                    break;
                case 12: case 13:
                    Properties();
                    break;
                case 14:
                    Reconnect();
                    break;
                default:
                    Connect(static_cast<Kind>(input_.Pick(6)), false);
                    break;
            }
            CheckLengths();
        }
        g_.graph->Stop();
    }

private:
    // Starts the stream anew: the stop and reconnection drop what is held, as they may.
    void Connect(Kind kind, bool first) {
        if (!first) {
            g_.graph->Stop();
            g_.graph->Disconnect(g_.HelperIn());
            g_.graph->Disconnect(g_.upstream->Pin());
            g_.graph->Disconnect(g_.HelperOut());
            g_.graph->Disconnect(g_.downstream->Pin());
        }
        UpstreamTestPin* pin = g_.upstream->Pin();
        pin->buffers = 1 + static_cast<LONG>(input_.Pick(4));
        pin->bufferSize = 64 << input_.Pick(12);
        pin->honourRequests = input_.Pick(4) != 0;
        COwnedMediaType type;
        MakeKind(kind, &type);
        if (first) g_.upstream->Offer(type);
        if (SUCCEEDED(g_.graph->ConnectDirect(pin, g_.HelperIn(), &type))) g_.ConnectOutput();
        connectedKind_ = kind;
        audioOnly_ = IsAudioKind(kind) && AudioStream();
        state_ = input_.Pick(4) == 0 ? State_Paused : State_Running;
        if (state_ == State_Running) {
            g_.graph->Run();
        } else {
            g_.graph->Pause();
        }
        flushing_ = false;
        if (first) {
            clean_ = AudioStream();
        } else {
            Disturbed();
        }
    }

    void Reconnect() {
        Connect(input_.Flag() ? connectedKind_ : static_cast<Kind>(input_.Pick(6)), false);
    }

    void ChangeState() {
        switch (input_.Pick(3)) {
            case 0:
                g_.graph->Stop();
                state_ = State_Stopped;
                audioOnly_ = AudioStream();
                Disturbed();
                break;
            case 1:
                g_.graph->Pause();
                state_ = State_Paused;
                break;
            default:
                g_.graph->Run();
                state_ = State_Running;
                break;
        }
    }

    void Properties() {
        switch (input_.Pick(6)) {
            case 0:
                g_.SetBool(GENPROP_Overlay, input_.Flag());
                break;
            case 1:
                g_.SetI8(GENPROP_OutputAvgTimePerFrame, input_.Raw<LONGLONG>());
                break;
            case 2:
                g_.SetUI2(GENPROP_OutputInterlaceFlags, input_.Raw<USHORT>());
                break;
            case 3:
                g_.SetString(GENPROP_InputSubtype, input_.Flag() ? "{00000000-0000-0000-0000-000000000000}"
                                                                 : "{00000001-0000-0010-8000-00AA00389B71}");
                break;
            default: {
                static const GUID* const counters[] = {&GENPROP_FirstFrameDuration, &GENPROP_LastStartTime,
                                                       &GENPROP_BytesReceived, &GENPROP_InputAvgTimePerFrame};
                LONGLONG value = 0;
                g_.GetI8(*counters[input_.Pick(4)], &value);
                break;
            }
        }
    }

    // The next sample's bytes, times and announced type, as the input says.
    SampleToSend NextSample(COwnedMediaType* announced, std::unique_ptr<FuzzMediaType>* fuzzed, Kind* kind) {
        SampleToSend sample;
        const size_t length = input_.Pick(4) == 0 ? input_.Raw<uint32_t>() % 140000 : input_.Pick(200) * 16;
        // Bytes that tell where in the stream they were sent.
        sample.data.resize(length);
        for (size_t i = 0; i < length; ++i) sample.data[i] = static_cast<BYTE>(nextByte_ + i);
        nextByte_ += length;
        switch (input_.Pick(8)) {
            case 0:
                sample.timed = false;
                break;
            case 1:
                sample.start = input_.Raw<REFERENCE_TIME>();
                sample.stop = input_.Raw<REFERENCE_TIME>();
                break;
            case 2:
                sample.start = Shifted(lastStart_, -static_cast<int64_t>(input_.Pick(3)) * 400000);
                sample.stop = Shifted(sample.start, 1);
                break;
            default:
                sample.start = Shifted(lastStart_, 400000);
                sample.stop = Shifted(sample.start, 1);
                break;
        }
        if (sample.timed) lastStart_ = sample.start;
        const BYTE flags = input_.Byte();
        sample.syncPoint = (flags & 1) != 0;
        sample.discontinuity = (flags & 2) != 0;
        sample.preroll = (flags & 4) != 0;
        const size_t announce = input_.Pick(12);
        if (announce < 6) {
            *kind = static_cast<Kind>(announce);
            MakeKind(*kind, announced);
            sample.type = announced;
        } else if (announce == 6) {
            fuzzed->reset(new FuzzMediaType(input_));
            sample.type = (*fuzzed)->Get();
            *kind = Kind::Any;
        }
        return sample;
    }

    // Before upstream fills a buffer: it must get one without waiting.
    void CheckUpstreamHasABuffer() {
        IMemAllocator* allocator = g_.upstream->Pin()->Allocator();
        if (allocator == nullptr || state_ == State_Stopped) return;
        IMediaSample* spare = nullptr;
        const HRESULT hr = allocator->GetBuffer(&spare, nullptr, nullptr, AM_GBF_NOWAIT);
        if (spare != nullptr) spare->Release();
        if (hr == VFW_E_TIMEOUT) Finding("upstream was left without a buffer");
    }

    // The helper's input carries audio now, whose bytes it never changes. Only
    // known when nothing is held: what a sample becomes depends on the type
    // in force when the look-ahead passes it on.
    bool AudioStream() {
        COwnedMediaType type;
        return SUCCEEDED(g_.InputType(&type)) && type.majortype == MEDIATYPE_Audio;
    }

    void Accepted(const SampleToSend& sample, Kind announced, HRESULT hr) {
        if (sample.type != nullptr && !IsAudioKind(announced)) audioOnly_ = false;
        if (audioOnly_ && state_ != State_Stopped && (hr == VFW_E_INVALIDMEDIATYPE || hr == VFW_E_RUNTIME_ERROR)) {
            Finding("an audio stream refused an in-band audio announcement");
        }
        if (hr != S_OK || state_ == State_Stopped || flushing_ || (sample.type != nullptr && !IsAudioKind(announced))) {
            Disturbed();
            return;
        }
        sent_.insert(sent_.end(), sample.data.begin(), sample.data.end());
    }

    void Send() {
        COwnedMediaType announced;
        std::unique_ptr<FuzzMediaType> fuzzed;
        Kind kind = connectedKind_;
        const SampleToSend sample = NextSample(&announced, &fuzzed, &kind);
        CheckUpstreamHasABuffer();
        UpstreamTestPin* pin = g_.upstream->Pin();
        if (static_cast<LONG>(sample.data.size()) > pin->bufferSize) return;  // upstream cannot send it
        Accepted(sample, kind, pin->Send(sample));
    }

    // Several samples in one ReceiveMultiple call, from upstream's allocator.
    void SendMultiple() {
        IMemAllocator* allocator = g_.upstream->Pin()->Allocator();
        IMemInputPin* input = nullptr;
        if (allocator == nullptr || FAILED(g_.HelperIn()->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input)))) {
            return;
        }
        std::vector<IMediaSample*> samples;
        std::vector<SampleToSend> wanted;
        std::vector<Kind> kinds;
        std::vector<std::unique_ptr<COwnedMediaType>> announced;
        std::vector<std::unique_ptr<FuzzMediaType>> fuzzed;
        for (size_t count = 1 + input_.Pick(3); count > 0; --count) {
            announced.emplace_back(new COwnedMediaType());
            fuzzed.emplace_back();
            Kind kind = connectedKind_;
            SampleToSend sample = NextSample(announced.back().get(), &fuzzed.back(), &kind);
            IMediaSample* buffer = nullptr;
            if (allocator->GetBuffer(&buffer, nullptr, nullptr, AM_GBF_NOWAIT) != S_OK || buffer == nullptr) break;
            BYTE* data = nullptr;
            REFERENCE_TIME start = sample.start, stop = sample.stop;
            if (FAILED(buffer->GetPointer(&data)) || static_cast<LONG>(sample.data.size()) > buffer->GetSize() ||
                FAILED(buffer->SetActualDataLength(static_cast<LONG>(sample.data.size()))) ||
                FAILED(buffer->SetTime(sample.timed ? &start : nullptr, sample.timed ? &stop : nullptr)) ||
                (sample.type != nullptr && FAILED(buffer->SetMediaType(const_cast<AM_MEDIA_TYPE*>(sample.type)))) ||
                FAILED(buffer->SetSyncPoint(sample.syncPoint)) || FAILED(buffer->SetDiscontinuity(sample.discontinuity)) ||
                FAILED(buffer->SetPreroll(sample.preroll))) {
                buffer->Release();
                break;
            }
            if (!sample.data.empty()) memcpy(data, sample.data.data(), sample.data.size());
            samples.push_back(buffer);
            wanted.push_back(std::move(sample));
            kinds.push_back(kind);
        }
        LONG processed = 0;
        const HRESULT hr = samples.empty() ? S_OK : input->ReceiveMultiple(samples.data(), static_cast<LONG>(samples.size()), &processed);
        if (processed < 0 || processed > static_cast<LONG>(samples.size())) Finding("ReceiveMultiple processed more than it got");
        for (size_t i = 0; i < wanted.size(); ++i) {
            const LONG index = static_cast<LONG>(i);
            Accepted(wanted[i], kinds[i], index < processed ? S_OK : index == processed ? hr : E_FAIL);
        }
        for (IMediaSample* sample : samples) sample->Release();
        input->Release();
    }

    // Everything accepted since the last end of stream is downstream now, in order.
    void EndOfStream() {
        const HRESULT hr = g_.upstream->Pin()->SendEndOfStream();
        const std::vector<ReceivedSample> received = g_.downstream->Pin()->Received(receivedFrom_);
        if (clean_ && hr == S_OK && state_ != State_Stopped && !flushing_) {
            std::vector<BYTE> arrived;
            for (const ReceivedSample& sample : received) arrived.insert(arrived.end(), sample.data.begin(), sample.data.end());
            if (arrived.size() < sent_.size()) Finding("audio bytes were lost");
            if (arrived != sent_) Finding("audio bytes arrived other than they were sent");
        }
        sent_.clear();
        receivedFrom_ += received.size();
        // A refused end of stream may leave samples held for later.
        clean_ = hr == S_OK && AudioStream();
    }

    // Samples may be dropped, or drawn on, until the next end of stream.
    void Disturbed() { clean_ = false; }

    void CheckLengths() {
        const std::vector<ReceivedSample> received = g_.downstream->Pin()->Received(checkedUpTo_);
        for (const ReceivedSample& sample : received) {
            if (sample.length < 0 || sample.length > sample.size) Finding("a length beyond its buffer");
        }
        checkedUpTo_ += received.size();
    }

    FuzzInput& input_;
    HelperGraph g_;
    Kind connectedKind_ = Kind::Pcm;
    FILTER_STATE state_ = State_Stopped;
    bool flushing_ = false;
    bool clean_ = true;
    // Connected as audio, and every type announced since was audio too: a
    // runtime error cannot be the fault of a type refused on purpose.
    bool audioOnly_ = false;
    std::vector<BYTE> sent_;
    size_t receivedFrom_ = 0;
    size_t checkedUpTo_ = 0;
    size_t nextByte_ = 0;
    REFERENCE_TIME lastStart_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LONG objects = LiveObjectCount;
    const LONG platformObjects = PlatformLiveObjectCount();
    {
        FuzzInput input(data, size);
        Session session(input);
        session.Run();
    }
    if (LiveObjectCount != objects || PlatformLiveObjectCount() != platformObjects) Finding("objects left alive");
    return 0;
}
