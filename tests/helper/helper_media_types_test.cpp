// The helper filter's media-type rules as the pins apply them: what the input
// accepts, what the output offers and accepts, and how in-band types change.
#include <gtest/gtest.h>
#include <wmcodecdsp.h>

#include "framework/format_blocks.h"
#include "helper/media_type_rules.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"
#include "tests/helper/pin_types.h"

namespace {

const GUID kAc3Relabelled = SubtypeFromWaveTag(0x2000);
const GUID kDtsRelabelled = SubtypeFromWaveTag(0x2001);
const GUID kMpegFormat = {0x05589f82, 0xc356, 0x11ce, {0xbf, 0x01, 0x00, 0xaa, 0x00, 0x55, 0x59, 0x5a}};

class HelperMediaTypes : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g.IsComplete()); }

    // Upstream offers the type and the helper's input is connected with it.
    void ConnectInputWith(const AM_MEDIA_TYPE& type) {
        g.upstream->Offer(type);
        ASSERT_EQ(S_OK, g.ConnectInput());
    }

    // A plain sample, one announcing the type and an untimed one behind it,
    // then end of stream: the announcing sample reaches downstream second, as
    // a packet with the untimed one appended.
    void AnnounceInBand(const AM_MEDIA_TYPE& type) {
        ASSERT_EQ(S_OK, g.graph->Run());
        SampleToSend plain;
        plain.data = CountingBytes(64);
        plain.stop = 1;
        ASSERT_EQ(S_OK, g.upstream->Pin()->Send(plain));
        SampleToSend announcing;
        announcing.data = CountingBytes(256);
        announcing.start = 400000;
        announcing.stop = 400001;
        announcing.type = &type;
        ASSERT_EQ(S_OK, g.upstream->Pin()->Send(announcing));
        SampleToSend untimed;
        untimed.data = CountingBytes(100, 7);
        untimed.timed = false;
        ASSERT_EQ(S_OK, g.upstream->Pin()->Send(untimed));
        ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndOfStream());
    }

    // The sample that announced the type, as downstream got it.
    ReceivedSample Announced() {
        const auto received = g.downstream->Pin()->Received();
        EXPECT_EQ(2u, received.size());
        if (received.size() != 2) return ReceivedSample();
        EXPECT_TRUE(received[0].type == nullptr);
        EXPECT_EQ(356, received[1].length);
        EXPECT_EQ(400000, received[1].start);
        return received[1];
    }

    HelperGraph g;
};

TEST_F(HelperMediaTypes, VideoIsAcceptedWithEitherHeaderAndAnyPixelFormatOnly) {
    IPin* in = g.HelperIn();
    COwnedMediaType type;
    MakeVideo(&type, MEDIASUBTYPE_YUY2, 720, 576, true);
    EXPECT_EQ(S_OK, in->QueryAccept(&type));
    MakeVideo(&type, MEDIASUBTYPE_AYUV, 720, 576, false);
    EXPECT_EQ(S_OK, in->QueryAccept(&type));
    type.SetFormatType(kMpegFormat);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));

    // A header cut short is never read: refused.
    COwnedMediaType shortBlock;
    MakeVideo(&shortBlock, MEDIASUBTYPE_YUY2, 720, 576, true);
    shortBlock.cbFormat = sizeof(VIDEOINFOHEADER2) - 1;
    EXPECT_EQ(S_FALSE, in->QueryAccept(&shortBlock));
    COwnedMediaType noBlock;
    noBlock.SetMajorType(MEDIATYPE_Video);
    noBlock.SetSubtype(MEDIASUBTYPE_RGB32);
    noBlock.SetFormatType(FORMAT_VideoInfo);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&noBlock));

    COwnedMediaType mpeg;
    MakeVideo(&mpeg, MEDIASUBTYPE_YUY2, 720, 576);
    mpeg.SetFormatType(kMpegFormat);
    g.upstream->Offer(mpeg);
    EXPECT_TRUE(FAILED(g.ConnectInput()));
    IPin* connected = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, in->ConnectedTo(&connected));
}

