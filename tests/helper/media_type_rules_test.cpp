// The helper filter's acceptance and rewriting rules on their own.
#include <gtest/gtest.h>
#include <wmcodecdsp.h>

#include "framework/format_blocks.h"
#include "helper/media_type_rules.h"
#include "tests/helper/media_type_builders.h"

namespace {

const GUID kAc3Relabelled = SubtypeFromWaveTag(0x2000);
const GUID kDtsRelabelled = SubtypeFromWaveTag(0x2001);

TEST(MediaTypeRules, WaveTagSubtypes) {
    EXPECT_TRUE(SubtypeFromWaveTag(WAVE_FORMAT_PCM) == MEDIASUBTYPE_PCM);
    EXPECT_TRUE(SubtypeFromWaveTag(0x00FF) == MEDIASUBTYPE_RAW_AAC1);
    EXPECT_EQ(0x2000u, kAc3Relabelled.Data1);
    EXPECT_EQ(0x0010, kAc3Relabelled.Data3);

    for (const GUID* subtype : {&MEDIASUBTYPE_DOLBY_AC3, &kAc3Relabelled, &MEDIASUBTYPE_DTS, &kDtsRelabelled,
                                &MEDIASUBTYPE_RAW_AAC1}) {
        EXPECT_TRUE(IsPackingSubtype(*subtype));
    }
    EXPECT_FALSE(IsPackingSubtype(MEDIASUBTYPE_PCM));
    EXPECT_TRUE(IsRelabelSubtype(MEDIASUBTYPE_DOLBY_AC3));
    EXPECT_TRUE(IsRelabelSubtype(MEDIASUBTYPE_RAW_AAC1));
    EXPECT_FALSE(IsRelabelSubtype(kAc3Relabelled));
    EXPECT_FALSE(IsRelabelSubtype(MEDIASUBTYPE_YUY2));
}

TEST(MediaTypeRules, VideoIsAcceptedByFormatTypeAlone) {
    COwnedMediaType type;
    MakeVideo(&type, MEDIASUBTYPE_RGB32, 640, 480, true);
    EXPECT_EQ(S_OK, CheckInputFormat(type, GUID_NULL));
    MakeVideo(&type, MEDIASUBTYPE_AYUV, 640, 480, false);
    EXPECT_EQ(S_OK, CheckInputFormat(type, GUID_NULL));
    type.SetFormatType(FORMAT_None);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
}

TEST(MediaTypeRules, RequiredSubtypeRefusesEverythingElse) {
    COwnedMediaType video, audio;
    MakeVideo(&video, MEDIASUBTYPE_RGB32, 64, 64);
    MakeAudio(&audio, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    EXPECT_EQ(E_FAIL, CheckInputFormat(video, MEDIASUBTYPE_YV12));
    EXPECT_EQ(E_FAIL, CheckInputFormat(audio, MEDIASUBTYPE_YV12));
    video.SetSubtype(MEDIASUBTYPE_YV12);
    EXPECT_EQ(S_OK, CheckInputFormat(video, MEDIASUBTYPE_YV12));
}

TEST(MediaTypeRules, OnlyIntegerPcmAudioAtConnection) {
    COwnedMediaType type;
    for (WORD bits : {8, 16, 24, 32}) {
        MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, bits);
        EXPECT_EQ(S_OK, CheckInputFormat(type, GUID_NULL)) << bits;
    }
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 12);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 24);
    EXPECT_EQ(S_OK, CheckInputFormat(type, GUID_NULL));
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 32, 2, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_IEEE_FLOAT, 32);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
    MakeAudio(&type, MEDIASUBTYPE_DOLBY_AC3, WAVE_FORMAT_DOLBY_AC3_SPDIF, 16);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
    type.SetMajorType(MEDIATYPE_Stream);
    EXPECT_EQ(E_FAIL, CheckInputFormat(type, GUID_NULL));
}

