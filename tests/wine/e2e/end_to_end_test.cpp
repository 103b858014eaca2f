// The module in the platform's own graph manager, next to its stock filters:
// uncompressed AVI clips of every video format played through File Source
// (Async.) -> AVI Splitter -> helper -> Sample Grabber -> Null Renderer (audio
// through a second helper; for the format the splitter does not deliver, the
// tests' own source in place of the first two), compressed audio announced
// in-band and a 16-byte audio header through the helper, the dummy source
// probing the grabber, and the module unloading once everything is released.
#include "module/module_state.h"
#include "tests/wine/check_report.h"
#include "tests/wine/e2e/audio_checks.h"
#include "tests/wine/e2e/check_text.h"
#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/e2e/dummy_probe_checks.h"
#include "tests/wine/e2e/logo_reference.h"
#include "tests/wine/e2e/module_registration.h"
#include "tests/wine/e2e/own_source_checks.h"
#include "tests/wine/e2e/playback_checks.h"

#include <strsafe.h>

#include <cstdio>
#include <cstring>

namespace {

// The reference blend reproduces the worked examples of the formulas, so the
// frame comparisons rest on a reference that is itself right.
void CheckReferenceBlend(CCheckReport& report) {
    struct Example {
        const char* what;
        YuvGroup before;
        YuvGroup after;
    };
    const Example examples[] = {
        {"black 4:2:2 pair under alpha 127", {2, {16, 16}, 128, 128, {127, 127}}, {2, {124, 124}, 128, 127, {127, 127}}},
        {"white 4:2:2 pair under alpha 127", {2, {235, 235}, 128, 128, {127, 127}}, {2, {234, 234}, 128, 127, {127, 127}}},
        {"4:2:2 pair of luma 126 under alphas 0 and 1", {2, {126, 126}, 128, 128, {0, 1}}, {2, {125, 126}, 128, 127, {0, 1}}},
        {"4:2:2 pair under alphas 0 and 0", {2, {126, 126}, 128, 128, {0, 0}}, {2, {126, 126}, 128, 128, {0, 0}}},
        {"black 4:2:0 group under alpha 127", {4, {16, 16, 16, 16}, 128, 128, {127, 127, 127, 127}},
         {4, {124, 124, 124, 124}, 128, 127, {127, 127, 127, 127}}},
        {"coloured 4:2:0 group, top row under alpha 127", {4, {81, 81, 81, 81}, 90, 240, {127, 127, 0, 0}},
         {4, {157, 157, 80, 80}, 99, 212, {127, 127, 0, 0}}},
    };
    for (const Example& example : examples) {
        const YuvGroup got = BlendYuvGroup(example.before);
        bool same = got.u == example.after.u && got.v == example.after.v;
        for (int k = 0; k < got.count; ++k) same = same && got.luma[k] == example.after.luma[k];
        report.Check(same, Text("reference blend: %s", example.what).c_str());
    }
    report.Check(BlendRgbByte(0, 127) == 126 && BlendRgbByte(255, 127) == 255 && BlendRgbByte(77, 0) == 77,
                 "reference blend: RGB bytes 0 and 255 under alpha 127, any byte under alpha 0");
}

// The file a format's clip is written to, in the temporary folder.
bool ClipPath(const TestVideoFormat& format, WCHAR (&path)[MAX_PATH]) {
    WCHAR folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return false;
    WCHAR name[16] = {};
    for (size_t i = 0; format.name[i] && i + 1 < 16; ++i) name[i] = static_cast<WCHAR>(format.name[i]);
    return SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%lsdravik_e2e_%ls.avi", folder, name));
}

// This runtime's AVI Splitter offers no video pin for NV12: the clip is played by the tests' own source.
bool PlayedByOwnSource(const TestVideoFormat& format) { return std::strcmp(format.name, "NV12") == 0; }

// Another subtype of the tested ones, for the restriction check.
const GUID& OtherSubtype(const TestVideoFormat& format) {
    const auto& formats = TestVideoFormats();
    return IsEqualGUID(formats[0].subtype, format.subtype) ? formats[1].subtype : formats[0].subtype;
}

void CheckFormat(CCheckReport& report, const TestVideoFormat& format, const CLogoReference& logo, HRESULT helperCreation) {
    const AviContent clip = MakeTestClip(format);
    const bool ownSource = PlayedByOwnSource(format);
    WCHAR path[MAX_PATH] = {};
    if (ownSource) {
        std::printf("  %s: played by the tests' own source in place of File Source (Async.) and AVI Splitter\n", format.name);
    } else {
        if (!report.Check(ClipPath(format, path), Text("%s: clip path in the temporary folder", format.name).c_str())) return;
        if (!report.CheckResult(WriteAviFile(path, clip), S_OK, Text("%s: clip written", format.name).c_str())) return;
    }
    const FormatClip played = {&format, ownSource ? nullptr : path, &clip, ownSource};
    if (ownSource) CheckOwnSourceSeeking(report, played);

    if (CheckStockPlayback(report, played)) {
        CheckSamplePassage(report, played, logo, Passage::GrabberOnly);
        if (SUCCEEDED(helperCreation)) {
            CheckSamplePassage(report, played, logo, Passage::GrabberThenHelper);
            CheckSamplePassage(report, played, logo, Passage::TapThenHelper);
            CheckHelperPlayback(report, played, logo, true);
            CheckHelperPlayback(report, played, logo, false);
            CheckSubtypeRestriction(report, played, OtherSubtype(format));
        }
    }
    if (!ownSource) report.Check(DeleteFileW(path) != FALSE, Text("%s: clip removed", format.name).c_str());
}

// The dummy source probing the grabber, first directly, then through the helper.
// False when a stop hung (the graph can then not be released).
bool CheckDummySource(CCheckReport& report, HRESULT helperCreation) {
    HRESULT hr;
    {
        ComPtr<IBaseFilter> source;
        hr = CreateDummySource(&source);
    }
    if (!report.CheckResult(hr, S_OK, "COM activation creates the dummy source")) return true;
    if (!CheckDummySourceProbe(report, false)) return false;
    return FAILED(helperCreation) || CheckDummySourceProbe(report, true);
}

// After every reference is released, COM unloads the module. This runtime
// keeps a "Both" module loaded for a grace period after CoFreeUnusedLibraries,
// so the unload is then asked for again without a delay.
void CheckModuleUnload(CCheckReport& report) {
    if (!report.Check(IsModuleLoaded(), "COM loaded Dravik.dll for the classes it activated")) return;
    CoFreeUnusedLibraries();
    const bool unloadedAtOnce = !IsModuleLoaded();
    if (!unloadedAtOnce) {
        std::printf("  Dravik.dll is still loaded after CoFreeUnusedLibraries; asking again without a delay\n");
        CoFreeUnusedLibrariesEx(0, 0);
    }
    if (report.Check(!IsModuleLoaded(), "after every object is released, COM unloads Dravik.dll")) return;
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Dravik.dll"), "DllCanUnloadNow")));
    if (canUnloadNow) std::printf("  Dravik.dll's DllCanUnloadNow answers 0x%08lx\n", static_cast<unsigned long>(canUnloadNow()));
}

}  // namespace

