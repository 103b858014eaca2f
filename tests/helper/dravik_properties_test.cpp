// Every property key of the helper filter, read and written through
// IGeneralProperties on a filter made by the class factory.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/format_blocks.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"
#include "tests/support/wide_text.h"

namespace {

class DravikProperties : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g.IsComplete()); }

    std::string ReadString(const GUID& key) {
        VARIANT value{};
        EXPECT_EQ(S_OK, g.properties->GetValue(&key, &value));
        EXPECT_EQ(VT_BSTR, value.vt);
        if (value.vt != VT_BSTR) return std::string();
        const std::string text = Narrow(value.bstrVal);
        SysFreeString(value.bstrVal);
        return text;
    }

    HelperGraph g;
};

TEST_F(DravikProperties, OverlaySwitchReadsBackWhatWasSet) {
    VARIANT value{};
    ASSERT_EQ(S_OK, g.properties->GetValue(&GENPROP_Overlay, &value));
    EXPECT_EQ(VT_BOOL, value.vt);
    EXPECT_EQ(VARIANT_TRUE, value.boolVal);
    ASSERT_EQ(S_OK, g.SetBool(GENPROP_Overlay, false));
    ASSERT_EQ(S_OK, g.properties->GetValue(&GENPROP_Overlay, &value));
    EXPECT_EQ(VARIANT_FALSE, value.boolVal);
}

TEST_F(DravikProperties, InputSubtypeIsABracedGuidStringAndBadInputLeavesItAlone) {
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", ReadString(GENPROP_InputSubtype));
    ASSERT_EQ(S_OK, g.SetString(GENPROP_InputSubtype, "{32315659-0000-0010-8000-00AA00389B71}"));
    EXPECT_EQ("{32315659-0000-0010-8000-00AA00389B71}", ReadString(GENPROP_InputSubtype));

    VARIANT number{};
    number.vt = VT_I4;
    number.lVal = 5;
    EXPECT_EQ(E_FAIL, g.properties->SetValue(&GENPROP_InputSubtype, &number));
    EXPECT_TRUE(FAILED(g.SetString(GENPROP_InputSubtype, "{32315659-0000-0010-8000")));
    EXPECT_TRUE(FAILED(g.SetString(GENPROP_InputSubtype, "not a guid")));
    EXPECT_EQ("{32315659-0000-0010-8000-00AA00389B71}", ReadString(GENPROP_InputSubtype));
}

TEST_F(DravikProperties, FilterClsidIsTheHelpersOwn) {
    EXPECT_EQ("{26D360F8-81FA-4178-9602-54BFBD20E5FB}", ReadString(GENPROP_FilterClsid));
}

TEST_F(DravikProperties, CountersStartAtZeroAndTheDurationIsUnmeasured) {
    LONGLONG value = -1;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &value));
    EXPECT_EQ(0, value);
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_LastStartTime, &value));
    EXPECT_EQ(0, value);
    VARIANT untouched{};
    untouched.vt = VT_UI1;
    untouched.bVal = 7;
    EXPECT_EQ(E_FAIL, g.properties->GetValue(&GENPROP_FirstFrameDuration, &untouched));
    EXPECT_EQ(VT_UI1, untouched.vt);
    EXPECT_EQ(7, untouched.bVal);
}

TEST_F(DravikProperties, InputFormatKeysNeedAConnectedVideoInput) {
    VARIANT value{};
    EXPECT_EQ(E_UNEXPECTED, g.properties->GetValue(&GENPROP_InputInterlaceFlags, &value));
    EXPECT_EQ(E_UNEXPECTED, g.properties->GetValue(&GENPROP_InputAvgTimePerFrame, &value));

    COwnedMediaType video;
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 720, 576, false, 333667);
    g.upstream->Offer(video);
    ASSERT_EQ(S_OK, g.ConnectInput());
    EXPECT_EQ(E_UNEXPECTED, g.properties->GetValue(&GENPROP_InputInterlaceFlags, &value)) << "no VIDEOINFOHEADER2";
    LONGLONG frameTime = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_InputAvgTimePerFrame, &frameTime));
    EXPECT_EQ(333667, frameTime);
}

TEST_F(DravikProperties, InterlaceFlagsOfAConnectedHeader2InputAreRead) {
    COwnedMediaType video;
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 720, 576, true, 400000);
    VideoInfo2Of(video)->dwInterlaceFlags = 0x43;
    g.upstream->Offer(video);
    ASSERT_EQ(S_OK, g.ConnectInput());
    VARIANT value{};
    ASSERT_EQ(S_OK, g.properties->GetValue(&GENPROP_InputInterlaceFlags, &value));
    EXPECT_EQ(VT_UI4, value.vt);
    EXPECT_EQ(0x43u, value.ulVal);
}

TEST_F(DravikProperties, WriteOnlyKeysCannotBeReadAndReadOnlyKeysCannotBeWritten) {
    VARIANT value{};
    value.vt = VT_I8;
    value.llVal = 5;
    for (const GUID* key : {&GENPROP_OutputAvgTimePerFrame, &GENPROP_OutputInterlaceFlags}) {
        VARIANT read{};
        EXPECT_EQ(E_FAIL, g.properties->GetValue(key, &read));
        EXPECT_EQ(S_OK, g.properties->SetValue(key, &value));
    }
    for (const GUID* key : {&GENPROP_FirstFrameDuration, &GENPROP_LastStartTime, &GENPROP_InputInterlaceFlags,
                            &GENPROP_InputAvgTimePerFrame, &GENPROP_BytesReceived, &GENPROP_FilterClsid}) {
        EXPECT_EQ(E_FAIL, g.properties->SetValue(key, &value));
    }
    const GUID unknown = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(E_FAIL, g.properties->GetValue(&unknown, &value));
    EXPECT_EQ(E_FAIL, g.properties->SetValue(&unknown, &value));
}