TEST_F(HelperMediaTypes, IntegerPcmIsAcceptedPlainOrExtensibleAndCompressedAudioIsRefused) {
    IPin* in = g.HelperIn();
    COwnedMediaType type;
    for (WORD bits : {8, 16, 24, 32}) {
        MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, bits);
        EXPECT_EQ(S_OK, in->QueryAccept(&type)) << bits;
    }
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 12);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 24);
    EXPECT_EQ(S_OK, in->QueryAccept(&type));
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 32, 2, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));
    // Extensible tag on a block only as long as WAVEFORMATEX: the sub-format is not there to read.
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 24);
    type.cbFormat = sizeof(WAVEFORMATEX);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));
    // The 16-byte header of AVI files is enough; anything shorter is not.
    MakeAudioWithoutCbSize(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    EXPECT_EQ(S_OK, in->QueryAccept(&type));
    type.cbFormat = sizeof(PCMWAVEFORMAT) - 1;
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));
    MakeAudio(&type, MEDIASUBTYPE_IEEE_FLOAT, WAVE_FORMAT_IEEE_FLOAT, 32);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&type));

    COwnedMediaType ac3;
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&ac3));
    g.upstream->Offer(ac3);
    EXPECT_TRUE(FAILED(g.ConnectInput()));
}

TEST_F(HelperMediaTypes, RequiredSubtypeRefusesEveryOtherType) {
    IPin* in = g.HelperIn();
    ASSERT_EQ(S_OK, g.SetString(GENPROP_InputSubtype, "{32315659-0000-0010-8000-00AA00389B71}"));
    COwnedMediaType rgb, yv12, pcm;
    MakeVideo(&rgb, MEDIASUBTYPE_RGB32, 64, 64);
    MakeVideo(&yv12, MEDIASUBTYPE_YV12, 64, 64);
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    EXPECT_EQ(S_FALSE, in->QueryAccept(&rgb));
    EXPECT_EQ(S_FALSE, in->QueryAccept(&pcm));
    EXPECT_EQ(S_OK, in->QueryAccept(&yv12));

    // Back to any subtype.
    ASSERT_EQ(S_OK, g.SetString(GENPROP_InputSubtype, "{00000000-0000-0000-0000-000000000000}"));
    EXPECT_EQ(S_OK, in->QueryAccept(&rgb));
    EXPECT_EQ(S_OK, in->QueryAccept(&pcm));
}

TEST_F(HelperMediaTypes, OfferedVideoTypesHaveCompletedRectanglesAndReachBothNeighbours) {
    EXPECT_TRUE(OfferedTypes(g.HelperOut()).empty()) << "nothing offered before the input is connected";

    COwnedMediaType topDown, preset;
    MakeVideo(&topDown, MEDIASUBTYPE_RGB32, 1920, -1080);
    MakeVideo(&preset, MEDIASUBTYPE_RGB32, 1920, 1080);
    VideoInfoOf(preset)->rcSource.right = 640;
    VideoInfoOf(preset)->rcTarget.left = 8;
    g.upstream->Offer(topDown);
    g.upstream->Offer(preset);
    ASSERT_EQ(S_OK, g.ConnectInput());

    const auto offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    const VIDEOINFOHEADER* first = VideoInfoOf(*offered[0]);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(0, first->rcSource.left);
    EXPECT_EQ(0, first->rcSource.top);
    EXPECT_EQ(1920, first->rcSource.right);
    EXPECT_EQ(1080, first->rcSource.bottom);
    EXPECT_EQ(1920, first->rcTarget.right);
    EXPECT_EQ(1080, first->rcTarget.bottom);
    EXPECT_EQ(-1080, first->bmiHeader.biHeight);
    const VIDEOINFOHEADER* second = VideoInfoOf(*offered[1]);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(640, second->rcSource.right);
    EXPECT_EQ(1080, second->rcSource.bottom);
    EXPECT_EQ(8, second->rcTarget.left);
    EXPECT_EQ(1920, second->rcTarget.right);

    // Downstream connects with the rewritten type; upstream, which accepts it, is reconnected with it.
    ASSERT_EQ(S_OK, g.ConnectOutput());
    COwnedMediaType in, out;
    ASSERT_EQ(S_OK, g.OutputType(&out));
    ASSERT_EQ(S_OK, g.InputType(&in));
    ASSERT_NE(nullptr, VideoInfoOf(out));
    EXPECT_EQ(1920, VideoInfoOf(out)->rcTarget.right);
    EXPECT_EQ(1080, VideoInfoOf(out)->rcTarget.bottom);
    EXPECT_TRUE(in == out);
}

