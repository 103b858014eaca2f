// The in-place transform between an upstream and a downstream filter: the
// connection order of a graph manager, allocator sharing, the copy path and
// the dropping of samples.
#include <gtest/gtest.h>

#include "framework/trans_in_place_input_pin.h"
#include "framework/trans_in_place_output_pin.h"
#include "tests/framework/seen_sample_check.h"
#include "tests/framework/stream_test_filters.h"
#include "tests/support/wide_text.h"

namespace {

// Allocators of the source (U) and the sink (D), each with one reference of the test's.
struct Allocators {
    Allocators() : upstream(TestAllocator::Create()), downstream(TestAllocator::Create()) {}
    ~Allocators() {
        upstream->Release();
        downstream->Release();
    }
    TestAllocator* const upstream;
    TestAllocator* const downstream;
};

class InPlaceTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, TestStreamObjects.load()); }

    // Source insisting on U with the given read-only flag, sink offering D.
    void Prepare(Chain& chain, Allocators& allocators, BOOL readOnly) {
        chain.source->Pin()->ownAllocator = allocators.upstream;
        chain.source->Pin()->readOnly = readOnly;
        chain.sink->Pin()->offeredAllocator = allocators.downstream;
    }

    void ConnectBoth(Chain& chain) {
        ASSERT_EQ(S_OK, chain.ConnectInput());
        ASSERT_EQ(S_OK, chain.ConnectOutput());
    }
};

TEST_F(InPlaceTest, GraphOrderConnectionSharesTheUpstreamAllocatorAndPassesTheVerySample) {
    Allocators allocators;
    {
        Chain chain;
        Prepare(chain, allocators, FALSE);
        ConnectBoth(chain);

        // The output's completion asked for the input to be connected again.
        EXPECT_EQ(1, chain.graph.reconnectExCalls);
        ASSERT_EQ(1u, chain.graph.reconnected.size());
        EXPECT_EQ(chain.filter->In(), chain.graph.reconnected[0]);
        EXPECT_EQ(allocators.upstream, chain.filter->InputPin()->Allocator());
        EXPECT_EQ(allocators.upstream, chain.filter->OutputPin()->Allocator());
        EXPECT_FALSE(chain.filter->AllocatorsDiffer());
        ASSERT_FALSE(chain.sink->Pin()->notified.empty());
        EXPECT_EQ(allocators.upstream, chain.sink->Pin()->notified.back());
        EXPECT_EQ(FALSE, chain.sink->Pin()->notifiedReadOnly.back());

        ASSERT_EQ(S_OK, chain.Run());
        EXPECT_TRUE(allocators.upstream->IsCommitted());
        OutgoingSample outgoing;
        ASSERT_EQ(S_OK, chain.source->Pin()->Send(outgoing));
        const std::vector<SeenSample> seen = chain.sink->Pin()->Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(chain.source->Pin()->lastSent, seen[0].identity);
        ASSERT_EQ(1u, chain.filter->transformed.size());
        EXPECT_EQ(seen[0].identity, chain.filter->transformed[0]);
        EXPECT_EQ(0, allocators.downstream->getBufferCalls);
    }
    EXPECT_EQ(1, allocators.upstream->References());
    EXPECT_EQ(1, allocators.downstream->References());
}

