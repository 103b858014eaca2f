// Upstream filters that give the look-ahead no buffer to spare: one that sizes
// its allocator without asking, and ones whose samples come from an allocator
// they never notified. The helper keeps a copy instead of the upstream buffer,
// so the stream flows, and passes the upstream's own samples on where it can.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "framework/format_blocks.h"
#include "tests/framework/stream_test_objects.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

const LONG kWidth = 64;
const LONG kHeight = 16;
const LONG kFrameBytes = kWidth * kHeight * 4;
const int kFrames = 6;
const REFERENCE_TIME kFrameTime = 400000;

class LookAheadCopies : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g.IsComplete()); }

    void Connect() {
        COwnedMediaType video;
        MakeVideo(&video, MEDIASUBTYPE_RGB32, kWidth, kHeight, false, kFrameTime);
        BITMAPINFOHEADER& bitmap = VideoInfoOf(video)->bmiHeader;
        bitmap.biBitCount = 32;
        bitmap.biCompression = BI_RGB;
        bitmap.biSizeImage = kFrameBytes;
        video.SetSampleSize(kFrameBytes);
        g.upstream->Offer(video);
        ASSERT_EQ(S_OK, g.ConnectInput());
        ASSERT_EQ(S_OK, g.ConnectOutput());
        // Byte-identical frames make every copy checkable.
        ASSERT_EQ(S_OK, g.SetBool(GENPROP_Overlay, false));
        ASSERT_EQ(S_OK, g.graph->Run());
    }

    static std::vector<BYTE> Frame(int index) { return CountingBytes(kFrameBytes, static_cast<BYTE>(index * 37)); }

    // Sends the frames and end of stream on a streaming thread of their own.
    // False when they have not all gone in time: the stream stalled, and the
    // graph is stopped to let the thread go.
    bool StreamWithin(std::chrono::seconds limit, bool stopValid = true) {
        std::promise<void> finished;
        std::future<void> done = finished.get_future();
        std::thread streaming([&] {
            for (int i = 0; i < kFrames; ++i) {
                SampleToSend sample;
                sample.data = Frame(i);
                sample.start = i * kFrameTime;
                sample.stop = sample.start + 1;
                sample.stopValid = stopValid;
                results[i] = g.upstream->Pin()->Send(sample);
            }
            endResult = g.upstream->Pin()->SendEndOfStream();
            finished.set_value();
        });
        const bool inTime = done.wait_for(limit) == std::future_status::ready;
        if (!inTime) {
            EXPECT_EQ(S_OK, g.graph->Stop());
        }
        streaming.join();
        return inTime;
    }

    void ExpectEveryFrameWholeAndRetimed() {
        for (int i = 0; i < kFrames; ++i) EXPECT_EQ(S_OK, results[i]) << "frame " << i;
        EXPECT_EQ(S_OK, endResult);
        const auto received = g.downstream->Pin()->Received();
        ASSERT_EQ(static_cast<size_t>(kFrames), received.size());
        for (int i = 0; i < kFrames; ++i) {
            EXPECT_EQ(Frame(i), received[i].data) << "frame " << i;
            EXPECT_EQ(i * kFrameTime, received[i].start) << "frame " << i;
            EXPECT_EQ((i + 1) * kFrameTime, received[i].stop) << "frame " << i;
        }
        EXPECT_EQ("SSSSSSE", g.downstream->Pin()->Events());
    }

    // How many received samples are upstream's own sample objects.
    int PassedOnObjects() {
        const auto received = g.downstream->Pin()->Received();
        const auto& sent = g.upstream->Pin()->sentObjects;
        int same = 0;
        for (size_t i = 0; i < received.size() && i < sent.size(); ++i) same += received[i].object == sent[i];
        return same;
    }

    HelperGraph g;
    HRESULT results[kFrames] = {};
    HRESULT endResult = E_FAIL;
};

TEST_F(LookAheadCopies, UpstreamWithOneBufferAndNoEarForRequirementsStillFlows) {
    g.upstream->Pin()->buffers = 1;
    g.upstream->Pin()->bufferSize = kFrameBytes;
    g.upstream->Pin()->honourRequests = false;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10))) << "the look-ahead kept upstream's only buffer";
    ExpectEveryFrameWholeAndRetimed();
    EXPECT_EQ(0, PassedOnObjects()) << "copies go on, not the upstream buffers";
}

TEST_F(LookAheadCopies, CopiesFlowAgainAfterAStopAndARun) {
    g.upstream->Pin()->buffers = 1;
    g.upstream->Pin()->bufferSize = kFrameBytes;
    g.upstream->Pin()->honourRequests = false;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10)));
    ASSERT_EQ(S_OK, g.graph->Stop());
    g.downstream->Pin()->Forget();
    ASSERT_EQ(S_OK, g.graph->Run());
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10))) << "the second run stalled";
    ExpectEveryFrameWholeAndRetimed();
}

TEST_F(LookAheadCopies, SamplesFromAnAllocatorUpstreamNeverNamedStillFlow) {
    // The named allocator's buffers are smaller than the samples: they come from elsewhere.
    g.upstream->Pin()->bufferSize = 16;
    g.upstream->Pin()->ownBuffers = 1;
    g.upstream->Pin()->ownBufferSize = kFrameBytes;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10))) << "the look-ahead kept upstream's only buffer";
    ExpectEveryFrameWholeAndRetimed();
    EXPECT_EQ(0, PassedOnObjects());
}

TEST_F(LookAheadCopies, StartTimesAloneSurviveTheCopyAndAreRetimed) {
    g.upstream->Pin()->buffers = 1;
    g.upstream->Pin()->bufferSize = kFrameBytes;
    g.upstream->Pin()->honourRequests = false;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10), false));
    ExpectEveryFrameWholeAndRetimed();
    EXPECT_EQ(0, PassedOnObjects());
}

// Upstream notified an allocator with buffers to spare, of the samples' size,
// and delivers from one of its own with this many buffers, which the samples name.
class NamedAllocators : public LookAheadCopies, public testing::WithParamInterface<LONG> {};

TEST_P(NamedAllocators, DecideWhetherTheSampleIsCopied) {
    TestAllocator* const own = TestAllocator::Create();
    own->namedBySamples = true;
    ALLOCATOR_PROPERTIES wanted = {GetParam(), kFrameBytes, 1, 0}, actual{};
    ASSERT_EQ(S_OK, own->SetProperties(&wanted, &actual));
    ASSERT_EQ(S_OK, own->Commit());
    g.upstream->Pin()->bufferSize = kFrameBytes;
    g.upstream->Pin()->givenAllocator = own;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10))) << "the look-ahead kept upstream's only buffer";
    ExpectEveryFrameWholeAndRetimed();
    EXPECT_EQ(GetParam() < 2 ? 0 : kFrames, PassedOnObjects());
    ASSERT_EQ(S_OK, g.graph->Stop());
    g.downstream->Pin()->Forget();
    own->Release();
}

INSTANTIATE_TEST_SUITE_P(Helper, NamedAllocators, testing::Values(1, 4));

TEST_F(LookAheadCopies, UpstreamWithASpareBufferHasItsOwnSamplesPassedOn) {
    g.upstream->Pin()->bufferSize = kFrameBytes;
    Connect();
    ASSERT_TRUE(StreamWithin(std::chrono::seconds(10)));
    ExpectEveryFrameWholeAndRetimed();
    EXPECT_EQ(kFrames, PassedOnObjects()) << "nothing copied where upstream can spare the held buffer";
}

}  // namespace
