// Compressed audio that a decoder announces in-band on a PCM connection, at
// every place a decoder announces it: relabelled, packed in order with the
// times of each packet's first sample, and nothing lost or refused.
#include <gtest/gtest.h>
#include <wmcodecdsp.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "framework/format_blocks.h"
#include "helper/audio_packer.h"
#include "tests/helper/helper_graph.h"
#include "tests/helper/media_type_builders.h"

namespace {

enum class Position { FirstAfterConnect, FirstAfterFlushAndNewSegment, Middle, LastBeforeEndOfStream, InsidePacking };

const char* const kPositionNames[] = {"FirstAfterConnect", "FirstAfterFlushAndNewSegment", "Middle",
                                      "LastBeforeEndOfStream", "InsidePacking"};

// A type a decoder announces, and what downstream must see of it.
struct Announcement {
    const char* name;
    GUID subtype;
    WORD tag;
    GUID downstreamSubtype;
    WORD downstreamTag;
    WORD downstreamBlockAlign;
};

const Announcement kAc3 = {"Ac3", MEDIASUBTYPE_DOLBY_AC3, 0x0092, SubtypeFromWaveTag(0x2000), 0x2000, 1};
const Announcement kDts = {"Dts", MEDIASUBTYPE_DTS, 0x0008, SubtypeFromWaveTag(0x2001), 0x2001, 1};
const Announcement kAac = {"Aac", MEDIASUBTYPE_RAW_AAC1, 0x00FF, MEDIASUBTYPE_RAW_AAC1, 0x00FF, 1};
const Announcement kPcm = {"Pcm", MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 4};

struct Step {
    enum Kind { Sample, Flush } kind = Sample;
    SampleToSend sample;
    const Announcement* announced = nullptr;
};

// What downstream should receive: one sample or packet.
struct Expected {
    std::vector<BYTE> data;
    bool timed = false;
    REFERENCE_TIME start = 0;
    const Announcement* type = nullptr;
};

class AnnouncedAudio : public testing::TestWithParam<std::tuple<Position, const Announcement*>> {
protected:
    void SetUp() override {
        ASSERT_TRUE(g.IsComplete());
        for (const Announcement* a : {&kAc3, &kDts, &kAac, &kPcm}) {
            types.emplace_back(new COwnedMediaType());
            MakeAudio(types.back().get(), a->subtype, a->tag, 16);
        }
        COwnedMediaType pcm;
        MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
        g.upstream->Offer(pcm);
        ASSERT_EQ(S_OK, g.ConnectInput());
        ASSERT_EQ(S_OK, g.ConnectOutput());
        ASSERT_EQ(S_OK, g.graph->Run());
    }

    const AM_MEDIA_TYPE* TypeOf(const Announcement* a) {
        const Announcement* all[] = {&kAc3, &kDts, &kAac, &kPcm};
        for (size_t i = 0; i < 4; ++i) {
            if (all[i] == a) return types[i].get();
        }
        return nullptr;
    }

    // Sample n of the script: its own length and bytes, timed or not, announcing or not.
    void Add(bool timed, const Announcement* announced = nullptr) {
        const int n = static_cast<int>(script.size());
        Step step;
        step.sample.data = CountingBytes(300 + static_cast<size_t>(n) * 37, static_cast<BYTE>(n * 11));
        step.sample.timed = timed;
        step.sample.start = n * 100000;
        step.sample.stop = step.sample.start + 1;
        step.sample.type = TypeOf(announced);
        step.announced = announced;
        script.push_back(step);
    }

    // T U T U, announcing the lead type on the first sample when it is not the connection's PCM.
    void AddLead(const Announcement* lead) {
        Add(true, lead == &kPcm ? nullptr : lead);
        Add(false);
        Add(true);
        Add(false);
    }

    void Build(Position position, const Announcement* announced) {
        // PCM is announced to leave packed audio, so its stream packs AC-3 first.
        const Announcement* lead = announced == &kPcm ? &kAc3 : &kPcm;
        switch (position) {
            case Position::FirstAfterConnect:
                break;
            case Position::FirstAfterFlushAndNewSegment:
                AddLead(lead);
                script.push_back(Step{Step::Flush, {}, nullptr});
                break;
            case Position::Middle:
                AddLead(lead);
                break;
            case Position::LastBeforeEndOfStream:
                AddLead(lead);
                Add(true, announced);
                return;
            case Position::InsidePacking:
                AddLead(&kAc3);
                Add(false);
                // Announced on an untimed sample: it still starts a packet of its own type.
                Add(false, announced);
                Add(false);
                Add(true);
                Add(false);
                return;
        }
        Add(true, announced);
        Add(false);
        Add(false);
        Add(true);
        Add(false);
    }

