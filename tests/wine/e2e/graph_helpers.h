// Small pieces for building graphs by hand in the platform's graph manager:
// finding pins, connecting pin to pin, putting a filter between two pins.
#ifndef DRAVIK_TESTS_WINE_E2E_GRAPH_HELPERS_H
#define DRAVIK_TESTS_WINE_E2E_GRAPH_HELPERS_H

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

// qedit.h declares the grabber's interfaces but not these two classes; strmiids defines them.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

// Frees what a media type record points to (not the record itself).
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);

// The first pin of the direction; with a major type, the first whose
// preferred media type has it. VFW_E_NOT_FOUND when there is none.
HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, const GUID* majorType, IPin** pin);

// Connects `upstream` to the filter's input (with `type`, or any agreed type
// when null) and the filter's output to `downstream`, each directly without
// intermediate filters. The filter must already be in the graph.
HRESULT ConnectThrough(IGraphBuilder* graph, IPin* upstream, IBaseFilter* middle, IPin* downstream,
                       const AM_MEDIA_TYPE* type = nullptr);

// Connection media type of the pin, into a record the caller frees with FreeMediaTypeContents.
HRESULT ConnectionType(IPin* pin, AM_MEDIA_TYPE* type);

// Stops the graph on a thread of its own; HRESULT_FROM_WIN32(ERROR_TIMEOUT) when
// Stop has not returned in time (the graph is then still in use by that thread).
HRESULT StopGraphWithin(IMediaControl* control, DWORD timeoutMs);

// AvgTimePerFrame of a VIDEOINFOHEADER or VIDEOINFOHEADER2 type; 0 otherwise.
REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type);

#endif
