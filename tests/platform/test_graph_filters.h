// Small filters for the platform graph and seeking tests: pins that connect
// directly, filters that log their state changes, and a seeking target.
#ifndef DRAVIK_TESTS_PLATFORM_TEST_GRAPH_FILTERS_H
#define DRAVIK_TESTS_PLATFORM_TEST_GRAPH_FILTERS_H

#include <dshow.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class TestFilter;

// What every filter of a test did, in order, e.g. "B Pause".
using CallLog = std::vector<std::string>;

class TestPin : public IPin {
public:
    TestPin(TestFilter* filter, const char* name, PIN_DIRECTION direction);
    ~TestPin();
    TestPin(const TestPin&) = delete;
    TestPin& operator=(const TestPin&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return S_OK; }
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    const std::string name;
    // Answers QueryInterface for IMediaSeeking and IMediaPosition when set.
    IUnknown* seeking = nullptr;
    // Subtypes this pin refuses in ReceiveConnection.
    std::vector<GUID> refused;
    // The subtype of the connection (GUID_NULL when connected without a type).
    GUID subtype = GUID_NULL;

private:
    TestFilter* const filter_;
    const PIN_DIRECTION direction_;
    IPin* peer_ = nullptr;  // one reference while connected
};

class TestFilter : public IBaseFilter {
public:
    // A filter named name with inputs "In0".. and outputs "Out0"..; log may be null.
    TestFilter(const char* name, int inputs, int outputs, CallLog* log);
    virtual ~TestFilter();
    TestFilter(const TestFilter&) = delete;
    TestFilter& operator=(const TestFilter&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    TestPin* Input(int index) { return inputs_[index].get(); }
    TestPin* Output(int index) { return outputs_[index].get(); }
    void Log(const std::string& entry);

    const std::string name;
    std::atomic<ULONG> references{1};
    FILTER_STATE state = State_Stopped;
    IFilterGraph* graph = nullptr;  // not counted
    std::string joinedName;
    HRESULT pauseResult = S_OK;
    HRESULT runResult = S_OK;
    HRESULT joinResult = S_OK;
    REFERENCE_TIME runStart = -1;

private:
    CallLog* const log_;
    std::vector<std::unique_ptr<TestPin>> inputs_;
    std::vector<std::unique_ptr<TestPin>> outputs_;
};

// A seeking and position target that records what reaches it.
class TestSeeking : public IMediaSeeking, public IMediaPosition {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTimeFormat(GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override { return E_NOTIMPL; }
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPreroll(LONGLONG*) override { return E_NOTIMPL; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_Duration(REFTIME* length) override;
    STDMETHODIMP put_CurrentPosition(REFTIME time) override;
    STDMETHODIMP get_CurrentPosition(REFTIME*) override { return E_NOTIMPL; }
    STDMETHODIMP get_StopTime(REFTIME*) override { return E_NOTIMPL; }
    STDMETHODIMP put_StopTime(REFTIME) override { return E_NOTIMPL; }
    STDMETHODIMP get_PrerollTime(REFTIME*) override { return E_NOTIMPL; }
    STDMETHODIMP put_PrerollTime(REFTIME) override { return E_NOTIMPL; }
    STDMETHODIMP put_Rate(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_Rate(double*) override { return E_NOTIMPL; }
    STDMETHODIMP CanSeekForward(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP CanSeekBackward(LONG*) override { return E_NOTIMPL; }

    ULONG references = 1;
    double rate = 1.0;
    LONGLONG current = 0;
    DWORD currentFlags = 0;
    LONGLONG stop = 0;
    DWORD stopFlags = 0;
    REFTIME position = 0;
};

// Live test filters, to check that every reference was given back.
LONG LiveTestFilters();

#endif