TEST_F(InPlaceTest, ReadOnlyUpstreamBuffersAreCopiedWithEverythingTheyCarry) {
    Allocators allocators;
    {
        Chain chain;
        Prepare(chain, allocators, TRUE);
        chain.source->Pin()->buffers = 3;
        chain.source->Pin()->bufferSize = 300;
        ConnectBoth(chain);

        EXPECT_EQ(allocators.upstream, chain.filter->InputPin()->Allocator());
        EXPECT_EQ(allocators.downstream, chain.filter->OutputPin()->Allocator());
        EXPECT_TRUE(chain.filter->AllocatorsDiffer());
        EXPECT_EQ(allocators.downstream, chain.sink->Pin()->notified.back());
        EXPECT_EQ(FALSE, chain.sink->Pin()->notifiedReadOnly.back());
        // The separate allocator holds what the upstream one holds.
        ALLOCATOR_PROPERTIES properties{};
        ASSERT_EQ(S_OK, allocators.downstream->GetProperties(&properties));
        EXPECT_GE(properties.cBuffers, 3);
        EXPECT_GE(properties.cbBuffer, 300);

        ASSERT_EQ(S_OK, chain.Run());
        COwnedMediaType wider;
        FillVideoType(&wider, 32);
        wider.SetSubtype(MEDIASUBTYPE_RGB24);
        OutgoingSample outgoing;
        outgoing.fill = 0x11;
        outgoing.length = 200;
        outgoing.start = 5000;
        outgoing.stop = 9000;
        outgoing.mediaTimed = true;
        outgoing.mediaStart = 7;
        outgoing.mediaStop = 8;
        outgoing.sync = true;
        outgoing.preroll = true;
        outgoing.discontinuity = true;
        outgoing.type = &wider;
        ASSERT_EQ(S_OK, chain.source->Pin()->Send(outgoing));
        OutgoingSample plain;
        plain.timed = false;
        plain.length = 10;
        ASSERT_EQ(S_OK, chain.source->Pin()->Send(plain));

        const std::vector<SeenSample> seen = chain.sink->Pin()->Seen();
        ASSERT_EQ(2u, seen.size());
        EXPECT_NE(chain.source->Pin()->lastSent, seen[1].identity);
        EXPECT_EQ(2, allocators.downstream->getBufferCalls);
        EXPECT_TRUE(SeenAsSent(seen[0], outgoing));
        // Nothing of the first sample leaks into the copy of the second.
        EXPECT_TRUE(SeenAsSent(seen[1], plain));
        EXPECT_FALSE(allocators.downstream->lastGetBufferTimed);

        // While streaming with two allocators the output keeps its type.
        EXPECT_EQ(S_FALSE, chain.filter->Out()->QueryAccept(&wider));
        COwnedMediaType current;
        FillVideoType(&current);
        EXPECT_EQ(S_OK, chain.filter->Out()->QueryAccept(&current));
    }
    EXPECT_EQ(1, allocators.upstream->References());
    EXPECT_EQ(1, allocators.downstream->References());
}

TEST_F(InPlaceTest, AFilterThatDoesNotWritePassesReadOnlyBuffersOnWithoutCopying) {
    Allocators allocators;
    Chain chain(false);
    Prepare(chain, allocators, TRUE);
    ConnectBoth(chain);
    EXPECT_FALSE(chain.filter->AllocatorsDiffer());
    EXPECT_EQ(allocators.upstream, chain.sink->Pin()->notified.back());
    EXPECT_EQ(TRUE, chain.sink->Pin()->notifiedReadOnly.back());
    ASSERT_EQ(S_OK, chain.Run());
    ASSERT_EQ(S_OK, chain.source->Pin()->Send(OutgoingSample()));
    ASSERT_EQ(1u, chain.sink->Pin()->Seen().size());
    EXPECT_EQ(chain.source->Pin()->lastSent, chain.sink->Pin()->Seen()[0].identity);
    EXPECT_EQ(0, allocators.downstream->getBufferCalls);
}

TEST_F(InPlaceTest, WithoutFilterGraph2TheGraphIsAskedForAPlainReconnect) {
    Allocators allocators;
    Chain chain(true, false);
    Prepare(chain, allocators, FALSE);
    ConnectBoth(chain);
    EXPECT_EQ(1, chain.graph.reconnectCalls);
    EXPECT_EQ(0, chain.graph.reconnectExCalls);
    EXPECT_FALSE(chain.filter->AllocatorsDiffer());
}

TEST_F(InPlaceTest, ConnectingOutsideAGraphIsRefused) {
    Allocators allocators;
    TestSource* source = TestSource::Create();
    TestInPlace* filter = TestInPlace::Create(true);
    source->Pin()->ownAllocator = allocators.upstream;
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, source->Pin()->Connect(filter->In(), nullptr));
    EXPECT_FALSE(source->Pin()->IsConnected());
    EXPECT_FALSE(filter->InputPin()->IsConnected());
    EXPECT_EQ(E_NOINTERFACE, filter->RequestReconnect(filter->In(), nullptr));
    source->Release();
    filter->Release();
}

