// The base pin: identity queries, the connection protocol with its two-pass
// type agreement and failure codes, rollback, and the references involved.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/framework/test_filter.h"
#include "tests/support/wide_text.h"

namespace {

const GUID kSubA = {0xaaaa0001, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kSubB = {0xaaaa0002, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kSubC = {0xaaaa0003, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kSubD = {0xaaaa0004, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
const TypeFields kVideoA = {MEDIATYPE_Video, kSubA, FORMAT_VideoInfo, {10, 20, 30}};
const TypeFields kVideoB = {MEDIATYPE_Video, kSubB, FORMAT_VideoInfo, {}};
const TypeFields kVideoC = {MEDIATYPE_Video, kSubC, FORMAT_VideoInfo, {7}};
const TypeFields kAudioD = {MEDIATYPE_Audio, kSubD, FORMAT_WaveFormatEx, {}};
const HRESULT kFailX = static_cast<HRESULT>(0x80041001);
const HRESULT kFailY = static_cast<HRESULT>(0x80041002);

// Accepts only the listed subtypes, refusing the rest with the given code.
std::function<HRESULT(const AM_MEDIA_TYPE&)> Only(std::vector<GUID> accepted, HRESULT refusal = E_FAIL) {
    return [accepted, refusal](const AM_MEDIA_TYPE& type) {
        for (const GUID& sub : accepted) {
            if (sub == type.subtype) return S_OK;
        }
        return refusal;
    };
}

// An output pin on one filter and an input pin on another, unconnected.
class PinConnectionTest : public testing::Test {
protected:
    void SetUp() override {
        out_ = outFilter_->AddPin("Out", PINDIR_OUTPUT);
        in_ = inFilter_->AddPin("In", PINDIR_INPUT);
        outStart_ = RefCount(outFilter_->Interface());
        inStart_ = RefCount(inFilter_->Interface());
    }
    void TearDown() override {
        out_->breakResult = S_OK;
        in_->breakResult = S_OK;
        if (out_->IsConnected()) {
            EXPECT_EQ(S_OK, out_->Disconnect());
        }
        if (in_->IsConnected()) {
            EXPECT_EQ(S_OK, in_->Disconnect());
        }
        EXPECT_EQ(outStart_, RefCount(outFilter_->Interface()));
        EXPECT_EQ(inStart_, RefCount(inFilter_->Interface()));
    }
    void ExpectUnconnected() {
        EXPECT_FALSE(out_->IsConnected());
        EXPECT_FALSE(in_->IsConnected());
        EXPECT_EQ(outStart_, RefCount(outFilter_->Interface()));
        EXPECT_EQ(inStart_, RefCount(inFilter_->Interface()));
    }
    void ExpectConnectedWith(const GUID& sub) {
        ASSERT_TRUE(out_->IsConnected());
        ASSERT_TRUE(in_->IsConnected());
        EXPECT_EQ(static_cast<IPin*>(in_), out_->GetConnected());
        EXPECT_EQ(static_cast<IPin*>(out_), in_->GetConnected());
        EXPECT_TRUE(out_->CurrentMediaType().subtype == sub);
        EXPECT_TRUE(in_->CurrentMediaType().subtype == sub);
    }

    FilterRef outFilter_;
    FilterRef inFilter_;
    TestPin* out_ = nullptr;
    TestPin* in_ = nullptr;
    ULONG outStart_ = 0;
    ULONG inStart_ = 0;
};

TEST_F(PinConnectionTest, PinReferencesAreFilterReferences) {
    const ULONG count = out_->AddRef();
    EXPECT_EQ(outStart_ + 1, count);
    EXPECT_EQ(count, RefCount(outFilter_->Interface()));
    EXPECT_EQ(outStart_, out_->Release());

    void* object = nullptr;
    ASSERT_EQ(S_OK, out_->QueryInterface(IID_IPin, &object));
    EXPECT_EQ(static_cast<void*>(static_cast<IPin*>(out_)), object);
    out_->Release();
    ASSERT_EQ(S_OK, out_->QueryInterface(IID_IQualityControl, &object));
    EXPECT_EQ(static_cast<void*>(static_cast<IQualityControl*>(out_)), object);
    EXPECT_EQ(outStart_ + 1, RefCount(outFilter_->Interface()));
    static_cast<IQualityControl*>(object)->Release();
    ASSERT_EQ(S_OK, out_->QueryInterface(IID_IUnknown, &object));
    static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(E_NOINTERFACE, out_->QueryInterface(IID_IBaseFilter, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, out_->QueryInterface(IID_IPin, nullptr));
}

TEST_F(PinConnectionTest, PinInfoCutsLongNamesTo127Characters) {
    std::string longName;
    for (int i = 0; i < 200; ++i) longName.push_back(static_cast<char>('A' + i % 26));
    TestPin* named = outFilter_->AddPin(longName, PINDIR_OUTPUT);
    PIN_INFO info;
    memset(&info, 0xCC, sizeof(info));
    ASSERT_EQ(S_OK, named->QueryPinInfo(&info));
    EXPECT_EQ(longName.substr(0, 127), Narrow(info.achName));
    EXPECT_EQ(0, info.achName[127]);
    EXPECT_EQ(PINDIR_OUTPUT, info.dir);
    EXPECT_EQ(outFilter_->Interface(), info.pFilter);
    EXPECT_EQ(outStart_ + 1, RefCount(outFilter_->Interface()));
    info.pFilter->Release();

    ASSERT_EQ(S_OK, in_->QueryPinInfo(&info));
    EXPECT_EQ("In", Narrow(info.achName));
    EXPECT_EQ(PINDIR_INPUT, info.dir);
    info.pFilter->Release();
    EXPECT_EQ(E_POINTER, in_->QueryPinInfo(nullptr));

    // A pin built without a name reports an empty one.
    TestPin unnamed(inFilter_.filter, nullptr, nullptr, PINDIR_INPUT);
    ASSERT_EQ(S_OK, unnamed.QueryPinInfo(&info));
    EXPECT_EQ("", Narrow(info.achName));
    info.pFilter->Release();

    PIN_DIRECTION direction = PINDIR_INPUT;
    ASSERT_EQ(S_OK, out_->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_OUTPUT, direction);
    EXPECT_EQ(E_POINTER, out_->QueryDirection(nullptr));
}

TEST_F(PinConnectionTest, QueryAcceptTurnsRefusalsIntoSFalse) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    EXPECT_EQ(S_OK, in_->QueryAccept(&type));
    in_->checkType = [](const AM_MEDIA_TYPE&) { return E_FAIL; };
    EXPECT_EQ(S_FALSE, in_->QueryAccept(&type));
    in_->checkType = [](const AM_MEDIA_TYPE&) { return kFailX; };
    EXPECT_EQ(S_FALSE, in_->QueryAccept(&type));
    in_->checkType = [](const AM_MEDIA_TYPE&) { return S_FALSE; };
    EXPECT_EQ(S_FALSE, in_->QueryAccept(&type));
    EXPECT_EQ(E_POINTER, in_->QueryAccept(nullptr));
}

TEST_F(PinConnectionTest, CompleteTypeConnectsBothPins) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    ASSERT_EQ(S_OK, out_->Connect(in_, &type));
    ExpectConnectedWith(kSubA);
    // Each side holds one reference on the other's filter.
    EXPECT_EQ(outStart_ + 1, RefCount(outFilter_->Interface()));
    EXPECT_EQ(inStart_ + 1, RefCount(inFilter_->Interface()));
    // A complete type goes straight to the attempt; no list is walked.
    EXPECT_EQ(1u, out_->checked.size());

    IPin* peer = nullptr;
    ASSERT_EQ(S_OK, out_->ConnectedTo(&peer));
    EXPECT_EQ(static_cast<IPin*>(in_), peer);
    peer->Release();
    AM_MEDIA_TYPE connection;
    ASSERT_EQ(S_OK, in_->ConnectionMediaType(&connection));
    EXPECT_TRUE(connection.subtype == kSubA);
    ASSERT_EQ(3u, connection.cbFormat);
    EXPECT_NE(in_->CurrentMediaType().pbFormat, connection.pbFormat);
    EXPECT_EQ(30, connection.pbFormat[2]);
    ReleaseMediaTypeContents(&connection);

    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, out_->Connect(in_, &type));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, in_->ReceiveConnection(out_, &type));

    ASSERT_EQ(S_OK, out_->Disconnect());
    ASSERT_EQ(S_OK, in_->Disconnect());
    ExpectUnconnected();
    EXPECT_EQ(S_FALSE, in_->Disconnect());
    peer = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, out_->ConnectedTo(&peer));
    EXPECT_EQ(nullptr, peer);
    memset(&connection, 0xCC, sizeof(connection));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, out_->ConnectionMediaType(&connection));
    EXPECT_TRUE(connection.majortype == GUID_NULL);
    EXPECT_EQ(TRUE, connection.bFixedSizeSamples);
    EXPECT_EQ(1u, connection.lSampleSize);
    EXPECT_EQ(0u, connection.cbFormat);
    EXPECT_EQ(nullptr, connection.pbFormat);
    EXPECT_EQ(nullptr, connection.pUnk);
    // The agreed type outlives the connection.
    EXPECT_TRUE(out_->CurrentMediaType().subtype == kSubA);
}

