// The source stream's worker: its commands, the delivery loop's three endings
// (end of stream, failure, refusing downstream) and stop while delivering.
#include <gtest/gtest.h>

#include <atomic>

#include "framework/source_filter.h"
#include "framework/source_stream.h"
#include "platform_graph.h"
#include "tests/dummy/counting_sink_filter.h"
#include "tests/support/thread_events.h"

namespace {

const GUID kTestClsid = {0x1a2b3c4d, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};

// Produces `endAfter` samples, then answers `ending` (S_FALSE or a failure).
class ScriptedStream : public CSourceStream {
public:
    ScriptedStream(HRESULT* result, CSource* owner) : CSourceStream(nullptr, result, owner, L"Scripted") {}
    ~ScriptedStream() override = default;

    HRESULT SingleMediaType(AM_MEDIA_TYPE* type) override {
        COwnedMediaType* record = static_cast<COwnedMediaType*>(type);
        record->SetMajorType(MEDIATYPE_Stream);
        record->SetSubtype(GUID_NULL);
        record->SetFormatType(FORMAT_None);
        return S_OK;
    }
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
        request->cBuffers = 2;
        request->cbBuffer = 64;
        ALLOCATOR_PROPERTIES actual{};
        return allocator->SetProperties(request, &actual);
    }
    HRESULT OnWorkerCreate() override { return createResult; }
    HRESULT ProduceSample(IMediaSample*) override {
        const int call = ++produced;
        if (endAfter >= 0 && call > endAfter) return ending;
        return S_OK;
    }

    std::atomic<int> produced{0};
    int endAfter = -1;
    HRESULT ending = S_FALSE;
    HRESULT createResult = S_OK;
};

class ScriptedSource : public CSource {
public:
    ScriptedSource() : CSource(L"scripted", nullptr, kTestClsid) { stream = new ScriptedStream(&result, this); }
    HRESULT result = S_OK;
    ScriptedStream* stream;
};

class SourceStreamTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, PlatformCreateFilterGraph(&graph));
        source = new ScriptedSource;
        sink = new CountingSinkFilter;
        ASSERT_EQ(S_OK, source->result);
        ASSERT_EQ(S_OK, graph->AddFilter(source, L"source"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink, L"sink"));
        ASSERT_EQ(S_OK, graph->ConnectDirect(source->stream, &sink->Pin(), nullptr));
    }
    void TearDown() override {
        if (graph == nullptr) return;
        graph->Stop();
        graph->Release();
    }

    IPlatformFilterGraph* graph = nullptr;
    ScriptedSource* source = nullptr;
    CountingSinkFilter* sink = nullptr;
};

TEST_F(SourceStreamTest, EndOfStreamAfterTheLastSampleThenStopsCleanly) {
    source->stream->endAfter = 2;
    ASSERT_EQ(S_OK, graph->Pause());
    ASSERT_TRUE(sink->Pin().WaitForEndOfStreams(1));
    EXPECT_EQ(2, sink->Pin().received.load());
    EXPECT_EQ(S_OK, graph->Stop());
    EXPECT_EQ(1, sink->Pin().endOfStreams.load());
    EXPECT_TRUE(graph->Events().empty());
}

TEST_F(SourceStreamTest, AFailingSampleAbortsWithItsCode) {
    source->stream->endAfter = 1;
    source->stream->ending = E_ACCESSDENIED;
    ASSERT_EQ(S_OK, graph->Pause());
    PlatformGraphEvent event{};
    ASSERT_EQ(S_OK, graph->WaitForEvent(EC_ERRORABORT, 5000, &event));
    EXPECT_EQ(E_ACCESSDENIED, static_cast<HRESULT>(event.param1));
    EXPECT_EQ(0, event.param2);
    EXPECT_TRUE(sink->Pin().WaitForEndOfStreams(1));
    EXPECT_EQ(1, sink->Pin().received.load());
    EXPECT_EQ(S_OK, graph->Stop());
}

