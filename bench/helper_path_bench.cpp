// What the helper filter costs a sample beyond the framework's own in-place
// passage, in the small graph: 1080p video samples through the helper (the
// overlay off, then on) against the same samples through a plain in-place
// filter of the framework, with the bytes copied on the way counted; and
// packing of compressed audio (samples in, packets out) against memcpy of
// the same bytes. Times are the thread's own processor time, medians of
// interleaved batches.
//   helper_path_bench [repetitions]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "bench/bench_timing.h"
#include "framework/format_blocks.h"
#include "framework/trans_in_place_filter.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

constexpr LONG Width = 1920;
constexpr LONG Height = 1080;
constexpr int BatchSamples = 200;

const CLSID PassThroughClass = {0x6f1d1c39, 0x54b2, 0x4f0e, {0x9a, 0x51, 0x3e, 0x27, 0x8d, 0x0c, 0x61, 0x44}};

// A framework in-place filter that passes every video sample on as it is.
class PassThrough : public CTransInPlaceFilter {
public:
    PassThrough() : CTransInPlaceFilter(L"pass-through", nullptr, PassThroughClass, nullptr, true) {}
    HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) override {
        return type->majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT ProposeOutputType(int, AM_MEDIA_TYPE*) override { return VFW_S_NO_MORE_ITEMS; }
    HRESULT TransformInPlace(IMediaSample*) override { return S_OK; }
};

void MakeFrameType(COwnedMediaType* type, const GUID& subtype, WORD bitCount) {
    MakeVideo(type, subtype, Width, Height);
    BITMAPINFOHEADER& bitmap = VideoInfoOf(*type)->bmiHeader;
    bitmap.biBitCount = bitCount;
    bitmap.biSizeImage = static_cast<DWORD>(Width * Height * bitCount / 8);
    type->SetSampleSize(bitmap.biSizeImage);
}

// Upstream, a filter in the middle and downstream, running in a graph of the
// platform's; counts the bytes of samples downstream gets that are not the
// buffers upstream sent.
class Chain {
public:
    Chain(IBaseFilter* middle, IPin* in, IPin* out, const AM_MEDIA_TYPE& type, LONG frameBytes)
        : upstream_(UpstreamTestFilter::Create()), downstream_(DownstreamTestFilter::Create()), middle_(middle) {
        middle_->AddRef();
        upstream_->Offer(type);
        upstream_->Pin()->bufferSize = frameBytes;
        downstream_->Pin()->keepData = false;
        downstream_->Pin()->onSample = [this](IMediaSample* sample) {
            const std::vector<const void*>& sent = upstream_->Pin()->sentObjects;
            const bool passedOn = std::find(sent.end() - std::min<size_t>(sent.size(), 2), sent.end(),
                                            static_cast<const void*>(sample)) != sent.end();
            if (!passedOn) copiedBytes += sample->GetActualDataLength();
        };
        ready_ = SUCCEEDED(PlatformCreateFilterGraph(&graph_)) &&
                 SUCCEEDED(graph_->AddFilter(upstream_->Interface(), L"upstream")) &&
                 SUCCEEDED(graph_->AddFilter(middle_, L"middle")) &&
                 SUCCEEDED(graph_->AddFilter(downstream_->Interface(), L"downstream")) &&
                 SUCCEEDED(graph_->ConnectDirect(upstream_->Pin(), in, nullptr)) &&
                 SUCCEEDED(graph_->ConnectDirect(out, downstream_->Pin(), nullptr)) && SUCCEEDED(graph_->Run());
        sample_.length = frameBytes;
    }
    ~Chain() {
        if (graph_ != nullptr) graph_->Release();
        middle_->Release();
        upstream_->Release();
        downstream_->Release();
    }
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    bool Ready() const { return ready_; }
    // Thread microseconds per sample for a batch.
    double Batch() {
        const double start = ThreadMicros();
        for (int i = 0; i < BatchSamples; ++i) {
            sample_.start += 400000;
            sample_.stop = sample_.start + 1;
            if (upstream_->Pin()->Send(sample_) != S_OK) ready_ = false;
        }
        return (ThreadMicros() - start) / BatchSamples;
    }
    LONGLONG Delivered() { return static_cast<LONGLONG>(downstream_->Pin()->ReceivedCount()); }

    LONGLONG copiedBytes = 0;

private:
    UpstreamTestFilter* upstream_;
    DownstreamTestFilter* downstream_;
    IBaseFilter* middle_;
    IPlatformFilterGraph* graph_ = nullptr;
    SampleToSend sample_;
    bool ready_ = false;
};

bool SetOverlay(IBaseFilter* helper, bool on) {
    IGeneralProperties* properties = nullptr;
    if (FAILED(helper->QueryInterface(IID_IGeneralProperties, reinterpret_cast<void**>(&properties)))) return false;
    VARIANT value{};
    value.vt = VT_BOOL;
    value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    const HRESULT hr = properties->SetValue(&GENPROP_Overlay, &value);
    properties->Release();
    return SUCCEEDED(hr);
}

