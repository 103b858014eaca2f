// The input pin's receive checks and sample properties, batches, blocking,
// allocator hand-over and quality messages.
#include <gtest/gtest.h>

#include "framework/transform_input_pin.h"
#include "tests/framework/stream_test_filters.h"

namespace {

class InputPinTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, TestStreamObjects.load()); }
};

// A sink running on its own, so that its pin accepts samples.
struct RunningSink {
    RunningSink() : sink(TestSink::Create()) { sink->Interface()->Run(0); }
    ~RunningSink() {
        sink->Interface()->Stop();
        sink->Release();
    }
    IMemInputPin* Input() { return sink->Pin(); }
    TestSink* const sink;
};

TEST_F(InputPinTest, PropertiesOfAPlainSampleAreReadInOrder) {
    RunningSink running;
    TestSample* sample = TestSample::Create(40);
    REFERENCE_TIME start = 100;
    REFERENCE_TIME stop = 250;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetPreroll(TRUE);
    sample->SetDiscontinuity(TRUE);
    sample->SetActualDataLength(30);
    ASSERT_EQ(S_OK, running.Input()->Receive(sample));
    const AM_SAMPLE2_PROPERTIES& props = running.sink->Pin()->SampleProperties();
    EXPECT_EQ(sizeof(AM_SAMPLE2_PROPERTIES), props.cbData);
    EXPECT_EQ(static_cast<DWORD>(AM_SAMPLE_SPLICEPOINT | AM_SAMPLE_PREROLL | AM_SAMPLE_DATADISCONTINUITY |
                                 AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID),
              props.dwSampleFlags);
    EXPECT_EQ(100, props.tStart);
    EXPECT_EQ(250, props.tStop);
    EXPECT_EQ(30, props.lActual);
    EXPECT_EQ(40, props.cbBuffer);
    BYTE* buffer = nullptr;
    sample->GetPointer(&buffer);
    EXPECT_EQ(buffer, props.pbBuffer);
    EXPECT_EQ(nullptr, props.pMediaType);

    // A sample whose times can't be read carries no time flags, set or not.
    TestSample* untimed = TestSample::Create(8);
    untimed->SetTime(&start, &stop);
    untimed->getTimeFailure = E_FAIL;
    ASSERT_EQ(S_OK, running.Input()->Receive(untimed));
    EXPECT_EQ(0u, props.dwSampleFlags & (AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID));
    EXPECT_EQ(static_cast<DWORD>(AM_STREAM_MEDIA), props.dwStreamId);
    untimed->Release();
    sample->Release();
}

TEST_F(InputPinTest, AcceptedTypeChangeIsFlaggedAndTheTypeKept) {
    RunningSink running;
    TestSample* sample = TestSample::Create(8);
    COwnedMediaType video;
    FillVideoType(&video, 32);
    sample->SetMediaType(&video);
    ASSERT_EQ(S_OK, running.Input()->Receive(sample));
    const AM_SAMPLE2_PROPERTIES& props = running.sink->Pin()->SampleProperties();
    EXPECT_NE(0u, props.dwSampleFlags & AM_SAMPLE_TYPECHANGED);
    ASSERT_NE(nullptr, props.pMediaType);
    EXPECT_TRUE(video == *props.pMediaType);
    sample->Release();
}