TEST_F(PinConnectionTest, NullArguments) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    EXPECT_EQ(E_POINTER, out_->Connect(nullptr, &type));
    EXPECT_EQ(E_POINTER, in_->ReceiveConnection(nullptr, &type));
    EXPECT_EQ(E_POINTER, in_->ReceiveConnection(out_, nullptr));
    EXPECT_EQ(E_POINTER, out_->ConnectedTo(nullptr));
    EXPECT_EQ(E_POINTER, out_->ConnectionMediaType(nullptr));
    EXPECT_EQ(E_POINTER, out_->EnumMediaTypes(nullptr));
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, RefusedCompleteTypeCodes) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    for (HRESULT refusal : {S_FALSE, E_FAIL, E_INVALIDARG}) {
        out_->checkType = [refusal](const AM_MEDIA_TYPE&) { return refusal; };
        EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, out_->Connect(in_, &type));
    }
    out_->checkType = [](const AM_MEDIA_TYPE&) { return kFailX; };
    EXPECT_EQ(kFailX, out_->Connect(in_, &type));
    EXPECT_TRUE(in_->checked.empty());
    // Every failed connection broke the connection, the agreement once more.
    EXPECT_EQ(8, out_->breakCalls);
    ExpectUnconnected();

    // The receiving pin refuses the same way.
    out_->checkType = nullptr;
    in_->checkType = [](const AM_MEDIA_TYPE&) { return S_FALSE; };
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, out_->Connect(in_, &type));
    in_->checkType = [](const AM_MEDIA_TYPE&) { return kFailY; };
    EXPECT_EQ(kFailY, out_->Connect(in_, &type));
    EXPECT_EQ(2, in_->breakCalls);
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, SameDirectionIsRefused) {
    TestPin* otherOut = inFilter_->AddPin("Out2", PINDIR_OUTPUT);
    COwnedMediaType type;
    FillType(kVideoA, &type);
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, out_->Connect(otherOut, &type));
    TestPin* otherIn = outFilter_->AddPin("In2", PINDIR_INPUT);
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, in_->ReceiveConnection(otherIn, &type));
    EXPECT_FALSE(otherOut->IsConnected());
    EXPECT_FALSE(otherIn->IsConnected());
    // A peer that can't tell its direction is not trusted either.
    in_->queryDirectionResult = E_UNEXPECTED;
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, out_->Connect(in_, &type));
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, ConnectionsChangeOnlyWhileStopped) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    ASSERT_EQ(S_OK, outFilter_->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, out_->Connect(in_, &type));
    EXPECT_EQ(VFW_E_NOT_STOPPED, out_->Disconnect());
    ASSERT_EQ(S_OK, outFilter_->Stop());

    ASSERT_EQ(S_OK, inFilter_->Run(0));
    EXPECT_EQ(VFW_E_NOT_STOPPED, out_->Connect(in_, &type));
    ExpectUnconnected();
    ASSERT_EQ(S_OK, inFilter_->Stop());

    ASSERT_EQ(S_OK, out_->Connect(in_, &type));
    ASSERT_EQ(S_OK, inFilter_->Run(0));
    EXPECT_EQ(VFW_E_NOT_STOPPED, in_->Disconnect());
    EXPECT_TRUE(in_->IsConnected());
    ASSERT_EQ(S_OK, inFilter_->Stop());
}

