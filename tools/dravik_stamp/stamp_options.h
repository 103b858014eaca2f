// The command line of dravik_stamp.
#ifndef DRAVIK_STAMP_STAMP_OPTIONS_H
#define DRAVIK_STAMP_STAMP_OPTIONS_H

#include <string>
#include <vector>

struct Snapshot {
    long long frame = 0;
    std::string path;
};

struct StampOptions {
    // Empty: the built-in colour bars. "-": standard input.
    std::string inputPath;
    // "-": standard output.
    std::string outputPath;
    std::vector<Snapshot> snapshots;
    bool overlay = true;
    // 100-ns units; 0 leaves the frame time as the input has it.
    long long frameTime = 0;
    // p, t, b or m; 0 leaves the interlacing as the input has it.
    char interlace = 0;
    bool showHelp = false;
};

// The longest --frame-time: a frame rate the YUV4MPEG2 output can carry so
// that its own reader takes it back (each part of the rate at most 10^9).
constexpr long long LargestFrameTime = 1000000000;

// Where the built-in clip and its picture go.
extern const char DefaultOutputDirectory[];
extern const char DefaultOutputPath[];
extern const char DefaultSnapshotPath[];

// Fills the options from the arguments after the program name; on failure a
// one-line reason.
bool ParseStampOptions(const std::vector<std::string>& arguments, StampOptions* options, std::string* error);

const char* StampUsage();

#endif
