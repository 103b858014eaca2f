#include "tools/dravik_stamp/stamp_job.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "tools/dravik_stamp/clip_source_filter.h"
#include "tools/dravik_stamp/colour_bars.h"
#include "tools/dravik_stamp/console_io.h"
#include "tools/dravik_stamp/frame_sink_filter.h"
#include "tools/dravik_stamp/helper_module.h"
#include "tools/dravik_stamp/helper_properties.h"
#include "tools/dravik_stamp/hresult_text.h"
#include "tools/dravik_stamp/stamp_graph.h"
#include "tools/dravik_stamp/stamped_output.h"
#include "tools/dravik_stamp/y4m_reader.h"

namespace {

const int ColourBarFrames = 5;
// How often the progress line is refreshed while the clip streams.
const DWORD ProgressInterval = 250;

// The files of one run; closes what it opened.
struct JobFiles {
    ~JobFiles() {
        if (input != nullptr && input != stdin) std::fclose(input);
        if (output != nullptr && output != stdout) std::fclose(output);
    }
    FILE* input = nullptr;
    FILE* output = nullptr;
};

bool OpenInput(const std::string& path, JobFiles* files, std::string* error) {
    if (path == "-") {
        UseBinaryMode(stdin);
        files->input = stdin;
        return true;
    }
    files->input = std::fopen(path.c_str(), "rb");
    if (files->input == nullptr) *error = path + ": " + std::strerror(errno);
    return files->input != nullptr;
}

bool OpenOutput(const std::string& path, bool builtIn, JobFiles* files, std::string* error) {
    if (path == "-") {
        if (IsTerminal(stdout)) {
            *error = "not writing video to a terminal; give an output file or redirect standard output";
            return false;
        }
        UseBinaryMode(stdout);
        files->output = stdout;
        return true;
    }
    if (builtIn && !EnsureDirectory(DefaultOutputDirectory, error)) return false;
    files->output = std::fopen(path.c_str(), "wb");
    if (files->output == nullptr) *error = path + ": " + std::strerror(errno);
    return files->output != nullptr;
}

// The filters of one run, each held by one reference.
struct JobFilters {
    ~JobFilters() {
        if (sink != nullptr) sink->Release();
        if (helper != nullptr) helper->Release();
        if (source != nullptr) source->Release();
    }
    CClipSource* source = nullptr;
    IBaseFilter* helper = nullptr;
    CFrameSink* sink = nullptr;
};

// Takes the first reference on a new filter; false when it is missing or its construction failed.
template <class Filter>
bool Adopt(Filter* filter, HRESULT result, Filter** holder) {
    if (filter == nullptr) return false;
    filter->AddRef();
    *holder = filter;
    return SUCCEEDED(result);
}

// Streams the clip through the graph and waits until the source is done.
bool Stream(StampGraph* graph, CClipStream* stream, FILE* diagnostics, std::string* error) {
    if (FAILED(graph->Run(error))) return false;
    const bool showProgress = IsTerminal(diagnostics);
    while (!stream->WaitUntilDelivered(ProgressInterval)) {
        if (showProgress) std::fprintf(diagnostics, "\rdravik_stamp: frame %ld", static_cast<long>(stream->FramesDelivered()));
    }
    if (showProgress) std::fprintf(diagnostics, "\rdravik_stamp: frame %ld\n", static_cast<long>(stream->FramesDelivered()));
    const HRESULT hr = graph->Stop();
    if (FAILED(hr)) {
        *error = "the graph did not stop (" + HresultText(hr) + ")";
        return false;
    }
    return true;
}

// Source -> helper -> sink in the graph, run to the end of the clip. The
// module outlives the filters, the filters outlive the graph.
bool StampClip(const StampOptions& options, const ClipFormat& format, FrameSupply* supply, StampedOutput* output,
               const std::string& inputName, const std::string& outputName, FILE* diagnostics, std::string* error) {
    HelperModule module;
    JobFilters filters;
    HRESULT hr = S_OK;
    if (!Adopt(new (std::nothrow) CClipSource(format, supply, &hr), hr, &filters.source) ||
        filters.source->Stream() == nullptr) {
        *error = "the clip source cannot be made (" + HresultText(hr) + ")";
        return false;
    }
    if (!Adopt(new (std::nothrow) CFrameSink(format, output, &hr), hr, &filters.sink)) {
        *error = "the frame sink cannot be made (" + HresultText(hr) + ")";
        return false;
    }
    if (FAILED(module.CreateHelperFilter(&filters.helper, error))) return false;
    if (FAILED(ApplyHelperSettings(filters.helper, options, error))) return false;

    StampGraph graph;
    if (FAILED(graph.Build(filters.source, filters.helper, filters.sink, error))) return false;
    if (!Stream(&graph, filters.source->Stream(), diagnostics, error)) return false;
    std::fputs(DescribeHelperCounters(filters.helper).c_str(), diagnostics);

    const std::string& supplyError = filters.source->Stream()->SupplyError();
    const std::string& outputError = filters.sink->Pin()->OutputError();
    if (!supplyError.empty()) {
        *error = inputName + ": " + supplyError;
    } else if (!outputError.empty()) {
        *error = outputName + ": " + outputError;
    } else if (!filters.sink->Pin()->StreamEnded()) {
        *error = "the stream stopped before its end";
    }
    return error->empty();
}

int Fail(FILE* diagnostics, const std::string& message) {
    std::fprintf(diagnostics, "dravik_stamp: %s\n", message.c_str());
    return 1;
}

// COM for the life of one run.
struct ComScope {
    ComScope() : hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
    const HRESULT hr;
};

}  // namespace