    // Packing as downstream should see it: a packet per timed or announcing sample.
    std::vector<Expected> Model(size_t from) {
        std::vector<Expected> expected;
        const Announcement* current = &kPcm;
        size_t packetBytes = 0;  // of the open packet; 0: none
        for (size_t i = 0; i < script.size(); ++i) {
            const Step& step = script[i];
            if (step.kind == Step::Flush) {
                packetBytes = 0;
                continue;
            }
            if (step.announced != nullptr) current = step.announced;
            const bool packed = current != &kPcm;
            const std::vector<BYTE>& data = step.sample.data;
            const bool appends = packed && !step.sample.timed && step.announced == nullptr && packetBytes > 0 &&
                                 packetBytes + data.size() <= CAudioPacker::PacketSize;
            packetBytes = appends ? packetBytes + data.size() : (packed ? data.size() : 0);
            if (i < from) continue;
            if (appends) {
                expected.back().data.insert(expected.back().data.end(), data.begin(), data.end());
            } else {
                expected.push_back(Expected{data, step.sample.timed, step.sample.start, current});
            }
        }
        return expected;
    }

    HelperGraph g;
    std::vector<std::unique_ptr<COwnedMediaType>> types;
    std::vector<Step> script;
};

TEST_P(AnnouncedAudio, ReachesDownstreamRelabelledPackedInOrderAndWhole) {
    const Position position = std::get<0>(GetParam());
    const Announcement* announced = std::get<1>(GetParam());
    Build(position, announced);

    size_t from = 0;
    LONGLONG bytesSince = 0;
    for (size_t i = 0; i < script.size(); ++i) {
        if (script[i].kind == Step::Flush) {
            ASSERT_EQ(S_OK, g.upstream->Pin()->SendBeginFlush());
            ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndFlush());
            ASSERT_EQ(S_OK, g.upstream->Pin()->SendNewSegment(0, 100000000, 1.0));
            g.downstream->Pin()->Forget();
            from = i + 1;
            bytesSince = 0;
            continue;
        }
        ASSERT_EQ(S_OK, g.upstream->Pin()->Send(script[i].sample)) << "sample " << i;
        bytesSince += static_cast<LONGLONG>(script[i].sample.data.size());
    }
    ASSERT_EQ(S_OK, g.upstream->Pin()->SendEndOfStream());

    for (const PlatformGraphEvent& event : g.graph->Events()) EXPECT_NE(EC_ERRORABORT, event.code);
    const std::vector<Expected> expected = Model(from);
    const auto received = g.downstream->Pin()->Received();
    EXPECT_EQ(std::string(expected.size(), 'S') + "E", g.downstream->Pin()->Events());

    std::vector<BYTE> sent, got;
    for (size_t i = from; i < script.size(); ++i) sent.insert(sent.end(), script[i].sample.data.begin(), script[i].sample.data.end());
    for (const ReceivedSample& sample : received) got.insert(got.end(), sample.data.begin(), sample.data.end());
    EXPECT_TRUE(sent == got) << "bytes lost or out of order: " << sent.size() << " sent, " << got.size() << " received";

    COwnedMediaType effective;
    ASSERT_EQ(S_OK, g.OutputType(&effective));
    ASSERT_EQ(expected.size(), received.size());
    for (size_t i = 0; i < received.size(); ++i) {
        if (received[i].type) {
            ASSERT_EQ(S_OK, effective.Assign(*received[i].type));
        }
        EXPECT_TRUE(received[i].data == expected[i].data) << "sample " << i;
        EXPECT_EQ(expected[i].timed, SUCCEEDED(received[i].timeResult)) << "sample " << i;
        if (expected[i].timed) {
            EXPECT_EQ(expected[i].start, received[i].start) << "sample " << i;
        }
        EXPECT_TRUE(effective.subtype == expected[i].type->downstreamSubtype) << "sample " << i;
        const PCMWAVEFORMAT* wave = PcmWaveFormatOf(effective);
        ASSERT_NE(nullptr, wave);
        EXPECT_EQ(expected[i].type->downstreamTag, wave->wf.wFormatTag) << "sample " << i;
        EXPECT_EQ(expected[i].type->downstreamBlockAlign, wave->wf.nBlockAlign) << "sample " << i;
    }

    LONGLONG bytes = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &bytes));
    EXPECT_EQ(bytesSince, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPlaceAndType, AnnouncedAudio,
    testing::Combine(testing::Values(Position::FirstAfterConnect, Position::FirstAfterFlushAndNewSegment,
                                     Position::Middle, Position::LastBeforeEndOfStream, Position::InsidePacking),
                     testing::Values(&kAc3, &kDts, &kAac, &kPcm)),
    [](const testing::TestParamInfo<AnnouncedAudio::ParamType>& info) {
        return std::string(kPositionNames[static_cast<int>(std::get<0>(info.param))]) + std::get<1>(info.param)->name;
    });

