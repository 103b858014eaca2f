// Stops and flushes from the control thread while the streaming thread is
// blocked inside the in-place filter: nothing may deadlock.
#include <gtest/gtest.h>

#include <thread>

#include "tests/framework/stream_test_filters.h"

namespace {

class StreamingThreadsTest : public testing::Test {
protected:
    StreamingThreadsTest() : upstream(TestAllocator::Create()), downstream(TestAllocator::Create()) {
        chain.source->Pin()->ownAllocator = upstream;
        chain.sink->Pin()->offeredAllocator = downstream;
    }
    ~StreamingThreadsTest() override {
        chain.graph.Clear();
        upstream->Release();
        downstream->Release();
    }

    void ConnectAndRun(BOOL readOnly) {
        chain.source->Pin()->readOnly = readOnly;
        ASSERT_EQ(S_OK, chain.ConnectInput());
        ASSERT_EQ(S_OK, chain.ConnectOutput());
        ASSERT_EQ(S_OK, chain.Run());
    }

    Chain chain;
    TestAllocator* const upstream;
    TestAllocator* const downstream;
};

TEST_F(StreamingThreadsTest, StopWhileTheCopyWaitsForAnOutputBuffer) {
    chain.source->Pin()->buffers = 1;
    ConnectAndRun(TRUE);
    ASSERT_TRUE(chain.filter->AllocatorsDiffer());
    // The sink keeps the only output buffer, so the second copy must wait for one.
    chain.sink->Pin()->keepSamples = true;
    ALLOCATOR_PROPERTIES properties{};
    ASSERT_EQ(S_OK, downstream->GetProperties(&properties));
    ASSERT_EQ(1, properties.cBuffers);

    HRESULT first = E_FAIL;
    HRESULT second = E_FAIL;
    std::thread streaming([&] {
        first = chain.source->Pin()->Send(OutgoingSample());
        second = chain.source->Pin()->Send(OutgoingSample());
    });
    downstream->WaitForBlockedCaller();
    // Only the filter is stopped: it must free the waiting thread by itself.
    EXPECT_EQ(S_OK, chain.filter->Interface()->Stop());
    streaming.join();
    EXPECT_EQ(S_OK, first);
    EXPECT_EQ(E_UNEXPECTED, second);
    EXPECT_EQ(State_Stopped, chain.filter->State());
    EXPECT_EQ(1u, chain.sink->Pin()->Seen().size());
    chain.sink->Pin()->DropKept();
}

TEST_F(StreamingThreadsTest, StopWhileDownstreamReceiveBlocks) {
    ConnectAndRun(FALSE);
    chain.sink->Pin()->blockInReceive = true;
    HRESULT sent = E_FAIL;
    std::thread streaming([&] { sent = chain.source->Pin()->Send(OutgoingSample()); });
    chain.sink->Pin()->WaitForBlockedReceive();

    // The filter's Stop waits for the receive lock until downstream lets go.
    HRESULT stopped = E_FAIL;
    std::thread control([&] { stopped = chain.filter->Interface()->Stop(); });
    EXPECT_EQ(S_OK, chain.sink->Interface()->Stop());
    streaming.join();
    control.join();
    EXPECT_EQ(S_OK, sent);
    EXPECT_EQ(S_OK, stopped);
    EXPECT_EQ(State_Stopped, chain.filter->State());
    EXPECT_EQ(1, chain.filter->streamingStops);
}

TEST_F(StreamingThreadsTest, AFlushReleasesABlockedReceive) {
    ConnectAndRun(FALSE);
    chain.sink->Pin()->blockInReceive = true;
    HRESULT sent = E_FAIL;
    std::thread streaming([&] { sent = chain.source->Pin()->Send(OutgoingSample()); });
    chain.sink->Pin()->WaitForBlockedReceive();
    // The flush takes only the filter lock, so it reaches downstream past the blocked Receive.
    EXPECT_EQ(S_OK, chain.filter->In()->BeginFlush());
    streaming.join();
    EXPECT_EQ(S_OK, sent);
    EXPECT_EQ(S_FALSE, chain.source->Pin()->Send(OutgoingSample()));
    EXPECT_EQ(S_OK, chain.filter->In()->EndFlush());
    chain.sink->Pin()->blockInReceive = false;
    EXPECT_EQ(S_OK, chain.source->Pin()->Send(OutgoingSample()));
    EXPECT_EQ(2u, chain.sink->Pin()->Seen().size());
}

}  // namespace
