#include "tests/wine/e2e/own_source_checks.h"

#include "tests/wine/e2e/check_text.h"
#include "tests/wine/e2e/playback_graph.h"
#include "tests/wine/e2e/sample_recorder.h"

#include <cstdio>

namespace {

constexpr DWORD kRunTimeoutMs = 5000;
constexpr DWORD kStopTimeoutMs = 10000;
constexpr LONGLONG kFirstFrame = 2;

// SetPositions with an absolute start (or none) and the stop as given.
HRESULT SeekTo(IMediaSeeking* seeking, LONGLONG start, DWORD startFlags, LONGLONG* stop, DWORD stopFlags) {
    return seeking->SetPositions(&start, startFlags, stop, stopFlags);
}

LONGLONG CurrentPosition(IMediaSeeking* seeking) {
    LONGLONG current = -1;
    return SUCCEEDED(seeking->GetCurrentPosition(&current)) ? current : -1;
}

// The refusals leave the position where it was.
void CheckRefusals(CCheckReport& report, const std::string& label, IMediaSeeking* seeking, LONGLONG duration) {
    LONGLONG stop = duration / 2;
    report.CheckResult(SeekTo(seeking, kClipFrameTime, AM_SEEKING_RelativePositioning, nullptr, AM_SEEKING_NoPositioning),
                       E_NOTIMPL, Text("%s: a relative start is not supported", label.c_str()).c_str());
    report.CheckResult(SeekTo(seeking, -1, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), E_INVALIDARG,
                       Text("%s: a start before the clip is refused", label.c_str()).c_str());
    report.CheckResult(SeekTo(seeking, duration + 1, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
                       E_INVALIDARG, Text("%s: a start after the clip is refused", label.c_str()).c_str());
    report.CheckResult(SeekTo(seeking, 0, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning), E_NOTIMPL,
                       Text("%s: a stop before the end is not supported", label.c_str()).c_str());
    report.CheckResult(seeking->SetTimeFormat(&TIME_FORMAT_FRAME), E_INVALIDARG,
                       Text("%s: only media time is used", label.c_str()).c_str());
    report.Check(CurrentPosition(seeking) == 0, Text("%s: after the refusals the position is still 0", label.c_str()).c_str());
}

}  // namespace

void CheckOwnSourceSeeking(CCheckReport& report, const FormatClip& clip) {
    const std::string label = Text("%s tests' own source, seeking", clip.format->name);
    ComPtr<CSampleRecorder> recorder;
    recorder.Attach(new CSampleRecorder(true));
    CPlaybackGraph graph;
    PlaybackSetup setup = {nullptr, clip.clip, clip.format->subtype, recorder.Get(), nullptr, nullptr, false, nullptr};
    BuildStep step = BuildStep::None;
    HRESULT hr = graph.Build(setup, &step);
    if (!report.CheckResult(hr, S_OK, Text("%s: graph builds (%s)", label.c_str(), BuildStepName(step)).c_str())) return;
    ComPtr<IMediaSeeking> seeking;
    hr = graph.SourceVideoPin()->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(seeking.GetAddressOf()));
    if (!report.CheckResult(hr, S_OK, Text("%s: the video pin has IMediaSeeking", label.c_str()).c_str())) return;

    const LONGLONG frames = static_cast<LONGLONG>(clip.clip->frames.size());
    const LONGLONG duration = frames * kClipFrameTime;
    LONGLONG value = -1;
    hr = seeking->GetDuration(&value);
    report.Check(hr == S_OK && value == duration,
                 Text("%s: the duration is %lld (0x%08lx, %lld)", label.c_str(), duration, static_cast<unsigned long>(hr), value).c_str());
    value = -1;
    hr = seeking->GetStopPosition(&value);
    report.Check(hr == S_OK && value == duration,
                 Text("%s: the stop is the end (0x%08lx, %lld)", label.c_str(), static_cast<unsigned long>(hr), value).c_str());
    DWORD capabilities = 0;
    hr = seeking->GetCapabilities(&capabilities);
    const DWORD offered = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos |
                          AM_SEEKING_CanGetDuration;
    const DWORD relative = AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards;
    report.Check(hr == S_OK && (capabilities & offered) == offered && (capabilities & relative) == 0,
                 Text("%s: it seeks to absolute starts only and tells its positions and duration (0x%08lx, 0x%lx)", label.c_str(),
                      static_cast<unsigned long>(hr), capabilities).c_str());
    GUID format = GUID_NULL;
    hr = seeking->GetTimeFormat(&format);
    report.Check(hr == S_OK && IsEqualGUID(format, TIME_FORMAT_MEDIA_TIME) &&
                     seeking->IsUsingTimeFormat(&TIME_FORMAT_MEDIA_TIME) == S_OK &&
                     seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME) == S_OK &&
                     seeking->IsFormatSupported(&TIME_FORMAT_FRAME) == S_FALSE,
                 Text("%s: media time is the one time format, and the one in use", label.c_str()).c_str());
    CheckRefusals(report, label, seeking.Get(), duration);

    // The graph manager asks for the time back; media time comes back as it is.
    const LONGLONG start = kFirstFrame * kClipFrameTime;
    LONGLONG asked = start;
    LONGLONG stop = 0;
    hr = seeking->SetPositions(&asked, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime, &stop,
                               AM_SEEKING_NoPositioning | AM_SEEKING_ReturnTime);
    report.Check(hr == S_OK && asked == start && stop == duration && CurrentPosition(seeking.Get()) == start,
                 Text("%s: seeks to frame %lld, the times given back (0x%08lx, %lld-%lld)", label.c_str(), kFirstFrame,
                      static_cast<unsigned long>(hr), asked, stop).c_str());

    report.CheckResult(graph.Run(), S_OK, Text("%s: runs", label.c_str()).c_str());
    report.CheckResult(graph.WaitForCompletion(kRunTimeoutMs), S_OK, Text("%s: ends with EC_COMPLETE", label.c_str()).c_str());
    // Still running: the graph manager has not moved the position.
    report.Check(CurrentPosition(seeking.Get()) == duration,
                 Text("%s: the finished run leaves the position at the end", label.c_str()).c_str());
    report.CheckResult(SeekTo(seeking.Get(), 0, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
                       VFW_E_NOT_STOPPED, Text("%s: no seek while running", label.c_str()).c_str());
    hr = graph.StopWithin(kStopTimeoutMs);
    report.CheckResult(hr, S_OK, Text("%s: stops", label.c_str()).c_str());
    if (hr == HRESULT_FROM_WIN32(ERROR_TIMEOUT)) return;

    const std::vector<RecordedSample> samples = recorder->Take();
    bool right = static_cast<LONGLONG>(samples.size()) == frames - kFirstFrame;
    for (size_t i = 0; right && i < samples.size(); ++i) {
        const REFERENCE_TIME expectedStart = static_cast<REFERENCE_TIME>(i) * kClipFrameTime;
        right = samples[i].bytes == clip.clip->frames[kFirstFrame + i] && samples[i].timeResult == S_OK &&
                samples[i].start == expectedStart && samples[i].stop == expectedStart + kClipFrameTime;
    }
    report.Check(right, Text("%s: frames %lld to %lld arrive, timed from the start of the seek (%zu frames)", label.c_str(),
                             kFirstFrame, frames - 1, samples.size()).c_str());
}