TEST_F(PinConnectionTest, FailedBreakKeepsTheConnection) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    ASSERT_EQ(S_OK, out_->Connect(in_, &type));
    out_->breakResult = kFailX;
    EXPECT_EQ(kFailX, out_->Disconnect());
    EXPECT_TRUE(out_->IsConnected());
    EXPECT_EQ(inStart_ + 1, RefCount(inFilter_->Interface()));
}

TEST_F(PinConnectionTest, ReceivingPinsListComesFirst) {
    in_->offered = {kVideoA, kVideoB};
    out_->offered = {kVideoC};
    out_->checkType = Only({kSubC});
    ASSERT_EQ(S_OK, out_->Connect(in_, nullptr));
    ExpectConnectedWith(kSubC);
    ASSERT_EQ(3u, out_->checked.size());
    EXPECT_TRUE(out_->checked[0] == kSubA);
    EXPECT_TRUE(out_->checked[1] == kSubB);
    EXPECT_TRUE(out_->checked[2] == kSubC);
    ASSERT_EQ(S_OK, out_->Disconnect());
    ASSERT_EQ(S_OK, in_->Disconnect());

    // With both lists acceptable the receiving pin's first type wins.
    out_->checkType = nullptr;
    ASSERT_EQ(S_OK, out_->Connect(in_, nullptr));
    ExpectConnectedWith(kSubA);
}

