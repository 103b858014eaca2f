// A host of the DLL's bitness using the public header as a host developer
// does: __uuidof, IID_PPV_ARGS and a COM smart pointer on the registered
// filters; batches whose PropertyEntry layout the DLL must share with the
// host; and the 64-bit byte counter read whole while a stream runs past 4 GiB.
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>

#include <dravik/dravik.h>

#include "tests/wine/check_report.h"
#include "tests/wine/regsvr32_process.h"

using Microsoft::WRL::ComPtr;

namespace {

// qedit.h declares no class for it; strmiids defines it.
EXTERN_C const CLSID CLSID_NullRenderer;

const bool kIs64Bit = sizeof(void*) == 8;
const size_t kEntrySize = kIs64Bit ? 64 : 48;
const size_t kValueOffset = kIs64Bit ? 40 : 32;
const BYTE kUntouched = 0xa5;
const LONGLONG kFourGiB = 0x100000000LL;
const DWORD kStreamTimeoutMs = 180000;

// The batch as raw bytes, the way the DLL sees the host's array.
struct CRawBatch {
    static const ULONG kCount = 3;
    alignas(8) BYTE bytes[kCount * 64];

    explicit CRawBatch(const GUID* const keys[kCount]) {
        memset(bytes, kUntouched, sizeof bytes);
        for (ULONG i = 0; i < kCount; ++i) memcpy(bytes + i * kEntrySize, keys[i], sizeof(GUID));
    }
    PropertyEntry* Entries() { return reinterpret_cast<PropertyEntry*>(bytes); }
    VARIANT& ValueAt(ULONG i) { return *reinterpret_cast<VARIANT*>(bytes + i * kEntrySize + kValueOffset); }
    // The parameter fields still hold the fill: nothing was written over them.
    bool ParametersUntouched() const {
        for (ULONG i = 0; i < kCount; ++i) {
            for (size_t at = 16; at < kValueOffset; ++at) {
                if (bytes[i * kEntrySize + at] != kUntouched) return false;
            }
        }
        return true;
    }
};

void CheckUuids(CCheckReport& report) {
    report.Check(__uuidof(IGeneralProperties) == IID_IGeneralProperties, "__uuidof(IGeneralProperties) is IID_IGeneralProperties");
    report.Check(__uuidof(ISamplePlanes) == IID_ISamplePlanes, "__uuidof(ISamplePlanes) is IID_ISamplePlanes");
    report.Check(sizeof(PropertyEntry) == kEntrySize && offsetof(PropertyEntry, parameter) == 16 &&
                     offsetof(PropertyEntry, value) == kValueOffset,
                 kIs64Bit ? "PropertyEntry is 64 bytes with its fields at 0, 16 and 40"
                          : "PropertyEntry is 48 bytes with its fields at 0, 16 and 32");
}

// GetValues and SetValues write and read the values where the host's layout has them.
void CheckBatches(CCheckReport& report, IGeneralProperties* properties) {
    const GUID* const readKeys[CRawBatch::kCount] = {&GENPROP_Overlay, &GENPROP_FilterClsid, &GENPROP_BytesReceived};
    CRawBatch read(readKeys);
    report.CheckResult(properties->GetValues(CRawBatch::kCount, read.Entries()), S_OK, "GetValues of three readable keys");
    report.Check(read.ValueAt(0).vt == VT_BOOL && read.ValueAt(0).boolVal == VARIANT_TRUE,
                 "the first entry's value is the overlay switch, on");
    CLSID clsid = GUID_NULL;
    report.Check(read.ValueAt(1).vt == VT_BSTR && SUCCEEDED(CLSIDFromString(read.ValueAt(1).bstrVal, &clsid)) &&
                     clsid == CLSID_DravikHelper,
                 "the second entry's value is the filter's CLSID");
    report.Check(read.ValueAt(2).vt == VT_I8 && read.ValueAt(2).llVal == 0, "the third entry's value is the byte count, 0");
    report.Check(read.ParametersUntouched(), "the parameters between the keys and the values are left as they were");
    if (read.ValueAt(1).vt == VT_BSTR) SysFreeString(read.ValueAt(1).bstrVal);

    const GUID* const writeKeys[CRawBatch::kCount] = {&GENPROP_OutputAvgTimePerFrame, &GENPROP_LastStartTime, &GENPROP_Overlay};
    CRawBatch write(writeKeys);
    write.ValueAt(0).vt = VT_I8;
    write.ValueAt(0).llVal = 400000;
    write.ValueAt(2).vt = VT_BOOL;
    write.ValueAt(2).boolVal = VARIANT_FALSE;
    report.CheckResult(properties->SetValues(CRawBatch::kCount, write.Entries()), S_FALSE,
                       "SetValues with a read-only key among two writable ones is S_FALSE");
    VARIANT overlay;
    VariantInit(&overlay);
    report.Check(SUCCEEDED(properties->GetValue(&GENPROP_Overlay, &overlay)) && overlay.vt == VT_BOOL &&
                     overlay.boolVal == VARIANT_FALSE,
                 "the third entry of SetValues switched the overlay off");
}

// Dummy source -> helper -> null renderer, unclocked so that it runs flat out.
struct CStreamGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> source, helper, renderer;

