// The platform's small filter graph: membership and names, direct
// connections and reconnections, state changes downstream first, the
// recorded events, and the references it holds.
#include <gtest/gtest.h>

#include <dshow.h>

#include <chrono>
#include <thread>

#include "live_object_check.h"
#include "platform_graph.h"
#include "test_graph_filters.h"
#include "tests/support/wide_text.h"

namespace {

class FilterGraph : public LiveObjectCheck {
protected:
    void SetUp() override {
        LiveObjectCheck::SetUp();
        filtersBefore_ = LiveTestFilters();
        ASSERT_EQ(S_OK, PlatformCreateFilterGraph(&graph));
    }
    void TearDown() override {
        if (graph != nullptr) {
            EXPECT_EQ(0u, graph->Release());
        }
        for (TestFilter* filter : made_) {
            EXPECT_EQ(0u, filter->Release());
        }
        EXPECT_EQ(filtersBefore_, LiveTestFilters());
        LiveObjectCheck::TearDown();
    }

    // A filter the test holds one reference on until its end.
    TestFilter* Make(const char* name, int inputs, int outputs) {
        made_.push_back(new TestFilter(name, inputs, outputs, &log));
        return made_.back();
    }
    HRESULT Add(TestFilter* filter, const char* name) {
        return graph->AddFilter(filter, name != nullptr ? Widen(name).data() : nullptr);
    }
    // A -> B -> C, added out of order.
    void Chain(TestFilter** a, TestFilter** b, TestFilter** c) {
        *a = Make("A", 0, 1);
        *b = Make("B", 1, 1);
        *c = Make("C", 1, 0);
        ASSERT_EQ(S_OK, Add(*b, "B"));
        ASSERT_EQ(S_OK, Add(*a, "A"));
        ASSERT_EQ(S_OK, Add(*c, "C"));
        ASSERT_EQ(S_OK, graph->ConnectDirect((*a)->Output(0), (*b)->Input(0), nullptr));
        ASSERT_EQ(S_OK, graph->ConnectDirect((*b)->Output(0), (*c)->Input(0), nullptr));
        log.clear();
    }