TEST_F(PinConnectionTest, PartialTypeTriesOnlyMatchingCandidates) {
    in_->offered = {kAudioD, kVideoB};
    out_->offered = {kVideoC, kAudioD};
    out_->checkType = Only({kSubC});
    COwnedMediaType pattern;
    pattern.SetMajorType(MEDIATYPE_Video);
    ASSERT_EQ(S_OK, out_->Connect(in_, &pattern));
    ExpectConnectedWith(kSubC);
    ASSERT_EQ(2u, out_->checked.size());
    EXPECT_TRUE(out_->checked[0] == kSubB);
    EXPECT_TRUE(out_->checked[1] == kSubC);
}

TEST_F(PinConnectionTest, PartialPatternWithFormatBlockMustMatchIt) {
    in_->offered = {kVideoA, kVideoC};
    COwnedMediaType pattern;
    FillType(kVideoC, &pattern);
    pattern.SetMajorType(GUID_NULL);
    pattern.SetSubtype(GUID_NULL);
    ASSERT_EQ(S_OK, out_->Connect(in_, &pattern));
    ExpectConnectedWith(kSubC);
    EXPECT_EQ(1u, out_->checked.size());
}

TEST_F(PinConnectionTest, NoTypesAnywhere) {
    // Neither pin offers anything: the input's list is empty, the output's
    // own MediaTypeAt refuses position 0.
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out_->Connect(in_, nullptr));
    EXPECT_TRUE(out_->checked.empty());
    ExpectUnconnected();

    in_->enumResult = E_OUTOFMEMORY;
    out_->enumResult = E_OUTOFMEMORY;
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out_->Connect(in_, nullptr));
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, UnobtainableReceiverListGoesOnToOwnList) {
    in_->enumResult = E_OUTOFMEMORY;
    out_->offered = {kVideoB};
    ASSERT_EQ(S_OK, out_->Connect(in_, nullptr));
    ExpectConnectedWith(kSubB);
}

TEST_F(PinConnectionTest, FailureOnEveryCandidateOfBothListsIsReported) {
    in_->offered = {kVideoA};
    out_->offered = {kVideoB};
    in_->complete = [](IPin*) { return E_OUTOFMEMORY; };
    EXPECT_EQ(E_OUTOFMEMORY, out_->Connect(in_, nullptr));
    EXPECT_EQ(2u, in_->checked.size());
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, FirstListFailureLosesToAnEmptySecondList) {
    in_->offered = {kVideoA};
    in_->complete = [](IPin*) { return E_OUTOFMEMORY; };
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out_->Connect(in_, nullptr));
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, FirstRecordedFailureOfAListStays) {
    out_->offered = {kVideoA, kVideoB, kVideoC};
    in_->complete = [this](IPin*) {
        const GUID& sub = in_->CurrentMediaType().subtype;
        if (sub == kSubA) return E_INVALIDARG;
        return sub == kSubB ? kFailX : kFailY;
    };
    EXPECT_EQ(kFailX, out_->Connect(in_, nullptr));
    EXPECT_EQ(3u, in_->checked.size());
    ExpectUnconnected();

    // Only ignorable refusals: nothing is recorded.
    out_->offered = {kVideoA};
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out_->Connect(in_, nullptr));
    in_->complete = [](IPin*) { return VFW_E_TYPE_NOT_ACCEPTED; };
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, out_->Connect(in_, nullptr));
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, OwnCompletionFailureDisconnectsThePeer) {
    out_->complete = [](IPin*) { return kFailX; };
    COwnedMediaType type;
    FillType(kVideoA, &type);
    EXPECT_EQ(kFailX, out_->Connect(in_, &type));
    ExpectUnconnected();

    // A list walk rolls back each candidate the same way.
    in_->offered = {kVideoA, kVideoB};
    out_->offered = {kVideoC};
    EXPECT_EQ(kFailX, out_->Connect(in_, nullptr));
    EXPECT_EQ(4u, in_->checked.size());
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, OwnTypeCopyFailureStopsBeforeThePeer) {
    out_->setTypeResult = E_OUTOFMEMORY;
    COwnedMediaType type;
    FillType(kVideoA, &type);
    EXPECT_EQ(E_OUTOFMEMORY, out_->Connect(in_, &type));
    EXPECT_TRUE(in_->checked.empty());
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, ReceivingSideRollsBackItsOwnFailures) {
    COwnedMediaType type;
    FillType(kVideoA, &type);
    in_->setTypeResult = kFailY;
    EXPECT_EQ(kFailY, in_->ReceiveConnection(out_, &type));
    EXPECT_EQ(1, in_->breakCalls);
    in_->setTypeResult = S_OK;
    in_->complete = [](IPin*) { return kFailX; };
    EXPECT_EQ(kFailX, in_->ReceiveConnection(out_, &type));
    EXPECT_EQ(2, in_->breakCalls);
    ExpectUnconnected();
}

