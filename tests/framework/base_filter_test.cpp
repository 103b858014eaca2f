// The base filter: its state table over connected pins, clock and stream
// time, graph membership, names and events.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/framework/fake_graph.h"
#include "tests/framework/test_filter.h"
#include "tests/support/wide_text.h"

namespace {

const HRESULT kPinFailure = static_cast<HRESULT>(0x80041234);

// A filter with three pins; the first and last are connected to a peer filter.
class FilterStateTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"P0", "P1", "P2"}) pins_.push_back(filter_->AddPin(name, PINDIR_OUTPUT));
        peer_ = peerFilter_->AddPin("In0", PINDIR_INPUT);
        TestPin* peer2 = peerFilter_->AddPin("In2", PINDIR_INPUT);
        COwnedMediaType type;
        type.SetMajorType(MEDIATYPE_Video);
        type.SetFormatType(FORMAT_None);
        ASSERT_EQ(S_OK, pins_[0]->Connect(peer_, &type));
        ASSERT_EQ(S_OK, pins_[2]->Connect(peer2, &type));
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, filter_->Stop());
        EXPECT_EQ(S_OK, pins_[0]->Disconnect());
        EXPECT_EQ(S_OK, pins_[2]->Disconnect());
        EXPECT_EQ(S_OK, peerFilter_->Pin(0)->Disconnect());
        EXPECT_EQ(S_OK, peerFilter_->Pin(1)->Disconnect());
    }
    FILTER_STATE State() {
        FILTER_STATE state = State_Running;
        EXPECT_EQ(S_OK, filter_->GetState(0, &state));
        return state;
    }

    FilterRef filter_;
    FilterRef peerFilter_;
    std::vector<TestPin*> pins_;
    TestPin* peer_ = nullptr;
};

TEST_F(FilterStateTest, RunFromStoppedActivatesThenRunsConnectedPinsOnly) {
    ASSERT_EQ(S_OK, filter_->Run(500));
    EXPECT_EQ(State_Running, State());
    EXPECT_EQ(1, filter_->pauseCalls);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(1, pins_[i]->activateCalls);
        EXPECT_EQ(1, pins_[i]->runCalls);
        EXPECT_EQ(500, pins_[i]->lastStart);
    }
    EXPECT_EQ(0, pins_[1]->activateCalls);
    EXPECT_EQ(0, pins_[1]->runCalls);

    // Running again only moves the start time; pausing only changes the state.
    ASSERT_EQ(S_OK, filter_->Run(900));
    EXPECT_EQ(1, pins_[0]->runCalls);
    ASSERT_EQ(S_OK, filter_->Pause());
    EXPECT_EQ(State_Paused, State());
    EXPECT_EQ(1, pins_[0]->activateCalls);
    ASSERT_EQ(S_OK, filter_->Run(1000));
    EXPECT_EQ(2, pins_[2]->runCalls);
    EXPECT_EQ(1000, pins_[2]->lastStart);

    ASSERT_EQ(S_OK, filter_->Stop());
    EXPECT_EQ(State_Stopped, State());
    EXPECT_EQ(1, pins_[0]->deactivateCalls);
    EXPECT_EQ(0, pins_[1]->deactivateCalls);
    EXPECT_EQ(1, pins_[2]->deactivateCalls);
    ASSERT_EQ(S_OK, filter_->Stop());
    EXPECT_EQ(1, pins_[0]->deactivateCalls);
}

TEST_F(FilterStateTest, PauseStopsAtTheFirstActivationFailure) {
    pins_[2]->activateResult = kPinFailure;
    EXPECT_EQ(kPinFailure, filter_->Pause());
    EXPECT_EQ(State_Stopped, State());
    EXPECT_EQ(1, pins_[0]->activateCalls);

    EXPECT_EQ(kPinFailure, filter_->Run(0));
    EXPECT_EQ(State_Stopped, State());
    EXPECT_EQ(0, pins_[0]->runCalls);
    pins_[2]->activateResult = S_OK;
}

