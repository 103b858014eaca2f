#include "tests/framework/test_filter.h"

#include <cstring>
#include <new>

#include "module/com_helpers.h"
#include "tests/support/wide_text.h"

namespace {

const CLSID kTestFilterClass = {0x6a1f0c11, 0x52d3, 0x4e8b, {0x9a, 0x01, 0x33, 0x7e, 0x41, 0x90, 0x0c, 0x25}};

}  // namespace

void FillType(const TypeFields& fields, COwnedMediaType* type) {
    type->SetMajorType(fields.major);
    type->SetSubtype(fields.sub);
    type->SetFormatType(fields.format);
    if (fields.block.empty()) return;
    BYTE* block = type->ReserveFormatBlock(static_cast<ULONG>(fields.block.size()));
    if (block != nullptr) memcpy(block, fields.block.data(), fields.block.size());
}

TestPin::TestPin(TestFilter* filter, CLock* lock, const WCHAR* name, PIN_DIRECTION direction)
    : CBasePin(L"test pin", filter, lock, nullptr, name, direction) {}

HRESULT TestPin::Activate() {
    ++activateCalls;
    return activateResult;
}

HRESULT TestPin::Deactivate() {
    ++deactivateCalls;
    return deactivateResult;
}

HRESULT TestPin::StartRunning(REFERENCE_TIME start) {
    ++runCalls;
    lastStart = start;
    return runResult;
}

HRESULT TestPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    checked.push_back(type->subtype);
    return checkType ? checkType(*type) : S_OK;
}

HRESULT TestPin::SetPinType(const AM_MEDIA_TYPE* type) {
    if (FAILED(setTypeResult)) return setTypeResult;
    return CBasePin::SetPinType(type);
}

HRESULT TestPin::BreakConnection() {
    ++breakCalls;
    return breakResult;
}

HRESULT TestPin::CompleteConnection(IPin* peer) { return complete ? complete(peer) : S_OK; }

HRESULT TestPin::MediaTypeAt(int position, COwnedMediaType* type) {
    if (useBaseList && offered.empty()) return CBasePin::MediaTypeAt(position, type);
    if (position < 0) return E_INVALIDARG;
    if (static_cast<size_t>(position) >= offered.size()) return VFW_S_NO_MORE_ITEMS;
    FillType(offered[static_cast<size_t>(position)], type);
    return S_OK;
}

STDMETHODIMP TestPin::QueryDirection(PIN_DIRECTION* direction) {
    if (FAILED(queryDirectionResult)) return queryDirectionResult;
    return CBasePin::QueryDirection(direction);
}

STDMETHODIMP TestPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (FAILED(enumResult)) {
        *types = nullptr;
        return enumResult;
    }
    return CBasePin::EnumMediaTypes(types);
}

STDMETHODIMP TestPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(name_, id); }

TestFilter::TestFilter() : CBaseFilter(L"test filter", nullptr, &lock_, kTestFilterClass) {}

TestFilter* TestFilter::Create() {
    auto* filter = new TestFilter;
    filter->NonDelegatingAddRef();
    return filter;
}

TestPin* TestFilter::AddPin(const std::string& name, PIN_DIRECTION direction) {
    const std::vector<WCHAR> wide = Widen(name);
    pins_.push_back(std::make_unique<TestPin>(this, &lock_, wide.data(), direction));
    return pins_.back().get();
}

CBasePin* TestFilter::PinAt(int index) {
    if (index < 0 || static_cast<size_t>(index) >= pins_.size()) return nullptr;
    return pins_[static_cast<size_t>(index)].get();
}

STDMETHODIMP TestFilter::FindPin(LPCWSTR, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP TestFilter::Pause() {
    ++pauseCalls;
    return CBaseFilter::Pause();
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}
