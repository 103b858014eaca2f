// The helper filter's sample path in the small graph: re-timing through the
// look-ahead sample, the logo on video frames, packing of compressed audio,
// and what end of stream, new segment and flush do to held samples.
#include <gtest/gtest.h>

#include "framework/format_blocks.h"
#include "overlay/frame_description.h"
#include "overlay/logo_blend.h"
#include "overlay/logo_image.h"
#include "overlay/aligned_buffer.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

const LONG kWidth = 320;
const LONG kHeight = 120;
const LONG kFrameBytes = kWidth * kHeight * 4;

void MakeRgb32(COwnedMediaType* type) {
    MakeVideo(type, MEDIASUBTYPE_RGB32, kWidth, kHeight, false, 400000);
    BITMAPINFOHEADER& bitmap = VideoInfoOf(*type)->bmiHeader;
    bitmap.biBitCount = 32;
    bitmap.biCompression = BI_RGB;
    bitmap.biSizeImage = kFrameBytes;
    type->SetSampleSize(kFrameBytes);
}

SampleToSend Timed(REFERENCE_TIME start, REFERENCE_TIME stop, std::vector<BYTE> data,
                   const AM_MEDIA_TYPE* type = nullptr) {
    SampleToSend sample;
    sample.data = std::move(data);
    sample.start = start;
    sample.stop = stop;
    sample.type = type;
    return sample;
}

SampleToSend Untimed(std::vector<BYTE> data) {
    SampleToSend sample;
    sample.data = std::move(data);
    sample.timed = false;
    return sample;
}

std::vector<BYTE> Joined(std::initializer_list<const std::vector<BYTE>*> parts) {
    std::vector<BYTE> joined;
    for (const std::vector<BYTE>* part : parts) joined.insert(joined.end(), part->begin(), part->end());
    return joined;
}

class SamplePath : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g.IsComplete());
        MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    }

    void ConnectVideo() {
        COwnedMediaType video;
        MakeRgb32(&video);
        g.upstream->Offer(video);
        g.upstream->Pin()->bufferSize = kFrameBytes;
        ASSERT_EQ(S_OK, g.ConnectInput());
        ASSERT_EQ(S_OK, g.ConnectOutput());
        ASSERT_EQ(S_OK, g.graph->Run());
    }

    void ConnectPcm(LONG bufferSize = 65536) {
        COwnedMediaType pcm;
        MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
        g.upstream->Offer(pcm);
        g.upstream->Pin()->bufferSize = bufferSize;
        ASSERT_EQ(S_OK, g.ConnectInput());
        ASSERT_EQ(S_OK, g.ConnectOutput());
        ASSERT_EQ(S_OK, g.graph->Run());
    }

    // A PCM sample, then T1 announcing AC-3: the stream packs from T1 on.
    void StartPacking(const std::vector<BYTE>& t1) {
        ASSERT_EQ(S_OK, Send(Timed(0, 1, CountingBytes(64))));
        ASSERT_EQ(S_OK, Send(Timed(400000, 400001, t1, &ac3)));
    }

    HRESULT Send(const SampleToSend& sample) { return g.upstream->Pin()->Send(sample); }
    HRESULT EndOfStream() { return g.upstream->Pin()->SendEndOfStream(); }
    std::vector<ReceivedSample> Received() { return g.downstream->Pin()->Received(); }
    std::string Events() { return g.downstream->Pin()->Events(); }

    HelperGraph g;
    COwnedMediaType ac3;
};

TEST_F(SamplePath, EachSampleEndsWhereTheNextStartsAndTheLastAfterOneFrame) {
    ConnectVideo();
    ASSERT_EQ(S_OK, Send(Timed(0, 1, CountingBytes(kFrameBytes))));
    EXPECT_EQ(0u, g.downstream->Pin()->ReceivedCount()) << "held back until the next sample arrives";
    ASSERT_EQ(S_OK, Send(Timed(400000, 400001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(1u, g.downstream->Pin()->ReceivedCount());
    ASSERT_EQ(S_OK, Send(Timed(800000, 800001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(2u, g.downstream->Pin()->ReceivedCount());
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(0, received[0].start);
    EXPECT_EQ(400000, received[0].stop);
    EXPECT_EQ(400000, received[1].start);
    EXPECT_EQ(800000, received[1].stop);
    EXPECT_EQ(800000, received[2].start);
    EXPECT_EQ(1200000, received[2].stop);
    EXPECT_EQ("SSSE", Events());

    LONGLONG value = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_FirstFrameDuration, &value));
    EXPECT_EQ(400000, value);
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_LastStartTime, &value));
    EXPECT_EQ(800000, value);
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &value));
    EXPECT_EQ(3 * kFrameBytes, value);
}

