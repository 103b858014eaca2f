// The Sample Grabber's callback: keeps a copy of every sample it is shown,
// with its times, so that the test can compare them after the run.
#ifndef DRAVIK_TESTS_WINE_E2E_SAMPLE_RECORDER_H
#define DRAVIK_TESTS_WINE_E2E_SAMPLE_RECORDER_H

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <vector>

struct RecordedSample {
    LONG length;              // actual data length
    std::vector<BYTE> bytes;  // the data, when the recorder keeps it
    HRESULT timeResult;       // of IMediaSample::GetTime
    REFERENCE_TIME start;
    REFERENCE_TIME stop;
    bool typeAttached;        // IMediaSample::GetMediaType answered S_OK
    GUID attachedSubtype;     // of the attached type
    WORD attachedTag;         // wFormatTag and nBlockAlign of an attached wave type (16 bytes or more); else 0
    WORD attachedBlockAlign;
    bool syncPoint;           // IMediaSample::IsSyncPoint answered S_OK
    bool discontinuity;       // IMediaSample::IsDiscontinuity answered S_OK
    const void* identity;     // the sample object, to tell whether another filter passed on the same one
};

class CSampleRecorder final : public ISampleGrabberCB {
public:
    // Starts with one reference, the creator's. Without `keepData` only the
    // lengths and times are kept (for streams of large frames).
    explicit CSampleRecorder(bool keepData);
    CSampleRecorder(const CSampleRecorder&) = delete;
    CSampleRecorder& operator=(const CSampleRecorder&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Copies the sample and its times.
    HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) override;
    // Not used: the grabber is set to call SampleCB.
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    // Moves the recorded samples out and starts afresh.
    std::vector<RecordedSample> Take();
    size_t Count();
    // Waits until at least `count` samples were recorded; false on timeout.
    bool WaitForCount(size_t count, DWORD timeoutMs);
private:
    ~CSampleRecorder();

    const bool keepData_;
    CRITICAL_SECTION lock_;
    std::vector<RecordedSample> samples_;
    volatile LONG references_ = 1;
};

#endif
