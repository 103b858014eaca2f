// The helper's media-type rules on any type, short and absent format blocks
// included, and the pins' answers about types in the small graph: the
// connection, QueryAccept on both pins, and the types the output offers,
// each of which must be the upstream type rewritten.
#include <stdint.h>

#include <platform_live_objects.h>

#include <memory>
#include <vector>

#include "framework/format_blocks.h"
#include "framework/media_type.h"
#include "fuzz/finding.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_media_type.h"
#include "helper/media_type_rules.h"
#include "module/module_state.h"
#include "tests/helper/helper_graph.h"

namespace {

// rcSource and rcTarget of either video header; false for other types.
bool VideoRectangles(const AM_MEDIA_TYPE& type, RECT* source, RECT* target) {
    if (const VIDEOINFOHEADER* video = VideoInfoOf(type)) {
        *source = video->rcSource;
        *target = video->rcTarget;
        return true;
    }
    if (const VIDEOINFOHEADER2* video = VideoInfo2Of(type)) {
        *source = video->rcSource;
        *target = video->rcTarget;
        return true;
    }
    return false;
}

void Rules(FuzzInput& input) {
    FuzzMediaType fuzzed(input);
    AM_MEDIA_TYPE* type = fuzzed.Get();
    const GUID required = input.Flag() ? GUID_NULL : input.Flag() ? type->subtype : input.Raw<GUID>();
    const HRESULT checked = CheckInputFormat(*type, required);
    if (checked != S_OK && checked != E_FAIL) Finding("CheckInputFormat answered other than S_OK or E_FAIL");
    WORD depth = input.Flag() ? 0 : input.Raw<WORD>();
    IsPcmAudioType(*type, &depth);
    IsPackingSubtype(type->subtype);
    IsRelabelSubtype(type->subtype);

    OutputTypeOverrides overrides;
    overrides.frameTime = input.Flag() ? 0 : input.Raw<int64_t>();
    overrides.interlaceFlags = input.Raw<DWORD>();
    overrides.interlaceFlagsSet = input.Flag();
    const AM_MEDIA_TYPE before = *type;
    RECT source{}, target{};
    const bool video = VideoRectangles(*type, &source, &target);
    RewriteOutputType(type, overrides, input.Flag());
    // Only the subtype and fields inside the block may change.
    if (type->majortype != before.majortype || type->formattype != before.formattype ||
        type->cbFormat != before.cbFormat || type->pbFormat != before.pbFormat) {
        Finding("the rewrite changed more than the subtype and the block's fields");
    }
    // An edge the rewrite completes is an extent: never negative.
    RECT newSource{}, newTarget{};
    if (video && VideoRectangles(*type, &newSource, &newTarget) &&
        ((source.right == 0 && newSource.right < 0) || (source.bottom == 0 && newSource.bottom < 0) ||
         (target.right == 0 && newTarget.right < 0) || (target.bottom == 0 && newTarget.bottom < 0))) {
        Finding("a completed rectangle edge is negative");
    }
}

HRESULT SetSubtype(HelperGraph& g, const GUID& subtype) {
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(subtype, &text))) return E_FAIL;
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    CoTaskMemFree(text);
    const HRESULT hr = g.properties->SetValue(&GENPROP_InputSubtype, &value);
    SysFreeString(value.bstrVal);
    return hr;
}

// Every type of the enumerator, freed; at most a few.
std::vector<std::unique_ptr<COwnedMediaType>> Enumerated(IPin* pin) {
    std::vector<std::unique_ptr<COwnedMediaType>> types;
    IEnumMediaTypes* enumerator = nullptr;
    if (FAILED(pin->EnumMediaTypes(&enumerator)) || enumerator == nullptr) return types;
    for (int position = 0; position < 8; ++position) {
        AM_MEDIA_TYPE* next = nullptr;
        ULONG fetched = 0;
        if (enumerator->Next(1, &next, &fetched) != S_OK || next == nullptr) break;
        types.emplace_back(new COwnedMediaType());
        const HRESULT copied = types.back()->Assign(*next);
        DeleteTaskMediaType(next);
        if (FAILED(copied)) Finding("an enumerated type could not be copied");
    }
    enumerator->Release();
    return types;
}

void Pins(FuzzInput& input) {
    HelperGraph g;
    if (!g.IsComplete()) Finding("the small graph could not be built");
    if (input.Flag()) SetSubtype(g, input.Flag() ? MEDIASUBTYPE_PCM : input.Raw<GUID>());
    if (input.Flag()) g.SetI8(GENPROP_OutputAvgTimePerFrame, input.Raw<int64_t>());
    if (input.Flag()) g.SetUI2(GENPROP_OutputInterlaceFlags, input.Raw<USHORT>());
    const size_t offered = 1 + input.Pick(3);
    for (size_t i = 0; i < offered; ++i) {
        FuzzMediaType type(input);
        g.upstream->Offer(*type.Get());
    }
    if (input.Flag()) {
        const GUID accepted = g.upstream->Offered().empty() ? GUID_NULL : g.upstream->Offered()[0]->subtype;
        g.downstream->Pin()->accept = [accepted](const AM_MEDIA_TYPE* type) {
            return type->subtype == accepted ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
        };
    }
    if (SUCCEEDED(g.ConnectInput())) g.ConnectOutput();

    for (size_t queries = input.Pick(4); queries > 0; --queries) {
        FuzzMediaType type(input);
        g.HelperIn()->QueryAccept(type.Get());
        g.HelperOut()->QueryAccept(type.Get());
    }
    // What the output offers is upstream's list, each rewritten.
    const auto offers = Enumerated(g.HelperOut());
    const auto& upstreamTypes = g.upstream->Offered();
    if (offers.size() > upstreamTypes.size()) Finding("the output offers more types than upstream has");
    for (size_t i = 0; i < offers.size(); ++i) {
        COwnedMediaType expected;
        if (FAILED(expected.Assign(*upstreamTypes[i]))) Finding("an offered type could not be copied");
        g.dravik->RewriteOutputType(&expected);
        if (expected != *offers[i]) Finding("an offered type is not upstream's type rewritten");
    }
    Enumerated(g.HelperIn());
    COwnedMediaType connection;
    g.InputType(&connection);
    g.OutputType(&connection);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LONG objects = LiveObjectCount;
    const LONG platformObjects = PlatformLiveObjectCount();
    FuzzInput input(data, size);
    Rules(input);
    Pins(input);
    if (LiveObjectCount != objects || PlatformLiveObjectCount() != platformObjects) Finding("objects left alive");
    return 0;
}
