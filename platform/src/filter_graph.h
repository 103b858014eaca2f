// Native only: the class-table entry of the filter graph (platform_graph.h).
#ifndef PLATFORM_FILTER_GRAPH_H
#define PLATFORM_FILTER_GRAPH_H

#include <windows.h>

// CLSID_FilterGraph. Not aggregatable.
HRESULT CreateFilterGraph(IUnknown* outer, REFIID riid, void** object);

#endif