TEST_F(HelperMediaTypes, FrameTimeOverrideAppliesToVideoAndInterlaceOverrideOnlyToHeader2AfterSet) {
    COwnedMediaType video, video2;
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 720, 576, false, 400000);
    MakeVideo(&video2, MEDIASUBTYPE_YUY2, 720, 576, true, 400000);
    VideoInfo2Of(video2)->dwInterlaceFlags = 0x81;
    g.upstream->Offer(video);
    g.upstream->Offer(video2);
    ASSERT_EQ(S_OK, g.ConnectInput());

    auto offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    EXPECT_EQ(400000, VideoInfoOf(*offered[0])->AvgTimePerFrame);
    EXPECT_EQ(0x81u, VideoInfo2Of(*offered[1])->dwInterlaceFlags) << "not overridden before it is set";

    ASSERT_EQ(S_OK, g.SetI8(GENPROP_OutputAvgTimePerFrame, 333667));
    ASSERT_EQ(S_OK, g.SetUI2(GENPROP_OutputInterlaceFlags, 0));
    offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    EXPECT_EQ(333667, VideoInfoOf(*offered[0])->AvgTimePerFrame);
    EXPECT_EQ(333667, VideoInfo2Of(*offered[1])->AvgTimePerFrame);
    EXPECT_EQ(0u, VideoInfo2Of(*offered[1])->dwInterlaceFlags) << "a zero override is still applied once set";
    EXPECT_EQ(video.cbFormat, offered[0]->cbFormat);

    ASSERT_EQ(S_OK, g.SetI8(GENPROP_OutputAvgTimePerFrame, 0));
    ASSERT_EQ(S_OK, g.SetUI2(GENPROP_OutputInterlaceFlags, 0x25));
    offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    EXPECT_EQ(400000, VideoInfoOf(*offered[0])->AvgTimePerFrame);
    EXPECT_EQ(0x25u, VideoInfo2Of(*offered[1])->dwInterlaceFlags);
}

TEST_F(HelperMediaTypes, AnnouncedAc3ReachesDownstreamRelabelled) {
    COwnedMediaType pcm;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    ConnectInputWith(pcm);
    ASSERT_EQ(S_OK, g.ConnectOutput());

    COwnedMediaType ac3;
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    AnnounceInBand(ac3);
    ReceivedSample announced = Announced();
    ASSERT_TRUE(announced.type != nullptr);
    EXPECT_TRUE(announced.type->subtype == kAc3Relabelled);
    ASSERT_NE(nullptr, WaveFormatOf(*announced.type));
    EXPECT_EQ(0x2000, WaveFormatOf(*announced.type)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(*announced.type)->nBlockAlign);
    EXPECT_EQ(48000u, WaveFormatOf(*announced.type)->nSamplesPerSec);
    EXPECT_TRUE(g.dravik->IsRelabelStream());
    EXPECT_TRUE(g.dravik->IsPackingStream());
}

TEST_F(HelperMediaTypes, AnnouncedDtsReachesDownstreamRelabelled) {
    COwnedMediaType pcm;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    ConnectInputWith(pcm);
    ASSERT_EQ(S_OK, g.ConnectOutput());

    COwnedMediaType dts;
    MakeAudio(&dts, MEDIASUBTYPE_DTS, 0x2001, 16);
    AnnounceInBand(dts);
    const ReceivedSample announced = Announced();
    ASSERT_TRUE(announced.type != nullptr);
    EXPECT_TRUE(announced.type->subtype == kDtsRelabelled);
    EXPECT_EQ(0x2001, WaveFormatOf(*announced.type)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(*announced.type)->nBlockAlign);
}

