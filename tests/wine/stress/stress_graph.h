// One graph of the lifecycle stress, in the platform's graph manager:
//   File Source (Async.) -> AVI Splitter -video-> stream log tap -> helper -> Sample Grabber -> Null Renderer
//                                        -audio-> [helper] -> Null Renderer   (when the audio is played)
// Every call on it runs under the watchdog.
#ifndef DRAVIK_TESTS_WINE_STRESS_STRESS_GRAPH_H
#define DRAVIK_TESTS_WINE_STRESS_STRESS_GRAPH_H

#include "tests/wine/e2e/graph_helpers.h"
#include "tests/wine/stress/call_watchdog.h"
#include "tests/wine/stress/stream_log.h"

class CStressGraph {
public:
    explicit CStressGraph(CCallWatchdog& watchdog) : watchdog_(watchdog) {}
    ~CStressGraph();
    CStressGraph(const CStressGraph&) = delete;
    CStressGraph& operator=(const CStressGraph&) = delete;

    enum class Audio { None, Plain, ThroughHelper };
    // Builds the graph over the clip file; the PCM stream left out, played, or played through a second helper.
    // The log hears of every flush from the tap and of every frame from the grabber.
    HRESULT Build(const WCHAR* clipPath, const GUID& videoSubtype, Audio audio, CStreamLog* log);

    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // Waits for the state change to end.
    HRESULT WaitForState(DWORD timeoutMs);
    // IMediaEvent::WaitForCompletion: S_OK with EC_COMPLETE.
    HRESULT WaitForCompletion(DWORD timeoutMs);
    // IMediaSeeking::SetPositions to the start, the stop position left alone.
    HRESULT SeekToStart();

private:
    HRESULT AddFilter(const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter);
    // Output pin of `from` (of the major type, when given) to input pin of `to`, directly.
    HRESULT Connect(IBaseFilter* from, const GUID* majorType, IBaseFilter* to);

    CCallWatchdog& watchdog_;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEvent> events_;
    ComPtr<IMediaSeeking> seeking_;
    ComPtr<IBaseFilter> source_, splitter_, videoHelper_, tap_, grabber_, videoRenderer_, audioHelper_, audioRenderer_;
};

#endif
