#include "tests/wine/e2e/playback_checks.h"

#include "tests/wine/e2e/check_text.h"
#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/e2e/helper_properties.h"
#include "tests/wine/e2e/playback_graph.h"
#include "tests/wine/e2e/sample_recorder.h"

#include <dvdmedia.h>

#include <cstdio>

namespace {

constexpr DWORD kCompletionTimeoutMs = 5000;
constexpr DWORD kStopTimeoutMs = 10000;
constexpr DWORD kFirstSamplesTimeoutMs = 10000;

ComPtr<CSampleRecorder> NewRecorder(bool keepData) {
    ComPtr<CSampleRecorder> recorder;
    recorder.Attach(new CSampleRecorder(keepData));
    return recorder;
}

// The graph of the clip's source with the given filters behind it.
PlaybackSetup SetupFor(const FormatClip& clip, ISampleGrabberCB* recorder, IBaseFilter* videoInsert,
                       ISampleGrabberCB* upstreamRecorder, IBaseFilter* audioInsert, bool upstreamIsOwnTap = false) {
    return {clip.ownSource ? nullptr : clip.path, clip.ownSource ? clip.clip : nullptr, clip.format->subtype,
            recorder, videoInsert, upstreamRecorder, upstreamIsOwnTap, audioInsert};
}

// Frames as recorded against the frames expected, and their times.
void CheckFrames(CCheckReport& report, const std::string& label, const std::vector<RecordedSample>& samples,
                 const std::vector<std::vector<BYTE>>& expected, REFERENCE_TIME frameTime) {
    report.Check(samples.size() == expected.size(),
                 Text("%s: %zu frames arrive (%zu)", label.c_str(), expected.size(), samples.size()).c_str());

    size_t wrongFrames = 0;
    for (size_t i = 0; i < samples.size() && i < expected.size(); ++i) {
        const std::vector<BYTE>& got = samples[i].bytes;
        if (got == expected[i]) continue;
        if (wrongFrames++ > 0) continue;
        size_t at = 0;
        while (at < got.size() && at < expected[i].size() && got[at] == expected[i][at]) ++at;
        size_t differing = 0;
        for (size_t k = 0; k < got.size() && k < expected[i].size(); ++k) differing += got[k] != expected[i][k];
        std::printf("  frame %zu: %zu bytes (expected %zu), %zu differ, the first at %zu", i, got.size(),
                    expected[i].size(), differing, at);
        if (at < got.size() && at < expected[i].size())
            std::printf(" (0x%02x, expected 0x%02x)", got[at], expected[i][at]);
        std::printf("\n");
    }
    report.Check(wrongFrames == 0 && !samples.empty(),
                 Text("%s: every frame's bytes are as expected (%zu wrong)", label.c_str(), wrongFrames).c_str());

    bool startsRight = !samples.empty();
    bool stopsRight = !samples.empty();
    for (size_t i = 0; i < samples.size(); ++i) {
        const RecordedSample& sample = samples[i];
        const REFERENCE_TIME start = static_cast<REFERENCE_TIME>(i) * frameTime;
        const REFERENCE_TIME stop = i + 1 < samples.size() ? samples[i + 1].start : sample.start + frameTime;
        const bool startRight = sample.timeResult == S_OK && sample.start == start;
        const bool stopRight = sample.timeResult == S_OK && sample.stop == stop;
        if (!startRight || !stopRight)
            std::printf("  frame %zu: GetTime 0x%08lx, %lld-%lld (start expected %lld, stop %lld)\n", i,
                        static_cast<unsigned long>(sample.timeResult), sample.start, sample.stop, start, stop);
        startsRight = startsRight && startRight;
        stopsRight = stopsRight && stopRight;
    }
    report.Check(startsRight, Text("%s: frame n starts at n x AvgTimePerFrame", label.c_str()).c_str());
    report.Check(stopsRight,
                 Text("%s: each stop time is the next start, the last start + AvgTimePerFrame", label.c_str()).c_str());
}

// Runs the built graph to its end; false when it cannot be used any more.
bool PlayOnce(CCheckReport& report, const std::string& label, CPlaybackGraph& graph) {
    report.CheckResult(graph.Run(), S_OK, Text("%s: runs", label.c_str()).c_str());
    report.CheckResult(graph.WaitForCompletion(kCompletionTimeoutMs), S_OK,
                       Text("%s: ends with EC_COMPLETE", label.c_str()).c_str());
    HRESULT stopped = graph.StopWithin(kStopTimeoutMs);
    report.CheckResult(stopped, S_OK, Text("%s: stops", label.c_str()).c_str());
    return stopped != HRESULT_FROM_WIN32(ERROR_TIMEOUT);
}

// The reads of the helper's counters on the video path while the clip is still playing.
void CheckCountersWhileRunning(CCheckReport& report, const std::string& label, IBaseFilter* helper,
                               CSampleRecorder& recorder, DWORD frameBytes, REFERENCE_TIME frameTime) {
    const bool twoArrived = recorder.WaitForCount(2, kFirstSamplesTimeoutMs);
    report.Check(twoArrived, Text("%s: the first two frames arrive", label.c_str()).c_str());
    if (!twoArrived) return;
    LONGLONG bytes = -1, frameTimeRead = -1;
    HRESULT hr = ReadInt64(helper, GENPROP_BytesReceived, &bytes);
    report.Check(hr == S_OK && bytes >= 2LL * frameBytes && bytes % frameBytes == 0,
                 Text("%s: while running, GENPROP_BytesReceived counts whole frames, at least two (0x%08lx, %lld)",
                      label.c_str(), static_cast<unsigned long>(hr), bytes).c_str());
    hr = ReadInt64(helper, GENPROP_InputAvgTimePerFrame, &frameTimeRead);
    report.Check(hr == S_OK && frameTimeRead == frameTime,
                 Text("%s: while running, GENPROP_InputAvgTimePerFrame is %lld (0x%08lx, %lld)", label.c_str(),
                      frameTime, static_cast<unsigned long>(hr), frameTimeRead).c_str());
}

void CheckCountersAfterRun(CCheckReport& report, const std::string& label, IBaseFilter* videoHelper,
                           IBaseFilter* audioHelper, const FormatClip& clip, const AM_MEDIA_TYPE& inputType) {
    const REFERENCE_TIME frameTime = FrameTimeOf(inputType);
    const LONGLONG frames = static_cast<LONGLONG>(clip.clip->frames.size());
    struct Expectation {
        const char* name;
        const GUID* key;
        LONGLONG value;
    };
    const Expectation expectations[] = {
        {"GENPROP_FirstFrameDuration", &GENPROP_FirstFrameDuration, frameTime},
        {"GENPROP_LastStartTime", &GENPROP_LastStartTime, (frames - 1) * frameTime},
        {"GENPROP_BytesReceived", &GENPROP_BytesReceived, frames * clip.clip->video.biSizeImage},
        {"GENPROP_InputAvgTimePerFrame", &GENPROP_InputAvgTimePerFrame, frameTime},
    };
    for (const Expectation& expectation : expectations) {
        LONGLONG value = -1;
        HRESULT hr = ReadInt64(videoHelper, *expectation.key, &value);
        report.Check(hr == S_OK && value == expectation.value,
                     Text("%s: %s is %lld (0x%08lx, %lld)", label.c_str(), expectation.name, expectation.value,
                          static_cast<unsigned long>(hr), value).c_str());
    }

    ULONG flags = 0;
    HRESULT hr = ReadUInt32(videoHelper, GENPROP_InputInterlaceFlags, &flags);
    if (IsEqualGUID(inputType.formattype, FORMAT_VideoInfo2)) {
        const ULONG expected = reinterpret_cast<const VIDEOINFOHEADER2*>(inputType.pbFormat)->dwInterlaceFlags;
        report.Check(hr == S_OK && flags == expected,
                     Text("%s: GENPROP_InputInterlaceFlags is the input's 0x%lx (0x%08lx, 0x%lx)", label.c_str(), expected,
                          static_cast<unsigned long>(hr), flags).c_str());
    } else {
        report.CheckResult(hr, E_UNEXPECTED,
                           Text("%s: GENPROP_InputInterlaceFlags of a VIDEOINFOHEADER input is E_UNEXPECTED", label.c_str()).c_str());
    }

    LONGLONG audioBytes = -1;
    hr = ReadInt64(audioHelper, GENPROP_BytesReceived, &audioBytes);
    report.Check(hr == S_OK && audioBytes == ClipAudioBytes(*clip.clip),
                 Text("%s: the audio helper's GENPROP_BytesReceived is the clip's %lu audio bytes (0x%08lx, %lld)",
                      label.c_str(), ClipAudioBytes(*clip.clip), static_cast<unsigned long>(hr), audioBytes).c_str());
    LONGLONG audioFrameTime = 0;
    report.CheckResult(ReadInt64(audioHelper, GENPROP_InputAvgTimePerFrame, &audioFrameTime), E_UNEXPECTED,
                       Text("%s: the audio helper has no GENPROP_InputAvgTimePerFrame", label.c_str()).c_str());
}

// Which allocator the helper's input answers with against the one the grabber's
// input uses. The in-place input pin answers with its downstream pin's, so this
// is reported, not asserted; CheckSamplePassage with the tap in front shows
// that the samples pass in place.
void ReportAllocators(const std::string& label, IBaseFilter* helper, IPin* grabberInput) {
    ComPtr<IPin> helperInput;
    ComPtr<IMemInputPin> helperMemInput, grabberMemInput;
    ComPtr<IMemAllocator> helperAllocator, grabberAllocator;
    HRESULT hr = FindPin(helper, PINDIR_INPUT, nullptr, &helperInput);
    if (SUCCEEDED(hr)) hr = helperInput.As(&helperMemInput);
    if (SUCCEEDED(hr)) hr = helperMemInput->GetAllocator(&helperAllocator);
    if (SUCCEEDED(hr)) hr = grabberInput->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(grabberMemInput.GetAddressOf()));
    if (SUCCEEDED(hr)) hr = grabberMemInput->GetAllocator(&grabberAllocator);
    if (FAILED(hr)) {
        std::printf("  %s: the allocators cannot be compared (0x%08lx)\n", label.c_str(), static_cast<unsigned long>(hr));
        return;
    }
    ComPtr<IUnknown> helperIdentity, grabberIdentity;
    const bool shared = SUCCEEDED(helperAllocator.As(&helperIdentity)) && SUCCEEDED(grabberAllocator.As(&grabberIdentity)) &&
                        helperIdentity.Get() == grabberIdentity.Get();
    std::printf("  %s: IMemInputPin::GetAllocator of the helper's input and of the grabber's input give %s\n",
                label.c_str(), shared ? "one allocator" : "different allocators");
}

}  // namespace