TEST_F(SourceStreamTest, ARefusingDownstreamIdlesTheWorkerUntilStop) {
    sink->Pin().refuseAt = 3;
    ASSERT_EQ(S_OK, graph->Pause());
    ASSERT_TRUE(sink->Pin().WaitForReceived(3));
    Sleep(20);
    EXPECT_EQ(3, sink->Pin().received.load());
    EXPECT_EQ(0, sink->Pin().endOfStreams.load());
    EXPECT_EQ(S_OK, graph->Run());
    EXPECT_EQ(S_OK, graph->Stop());
    // A pause after the stop starts a new worker that delivers again.
    sink->Pin().refuseAt = 0;
    sink->Pin().received = 0;
    ASSERT_EQ(S_OK, graph->Pause());
    EXPECT_TRUE(sink->Pin().WaitForReceived(2));
    EXPECT_EQ(S_OK, graph->Stop());
}

TEST_F(SourceStreamTest, StopWhileTheWorkerWaitsForABuffer) {
    // The sink keeps nothing, but a stop right after the pause races a worker
    // inside GetBuffer or Receive; the decommit must free it either way.
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(S_OK, graph->Pause());
        ASSERT_EQ(S_OK, graph->Stop());
    }
}

TEST_F(SourceStreamTest, AWorkerThatFailedToStartIsJoinedByStopAndRelease) {
    source->stream->createResult = E_ACCESSDENIED;
    FinishWithin(std::chrono::seconds(20), "a worker that ended without being told", [&] {
        EXPECT_EQ(E_ACCESSDENIED, graph->Pause());
        EXPECT_EQ(S_OK, graph->Stop());
        // A fresh worker starts on the next pause once the failure is gone.
        source->stream->createResult = S_OK;
        source->stream->endAfter = 1;
        EXPECT_EQ(S_OK, graph->Pause());
        EXPECT_TRUE(sink->Pin().WaitForEndOfStreams(1));
        EXPECT_EQ(S_OK, graph->Stop());
        source->stream->createResult = E_ACCESSDENIED;
        EXPECT_EQ(E_ACCESSDENIED, graph->Pause());
        // Released with the ended worker's thread still held.
        graph->Release();
        graph = nullptr;
    });
}

TEST(SourceStream, IdentityAndDefaultType) {
    ScriptedSource* source = new ScriptedSource;
    source->NonDelegatingAddRef();
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, source->FindPin(L"1", &pin));
    EXPECT_EQ(static_cast<IPin*>(source->stream), pin);
    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, pin->QueryId(&id));
    EXPECT_EQ(L'1', id[0]);
    EXPECT_EQ(0, id[1]);
    CoTaskMemFree(id);
    pin->Release();
    EXPECT_EQ(1, source->PinCount());
    EXPECT_EQ(nullptr, source->PinAt(1));
    EXPECT_EQ(S_FALSE, source->RemoveStream(nullptr));
    source->NonDelegatingRelease();
}

// The base stream offers no type of its own.
class BareStream : public CSourceStream {
public:
    BareStream(HRESULT* result, CSource* owner) : CSourceStream(nullptr, result, owner, L"Bare") {}
    HRESULT ChooseBufferSizes(IMemAllocator*, ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT ProduceSample(IMediaSample*) override { return S_FALSE; }
};

TEST(SourceStream, DefaultSingleTypeAnswers) {
    CSource* source = new CSource(L"bare", nullptr, kTestClsid);
    source->NonDelegatingAddRef();
    HRESULT result = E_FAIL;
    BareStream* stream = new BareStream(&result, source);
    EXPECT_EQ(S_OK, result);
    COwnedMediaType type;
    EXPECT_EQ(E_UNEXPECTED, stream->MediaTypeAt(0, &type));
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, stream->MediaTypeAt(1, &type));
    EXPECT_EQ(E_INVALIDARG, stream->MediaTypeAt(-1, &type));
    // Destroying the filter destroys its streams, last first.
    source->NonDelegatingRelease();
}

}  // namespace
