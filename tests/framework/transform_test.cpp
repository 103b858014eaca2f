// The transform filter's state changes, pin lookup, connection order, flushing
// and quality messages, seen through the in-place test filter.
#include <gtest/gtest.h>

#include "framework/transform_input_pin.h"
#include "framework/transform_output_pin.h"
#include "tests/framework/stream_test_filters.h"

namespace {

class TransformTest : public testing::Test {
protected:
    TransformTest() : upstream(TestAllocator::Create()), downstream(TestAllocator::Create()) {
        chain.source->Pin()->ownAllocator = upstream;
        chain.sink->Pin()->offeredAllocator = downstream;
    }
    ~TransformTest() override {
        chain.graph.Clear();
        upstream->Release();
        downstream->Release();
    }
    void ConnectBoth() {
        ASSERT_EQ(S_OK, chain.ConnectInput());
        ASSERT_EQ(S_OK, chain.ConnectOutput());
    }

    Chain chain;
    TestAllocator* const upstream;
    TestAllocator* const downstream;
};

TEST_F(TransformTest, PausingWithoutAConnectedInputSendsOneEndOfStreamUntilTheNextStop) {
    ConnectBoth();
    ASSERT_EQ(S_OK, chain.filter->In()->Disconnect());
    ASSERT_EQ(S_OK, chain.source->Pin()->Disconnect());
    IBaseFilter* filter = chain.filter->Interface();
    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(1, chain.sink->Pin()->EndOfStreamCount());
    ASSERT_EQ(S_OK, filter->Run(0));
    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(1, chain.sink->Pin()->EndOfStreamCount());
    EXPECT_EQ(State_Paused, chain.filter->State());
    ASSERT_EQ(S_OK, filter->Stop());
    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(2, chain.sink->Pin()->EndOfStreamCount());
    EXPECT_EQ(0, chain.filter->streamingStarts);
}

TEST_F(TransformTest, StreamingStartsAndStopsOnlyWithBothPinsConnected) {
    IBaseFilter* filter = chain.filter->Interface();
    ASSERT_EQ(S_OK, chain.ConnectInput());
    ASSERT_EQ(S_OK, filter->Pause());
    ASSERT_EQ(S_OK, filter->Stop());
    EXPECT_EQ(0, chain.filter->streamingStarts);
    EXPECT_EQ(0, chain.filter->streamingStops);

    ASSERT_EQ(S_OK, chain.ConnectOutput());
    ASSERT_EQ(S_OK, filter->Run(0));
    ASSERT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(1, chain.filter->streamingStarts);
    EXPECT_TRUE(upstream->IsCommitted());
    ASSERT_EQ(S_OK, filter->Stop());
    EXPECT_EQ(1, chain.filter->streamingStops);
    EXPECT_EQ(State_Stopped, chain.filter->State());
    EXPECT_FALSE(upstream->IsCommitted());
}

TEST_F(TransformTest, AFailedStreamingStartOrStopLeavesTheState) {
    ConnectBoth();
    IBaseFilter* filter = chain.filter->Interface();
    chain.filter->streamingStartResult = E_ABORT;
    EXPECT_EQ(E_ABORT, filter->Pause());
    EXPECT_EQ(State_Stopped, chain.filter->State());
    EXPECT_FALSE(upstream->IsCommitted());

    chain.filter->streamingStartResult = S_OK;
    ASSERT_EQ(S_OK, filter->Pause());
    chain.filter->streamingStopResult = E_ABORT;
    EXPECT_EQ(E_ABORT, filter->Stop());
    EXPECT_EQ(State_Paused, chain.filter->State());
    // Both pins were deactivated all the same.
    EXPECT_FALSE(upstream->IsCommitted());
    chain.filter->streamingStopResult = S_OK;
}

TEST_F(TransformTest, FindPinKnowsExactlyInAndOut) {
    IBaseFilter* filter = chain.filter->Interface();
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"In", &pin));
    EXPECT_EQ(chain.filter->In(), pin);
    pin->Release();
    ASSERT_EQ(S_OK, filter->FindPin(L"Out", &pin));
    EXPECT_EQ(chain.filter->Out(), pin);
    pin->Release();
    pin = chain.filter->In();
    EXPECT_EQ(VFW_E_NOT_FOUND, filter->FindPin(L"in", &pin));
    EXPECT_EQ(nullptr, pin);
    EXPECT_EQ(E_POINTER, filter->FindPin(L"In", nullptr));

    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, chain.filter->In()->QueryId(&id));
    EXPECT_EQ(0, lstrcmpW(id, L"In"));
    CoTaskMemFree(id);
    ASSERT_EQ(S_OK, chain.filter->Out()->QueryId(&id));
    EXPECT_EQ(0, lstrcmpW(id, L"Out"));
    CoTaskMemFree(id);
}