int RunStampJob(const StampOptions& options, FILE* diagnostics) {
    const bool builtIn = options.inputPath.empty();
    const std::string inputName = options.inputPath == "-" ? "standard input" : options.inputPath;
    const std::string outputName = options.outputPath == "-" ? "standard output" : options.outputPath;
    JobFiles files;
    std::string error;
    ClipFormat format = DefaultColourBarFormat();
    ColourBarClip colourBars(format, ColourBarFrames);
    std::unique_ptr<Y4mReader> reader;
    FrameSupply* supply = &colourBars;
    if (!builtIn) {
        if (!OpenInput(options.inputPath, &files, &error)) return Fail(diagnostics, error);
        reader.reset(new (std::nothrow) Y4mReader(files.input));
        if (reader == nullptr) return Fail(diagnostics, "out of memory");
        if (!reader->ReadHeader(&format, &error)) return Fail(diagnostics, inputName + ": " + error);
        supply = reader.get();
    }
    if (!OpenOutput(options.outputPath, builtIn, &files, &error)) return Fail(diagnostics, error);

    ComScope com;
    if (FAILED(com.hr)) return Fail(diagnostics, "COM cannot be initialised (" + HresultText(com.hr) + ")");
    StampedOutput output(files.output, options.snapshots);
    if (!StampClip(options, format, supply, &output, inputName, outputName, diagnostics, &error)) {
        return Fail(diagnostics, error);
    }
    if (!output.Finish(&error)) return Fail(diagnostics, outputName + ": " + error);
    const std::vector<Snapshot> missed = output.MissedSnapshots();
    if (!missed.empty()) {
        return Fail(diagnostics, missed[0].path + ": the clip has no frame " + std::to_string(missed[0].frame) +
                                     " (it has " + std::to_string(output.FramesWritten()) + ")");
    }
    std::fprintf(diagnostics, "frames: %lld\n", output.FramesWritten());
    if (builtIn) {
        std::fprintf(diagnostics, "stamped clip: %s\n", options.outputPath.c_str());
        for (const Snapshot& snapshot : options.snapshots) std::fprintf(diagnostics, "picture: %s\n", snapshot.path.c_str());
    }
    return 0;
}
