// dravik_stamp: stamps the Dravik logo onto YUV4MPEG2 video.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/dravik_stamp/stamp_job.h"
#include "tools/dravik_stamp/stamp_options.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    StampOptions options;
    std::string error;
    if (!ParseStampOptions(arguments, &options, &error)) {
        std::fprintf(stderr, "dravik_stamp: %s\n", error.c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(StampUsage(), stdout);
        return 0;
    }
    return RunStampJob(options, stderr);
}