TEST(MediaTypeRules, ShortOrMissingFormatBlocksAreRefused) {
    COwnedMediaType video, audio, extensible;
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 64, 64, true);
    MakeAudio(&audio, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&extensible, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 16);
    video.cbFormat = sizeof(VIDEOINFOHEADER2) - 1;
    audio.cbFormat = sizeof(PCMWAVEFORMAT) - 1;
    extensible.cbFormat = sizeof(WAVEFORMATEX);  // tagged extensible, but only the short header
    EXPECT_EQ(E_FAIL, CheckInputFormat(video, GUID_NULL));
    EXPECT_EQ(E_FAIL, CheckInputFormat(audio, GUID_NULL));
    EXPECT_EQ(E_FAIL, CheckInputFormat(extensible, GUID_NULL));
    WORD depth = 0;
    EXPECT_FALSE(IsPcmAudioType(audio, &depth));
    EXPECT_FALSE(IsPcmAudioType(extensible, &depth));

    // A type that claims a block it does not have.
    COwnedMediaType missing;
    missing.SetMajorType(MEDIATYPE_Video);
    missing.SetFormatType(FORMAT_VideoInfo);
    missing.cbFormat = sizeof(VIDEOINFOHEADER);
    EXPECT_EQ(E_FAIL, CheckInputFormat(missing, GUID_NULL));
    RewriteOutputType(&missing, OutputTypeOverrides{400000, 0, false}, false);
    missing.cbFormat = 0;

    // Rewriting touches nothing of a short block.
    const std::vector<BYTE> before(video.pbFormat, video.pbFormat + sizeof(VIDEOINFOHEADER2));
    RewriteOutputType(&video, OutputTypeOverrides{400000, 5, true}, false);
    EXPECT_EQ(0, memcmp(before.data(), video.pbFormat, before.size()));
    video.cbFormat = sizeof(VIDEOINFOHEADER2);
}

TEST(MediaTypeRules, PcmTypeTestTracksBitDepth) {
    COwnedMediaType type;
    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 12);
    WORD depth = 0;
    EXPECT_TRUE(IsPcmAudioType(type, &depth));  // the depth set is not checked here
    EXPECT_EQ(12, depth);
    depth = 16;
    EXPECT_FALSE(IsPcmAudioType(type, &depth));
    EXPECT_EQ(16, depth);

    MakeAudio(&type, MEDIASUBTYPE_PCM, WAVE_FORMAT_EXTENSIBLE, 24, 2, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT);
    depth = 0;
    EXPECT_FALSE(IsPcmAudioType(type, &depth));
    EXPECT_EQ(24, depth);  // set even though the sub-format fails
}

TEST(MediaTypeRules, RectanglesAreCompletedFromTheBitmap) {
    COwnedMediaType type;
    MakeVideo(&type, MEDIASUBTYPE_YUY2, 1920, -1080);
    RewriteOutputType(&type, OutputTypeOverrides{}, false);
    const VIDEOINFOHEADER* video = VideoInfoOf(type);
    ASSERT_NE(nullptr, video);
    EXPECT_EQ(0, video->rcSource.left);
    EXPECT_EQ(0, video->rcSource.top);
    EXPECT_EQ(1920, video->rcSource.right);
    EXPECT_EQ(1080, video->rcSource.bottom);
    EXPECT_EQ(1920, video->rcTarget.right);
    EXPECT_EQ(1080, video->rcTarget.bottom);
    EXPECT_EQ(400000, video->AvgTimePerFrame);

    MakeVideo(&type, MEDIASUBTYPE_YUY2, 1920, 1080, true);
    VIDEOINFOHEADER2* video2 = VideoInfo2Of(type);
    video2->rcSource.right = 960;
    RewriteOutputType(&type, OutputTypeOverrides{}, false);
    EXPECT_EQ(960, video2->rcSource.right);
    EXPECT_EQ(1080, video2->rcSource.bottom);
    EXPECT_EQ(1920, video2->rcTarget.right);

    // The most negative extent has no positive twin: the largest stands for it.
    MakeVideo(&type, MEDIASUBTYPE_YUY2, 1920, 1080);
    VideoInfoOf(type)->bmiHeader.biWidth = VideoInfoOf(type)->bmiHeader.biHeight = INT32_MIN;
    RewriteOutputType(&type, OutputTypeOverrides{}, false);
    EXPECT_EQ(INT32_MAX, VideoInfoOf(type)->rcSource.right);
    EXPECT_EQ(INT32_MAX, VideoInfoOf(type)->rcTarget.bottom);
}