// Video: per format, the pass-through, the helper with the overlay off and on.
bool VideoTable(int repetitions) {
    struct Format {
        const char* name;
        GUID subtype;
        WORD bitCount;
    };
    const Format formats[] = {{"I420", MEDIASUBTYPE_IYUV, 12}, {"YUY2", MEDIASUBTYPE_YUY2, 16}};
    printf("1920 x 1080 samples through the small graph, us of thread time per sample (median of %d batches of %d)\n",
           repetitions, BatchSamples);
    printf("%-6s %13s %13s %13s %15s %15s\n", "format", "pass-through", "helper off", "helper on", "off - pass",
           "bytes copied");
    for (const Format& format : formats) {
        COwnedMediaType type;
        MakeFrameType(&type, format.subtype, format.bitCount);
        const LONG frameBytes = Width * Height * format.bitCount / 8;
        PassThrough* plain = new PassThrough();
        plain->NonDelegatingAddRef();
        HelperGraph off;
        HelperGraph on;
        if (!off.IsComplete() || !on.IsComplete() || !SetOverlay(off.helper, false)) return false;
        Chain chains[3] = {{static_cast<IBaseFilter*>(plain), static_cast<IPin*>(plain->PinAt(0)),
                            static_cast<IPin*>(plain->PinAt(1)), type, frameBytes},
                           {off.helper, off.HelperIn(), off.HelperOut(), type, frameBytes},
                           {on.helper, on.HelperIn(), on.HelperOut(), type, frameBytes}};
        plain->Release();
        std::vector<double> micros[3];
        for (int repetition = 0; repetition < repetitions; ++repetition) {
            for (int chain = 0; chain < 3; ++chain) {
                if (!chains[chain].Ready()) {
                    fprintf(stderr, "chain %d of %s did not run\n", chain, format.name);
                    return false;
                }
                micros[chain].push_back(chains[chain].Batch());
            }
        }
        const LONGLONG delivered = chains[1].Delivered();
        printf("%-6s %13.3f %13.3f %13.3f %15.3f %15lld\n", format.name, Median(micros[0]), Median(micros[1]),
               Median(micros[2]), Median(micros[1]) - Median(micros[0]),
               static_cast<long long>(chains[1].copiedBytes + chains[2].copiedBytes));
        if (delivered + 1 != static_cast<LONGLONG>(repetitions) * BatchSamples) {
            fprintf(stderr, "the helper delivered %lld samples\n", static_cast<long long>(delivered));
            return false;
        }
    }
    return true;
}

// Compressed audio packed by the helper: one time-stamped sample, then
// untimed samples appended to its packet, against memcpy of the same bytes
// in the same pieces into a packet-sized buffer.
bool PackingTable(int repetitions) {
    constexpr LONG SampleBytes = 1536;
    constexpr int SamplesPerPacket = 40;
    // Connected as PCM, the stream turns to AC-3 in-band, as the helper's hosts do it.
    COwnedMediaType pcm, ac3;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    HelperGraph helper;
    if (!helper.IsComplete()) return false;
    helper.upstream->Offer(pcm);
    helper.upstream->Pin()->bufferSize = SampleBytes;
    helper.downstream->Pin()->keepData = false;
    LONGLONG packedBytes = 0;
    helper.downstream->Pin()->onSample = [&](IMediaSample* sample) { packedBytes += sample->GetActualDataLength(); };
    HRESULT hr = helper.ConnectInput();
    if (SUCCEEDED(hr)) hr = helper.ConnectOutput();
    if (SUCCEEDED(hr)) hr = helper.graph->Run();
    SampleToSend sample;
    sample.length = SampleBytes;
    if (SUCCEEDED(hr)) hr = helper.upstream->Pin()->Send(sample);
    sample.type = &ac3;
    if (SUCCEEDED(hr)) hr = helper.upstream->Pin()->Send(sample);
    sample.type = nullptr;
    if (FAILED(hr)) {
        fprintf(stderr, "the packing graph did not run: 0x%08lx\n", static_cast<unsigned long>(hr));
        return false;
    }

    std::vector<BYTE> source(SampleBytes, 0x5a);
    std::vector<BYTE> packet(static_cast<size_t>(SampleBytes) * SamplesPerPacket);
    std::vector<double> packing, copying;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        double start = ThreadMicros();
        for (int i = 0; i < BatchSamples; ++i) {
            sample.timed = i % SamplesPerPacket == 0;
            sample.start += 320000;
            sample.stop = sample.start + 320000;
            hr = helper.upstream->Pin()->Send(sample);
            if (hr != S_OK) {
                fprintf(stderr, "a packed sample was refused: 0x%08lx\n", static_cast<unsigned long>(hr));
                return false;
            }
        }
        packing.push_back((ThreadMicros() - start) / BatchSamples);
        start = ThreadMicros();
        for (int i = 0; i < BatchSamples; ++i) {
            memcpy(packet.data() + static_cast<size_t>(i % SamplesPerPacket) * SampleBytes, source.data(), SampleBytes);
            __asm__ volatile("" : : "r"(packet.data()) : "memory");
        }
        copying.push_back((ThreadMicros() - start) / BatchSamples);
    }
    const double perSample = Median(packing);
    const double perCopy = Median(copying);
    printf(
        "\ncompressed audio, %ld-byte samples, %d per packet: us of thread time per sample (median of %d batches of "
        "%d)\n",
        static_cast<long>(SampleBytes), SamplesPerPacket, repetitions, BatchSamples);
    printf("%13s %13s %9s %15s %15s\n", "packing", "memcpy", "ratio", "packing MB/s", "packed bytes");
    printf("%13.3f %13.3f %8.1fx %15.0f %15lld\n", perSample, perCopy, perSample / perCopy, SampleBytes / perSample,
           static_cast<long long>(packedBytes));
    // The two samples that start the stream count too.
    const LONGLONG sent = (static_cast<LONGLONG>(repetitions) * BatchSamples + 2) * SampleBytes;
    return packedBytes > 0 && packedBytes <= sent;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? atoi(argv[1]) : 15;
    if (repetitions <= 0) {
        fprintf(stderr, "usage: helper_path_bench [repetitions]\n");
        return 2;
    }
    return VideoTable(repetitions) && PackingTable(repetitions) ? 0 : 1;
}