bool CheckStockPlayback(CCheckReport& report, const FormatClip& clip) {
    const std::string label = Text(clip.ownSource ? "%s tests' own source, stock filters" : "%s stock", clip.format->name);
    ComPtr<CSampleRecorder> recorder = NewRecorder(true);
    CPlaybackGraph graph;
    BuildStep step = BuildStep::None;
    HRESULT hr = graph.Build(SetupFor(clip, recorder.Get(), nullptr, nullptr, nullptr), &step);
    if (!report.CheckResult(hr, S_OK, Text("%s: graph builds (%s)", label.c_str(), BuildStepName(step)).c_str())) return false;

    AM_MEDIA_TYPE type;
    hr = ConnectionType(graph.SourceVideoPin(), &type);
    const REFERENCE_TIME frameTime = SUCCEEDED(hr) ? FrameTimeOf(type) : 0;
    if (SUCCEEDED(hr)) FreeMediaTypeContents(type);
    report.Check(frameTime == kClipFrameTime,
                 Text("%s: the source's video type has AvgTimePerFrame %lld (%lld)", label.c_str(), kClipFrameTime, frameTime).c_str());
    LONGLONG duration = -1;
    hr = graph.Duration(&duration);
    report.Check(hr == S_OK && duration == kClipFrames * kClipFrameTime,
                 Text("%s: the graph's duration is the clip's %lld (0x%08lx, %lld)", label.c_str(), kClipFrames * kClipFrameTime,
                      static_cast<unsigned long>(hr), duration).c_str());

    for (int pass = 0; pass < 2; ++pass) {
        const std::string passLabel = pass == 0 ? label : label + " after seek";
        if (pass == 1) report.CheckResult(graph.SeekToStart(), S_OK, Text("%s: seeks to the start", label.c_str()).c_str());
        if (!PlayOnce(report, passLabel, graph)) return true;
        const std::vector<RecordedSample> samples = recorder->Take();
        CheckFrames(report, passLabel, samples, clip.clip->frames, kClipFrameTime);
        bool flagsRight = !samples.empty();
        for (size_t i = 0; i < samples.size(); ++i) flagsRight = flagsRight && samples[i].syncPoint && samples[i].discontinuity == (i == 0);
        report.Check(flagsRight, Text("%s: every frame is a sync point, the first alone a discontinuity", passLabel.c_str()).c_str());
    }
    return true;
}