TEST_F(InPlaceTest, AnInputReconnectedWithANewTypeHasTheOutputReconnectedWithIt) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, FALSE);
    ConnectBoth(chain);
    COwnedMediaType wider;
    FillVideoType(&wider, 32);
    ASSERT_EQ(S_OK, chain.graph.ReconnectEx(chain.filter->In(), &wider));
    EXPECT_TRUE(chain.sink->Pin()->CurrentMediaType() == wider);
    EXPECT_TRUE(chain.filter->OutputPin()->CurrentMediaType() == wider);
    bool outputReconnected = false;
    for (IPin* pin : chain.graph.reconnected) outputReconnected |= pin == chain.filter->Out();
    EXPECT_TRUE(outputReconnected);
    EXPECT_FALSE(chain.filter->AllocatorsDiffer());
}

TEST_F(InPlaceTest, EachPinOffersTheTypesOfThePinAcrossTheFilter) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, FALSE);
    IEnumMediaTypes* types = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, chain.filter->In()->EnumMediaTypes(&types));
    EXPECT_EQ(nullptr, types);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, chain.filter->Out()->EnumMediaTypes(&types));
    ASSERT_EQ(S_OK, chain.ConnectInput());
    ASSERT_EQ(S_OK, chain.filter->Out()->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &type, nullptr));
    COwnedMediaType expected;
    FillVideoType(&expected);
    EXPECT_TRUE(expected == *type);
    DeleteTaskMediaType(type);
    types->Release();
}

TEST_F(InPlaceTest, AllocatorRequirementsComeFromDownstream) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, FALSE);
    IMemInputPin* input = chain.filter->InputPin();
    ALLOCATOR_PROPERTIES properties{};
    EXPECT_EQ(E_NOTIMPL, input->GetAllocatorRequirements(&properties));
    chain.sink->Pin()->hasRequirements = true;
    chain.sink->Pin()->requirements = {3, 100, 4, 0};
    ConnectBoth(chain);
    ASSERT_EQ(S_OK, input->GetAllocatorRequirements(&properties));
    EXPECT_EQ(3, properties.cBuffers);
    EXPECT_EQ(100, properties.cbBuffer);
    EXPECT_EQ(4, properties.cbAlign);
}

TEST_F(InPlaceTest, NotifyAllocatorRefusesWhatCannotWork) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, FALSE);
    ConnectBoth(chain);
    IMemInputPin* input = chain.filter->InputPin();
    EXPECT_EQ(E_POINTER, input->NotifyAllocator(nullptr, FALSE));

    // Read-only buffers of the allocator the output already uses can't be written.
    EXPECT_EQ(E_FAIL, input->NotifyAllocator(allocators.upstream, TRUE));

    // A separate output allocator that can't hold what the upstream one holds.
    TestAllocator* larger = TestAllocator::Create();
    ALLOCATOR_PROPERTIES request{4, 1024, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(S_OK, larger->SetProperties(&request, &actual));
    allocators.upstream->maxBufferSize = 512;
    EXPECT_EQ(E_FAIL, input->NotifyAllocator(larger, TRUE));

    // The downstream pin's refusal is passed back and nothing changes.
    chain.sink->Pin()->refusedAllocator = larger;
    EXPECT_EQ(E_FAIL, input->NotifyAllocator(larger, FALSE));
    EXPECT_EQ(allocators.upstream, chain.filter->InputPin()->Allocator());
    EXPECT_EQ(allocators.upstream, chain.filter->OutputPin()->Allocator());
    larger->Release();
}

TEST_F(InPlaceTest, SizeBuffersCopiesTheInputAllocatorAndRefusesLess) {
    Allocators allocators;
    Chain chain;
    TestAllocator* target = TestAllocator::Create();
    ALLOCATOR_PROPERTIES properties{0, 0, 0, 12};
    ASSERT_EQ(S_OK, chain.filter->SizeBuffers(target, &properties));
    EXPECT_EQ(1, properties.cBuffers);
    EXPECT_EQ(1, properties.cbBuffer);
    // Alignment 0 would be refused by the platform's allocator.
    EXPECT_EQ(1, properties.cbAlign);
    EXPECT_EQ(12, properties.cbPrefix);
    IMemAllocator* platformAllocator = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                     reinterpret_cast<void**>(&platformAllocator)));
    properties = {};
    EXPECT_EQ(S_OK, chain.filter->SizeBuffers(platformAllocator, &properties));
    platformAllocator->Release();

    Prepare(chain, allocators, FALSE);
    chain.source->Pin()->buffers = 2;
    chain.source->Pin()->bufferSize = 256;
    ASSERT_EQ(S_OK, chain.ConnectInput());
    target->maxBufferSize = 100;
    properties = {};
    EXPECT_EQ(E_FAIL, chain.filter->SizeBuffers(target, &properties));
    target->maxBufferSize = 0;
    ASSERT_EQ(S_OK, chain.filter->SizeBuffers(target, &properties));
    EXPECT_EQ(2, properties.cBuffers);
    EXPECT_EQ(256, properties.cbBuffer);
    target->Release();
}

