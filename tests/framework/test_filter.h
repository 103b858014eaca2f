// Filters and pins of the tests' own, built on the framework's base classes,
// with every pin step observable and every result choosable.
#ifndef DRAVIK_TESTS_FRAMEWORK_TEST_FILTER_H
#define DRAVIK_TESTS_FRAMEWORK_TEST_FILTER_H

#include <dshow.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base_filter.h"
#include "framework/base_pin.h"
#include "framework/lock.h"

// One offered media type.
struct TypeFields {
    GUID major;
    GUID sub;
    GUID format;
    std::vector<BYTE> block;
};

void FillType(const TypeFields& fields, COwnedMediaType* type);

class TestFilter;

class TestPin : public CBasePin {
public:
    TestPin(TestFilter* filter, CLock* lock, const WCHAR* name, PIN_DIRECTION direction);

    int MediaTypesVersion() override { return typesVersion; }
    HRESULT Activate() override;
    HRESULT Deactivate() override;
    HRESULT StartRunning(REFERENCE_TIME start) override;
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT SetPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT BreakConnection() override;
    HRESULT CompleteConnection(IPin* peer) override;
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;

    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }

    REFERENCE_TIME SegmentStart() const { return segmentStart_; }
    REFERENCE_TIME SegmentStop() const { return segmentStop_; }
    double SegmentRate() const { return segmentRate_; }

    // Offered types; empty with useBaseList keeps the base pin's "no types".
    std::vector<TypeFields> offered;
    bool useBaseList = true;
    int typesVersion = 1;
    HRESULT enumResult = S_OK;
    HRESULT queryDirectionResult = S_OK;

    // Null accepts everything.
    std::function<HRESULT(const AM_MEDIA_TYPE&)> checkType;
    std::function<HRESULT(IPin*)> complete;
    HRESULT setTypeResult = S_OK;
    HRESULT activateResult = S_OK;
    HRESULT deactivateResult = S_OK;
    HRESULT runResult = S_OK;
    HRESULT breakResult = S_OK;

    int activateCalls = 0;
    int deactivateCalls = 0;
    int runCalls = 0;
    int breakCalls = 0;
    REFERENCE_TIME lastStart = -1;
    // Subtypes of every type CheckPinType was asked about, in order.
    std::vector<GUID> checked;
};

class TestFilter : public CBaseFilter {
public:
    // Created with one reference, which the caller owns.
    static TestFilter* Create();

    TestPin* AddPin(const std::string& name, PIN_DIRECTION direction);
    TestPin* Pin(size_t index) const { return pins_[index].get(); }

    int PinsVersion() override { return pinsVersion; }
    int PinCount() override { return reportedCount >= 0 ? reportedCount : static_cast<int>(pins_.size()); }
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR, IPin** pin) override;
    STDMETHODIMP Pause() override;

    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }
    void Swap(size_t a, size_t b) { std::swap(pins_[a], pins_[b]); }
    FILTER_STATE State() { return FilterState; }

    int pinsVersion = 1;
    // Negative: the real number of pins.
    int reportedCount = -1;
    int pauseCalls = 0;

private:
    TestFilter();

    CLock lock_;
    std::vector<std::unique_ptr<TestPin>> pins_;
};

// Current reference count of a counted object.
ULONG RefCount(IUnknown* object);

// Releases the filter's reference at the end of a scope.
struct FilterRef {
    FilterRef() : filter(TestFilter::Create()) {}
    ~FilterRef() { filter->Release(); }
    FilterRef(const FilterRef&) = delete;
    FilterRef& operator=(const FilterRef&) = delete;
    TestFilter* operator->() const { return filter; }
    TestFilter* const filter;
};

#endif
