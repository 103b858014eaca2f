#include "tests/wine/stress/stress_graph.h"

#include <qedit.h>

#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/stress/stream_log_tap.h"

CStressGraph::~CStressGraph() {
    if (control_) Stop();
    CWatchedCall watched(watchdog_, "releasing the graph");
    audioRenderer_.Reset();
    audioHelper_.Reset();
    videoRenderer_.Reset();
    grabber_.Reset();
    tap_.Reset();
    videoHelper_.Reset();
    splitter_.Reset();
    source_.Reset();
    seeking_.Reset();
    events_.Reset();
    control_.Reset();
    graph_.Reset();
}

HRESULT CStressGraph::AddFilter(const CLSID& clsid, const WCHAR* name, ComPtr<IBaseFilter>& filter) {
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    return graph_->AddFilter(filter.Get(), name);
}

HRESULT CStressGraph::Connect(IBaseFilter* from, const GUID* majorType, IBaseFilter* to) {
    ComPtr<IPin> output, input;
    HRESULT hr = FindPin(from, PINDIR_OUTPUT, majorType, &output);
    if (SUCCEEDED(hr)) hr = FindPin(to, PINDIR_INPUT, nullptr, &input);
    if (SUCCEEDED(hr)) hr = graph_->ConnectDirect(output.Get(), input.Get(), nullptr);
    return hr;
}

HRESULT CStressGraph::Build(const WCHAR* clipPath, const GUID& videoSubtype, Audio audio, CStreamLog* log) {
    CWatchedCall watched(watchdog_, "building the graph");
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(graph_.GetAddressOf()));
    if (SUCCEEDED(hr)) hr = graph_.As(&control_);
    // mingw's headers give IMediaEvent no __uuidof.
    if (SUCCEEDED(hr)) hr = graph_->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(events_.GetAddressOf()));
    if (SUCCEEDED(hr)) hr = graph_.As(&seeking_);
    if (FAILED(hr)) return hr;
    // No clock: the renderers take every frame at once. This runtime's system
    // clock now and then hangs in its release, with or without the helper.
    ComPtr<IMediaFilter> timing;
    if (FAILED(hr = graph_.As(&timing))) return hr;
    if (FAILED(hr = timing->SetSyncSource(nullptr))) return hr;

    if (FAILED(hr = AddFilter(CLSID_AsyncReader, L"Source", source_))) return hr;
    ComPtr<IFileSourceFilter> file;
    if (FAILED(hr = source_.As(&file))) return hr;
    if (FAILED(hr = file->Load(clipPath, nullptr))) return hr;
    if (FAILED(hr = AddFilter(CLSID_AviSplitter, L"Splitter", splitter_))) return hr;
    if (FAILED(hr = Connect(source_.Get(), nullptr, splitter_.Get()))) return hr;

    if (FAILED(hr = CreateHelper(&videoHelper_))) return hr;
    if (FAILED(hr = graph_->AddFilter(videoHelper_.Get(), L"Video helper"))) return hr;
    if (FAILED(hr = CStreamLogTap::Create(log, &tap_))) return hr;
    if (FAILED(hr = graph_->AddFilter(tap_.Get(), L"Log tap"))) return hr;
    if (FAILED(hr = AddFilter(CLSID_SampleGrabber, L"Grabber", grabber_))) return hr;
    ComPtr<ISampleGrabber> grabber;
    if (FAILED(hr = grabber_.As(&grabber))) return hr;
    AM_MEDIA_TYPE accepted = {};
    accepted.majortype = MEDIATYPE_Video;
    accepted.subtype = videoSubtype;
    if (FAILED(hr = grabber->SetMediaType(&accepted))) return hr;
    if (FAILED(hr = grabber->SetBufferSamples(FALSE))) return hr;
    if (FAILED(hr = grabber->SetCallback(log, 0))) return hr;
    if (FAILED(hr = AddFilter(CLSID_NullRenderer, L"Video renderer", videoRenderer_))) return hr;
    if (FAILED(hr = Connect(splitter_.Get(), &MEDIATYPE_Video, tap_.Get()))) return hr;
    if (FAILED(hr = Connect(tap_.Get(), nullptr, videoHelper_.Get()))) return hr;
    if (FAILED(hr = Connect(videoHelper_.Get(), nullptr, grabber_.Get()))) return hr;
    if (FAILED(hr = Connect(grabber_.Get(), nullptr, videoRenderer_.Get()))) return hr;

    if (audio == Audio::None) return S_OK;
    if (FAILED(hr = AddFilter(CLSID_NullRenderer, L"Audio renderer", audioRenderer_))) return hr;
    if (audio == Audio::Plain) return Connect(splitter_.Get(), &MEDIATYPE_Audio, audioRenderer_.Get());
    if (FAILED(hr = CreateHelper(&audioHelper_))) return hr;
    if (FAILED(hr = graph_->AddFilter(audioHelper_.Get(), L"Audio helper"))) return hr;
    if (FAILED(hr = Connect(splitter_.Get(), &MEDIATYPE_Audio, audioHelper_.Get()))) return hr;
    return Connect(audioHelper_.Get(), nullptr, audioRenderer_.Get());
}

HRESULT CStressGraph::Run() {
    CWatchedCall watched(watchdog_, "IMediaControl::Run");
    return control_->Run();
}

HRESULT CStressGraph::Pause() {
    CWatchedCall watched(watchdog_, "IMediaControl::Pause");
    return control_->Pause();
}

HRESULT CStressGraph::Stop() {
    CWatchedCall watched(watchdog_, "IMediaControl::Stop");
    return control_->Stop();
}

HRESULT CStressGraph::WaitForState(DWORD timeoutMs) {
    CWatchedCall watched(watchdog_, "IMediaControl::GetState");
    OAFilterState state = State_Stopped;
    return control_->GetState(static_cast<LONG>(timeoutMs), &state);
}

HRESULT CStressGraph::WaitForCompletion(DWORD timeoutMs) {
    CWatchedCall watched(watchdog_, "IMediaEvent::WaitForCompletion");
    long code = 0;
    const HRESULT hr = events_->WaitForCompletion(static_cast<long>(timeoutMs), &code);
    if (FAILED(hr)) return hr;
    return code == EC_COMPLETE ? S_OK : E_FAIL;
}

HRESULT CStressGraph::SeekToStart() {
    CWatchedCall watched(watchdog_, "IMediaSeeking::SetPositions");
    LONGLONG start = 0;
    return seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}
