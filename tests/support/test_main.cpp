// Every test must leave the module as it found it: no live object remains.
#include <gtest/gtest.h>

#include "module/module_state.h"

namespace {

class LiveObjectCheck : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { before_ = LiveObjectCount; }
    void OnTestEnd(const testing::TestInfo& info) override {
        if (info.result()->Skipped()) return;
        EXPECT_EQ(before_, LiveObjectCount) << "objects leaked by " << info.test_suite_name() << "." << info.name();
    }
    LONG before_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new LiveObjectCheck);
    return RUN_ALL_TESTS();
}
