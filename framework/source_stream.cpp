#include "framework/source_stream.h"

#include <stdio.h>

#include "framework/media_type.h"
#include "framework/source_filter.h"

CSourceStream::CSourceStream(const wchar_t* objectName, HRESULT* result, CSource* owner, const wchar_t* pinName)
    : CAMThread(nullptr), CBaseOutputPin(objectName, owner, &owner->StateLock, result, pinName), OwnerFilter(owner) {
    const HRESULT added = owner->AddStream(this);
    if (result != nullptr) *result = added;
}

CSourceStream::~CSourceStream() { OwnerFilter->RemoveStream(this); }

void CSourceStream::StopWorker() {
    if (!ThreadExists()) return;
    CBaseOutputPin::Deactivate();
    EndWorker();
}

void CSourceStream::EndWorker() {
    if (!ThreadExists()) return;
    // A worker that has already ended (its OnWorkerCreate failed) answers
    // E_FAIL at once; either way no worker is left waiting for commands.
    SendCommand(WorkerStop);
    SendCommand(WorkerExit);
    JoinThread();
}

HRESULT CSourceStream::OnWorkerCreate() { return S_OK; }

HRESULT CSourceStream::OnWorkerDestroy() { return S_OK; }

HRESULT CSourceStream::OnDeliveryStart() { return S_OK; }

HRESULT CSourceStream::SingleMediaType(AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

HRESULT CSourceStream::Activate() {
    CLockGuard guard(OwnerFilter->StateLock);
    if (OwnerFilter->CurrentState() != State_Stopped) return S_FALSE;
    if (!IsConnected()) return S_OK;
    HRESULT hr = CBaseOutputPin::Activate();
    if (FAILED(hr)) return hr;
    if (!StartThread()) return E_FAIL;
    hr = static_cast<HRESULT>(SendCommand(WorkerInit));
    if (FAILED(hr)) {
        // The worker has ended; joined now, so that the next pause can start another.
        StopWorker();
        return hr;
    }
    return static_cast<HRESULT>(SendCommand(WorkerPause));
}

HRESULT CSourceStream::Deactivate() {
    CLockGuard guard(OwnerFilter->StateLock);
    if (!IsConnected()) return S_OK;
    // Decommit first: a worker waiting for a buffer fails out and comes to its commands.
    const HRESULT hr = CBaseOutputPin::Deactivate();
    if (FAILED(hr)) return hr;
    EndWorker();
    return S_OK;
}

// Neither takes StateLock: downstream may ask from inside a delivery while Stop
// holds that lock and waits for the worker.
HRESULT CSourceStream::CheckPinType(const AM_MEDIA_TYPE* type) {
    COwnedMediaType offered;
    SingleMediaType(&offered);
    return offered == *type ? S_OK : E_FAIL;
}

HRESULT CSourceStream::MediaTypeAt(int position, COwnedMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return SingleMediaType(type);
}

STDMETHODIMP CSourceStream::QueryId(LPWSTR* id) {
    if (id == nullptr) return E_POINTER;
    const int index = OwnerFilter->IndexOfStream(this);
    if (index < 0) return VFW_E_NOT_FOUND;
    const int kIdCharacters = 12;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(kIdCharacters * sizeof(WCHAR)));
    if (*id == nullptr) return E_OUTOFMEMORY;
    char digits[kIdCharacters];
    const int length = snprintf(digits, sizeof(digits), "%d", index + 1);
    int i = 0;
    for (; length > 0 && i < length && i < kIdCharacters - 1; ++i) (*id)[i] = static_cast<WCHAR>(digits[i]);
    (*id)[i] = 0;
    return S_OK;
}

DWORD CSourceStream::ThreadMain() {
    for (;;) {
        const DWORD command = WaitCommand();
        if (command == WorkerInit) break;
        ReplyCommand(static_cast<DWORD>(E_UNEXPECTED));
    }
    HRESULT hr = OnWorkerCreate();
    if (FAILED(hr)) {
        OnWorkerDestroy();
        ReplyCommand(static_cast<DWORD>(hr));
        return 1;
    }
    ReplyCommand(S_OK);

    for (DWORD command = WorkerInit; command != WorkerExit;) {
        command = WaitCommand();
        switch (command) {
            case WorkerPause:
            case WorkerRun:
                ReplyCommand(S_OK);
                DeliveryLoop();
                break;
            case WorkerStop:
            case WorkerExit:
                ReplyCommand(S_OK);
                break;
            default:
                ReplyCommand(static_cast<DWORD>(E_NOTIMPL));
                break;
        }
    }
    return FAILED(OnWorkerDestroy()) ? 1 : 0;
}

HRESULT CSourceStream::DeliveryLoop() {
    OnDeliveryStart();
    for (;;) {
        DWORD command = 0;
        if (PeekCommand(&command)) {
            if (command == WorkerStop) return S_FALSE;  // ThreadMain fetches it again and replies
            ReplyCommand(static_cast<DWORD>((command == WorkerPause || command == WorkerRun) ? S_OK : E_UNEXPECTED));
        }
        IMediaSample* sample = nullptr;
        if (FAILED(GetOutputSample(&sample, nullptr, nullptr, 0))) {
            Sleep(1);
            continue;
        }
        const HRESULT produced = ProduceSample(sample);
        if (produced == S_OK) {
            const HRESULT delivered = DeliverSample(sample);
            sample->Release();
            if (delivered != S_OK) return S_OK;
            continue;
        }
        sample->Release();
        SendEndOfStream();
        if (produced == S_FALSE) return S_OK;
        OwnerFilter->NotifyEvent(EC_ERRORABORT, produced, 0);
        return produced;
    }
}
