// A real streaming thread delivering into the helper filter while another
// thread flushes, pauses, stops and reads properties: nothing is released
// twice, used after release or leaked.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

void StressWith(HelperGraph* g, const AM_MEDIA_TYPE* announced) {
    ASSERT_EQ(S_OK, g->graph->Run());
    std::atomic<bool> done{false};
    std::atomic<int> sent{0};
    std::thread streaming([&] {
        REFERENCE_TIME start = 0;
        int index = 0;
        while (!done.load()) {
            SampleToSend sample;
            sample.data = CountingBytes(512 + static_cast<size_t>(index % 7) * 64);
            sample.timed = index % 3 != 2;
            sample.start = start;
            sample.stop = start + 1;
            if (announced != nullptr && index % 50 == 1) sample.type = announced;
            // Stopped or flushing answers are expected here; the stream goes on.
            g->upstream->Pin()->Send(sample);
            if (index % 40 == 39) g->upstream->Pin()->SendEndOfStream();
            start += 400000;
            ++index;
            sent.fetch_add(1);
        }
    });

    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
    int round = 0;
    LONGLONG value = 0;
    while (std::chrono::steady_clock::now() < until) {
        switch (round % 4) {
            case 0:
                EXPECT_EQ(S_OK, g->upstream->Pin()->SendBeginFlush());
                EXPECT_EQ(S_OK, g->upstream->Pin()->SendEndFlush());
                break;
            case 1:
                EXPECT_TRUE(SUCCEEDED(g->graph->Pause()));
                break;
            case 2:
                EXPECT_EQ(S_OK, g->graph->Stop());
                break;
            default:
                EXPECT_TRUE(SUCCEEDED(g->graph->Run()));
                break;
        }
        EXPECT_EQ(S_OK, g->GetI8(GENPROP_BytesReceived, &value));
        EXPECT_GE(value, 0);
        g->GetI8(GENPROP_FirstFrameDuration, &value);
        EXPECT_EQ(S_OK, g->GetI8(GENPROP_LastStartTime, &value));
        if (round % 4 == 3) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++round;
    }
    done = true;
    streaming.join();
    EXPECT_EQ(S_OK, g->graph->Stop());
    EXPECT_GT(sent.load(), 0);
    EXPECT_GT(round, 10);
}

// A small YUY2 stream; `upstreamBuffers` buffers, given whatever the helper asks for when `ignoreRequests`.
void StressVideo(LONG upstreamBuffers, bool ignoreRequests) {
    HelperGraph g;
    ASSERT_TRUE(g.IsComplete());
    COwnedMediaType video;
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 32, 8);
    g.upstream->Offer(video);
    g.upstream->Pin()->buffers = upstreamBuffers;
    g.upstream->Pin()->honourRequests = !ignoreRequests;
    g.upstream->Pin()->bufferSize = 4096;
    g.downstream->Pin()->keepData = false;
    ASSERT_EQ(S_OK, g.ConnectInput());
    ASSERT_EQ(S_OK, g.ConnectOutput());
    StressWith(&g, nullptr);
    EXPECT_GT(g.downstream->Pin()->ReceivedCount(), 0u);
}

TEST(HelperStress, VideoStreamSurvivesFlushesAndStateChangesFromAnotherThread) { StressVideo(4, false); }

// One upstream buffer: the look-ahead keeps copies.
TEST(HelperStress, VideoStreamKeptAsCopiesSurvivesFlushesAndStateChangesFromAnotherThread) { StressVideo(1, true); }

TEST(HelperStress, PackingStreamSurvivesFlushesAndStateChangesFromAnotherThread) {
    HelperGraph g;
    ASSERT_TRUE(g.IsComplete());
    COwnedMediaType pcm, ac3;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    g.upstream->Offer(pcm);
    g.upstream->Pin()->bufferSize = 4096;
    g.downstream->Pin()->keepData = false;
    ASSERT_EQ(S_OK, g.ConnectInput());
    ASSERT_EQ(S_OK, g.ConnectOutput());
    StressWith(&g, &ac3);
    EXPECT_GT(g.downstream->Pin()->ReceivedCount(), 0u);
}

}  // namespace
