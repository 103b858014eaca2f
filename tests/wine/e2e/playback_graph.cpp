#include "tests/wine/e2e/playback_graph.h"

#include "tests/wine/e2e/sample_tap_filter.h"

#include "tests/wine/e2e/clip_source_filter.h"

#include <initializer_list>

HRESULT CPlaybackGraph::AddStockFilter(const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter) {
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(filter.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    return graph_->AddFilter(filter.Get(), name);
}

HRESULT CPlaybackGraph::AddGrabber(const WCHAR* name, const GUID& subtype, ISampleGrabberCB* callback,
                                   ComPtr<IBaseFilter>& filter) {
    HRESULT hr = AddStockFilter(CLSID_SampleGrabber, name, filter);
    if (FAILED(hr)) return hr;
    ComPtr<ISampleGrabber> grabber;
    if (FAILED(hr = filter.As(&grabber))) return hr;
    AM_MEDIA_TYPE accepted = {};
    accepted.majortype = MEDIATYPE_Video;
    accepted.subtype = subtype;
    if (FAILED(hr = grabber->SetMediaType(&accepted))) return hr;
    if (FAILED(hr = grabber->SetBufferSamples(FALSE))) return hr;
    return grabber->SetCallback(callback, 0);
}

HRESULT CPlaybackGraph::AddFileSource(const WCHAR* path, BuildStep& step) {
    step = BuildStep::LoadFile;
    HRESULT hr = AddStockFilter(CLSID_AsyncReader, L"Source", source_);
    if (FAILED(hr)) return hr;
    ComPtr<IFileSourceFilter> fileSource;
    if (FAILED(hr = source_.As(&fileSource))) return hr;
    if (FAILED(hr = fileSource->Load(path, nullptr))) return hr;

    step = BuildStep::ConnectSplitter;
    if (FAILED(hr = AddStockFilter(CLSID_AviSplitter, L"Splitter", splitter_))) return hr;
    ComPtr<IPin> sourceOut, splitterIn;
    if (FAILED(hr = FindPin(source_.Get(), PINDIR_OUTPUT, nullptr, &sourceOut))) return hr;
    if (FAILED(hr = FindPin(splitter_.Get(), PINDIR_INPUT, nullptr, &splitterIn))) return hr;
    return graph_->ConnectDirect(sourceOut.Get(), splitterIn.Get(), nullptr);
}

const char* BuildStepName(BuildStep step) {
    switch (step) {
        case BuildStep::None: return "none";
        case BuildStep::CreateGraph: return "create the filter graph";
        case BuildStep::LoadFile: return "load the file into File Source (Async.)";
        case BuildStep::ConnectSplitter: return "connect the source to the AVI Splitter";
        case BuildStep::AddOwnSource: return "add the tests' own source";
        case BuildStep::FindStreams: return "find the source's video and audio pins";
        case BuildStep::SetUpGrabber: return "set up the Sample Grabber";
        case BuildStep::ConnectVideo: return "connect the source's video pin (through the insert) to the grabber";
        case BuildStep::ConnectGrabberToRenderer: return "connect the grabber to a Null Renderer";
        case BuildStep::ConnectAudio: return "connect the source's audio pin (through the insert) to a Null Renderer";
    }
    return "?";
}

HRESULT CPlaybackGraph::Build(const PlaybackSetup& setup, BuildStep* failedStep) {
    BuildStep ignored = BuildStep::None;
    BuildStep& step = failedStep ? *failedStep : ignored;
    step = BuildStep::CreateGraph;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_));
    if (FAILED(hr)) return hr;
    if (FAILED(hr = graph_.As(&control_))) return hr;
    // mingw's headers give IMediaEvent no __uuidof.
    if (FAILED(hr = graph_->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(events_.GetAddressOf())))) return hr;

    IBaseFilter* streams = nullptr;
    if (setup.ownSourceClip) {
        step = BuildStep::AddOwnSource;
        if (FAILED(hr = CClipSourceFilter::Create(*setup.ownSourceClip, setup.videoSubtype, source_.ReleaseAndGetAddressOf())))
            return hr;
        if (FAILED(hr = graph_->AddFilter(source_.Get(), L"Own source"))) return hr;
        streams = source_.Get();
    } else {
        if (FAILED(hr = AddFileSource(setup.path, step))) return hr;
        streams = splitter_.Get();
    }

    step = BuildStep::FindStreams;
    if (FAILED(hr = FindPin(streams, PINDIR_OUTPUT, &MEDIATYPE_Video, &sourceVideo_))) return hr;
    if (FAILED(hr = FindPin(streams, PINDIR_OUTPUT, &MEDIATYPE_Audio, &sourceAudio_))) return hr;

    step = BuildStep::SetUpGrabber;
    if (FAILED(hr = AddGrabber(L"Grabber", setup.videoSubtype, setup.recorder, grabber_))) return hr;
    if (FAILED(hr = FindPin(grabber_.Get(), PINDIR_INPUT, nullptr, &grabberInput_))) return hr;

    step = BuildStep::ConnectVideo;
    ComPtr<IPin> videoUpstream = sourceVideo_;
    if (setup.upstreamRecorder) {
        if (setup.upstreamIsOwnTap) {
            if (FAILED(hr = CSampleTapFilter::Create(setup.upstreamRecorder, upstreamFilter_.ReleaseAndGetAddressOf()))) return hr;
            if (FAILED(hr = graph_->AddFilter(upstreamFilter_.Get(), L"Upstream tap"))) return hr;
        } else if (FAILED(hr = AddGrabber(L"Upstream grabber", setup.videoSubtype, setup.upstreamRecorder, upstreamFilter_))) {
            return hr;
        }
        ComPtr<IPin> upstreamIn;
        if (FAILED(hr = FindPin(upstreamFilter_.Get(), PINDIR_INPUT, nullptr, &upstreamIn))) return hr;
        if (FAILED(hr = FindPin(upstreamFilter_.Get(), PINDIR_OUTPUT, nullptr, videoUpstream.ReleaseAndGetAddressOf()))) return hr;
        if (FAILED(hr = graph_->ConnectDirect(sourceVideo_.Get(), upstreamIn.Get(), nullptr))) return hr;
    }
    if (setup.videoInsert) {
        if (FAILED(hr = graph_->AddFilter(setup.videoInsert, L"Video insert"))) return hr;
        hr = ConnectThrough(graph_.Get(), videoUpstream.Get(), setup.videoInsert, grabberInput_.Get());
    } else {
        hr = graph_->ConnectDirect(videoUpstream.Get(), grabberInput_.Get(), nullptr);
    }
    if (FAILED(hr)) return hr;

    step = BuildStep::ConnectGrabberToRenderer;
    if (FAILED(hr = AddStockFilter(CLSID_NullRenderer, L"Video renderer", videoRenderer_))) return hr;
    ComPtr<IPin> grabberOut, videoRendererIn;
    if (FAILED(hr = FindPin(grabber_.Get(), PINDIR_OUTPUT, nullptr, &grabberOut))) return hr;
    if (FAILED(hr = FindPin(videoRenderer_.Get(), PINDIR_INPUT, nullptr, &videoRendererIn))) return hr;
    if (FAILED(hr = graph_->ConnectDirect(grabberOut.Get(), videoRendererIn.Get(), nullptr))) return hr;

    step = BuildStep::ConnectAudio;
    if (FAILED(hr = AddStockFilter(CLSID_NullRenderer, L"Audio renderer", audioRenderer_))) return hr;
    ComPtr<IPin> audioRendererIn;
    if (FAILED(hr = FindPin(audioRenderer_.Get(), PINDIR_INPUT, nullptr, &audioRendererIn))) return hr;
    if (setup.audioInsert) {
        if (FAILED(hr = graph_->AddFilter(setup.audioInsert, L"Audio insert"))) return hr;
        hr = ConnectThrough(graph_.Get(), sourceAudio_.Get(), setup.audioInsert, audioRendererIn.Get());
    } else {
        hr = graph_->ConnectDirect(sourceAudio_.Get(), audioRendererIn.Get(), nullptr);
    }
    if (FAILED(hr)) return hr;
    step = BuildStep::None;
    return S_OK;
}

