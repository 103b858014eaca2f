// The graph the end-to-end test plays an AVI file through, in the platform's
// graph manager with its stock filters:
//   File Source (Async.) -> AVI Splitter -video-> [grabber] -> [insert] -> Sample Grabber -> Null Renderer
//                                        -audio-> [insert] -> Null Renderer
#ifndef DRAVIK_TESTS_WINE_E2E_PLAYBACK_GRAPH_H
#define DRAVIK_TESTS_WINE_E2E_PLAYBACK_GRAPH_H

#include "tests/wine/e2e/graph_helpers.h"

#include <qedit.h>

struct PlaybackSetup {
    const WCHAR* path;
    GUID videoSubtype;            // what the grabber is set to accept
    ISampleGrabberCB* recorder;   // called with every video sample
    IBaseFilter* videoInsert;     // null: the splitter's video pin goes straight to the grabber
    ISampleGrabberCB* upstreamRecorder;  // not null: a second grabber between the splitter and the insert
    IBaseFilter* audioInsert;     // null: the audio pin goes straight to its renderer
};

// The steps of building the graph, to say where it failed.
enum class BuildStep { None, CreateGraph, LoadFile, ConnectSplitter, FindStreams, SetUpGrabber, ConnectVideo, ConnectGrabberToRenderer, ConnectAudio };

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

    IPin* SplitterVideoPin() const { return splitterVideo_.Get(); }
    IPin* SplitterAudioPin() const { return splitterAudio_.Get(); }
    IPin* GrabberInputPin() const { return grabberInput_.Get(); }
    // Releases every filter and the graph.
    void Release();

private:
    HRESULT AddStockFilter(const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter);
    HRESULT AddGrabber(const WCHAR* name, const GUID& subtype, ISampleGrabberCB* callback, ComPtr<IBaseFilter>& filter);

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaEvent> events_;
    ComPtr<IBaseFilter> source_, splitter_, grabber_, upstreamGrabber_, videoRenderer_, audioRenderer_;
    ComPtr<IPin> splitterVideo_, splitterAudio_, grabberInput_;
    bool stopHung_ = false;
};

#endif
