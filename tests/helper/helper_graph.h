// The helper filter as a host gets it (through the module's class factory),
// in the small graph between the tests' own upstream and downstream filters.
#ifndef DRAVIK_TESTS_HELPER_HELPER_GRAPH_H
#define DRAVIK_TESTS_HELPER_HELPER_GRAPH_H

#include <platform_graph.h>

#include <string>

#include "dravik/dravik.h"
#include "helper/dravik_filter.h"
#include "tests/helper/downstream_test_filter.h"
#include "tests/helper/upstream_test_filter.h"

class HelperGraph {
public:
    HelperGraph();
    ~HelperGraph();
    HelperGraph(const HelperGraph&) = delete;
    HelperGraph& operator=(const HelperGraph&) = delete;

    // All parts were made and added to the graph.
    bool IsComplete() const { return complete_; }

    // As a graph manager connects: upstream to the helper first, then the helper to downstream.
    HRESULT ConnectInput();
    HRESULT ConnectOutput();
    // Connects a small YUY2 stream (its type into `video`) with every buffer
    // from `allocator`, which downstream offers, and runs the graph.
    HRESULT RunVideoOver(IMemAllocator* allocator, COwnedMediaType* video);

    IPin* HelperIn();
    IPin* HelperOut();
    // The helper's connection types.
    HRESULT InputType(COwnedMediaType* type);
    HRESULT OutputType(COwnedMediaType* type);

    // Single properties through IGeneralProperties.
    HRESULT SetI8(const GUID& key, LONGLONG value);
    HRESULT SetUI2(const GUID& key, USHORT value);
    HRESULT SetBool(const GUID& key, bool value);
    HRESULT SetString(const GUID& key, const std::string& text);
    HRESULT GetI8(const GUID& key, LONGLONG* value);

    IPlatformFilterGraph* graph = nullptr;
    IBaseFilter* helper = nullptr;
    // The same object as `helper`, for the filter's own operations.
    CDravik* dravik = nullptr;
    IGeneralProperties* properties = nullptr;
    UpstreamTestFilter* const upstream;
    DownstreamTestFilter* const downstream;

private:
    bool complete_ = false;
};

#endif