TEST(MediaTypeRules, OverridesApplyWhereTheyBelong) {
    COwnedMediaType plain, extended;
    MakeVideo(&plain, MEDIASUBTYPE_YUY2, 64, 64, false, 333333);
    MakeVideo(&extended, MEDIASUBTYPE_YUY2, 64, 64, true, 333333);
    VideoInfo2Of(extended)->dwInterlaceFlags = 0x21;

    OutputTypeOverrides overrides;
    overrides.frameTime = 400000;
    overrides.interlaceFlags = 0x05;
    RewriteOutputType(&plain, overrides, false);
    RewriteOutputType(&extended, overrides, false);
    EXPECT_EQ(400000, VideoInfoOf(plain)->AvgTimePerFrame);
    EXPECT_EQ(400000, VideoInfo2Of(extended)->AvgTimePerFrame);
    EXPECT_EQ(0x21u, VideoInfo2Of(extended)->dwInterlaceFlags);  // not set yet

    overrides.frameTime = 0;
    overrides.interlaceFlagsSet = true;
    RewriteOutputType(&extended, overrides, false);
    EXPECT_EQ(400000, VideoInfo2Of(extended)->AvgTimePerFrame);
    EXPECT_EQ(0x05u, VideoInfo2Of(extended)->dwInterlaceFlags);
}

TEST(MediaTypeRules, RelabellingOnlyOnARelabelStream) {
    COwnedMediaType ac3, dts, aac;
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, WAVE_FORMAT_DOLBY_AC3_SPDIF, 16, 6);
    MakeAudio(&dts, MEDIASUBTYPE_DTS, 0x2001, 16, 6);
    MakeAudio(&aac, MEDIASUBTYPE_RAW_AAC1, 0x00FF, 16, 2);

    RewriteOutputType(&ac3, OutputTypeOverrides{}, false);
    EXPECT_TRUE(ac3.subtype == MEDIASUBTYPE_DOLBY_AC3);
    RewriteOutputType(&ac3, OutputTypeOverrides{}, true);
    EXPECT_TRUE(ac3.subtype == kAc3Relabelled);
    EXPECT_EQ(0x2000, WaveFormatOf(ac3)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(ac3)->nBlockAlign);

    RewriteOutputType(&dts, OutputTypeOverrides{}, true);
    EXPECT_TRUE(dts.subtype == kDtsRelabelled);
    EXPECT_EQ(0x2001, WaveFormatOf(dts)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(dts)->nBlockAlign);

    // AAC keeps subtype and tag, whether relabelling or not.
    RewriteOutputType(&aac, OutputTypeOverrides{}, false);
    EXPECT_TRUE(aac.subtype == MEDIASUBTYPE_RAW_AAC1);
    EXPECT_EQ(0x00FF, WaveFormatOf(aac)->wFormatTag);
    EXPECT_EQ(1, WaveFormatOf(aac)->nBlockAlign);

    // Without a wave format block only the subtype changes.
    COwnedMediaType bare;
    bare.SetMajorType(MEDIATYPE_Audio);
    bare.SetSubtype(MEDIASUBTYPE_DOLBY_AC3);
    RewriteOutputType(&bare, OutputTypeOverrides{}, true);
    EXPECT_TRUE(bare.subtype == kAc3Relabelled);
}