TEST_F(SamplePath, EqualStartTimesKeepTheLongerOfStopAndOneFrame) {
    ConnectVideo();
    ASSERT_EQ(S_OK, Send(Timed(400000, 400001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Timed(400000, 2000000, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Timed(400000, 400001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(800000, received[0].stop);
    EXPECT_EQ(2000000, received[1].stop);
    EXPECT_EQ(800000, received[2].stop);
    LONGLONG value = 0;
    EXPECT_EQ(E_FAIL, g.GetI8(GENPROP_FirstFrameDuration, &value)) << "no later start seen: nothing measured";
}

TEST_F(SamplePath, TimesAtTheEndsOfTheRangeStopThereInsteadOfWrapping) {
    ConnectVideo();
    ASSERT_EQ(S_OK, Send(Timed(INT64_MIN, INT64_MIN + 1, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Timed(INT64_MAX - 1, INT64_MAX - 1, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(INT64_MAX - 1, received[0].stop);
    EXPECT_EQ(INT64_MAX, received[1].stop) << "start + one frame";
    LONGLONG value = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_FirstFrameDuration, &value));
    EXPECT_EQ(INT64_MAX, value);
}

TEST_F(SamplePath, UntimedSamplesPassWithoutTimesAndLeaveTheLastStartTime) {
    ConnectVideo();
    ASSERT_EQ(S_OK, Send(Timed(1200000, 1200001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(S_OK, received[0].timeResult);
    EXPECT_EQ(1600000, received[0].stop) << "the untimed next sample says nothing about the end";
    EXPECT_TRUE(FAILED(received[1].timeResult));
    EXPECT_TRUE(FAILED(received[2].timeResult));
    LONGLONG value = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_LastStartTime, &value));
    EXPECT_EQ(1200000, value);
}

TEST_F(SamplePath, TheLogoIsBlendedIntoVideoFramesWhileTheOverlayIsOn) {
    ConnectVideo();
    const std::vector<BYTE> frame(static_cast<size_t>(kFrameBytes), 0x80);
    ASSERT_EQ(S_OK, Send(Timed(0, 1, frame)));
    ASSERT_EQ(S_OK, g.SetBool(GENPROP_Overlay, false));
    // The first frame is drawn on when the second arrives, after the switch went off.
    ASSERT_EQ(S_OK, Send(Timed(400000, 400001, frame)));
    ASSERT_EQ(S_OK, Send(Timed(800000, 800001, frame)));
    ASSERT_EQ(S_OK, g.SetBool(GENPROP_Overlay, true));
    ASSERT_EQ(S_OK, Send(Timed(1200000, 1200001, frame)));
    ASSERT_EQ(S_OK, EndOfStream());

    // The expected picture: the same blend on a copy in a buffer of the platform's allocator.
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                     reinterpret_cast<void**>(&allocator)));
    ALLOCATOR_PROPERTIES wanted{1, kFrameBytes, 1, 0}, actual{};
    IMediaSample* copy = nullptr;
    ASSERT_EQ(S_OK, allocator->SetProperties(&wanted, &actual));
    ASSERT_EQ(S_OK, allocator->Commit());
    ASSERT_EQ(S_OK, allocator->GetBuffer(&copy, nullptr, nullptr, 0));
    BYTE* data = nullptr;
    ASSERT_EQ(S_OK, copy->GetPointer(&data));
    memcpy(data, frame.data(), frame.size());
    copy->SetActualDataLength(kFrameBytes);
    COwnedMediaType inputType;
    ASSERT_EQ(S_OK, g.InputType(&inputType));
    VideoFrameLayout logo{};
    logo.width = LogoImageWidth;
    logo.height = LogoImageHeight;
    ASSERT_TRUE(BuildLogoImage(&logo));
    VideoFrameLayout layout{};
    ASSERT_TRUE(DescribeFrame(&layout, &inputType, copy));
    ASSERT_TRUE(DrawLogo(&layout, &logo));
    const std::vector<BYTE> expected(data, data + kFrameBytes);
    FreeAlignedBuffer(logo.planes[0]);
    copy->Release();
    allocator->Decommit();
    allocator->Release();

    const auto received = Received();
    ASSERT_EQ(4u, received.size());
    EXPECT_TRUE(received[0].data == frame) << "the switch is read when the frame is processed";
    EXPECT_TRUE(received[1].data == frame);
    EXPECT_TRUE(received[2].data == expected);
    EXPECT_TRUE(received[3].data == expected);
    EXPECT_FALSE(expected == frame);
    // Outside the logo's rows the frame is untouched.
    EXPECT_EQ(0x80, received[3].data.front());
    EXPECT_EQ(0x80, received[3].data.back());
}

TEST_F(SamplePath, AudioIsNeverDrawnOn) {
    ConnectPcm();
    const std::vector<BYTE> block(4096, 0x80);
    ASSERT_EQ(S_OK, Send(Timed(0, 1, block)));
    ASSERT_EQ(S_OK, Send(Timed(100000, 100001, block)));
    ASSERT_EQ(S_OK, EndOfStream());
    const auto received = Received();
    ASSERT_EQ(2u, received.size());
    EXPECT_TRUE(received[0].data == block);
    EXPECT_TRUE(received[1].data == block);
    EXPECT_EQ(100000, received[0].stop);
}

TEST_F(SamplePath, UntimedSamplesArePackedBehindTheTimedOneBeforeThem) {
    ConnectPcm();
    const std::vector<BYTE> t1 = CountingBytes(1000, 1), u1 = CountingBytes(500, 2), u2 = CountingBytes(300, 3),
                            t2 = CountingBytes(200, 4);
    StartPacking(t1);
    ASSERT_EQ(S_OK, Send(Untimed(u1)));
    ASSERT_EQ(S_OK, Send(Untimed(u2)));
    ASSERT_EQ(1u, g.downstream->Pin()->ReceivedCount());
    ASSERT_EQ(S_OK, Send(Timed(800000, 800001, t2)));
    ASSERT_EQ(2u, g.downstream->Pin()->ReceivedCount());
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(1800, received[1].length);
    EXPECT_TRUE(received[1].data == Joined({&t1, &u1, &u2}));
    EXPECT_EQ(400000, received[1].start);
    EXPECT_EQ(400001, received[1].stop);
    EXPECT_TRUE(received[2].data == t2) << "the packet held at end of stream goes before it";
    EXPECT_EQ(800000, received[2].start);
    EXPECT_EQ("SSSE", Events());
    LONGLONG bytes = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &bytes));
    EXPECT_EQ(64 + 1000 + 500 + 300 + 200, bytes);
}

TEST_F(SamplePath, PacketsGrowBeyondUpstreamsBuffersAndLoseNoByte) {
    ConnectPcm(2048);
    const std::vector<BYTE> t1 = CountingBytes(1500, 1), u1 = CountingBytes(400, 2), u2 = CountingBytes(300, 3),
                            u3 = CountingBytes(2000, 4), t2 = CountingBytes(100, 5);
    StartPacking(t1);
    ASSERT_EQ(S_OK, Send(Untimed(u1)));
    ASSERT_EQ(S_OK, Send(Untimed(u2)));
    ASSERT_EQ(S_OK, Send(Untimed(u3)));
    ASSERT_EQ(S_OK, Send(Timed(800000, 800001, t2)));
    ASSERT_EQ(S_OK, EndOfStream());

    const auto received = Received();
    ASSERT_EQ(3u, received.size());
    EXPECT_TRUE(received[1].data == Joined({&t1, &u1, &u2, &u3}));
    EXPECT_EQ(400000, received[1].start);
    EXPECT_TRUE(received[2].data == t2);
}

TEST_F(SamplePath, APacketDownstreamRefusesAtEndOfStreamIsReportedAndEndOfStreamStillGoesOn) {
    g.downstream->Pin()->accept = [](const AM_MEDIA_TYPE* type) { return type->subtype == MEDIASUBTYPE_PCM ? S_OK : S_FALSE; };
    ConnectPcm();
    StartPacking(CountingBytes(1000));
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(500))));
    EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, EndOfStream());
    // Downstream ends its stream as it refuses, and the helper's end of stream follows.
    EXPECT_EQ("SEE", Events());
}