    IPlatformFilterGraph* graph = nullptr;
    CallLog log;

private:
    std::vector<TestFilter*> made_;
    LONG filtersBefore_ = 0;
};

AM_MEDIA_TYPE TypeOf(REFGUID subtype) {
    AM_MEDIA_TYPE type;
    memset(&type, 0, sizeof(type));
    type.majortype = MEDIATYPE_Video;
    type.subtype = subtype;
    return type;
}

TEST_F(FilterGraph, AnswersItsInterfaces) {
    const IID answered[] = {IID_IUnknown, IID_IFilterGraph, IID_IGraphBuilder, IID_IFilterGraph2,
                            IID_IMediaEventSink, IID_IMediaControl};
    for (const IID& iid : answered) {
        IUnknown* unknown = nullptr;
        EXPECT_EQ(S_OK, graph->QueryInterface(iid, reinterpret_cast<void**>(&unknown)));
        ASSERT_NE(nullptr, unknown);
        unknown->Release();
    }
    IUnknown* none = nullptr;
    EXPECT_EQ(E_NOINTERFACE, graph->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
}

TEST_F(FilterGraph, AddFilterJoinsItUnderAUniqueNameAndHoldsIt) {
    TestFilter* first = Make("first", 0, 0);
    TestFilter* second = Make("second", 0, 0);
    TestFilter* third = Make("third", 0, 0);
    ASSERT_EQ(S_OK, Add(first, "Source"));
    EXPECT_EQ(2u, first->references);
    EXPECT_EQ(static_cast<IFilterGraph*>(graph), first->graph);
    EXPECT_EQ("Source", first->joinedName);

    EXPECT_EQ(VFW_S_DUPLICATE_NAME, Add(second, "Source"));
    EXPECT_EQ("Source 0001", second->joinedName);
    EXPECT_EQ(S_OK, Add(third, nullptr));
    EXPECT_EQ("0001", third->joinedName);

    EXPECT_EQ(E_INVALIDARG, Add(first, "Again"));
    EXPECT_EQ(2u, first->references);
    EXPECT_EQ(E_POINTER, graph->AddFilter(nullptr, nullptr));
}

TEST_F(FilterGraph, ALongNameIsCutToWhatFilterInfoHolds) {
    TestFilter* first = Make("first", 0, 0);
    TestFilter* second = Make("second", 0, 0);
    const std::string longName(300, 'x');
    ASSERT_EQ(S_OK, Add(first, longName.c_str()));
    EXPECT_EQ(std::string(MAX_FILTER_NAME - 1, 'x'), first->joinedName);
    EXPECT_EQ(VFW_S_DUPLICATE_NAME, Add(second, longName.c_str()));
    EXPECT_EQ(std::string(MAX_FILTER_NAME - 6, 'x') + " 0001", second->joinedName);
}

TEST_F(FilterGraph, AFilterRefusingToJoinIsNotAdded) {
    TestFilter* filter = Make("refuser", 0, 0);
    filter->joinResult = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, Add(filter, "Refuser"));
    EXPECT_EQ(1u, filter->references);
    IBaseFilter* found = nullptr;
    EXPECT_EQ(VFW_E_NOT_FOUND, graph->FindFilterByName(Widen("Refuser").data(), &found));
    EXPECT_EQ(VFW_E_NOT_FOUND, graph->RemoveFilter(filter));
}

TEST_F(FilterGraph, FindsAndEnumeratesItsFilters) {
    TestFilter* a = Make("A", 0, 0);
    TestFilter* b = Make("B", 0, 0);
    ASSERT_EQ(S_OK, Add(a, "Alpha"));
    ASSERT_EQ(S_OK, Add(b, "Beta"));

    IBaseFilter* found = nullptr;
    ASSERT_EQ(S_OK, graph->FindFilterByName(Widen("Beta").data(), &found));
    EXPECT_EQ(static_cast<IBaseFilter*>(b), found);
    found->Release();
    EXPECT_EQ(VFW_E_NOT_FOUND, graph->FindFilterByName(Widen("beta").data(), &found));
    EXPECT_EQ(nullptr, found);
    EXPECT_EQ(E_POINTER, graph->FindFilterByName(nullptr, &found));

    IEnumFilters* filters = nullptr;
    ASSERT_EQ(S_OK, graph->EnumFilters(&filters));
    IBaseFilter* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, filters->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(static_cast<IBaseFilter*>(a), got[0]);
    EXPECT_EQ(static_cast<IBaseFilter*>(b), got[1]);
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(E_POINTER, filters->Next(2, got, nullptr));
    ASSERT_EQ(S_OK, filters->Reset());
    EXPECT_EQ(S_OK, filters->Skip(1));
    IEnumFilters* clone = nullptr;
    ASSERT_EQ(S_OK, filters->Clone(&clone));
    EXPECT_EQ(S_FALSE, filters->Skip(5));
    ASSERT_EQ(S_OK, clone->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IBaseFilter*>(b), got[0]);
    got[0]->Release();
    clone->Release();
    // The enumerator holds its filters even after they leave the graph.
    ASSERT_EQ(S_OK, graph->RemoveFilter(a));
    EXPECT_EQ(2u, a->references);
    filters->Release();
    EXPECT_EQ(1u, a->references);
}

TEST_F(FilterGraph, ConnectDirectJoinsPinsOfItsOwnFiltersInTheirDirection) {
    TestFilter* a = Make("A", 0, 1);
    TestFilter* b = Make("B", 1, 0);
    TestFilter* outside = Make("X", 1, 0);
    ASSERT_EQ(S_OK, Add(a, "A"));
    ASSERT_EQ(S_OK, Add(b, "B"));
    AM_MEDIA_TYPE type = TypeOf(MEDIASUBTYPE_RGB32);

    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, graph->ConnectDirect(a->Output(0), outside->Input(0), &type));
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, graph->ConnectDirect(b->Input(0), a->Output(0), &type));
    EXPECT_EQ(E_POINTER, graph->ConnectDirect(nullptr, b->Input(0), &type));
    ASSERT_EQ(S_OK, graph->ConnectDirect(a->Output(0), b->Input(0), &type));
    EXPECT_TRUE(a->Output(0)->subtype == MEDIASUBTYPE_RGB32);
    EXPECT_TRUE(b->Input(0)->subtype == MEDIASUBTYPE_RGB32);

    // Disconnect breaks only the given end.
    ASSERT_EQ(S_OK, graph->Disconnect(b->Input(0)));
    IPin* peer = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, b->Input(0)->ConnectedTo(&peer));
    ASSERT_EQ(S_OK, a->Output(0)->ConnectedTo(&peer));
    peer->Release();
    ASSERT_EQ(S_OK, graph->Disconnect(a->Output(0)));
    // Connect is the direct connection with any type.
    ASSERT_EQ(S_OK, graph->Connect(a->Output(0), b->Input(0)));
    EXPECT_TRUE(b->Input(0)->subtype == GUID_NULL);
}

