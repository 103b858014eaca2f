#include "tests/wine/stress/stream_log.h"

CStreamLog::CStreamLog(REFERENCE_TIME frameTime) : frameTime_(frameTime) {
    InitializeCriticalSection(&lock_);
    InitializeConditionVariable(&added_);
}

CStreamLog::~CStreamLog() { DeleteCriticalSection(&lock_); }

HRESULT STDMETHODCALLTYPE CStreamLog::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISampleGrabberCB)) {
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CStreamLog::SampleCB(double, IMediaSample* sample) {
    REFERENCE_TIME start = 0, stop = 0;
    if (!sample || FAILED(sample->GetTime(&start, &stop)) || start < 0) {
        Add(Unknown);
        return S_OK;
    }
    // The splitter may round a frame's start time.
    const REFERENCE_TIME index = (start + frameTime_ / 2) / frameTime_;
    const REFERENCE_TIME off = start - index * frameTime_;
    Add(off > frameTime_ / 4 || off < -frameTime_ / 4 ? Unknown : static_cast<int>(index));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CStreamLog::BufferCB(double, BYTE*, LONG) { return E_NOTIMPL; }

void CStreamLog::Add(int entry) {
    EnterCriticalSection(&lock_);
    entries_.push_back(entry);
    LeaveCriticalSection(&lock_);
    WakeAllConditionVariable(&added_);
}

size_t CStreamLog::Position() {
    EnterCriticalSection(&lock_);
    const size_t position = entries_.size();
    LeaveCriticalSection(&lock_);
    return position;
}

size_t CStreamLog::AfterLastFlush(size_t from) {
    size_t start = from;
    for (size_t i = from; i < entries_.size(); ++i) {
        if (entries_[i] == EndFlush) start = i + 1;
    }
    return start;
}

bool CStreamLog::WaitForFrames(size_t position, int frames, DWORD timeoutMs) {
    const DWORD begin = GetTickCount();
    EnterCriticalSection(&lock_);
    bool enough = false;
    for (;;) {
        size_t count = 0;
        for (size_t i = AfterLastFlush(position); i < entries_.size(); ++i) count += entries_[i] >= 0;
        enough = count >= static_cast<size_t>(frames);
        const DWORD waited = GetTickCount() - begin;
        if (enough || waited >= timeoutMs) break;
        SleepConditionVariableCS(&added_, &lock_, timeoutMs - waited);
    }
    LeaveCriticalSection(&lock_);
    return enough;
}

std::string CStreamLog::Describe(size_t from) {
    std::string text;
    for (size_t i = from; i < entries_.size(); ++i) {
        if (!text.empty()) text += ' ';
        const int entry = entries_[i];
        text += entry == BeginFlush ? "B" : entry == EndFlush ? "F" : entry == Unknown ? "?" : std::to_string(entry);
    }
    return text.empty() ? "nothing" : text;
}

std::string CStreamLog::CheckRun(size_t from, int frames, bool complete) {
    EnterCriticalSection(&lock_);
    int expected = 0;
    bool right = true;
    for (size_t i = from; i < entries_.size(); ++i) right = right && entries_[i] == expected++;
    right = right && (!complete || expected == frames) && expected <= frames;
    std::string problem = right ? std::string() : "not the clip's frames in order from the first: " + Describe(from);
    LeaveCriticalSection(&lock_);
    return problem;
}

std::string CStreamLog::CheckSeek(size_t from, int frames) {
    EnterCriticalSection(&lock_);
    const size_t restart = AfterLastFlush(from);
    bool right = restart > from;
    // Until the end of the flush: the run before the seek, going on where it was.
    int previous = -1;
    for (size_t i = 0; right && i < restart; ++i) {
        const int entry = entries_[i];
        if (entry >= 0) {
            right = entry == ++previous;
        } else {
            right = i >= from && (entry == BeginFlush || entry == EndFlush);
        }
    }
    std::string problem = right ? std::string() : "no flush, or frames out of order before its end: " + Describe(0);
    LeaveCriticalSection(&lock_);
    if (!problem.empty()) return problem;
    return CheckRun(restart, frames, true);
}

std::string CStreamLog::CheckQuiet(size_t from) {
    EnterCriticalSection(&lock_);
    std::string problem = entries_.size() == from ? std::string() : "arrived while stopped: " + Describe(from);
    LeaveCriticalSection(&lock_);
    return problem;
}