// Upstream allocators that once stalled, truncated or dropped packets.
struct Upstream {
    const char* name;
    LONG buffers;
    LONG bufferSize;
    bool readOnly;
};

class PackingWithoutStalls : public testing::TestWithParam<Upstream> {
protected:
    void SetUp() override { ASSERT_TRUE(g.IsComplete()); }

    HelperGraph g;
};

TEST_P(PackingWithoutStalls, EveryByteArrivesInOrderInPacketsOfTheHelpersOwn) {
    const Upstream& upstream = GetParam();
    COwnedMediaType pcm, ac3;
    MakeAudio(&pcm, MEDIASUBTYPE_PCM, WAVE_FORMAT_PCM, 16);
    MakeAudio(&ac3, MEDIASUBTYPE_DOLBY_AC3, 0x0092, 16);
    g.upstream->Offer(pcm);
    g.upstream->Pin()->buffers = upstream.buffers;
    g.upstream->Pin()->bufferSize = upstream.bufferSize;
    g.upstream->Pin()->honourRequests = false;
    g.upstream->Pin()->readOnly = upstream.readOnly;
    ASSERT_EQ(S_OK, g.ConnectInput());
    ASSERT_EQ(S_OK, g.ConnectOutput());
    ASSERT_EQ(upstream.readOnly, g.dravik->AllocatorsDiffer());
    ASSERT_EQ(S_OK, g.graph->Run());

    // PCM, AC-3 announced on a timed sample, 40 untimed samples, then a timed
    // sample longer than a packet where upstream's buffers can carry one.
    std::vector<SampleToSend> samples(42);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i].data = CountingBytes(2000, static_cast<BYTE>(i));
        samples[i].timed = i < 2;
        samples[i].start = static_cast<REFERENCE_TIME>(i) * 100000;
        samples[i].stop = samples[i].start + 1;
    }
    samples[1].type = &ac3;
    const size_t large = CAudioPacker::PacketSize + 4464;
    if (upstream.bufferSize >= static_cast<LONG>(large)) {
        SampleToSend longer, after;
        longer.data = CountingBytes(large, 7);
        longer.start = 9000000;
        longer.stop = 9000001;
        after.data = CountingBytes(100, 9);
        after.timed = false;
        samples.push_back(longer);
        samples.push_back(after);
    }

    std::vector<HRESULT> results(samples.size(), E_UNEXPECTED);
    HRESULT endResult = E_UNEXPECTED;
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    std::thread streaming([&] {
        for (size_t i = 0; i < samples.size(); ++i) results[i] = g.upstream->Pin()->Send(samples[i]);
        endResult = g.upstream->Pin()->SendEndOfStream();
        finished.set_value();
    });
    const bool inTime = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // A stalled stream is let go by stopping the graph.
    if (!inTime) {
        EXPECT_EQ(S_OK, g.graph->Stop());
    }
    streaming.join();
    ASSERT_TRUE(inTime) << "the stream stalled";

    for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(S_OK, results[i]) << "sample " << i;
    EXPECT_EQ(S_OK, endResult);
    const auto received = g.downstream->Pin()->Received();
    std::vector<BYTE> sent, got;
    for (const SampleToSend& sample : samples) sent.insert(sent.end(), sample.data.begin(), sample.data.end());
    for (const ReceivedSample& sample : received) got.insert(got.end(), sample.data.begin(), sample.data.end());
    EXPECT_TRUE(sent == got) << sent.size() << " bytes sent, " << got.size() << " received";
    ASSERT_GE(received.size(), 3u);
    EXPECT_GE(received[1].length, 60000) << "the first packet fills a buffer of at least 64 KiB";
    EXPECT_EQ(100000, received[1].start);
    for (const ReceivedSample& sample : received) {
        if (sample.length > CAudioPacker::PacketSize) {
            EXPECT_EQ(static_cast<LONG>(large), sample.length);
            EXPECT_EQ(9000000, sample.start) << "delivered whole, with its times";
        }
    }
    LONGLONG bytes = 0;
    ASSERT_EQ(S_OK, g.GetI8(GENPROP_BytesReceived, &bytes));
    EXPECT_EQ(static_cast<LONGLONG>(sent.size()), bytes);
}

INSTANTIATE_TEST_SUITE_P(Upstreams, PackingWithoutStalls,
                         testing::Values(Upstream{"ExactlyTwoBuffers", 2, 8192, false},
                                         Upstream{"OneBuffer", 1, 8192, false},
                                         Upstream{"SeparateAllocatorsOfOneBuffer", 1, 8192, true},
                                         Upstream{"TimedSampleLargerThanAPacket", 2, 100000, false}),
                         [](const testing::TestParamInfo<Upstream>& info) { return std::string(info.param.name); });

}  // namespace