TEST_F(InPlaceTest, ADroppedSampleRaisesOneQualityChangeAndMarksTheNextCopy) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, TRUE);
    ConnectBoth(chain);
    chain.filter->transformResults = {S_OK, S_FALSE, S_OK, S_OK, S_FALSE};
    ASSERT_EQ(S_OK, chain.Run());
    TestSourcePin* source = chain.source->Pin();

    ASSERT_EQ(S_OK, source->Send(OutgoingSample()));
    EXPECT_EQ(0u, allocators.downstream->lastGetBufferFlags);
    ASSERT_EQ(S_OK, source->Send(OutgoingSample()));
    EXPECT_EQ(1u, chain.sink->Pin()->Seen().size());
    EXPECT_EQ(1, chain.graph.CountEvents(EC_QUALITY_CHANGE));
    ASSERT_EQ(S_OK, source->Send(OutgoingSample()));
    EXPECT_EQ(static_cast<DWORD>(AM_GBF_PREVFRAMESKIPPED), allocators.downstream->lastGetBufferFlags);
    ASSERT_EQ(S_OK, source->Send(OutgoingSample()));
    EXPECT_EQ(0u, allocators.downstream->lastGetBufferFlags);

    const std::vector<SeenSample> seen = chain.sink->Pin()->Seen();
    ASSERT_EQ(3u, seen.size());
    EXPECT_FALSE(seen[0].discontinuity);
    EXPECT_TRUE(seen[1].discontinuity);
    EXPECT_FALSE(seen[2].discontinuity);

    // Not raised again until the next Pause.
    ASSERT_EQ(S_OK, chain.filter->Interface()->Pause());
    ASSERT_EQ(S_OK, chain.filter->Interface()->Run(0));
    ASSERT_EQ(S_OK, source->Send(OutgoingSample()));
    EXPECT_EQ(2, chain.graph.CountEvents(EC_QUALITY_CHANGE));
}

TEST_F(InPlaceTest, ATransformFailureOrACopyThatCannotBeMadeGoesBackUpstream) {
    Allocators allocators;
    Chain chain;
    Prepare(chain, allocators, TRUE);
    ConnectBoth(chain);
    chain.filter->transformResults = {E_ABORT};
    ASSERT_EQ(S_OK, chain.Run());
    EXPECT_EQ(E_ABORT, chain.source->Pin()->Send(OutgoingSample()));
    EXPECT_TRUE(chain.sink->Pin()->Seen().empty());

    // The output buffers shrink behind the filter's back: the copy can't be made.
    ASSERT_EQ(S_OK, chain.Stop());
    ALLOCATOR_PROPERTIES request{2, 16, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(S_OK, allocators.downstream->SetProperties(&request, &actual));
    ASSERT_EQ(S_OK, chain.Run());
    EXPECT_EQ(E_UNEXPECTED, chain.source->Pin()->Send(OutgoingSample()));
    EXPECT_TRUE(chain.sink->Pin()->Seen().empty());
    // No copy is still out: the test, the sink pin and the output pin hold the rest.
    EXPECT_EQ(3, allocators.downstream->References());
}

TEST_F(InPlaceTest, PinsAreMadeOnFirstUse) {
    TestInPlace* filter = TestInPlace::Create(true);
    EXPECT_EQ(nullptr, filter->PinAt(2));
    PIN_INFO info{};
    ASSERT_EQ(S_OK, filter->In()->QueryPinInfo(&info));
    EXPECT_EQ("Input", Narrow(info.achName));
    EXPECT_EQ(PINDIR_INPUT, info.dir);
    info.pFilter->Release();
    ASSERT_EQ(S_OK, filter->Out()->QueryPinInfo(&info));
    EXPECT_EQ("Output", Narrow(info.achName));
    info.pFilter->Release();
    filter->Release();
}

}  // namespace