TEST_F(HelperMediaTypes, AnnouncedAacKeepsItsSubtypeAndTagWithBlockAlignmentOne) {
    COwnedMediaType pcm;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    ConnectInputWith(pcm);
    ASSERT_EQ(S_OK, g.ConnectOutput());

    COwnedMediaType aac;
    MakeAudio(&aac, MEDIASUBTYPE_RAW_AAC1, 0x00FF, 16, 6);
    ASSERT_EQ(12, WaveFormatOf(aac)->nBlockAlign);
    AnnounceInBand(aac);
    const ReceivedSample announced = Announced();
    ASSERT_TRUE(announced.type != nullptr);
    EXPECT_TRUE(announced.type->subtype == MEDIASUBTYPE_RAW_AAC1);
    EXPECT_EQ(0x00FF, WaveFormatOf(*announced.type)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(*announced.type)->nBlockAlign);
    EXPECT_EQ(6, WaveFormatOf(*announced.type)->nChannels);
}

TEST_F(HelperMediaTypes, RelabelledStreamOffersRewrittenTypesAndAcceptsNone) {
    COwnedMediaType pcm, ac3;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    g.upstream->Offer(pcm);
    g.upstream->Offer(ac3);
    ASSERT_EQ(S_OK, g.ConnectInput());
    ASSERT_EQ(S_OK, g.ConnectOutput());

    auto offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    EXPECT_TRUE(offered[1]->subtype == MEDIASUBTYPE_DOLBY_AC3) << "no relabelling on a PCM stream";
    EXPECT_EQ(S_OK, g.HelperOut()->QueryAccept(&pcm));

    AnnounceInBand(ac3);
    ASSERT_TRUE(g.dravik->IsRelabelStream());
    offered = OfferedTypes(g.HelperOut());
    ASSERT_EQ(2u, offered.size());
    EXPECT_TRUE(*offered[0] == pcm);
    EXPECT_TRUE(offered[1]->subtype == kAc3Relabelled);
    EXPECT_EQ(0x2000, WaveFormatOf(*offered[1])->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(*offered[1])->nBlockAlign);

    // Only the rewritten input type could be accepted, and the input rules refuse its subtype.
    EXPECT_EQ(S_FALSE, g.HelperOut()->QueryAccept(&pcm));
    EXPECT_EQ(S_FALSE, g.HelperOut()->QueryAccept(offered[1].get()));
    EXPECT_EQ(S_FALSE, g.HelperOut()->QueryAccept(&ac3));
}

TEST_F(HelperMediaTypes, ConnectedPcmInputAcceptsAnotherChannelCountOfTheSameDepthOnly) {
    COwnedMediaType stereo;
    MakeAudio(&stereo, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16, 2);
    ConnectInputWith(stereo);
    ASSERT_EQ(S_OK, g.ConnectOutput());
    // Downstream takes stereo 16-bit only from now on.
    g.downstream->Pin()->accept = [](const AM_MEDIA_TYPE* type) {
        const WAVEFORMATEX* wave = WaveFormatOf(*type);
        return wave != nullptr && wave->nChannels == 2 && wave->wBitsPerSample == 16 ? S_OK : S_FALSE;
    };

    COwnedMediaType six, deeper, extensibleSix;
    MakeAudio(&six, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16, 6);
    MakeAudio(&extensibleSix, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 16, 6);
    MakeAudio(&deeper, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 24, 2);
    EXPECT_EQ(S_OK, g.HelperIn()->QueryAccept(&six));
    EXPECT_EQ(S_OK, g.HelperIn()->QueryAccept(&extensibleSix));
    EXPECT_EQ(S_FALSE, g.HelperIn()->QueryAccept(&deeper));
    EXPECT_EQ(S_OK, g.HelperIn()->QueryAccept(&stereo));
}

}  // namespace