TEST_F(FilterStateTest, RunStopsAtTheFirstStartFailureAndStaysPaused) {
    pins_[0]->runResult = kPinFailure;
    EXPECT_EQ(kPinFailure, filter_->Run(0));
    EXPECT_EQ(State_Paused, State());
    EXPECT_EQ(0, pins_[2]->runCalls);
    EXPECT_EQ(kPinFailure, filter_->Run(0));
    EXPECT_EQ(State_Paused, State());
    EXPECT_EQ(1, pins_[0]->activateCalls);
    pins_[0]->runResult = S_OK;
}

TEST_F(FilterStateTest, StopReportsTheFirstFailureButStopsEveryPin) {
    ASSERT_EQ(S_OK, filter_->Run(0));
    pins_[0]->deactivateResult = kPinFailure;
    pins_[2]->deactivateResult = E_FAIL;
    EXPECT_EQ(kPinFailure, filter_->Stop());
    EXPECT_EQ(State_Stopped, State());
    EXPECT_EQ(1, pins_[2]->deactivateCalls);
    pins_[0]->deactivateResult = S_OK;
    pins_[2]->deactivateResult = S_OK;
}

TEST(BaseFilter, WithoutConnectedPinsEveryStateChangeSucceeds) {
    FilterRef filter;
    TestPin* pin = filter->AddPin("Lonely", PINDIR_INPUT);
    FILTER_STATE state = State_Running;
    ASSERT_EQ(S_OK, filter->Pause());
    ASSERT_EQ(S_OK, filter->GetState(INFINITE, &state));
    EXPECT_EQ(State_Paused, state);
    ASSERT_EQ(S_OK, filter->Run(0));
    ASSERT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Running, state);
    ASSERT_EQ(S_OK, filter->Stop());
    ASSERT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(0, pin->activateCalls + pin->runCalls + pin->deactivateCalls);
    EXPECT_EQ(E_POINTER, filter->GetState(0, nullptr));
}

TEST(BaseFilter, InterfaceQueriesAndIdentity) {
    FilterRef filter;
    const ULONG start = RefCount(filter->Interface());
    for (const IID* iid : {&IID_IBaseFilter, &IID_IMediaFilter, &IID_IPersist}) {
        void* object = nullptr;
        ASSERT_EQ(S_OK, filter->QueryInterface(*iid, &object));
        EXPECT_EQ(static_cast<void*>(filter->Interface()), object);
        EXPECT_EQ(start + 1, RefCount(filter->Interface()));
        filter->Release();
    }
    IAMovieSetup* setup = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMovieSetup, reinterpret_cast<void**>(&setup)));
    EXPECT_EQ(S_FALSE, setup->Register());
    EXPECT_EQ(S_FALSE, setup->Unregister());
    setup->Release();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IPin, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, filter->QueryInterface(IID_IBaseFilter, nullptr));
    EXPECT_EQ(start, RefCount(filter->Interface()));

    CLSID classId = GUID_NULL;
    ASSERT_EQ(S_OK, filter->GetClassID(&classId));
    EXPECT_FALSE(classId == GUID_NULL);
    EXPECT_EQ(E_POINTER, filter->GetClassID(nullptr));
    LPWSTR vendor = nullptr;
    EXPECT_EQ(E_NOTIMPL, filter->QueryVendorInfo(&vendor));
}

