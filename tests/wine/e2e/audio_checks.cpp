#include "tests/wine/e2e/audio_checks.h"

#include "tests/wine/e2e/check_text.h"
#include "tests/wine/e2e/clip_source_filter.h"
#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/e2e/helper_properties.h"
#include "tests/wine/e2e/playback_graph.h"
#include "tests/wine/e2e/sample_recorder.h"

#include <mmreg.h>
#include <strsafe.h>

#include <cstdio>
#include <memory>

namespace {

constexpr DWORD kCompletionTimeoutMs = 5000;
constexpr DWORD kStopTimeoutMs = 10000;
// Ten samples to a packet: a timed one and nine untimed ones.
constexpr size_t kPackets = 4;
constexpr size_t kSamplesPerPacket = 10;
constexpr REFERENCE_TIME kSampleTime = 320000;
const GUID kRelabelledAc3 = {0x2000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const GUID kRelabelledDts = {0x2001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::shared_ptr<COwnedMediaType> WaveType(const GUID& subtype, WORD tag, WORD channels) {
    auto type = std::make_shared<COwnedMediaType>();
    type->SetMajorType(MEDIATYPE_Audio);
    type->SetSubtype(subtype);
    type->SetFormatType(FORMAT_WaveFormatEx);
    BYTE* block = type->ReserveFormatBlock(sizeof(WAVEFORMATEX));
    if (!block) return nullptr;
    WAVEFORMATEX wave = {};
    wave.wFormatTag = tag;
    wave.nChannels = channels;
    wave.nSamplesPerSec = 48000;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(channels * 2);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    CopyMemory(block, &wave, sizeof(wave));
    return type;
}

// What the grabber must see of one packet.
struct ExpectedPacket {
    std::vector<BYTE> bytes;
    REFERENCE_TIME start;
    const GUID* subtype;  // of the attached type; null: none attached
    WORD tag;
};

void CheckPackets(CCheckReport& report, const std::vector<RecordedSample>& got, const std::vector<ExpectedPacket>& expected) {
    report.Check(got.size() == expected.size(),
                 Text("announced audio: the grabber gets %zu packets (%zu)", expected.size(), got.size()).c_str());
    std::vector<BYTE> sent, arrived;
    for (const ExpectedPacket& packet : expected) sent.insert(sent.end(), packet.bytes.begin(), packet.bytes.end());
    for (const RecordedSample& sample : got) arrived.insert(arrived.end(), sample.bytes.begin(), sample.bytes.end());
    report.Check(sent == arrived, Text("announced audio: every byte arrives in order (%zu of %zu)", arrived.size(), sent.size()).c_str());
    for (size_t i = 0; i < got.size() && i < expected.size(); ++i) {
        const RecordedSample& sample = got[i];
        const ExpectedPacket& packet = expected[i];
        report.Check(sample.bytes == packet.bytes && sample.timeResult == S_OK && sample.start == packet.start,
                     Text("announced audio: packet %zu holds its %zu samples with the first one's start %lld "
                          "(%ld bytes, GetTime 0x%08lx, start %lld)", i, kSamplesPerPacket, packet.start, sample.length,
                          static_cast<unsigned long>(sample.timeResult), sample.start).c_str());
        if (!packet.subtype) {
            report.Check(!sample.typeAttached, Text("announced audio: packet %zu carries no type", i).c_str());
            continue;
        }
        report.Check(sample.typeAttached && IsEqualGUID(sample.attachedSubtype, *packet.subtype) &&
                         sample.attachedTag == packet.tag && sample.attachedBlockAlign == 1,
                     Text("announced audio: packet %zu carries the relabelled type, tag 0x%04x, block alignment 1 "
                          "(attached %d, tag 0x%04x, alignment %u)", i, packet.tag, sample.typeAttached,
                          sample.attachedTag, sample.attachedBlockAlign).c_str());
    }
}

HRESULT AddFilter(IGraphBuilder* graph, const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter) {
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(filter.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    return graph->AddFilter(filter.Get(), name);
}

// Own source -> helper -> Sample Grabber -> Null Renderer.
HRESULT BuildAnnouncingGraph(IGraphBuilder* graph, IBaseFilter* source, IBaseFilter* helper, ISampleGrabberCB* recorder) {
    HRESULT hr = graph->AddFilter(source, L"Own source");
    if (SUCCEEDED(hr)) hr = graph->AddFilter(helper, L"Helper");
    ComPtr<IBaseFilter> grabber, renderer;
    if (SUCCEEDED(hr)) hr = AddFilter(graph, CLSID_SampleGrabber, L"Grabber", grabber);
    if (SUCCEEDED(hr)) hr = AddFilter(graph, CLSID_NullRenderer, L"Renderer", renderer);
    ComPtr<ISampleGrabber> setup;
    if (SUCCEEDED(hr)) hr = grabber.As(&setup);
    AM_MEDIA_TYPE accepted = {};
    accepted.majortype = MEDIATYPE_Audio;
    if (SUCCEEDED(hr)) hr = setup->SetMediaType(&accepted);
    if (SUCCEEDED(hr)) hr = setup->SetBufferSamples(FALSE);
    if (SUCCEEDED(hr)) hr = setup->SetCallback(recorder, 0);
    ComPtr<IPin> sourceOut, grabberIn, grabberOut, rendererIn;
    if (SUCCEEDED(hr)) hr = FindPin(source, PINDIR_OUTPUT, nullptr, &sourceOut);
    if (SUCCEEDED(hr)) hr = FindPin(grabber.Get(), PINDIR_INPUT, nullptr, &grabberIn);
    if (SUCCEEDED(hr)) hr = FindPin(grabber.Get(), PINDIR_OUTPUT, nullptr, &grabberOut);
    if (SUCCEEDED(hr)) hr = FindPin(renderer.Get(), PINDIR_INPUT, nullptr, &rendererIn);
    if (SUCCEEDED(hr)) hr = ConnectThrough(graph, sourceOut.Get(), helper, grabberIn.Get());
    if (SUCCEEDED(hr)) hr = graph->ConnectDirect(grabberOut.Get(), rendererIn.Get(), nullptr);
    return hr;
}

}  // namespace

void CheckAnnouncedAudio(CCheckReport& report) {
    const std::shared_ptr<COwnedMediaType> pcm = WaveType(MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 2);
    const std::shared_ptr<COwnedMediaType> ac3 = WaveType(MEDIASUBTYPE_DOLBY_AC3, WAVE_FORMAT_DOLBY_AC3_SPDIF, 6);
    const std::shared_ptr<COwnedMediaType> dts = WaveType(MEDIASUBTYPE_DTS, WAVE_FORMAT_DTS, 6);
    if (!report.Check(pcm && ac3 && dts, "announced audio: the media types are made")) return;

    // AC-3 announced on the first sample, DTS on the first of the third packet.
    std::vector<std::vector<BYTE>> chunks;
    std::vector<REFERENCE_TIME> times;
    std::vector<ChunkLabel> labels;
    std::vector<ExpectedPacket> expected;
    for (size_t i = 0; i < kPackets * kSamplesPerPacket; ++i) {
        const size_t packet = i / kSamplesPerPacket;
        const bool first = i % kSamplesPerPacket == 0;
        std::vector<BYTE> chunk(1536 + packet * 256);
        for (size_t k = 0; k < chunk.size(); ++k) chunk[k] = static_cast<BYTE>(i * 7 + k);
        ChunkLabel label;
        label.untimed = !first;
        if (i == 0) label.announced = ac3;
        if (i == 2 * kSamplesPerPacket) label.announced = dts;
        times.push_back(static_cast<REFERENCE_TIME>(i) * kSampleTime);
        if (first) {
            const GUID* subtype = i == 0 ? &kRelabelledAc3 : label.announced ? &kRelabelledDts : nullptr;
            expected.push_back({{}, times.back(), subtype, static_cast<WORD>(subtype ? subtype->Data1 : 0)});
        }
        expected.back().bytes.insert(expected.back().bytes.end(), chunk.begin(), chunk.end());
        chunks.push_back(std::move(chunk));
        labels.push_back(label);
    }
    times.push_back(static_cast<REFERENCE_TIME>(chunks.size()) * kSampleTime);

    ComPtr<IBaseFilter> source, helper;
    HRESULT hr = CClipSourceFilter::CreateAudio(*pcm, chunks, times, labels, &source);
    if (!report.CheckResult(hr, S_OK, "announced audio: the tests' own source is made")) return;
    if (!report.CheckResult(CreateHelper(&helper), S_OK, "announced audio: the helper is created")) return;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (SUCCEEDED(hr)) hr = graph.As(&control);
    // mingw's headers give IMediaEvent no __uuidof.
    if (SUCCEEDED(hr)) hr = graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(events.GetAddressOf()));
    ComPtr<CSampleRecorder> recorder;
    recorder.Attach(new CSampleRecorder(true));
    if (SUCCEEDED(hr)) hr = BuildAnnouncingGraph(graph.Get(), source.Get(), helper.Get(), recorder.Get());
    if (!report.CheckResult(hr, S_OK, "announced audio: own source -> helper -> Sample Grabber -> Null Renderer builds")) return;

    hr = control->Run();
    report.Check(SUCCEEDED(hr), Text("announced audio: runs (0x%08lx)", static_cast<unsigned long>(hr)).c_str());
    long code = 0;
    hr = events->WaitForCompletion(kCompletionTimeoutMs, &code);
    report.Check(hr == S_OK && code == EC_COMPLETE,
                 Text("announced audio: ends with EC_COMPLETE (0x%08lx, event %ld)", static_cast<unsigned long>(hr), code).c_str());
    hr = StopGraphWithin(control.Get(), kStopTimeoutMs);
    report.CheckResult(hr, S_OK, "announced audio: stops");
    if (hr == HRESULT_FROM_WIN32(ERROR_TIMEOUT)) {
        // The stop still uses the graph: leave it to it.
        graph.Detach();
        control.Detach();
        return;
    }
    CheckPackets(report, recorder->Take(), expected);

    LONGLONG bytes = -1;
    size_t total = 0;
    for (const auto& chunk : chunks) total += chunk.size();
    hr = ReadInt64(helper.Get(), GENPROP_BytesReceived, &bytes);
    report.Check(hr == S_OK && bytes == static_cast<LONGLONG>(total),
                 Text("announced audio: GENPROP_BytesReceived is the %zu bytes sent (0x%08lx, %lld)", total,
                      static_cast<unsigned long>(hr), bytes).c_str());
}

void CheckShortWaveHeader(CCheckReport& report, const TestVideoFormat& format) {
    const std::string label = Text("%s clip with a 16-byte audio header", format.name);
    AviContent clip = MakeTestClip(format);
    clip.shortAudioHeader = true;
    WCHAR folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (!report.Check(length > 0 && length < MAX_PATH &&
                          SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%lsdravik_e2e_short_wave.avi", folder)),
                      Text("%s: clip path in the temporary folder", label.c_str()).c_str()))
        return;
    if (!report.CheckResult(WriteAviFile(path, clip), S_OK, Text("%s: clip written", label.c_str()).c_str())) return;

    ComPtr<IBaseFilter> helper;
    if (report.CheckResult(CreateHelper(&helper), S_OK, Text("%s: helper created", label.c_str()).c_str())) {
        ComPtr<CSampleRecorder> recorder;
        recorder.Attach(new CSampleRecorder(false));
        CPlaybackGraph graph;
        BuildStep step = BuildStep::None;
        const PlaybackSetup setup = {path, nullptr, format.subtype, recorder.Get(), nullptr, nullptr, false, helper.Get()};
        HRESULT hr = graph.Build(setup, &step);
        report.CheckResult(hr, S_OK, Text("%s: the helper connects on the audio path (%s)", label.c_str(), BuildStepName(step)).c_str());
        AM_MEDIA_TYPE type = {};
        if (SUCCEEDED(hr)) hr = ConnectionType(graph.SourceAudioPin(), &type);
        const ULONG handedOn = SUCCEEDED(hr) ? type.cbFormat : 0;
        if (SUCCEEDED(hr)) FreeMediaTypeContents(type);
        // This runtime's splitter widens the block to a WAVEFORMATEX, so the
        // 16-byte block itself is covered by the native tests.
        if (SUCCEEDED(hr)) {
            std::printf("  %s: the AVI Splitter hands on a %lu-byte audio format block\n", label.c_str(), handedOn);
        }
    }
    report.Check(DeleteFileW(path) != FALSE, Text("%s: clip removed", label.c_str()).c_str());
}