TEST_F(TransformTest, TheOutputWaitsForTheInput) {
    COwnedMediaType video;
    FillVideoType(&video);
    // The transform output's own check; the in-place output replaces it.
    EXPECT_EQ(E_INVALIDARG, chain.filter->OutputPin()->CTransformOutputPin::CheckPinType(&video));
    EXPECT_TRUE(FAILED(chain.ConnectOutput()));
    EXPECT_FALSE(chain.filter->OutputPin()->IsConnected());
    EXPECT_FALSE(chain.sink->Pin()->IsConnected());
    COwnedMediaType offered;
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, chain.filter->OutputPin()->MediaTypeAt(0, &offered));

    // Samples and end-of-stream need the output.
    ASSERT_EQ(S_OK, chain.ConnectInput());
    ASSERT_EQ(S_OK, chain.filter->Interface()->Run(0));
    TestSample* sample = TestSample::Create(16);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, static_cast<IMemInputPin*>(chain.filter->InputPin())->Receive(sample));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, chain.filter->In()->EndOfStream());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, chain.filter->In()->BeginFlush());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, chain.filter->In()->EndFlush());
    sample->Release();
}

TEST_F(TransformTest, AFailedEndFlushLeavesTheInputFlushing) {
    ConnectBoth();
    ASSERT_EQ(S_OK, chain.Run());
    IPin* input = chain.filter->In();
    ASSERT_EQ(S_OK, input->BeginFlush());
    EXPECT_EQ(1, chain.sink->Pin()->beginFlushCount);
    EXPECT_EQ(S_FALSE, chain.source->Pin()->Send(OutgoingSample()));
    chain.filter->endFlushFailure = E_ABORT;
    EXPECT_EQ(E_ABORT, input->EndFlush());
    EXPECT_EQ(S_FALSE, chain.source->Pin()->Send(OutgoingSample()));
    chain.filter->endFlushFailure = S_OK;
    ASSERT_EQ(S_OK, input->EndFlush());
    EXPECT_EQ(1, chain.sink->Pin()->endFlushCount);
    EXPECT_EQ(S_OK, chain.source->Pin()->Send(OutgoingSample()));
    EXPECT_EQ(1u, chain.sink->Pin()->Seen().size());
}

TEST_F(TransformTest, EndOfStreamAndNewSegmentGoDownstream) {
    ConnectBoth();
    ASSERT_EQ(S_OK, chain.Run());
    EXPECT_EQ(S_OK, chain.filter->In()->EndOfStream());
    EXPECT_EQ(1, chain.sink->Pin()->EndOfStreamCount());
    EXPECT_EQ(S_OK, chain.filter->In()->NewSegment(10, 20, 1.5));
    ASSERT_EQ(S_OK, chain.Stop());
    // Stopped: end-of-stream is refused.
    EXPECT_EQ(VFW_E_WRONG_STATE, chain.filter->In()->EndOfStream());
    EXPECT_EQ(1, chain.sink->Pin()->EndOfStreamCount());
}

TEST_F(TransformTest, QualityMessagesTravelUpstreamUnlessTheFilterTakesThem) {
    ConnectBoth();
    IQualityControl* quality = nullptr;
    ASSERT_EQ(S_OK, chain.filter->Out()->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&quality)));
    Quality message{Famine, 900, 5, 77};
    EXPECT_EQ(S_OK, quality->Notify(chain.sink->Interface(), message));
    ASSERT_EQ(1u, chain.source->Pin()->qualityMessages.size());
    EXPECT_EQ(77, chain.source->Pin()->qualityMessages[0].TimeStamp);
    EXPECT_EQ(900, chain.source->Pin()->qualityMessages[0].Proportion);

    chain.filter->qualityResult = S_OK;
    EXPECT_EQ(S_OK, quality->Notify(chain.sink->Interface(), message));
    EXPECT_EQ(1u, chain.source->Pin()->qualityMessages.size());

    // A sink set on the input pin takes precedence over the upstream pin.
    chain.filter->qualityResult = S_FALSE;
    IQualityControl* upstreamQuality = nullptr;
    ASSERT_EQ(S_OK, chain.source->Pin()->QueryInterface(IID_IQualityControl,
                                                        reinterpret_cast<void**>(&upstreamQuality)));
    IQualityControl* inputQuality = nullptr;
    ASSERT_EQ(S_OK, chain.filter->In()->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&inputQuality)));
    ASSERT_EQ(S_OK, inputQuality->SetSink(upstreamQuality));
    EXPECT_EQ(S_OK, quality->Notify(chain.sink->Interface(), message));
    EXPECT_EQ(2u, chain.source->Pin()->qualityMessages.size());
    ASSERT_EQ(S_OK, inputQuality->SetSink(nullptr));
    upstreamQuality->Release();

    // With neither a sink nor an upstream pin the message goes nowhere.
    ASSERT_EQ(S_OK, chain.filter->In()->Disconnect());
    ASSERT_EQ(S_OK, chain.source->Pin()->Disconnect());
    EXPECT_EQ(VFW_E_NOT_FOUND, quality->Notify(chain.sink->Interface(), message));
    // An input pin takes no quality messages itself.
    EXPECT_EQ(S_OK, inputQuality->Notify(chain.sink->Interface(), message));
    EXPECT_EQ(E_POINTER, inputQuality->Notify(nullptr, message));
    inputQuality->Release();
    quality->Release();
}

}  // namespace