TEST(BaseFilter, ClockReferencesAndStreamTime) {
    FakeClock clock;
    {
        FilterRef filter;
        REFERENCE_TIME time = 0;
        EXPECT_EQ(VFW_E_NO_CLOCK, filter->StreamTimeNow(&time));
        IReferenceClock* held = reinterpret_cast<IReferenceClock*>(1);
        EXPECT_EQ(E_POINTER, filter->GetSyncSource(nullptr));
        ASSERT_EQ(S_OK, filter->SetSyncSource(nullptr));
        ASSERT_EQ(S_OK, filter->GetSyncSource(&held));
        EXPECT_EQ(nullptr, held);

        ASSERT_EQ(S_OK, filter->SetSyncSource(&clock));
        EXPECT_EQ(2u, clock.count);
        ASSERT_EQ(S_OK, filter->GetSyncSource(&held));
        EXPECT_EQ(static_cast<IReferenceClock*>(&clock), held);
        EXPECT_EQ(3u, clock.count);
        held->Release();
        // Setting the same clock again keeps exactly one reference.
        ASSERT_EQ(S_OK, filter->SetSyncSource(&clock));
        EXPECT_EQ(2u, clock.count);

        clock.now = 10'000;
        ASSERT_EQ(S_OK, filter->Run(2'500));
        ASSERT_EQ(S_OK, filter->StreamTimeNow(&time));
        EXPECT_EQ(7'500, time);
        clock.timeResult = kPinFailure;
        EXPECT_EQ(kPinFailure, filter->StreamTimeNow(&time));
        EXPECT_EQ(7'500, time);
        EXPECT_EQ(E_POINTER, filter->StreamTimeNow(nullptr));
        ASSERT_EQ(S_OK, filter->Stop());
    }
    // The filter's destruction dropped its reference.
    EXPECT_EQ(1u, clock.count);

    FakeClock other;
    FilterRef filter;
    ASSERT_EQ(S_OK, filter->SetSyncSource(&clock));
    ASSERT_EQ(S_OK, filter->SetSyncSource(&other));
    EXPECT_EQ(1u, clock.count);
    EXPECT_EQ(2u, other.count);
    ASSERT_EQ(S_OK, filter->SetSyncSource(nullptr));
    EXPECT_EQ(1u, other.count);
}

TEST(BaseFilter, JoinedGraphIsNotCountedAndReceivesEvents) {
    FakeGraph graph(true);
    FilterRef filter;
    const std::vector<WCHAR> name = Widen("Helper");
    ASSERT_EQ(S_OK, filter->JoinFilterGraph(&graph, name.data()));
    EXPECT_EQ(1u, graph.count);

    FILTER_INFO info = {};
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ("Helper", Narrow(info.achName));
    EXPECT_EQ(static_cast<IFilterGraph*>(&graph), info.pGraph);
    EXPECT_EQ(2u, graph.count);
    info.pGraph->Release();

    graph.notifyResult = S_FALSE;
    EXPECT_EQ(S_FALSE, filter->NotifyEvent(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0));
    // EC_COMPLETE names the filter itself, whatever the caller passed.
    EXPECT_EQ(S_FALSE, filter->NotifyEvent(EC_COMPLETE, S_OK, 1234));
    ASSERT_EQ(2u, graph.events.size());
    EXPECT_EQ(EC_ERRORABORT, graph.events[0].code);
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, static_cast<HRESULT>(graph.events[0].param1));
    EXPECT_EQ(0, graph.events[0].param2);
    EXPECT_EQ(EC_COMPLETE, graph.events[1].code);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(filter->Interface()), graph.events[1].param2);

    // Leaving the graph drops the graph, the sink and the name.
    ASSERT_EQ(S_OK, filter->JoinFilterGraph(nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, filter->NotifyEvent(EC_COMPLETE, 0, 0));
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ("", Narrow(info.achName));
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(1u, graph.count);
    EXPECT_EQ(2u, graph.events.size());
    EXPECT_EQ(E_POINTER, filter->QueryFilterInfo(nullptr));
}

TEST(BaseFilter, GraphWithoutEventSinkLeavesEventsUnsent) {
    FakeGraph graph(false);
    FilterRef filter;
    ASSERT_EQ(S_OK, filter->JoinFilterGraph(&graph, nullptr));
    EXPECT_EQ(E_NOTIMPL, filter->NotifyEvent(EC_COMPLETE, 0, 0));
    EXPECT_TRUE(graph.events.empty());
    EXPECT_EQ(1u, graph.count);
}

TEST(BaseFilter, LongFilterNameIsCutTo127Characters) {
    std::string longName;
    for (int i = 0; i < 200; ++i) longName.push_back(static_cast<char>('a' + i % 26));
    const std::vector<WCHAR> name = Widen(longName);
    FilterRef filter;
    ASSERT_EQ(S_OK, filter->JoinFilterGraph(nullptr, name.data()));
    FILTER_INFO info;
    memset(&info, 0xCC, sizeof(info));
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(longName.substr(0, 127), Narrow(info.achName));
    EXPECT_EQ(0, info.achName[127]);
    EXPECT_EQ(nullptr, info.pGraph);

    // Exactly 127 characters fit whole.
    const std::vector<WCHAR> fits = Widen(longName.substr(0, 127));
    ASSERT_EQ(S_OK, filter->JoinFilterGraph(nullptr, fits.data()));
    ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_EQ(longName.substr(0, 127), Narrow(info.achName));
}

}  // namespace
