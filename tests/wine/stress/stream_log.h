// What reaches the Sample Grabber in a stress run, in the order it arrives:
// each frame (by its index in the clip, as the grabber's callback) and each
// flush (from the log tap upstream), so that the frames after a seek or a
// restart can be told from those before it. It lives on the stack of a run
// and outlives the graph, so it counts no references.
#ifndef DRAVIK_TESTS_WINE_STRESS_STREAM_LOG_H
#define DRAVIK_TESTS_WINE_STRESS_STREAM_LOG_H

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <string>
#include <vector>

class CStreamLog final : public ISampleGrabberCB {
public:
    // An entry is a frame index (0 and up) or one of these.
    static constexpr int BeginFlush = -1;
    static constexpr int EndFlush = -2;
    // A sample whose start time is no frame's.
    static constexpr int Unknown = -3;

    // Frame i starts at i * frameTime.
    explicit CStreamLog(REFERENCE_TIME frameTime);
    ~CStreamLog();
    CStreamLog(const CStreamLog&) = delete;
    CStreamLog& operator=(const CStreamLog&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Logs the frame the sample's start time names.
    HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) override;
    // Not used: the grabber is set to call SampleCB.
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    void Add(int entry);
    // The number of entries so far: a position to check from.
    size_t Position();
    // Waits until the frames after `position` (after its last end of flush, if
    // any) number `frames`; false on timeout.
    bool WaitForFrames(size_t position, int frames, DWORD timeoutMs);

    // Empty when the frames after `from` are the clip's first ones, one after
    // the other, with nothing else; `complete`: all `frames` of them.
    // Otherwise what is wrong, with the entries.
    std::string CheckRun(size_t from, int frames, bool complete);
    // The clip in order from its first frame until `from`, where a seek began;
    // then frames that go on with it, a flush, and the clip from its first
    // frame again, complete.
    std::string CheckSeek(size_t from, int frames);
    // Nothing at all since `from` (a stopped graph).
    std::string CheckQuiet(size_t from);

private:
    // The entries from `from`, as text.
    std::string Describe(size_t from);
    // Where the frames after `from` start: after its last end of flush.
    size_t AfterLastFlush(size_t from);

    const REFERENCE_TIME frameTime_;
    CRITICAL_SECTION lock_;
    CONDITION_VARIABLE added_;
    std::vector<int> entries_;
};

#endif