int main() {
    CCheckReport report;
    if (!report.CheckResult(CoInitialize(nullptr), S_OK, "COM is initialised")) return report.Finish();
    report.CheckResult(RegisterModule(false), S_OK, "regsvr32 Dravik.dll succeeds");

    CheckReferenceBlend(report);
    CLogoReference logo;
    const bool logoLoaded = report.CheckResult(logo.Load(), S_OK, "the logo picture is loaded");

    HRESULT helperCreation;
    {
        ComPtr<IBaseFilter> helper;
        helperCreation = CreateHelper(&helper);
    }
    // Without it only the stock filters can be checked; the failure is counted here once.
    report.CheckResult(helperCreation, S_OK, "COM activation creates the helper filter");

    if (logoLoaded)
        for (const TestVideoFormat& format : TestVideoFormats()) CheckFormat(report, format, logo, helperCreation);
    if (SUCCEEDED(helperCreation)) {
        CheckAnnouncedAudio(report);
        CheckShortWaveHeader(report, TestVideoFormats()[0]);
    }
    // The tests' own source is built on the framework inside this program, so its objects are counted here.
    report.Check(LiveObjectCount == 0,
                 Text("every object of the tests' own source is released (%ld live)", static_cast<long>(LiveObjectCount)).c_str());
    if (CheckDummySource(report, helperCreation)) CheckModuleUnload(report);

    report.CheckResult(RegisterModule(true), S_OK, "regsvr32 /u Dravik.dll succeeds");
    CoUninitialize();
    return report.Finish();
}