TEST_F(SamplePath, ANewSegmentDeliversTheHeldPacketFirstAndResetsTheCounters) {
    ConnectPcm();
    const std::vector<BYTE> t1 = CountingBytes(1000, 1), u1 = CountingBytes(500, 2), u2 = CountingBytes(300, 3);
    StartPacking(t1);
    ASSERT_EQ(S_OK, Send(Untimed(u1)));
    ASSERT_EQ(S_OK, Send(Untimed(u2)));
    LONGLONG value = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_FirstFrameDuration, &value));
    EXPECT_EQ(400000, value);

    ASSERT_EQ(S_OK, g.upstream->Pin()->SendNewSegment(0, 10000000, 1.0));
    EXPECT_EQ("SSN", Events());
    const auto received = Received();
    ASSERT_EQ(2u, received.size());
    EXPECT_TRUE(received[1].data == Joined({&t1, &u1, &u2}));
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(E_FAIL, g.GetI8(GENPROP_FirstFrameDuration, &value));
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_LastStartTime, &value));
    EXPECT_EQ(0, value) << "the last re-timed sample was the PCM one at 0";
}

TEST_F(SamplePath, AFlushDropsTheLookAheadSampleAndTheSamplesSentDuringIt) {
    ConnectVideo();
    ASSERT_EQ(S_OK, Send(Timed(0, 1, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, Send(Timed(400000, 400001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, g.upstream->Pin()->SendBeginFlush());
    EXPECT_EQ(S_FALSE, Send(Timed(800000, 800001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndFlush());
    ASSERT_EQ(S_OK, EndOfStream());
    EXPECT_EQ("SBFE", Events());

    // After the flush the stream starts afresh.
    g.downstream->Pin()->Forget();
    ASSERT_EQ(S_OK, Send(Timed(1200000, 1200001, CountingBytes(kFrameBytes))));
    ASSERT_EQ(S_OK, EndOfStream());
    const auto received = Received();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(1200000, received[0].start);
}

TEST_F(SamplePath, AFlushDropsBothTheHeldPacketAndTheLookAheadSample) {
    ConnectPcm();
    StartPacking(CountingBytes(1000));
    // T1 is the held packet now and U1 the look-ahead sample.
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(500))));
    ASSERT_EQ(S_OK, g.upstream->Pin()->SendBeginFlush());
    ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndFlush());
    ASSERT_EQ(S_OK, EndOfStream());
    EXPECT_EQ("SBFE", Events());
    EXPECT_EQ(1u, Received().size());
}

TEST_F(SamplePath, AllocatorRequirementsAskForTheLookAheadBufferExceptOnARelabelledStream) {
    g.downstream->Pin()->hasRequirements = true;
    g.downstream->Pin()->requirements = {1, 4096, 1, 0};
    ConnectPcm();
    IMemInputPin* input = nullptr;
    ASSERT_EQ(S_OK, g.HelperIn()->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input)));
    ALLOCATOR_PROPERTIES properties{};
    EXPECT_EQ(S_OK, input->GetAllocatorRequirements(&properties));
    EXPECT_EQ(2, properties.cBuffers);
    EXPECT_EQ(4096, properties.cbBuffer);
    g.downstream->Pin()->requirements.cBuffers = 3;
    EXPECT_EQ(S_OK, input->GetAllocatorRequirements(&properties));
    EXPECT_EQ(3, properties.cBuffers);

    g.downstream->Pin()->requirements.cBuffers = 1;
    StartPacking(CountingBytes(100));
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(100))));
    ASSERT_TRUE(g.dravik->IsRelabelStream());
    EXPECT_EQ(S_OK, input->GetAllocatorRequirements(&properties));
    EXPECT_EQ(1, properties.cBuffers);
    input->Release();
}

