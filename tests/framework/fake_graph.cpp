#include "tests/framework/fake_graph.h"

STDMETHODIMP CountedObject::QueryInterface(REFIID riid, void** object) {
    if (riid != IID_IUnknown) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeClock::QueryInterface(REFIID riid, void** object) {
    if (riid != IID_IUnknown && riid != IID_IReferenceClock) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IReferenceClock*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeClock::GetTime(REFERENCE_TIME* time) {
    if (FAILED(timeResult)) return timeResult;
    *time = now;
    return timeResult;
}

STDMETHODIMP FakeGraph::QueryInterface(REFIID riid, void** object) {
    if (riid == IID_IUnknown || riid == IID_IFilterGraph) {
        *object = static_cast<IFilterGraph*>(this);
    } else if (riid == IID_IMediaEventSink && withSink_) {
        *object = static_cast<IMediaEventSink*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
    events.push_back({code, param1, param2});
    return notifyResult;
}