TEST_F(PinConnectionTest, SuccessOtherThanSOkEndsTheWalkConnected) {
    // Once connected, no further candidate may be tried.
    in_->offered = {kVideoA, kVideoB};
    out_->complete = [](IPin*) { return S_FALSE; };
    ASSERT_EQ(S_OK, out_->Connect(in_, nullptr));
    ExpectConnectedWith(kSubA);
    EXPECT_EQ(1u, out_->checked.size());
    EXPECT_EQ(outStart_ + 1, RefCount(outFilter_->Interface()));
    EXPECT_EQ(inStart_ + 1, RefCount(inFilter_->Interface()));
}

TEST_F(PinConnectionTest, OwnEnumeratorWalksMediaTypeAt) {
    out_->offered = {kVideoA, kVideoB};
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, out_->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* array[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(3, array, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_TRUE(array[1]->subtype == kSubB);
    DeleteTaskMediaType(array[0]);
    DeleteTaskMediaType(array[1]);
    types->Release();
}

TEST_F(PinConnectionTest, SegmentQualityAndUnsupportedQueries) {
    TestPin fresh(outFilter_.filter, nullptr, nullptr, PINDIR_OUTPUT);
    EXPECT_EQ(0, fresh.SegmentStart());
    EXPECT_EQ(0x7FFFFFFFFFFFFFFFLL, fresh.SegmentStop());
    EXPECT_EQ(1.0, fresh.SegmentRate());
    EXPECT_EQ(S_OK, out_->NewSegment(100, 200, 0.5));
    EXPECT_EQ(100, out_->SegmentStart());
    EXPECT_EQ(200, out_->SegmentStop());
    EXPECT_EQ(0.5, out_->SegmentRate());

    IQualityControl* sink = nullptr;
    ASSERT_EQ(S_OK, in_->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&sink)));
    EXPECT_EQ(S_OK, out_->SetSink(sink));
    // The sink is not counted.
    EXPECT_EQ(inStart_ + 1, RefCount(inFilter_->Interface()));
    sink->Release();
    const Quality quality = {Famine, 900, 0, 0};
    EXPECT_EQ(E_NOTIMPL, out_->Notify(outFilter_->Interface(), quality));
    IPin* pins[1] = {};
    ULONG count = 1;
    EXPECT_EQ(E_NOTIMPL, out_->QueryInternalConnections(pins, &count));
}

TEST(BasePinLifetime, DestroyedPinReleasesAPeerItStillHolds) {
    TestFilter* outFilter = TestFilter::Create();
    FilterRef inFilter;
    TestPin* out = outFilter->AddPin("Out", PINDIR_OUTPUT);
    TestPin* in = inFilter->AddPin("In", PINDIR_INPUT);
    const ULONG inStart = RefCount(inFilter->Interface());
    COwnedMediaType type;
    FillType(kVideoA, &type);
    ASSERT_EQ(S_OK, out->Connect(in, &type));
    ASSERT_EQ(S_OK, in->Disconnect());
    EXPECT_EQ(inStart + 1, RefCount(inFilter->Interface()));
    // The output side was never disconnected; its destruction lets go.
    EXPECT_EQ(0u, outFilter->Release());
    EXPECT_EQ(inStart, RefCount(inFilter->Interface()));
}

}  // namespace
