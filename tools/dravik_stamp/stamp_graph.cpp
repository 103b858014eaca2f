#include "tools/dravik_stamp/stamp_graph.h"

#include "tools/dravik_stamp/hresult_text.h"

namespace {

std::string Describe(const char* what, HRESULT hr) { return std::string(what) + " (" + HresultText(hr) + ")"; }

// The filter's first pin of the direction, with one reference, or null.
IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) return nullptr;
    IPin* found = nullptr;
    IPin* pin = nullptr;
    while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) {
            found = pin;
        } else {
            pin->Release();
        }
    }
    pins->Release();
    return found;
}

}  // namespace

StampGraph::~StampGraph() {
    if (control_ != nullptr) {
        control_->Stop();
        control_->Release();
    }
    if (graph_ != nullptr) {
        for (IBaseFilter* filter : filters_) {
            if (filter != nullptr) graph_->RemoveFilter(filter);
        }
        graph_->Release();
    }
}

HRESULT StampGraph::Build(IBaseFilter* source, IBaseFilter* helper, IBaseFilter* sink, std::string* error) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&graph_));
    if (FAILED(hr)) {
        *error = Describe("the filter graph cannot be created", hr);
        return hr;
    }
    hr = graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_));
    if (FAILED(hr)) {
        *error = Describe("the filter graph has no IMediaControl", hr);
        return hr;
    }
    const struct {
        IBaseFilter* filter;
        const WCHAR* name;
    } members[] = {{source, L"Clip source"}, {helper, L"Velmora Dravik Helper"}, {sink, L"Frame sink"}};
    for (int i = 0; i < 3; ++i) {
        hr = graph_->AddFilter(members[i].filter, members[i].name);
        if (FAILED(hr)) {
            *error = Describe("a filter cannot join the graph", hr);
            return hr;
        }
        filters_[i] = members[i].filter;
    }
    hr = Connect(source, helper, "the clip source does not connect to the helper filter", error);
    if (SUCCEEDED(hr)) hr = Connect(helper, sink, "the helper filter does not connect to the frame sink", error);
    return hr;
}

HRESULT StampGraph::Connect(IBaseFilter* upstream, IBaseFilter* downstream, const char* what, std::string* error) {
    IPin* output = FirstPin(upstream, PINDIR_OUTPUT);
    IPin* input = FirstPin(downstream, PINDIR_INPUT);
    HRESULT hr = output != nullptr && input != nullptr ? graph_->ConnectDirect(output, input, nullptr) : E_NOINTERFACE;
    if (output != nullptr) output->Release();
    if (input != nullptr) input->Release();
    if (FAILED(hr)) *error = Describe(what, hr);
    return hr;
}

HRESULT StampGraph::Run(std::string* error) {
    const HRESULT hr = control_->Run();
    if (FAILED(hr)) *error = Describe("the graph does not run", hr);
    return hr;
}

HRESULT StampGraph::Stop() { return control_->Stop(); }
