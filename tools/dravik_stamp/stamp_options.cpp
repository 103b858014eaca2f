#include "tools/dravik_stamp/stamp_options.h"

#include <cstring>

const char DefaultOutputDirectory[] = "out";
const char DefaultOutputPath[] = "out/stamped.y4m";
const char DefaultSnapshotPath[] = "out/stamped.png";

namespace {

// Decimal digits only, at most 18 of them.
bool ParseNumber(const std::string& text, long long* value) {
    if (text.empty() || text.size() > 18) return false;
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

}  // namespace

bool ParseStampOptions(const std::vector<std::string>& arguments, StampOptions* options, std::string* error) {
    StampOptions result;
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--snapshot" || argument == "--overlay" || argument == "--frame-time" ||
                                argument == "--interlace";
        if (takesValue && i + 1 == arguments.size()) return Fail(error, argument + " needs a value");
        const std::string value = takesValue ? arguments[i + 1] : std::string();
        if (takesValue) ++i;

        if (argument == "-h" || argument == "--help") {
            result.showHelp = true;
        } else if (argument == "--snapshot") {
            const size_t colon = value.find(':');
            Snapshot snapshot;
            if (colon == std::string::npos || !ParseNumber(value.substr(0, colon), &snapshot.frame) || colon + 1 == value.size()) {
                return Fail(error, "--snapshot wants FRAME:FILE, not '" + value + "'");
            }
            snapshot.path = value.substr(colon + 1);
            result.snapshots.push_back(snapshot);
        } else if (argument == "--overlay") {
            if (value != "on" && value != "off") return Fail(error, "--overlay wants on or off, not '" + value + "'");
            result.overlay = value == "on";
        } else if (argument == "--frame-time") {
            if (!ParseNumber(value, &result.frameTime) || result.frameTime == 0 || result.frameTime > LargestFrameTime) {
                return Fail(error, "--frame-time wants a positive number of 100-ns units up to " +
                                       std::to_string(LargestFrameTime) + ", not '" + value + "'");
            }
        } else if (argument == "--interlace") {
            if (value.size() != 1 || std::strchr("ptbm", value[0]) == nullptr) {
                return Fail(error, "--interlace wants p, t, b or m, not '" + value + "'");
            }
            result.interlace = value[0];
        } else if (argument.size() > 1 && argument[0] == '-') {
            return Fail(error, "unknown option '" + argument + "' (see --help)");
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() > 2) return Fail(error, "too many files: '" + paths[2] + "' (see --help)");
    if (paths.empty()) {
        result.outputPath = DefaultOutputPath;
        if (result.snapshots.empty()) result.snapshots.push_back({0, DefaultSnapshotPath});
    } else {
        result.inputPath = paths[0];
        result.outputPath = paths.size() == 2 ? paths[1] : "-";
    }
    *options = result;
    return true;
}

const char* StampUsage() {
    return "Usage: dravik_stamp [options] [INPUT [OUTPUT]]\n"
           "Stamps the Dravik logo onto YUV4MPEG2 video (8-bit 4:2:0 or 4:2:2) through the\n"
           "Dravik helper filter, running in a filter graph.\n"
           "\n"
           "INPUT and OUTPUT are YUV4MPEG2 files, or - for standard input and output;\n"
           "OUTPUT defaults to standard output. Without INPUT a built-in 1920x1080\n"
           "colour-bar clip is stamped into out/stamped.y4m, with its first frame as a\n"
           "picture in out/stamped.png.\n"
           "\n"
           "Options:\n"
           "  --snapshot N:FILE     write frame N (counted from 0) as a PNG picture; repeatable\n"
           "  --overlay on|off      draw the logo (default on)\n"
           "  --frame-time T        announce T (100-ns units) as the frame time downstream\n"
           "  --interlace p|t|b|m   announce progressive, top or bottom field first, or mixed\n"
           "  -h, --help            show this text\n"
           "\n"
           "The helper filter's counters are printed on standard error at the end, and the\n"
           "progress too when standard error is a terminal. Exit status: 0 done, 1 failed,\n"
           "2 bad command line.\n";
}