TEST_F(InputPinTest, FlushingAndStoppedPinsRefuseSamples) {
    TestSink* sink = TestSink::Create();
    IMemInputPin* input = sink->Pin();
    TestSample* sample = TestSample::Create(8);
    EXPECT_EQ(E_POINTER, input->Receive(nullptr));
    EXPECT_EQ(VFW_E_WRONG_STATE, input->Receive(sample));
    ASSERT_EQ(S_OK, sink->Interface()->Run(0));
    ASSERT_EQ(S_OK, input->Receive(sample));
    const LONG before = sink->Pin()->SampleProperties().cbBuffer;

    ASSERT_EQ(S_OK, sink->Pin()->BeginFlush());
    TestSample* other = TestSample::Create(99);
    EXPECT_EQ(S_FALSE, input->Receive(other));
    // Not even looked at.
    EXPECT_EQ(before, sink->Pin()->SampleProperties().cbBuffer);
    ASSERT_EQ(S_OK, sink->Pin()->EndFlush());
    EXPECT_EQ(S_OK, input->Receive(other));
    EXPECT_EQ(99, sink->Pin()->SampleProperties().cbBuffer);
    ASSERT_EQ(S_OK, sink->Interface()->Stop());
    other->Release();
    sample->Release();
    sink->Release();
}

TEST_F(InputPinTest, ARefusedTypeChangeStopsTheStreamUntilDeactivated) {
    TestAllocator* upstream = TestAllocator::Create();
    TestAllocator* downstream = TestAllocator::Create();
    {
        Chain chain;
        chain.source->Pin()->ownAllocator = upstream;
        chain.sink->Pin()->offeredAllocator = downstream;
        ASSERT_EQ(S_OK, chain.ConnectInput());
        ASSERT_EQ(S_OK, chain.ConnectOutput());
        ASSERT_EQ(S_OK, chain.Run());
        COwnedMediaType audio;
        audio.SetMajorType(MEDIATYPE_Audio);
        audio.SetFormatType(FORMAT_VideoInfo);
        OutgoingSample outgoing;
        outgoing.type = &audio;
        EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, chain.source->Pin()->Send(outgoing));
        ASSERT_EQ(1, chain.graph.CountEvents(EC_ERRORABORT));
        for (const RecordedEvent& event : chain.graph.events) {
            if (event.code != EC_ERRORABORT) continue;
            EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, static_cast<HRESULT>(event.param1));
            EXPECT_EQ(0, event.param2);
        }
        // The end-of-stream the pin sent itself was refused too: nothing went downstream.
        EXPECT_EQ(0, chain.sink->Pin()->EndOfStreamCount());
        EXPECT_EQ(VFW_E_RUNTIME_ERROR, chain.source->Pin()->Send(OutgoingSample()));
        EXPECT_EQ(VFW_E_RUNTIME_ERROR, chain.filter->In()->EndOfStream());
        EXPECT_TRUE(chain.sink->Pin()->Seen().empty());

        ASSERT_EQ(S_OK, chain.Stop());
        ASSERT_EQ(S_OK, chain.Run());
        EXPECT_EQ(S_OK, chain.source->Pin()->Send(OutgoingSample()));
        EXPECT_EQ(1u, chain.sink->Pin()->Seen().size());
    }
    upstream->Release();
    downstream->Release();
}

TEST_F(InputPinTest, ReceiveMultipleStopsAtTheFirstSampleNotTaken) {
    RunningSink running;
    TestSample* samples[3] = {TestSample::Create(8), TestSample::Create(8), TestSample::Create(8)};
    IMediaSample* batch[3] = {samples[0], samples[1], samples[2]};
    running.sink->Pin()->receiveAnswers = {S_OK, S_FALSE, S_OK};
    LONG processed = -1;
    EXPECT_EQ(S_FALSE, running.Input()->ReceiveMultiple(batch, 3, &processed));
    EXPECT_EQ(1, processed);
    EXPECT_EQ(S_OK, running.Input()->ReceiveMultiple(batch, 0, &processed));
    EXPECT_EQ(0, processed);
    EXPECT_EQ(E_POINTER, running.Input()->ReceiveMultiple(nullptr, 1, &processed));
    for (TestSample* sample : samples) sample->Release();
}

