// IGeneralProperties on a helper filter made through the class factory, as a
// host gets it: any key, any vt, odd strings, batches. Returned strings are
// the caller's to free; nothing else may stay alive afterwards.
#include <stdint.h>

#include <platform_live_objects.h>

#include <vector>

#include "dravik/dravik.h"
#include "fuzz/finding.h"
#include "fuzz/fuzz_input.h"
#include "module/module_state.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);

namespace {

const GUID* const Keys[] = {&GENPROP_Overlay,           &GENPROP_InputSubtype,          &GENPROP_FirstFrameDuration,
                            &GENPROP_LastStartTime,     &GENPROP_InputInterlaceFlags,   &GENPROP_InputAvgTimePerFrame,
                            &GENPROP_BytesReceived,     &GENPROP_FilterClsid,           &GENPROP_OutputAvgTimePerFrame,
                            &GENPROP_OutputInterlaceFlags};
constexpr size_t KeyCount = sizeof Keys / sizeof Keys[0];

GUID PickKey(FuzzInput& input) {
    const size_t choice = input.Pick(KeyCount + 1);
    return choice < KeyCount ? *Keys[choice] : input.Raw<GUID>();
}

// A string a host might send: a GUID's text, one bent a little, or any text.
BSTR FuzzString(FuzzInput& input) {
    std::vector<OLECHAR> text;
    switch (input.Pick(4)) {
        case 0:
            return nullptr;
        case 1: {
            OLECHAR guid[40] = {};
            const int length = StringFromGUID2(input.Raw<GUID>(), guid, 40);
            text.assign(guid, guid + (length > 0 ? length - 1 : 0));
            // Bend one character: a wrong digit, a lost brace, an embedded zero.
            if (!text.empty() && input.Flag()) text[input.Pick(text.size())] = input.Raw<OLECHAR>();
            if (!text.empty() && input.Flag()) text.resize(input.Pick(text.size() + 1));
            break;
        }
        default:
            for (size_t length = input.Pick(64); length > 0; --length) text.push_back(input.Raw<OLECHAR>());
            break;
    }
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// A value to set: any vt; a string where the vt says there is one.
void FuzzValue(FuzzInput& input, VARIANT* value) {
    *value = VARIANT{};
    value->vt = input.Flag() ? static_cast<VARTYPE>(VT_BSTR) : input.Raw<VARTYPE>();
    if (value->vt == VT_BSTR) {
        value->bstrVal = FuzzString(input);
    } else {
        value->llVal = input.Raw<LONGLONG>();
    }
}

// Frees what a value holds after a call: strings only, as the interface hands out no other reference.
void FreeValue(VARIANT* value) {
    if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
    *value = VARIANT{};
}

void Exercise(FuzzInput& input, IGeneralProperties* properties) {
    for (int calls = 0; calls < 64 && !input.Empty(); ++calls) {
        const GUID key = PickKey(input);
        VARIANT value{};
        VARIANT parameter{};
        parameter.vt = VT_I4;
        parameter.lVal = input.Raw<LONG>();
        switch (input.Pick(6)) {
            case 0:
                properties->GetValue(&key, &value);
                break;
            case 1:
                properties->GetValueEx(&key, &value, input.Flag() ? &parameter : nullptr);
                break;
            case 2:
                FuzzValue(input, &value);
                properties->SetValue(&key, &value);
                break;
            case 3:
                FuzzValue(input, &value);
                properties->SetValueEx(&key, &value, input.Flag() ? &parameter : nullptr);
                break;
            default: {
                const bool get = input.Flag();
                std::vector<PropertyEntry> entries(input.Pick(6));
                for (PropertyEntry& entry : entries) {
                    entry.key = PickKey(input);
                    entry.parameter = VARIANT{};
                    entry.value = VARIANT{};
                    if (!get) FuzzValue(input, &entry.value);
                }
                const ULONG count = static_cast<ULONG>(entries.size());
                const HRESULT hr = get ? properties->GetValues(count, entries.data())
                                       : properties->SetValues(count, entries.data());
                if (hr != S_OK && hr != S_FALSE && hr != E_FAIL) Finding("a batch answered other than S_OK, S_FALSE or E_FAIL");
                if (count == 0 && hr != S_OK) Finding("an empty batch did not answer S_OK");
                for (PropertyEntry& entry : entries) FreeValue(&entry.value);
                break;
            }
        }
        FreeValue(&value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LONG objects = LiveObjectCount;
    const LONG platformObjects = PlatformLiveObjectCount();
    IClassFactory* factory = nullptr;
    if (FAILED(DllGetClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) Finding("no class factory");
    IGeneralProperties* properties = nullptr;
    const HRESULT created =
        factory->CreateInstance(nullptr, IID_IGeneralProperties, reinterpret_cast<void**>(&properties));
    factory->Release();
    if (FAILED(created) || properties == nullptr) Finding("the factory made no helper filter");
    FuzzInput input(data, size);
    Exercise(input, properties);
    properties->Release();
    if (LiveObjectCount != objects || PlatformLiveObjectCount() != platformObjects) Finding("objects left alive");
    return 0;
}