void CheckHelperPlayback(CCheckReport& report, const FormatClip& clip, const CLogoReference& logo, bool overlay) {
    const std::string label = Text("%s helper, overlay %s", clip.format->name, overlay ? "on" : "off");
    ComPtr<IBaseFilter> videoHelper, audioHelper;
    HRESULT hr = CreateHelper(&videoHelper);
    if (SUCCEEDED(hr)) hr = CreateHelper(&audioHelper);
    if (!report.CheckResult(hr, S_OK, Text("%s: two helper filters are created", label.c_str()).c_str())) return;
    if (!overlay) report.CheckResult(SetOverlay(videoHelper.Get(), false), S_OK, Text("%s: overlay switched off", label.c_str()).c_str());

    std::vector<std::vector<BYTE>> expected;
    for (const auto& frame : clip.clip->frames)
        expected.push_back(overlay ? logo.Blend(*clip.format, kClipWidth, kClipHeight, frame) : frame);
    if (overlay)
        report.Check(expected[0] != clip.clip->frames[0], Text("%s: the reference blend changes the frame", label.c_str()).c_str());

    ComPtr<CSampleRecorder> recorder = NewRecorder(true);
    CPlaybackGraph graph;
    BuildStep step = BuildStep::None;
    hr = graph.Build(SetupFor(clip, recorder.Get(), videoHelper.Get(), nullptr, audioHelper.Get()), &step);
    if (!report.CheckResult(hr, S_OK, Text("%s: graph builds (%s)", label.c_str(), BuildStepName(step)).c_str())) return;

    std::string clsid;
    hr = ReadString(videoHelper.Get(), GENPROP_FilterClsid, &clsid);
    report.Check(hr == S_OK && clsid == GuidText(CLSID_DravikHelper),
                 Text("%s: GENPROP_FilterClsid is %s (%s)", label.c_str(), GuidText(CLSID_DravikHelper).c_str(), clsid.c_str()).c_str());
    ReportAllocators(label, videoHelper.Get(), graph.GrabberInputPin());

    AM_MEDIA_TYPE inputType;
    hr = ConnectionType(graph.SourceVideoPin(), &inputType);
    if (!report.CheckResult(hr, S_OK, Text("%s: the helper's input type is known", label.c_str()).c_str())) return;
    const REFERENCE_TIME frameTime = FrameTimeOf(inputType);

    for (int pass = 0; pass < 2; ++pass) {
        const std::string passLabel = pass == 0 ? label : label + " after seek";
        if (pass == 1) report.CheckResult(graph.SeekToStart(), S_OK, Text("%s: seeks to the start", label.c_str()).c_str());
        report.CheckResult(graph.Run(), S_OK, Text("%s: runs", passLabel.c_str()).c_str());
        CheckCountersWhileRunning(report, passLabel, videoHelper.Get(), *recorder.Get(), clip.clip->video.biSizeImage, frameTime);
        report.CheckResult(graph.WaitForCompletion(kCompletionTimeoutMs), S_OK,
                           Text("%s: ends with EC_COMPLETE", passLabel.c_str()).c_str());
        HRESULT stopped = graph.StopWithin(kStopTimeoutMs);
        report.CheckResult(stopped, S_OK, Text("%s: stops", passLabel.c_str()).c_str());
        if (stopped == HRESULT_FROM_WIN32(ERROR_TIMEOUT)) break;
        CheckFrames(report, passLabel, recorder->Take(), expected, frameTime);
        CheckCountersAfterRun(report, passLabel, videoHelper.Get(), audioHelper.Get(), clip, inputType);
    }
    FreeMediaTypeContents(inputType);
}

