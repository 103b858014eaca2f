// The graph the end-to-end test plays a clip through, in the platform's graph
// manager with its stock filters:
//   File Source (Async.) -> AVI Splitter -video-> [grabber or tap] -> [insert] -> Sample Grabber -> Null Renderer
//                                        -audio-> [insert] -> Null Renderer
// or, for a format the splitter does not deliver, the tests' own source in
// place of the first two, its video and audio pins in place of the splitter's.
#ifndef DRAVIK_TESTS_WINE_E2E_PLAYBACK_GRAPH_H
#define DRAVIK_TESTS_WINE_E2E_PLAYBACK_GRAPH_H

#include "tests/wine/e2e/avi_writer.h"
#include "tests/wine/e2e/graph_helpers.h"

#include <qedit.h>

struct PlaybackSetup {
    const WCHAR* path;            // the AVI file of the clip; null with ownSourceClip
    const AviContent* ownSourceClip;  // not null: the tests' own source plays it
    GUID videoSubtype;            // what the grabber is set to accept and the own source announces
    ISampleGrabberCB* recorder;   // called with every video sample
    IBaseFilter* videoInsert;     // null: the source's video pin goes straight to the grabber
    ISampleGrabberCB* upstreamRecorder;  // not null: a second grabber between the source and the insert
    bool upstreamIsOwnTap;        // with upstreamRecorder: the tests' own tap instead of a stock grabber
    IBaseFilter* audioInsert;     // null: the audio pin goes straight to its renderer
};

// The steps of building the graph, to say where it failed.
enum class BuildStep { None, CreateGraph, LoadFile, ConnectSplitter, AddOwnSource, FindStreams, SetUpGrabber, ConnectVideo, ConnectGrabberToRenderer, ConnectAudio };

const char* BuildStepName(BuildStep step);

class CPlaybackGraph {
public:
    CPlaybackGraph() = default;
    ~CPlaybackGraph() { Release(); }
    CPlaybackGraph(const CPlaybackGraph&) = delete;
    CPlaybackGraph& operator=(const CPlaybackGraph&) = delete;

    // Builds the graph step by step; `step` ends as the step that failed (None on success).
    HRESULT Build(const PlaybackSetup& setup, BuildStep* step);
    HRESULT Run();
    // Waits for EC_COMPLETE (S_OK), an abort event (its code as failure) or the timeout (VFW_E_TIMEOUT).
    HRESULT WaitForCompletion(DWORD timeoutMs);
    // Stops the graph on a thread of its own; HRESULT_FROM_WIN32(ERROR_TIMEOUT) when it
    // has not returned in time (the graph is then unusable and is not released).
    HRESULT StopWithin(DWORD timeoutMs);
    HRESULT SeekToStart();
    // The graph manager's IMediaSeeking::GetDuration.
    HRESULT Duration(LONGLONG* duration);

    // The video and audio output pins of the splitter or of the tests' own source.
    IPin* SourceVideoPin() const { return sourceVideo_.Get(); }
    IPin* SourceAudioPin() const { return sourceAudio_.Get(); }
    IPin* GrabberInputPin() const { return grabberInput_.Get(); }
    // Releases every filter and the graph.
    void Release();

private:
    // File Source (Async.) reading the file, connected to an AVI Splitter.
    HRESULT AddFileSource(const WCHAR* path, BuildStep& step);
    HRESULT AddStockFilter(const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter);
    HRESULT AddGrabber(const WCHAR* name, const GUID& subtype, ISampleGrabberCB* callback, ComPtr<IBaseFilter>& filter);

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEvent> events_;
    ComPtr<IBaseFilter> source_, splitter_, grabber_, upstreamFilter_, videoRenderer_, audioRenderer_;
    ComPtr<IPin> sourceVideo_, sourceAudio_, grabberInput_;
    bool stopHung_ = false;
};

#endif
