// Native only: a small filter graph for hosts and tests where the platform's
// graph manager does not exist. It connects only what it is told to connect
// (Connect is a direct connection; nothing is rendered or inserted), changes
// the state of all its filters at once and records every event its filters
// raise. Reconnect and ReconnectEx run synchronously.
//
// COM rules: the graph holds one reference on each filter from AddFilter
// until RemoveFilter or its own destruction (which stops the graph, breaks
// the filters' connections and takes every filter out); filters hold the graph
// as a plain pointer. CoCreateInstance of CLSID_FilterGraph makes the same
// graph; it answers IFilterGraph, IGraphBuilder, IFilterGraph2,
// IMediaControl and IMediaEventSink.
#ifndef PLATFORM_GRAPH_H
#define PLATFORM_GRAPH_H

#include <dshow.h>

#include <vector>

// One IMediaEventSink::Notify call, as received.
struct PlatformGraphEvent {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

class IPlatformFilterGraph : public IFilterGraph2 {
public:
    // State changes reach the filters downstream first (a filter before every
    // filter feeding it). Run from stopped pauses every filter first. A filter
    // failing to pause or run stops the whole graph and its code is returned;
    // S_FALSE when a filter has not completed the change yet.
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    // Runs with stream start time 0: natively no reference clock is set.
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;
    // Stops every filter even when one fails; the first failure is returned.
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    // The state the graph was last put in.
    virtual FILTER_STATE GraphState() = 0;

    // Every event recorded so far, oldest first.
    virtual std::vector<PlatformGraphEvent> Events() = 0;
    // Forgets the recorded events.
    virtual void ClearEvents() = 0;
    // Waits until an event with the code is recorded (or already is) and
    // copies the first one into event (may be null): S_OK, or VFW_E_TIMEOUT
    // after the given milliseconds (INFINITE waits for ever).
    virtual HRESULT WaitForEvent(LONG code, DWORD milliseconds, PlatformGraphEvent* event) = 0;
};

// A new, empty, stopped graph with one reference for the caller.
HRESULT PlatformCreateFilterGraph(IPlatformFilterGraph** graph);

#endif
