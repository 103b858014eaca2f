// The seeking pass-through: calls reach the pin connected to the given pin,
// and an outer object can aggregate it.
#include <gtest/gtest.h>

#include <dshow.h>

#include "live_object_check.h"
#include "test_graph_filters.h"

namespace {

class SeekingPassThru : public LiveObjectCheck {
protected:
    void SetUp() override {
        LiveObjectCheck::SetUp();
        upstream = new TestFilter("Up", 0, 1, nullptr);
        filter = new TestFilter("Mid", 1, 0, nullptr);
        upstream->Output(0)->seeking = static_cast<IMediaSeeking*>(&target);
        ASSERT_EQ(S_OK, upstream->Output(0)->Connect(filter->Input(0), nullptr));
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SeekingPassThru, nullptr, CLSCTX_INPROC_SERVER, IID_ISeekingPassThru,
                                         reinterpret_cast<void**>(&passThru)));
        ASSERT_EQ(S_OK, passThru->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)));
        ASSERT_EQ(S_OK, passThru->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)));
    }
    void TearDown() override {
        if (position != nullptr) position->Release();
        if (seeking != nullptr) seeking->Release();
        if (passThru != nullptr) {
            EXPECT_EQ(0u, passThru->Release());
        }
        upstream->Output(0)->Disconnect();
        filter->Input(0)->Disconnect();
        EXPECT_EQ(0u, upstream->Release());
        EXPECT_EQ(0u, filter->Release());
        EXPECT_EQ(1u, target.references);
        LiveObjectCheck::TearDown();
    }

    TestSeeking target;
    TestFilter* upstream = nullptr;
    TestFilter* filter = nullptr;
    ISeekingPassThru* passThru = nullptr;
    IMediaSeeking* seeking = nullptr;
    IMediaPosition* position = nullptr;
};

TEST_F(SeekingPassThru, ForwardsSeekingAndPositionToTheConnectedPin) {
    const ULONG filterReferences = filter->references;
    ASSERT_EQ(S_OK, passThru->Init(FALSE, filter->Input(0)));
    // The pin is not counted: its filter owns the pass-through.
    EXPECT_EQ(filterReferences, filter->references);

    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, seeking->GetDuration(&duration));
    EXPECT_EQ(12345, duration);
    DWORD capabilities = 0;
    EXPECT_EQ(S_OK, seeking->GetCapabilities(&capabilities));
    EXPECT_EQ(DWORD(AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration), capabilities);
    EXPECT_EQ(S_FALSE, seeking->IsFormatSupported(&TIME_FORMAT_FRAME));
    LONGLONG current = 10;
    LONGLONG stop = 20;
    EXPECT_EQ(S_OK, seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_NoPositioning));
    EXPECT_EQ(10, target.current);
    EXPECT_EQ(20, target.stop);
    EXPECT_EQ(DWORD(AM_SEEKING_AbsolutePositioning), target.currentFlags);
    EXPECT_EQ(S_OK, seeking->SetRate(2.0));
    EXPECT_EQ(2.0, target.rate);
    // The target's own answers come back unchanged.
    EXPECT_EQ(E_INVALIDARG, seeking->SetRate(-1.0));
    EXPECT_EQ(E_NOTIMPL, seeking->GetPreroll(&duration));

    REFTIME length = 0;
    EXPECT_EQ(S_OK, position->get_Duration(&length));
    EXPECT_EQ(1.5, length);
    EXPECT_EQ(S_OK, position->put_CurrentPosition(0.25));
    EXPECT_EQ(0.25, target.position);
    EXPECT_EQ(1u, target.references);
}

TEST_F(SeekingPassThru, AnswersNotConnectedWithoutAConnection) {
    LONGLONG duration = 0;
    REFTIME length = 0;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, seeking->GetDuration(&duration));
    ASSERT_EQ(S_OK, passThru->Init(FALSE, nullptr));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, seeking->GetDuration(&duration));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, position->get_Duration(&length));

    ASSERT_EQ(S_OK, passThru->Init(FALSE, filter->Input(0)));
    filter->Input(0)->Disconnect();
    EXPECT_EQ(VFW_E_NOT_CONNECTED, seeking->GetDuration(&duration));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, position->get_Duration(&length));
}

TEST_F(SeekingPassThru, AnswersNotImplementedWhenThePeerCannotSeek) {
    upstream->Output(0)->seeking = nullptr;
    ASSERT_EQ(S_OK, passThru->Init(TRUE, filter->Input(0)));
    LONGLONG duration = 0;
    REFTIME length = 0;
    EXPECT_EQ(E_NOTIMPL, seeking->GetDuration(&duration));
    EXPECT_EQ(E_NOTIMPL, position->get_Duration(&length));
}

TEST_F(SeekingPassThru, DispatchHasNoTypeInformation) {
    UINT count = 9;
    EXPECT_EQ(S_OK, position->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(E_NOTIMPL, position->GetTypeInfo(0, 0, &info));
    EXPECT_EQ(nullptr, info);
}

// An object that aggregates the pass-through, as a transform output pin does.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition) return inner->QueryInterface(riid, object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    ULONG references = 1;
    IUnknown* inner = nullptr;
};

TEST_F(SeekingPassThru, AggregatedItAnswersForItsOuterObject) {
    Outer outer;
    IUnknown* badRequest = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstance(CLSID_SeekingPassThru, &outer, CLSCTX_INPROC_SERVER,
                                                      IID_IMediaSeeking, reinterpret_cast<void**>(&badRequest)));
    EXPECT_EQ(nullptr, badRequest);
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SeekingPassThru, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&outer.inner)));
    EXPECT_EQ(1u, outer.references);

    ISeekingPassThru* init = nullptr;
    ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_ISeekingPassThru, reinterpret_cast<void**>(&init)));
    EXPECT_EQ(2u, outer.references);
    EXPECT_EQ(S_OK, init->Init(FALSE, filter->Input(0)));
    init->Release();
    EXPECT_EQ(1u, outer.references);

    IMediaSeeking* aggregated = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&aggregated)));
    EXPECT_EQ(2u, outer.references);
    // The interface's own IUnknown is the outer object's.
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, aggregated->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, aggregated->GetDuration(&duration));
    EXPECT_EQ(12345, duration);
    aggregated->Release();
    EXPECT_EQ(1u, outer.references);

    EXPECT_EQ(0u, outer.inner->Release());
}

}  // namespace