TEST_F(DravikProperties, NullPointersAreRefused) {
    VARIANT value{};
    EXPECT_EQ(E_POINTER, g.properties->GetValue(nullptr, &value));
    EXPECT_EQ(E_POINTER, g.properties->GetValue(&GENPROP_Overlay, nullptr));
    EXPECT_EQ(E_POINTER, g.properties->SetValue(nullptr, &value));
    EXPECT_EQ(E_POINTER, g.properties->SetValueEx(&GENPROP_Overlay, nullptr, nullptr));
    EXPECT_EQ(E_POINTER, g.properties->GetValues(1, nullptr));
    EXPECT_EQ(E_POINTER, g.properties->SetValues(2, nullptr));
    EXPECT_EQ(S_OK, g.properties->GetValues(0, nullptr));
}

TEST_F(DravikProperties, BatchesAnswerByHowManyEntriesSucceeded) {
    const GUID unknown = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    PropertyEntry entries[3] = {};
    entries[0].key = GENPROP_Overlay;
    entries[1].key = unknown;
    entries[2].key = GENPROP_BytesReceived;
    EXPECT_EQ(S_FALSE, g.properties->GetValues(3, entries));
    EXPECT_EQ(VT_BOOL, entries[0].value.vt);
    EXPECT_EQ(VT_EMPTY, entries[1].value.vt);
    EXPECT_EQ(VT_I8, entries[2].value.vt);
    entries[0].key = unknown;
    entries[2].key = unknown;
    EXPECT_EQ(E_FAIL, g.properties->GetValues(3, entries));
    EXPECT_EQ(S_OK, g.properties->GetValues(0, entries));

    PropertyEntry writes[2] = {};
    writes[0].key = GENPROP_Overlay;
    writes[0].value.vt = VT_BOOL;
    writes[0].value.boolVal = VARIANT_FALSE;
    writes[1].key = GENPROP_OutputAvgTimePerFrame;
    writes[1].value.vt = VT_I8;
    writes[1].value.llVal = 200000;
    EXPECT_EQ(S_OK, g.properties->SetValues(2, writes));
    VARIANT overlay{};
    ASSERT_EQ(S_OK, g.properties->GetValue(&GENPROP_Overlay, &overlay));
    EXPECT_EQ(VARIANT_FALSE, overlay.boolVal);
    writes[1].key = GENPROP_BytesReceived;
    EXPECT_EQ(S_FALSE, g.properties->SetValues(2, writes));
    writes[0].key = GENPROP_FilterClsid;
    EXPECT_EQ(E_FAIL, g.properties->SetValues(2, writes));
}

TEST_F(DravikProperties, ReadersSeeOneWholeTypeWhileTheStreamChangesIt) {
    // Two header-2 types told apart by frame time and interlace flags together.
    COwnedMediaType types[2];
    const REFERENCE_TIME frameTimes[2] = {400000, 333667};
    const DWORD interlaceFlags[2] = {0, AMINTERLACE_IsInterlaced | AMINTERLACE_1FieldPerSample};
    for (int i = 0; i < 2; ++i) {
        MakeVideo(&types[i], MEDIASUBTYPE_YUY2, 32, 8, true, frameTimes[i]);
        VideoInfo2Of(types[i])->dwInterlaceFlags = interlaceFlags[i];
    }
    g.upstream->Offer(types[0]);
    ASSERT_EQ(S_OK, g.ConnectInput());
    ASSERT_EQ(S_OK, g.ConnectOutput());
    ASSERT_EQ(S_OK, g.graph->Run());
    auto whichType = [&](REFERENCE_TIME frameTime) { return frameTime == frameTimes[0] ? 0 : frameTime == frameTimes[1] ? 1 : -1; };

    // The stream changes type until the reader has seen both types and read a few thousand times.
    std::atomic<bool> reading{true};
    std::thread upstream([&] {
        for (int i = 0; reading.load(); ++i) {
            SampleToSend sample;
            sample.data = CountingBytes(64);
            sample.start = i * 400000LL;
            sample.stop = sample.start + 1;
            sample.type = &types[i % 2];
            EXPECT_EQ(S_OK, g.upstream->Pin()->Send(sample));
        }
    });
    bool seenTypes[2] = {false, false};
    for (int reads = 0; reads < 3000 || (!(seenTypes[0] && seenTypes[1]) && reads < 1000000); ++reads) {
        VARIANT value{};
        EXPECT_EQ(S_OK, g.properties->GetValue(&GENPROP_InputAvgTimePerFrame, &value));
        EXPECT_NE(-1, whichType(value.llVal)) << value.llVal;
        EXPECT_EQ(S_OK, g.properties->GetValue(&GENPROP_InputInterlaceFlags, &value));
        EXPECT_TRUE(value.ulVal == interlaceFlags[0] || value.ulVal == interlaceFlags[1]) << value.ulVal;
        COwnedMediaType connected;
        EXPECT_EQ(S_OK, g.InputType(&connected));
        const VIDEOINFOHEADER2* video = VideoInfo2Of(connected);
        const int seen = video != nullptr ? whichType(video->AvgTimePerFrame) : -1;
        EXPECT_NE(-1, seen);
        if (seen != -1) {
            EXPECT_EQ(interlaceFlags[seen], video->dwInterlaceFlags) << "a type made of two";
            seenTypes[seen] = true;
        }
    }
    reading = false;
    upstream.join();
    EXPECT_TRUE(seenTypes[0] && seenTypes[1]) << "the type did not change while it was read";
    EXPECT_EQ(S_OK, g.graph->Stop());
}

}  // namespace