HRESULT CPlaybackGraph::Run() {
    if (!control_) return E_UNEXPECTED;
    HRESULT hr = control_->Run();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CPlaybackGraph::WaitForCompletion(DWORD timeoutMs) {
    if (!events_) return E_UNEXPECTED;
    HRESULT hr;
    const DWORD begin = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - begin;
        if (elapsed >= timeoutMs) return VFW_E_TIMEOUT;
        long code = 0;
        LONG_PTR first = 0, second = 0;
        // E_ABORT: no event within the wait; this runtime also answers it early, so wait on.
        hr = events_->GetEvent(&code, &first, &second, 50);
        if (hr == E_ABORT) continue;
        if (FAILED(hr)) return hr;
        HRESULT freed = events_->FreeEventParams(code, first, second);
        if (FAILED(freed)) return freed;
        if (code == EC_COMPLETE) return S_OK;
        if (code == EC_ERRORABORT || code == EC_USERABORT || code == EC_STREAM_ERROR_STOPPED)
            return FAILED(static_cast<HRESULT>(first)) ? static_cast<HRESULT>(first) : E_FAIL;
    }
}

HRESULT CPlaybackGraph::StopWithin(DWORD timeoutMs) {
    if (!control_) return E_UNEXPECTED;
    HRESULT hr = StopGraphWithin(control_.Get(), timeoutMs);
    if (hr == HRESULT_FROM_WIN32(ERROR_TIMEOUT)) stopHung_ = true;
    return hr;
}

