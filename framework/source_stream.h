// An output pin that is also a worker thread: while the filter is active the
// worker fills the allocator's buffers and delivers them downstream.
#ifndef DRAVIK_SOURCE_STREAM_H
#define DRAVIK_SOURCE_STREAM_H

#include "framework/am_thread.h"
#include "framework/base_output_pin.h"

class CSource;

class CSourceStream : public CAMThread, public CBaseOutputPin {
public:
    // The worker commands.
    enum Command : DWORD { WorkerInit = 0, WorkerPause = 1, WorkerRun = 2, WorkerStop = 3, WorkerExit = 4 };

    // Adds itself to the owner; the result slot receives that outcome.
    CSourceStream(const wchar_t* objectName, HRESULT* result, CSource* owner, const wchar_t* pinName);
    ~CSourceStream() override;

    // Fills the sample: S_OK delivers it, S_FALSE ends the stream, a failure aborts it.
    virtual HRESULT ProduceSample(IMediaSample* sample) = 0;
    // Runs on the worker once it has been told to initialise.
    virtual HRESULT OnWorkerCreate();
    // Runs on the worker as it exits.
    virtual HRESULT OnWorkerDestroy();
    // Runs on the worker before each delivery loop.
    virtual HRESULT OnDeliveryStart();
    // Takes buffers, fills and delivers them until told to stop or the stream ends.
    virtual HRESULT DeliveryLoop();
    // The one type the stream offers and accepts; E_UNEXPECTED here.
    virtual HRESULT SingleMediaType(AM_MEDIA_TYPE* type);

    // Starts and initialises the worker when the filter leaves Stopped.
    HRESULT Activate() override;
    // Decommits the allocator, then stops the worker and joins it (one that
    // has ended already is joined as well).
    HRESULT Deactivate() override;
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // Ends a worker that still runs (the filter released without a stop);
    // called while the derived stream is whole, before any destructor runs.
    void StopWorker();
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;

protected:
    DWORD ThreadMain() override;

    CSource* const OwnerFilter;

private:
    // Tells the worker to stop and exit, and joins it.
    void EndWorker();
};

#endif
