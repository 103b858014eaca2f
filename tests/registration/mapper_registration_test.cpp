// Registering one filter description with each mapper generation.
#include <gtest/gtest.h>

#include <dshow.h>

#include "module/registration.h"
#include "platform_mapper.h"
#include "tests/registration/registry_reading.h"

namespace {

const HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

const CLSID kFilter = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID kPeer = {0x87654321, 0x4321, 0x8765, {8, 7, 6, 5, 4, 3, 2, 1}};

const PinTypeSetup kVideoTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2}, {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32}};
const PinTypeSetup kAudioType = {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM};
const PinSetup kPins[] = {
    {L"Video", TRUE, FALSE, TRUE, FALSE, &kPeer, L"Peer", 2, kVideoTypes},
    {L"Audio", FALSE, TRUE, FALSE, TRUE, &CLSID_NULL, nullptr, 1, &kAudioType},
};
const FilterSetup kSetup = {&kFilter, L"Test Filter", 0x600000, 2, kPins};

// Every field of a pin as the mapper recorded it.
void ExpectPins(const PlatformMappedFilter& filter) {
    ASSERT_EQ(2u, filter.pins.size());
    const PlatformMappedPin& video = filter.pins[0];
    EXPECT_EQ("Video", video.name);
    EXPECT_EQ(TRUE, video.rendered);
    EXPECT_EQ(FALSE, video.output);
    EXPECT_EQ(TRUE, video.zero);
    EXPECT_EQ(FALSE, video.many);
    EXPECT_TRUE(video.connectsToFilter == kPeer);
    EXPECT_EQ("Peer", video.connectsToPin);
    ASSERT_EQ(2u, video.types.size());
    EXPECT_TRUE(video.types[0].majorType == MEDIATYPE_Video && video.types[0].subType == MEDIASUBTYPE_YUY2);
    EXPECT_TRUE(video.types[1].majorType == MEDIATYPE_Video && video.types[1].subType == MEDIASUBTYPE_RGB32);
    const PlatformMappedPin& audio = filter.pins[1];
    EXPECT_EQ("Audio", audio.name);
    EXPECT_EQ(TRUE, audio.output);
    EXPECT_EQ(TRUE, audio.many);
    EXPECT_EQ("", audio.connectsToPin);
    ASSERT_EQ(1u, audio.types.size());
    EXPECT_TRUE(audio.types[0].majorType == MEDIATYPE_Audio && audio.types[0].subType == MEDIASUBTYPE_PCM);
}

class MapperRegistrationTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                         reinterpret_cast<void**>(&mapper2_)));
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                                         reinterpret_cast<void**>(&mapper_)));
    }
    void TearDown() override {
        if (mapper2_ != nullptr) mapper2_->Release();
        if (mapper_ != nullptr) mapper_->Release();
        RegistryTest::TearDown();
    }
    IFilterMapper2* mapper2_ = nullptr;
    IFilterMapper* mapper_ = nullptr;
};

TEST_F(MapperRegistrationTest, NullSetupOrMapper) {
    EXPECT_EQ(S_FALSE, RegisterFilterWithMapper2(nullptr, mapper2_, TRUE));
    EXPECT_EQ(S_FALSE, RegisterFilterWithMapper(nullptr, mapper_, FALSE));
    EXPECT_TRUE(PlatformMapperCalls().empty());
    EXPECT_EQ(E_POINTER, RegisterFilterWithMapper2(&kSetup, nullptr, TRUE));
    EXPECT_EQ(E_POINTER, RegisterFilterWithMapper(&kSetup, nullptr, TRUE));
}

TEST_F(MapperRegistrationTest, NewerMapperGetsThePinArrayUnchanged) {
    ASSERT_EQ(S_OK, RegisterFilterWithMapper2(&kSetup, mapper2_, TRUE));
    const std::vector<PlatformMappedFilter> filters = PlatformMapperFilters();
    ASSERT_EQ(1u, filters.size());
    EXPECT_EQ(2, filters[0].generation);
    EXPECT_EQ("Test Filter", filters[0].name);
    EXPECT_EQ(0x600000u, filters[0].merit);
    ExpectPins(filters[0]);
}

TEST_F(MapperRegistrationTest, OlderMapperGetsEachPinThenItsTypesInOrder) {
    ASSERT_EQ(S_OK, RegisterFilterWithMapper(&kSetup, mapper_, TRUE));
    const std::string filter = ClsidText(kFilter);
    const std::vector<std::string> expected = {
        "UnregisterFilter " + filter,         "RegisterFilter " + filter,
        "RegisterPin " + filter + " Video",   "RegisterPinType " + filter + " Video",
        "RegisterPinType " + filter + " Video", "RegisterPin " + filter + " Audio",
        "RegisterPinType " + filter + " Audio"};
    EXPECT_EQ(expected, PlatformMapperCalls());
    const std::vector<PlatformMappedFilter> filters = PlatformMapperFilters();
    ASSERT_EQ(1u, filters.size());
    EXPECT_EQ(1, filters[0].generation);
    EXPECT_EQ(0x600000u, filters[0].merit);
    ExpectPins(filters[0]);
}

TEST_F(MapperRegistrationTest, OlderMapperWalkEndsAtTheFirstFailure) {
    PlatformMapperFailCalls("RegisterPinType", E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, RegisterFilterWithMapper(&kSetup, mapper_, TRUE));
    const std::string filter = ClsidText(kFilter);
    const std::vector<std::string> expected = {"UnregisterFilter " + filter, "RegisterFilter " + filter,
                                               "RegisterPin " + filter + " Video",
                                               "RegisterPinType " + filter + " Video"};
    EXPECT_EQ(expected, PlatformMapperCalls());
}

TEST_F(MapperRegistrationTest, UnregisteringUnknownFilterSucceedsOtherFailuresDoNot) {
    EXPECT_EQ(S_OK, RegisterFilterWithMapper2(&kSetup, mapper2_, FALSE));
    EXPECT_EQ(S_OK, RegisterFilterWithMapper(&kSetup, mapper_, FALSE));
    PlatformMapperFailCalls("UnregisterFilter", E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, RegisterFilterWithMapper2(&kSetup, mapper2_, FALSE));
    EXPECT_EQ(E_ACCESSDENIED, RegisterFilterWithMapper(&kSetup, mapper_, FALSE));
}

TEST_F(MapperRegistrationTest, UnregisteringRemovesOnlyThatGenerationsEntry) {
    ASSERT_EQ(S_OK, RegisterFilterWithMapper2(&kSetup, mapper2_, TRUE));
    ASSERT_EQ(S_OK, RegisterFilterWithMapper(&kSetup, mapper_, TRUE));
    ASSERT_EQ(2u, PlatformMapperFilters().size());
    EXPECT_EQ(S_OK, RegisterFilterWithMapper2(&kSetup, mapper2_, FALSE));
    const std::vector<PlatformMappedFilter> filters = PlatformMapperFilters();
    ASSERT_EQ(1u, filters.size());
    EXPECT_EQ(1, filters[0].generation);
    EXPECT_EQ(S_OK, RegisterFilterWithMapper(&kSetup, mapper_, FALSE));
    EXPECT_TRUE(PlatformMapperFilters().empty());
    // The mappers really answered "not found" for the second round; it became success.
    PlatformMapperReset();
    EXPECT_EQ(kFileNotFound, mapper_->UnregisterFilter(kFilter));
    EXPECT_EQ(kFileNotFound, mapper2_->UnregisterFilter(nullptr, nullptr, kFilter));
}

}  // namespace
