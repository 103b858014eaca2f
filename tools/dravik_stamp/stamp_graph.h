// The filter graph of one run: clip source -> helper filter -> frame sink.
// Natively the platform layer's graph, on Windows the platform's graph manager.
#ifndef DRAVIK_STAMP_STAMP_GRAPH_H
#define DRAVIK_STAMP_STAMP_GRAPH_H

#include <dshow.h>

#include <string>

class StampGraph {
public:
    StampGraph() = default;
    // Stops the graph and takes the filters out of it.
    ~StampGraph();
    StampGraph(const StampGraph&) = delete;
    StampGraph& operator=(const StampGraph&) = delete;

    // Adds the three filters and connects them in that order.
    HRESULT Build(IBaseFilter* source, IBaseFilter* helper, IBaseFilter* sink, std::string* error);
    HRESULT Run(std::string* error);
    HRESULT Stop();

private:
    HRESULT Connect(IBaseFilter* upstream, IBaseFilter* downstream, const char* what, std::string* error);

    IGraphBuilder* graph_ = nullptr;
    IMediaControl* control_ = nullptr;
    // Held by the graph while they are in it.
    IBaseFilter* filters_[3] = {};
};

#endif
