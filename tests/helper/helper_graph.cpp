#include "tests/helper/helper_graph.h"

#include "tests/helper/media_type_builders.h"
#include "tests/support/wide_text.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);

namespace {

IBaseFilter* CreateHelperFilter() {
    IClassFactory* factory = nullptr;
    if (FAILED(DllGetClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    IBaseFilter* filter = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)))) filter = nullptr;
    factory->Release();
    return filter;
}

HRESULT PinType(IPin* pin, COwnedMediaType* type) {
    if (pin == nullptr) return E_POINTER;
    AM_MEDIA_TYPE connected{};
    HRESULT hr = pin->ConnectionMediaType(&connected);
    if (FAILED(hr)) return hr;
    hr = type->Assign(connected);
    ReleaseMediaTypeContents(&connected);
    return hr;
}

}  // namespace

HelperGraph::HelperGraph() : upstream(UpstreamTestFilter::Create()), downstream(DownstreamTestFilter::Create()) {
    helper = CreateHelperFilter();
    if (helper == nullptr) return;
    // The factory hands out the filter's IBaseFilter view.
    dravik = static_cast<CDravik*>(helper);
    if (FAILED(helper->QueryInterface(IID_IGeneralProperties, reinterpret_cast<void**>(&properties)))) return;
    if (FAILED(PlatformCreateFilterGraph(&graph))) return;
    complete_ = SUCCEEDED(graph->AddFilter(upstream->Interface(), L"upstream")) &&
                SUCCEEDED(graph->AddFilter(helper, L"helper")) &&
                SUCCEEDED(graph->AddFilter(downstream->Interface(), L"downstream"));
}

HelperGraph::~HelperGraph() {
    // The graph stops, disconnects and lets go of every filter.
    if (graph != nullptr) graph->Release();
    if (properties != nullptr) properties->Release();
    if (helper != nullptr) helper->Release();
    upstream->Release();
    downstream->Release();
}

HRESULT HelperGraph::ConnectInput() { return graph->ConnectDirect(upstream->Pin(), HelperIn(), nullptr); }

HRESULT HelperGraph::ConnectOutput() { return graph->ConnectDirect(HelperOut(), downstream->Pin(), nullptr); }

HRESULT HelperGraph::RunVideoOver(IMemAllocator* allocator, COwnedMediaType* video) {
    MakeVideo(video, MEDIASUBTYPE_YUY2, 32, 8);
    upstream->Offer(*video);
    downstream->Pin()->offeredAllocator = allocator;
    HRESULT hr = ConnectInput();
    if (SUCCEEDED(hr)) hr = ConnectOutput();
    if (SUCCEEDED(hr)) hr = graph->Run();
    return hr;
}

IPin* HelperGraph::HelperIn() { return static_cast<IPin*>(dravik->PinAt(0)); }

IPin* HelperGraph::HelperOut() { return static_cast<IPin*>(dravik->PinAt(1)); }

HRESULT HelperGraph::InputType(COwnedMediaType* type) { return PinType(HelperIn(), type); }

HRESULT HelperGraph::OutputType(COwnedMediaType* type) { return PinType(HelperOut(), type); }

HRESULT HelperGraph::SetI8(const GUID& key, LONGLONG value) {
    VARIANT variant{};
    variant.vt = VT_I8;
    variant.llVal = value;
    return properties->SetValue(&key, &variant);
}

HRESULT HelperGraph::SetUI2(const GUID& key, USHORT value) {
    VARIANT variant{};
    variant.vt = VT_UI2;
    variant.uiVal = value;
    return properties->SetValue(&key, &variant);
}

HRESULT HelperGraph::SetBool(const GUID& key, bool value) {
    VARIANT variant{};
    variant.vt = VT_BOOL;
    variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return properties->SetValue(&key, &variant);
}

HRESULT HelperGraph::SetString(const GUID& key, const std::string& text) {
    std::vector<WCHAR> wide = Widen(text);
    VARIANT variant{};
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocString(wide.data());
    if (variant.bstrVal == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = properties->SetValue(&key, &variant);
    SysFreeString(variant.bstrVal);
    return hr;
}

HRESULT HelperGraph::GetI8(const GUID& key, LONGLONG* value) {
    VARIANT variant{};
    const HRESULT hr = properties->GetValue(&key, &variant);
    if (SUCCEEDED(hr)) *value = variant.vt == VT_I8 ? variant.llVal : -1;
    return hr;
}