TEST_F(FilterGraph, ReconnectExBreaksBothEndsAndConnectsThemWithTheNewType) {
    TestFilter* a = Make("A", 0, 1);
    TestFilter* b = Make("B", 1, 0);
    ASSERT_EQ(S_OK, Add(a, "A"));
    ASSERT_EQ(S_OK, Add(b, "B"));
    AM_MEDIA_TYPE rgb = TypeOf(MEDIASUBTYPE_RGB32);
    ASSERT_EQ(S_OK, graph->ConnectDirect(a->Output(0), b->Input(0), &rgb));
    log.clear();

    // Asked from either end, the output pin connects again.
    AM_MEDIA_TYPE yuy2 = TypeOf(MEDIASUBTYPE_YUY2);
    ASSERT_EQ(S_OK, graph->ReconnectEx(b->Input(0), &yuy2));
    EXPECT_EQ((CallLog{"Disconnect B.In0", "Disconnect A.Out0", "Connect A.Out0 YUY2"}), log);
    EXPECT_TRUE(b->Input(0)->subtype == MEDIASUBTYPE_YUY2);
    log.clear();
    ASSERT_EQ(S_OK, graph->Reconnect(a->Output(0)));
    EXPECT_EQ((CallLog{"Disconnect A.Out0", "Disconnect B.In0", "Connect A.Out0 none"}), log);

    EXPECT_EQ(E_POINTER, graph->Reconnect(nullptr));
    graph->Disconnect(a->Output(0));
    graph->Disconnect(b->Input(0));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, graph->ReconnectEx(b->Input(0), &yuy2));
}

TEST_F(FilterGraph, AFailedReconnectionIsReportedAndLeavesThePinsFree) {
    TestFilter* a = Make("A", 0, 1);
    TestFilter* b = Make("B", 1, 0);
    ASSERT_EQ(S_OK, Add(a, "A"));
    ASSERT_EQ(S_OK, Add(b, "B"));
    ASSERT_EQ(S_OK, graph->ConnectDirect(a->Output(0), b->Input(0), nullptr));
    b->Input(0)->refused.push_back(MEDIASUBTYPE_YUY2);
    AM_MEDIA_TYPE yuy2 = TypeOf(MEDIASUBTYPE_YUY2);
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, graph->ReconnectEx(a->Output(0), &yuy2));
    IPin* peer = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, a->Output(0)->ConnectedTo(&peer));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, b->Input(0)->ConnectedTo(&peer));
}

TEST_F(FilterGraph, StateChangesReachDownstreamFiltersFirst) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    EXPECT_EQ(State_Stopped, graph->GraphState());

    ASSERT_EQ(S_OK, graph->Pause());
    EXPECT_EQ((CallLog{"C Pause", "B Pause", "A Pause"}), log);
    EXPECT_EQ(State_Paused, graph->GraphState());
    log.clear();
    ASSERT_EQ(S_OK, graph->Run());
    EXPECT_EQ((CallLog{"C Run", "B Run", "A Run"}), log);
    EXPECT_EQ(State_Running, a->state);
    EXPECT_EQ(0, a->runStart);
    log.clear();
    ASSERT_EQ(S_OK, graph->Stop());
    EXPECT_EQ((CallLog{"C Stop", "B Stop", "A Stop"}), log);
    EXPECT_EQ(State_Stopped, graph->GraphState());

    // Run from stopped pauses everything first.
    log.clear();
    ASSERT_EQ(S_OK, graph->Run());
    EXPECT_EQ((CallLog{"C Pause", "B Pause", "A Pause", "C Run", "B Run", "A Run"}), log);
    EXPECT_EQ(State_Running, graph->GraphState());
}

TEST_F(FilterGraph, AFilterFailingToPauseStopsTheWholeGraph) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    b->pauseResult = E_FAIL;
    EXPECT_EQ(E_FAIL, graph->Pause());
    EXPECT_EQ((CallLog{"C Pause", "B Pause", "A Pause", "C Stop", "B Stop", "A Stop"}), log);
    EXPECT_EQ(State_Stopped, graph->GraphState());
    EXPECT_EQ(State_Stopped, c->state);

    b->pauseResult = S_OK;
    b->runResult = E_UNEXPECTED;
    EXPECT_EQ(E_UNEXPECTED, graph->Run());
    EXPECT_EQ(State_Stopped, graph->GraphState());
    EXPECT_EQ(State_Stopped, a->state);
}

TEST_F(FilterGraph, AnUnfinishedStateChangeIsReported) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    c->pauseResult = S_FALSE;
    EXPECT_EQ(S_FALSE, graph->Pause());
    EXPECT_EQ(State_Paused, graph->GraphState());
    EXPECT_EQ(State_Paused, a->state);
}

TEST_F(FilterGraph, MediaControlDrivesTheSameStates) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)));
    ASSERT_EQ(S_OK, control->Run());
    OAFilterState state = -1;
    EXPECT_EQ(S_OK, control->GetState(0, &state));
    EXPECT_EQ(State_Running, state);
    EXPECT_EQ(State_Running, b->state);
    ASSERT_EQ(S_OK, control->Stop());
    EXPECT_EQ(State_Stopped, b->state);
    EXPECT_EQ(E_POINTER, control->GetState(0, nullptr));
    control->Release();
}

