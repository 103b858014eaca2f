// Media-type enumeration: positions, version changes, and the ownership of
// each type handed out.
#include <gtest/gtest.h>

#include "framework/enum_media_types.h"
#include "framework/media_type.h"
#include "tests/framework/fake_graph.h"
#include "tests/framework/test_filter.h"

namespace {

const GUID kSubA = {0x11111111, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kSubB = {0x22222222, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kSubC = {0x33333333, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

class EnumMediaTypesTest : public testing::Test {
protected:
    void SetUp() override {
        pin_ = filter_->AddPin("Out", PINDIR_OUTPUT);
        pin_->offered = {{MEDIATYPE_Video, kSubA, FORMAT_VideoInfo, {1, 2, 3, 4}},
                         {MEDIATYPE_Video, kSubB, FORMAT_VideoInfo, {5, 6}},
                         {MEDIATYPE_Audio, kSubC, FORMAT_WaveFormatEx, {}}};
        startCount_ = RefCount(filter_->Interface());
        ASSERT_EQ(S_OK, pin_->EnumMediaTypes(&types_));
    }
    void TearDown() override {
        if (types_ != nullptr) types_->Release();
        EXPECT_EQ(startCount_, RefCount(filter_->Interface()));
    }
    static void DeleteAll(AM_MEDIA_TYPE** types, ULONG count) {
        for (ULONG i = 0; i < count; ++i) DeleteTaskMediaType(types[i]);
    }
    // Subtype of the next type, or GUID_NULL when there is none.
    GUID NextSubtype() {
        AM_MEDIA_TYPE* type = nullptr;
        if (types_->Next(1, &type, nullptr) != S_OK) return GUID_NULL;
        const GUID sub = type->subtype;
        DeleteTaskMediaType(type);
        return sub;
    }

    FilterRef filter_;
    TestPin* pin_ = nullptr;
    ULONG startCount_ = 0;
    IEnumMediaTypes* types_ = nullptr;
};

TEST_F(EnumMediaTypesTest, HoldsOneFilterReferenceThroughThePin) {
    EXPECT_EQ(startCount_ + 1, RefCount(filter_->Interface()));
    EXPECT_EQ(0u, types_->Release());
    types_ = nullptr;
    EXPECT_EQ(startCount_, RefCount(filter_->Interface()));
}

TEST_F(EnumMediaTypesTest, InterfaceQueriesAndArguments) {
    void* object = nullptr;
    ASSERT_EQ(S_OK, types_->QueryInterface(IID_IEnumMediaTypes, &object));
    EXPECT_EQ(static_cast<void*>(types_), object);
    types_->Release();
    EXPECT_EQ(E_NOINTERFACE, types_->QueryInterface(IID_IEnumPins, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, types_->QueryInterface(IID_IUnknown, nullptr));

    ULONG fetched = 0;
    EXPECT_EQ(E_POINTER, types_->Next(1, nullptr, &fetched));
    AM_MEDIA_TYPE* array[2] = {};
    EXPECT_EQ(E_INVALIDARG, types_->Next(2, array, nullptr));
    EXPECT_EQ(E_POINTER, types_->Clone(nullptr));
    EXPECT_EQ(E_POINTER, pin_->EnumMediaTypes(nullptr));
    // The refused calls moved nothing.
    EXPECT_TRUE(kSubA == NextSubtype());
}

TEST_F(EnumMediaTypesTest, NextHandsOutIndependentTaskMemoryCopies) {
    AM_MEDIA_TYPE* array[2] = {};
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, types_->Next(2, array, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_TRUE(array[0]->majortype == MEDIATYPE_Video);
    EXPECT_TRUE(array[0]->subtype == kSubA);
    EXPECT_TRUE(array[0]->formattype == FORMAT_VideoInfo);
    ASSERT_EQ(4u, array[0]->cbFormat);
    EXPECT_EQ(3, array[0]->pbFormat[2]);
    EXPECT_TRUE(array[1]->subtype == kSubB);
    array[0]->pbFormat[2] = 99;
    DeleteAll(array, fetched);

    AM_MEDIA_TYPE* last[2] = {};
    EXPECT_EQ(S_FALSE, types_->Next(2, last, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(last[0]->subtype == kSubC);
    EXPECT_EQ(0u, last[0]->cbFormat);
    DeleteAll(last, fetched);

    // The pin's own type is untouched by what the caller did to its copy.
    ASSERT_EQ(S_OK, types_->Reset());
    ASSERT_EQ(S_OK, types_->Next(1, array, nullptr));
    EXPECT_EQ(3, array[0]->pbFormat[2]);
    DeleteAll(array, 1);
}

TEST_F(EnumMediaTypesTest, AttachedObjectReferenceMovesToTheHandedOutType) {
    // A pin whose offered type carries a counted object.
    class PinWithObject : public TestPin {
    public:
        using TestPin::TestPin;
        HRESULT MediaTypeAt(int position, COwnedMediaType* type) override {
            const HRESULT hr = TestPin::MediaTypeAt(position, type);
            if (hr == S_OK) {
                attached.AddRef();
                type->pUnk = &attached;
            }
            return hr;
        }
        CountedObject attached;
    };
    FilterRef owner;
    PinWithObject pin(owner.filter, nullptr, nullptr, PINDIR_OUTPUT);
    pin.offered = {{MEDIATYPE_Video, kSubA, FORMAT_VideoInfo, {1}}};
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, pin.EnumMediaTypes(&types));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &type, nullptr));
    EXPECT_EQ(2u, pin.attached.count);
    EXPECT_EQ(static_cast<IUnknown*>(&pin.attached), type->pUnk);
    DeleteTaskMediaType(type);
    EXPECT_EQ(1u, pin.attached.count);
    types->Release();
}

TEST_F(EnumMediaTypesTest, PinWithoutTypesGivesNothing) {
    TestPin* empty = filter_->AddPin("Empty", PINDIR_INPUT);
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, empty->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* type = reinterpret_cast<AM_MEDIA_TYPE*>(1);
    ULONG fetched = 5;
    EXPECT_EQ(S_FALSE, types->Next(1, &type, &fetched));
    EXPECT_EQ(0u, fetched);
    types->Release();
}

TEST_F(EnumMediaTypesTest, VersionChangeIsReportedUntilReset) {
    pin_->typesVersion = 2;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 77;
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types_->Next(1, &type, &fetched));
    EXPECT_EQ(77u, fetched);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types_->Skip(1));
    EXPECT_EQ(S_OK, types_->Skip(0));
    IEnumMediaTypes* clone = reinterpret_cast<IEnumMediaTypes*>(1);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, types_->Clone(&clone));
    EXPECT_EQ(nullptr, clone);
    ASSERT_EQ(S_OK, types_->Reset());
    EXPECT_TRUE(kSubA == NextSubtype());
}

TEST_F(EnumMediaTypesTest, SkipMovesEvenPastTheEnd) {
    EXPECT_EQ(S_OK, types_->Skip(2));
    EXPECT_TRUE(kSubC == NextSubtype());
    ASSERT_EQ(S_OK, types_->Reset());
    EXPECT_EQ(S_OK, types_->Skip(3));
    ASSERT_EQ(S_OK, types_->Reset());
    EXPECT_EQ(S_FALSE, types_->Skip(5));
    // Position 5 is past the end although the list has only three types.
    EXPECT_TRUE(GUID_NULL == NextSubtype());
}

TEST_F(EnumMediaTypesTest, CloneContinuesFromTheSamePosition) {
    EXPECT_TRUE(kSubA == NextSubtype());
    IEnumMediaTypes* clone = nullptr;
    ASSERT_EQ(S_OK, types_->Clone(&clone));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, clone->Next(1, &type, nullptr));
    EXPECT_TRUE(type->subtype == kSubB);
    DeleteTaskMediaType(type);
    EXPECT_TRUE(kSubB == NextSubtype());
    EXPECT_EQ(0u, clone->Release());
}

}  // namespace
