// Whether what a sink saw of a sample is what the source sent.
#ifndef DRAVIK_TESTS_FRAMEWORK_SEEN_SAMPLE_CHECK_H
#define DRAVIK_TESTS_FRAMEWORK_SEEN_SAMPLE_CHECK_H

#include <gtest/gtest.h>

#include "tests/framework/stream_test_filters.h"

// Success when the seen sample carries the spec's data and every property the
// spec set, and no time, media time, flag or type the spec left unset.
testing::AssertionResult SeenAsSent(const SeenSample& seen, const SampleSpec& spec);

#endif