void CheckSubtypeRestriction(CCheckReport& report, const FormatClip& clip, const GUID& otherSubtype) {
    for (bool own : {false, true}) {
        const std::string label = Text("%s helper restricted to %s subtype", clip.format->name, own ? "its own" : "another");
        ComPtr<IBaseFilter> videoHelper;
        HRESULT hr = CreateHelper(&videoHelper);
        if (SUCCEEDED(hr)) hr = SetInputSubtype(videoHelper.Get(), own ? clip.format->subtype : otherSubtype);
        if (!report.CheckResult(hr, S_OK, Text("%s: GENPROP_InputSubtype is set", label.c_str()).c_str())) continue;
        ComPtr<CSampleRecorder> recorder = NewRecorder(false);
        CPlaybackGraph graph;
        BuildStep step = BuildStep::None;
        hr = graph.Build(SetupFor(clip, recorder.Get(), videoHelper.Get(), nullptr, nullptr), &step);
        if (own)
            report.CheckResult(hr, S_OK, Text("%s: the graph connects it (%s)", label.c_str(), BuildStepName(step)).c_str());
        else
            report.Check(FAILED(hr) && step == BuildStep::ConnectVideo,
                         Text("%s: the graph refuses to connect it (0x%08lx at %s)", label.c_str(),
                              static_cast<unsigned long>(hr), BuildStepName(step)).c_str());
    }
}

