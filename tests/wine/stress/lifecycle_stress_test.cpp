// The helper's streaming lifecycle in the platform's graph manager, run after
// run the way hosts drive it: each run builds a graph over a short clip (a
// video helper and, in some runs, a second helper on the PCM stream) and picks
// at random one of stop right after EC_COMPLETE, stop mid-stream, seek to the
// start while running, pause and resume, pause then stop, and stop and run
// again from the start. Every call is under a watchdog; after every seek or
// restart the frames that reach the grabber must be the clip from its first
// frame, in order, none from before. At the end the module must unload.
// This runtime's AVI Splitter hangs in its own Stop now and then, with or
// without the helper: a hang with no thread in Dravik.dll gives its run up
// (counted in the summary); one with a thread in it fails the program.
//     lifecycle_stress_test.exe [runs [seed]]     (500 runs; the seed from the clock)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "module/module_state.h"
#include "tests/wine/check_report.h"
#include "tests/wine/e2e/dravik_filters.h"
#include "tests/wine/e2e/module_registration.h"
#include "tests/wine/e2e/test_clip.h"
#include "tests/wine/e2e/video_formats.h"
#include "tests/wine/stress/stress_graph.h"

#include <strsafe.h>

namespace {

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 48;
constexpr int kFrames = 24;
// 2 ms a frame; the graph runs without a clock, so a run plays as fast as it can.
constexpr DWORD kMicroSecondsPerFrame = 2000;
constexpr REFERENCE_TIME kFrameTime = kMicroSecondsPerFrame * 10;
constexpr DWORD kPlayMs = kFrames * kMicroSecondsPerFrame / 1000;
// Longer than any call of a healthy graph by far, on a loaded machine too; a
// run given up to a hang of the platform's filters costs this much.
constexpr DWORD kHangMs = 15000;
constexpr DWORD kCompletionMs = 20000;

enum class Action { StopAfterComplete, StopMidStream, SeekWhileRunning, PauseAndResume, PauseThenStop, StopAndRunAgain, Count };

const char* ActionName(Action action) {
    switch (action) {
        case Action::StopAfterComplete: return "stop right after EC_COMPLETE";
        case Action::StopMidStream: return "stop mid-stream";
        case Action::SeekWhileRunning: return "seek to the start while running";
        case Action::PauseAndResume: return "pause and resume";
        case Action::PauseThenStop: return "pause then stop";
        case Action::StopAndRunAgain: return "stop and run again from the start";
        case Action::Count: break;
    }
    return "?";
}

const TestVideoFormat& ClipFormat() { return TestVideoFormats()[0]; }

bool ClipPath(WCHAR (&path)[MAX_PATH]) {
    WCHAR folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return false;
    return SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%lsdravik_lifecycle_%lu.avi", folder, GetCurrentProcessId()));
}

// One run: builds the graph, plays it through the action, and says what went wrong (empty: nothing).
std::string PlayRun(CCallWatchdog& watchdog, Action action, bool audioHelper, std::mt19937& random,
                    const WCHAR* clipPath) {
    CStreamLog log(kFrameTime);
    CStressGraph graph(watchdog);
    // This runtime's AVI Splitter delivers nothing more after a seek while it
    // plays with its audio pin connected, and its Stop then hangs (without the
    // helper as well): the seek runs play the video alone.
    using Audio = CStressGraph::Audio;
    const Audio audio = action == Action::SeekWhileRunning ? Audio::None : audioHelper ? Audio::ThroughHelper : Audio::Plain;
    auto failed = [](const char* call, HRESULT result) {
        char text[96];
        std::snprintf(text, sizeof(text), "%s failed: 0x%08lx", call, static_cast<unsigned long>(result));
        return std::string(text);
    };
    HRESULT hr = graph.Build(clipPath, ClipFormat().subtype, audio, &log);
    if (FAILED(hr)) return failed("building the graph", hr);
    const DWORD moment = std::uniform_int_distribution<DWORD>(0, kPlayMs)(random);

    if (FAILED(hr = graph.Run())) return failed("Run", hr);
    switch (action) {
        case Action::StopAfterComplete:
            if (FAILED(hr = graph.WaitForCompletion(kCompletionMs))) return failed("WaitForCompletion", hr);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            return log.CheckRun(0, kFrames, true);
        case Action::StopMidStream:
        case Action::PauseThenStop:
            Sleep(moment);
            if (action == Action::PauseThenStop && FAILED(hr = graph.Pause())) return failed("Pause", hr);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            return log.CheckRun(0, kFrames, false);
        case Action::SeekWhileRunning: {
            Sleep(moment);
            const size_t seekFrom = log.Position();
            if (FAILED(hr = graph.SeekToStart())) return failed("SetPositions", hr);
            if (!log.WaitForFrames(seekFrom, kFrames, kCompletionMs)) return "the clip is not played again after the seek: " + log.CheckSeek(seekFrom, kFrames);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            return log.CheckSeek(seekFrom, kFrames);
        }
        case Action::PauseAndResume:
            Sleep(moment);
            if (FAILED(hr = graph.Pause())) return failed("Pause", hr);
            if (FAILED(hr = graph.WaitForState(kCompletionMs))) return failed("GetState", hr);
            if (FAILED(hr = graph.Run())) return failed("Run again", hr);
            if (FAILED(hr = graph.WaitForCompletion(kCompletionMs))) return failed("WaitForCompletion", hr);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            return log.CheckRun(0, kFrames, true);
        case Action::StopAndRunAgain: {
            Sleep(moment);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            const size_t stoppedAt = log.Position();
            std::string problem = log.CheckRun(0, kFrames, false);
            if (FAILED(hr = graph.SeekToStart())) return failed("SetPositions while stopped", hr);
            if (problem.empty()) problem = log.CheckQuiet(stoppedAt);
            if (FAILED(hr = graph.Run())) return failed("Run again", hr);
            // The first run may have completed before the stop; its completion does not end the second.
            if (!log.WaitForFrames(stoppedAt, kFrames, kCompletionMs)) {
                return "the clip is not played again after the restart: " + log.CheckRun(stoppedAt, kFrames, true);
            }
            if (FAILED(hr = graph.WaitForCompletion(kCompletionMs))) return failed("WaitForCompletion", hr);
            if (FAILED(hr = graph.Stop())) return failed("Stop", hr);
            if (problem.empty()) problem = log.CheckRun(stoppedAt, kFrames, true);
            return problem;
        }
        case Action::Count:
            break;
    }
    return "unknown action";
}

// After every reference is released, COM unloads the module. This runtime keeps
// a "Both" module loaded for a grace period, so the unload is asked for without one.
void CheckModuleUnload(CCheckReport& report) {
    if (!report.Check(IsModuleLoaded(), "COM loaded Dravik.dll for the helpers")) return;
    CoFreeUnusedLibraries();
    if (IsModuleLoaded()) CoFreeUnusedLibrariesEx(0, 0);
    report.Check(!IsModuleLoaded(), "after every graph is released, COM unloads Dravik.dll");
}

// One run on a thread of its own, so that a run whose platform filters hang
// can be given up. Everything it uses is its own; a job given up is never freed.
struct RunJob {
    CCallWatchdog* watchdog;
    Action action;
    bool audioHelper;
    unsigned seed;
    const WCHAR* clipPath;
    std::string problem;
};

DWORD WINAPI PlayRunJob(void* parameter) {
    RunJob* job = static_cast<RunJob*>(parameter);
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(joined)) {
        job->problem = "COM cannot be initialised on the run's thread";
        return 1;
    }
    std::mt19937 random(job->seed);
    job->problem = PlayRun(*job->watchdog, job->action, job->audioHelper, random, job->clipPath);
    CoUninitialize();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 500;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : GetTickCount();
    std::printf("lifecycle stress: %d runs, seed %u\n", runs, seed);
    CCheckReport report;
    // The runs' threads join this apartment, which lives as long as the program, so the module stays
    // loaded until CoFreeUnusedLibraries, not until the last run's thread leaves.
    if (!report.CheckResult(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK, "COM is initialised")) return report.Finish();
    report.CheckResult(RegisterModule(false), S_OK, "regsvr32 Dravik.dll succeeds");
    WCHAR clipPath[MAX_PATH] = {};
    const bool written =
        ClipPath(clipPath) && SUCCEEDED(WriteAviFile(clipPath, MakeClip(ClipFormat(), kWidth, kHeight, kFrames, kMicroSecondsPerFrame)));
    int givenUp = 0;
    if (report.Check(written, "the clip is written")) {
        std::mt19937 random(seed);
        int played[static_cast<int>(Action::Count)] = {};
        int wrong[static_cast<int>(Action::Count)] = {};
        int audioHelpers = 0;
        const DWORD begin = GetTickCount();
        {
            CCallWatchdog watchdog(kHangMs);
            for (int run = 1; run <= runs; ++run) {
                const Action action = static_cast<Action>(std::uniform_int_distribution<int>(0, static_cast<int>(Action::Count) - 1)(random));
                const bool audioHelper =
                    std::uniform_int_distribution<int>(0, 1)(random) == 1 && action != Action::SeekWhileRunning;
                audioHelpers += audioHelper;
                const std::string what = std::string(ActionName(action)) + (audioHelper ? ", audio helper" : "");
                watchdog.StartRun(run, what);
                RunJob* job = new RunJob{&watchdog, action, audioHelper, static_cast<unsigned>(random()), clipPath, std::string()};
                HANDLE thread = CreateThread(nullptr, 0, PlayRunJob, job, 0, nullptr);
                if (thread == nullptr) {
                    report.Check(false, "a thread for the run is started");
                    delete job;
                    break;
                }
                const HANDLE ends[2] = {thread, watchdog.Abandoned()};
                if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0) {
                    // The platform's filters hung: the run, its thread and its graph are left as they are.
                    ++givenUp;
                    continue;
                }
                CloseHandle(thread);
                const std::string problem = job->problem;
                delete job;
                ++played[static_cast<int>(action)];
                if (problem.empty()) continue;
                // The first few say what happened; the summary counts them all.
                if (++wrong[static_cast<int>(action)] <= 3) std::printf("  run %d (%s): %s\n", run, what.c_str(), problem.c_str());
            }
            std::printf("  %d runs (%d with an audio helper), %ld watched calls, no hang in Dravik.dll, %d runs given up "
                        "to hangs of the platform's filters, in %lu ms\n",
                        runs, audioHelpers, watchdog.Calls(), givenUp, static_cast<unsigned long>(GetTickCount() - begin));
        }
        for (int a = 0; a < static_cast<int>(Action::Count); ++a) {
            char what[160];
            std::snprintf(what, sizeof(what), "%s: %d of %d runs right", ActionName(static_cast<Action>(a)),
                          played[a] - wrong[a], played[a]);
            report.Check(wrong[a] == 0, what);
        }
        report.Check(DeleteFileW(clipPath) != FALSE, "the clip is removed");
    }
    if (givenUp == 0) {
        // The log taps are built on the framework inside this program, so their objects are counted here.
        report.Check(LiveObjectCount == 0, "every tap of the tests' own is released");
        CheckModuleUnload(report);
    } else {
        std::printf("  the graphs given up still hold their filters: the module cannot unload in this process\n");
    }
    report.CheckResult(RegisterModule(true), S_OK, "regsvr32 /u Dravik.dll succeeds");
    const int exitCode = report.Finish();
    // Threads hung in the platform's filters would keep the process from ending.
    if (givenUp != 0) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    CoUninitialize();
    return exitCode;
}