TEST_F(SamplePath, PackingStreamBuffersHoldAtLeastOnePacketOf64KiB) {
    ConnectPcm();
    StartPacking(CountingBytes(100));
    ASSERT_EQ(S_OK, Send(Untimed(CountingBytes(100))));
    ASSERT_TRUE(g.dravik->IsPackingStream());

    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                     reinterpret_cast<void**>(&allocator)));
    ALLOCATOR_PROPERTIES request{0, 4096, 1, 0}, actual{};
    EXPECT_EQ(S_OK, g.dravik->SizeBuffers(allocator, &request));
    EXPECT_EQ(1, request.cBuffers);
    EXPECT_EQ(65536, request.cbBuffer);
    ASSERT_EQ(S_OK, allocator->GetProperties(&actual));
    EXPECT_EQ(1, actual.cBuffers);
    EXPECT_EQ(65536, actual.cbBuffer);

    request = {3, 100000, 1, 0};
    EXPECT_EQ(S_OK, g.dravik->SizeBuffers(allocator, &request));
    EXPECT_EQ(3, request.cBuffers);
    EXPECT_EQ(100000, request.cbBuffer);
    ASSERT_EQ(S_OK, allocator->GetProperties(&actual));
    EXPECT_EQ(3, actual.cBuffers);
    EXPECT_EQ(100000, actual.cbBuffer);
    allocator->Release();
}

}  // namespace