TEST_F(FilterGraph, CoCreateInstanceMakesTheSameGraph) {
    IGraphBuilder* builder = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(&builder)));
    TestFilter* a = Make("A", 0, 1);
    TestFilter* b = Make("B", 1, 0);
    ASSERT_EQ(S_OK, builder->AddFilter(a, Widen("A").data()));
    ASSERT_EQ(S_OK, builder->AddFilter(b, Widen("B").data()));
    ASSERT_EQ(S_OK, builder->Connect(a->Output(0), b->Input(0)));
    IMediaControl* control = nullptr;
    ASSERT_EQ(S_OK, builder->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)));
    ASSERT_EQ(S_OK, control->Run());
    control->Release();
    EXPECT_EQ(0u, builder->Release());
    EXPECT_EQ(State_Stopped, a->state);
    EXPECT_EQ(1u, a->references);
}

TEST_F(FilterGraph, RemoveFilterStopsItBreaksItsConnectionsAndLetsGo) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    ASSERT_EQ(S_OK, graph->Run());
    log.clear();
    ASSERT_EQ(S_OK, graph->RemoveFilter(b));
    EXPECT_EQ(State_Stopped, b->state);
    EXPECT_EQ(nullptr, b->graph);
    EXPECT_EQ(1u, b->references);
    IPin* peer = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, a->Output(0)->ConnectedTo(&peer));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, c->Input(0)->ConnectedTo(&peer));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, b->Input(0)->ConnectedTo(&peer));
    EXPECT_EQ(VFW_E_NOT_FOUND, graph->RemoveFilter(b));
    EXPECT_EQ(E_POINTER, graph->RemoveFilter(nullptr));
    IBaseFilter* found = nullptr;
    EXPECT_EQ(VFW_E_NOT_FOUND, graph->FindFilterByName(Widen("B").data(), &found));
}

TEST_F(FilterGraph, ItsLastReleaseStopsAndTakesOutEveryFilter) {
    TestFilter *a, *b, *c;
    Chain(&a, &b, &c);
    ASSERT_EQ(S_OK, graph->Run());
    log.clear();
    EXPECT_EQ(0u, graph->Release());
    graph = nullptr;
    for (TestFilter* filter : {a, b, c}) {
        EXPECT_EQ(State_Stopped, filter->state) << filter->name;
        EXPECT_EQ(nullptr, filter->graph) << filter->name;
        EXPECT_EQ(1u, filter->references) << filter->name;
        IPin* peer = nullptr;
        TestPin* pin = filter->name == "A" ? filter->Output(0) : filter->Input(0);
        EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectedTo(&peer)) << filter->name;
    }
    EXPECT_EQ("C Stop", log.front());
}

TEST_F(FilterGraph, RecordsEveryEventItsFiltersRaise) {
    IMediaEventSink* sink = nullptr;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)));
    EXPECT_EQ(S_OK, sink->Notify(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0));
    EXPECT_EQ(S_OK, sink->Notify(EC_QUALITY_CHANGE, 0, 0));
    EXPECT_EQ(S_OK, sink->Notify(EC_COMPLETE, S_OK, 7));
    sink->Release();

    const std::vector<PlatformGraphEvent> events = graph->Events();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(EC_ERRORABORT, events[0].code);
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, static_cast<HRESULT>(events[0].param1));
    EXPECT_EQ(EC_QUALITY_CHANGE, events[1].code);
    EXPECT_EQ(7, events[2].param2);

    PlatformGraphEvent event{0, 0, 0};
    EXPECT_EQ(S_OK, graph->WaitForEvent(EC_COMPLETE, 0, &event));
    EXPECT_EQ(EC_COMPLETE, event.code);
    EXPECT_EQ(7, event.param2);
    EXPECT_EQ(VFW_E_TIMEOUT, graph->WaitForEvent(EC_USERABORT, 20, &event));
    graph->ClearEvents();
    EXPECT_TRUE(graph->Events().empty());
    EXPECT_EQ(VFW_E_TIMEOUT, graph->WaitForEvent(EC_COMPLETE, 0, nullptr));
}

TEST_F(FilterGraph, WaitForEventWakesWhenAnotherThreadRaisesIt) {
    IMediaEventSink* sink = nullptr;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)));
    std::thread raiser([sink] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sink->Notify(EC_PAUSED, 1, 2);
        sink->Notify(EC_COMPLETE, 3, 4);
    });
    PlatformGraphEvent event{0, 0, 0};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(S_OK, graph->WaitForEvent(EC_COMPLETE, 10000, &event));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(3, event.param1);
    raiser.join();
    sink->Release();
}

}  // namespace
