// Pin enumeration: counts, resynchronisation after the pin list changes,
// the handed-out list, and the references it hands out and keeps.
#include <gtest/gtest.h>

#include "framework/enum_pins.h"
#include "tests/framework/test_filter.h"

namespace {

class EnumPinsTest : public testing::Test {
protected:
    void SetUp() override {
        a_ = filter_->AddPin("A", PINDIR_INPUT);
        b_ = filter_->AddPin("B", PINDIR_OUTPUT);
        startCount_ = RefCount(filter_->Interface());
        ASSERT_EQ(S_OK, filter_->EnumPins(&pins_));
    }
    void TearDown() override {
        if (pins_ != nullptr) pins_->Release();
        EXPECT_EQ(startCount_, RefCount(filter_->Interface()));
    }
    static void ReleaseAll(IPin** pins, ULONG count) {
        for (ULONG i = 0; i < count; ++i) pins[i]->Release();
    }

    FilterRef filter_;
    TestPin* a_ = nullptr;
    TestPin* b_ = nullptr;
    ULONG startCount_ = 0;
    IEnumPins* pins_ = nullptr;
};

TEST_F(EnumPinsTest, HoldsOneFilterReferenceUntilReleased) {
    EXPECT_EQ(startCount_ + 1, RefCount(filter_->Interface()));
    EXPECT_EQ(0u, pins_->Release());
    pins_ = nullptr;
    EXPECT_EQ(startCount_, RefCount(filter_->Interface()));
}

TEST_F(EnumPinsTest, InterfaceQueries) {
    void* object = nullptr;
    EXPECT_EQ(E_POINTER, pins_->QueryInterface(IID_IEnumPins, nullptr));
    ASSERT_EQ(S_OK, pins_->QueryInterface(IID_IEnumPins, &object));
    EXPECT_EQ(static_cast<void*>(pins_), object);
    EXPECT_EQ(1u, pins_->Release());
    ASSERT_EQ(S_OK, pins_->QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(static_cast<void*>(pins_), object);
    pins_->Release();
    object = pins_;
    EXPECT_EQ(E_NOINTERFACE, pins_->QueryInterface(IID_IEnumMediaTypes, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(EnumPinsTest, ArgumentChecks) {
    ULONG fetched = 9;
    EXPECT_EQ(E_POINTER, pins_->Next(1, nullptr, &fetched));
    IPin* array[2] = {};
    EXPECT_EQ(E_INVALIDARG, pins_->Next(2, array, nullptr));
    EXPECT_EQ(nullptr, array[0]);
    ASSERT_EQ(S_OK, pins_->Next(1, array, nullptr));
    EXPECT_EQ(static_cast<IPin*>(a_), array[0]);
    ReleaseAll(array, 1);
    EXPECT_EQ(E_POINTER, pins_->Clone(nullptr));
    EXPECT_EQ(E_POINTER, filter_->EnumPins(nullptr));
}

TEST_F(EnumPinsTest, NextBeyondTheEndReturnsWhatThereIs) {
    IPin* array[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, pins_->Next(3, array, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(static_cast<IPin*>(a_), array[0]);
    EXPECT_EQ(static_cast<IPin*>(b_), array[1]);
    EXPECT_EQ(startCount_ + 3, RefCount(filter_->Interface()));
    ReleaseAll(array, fetched);
    EXPECT_EQ(S_FALSE, pins_->Next(1, array, &fetched));
    EXPECT_EQ(0u, fetched);
}

TEST_F(EnumPinsTest, SkipPastTheEndKeepsThePosition) {
    EXPECT_EQ(S_FALSE, pins_->Skip(3));
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, pins_->Next(1, &pin, nullptr));
    EXPECT_EQ(static_cast<IPin*>(a_), pin);
    pin->Release();
    EXPECT_EQ(S_OK, pins_->Skip(1));
    EXPECT_EQ(S_FALSE, pins_->Next(1, &pin, nullptr));
}

TEST_F(EnumPinsTest, VersionChangeResynchronisesWithoutRepeatingPins) {
    IPin* first = nullptr;
    ASSERT_EQ(S_OK, pins_->Next(1, &first, nullptr));
    EXPECT_EQ(static_cast<IPin*>(a_), first);
    first->Release();

    // The list is rebuilt with a new pin in front and A moved to the end.
    TestPin* c = filter_->AddPin("C", PINDIR_INPUT);
    filter_->Swap(0, 2);
    filter_->pinsVersion = 2;
    IEnumPins* clone = reinterpret_cast<IEnumPins*>(1);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins_->Skip(1));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins_->Clone(&clone));
    EXPECT_EQ(nullptr, clone);

    IPin* rest[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, pins_->Next(3, rest, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(static_cast<IPin*>(c), rest[0]);
    EXPECT_EQ(static_cast<IPin*>(b_), rest[1]);
    ReleaseAll(rest, fetched);

    // Reset forgets what was handed out.
    ASSERT_EQ(S_OK, pins_->Reset());
    EXPECT_EQ(S_OK, pins_->Next(3, rest, &fetched));
    EXPECT_EQ(3u, fetched);
    ReleaseAll(rest, fetched);
}

TEST_F(EnumPinsTest, CloneCopiesPositionAndHandedOutPins) {
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, pins_->Next(1, &pin, nullptr));
    pin->Release();
    IEnumPins* clone = nullptr;
    ASSERT_EQ(S_OK, pins_->Clone(&clone));
    EXPECT_EQ(startCount_ + 2, RefCount(filter_->Interface()));

    // After a list change the clone, too, knows A was handed out already.
    filter_->pinsVersion = 5;
    IPin* array[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, clone->Next(2, array, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_EQ(static_cast<IPin*>(b_), array[0]);
    ReleaseAll(array, fetched);
    EXPECT_EQ(0u, clone->Release());
}

TEST_F(EnumPinsTest, MissingPinBelowTheCountHandsOutNothing) {
    // The filter claims a third pin that it can't produce.
    filter_->reportedCount = 3;
    ASSERT_EQ(S_OK, pins_->Reset());
    IPin* array[3] = {};
    ULONG fetched = 7;
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins_->Next(3, array, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(nullptr, array[0]);
    EXPECT_EQ(nullptr, array[1]);
    EXPECT_EQ(startCount_ + 1, RefCount(filter_->Interface()));

    // The pins of the failed call were not counted as handed out.
    filter_->reportedCount = -1;
    filter_->pinsVersion = 2;
    EXPECT_EQ(S_FALSE, pins_->Next(3, array, &fetched));
    EXPECT_EQ(2u, fetched);
    ReleaseAll(array, fetched);
}

}  // namespace
