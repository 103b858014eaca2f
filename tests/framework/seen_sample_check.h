// Whether what a sink saw of a sample is what the source sent.
#ifndef DRAVIK_TESTS_FRAMEWORK_SEEN_SAMPLE_CHECK_H
#define DRAVIK_TESTS_FRAMEWORK_SEEN_SAMPLE_CHECK_H

#include <gtest/gtest.h>

#include "tests/framework/stream_test_filters.h"

// Success when the seen sample carries the data sent and every property set on
// it, and no time, media time, flag or type that was left unset.
testing::AssertionResult SeenAsSent(const SeenSample& seen, const OutgoingSample& outgoing);

#endif
