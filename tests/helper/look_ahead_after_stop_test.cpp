// A Receive that passed its checks before Stop or BeginFlush ran, and only
// then reaches the look-ahead slot: the slot stays empty, upstream's buffer
// goes back, and what follows starts with the new stream's first sample.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/framework/stream_test_objects.h"
#include "helper/dravik_input_pin.h"
#include "tests/helper/helper_graph.h"
#include "tests/support/thread_events.h"

namespace {

enum class Interruption { Stop, Flush };

const REFERENCE_TIME kFrameTime = 400000;

SampleToSend Frame(BYTE first, REFERENCE_TIME start) {
    SampleToSend sample;
    sample.data = CountingBytes(64, first);
    sample.start = start;
    sample.stop = start + 1;
    return sample;
}

class LookAheadAfterStopAndFlush : public testing::TestWithParam<Interruption> {};

TEST_P(LookAheadAfterStopAndFlush, ASampleCheckedBeforeItIsNeverKeptOrDeliveredAfterIt) {
    TestAllocator* const allocator = TestAllocator::Create();
    {
        HelperGraph g;
        ASSERT_TRUE(g.IsComplete());
        COwnedMediaType video;
        ASSERT_EQ(S_OK, g.SetBool(GENPROP_Overlay, false));
        ASSERT_EQ(S_OK, g.RunVideoOver(allocator, &video));

        // The first sample of a run is checked; announcing its type makes the
        // check ask downstream, which holds it there.
        OneShotEvent insideTheChecks, leaveTheChecks, stopHasDeactivated;
        std::atomic<bool> hold{true};
        g.downstream->Pin()->accept = [&](const AM_MEDIA_TYPE*) {
            if (hold.exchange(false)) {
                insideTheChecks.Set();
                leaveTheChecks.Wait();
            }
            return S_OK;
        };
        allocator->onDecommit = [&] { stopHasDeactivated.Set(); };
        HRESULT staleResult = E_FAIL;
        HRESULT interrupted = E_FAIL;
        FinishWithin(std::chrono::seconds(20), "the sample held in its checks and the interruption", [&] {
            std::thread streaming([&] {
                SampleToSend stale = Frame(0xA0, 0);
                stale.type = &video;
                staleResult = g.upstream->Pin()->Send(stale);
            });
            insideTheChecks.Wait();
            std::thread stopping;
            if (GetParam() == Interruption::Stop) {
                // Stop deactivates the input, then waits for the Receive to end.
                stopping = std::thread([&] { interrupted = g.dravik->Stop(); });
                stopHasDeactivated.Wait();
            } else {
                interrupted = g.upstream->Pin()->SendBeginFlush();
            }
            leaveTheChecks.Set();
            streaming.join();
            if (stopping.joinable()) stopping.join();
        });
        allocator->onDecommit = nullptr;
        EXPECT_EQ(S_OK, interrupted);
        EXPECT_EQ(S_FALSE, staleResult);
        IMediaSample* const kept = static_cast<CDravikInputPin*>(g.dravik->PinAt(0))->PeekLookAhead();
        EXPECT_EQ(nullptr, kept);
        if (kept != nullptr) kept->Release();
        const void* const staleObject = g.upstream->Pin()->sentObjects.back();
        const auto* staleSample = static_cast<const TestSample*>(static_cast<const IMediaSample*>(staleObject));
        EXPECT_EQ(0, staleSample->References()) << "upstream's buffer is still held";

        if (GetParam() == Interruption::Stop) {
            ASSERT_EQ(S_OK, g.graph->Stop());
            ASSERT_EQ(S_OK, g.graph->Run());
        } else {
            ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndFlush());
        }
        g.downstream->Pin()->Forget();
        EXPECT_EQ(S_OK, g.upstream->Pin()->Send(Frame(0x10, 0)));
        EXPECT_EQ(S_OK, g.upstream->Pin()->Send(Frame(0x20, kFrameTime)));
        EXPECT_EQ(S_OK, g.upstream->Pin()->SendEndOfStream());

        const auto received = g.downstream->Pin()->Received();
        ASSERT_EQ(2u, received.size()) << g.downstream->Pin()->Events();
        EXPECT_EQ(CountingBytes(64, 0x10), received[0].data);
        EXPECT_EQ(0, received[0].start);
        EXPECT_EQ(kFrameTime, received[0].stop);
        EXPECT_EQ(CountingBytes(64, 0x20), received[1].data);
        EXPECT_EQ(kFrameTime, received[1].start);
        ASSERT_EQ(S_OK, g.graph->Stop());
    }
    allocator->Release();
}

INSTANTIATE_TEST_SUITE_P(Helper, LookAheadAfterStopAndFlush, testing::Values(Interruption::Stop, Interruption::Flush),
                         [](const testing::TestParamInfo<Interruption>& info) {
                             return info.param == Interruption::Stop ? "Stop" : "BeginFlush";
                         });

}  // namespace