const char* PassageName(Passage passage) {
    switch (passage) {
        case Passage::GrabberOnly: return "grabber -> grabber";
        case Passage::GrabberThenHelper: return "grabber -> helper -> grabber";
        case Passage::TapThenHelper: return "tap -> helper -> grabber";
    }
    return "?";
}

void CheckSamplePassage(CCheckReport& report, const FormatClip& clip, const CLogoReference& logo, Passage passage) {
    const bool throughHelper = passage != Passage::GrabberOnly;
    const std::string label = Text("%s samples %s", clip.format->name, PassageName(passage));
    ComPtr<IBaseFilter> helper;
    if (throughHelper && !report.CheckResult(CreateHelper(&helper), S_OK, Text("%s: helper created", label.c_str()).c_str()))
        return;
    ComPtr<CSampleRecorder> upstream = NewRecorder(true);
    ComPtr<CSampleRecorder> downstream = NewRecorder(true);
    CPlaybackGraph graph;
    BuildStep step = BuildStep::None;
    HRESULT hr = graph.Build(SetupFor(clip, downstream.Get(), helper.Get(), upstream.Get(), nullptr,
                                      passage == Passage::TapThenHelper), &step);
    if (!report.CheckResult(hr, S_OK, Text("%s: graph builds (%s)", label.c_str(), BuildStepName(step)).c_str())) return;
    if (!PlayOnce(report, label, graph)) return;

    const std::vector<RecordedSample> before = upstream->Take();
    const std::vector<RecordedSample> after = downstream->Take();
    if (throughHelper && after.size() != before.size()) {
        LONGLONG bytes = -1;
        HRESULT read = ReadInt64(helper.Get(), GENPROP_BytesReceived, &bytes);
        std::printf("  %s: upstream saw %zu samples, the downstream grabber %zu; the helper counted %lld bytes (0x%08lx)\n",
                    label.c_str(), before.size(), after.size(), bytes, static_cast<unsigned long>(read));
    }
    std::vector<std::vector<BYTE>> expected;
    for (const RecordedSample& sample : before)
        expected.push_back(throughHelper ? logo.Blend(*clip.format, kClipWidth, kClipHeight, sample.bytes) : sample.bytes);
    CheckFrames(report, label, after, expected, kClipFrameTime);
    // The same sample objects on both sides: nothing between them copied the samples.
    bool sameObjects = !after.empty() && after.size() == before.size();
    for (size_t i = 0; sameObjects && i < after.size(); ++i) sameObjects = after[i].identity == before[i].identity;
    std::printf("  %s: the downstream grabber sees %s sample objects as upstream\n", label.c_str(),
                sameObjects ? "the same" : "other");
    if (passage == Passage::GrabberThenHelper) return;
    report.Check(sameObjects, Text("%s: pass in place (one allocator on both sides)", label.c_str()).c_str());
}
