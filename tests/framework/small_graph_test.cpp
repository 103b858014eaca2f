// The in-place transform in the platform's small graph, on the platform's
// memory allocator: connected, run and stopped as a graph manager does it.
#include <gtest/gtest.h>

#include <platform_graph.h>

#include "framework/trans_in_place_input_pin.h"
#include "framework/trans_in_place_output_pin.h"
#include "tests/framework/seen_sample_check.h"
#include "tests/framework/stream_test_filters.h"

namespace {

class SmallGraphTest : public testing::Test {
protected:
    SmallGraphTest()
        : source(TestSource::Create()), filter(TestInPlace::Create(true)), sink(TestSink::Create()) {}

    void SetUp() override {
        ASSERT_EQ(S_OK, PlatformCreateFilterGraph(&graph));
        ASSERT_EQ(S_OK, graph->AddFilter(source->Interface(), L"source"));
        ASSERT_EQ(S_OK, graph->AddFilter(filter->Interface(), L"in-place"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink->Interface(), L"sink"));
    }

    ~SmallGraphTest() override {
        // The graph stops, disconnects and lets go of every filter.
        if (graph != nullptr) graph->Release();
        source->Release();
        filter->Release();
        sink->Release();
        if (upstream != nullptr) upstream->Release();
        EXPECT_EQ(0, TestStreamObjects.load());
    }

    // Input first, then output; the output's completion reconnects the input.
    void Connect() {
        ASSERT_EQ(S_OK, graph->ConnectDirect(source->Pin(), filter->In(), nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect(filter->Out(), sink->Pin(), nullptr));
    }

    // The upstream pin insists on a platform allocator of its own.
    void UseUpstreamAllocator(BOOL readOnly) {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                         reinterpret_cast<void**>(&upstream)));
        source->Pin()->ownAllocator = upstream;
        source->Pin()->readOnly = readOnly;
    }

    IPlatformFilterGraph* graph = nullptr;
    TestSource* const source;
    TestInPlace* const filter;
    TestSink* const sink;
    IMemAllocator* upstream = nullptr;
};

TEST_F(SmallGraphTest, BothPinsEndUpOnTheDownstreamAllocatorAndTheSamplePassesAsItIs) {
    Connect();
    IMemAllocator* shared = filter->InputPin()->Allocator();
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(shared, filter->OutputPin()->Allocator());
    EXPECT_EQ(shared, sink->Pin()->Allocator());
    EXPECT_EQ(shared, source->Pin()->Allocator());

    ASSERT_EQ(S_OK, graph->Run());
    ASSERT_EQ(S_OK, source->Pin()->Send(OutgoingSample()));
    ASSERT_EQ(S_OK, source->Pin()->Send(OutgoingSample()));
    const std::vector<SeenSample> seen = sink->Pin()->Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(source->Pin()->lastSent, seen[1].identity);
    EXPECT_EQ(seen[1].identity, filter->transformed[1]);
    ASSERT_EQ(S_OK, graph->Stop());
    EXPECT_EQ(1, filter->streamingStops);
}

TEST_F(SmallGraphTest, ReadOnlyUpstreamSamplesAreCopiedWithTheirProperties) {
    UseUpstreamAllocator(TRUE);
    Connect();
    ASSERT_TRUE(filter->AllocatorsDiffer());
    EXPECT_EQ(upstream, filter->InputPin()->Allocator());
    EXPECT_EQ(sink->Pin()->Allocator(), filter->OutputPin()->Allocator());

    ASSERT_EQ(S_OK, graph->Run());
    COwnedMediaType wider;
    FillVideoType(&wider, 32);
    wider.SetSubtype(MEDIASUBTYPE_RGB24);
    OutgoingSample outgoing;
    outgoing.fill = 0x21;
    outgoing.length = 120;
    outgoing.start = 40;
    outgoing.stop = 80;
    outgoing.mediaTimed = true;
    outgoing.mediaStart = 3;
    outgoing.mediaStop = 4;
    outgoing.sync = true;
    outgoing.preroll = true;
    outgoing.discontinuity = true;
    outgoing.type = &wider;
    ASSERT_EQ(S_OK, source->Pin()->Send(outgoing));
    OutgoingSample plain;
    plain.timed = false;
    plain.length = 5;
    ASSERT_EQ(S_OK, source->Pin()->Send(plain));

    const std::vector<SeenSample> seen = sink->Pin()->Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_NE(source->Pin()->lastSent, seen[1].identity);
    EXPECT_TRUE(SeenAsSent(seen[0], outgoing));
    EXPECT_TRUE(SeenAsSent(seen[1], plain));

    // Control data passes untouched, without a copy or a transform.
    OutgoingSample control;
    control.streamId = AM_STREAM_CONTROL;
    ASSERT_EQ(S_OK, source->Pin()->Send(control));
    ASSERT_EQ(3u, sink->Pin()->Seen().size());
    EXPECT_EQ(source->Pin()->lastSent, sink->Pin()->Seen()[2].identity);
    EXPECT_EQ(2u, filter->transformed.size());
}

TEST_F(SmallGraphTest, ARefusedTypeChangeIsReportedToTheGraph) {
    Connect();
    ASSERT_EQ(S_OK, graph->Run());
    COwnedMediaType audio;
    audio.SetMajorType(MEDIATYPE_Audio);
    audio.SetFormatType(FORMAT_VideoInfo);
    OutgoingSample outgoing;
    outgoing.type = &audio;
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, source->Pin()->Send(outgoing));
    PlatformGraphEvent event{};
    ASSERT_EQ(S_OK, graph->WaitForEvent(EC_ERRORABORT, 0, &event));
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, static_cast<HRESULT>(event.param1));
    EXPECT_EQ(VFW_E_RUNTIME_ERROR, source->Pin()->Send(OutgoingSample()));
    EXPECT_EQ(0, sink->Pin()->EndOfStreamCount());
}

TEST_F(SmallGraphTest, SeekingIsAnsweredByOnePassThroughAggregatedByTheOutputPin) {
    Connect();
    IMediaSeeking* first = nullptr;
    IMediaSeeking* second = nullptr;
    ASSERT_EQ(S_OK, filter->Out()->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, filter->Out()->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(first, second);
    IMediaPosition* position = nullptr;
    ASSERT_EQ(S_OK, filter->Out()->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)));
    // The pass-through's interfaces lead back to the pin.
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, first->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pin)));
    EXPECT_EQ(filter->Out(), pin);
    pin->Release();
    position->Release();
    second->Release();
    first->Release();
}

}  // namespace
