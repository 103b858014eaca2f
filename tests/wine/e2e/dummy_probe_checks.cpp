#include "tests/wine/e2e/dummy_probe_checks.h"

#include "tests/wine/e2e/check_text.h"
#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/e2e/sample_recorder.h"

#include <qedit.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr ULONG kDummyTypeCount = 14;
constexpr size_t kSamplesWanted = 3;
constexpr DWORD kSamplesTimeoutMs = 10000;
constexpr DWORD kStopTimeoutMs = 10000;

// "YV12 VIDEOINFOHEADER2", "RGB24 VIDEOINFOHEADER", ...
std::string TypeName(const AM_MEDIA_TYPE& type) {
    std::string name;
    if (IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24)) name = "RGB24";
    else if (IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB32)) name = "RGB32";
    else
        for (int i = 0; i < 4; ++i) name.push_back(static_cast<char>((type.subtype.Data1 >> (8 * i)) & 0xFF));
    return name + (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) ? " VIDEOINFOHEADER2" : " VIDEOINFOHEADER");
}

// The dummy source's offered types, in order.
HRESULT OfferedTypes(IBaseFilter* source, std::vector<AM_MEDIA_TYPE*>* types) {
    ComPtr<IPin> out;
    HRESULT hr = FindPin(source, PINDIR_OUTPUT, nullptr, &out);
    if (FAILED(hr)) return hr;
    ComPtr<IEnumMediaTypes> enumerator;
    if (FAILED(hr = out->EnumMediaTypes(&enumerator))) return hr;
    AM_MEDIA_TYPE* type = nullptr;
    while (enumerator->Next(1, &type, nullptr) == S_OK) types->push_back(type);
    return S_OK;
}

void DeleteTypes(std::vector<AM_MEDIA_TYPE*>& types) {
    for (AM_MEDIA_TYPE* type : types) {
        FreeMediaTypeContents(*type);
        CoTaskMemFree(type);
    }
    types.clear();
}

// One type: build, run until samples arrive, stop. False when a stop hung and
// the process can no longer release its graph.
bool ProbeType(CCheckReport& report, const AM_MEDIA_TYPE& type, const std::string& label, bool throughHelper) {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> source, helper, grabber, renderer;
    ComPtr<IPin> sourceOut, grabberIn, grabberOut, rendererIn;
    ComPtr<ISampleGrabber> grabberSettings;
    ComPtr<CSampleRecorder> recorder;
    recorder.Attach(new CSampleRecorder(false));

    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (SUCCEEDED(hr)) hr = graph.As(&control);
    if (SUCCEEDED(hr)) hr = CreateDummySource(&source);
    if (SUCCEEDED(hr) && throughHelper) hr = CreateHelper(&helper);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&grabber));
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer));
    if (SUCCEEDED(hr)) hr = graph->AddFilter(source.Get(), L"Dummy source");
    if (SUCCEEDED(hr) && throughHelper) hr = graph->AddFilter(helper.Get(), L"Helper");
    if (SUCCEEDED(hr)) hr = graph->AddFilter(grabber.Get(), L"Grabber");
    if (SUCCEEDED(hr)) hr = graph->AddFilter(renderer.Get(), L"Renderer");
    if (SUCCEEDED(hr)) hr = grabber.As(&grabberSettings);
    if (SUCCEEDED(hr)) hr = grabberSettings->SetMediaType(&type);
    if (SUCCEEDED(hr)) hr = grabberSettings->SetCallback(recorder.Get(), 0);
    if (!report.CheckResult(hr, S_OK, Text("%s: the graph's filters are made", label.c_str()).c_str())) return true;

    hr = FindPin(source.Get(), PINDIR_OUTPUT, nullptr, &sourceOut);
    if (SUCCEEDED(hr)) hr = FindPin(grabber.Get(), PINDIR_INPUT, nullptr, &grabberIn);
    if (SUCCEEDED(hr)) hr = FindPin(grabber.Get(), PINDIR_OUTPUT, nullptr, &grabberOut);
    if (SUCCEEDED(hr)) hr = FindPin(renderer.Get(), PINDIR_INPUT, nullptr, &rendererIn);
    if (SUCCEEDED(hr))
        hr = throughHelper ? ConnectThrough(graph.Get(), sourceOut.Get(), helper.Get(), grabberIn.Get(), &type)
                           : graph->ConnectDirect(sourceOut.Get(), grabberIn.Get(), &type);
    if (SUCCEEDED(hr)) hr = graph->ConnectDirect(grabberOut.Get(), rendererIn.Get(), nullptr);
    if (!report.CheckResult(hr, S_OK, Text("%s: connects", label.c_str()).c_str())) return true;

    hr = control->Run();
    report.Check(SUCCEEDED(hr), Text("%s: runs (0x%08lx)", label.c_str(), static_cast<unsigned long>(hr)).c_str());
    const bool streamed = recorder->WaitForCount(kSamplesWanted, kSamplesTimeoutMs);
    report.Check(streamed, Text("%s: samples stream to the grabber (%zu)", label.c_str(), recorder->Count()).c_str());
    hr = StopGraphWithin(control.Get(), kStopTimeoutMs);
    report.CheckResult(hr, S_OK, Text("%s: stop returns within %lu ms", label.c_str(), kStopTimeoutMs).c_str());
    if (hr == HRESULT_FROM_WIN32(ERROR_TIMEOUT)) {
        // The stopping thread still uses the graph: leave every reference to it.
        for (IUnknown* held : {static_cast<IUnknown*>(graph.Detach()), static_cast<IUnknown*>(control.Detach()),
                               static_cast<IUnknown*>(source.Detach()), static_cast<IUnknown*>(helper.Detach()),
                               static_cast<IUnknown*>(grabber.Detach()), static_cast<IUnknown*>(renderer.Detach()),
                               static_cast<IUnknown*>(recorder.Detach())})
            (void)held;
        return false;
    }
    const size_t atStop = recorder->Count();
    Sleep(200);
    report.Check(recorder->Count() == atStop, Text("%s: no sample arrives after the stop", label.c_str()).c_str());
    return true;
}

}  // namespace

bool CheckDummySourceProbe(CCheckReport& report, bool throughHelper) {
    ComPtr<IBaseFilter> source;
    HRESULT hr = CreateDummySource(&source);
    if (!report.CheckResult(hr, S_OK, "the dummy source is created")) return true;
    std::vector<AM_MEDIA_TYPE*> types;
    hr = OfferedTypes(source.Get(), &types);
    source.Reset();
    report.Check(SUCCEEDED(hr) && types.size() == kDummyTypeCount,
                 Text("the dummy source offers %lu types (0x%08lx, %zu)", kDummyTypeCount, static_cast<unsigned long>(hr),
                      types.size()).c_str());
    bool stopsReturned = true;
    for (size_t i = 0; i < types.size() && stopsReturned; ++i) {
        const std::string label = Text("dummy type %zu (%s) -> %sgrabber", i, TypeName(*types[i]).c_str(),
                                       throughHelper ? "helper -> " : "");
        stopsReturned = ProbeType(report, *types[i], label, throughHelper);
    }
    DeleteTypes(types);
    return stopsReturned;
}