TEST(MediaTypeRules, SixteenByteWaveBlocksAreReadAndRewrittenWithinTheirSixteenBytes) {
    COwnedMediaType pcm, ac3, dts;
    MakeAudioWithoutCbSize(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudioWithoutCbSize(&ac3, MEDIASUBTYPE_DOLBY_AC3, WAVE_FORMAT_DOLBY_AC3_SPDIF, 16, 6);
    MakeAudioWithoutCbSize(&dts, MEDIASUBTYPE_DTS, 0x2001, 16, 6);
    ASSERT_EQ(sizeof(PCMWAVEFORMAT), pcm.cbFormat);
    EXPECT_EQ(S_OK, CheckInputFormat(pcm, GUID_NULL));
    WORD depth = 0;
    EXPECT_TRUE(IsPcmAudioType(pcm, &depth));
    EXPECT_EQ(16, depth);
    EXPECT_TRUE(IsAnnouncedAudioChange(pcm, ac3, GUID_NULL));

    RewriteOutputType(&ac3, OutputTypeOverrides{}, true);
    RewriteOutputType(&dts, OutputTypeOverrides{}, true);
    EXPECT_TRUE(ac3.subtype == kAc3Relabelled);
    EXPECT_EQ(0x2000, PcmWaveFormatOf(ac3)->wf.wFormatTag);
    EXPECT_EQ(1, PcmWaveFormatOf(ac3)->wf.nBlockAlign);
    EXPECT_EQ(6, PcmWaveFormatOf(ac3)->wf.nChannels);
    EXPECT_EQ(0x2001, PcmWaveFormatOf(dts)->wf.wFormatTag);
    EXPECT_EQ(sizeof(PCMWAVEFORMAT), ac3.cbFormat);
}

TEST(MediaTypeRules, AnAudioStreamMayAnnouncePackedAudioAnywhereAndPcmWhenLeavingIt) {
    COwnedMediaType pcm, pcm24, pcm12, ac3, bareAc3, video;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&pcm24, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 24);
    MakeAudio(&pcm12, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 12);
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, WAVE_FORMAT_DOLBY_AC3_SPDIF, 16, 6);
    bareAc3.SetMajorType(MEDIATYPE_Audio);
    bareAc3.SetSubtype(MEDIASUBTYPE_DOLBY_AC3);
    MakeVideo(&video, MEDIASUBTYPE_YUY2, 64, 64);

    for (const GUID* subtype : {&MEDIASUBTYPE_DOLBY_AC3, &kAc3Relabelled, &MEDIASUBTYPE_DTS, &kDtsRelabelled,
                                &MEDIASUBTYPE_RAW_AAC1}) {
        COwnedMediaType packed;
        MakeAudio(&packed, *subtype, static_cast<WORD>(subtype->Data1), 16, 6);
        EXPECT_TRUE(IsAnnouncedAudioChange(pcm, packed, GUID_NULL)) << subtype->Data1;
        EXPECT_TRUE(IsAnnouncedAudioChange(ac3, packed, GUID_NULL)) << subtype->Data1;
        EXPECT_FALSE(IsAnnouncedAudioChange(video, packed, GUID_NULL)) << "only on an audio stream";
    }
    EXPECT_FALSE(IsAnnouncedAudioChange(pcm, bareAc3, GUID_NULL)) << "no wave block to relabel";
    EXPECT_TRUE(IsAnnouncedAudioChange(ac3, pcm24, GUID_NULL));
    EXPECT_FALSE(IsAnnouncedAudioChange(ac3, pcm12, GUID_NULL));
    EXPECT_FALSE(IsAnnouncedAudioChange(ac3, pcm, MEDIASUBTYPE_YV12)) << "the required subtype still holds";
    EXPECT_FALSE(IsAnnouncedAudioChange(pcm, pcm24, GUID_NULL)) << "PCM to PCM keeps the connection rule";
}

}  // namespace
