// Every platform streaming object a test makes is gone when the test ends.
#ifndef DRAVIK_TESTS_PLATFORM_LIVE_OBJECT_CHECK_H
#define DRAVIK_TESTS_PLATFORM_LIVE_OBJECT_CHECK_H

#include <gtest/gtest.h>

#include "platform_live_objects.h"

class LiveObjectCheck : public testing::Test {
protected:
    void SetUp() override { before_ = PlatformLiveObjectCount(); }
    void TearDown() override { EXPECT_EQ(before_, PlatformLiveObjectCount()) << "platform objects leaked"; }

private:
    LONG before_ = 0;
};

#endif
