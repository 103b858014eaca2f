// Calls that downstream makes on the helper's output pin from inside a
// delivery (a renderer at end of stream asks for the seeking pass-through,
// a neighbour reads the connection type) while the graph thread is in the
// helper's Stop, holding the filter lock and waiting for that delivery to end.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/framework/stream_test_objects.h"
#include "tests/helper/helper_graph.h"
#include "tests/support/thread_events.h"

namespace {

enum class Inside { Receive, EndOfStream };

class StopDuringDelivery : public testing::TestWithParam<Inside> {};

TEST_P(StopDuringDelivery, DownstreamCallsOnTheOutputPinAnswerWhileStopWaits) {
    TestAllocator* const allocator = TestAllocator::Create();
    {
        HelperGraph g;
        ASSERT_TRUE(g.IsComplete());
        COwnedMediaType video;
        ASSERT_EQ(S_OK, g.RunVideoOver(allocator, &video));

        // Stop decommits the allocator once it holds the filter lock.
        OneShotEvent stopHoldsTheFilterLock;
        allocator->onDecommit = [&] { stopHoldsTheFilterLock.Set(); };
        std::thread stopping;
        HRESULT stopped = E_FAIL;
        std::atomic<bool> armed{true};
        HRESULT answers[4] = {E_FAIL, E_FAIL, E_FAIL, E_FAIL};
        auto callsFromInside = [&] {
            if (!armed.exchange(false)) return;
            stopping = std::thread([&] { stopped = g.dravik->Stop(); });
            stopHoldsTheFilterLock.Wait();
            IPin* const out = g.HelperOut();
            IMediaSeeking* seeking = nullptr;
            answers[0] = out->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking));
            if (seeking != nullptr) seeking->Release();
            AM_MEDIA_TYPE type{};
            answers[1] = out->ConnectionMediaType(&type);
            ReleaseMediaTypeContents(&type);
            answers[2] = out->QueryAccept(&video);
            IEnumMediaTypes* types = nullptr;
            answers[3] = out->EnumMediaTypes(&types);
            if (types != nullptr) types->Release();
        };
        if (GetParam() == Inside::Receive) {
            g.downstream->Pin()->onSample = [&](IMediaSample*) { callsFromInside(); };
        } else {
            g.downstream->Pin()->onEndOfStream = callsFromInside;
        }

        FinishWithin(std::chrono::seconds(20), "a call from inside the delivery waited for Stop", [&] {
            // The first sample is held back; the second hands it on.
            for (int i = 0; i < 2; ++i) {
                SampleToSend sample;
                sample.data = CountingBytes(64);
                sample.start = i * 400000;
                sample.stop = sample.start + 1;
                g.upstream->Pin()->Send(sample);
            }
            g.upstream->Pin()->SendEndOfStream();
            stopping.join();
        });
        allocator->onDecommit = nullptr;

        EXPECT_FALSE(armed.load()) << "downstream was never called";
        EXPECT_EQ(S_OK, stopped);
        for (HRESULT answer : answers) EXPECT_EQ(S_OK, answer);
    }
    allocator->Release();
}

INSTANTIATE_TEST_SUITE_P(Helper, StopDuringDelivery, testing::Values(Inside::Receive, Inside::EndOfStream),
                         [](const testing::TestParamInfo<Inside>& info) {
                             return info.param == Inside::Receive ? "InsideReceive" : "InsideEndOfStream";
                         });

}  // namespace