HRESULT CPlaybackGraph::SeekToStart() {
    if (!graph_) return E_UNEXPECTED;
    ComPtr<IMediaSeeking> seeking;
    HRESULT hr = graph_.As(&seeking);
    if (FAILED(hr)) return hr;
    LONGLONG start = 0;
    return seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT CPlaybackGraph::Duration(LONGLONG* duration) {
    if (!graph_) return E_UNEXPECTED;
    ComPtr<IMediaSeeking> seeking;
    HRESULT hr = graph_.As(&seeking);
    if (FAILED(hr)) return hr;
    return seeking->GetDuration(duration);
}

void CPlaybackGraph::Release() {
    if (stopHung_) {
        // A stop that never returned still uses the graph: leave every reference to it.
        for (IUnknown* held : {static_cast<IUnknown*>(sourceVideo_.Detach()), static_cast<IUnknown*>(sourceAudio_.Detach()),
                               static_cast<IUnknown*>(grabberInput_.Detach()), static_cast<IUnknown*>(source_.Detach()),
                               static_cast<IUnknown*>(splitter_.Detach()), static_cast<IUnknown*>(grabber_.Detach()),
                               static_cast<IUnknown*>(upstreamFilter_.Detach()),
                               static_cast<IUnknown*>(videoRenderer_.Detach()), static_cast<IUnknown*>(audioRenderer_.Detach()),
                               static_cast<IUnknown*>(events_.Detach()), static_cast<IUnknown*>(control_.Detach()),
                               static_cast<IUnknown*>(graph_.Detach())})
            (void)held;
        return;
    }
    if (control_) control_->Stop();
    sourceVideo_.Reset();
    sourceAudio_.Reset();
    grabberInput_.Reset();
    source_.Reset();
    splitter_.Reset();
    grabber_.Reset();
    upstreamFilter_.Reset();
    videoRenderer_.Reset();
    audioRenderer_.Reset();
    events_.Reset();
    control_.Reset();
    graph_.Reset();
}
