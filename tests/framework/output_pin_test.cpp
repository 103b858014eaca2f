// The output pin's allocator choice, its refusals and the send operations.
#include <gtest/gtest.h>

#include "tests/framework/stream_test_filters.h"
#include "tests/framework/test_filter.h"

namespace {

class OutputPinTest : public testing::Test {
protected:
    OutputPinTest() : source(TestSource::Create()), sink(TestSink::Create()), offered(TestAllocator::Create()) {}
    ~OutputPinTest() override {
        source->Pin()->Disconnect();
        sink->Pin()->Disconnect();
        source->Release();
        sink->Release();
        offered->Release();
        EXPECT_EQ(0, TestStreamObjects.load());
    }

    HRESULT Connect() { return source->Pin()->Connect(sink->Pin(), nullptr); }

    TestSource* const source;
    TestSink* const sink;
    TestAllocator* const offered;
};

TEST_F(OutputPinTest, TheDownstreamAllocatorIsSizedFromAnEmptyRequestAndNotReadOnly) {
    sink->Pin()->offeredAllocator = offered;
    ASSERT_EQ(S_OK, Connect());
    const ALLOCATOR_PROPERTIES& request = source->Pin()->lastRequest;
    EXPECT_EQ(0, request.cBuffers);
    EXPECT_EQ(0, request.cbBuffer);
    EXPECT_EQ(1, request.cbAlign);
    EXPECT_EQ(0, request.cbPrefix);
    EXPECT_EQ(offered, source->Pin()->Allocator());
    ASSERT_EQ(1u, sink->Pin()->notified.size());
    EXPECT_EQ(offered, sink->Pin()->notified[0]);
    EXPECT_EQ(FALSE, sink->Pin()->notifiedReadOnly[0]);
    EXPECT_EQ(sink->Pin(), source->Pin()->ConnectedInputPin());
}

TEST_F(OutputPinTest, RequirementsOfTheInputPinShapeTheRequest) {
    sink->Pin()->offeredAllocator = offered;
    sink->Pin()->hasRequirements = true;
    sink->Pin()->requirements = {4, 1000, 0, 8};
    ASSERT_EQ(S_OK, Connect());
    EXPECT_EQ(4, source->Pin()->lastRequest.cBuffers);
    EXPECT_EQ(1000, source->Pin()->lastRequest.cbBuffer);
    EXPECT_EQ(1, source->Pin()->lastRequest.cbAlign);
    EXPECT_EQ(8, source->Pin()->lastRequest.cbPrefix);
}

TEST_F(OutputPinTest, WithoutADownstreamAllocatorANewOneIsMadeAndOffered) {
    TestAllocator* fresh = TestAllocator::Create();
    source->Pin()->defaultAllocator = fresh;
    sink->Pin()->getAllocatorResult = E_NOTIMPL;
    ASSERT_EQ(S_OK, Connect());
    EXPECT_EQ(fresh, source->Pin()->Allocator());
    ASSERT_EQ(1u, sink->Pin()->notified.size());
    EXPECT_EQ(fresh, sink->Pin()->notified[0]);
    EXPECT_EQ(FALSE, sink->Pin()->notifiedReadOnly[0]);
    ALLOCATOR_PROPERTIES properties{};
    ASSERT_EQ(S_OK, fresh->GetProperties(&properties));
    EXPECT_EQ(2, properties.cBuffers);
    EXPECT_EQ(256, properties.cbBuffer);
    fresh->Release();
}

TEST_F(OutputPinTest, ARefusedDownstreamAllocatorIsDroppedForANewOne) {
    TestAllocator* fresh = TestAllocator::Create();
    source->Pin()->defaultAllocator = fresh;
    sink->Pin()->offeredAllocator = offered;
    sink->Pin()->refusedAllocator = offered;
    ASSERT_EQ(S_OK, Connect());
    EXPECT_EQ(fresh, source->Pin()->Allocator());
    ASSERT_EQ(2u, sink->Pin()->notified.size());
    EXPECT_EQ(offered, sink->Pin()->notified[0]);
    EXPECT_EQ(fresh, sink->Pin()->notified[1]);
    // Nobody but the test holds the refused one any more.
    EXPECT_EQ(1, offered->References());
    fresh->Release();
}

TEST_F(OutputPinTest, WhenNoAllocatorCanBeSetUpTheConnectionIsRolledBack) {
    TestAllocator* fresh = TestAllocator::Create();
    source->Pin()->defaultAllocator = fresh;
    fresh->setPropertiesResult = E_OUTOFMEMORY;
    sink->Pin()->getAllocatorResult = E_NOTIMPL;
    EXPECT_EQ(E_OUTOFMEMORY, Connect());
    EXPECT_FALSE(source->Pin()->IsConnected());
    EXPECT_FALSE(sink->Pin()->IsConnected());
    EXPECT_EQ(nullptr, source->Pin()->Allocator());
    EXPECT_EQ(nullptr, source->Pin()->ConnectedInputPin());
    EXPECT_EQ(1, fresh->References());
    fresh->Release();
}

TEST_F(OutputPinTest, APeerWithoutMemInputPinIsRefused) {
    FilterRef other;
    TestPin* input = other->AddPin("plain", PINDIR_INPUT);
    EXPECT_EQ(E_NOINTERFACE, source->Pin()->Connect(input, nullptr));
    EXPECT_FALSE(source->Pin()->IsConnected());
    EXPECT_FALSE(input->IsConnected());
    EXPECT_EQ(nullptr, source->Pin()->ConnectedInputPin());
}

TEST_F(OutputPinTest, WithoutAConnectionNothingCanBeSentOrCommitted) {
    TestSourcePin* pin = source->Pin();
    IMediaSample* sample = reinterpret_cast<IMediaSample*>(&sample);
    EXPECT_EQ(E_NOINTERFACE, pin->GetOutputSample(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, sample);
    EXPECT_EQ(VFW_E_NO_ALLOCATOR, pin->Activate());
    EXPECT_EQ(VFW_E_NO_ALLOCATOR, pin->Deactivate());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->SendEndOfStream());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->SendBeginFlush());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->SendEndFlush());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->SendNewSegment(0, 1, 1.0));
    EXPECT_EQ(E_UNEXPECTED, pin->EndOfStream());
    EXPECT_EQ(E_UNEXPECTED, pin->BeginFlush());
    EXPECT_EQ(E_UNEXPECTED, pin->EndFlush());

    sink->Pin()->offeredAllocator = offered;
    ASSERT_EQ(S_OK, Connect());
    ASSERT_EQ(S_OK, source->Interface()->Pause());
    EXPECT_TRUE(offered->IsCommitted());
    ASSERT_EQ(S_OK, pin->GetOutputSample(&sample, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, source->Interface()->Stop());
    EXPECT_FALSE(offered->IsCommitted());
    ASSERT_EQ(S_OK, pin->Disconnect());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->DeliverSample(sample));
    sample->Release();
}

}  // namespace