    HRESULT Build() {
        HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
        ComPtr<IMediaFilter> clock;
        if (SUCCEEDED(hr)) hr = graph.As(&control);
        if (SUCCEEDED(hr)) hr = graph.As(&clock);
        if (SUCCEEDED(hr)) hr = clock->SetSyncSource(nullptr);
        if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_DravikDummySource, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&source));
        if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_DravikHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&helper));
        if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer));
        if (SUCCEEDED(hr)) hr = graph->AddFilter(source.Get(), L"Dummy source");
        if (SUCCEEDED(hr)) hr = graph->AddFilter(helper.Get(), L"Helper");
        if (SUCCEEDED(hr)) hr = graph->AddFilter(renderer.Get(), L"Renderer");
        if (SUCCEEDED(hr)) hr = Connect(source.Get(), helper.Get());
        if (SUCCEEDED(hr)) hr = Connect(helper.Get(), renderer.Get());
        return hr;
    }

    // The first output pin of `from` straight to the first input pin of `to`.
    HRESULT Connect(IBaseFilter* from, IBaseFilter* to) {
        ComPtr<IPin> out, in;
        HRESULT hr = FirstPin(from, PINDIR_OUTPUT, &out);
        if (SUCCEEDED(hr)) hr = FirstPin(to, PINDIR_INPUT, &in);
        if (SUCCEEDED(hr)) hr = graph->ConnectDirect(out.Get(), in.Get(), nullptr);
        return hr;
    }

    static HRESULT FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** found) {
        ComPtr<IEnumPins> pins;
        HRESULT hr = filter->EnumPins(&pins);
        if (FAILED(hr)) return hr;
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            PIN_DIRECTION actual;
            if (SUCCEEDED(pin->QueryDirection(&actual)) && actual == direction) return pin.CopyTo(found);
        }
        return VFW_E_NOT_FOUND;
    }
};

// Reads the byte count over and over while the stream runs: every read is a
// whole number of samples and none is smaller than the one before, also
// where the count's upper half changes at 4 GiB.
void CheckCounterReadWhole(CCheckReport& report, IGeneralProperties* properties, IBaseFilter* helper, IMediaControl* control) {
    ComPtr<IPin> input;
    AM_MEDIA_TYPE type = {};
    LONGLONG sampleBytes = 0;
    if (SUCCEEDED(CStreamGraph::FirstPin(helper, PINDIR_INPUT, &input)) && SUCCEEDED(input->ConnectionMediaType(&type))) {
        sampleBytes = type.lSampleSize;
        CoTaskMemFree(type.pbFormat);
        if (type.pUnk != nullptr) type.pUnk->Release();
    }
    if (!report.Check(sampleBytes > 0, "the helper's input has a fixed sample size")) return;

    // S_FALSE: running, with filters still on their way there.
    if (!report.Check(SUCCEEDED(control->Run()), "the graph runs")) return;
    LONGLONG previous = 0, reads = 0, torn = 0, crossed = 0;
    const DWORD start = GetTickCount();
    while (previous < kFourGiB + 4 * sampleBytes && GetTickCount() - start < kStreamTimeoutMs) {
        VARIANT value;
        VariantInit(&value);
        if (FAILED(properties->GetValue(&GENPROP_BytesReceived, &value)) || value.vt != VT_I8) {
            ++torn;
            break;
        }
        ++reads;
        if (value.llVal < previous || value.llVal % sampleBytes != 0) {
            if (torn++ == 0) std::printf("  read %lld after %lld\n", value.llVal, previous);
        }
        if (previous < kFourGiB && value.llVal >= kFourGiB) crossed = reads;
        previous = value.llVal;
    }
    std::printf("  %lld reads in %lu ms, last %lld bytes, 4 GiB passed at read %lld\n", reads,
                static_cast<unsigned long>(GetTickCount() - start), previous, crossed);
    report.Check(crossed > 0, "the byte count passes 4 GiB while the stream runs");
    report.Check(torn == 0, "every read of the byte count is whole: whole samples, never less than before");
    report.CheckResult(control->Stop(), S_OK, "the graph stops");
}

}  // namespace

int main() {
    CCheckReport report;
    CheckUuids(report);

    const std::wstring quoted = L"\"" + DravikPathBesideProgram() + L"\"";
    bool sameBitness = false;
    if (!report.Check(RunRegsvr32(quoted, &sameBitness) == 0, "regsvr32 Dravik.dll succeeds")) return report.Finish();

    if (report.CheckResult(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK, "CoInitializeEx")) {
        CStreamGraph stream;
        ComPtr<IGeneralProperties> properties;
        if (report.CheckResult(stream.Build(), S_OK, "dummy source -> helper -> null renderer, through IID_PPV_ARGS") &&
            report.CheckResult(stream.helper.As(&properties), S_OK, "ComPtr::As gives the helper's IGeneralProperties")) {
            CheckBatches(report, properties.Get());
            CheckCounterReadWhole(report, properties.Get(), stream.helper.Get(), stream.control.Get());
        }
        properties.Reset();
        stream = CStreamGraph();
        CoUninitialize();
    }
    report.Check(RunRegsvr32(L"/u " + quoted, &sameBitness) == 0, "regsvr32 /u Dravik.dll succeeds");
    return report.Finish();
}
