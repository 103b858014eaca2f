// The command line: files, switches, defaults for the built-in clip, refusals.
#include <gtest/gtest.h>

#include "tools/dravik_stamp/stamp_options.h"

namespace {

TEST(StampOptions, NoFilesMeansTheBuiltInClipUnderOut) {
    StampOptions options;
    std::string error;
    ASSERT_TRUE(ParseStampOptions({}, &options, &error)) << error;
    EXPECT_TRUE(options.inputPath.empty());
    EXPECT_EQ("out/stamped.y4m", options.outputPath);
    ASSERT_EQ(1u, options.snapshots.size());
    EXPECT_EQ(0, options.snapshots[0].frame);
    EXPECT_EQ("out/stamped.png", options.snapshots[0].path);
    EXPECT_TRUE(options.overlay);
    EXPECT_EQ(0, options.frameTime);
    EXPECT_EQ(0, options.interlace);
}

TEST(StampOptions, FilesAndSwitches) {
    StampOptions options;
    std::string error;
    ASSERT_TRUE(ParseStampOptions({"--overlay", "off", "-", "--frame-time", "333667", "--interlace", "b", "--snapshot",
                                   "12:a.png", "--snapshot", "0:b.png"},
                                  &options, &error))
        << error;
    EXPECT_EQ("-", options.inputPath);
    EXPECT_EQ("-", options.outputPath) << "standard output when only the input is named";
    EXPECT_FALSE(options.overlay);
    EXPECT_EQ(333667, options.frameTime);
    EXPECT_EQ('b', options.interlace);
    ASSERT_EQ(2u, options.snapshots.size());
    EXPECT_EQ(12, options.snapshots[0].frame);
    EXPECT_EQ("a.png", options.snapshots[0].path);
    ASSERT_TRUE(ParseStampOptions({"in.y4m", "out.y4m"}, &options, &error));
    EXPECT_EQ("out.y4m", options.outputPath);
    EXPECT_TRUE(options.snapshots.empty()) << "only the built-in clip gets a picture unasked";
    ASSERT_TRUE(ParseStampOptions({"--help"}, &options, &error));
    EXPECT_TRUE(options.showHelp);
}

TEST(StampOptions, RefusalsSayWhat) {
    StampOptions options;
    std::string error;
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--overlay"}, "--overlay needs a value"},
        {{"--overlay", "maybe"}, "--overlay wants on or off"},
        {{"--frame-time", "0"}, "--frame-time wants a positive number"},
        {{"--frame-time", "-5"}, "--frame-time wants a positive number"},
        {{"--frame-time", "1000000001"}, "--frame-time wants a positive number of 100-ns units up to 1000000000"},
        {{"--interlace", "x"}, "--interlace wants p, t, b or m"},
        {{"--snapshot", "3"}, "--snapshot wants FRAME:FILE"},
        {{"--snapshot", "3:"}, "--snapshot wants FRAME:FILE"},
        {{"--snapshot", "x:a.png"}, "--snapshot wants FRAME:FILE"},
        {{"a", "b", "c"}, "too many files: 'c'"},
    };
    for (const auto& bad : cases) {
        error.clear();
        EXPECT_FALSE(ParseStampOptions(bad.arguments, &options, &error)) << bad.message;
        EXPECT_EQ(0u, error.find(bad.message)) << error;
    }
}

}  // namespace