TEST_F(InputPinTest, ReceiveCanBlockAsksEveryConnectedOutput) {
    TestAllocator* upstream = TestAllocator::Create();
    TestAllocator* downstream = TestAllocator::Create();
    {
        Chain chain;
        chain.source->Pin()->ownAllocator = upstream;
        chain.sink->Pin()->offeredAllocator = downstream;
        IMemInputPin* input = chain.filter->InputPin();
        EXPECT_EQ(S_OK, input->ReceiveCanBlock());
        ASSERT_EQ(S_OK, chain.ConnectInput());
        ASSERT_EQ(S_OK, chain.ConnectOutput());
        chain.sink->Pin()->canBlockAnswer = S_FALSE;
        EXPECT_EQ(S_FALSE, input->ReceiveCanBlock());
        chain.sink->Pin()->canBlockAnswer = S_OK;
        EXPECT_EQ(S_OK, input->ReceiveCanBlock());
    }
    upstream->Release();
    downstream->Release();
}

TEST_F(InputPinTest, NotifyAllocatorKeepsOneReferenceOnTheLatest) {
    TestSink* sink = TestSink::Create();
    IMemInputPin* input = sink->Pin();
    TestAllocator* first = TestAllocator::Create();
    TestAllocator* second = TestAllocator::Create();
    EXPECT_EQ(E_POINTER, input->NotifyAllocator(nullptr, FALSE));
    ASSERT_EQ(S_OK, input->NotifyAllocator(first, TRUE));
    ASSERT_EQ(S_OK, input->NotifyAllocator(first, TRUE));
    EXPECT_EQ(2, first->References());
    EXPECT_TRUE(sink->Pin()->IsReadOnly());
    ASSERT_EQ(S_OK, input->NotifyAllocator(second, FALSE));
    EXPECT_EQ(1, first->References());
    EXPECT_EQ(2, second->References());
    EXPECT_FALSE(sink->Pin()->IsReadOnly());
    IMemAllocator* handed = nullptr;
    ASSERT_EQ(S_OK, input->GetAllocator(&handed));
    EXPECT_EQ(second, handed);
    handed->Release();
    ALLOCATOR_PROPERTIES properties{};
    EXPECT_EQ(E_NOTIMPL, input->GetAllocatorRequirements(&properties));
    sink->Release();
    EXPECT_EQ(1, second->References());
    first->Release();
    second->Release();
}

TEST_F(InputPinTest, AnUnconnectedPinMakesOneMemoryAllocatorOfItsOwn) {
    TestSink* sink = TestSink::Create();
    IMemInputPin* input = sink->Pin();
    IMemAllocator* first = nullptr;
    IMemAllocator* second = nullptr;
    ASSERT_EQ(S_OK, input->GetAllocator(&first));
    ASSERT_EQ(S_OK, input->GetAllocator(&second));
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(E_POINTER, input->GetAllocator(nullptr));
    second->Release();
    first->Release();
    sink->Release();
}

TEST_F(InputPinTest, DeactivateWithoutAllocatorKeepsFlushing) {
    TestSink* sink = TestSink::Create();
    ASSERT_EQ(S_OK, sink->Pin()->BeginFlush());
    EXPECT_EQ(VFW_E_NO_ALLOCATOR, sink->Pin()->Deactivate());
    EXPECT_TRUE(sink->Pin()->IsFlushing());
    TestAllocator* allocator = TestAllocator::Create();
    ASSERT_EQ(S_OK, static_cast<IMemInputPin*>(sink->Pin())->NotifyAllocator(allocator, FALSE));
    EXPECT_EQ(S_OK, sink->Pin()->Deactivate());
    EXPECT_FALSE(sink->Pin()->IsFlushing());
    sink->Release();
    allocator->Release();
}

TEST_F(InputPinTest, QualityGoesNowhereWithoutSinkOrPeer) {
    TestSink* sink = TestSink::Create();
    Quality message{Flood, 1200, 0, 0};
    EXPECT_EQ(VFW_E_NOT_FOUND, sink->Pin()->PassQualityUpstream(message));
    sink->Release();
}

}  // namespace
