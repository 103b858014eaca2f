// The filter mappers of both generations over one in-process store of
// registrations. Only registering and unregistering are supported; searching
// answers E_NOTIMPL.
#include "filter_mapper.h"

#include <dshow.h>

#include <atomic>
#include <mutex>
#include <new>

#include "platform_mapper.h"

namespace {

const HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

struct FailingMethod {
    std::string method;
    HRESULT result;
};

struct MapperStore {
    std::mutex mutex;
    std::vector<PlatformMappedFilter> filters;
    std::vector<std::string> calls;
    std::vector<FailingMethod> failures;
    DWORD refusedGenerations = 0;
};

MapperStore& Store() {
    static MapperStore store;
    return store;
}

std::atomic<LONG> liveMappers{0};

std::string Utf8(LPCWSTR text) {
    if (text == nullptr) return std::string();
    char buffer[1024];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr) == 0) return "?";
    return buffer;
}

std::string ClsidText(REFCLSID clsid) {
    WCHAR text[39];
    StringFromGUID2(clsid, text, 39);
    return Utf8(text);
}

// Lists the call; answers the failure the tests asked for, or S_OK. The store's mutex is held.
HRESULT Enter(MapperStore& store, const char* method, REFCLSID filter, LPCWSTR pin) {
    std::string call = std::string(method) + " " + ClsidText(filter);
    if (pin != nullptr) call += " " + Utf8(pin);
    store.calls.push_back(call);
    for (const FailingMethod& failure : store.failures) {
        if (failure.method == method) return failure.result;
    }
    return S_OK;
}

PlatformMappedFilter* Find(MapperStore& store, int generation, REFCLSID clsid, REFCLSID category) {
    for (PlatformMappedFilter& filter : store.filters) {
        if (filter.generation == generation && filter.clsid == clsid && filter.category == category) return &filter;
    }
    return nullptr;
}

HRESULT Remove(MapperStore& store, int generation, REFCLSID clsid, REFCLSID category) {
    for (auto it = store.filters.begin(); it != store.filters.end(); ++it) {
        if (it->generation == generation && it->clsid == clsid && it->category == category) {
            store.filters.erase(it);
            return S_OK;
        }
    }
    return kFileNotFound;
}

PlatformMappedPin* FindPin(PlatformMappedFilter& filter, const std::string& name) {
    for (PlatformMappedPin& pin : filter.pins) {
        if (pin.name == name) return &pin;
    }
    return nullptr;
}

PlatformMappedPin PinFrom(LPCWSTR name, BOOL rendered, BOOL output, BOOL zero, BOOL many, REFCLSID connectsToFilter,
                          LPCWSTR connectsToPin) {
    return PlatformMappedPin{Utf8(name), rendered, output, zero, many, connectsToFilter, Utf8(connectsToPin), {}};
}

// Natively the only instance name is the default one: the filter's CLSID.
bool IsDefaultInstance(LPCOLESTR instance, REFCLSID filter) {
    if (instance == nullptr) return true;
    WCHAR text[39];
    StringFromGUID2(filter, text, 39);
    return lstrcmpiW(instance, text) == 0;
}

// Reference counting shared by both generations.
template <class Interface>
class CountedMapper : public Interface {
public:
    CountedMapper() { ++liveMappers; }
    virtual ~CountedMapper() { --liveMappers; }
    CountedMapper(const CountedMapper&) = delete;
    CountedMapper& operator=(const CountedMapper&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != InterfaceId()) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG count = --references_;
        if (count == 0) delete this;
        return count;
    }

private:
    // The interface this generation answers besides IUnknown.
    virtual REFIID InterfaceId() const = 0;
    std::atomic<ULONG> references_{0};
};

class CFilterMapper2 final : public CountedMapper<IFilterMapper2> {
public:
    STDMETHODIMP CreateCategory(REFCLSID, DWORD, LPCWSTR) override { return E_NOTIMPL; }

    STDMETHODIMP UnregisterFilter(const CLSID* category, LPCOLESTR instance, REFCLSID filter) override {
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "UnregisterFilter", filter, nullptr);
        if (failure != S_OK) return failure;
        if (!IsDefaultInstance(instance, filter)) return kFileNotFound;
        return Remove(store, 2, filter, category != nullptr ? *category : CLSID_LegacyAmFilterCategory);
    }

    STDMETHODIMP RegisterFilter(REFCLSID filter, LPCWSTR name, IMoniker** moniker, const CLSID* category,
                                LPCOLESTR instance, const REGFILTER2* description) override {
        if (moniker != nullptr) *moniker = nullptr;
        if (name == nullptr || description == nullptr) return E_POINTER;
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "RegisterFilter", filter, nullptr);
        if (failure != S_OK) return failure;
        // Natively neither monikers, named instances nor version-2 pin lists exist.
        if (moniker != nullptr || !IsDefaultInstance(instance, filter) || description->dwVersion != 1) {
            return E_NOTIMPL;
        }
        if (description->cPins != 0 && description->rgPins == nullptr) return E_POINTER;
        PlatformMappedFilter entry{2, filter, category != nullptr ? *category : CLSID_LegacyAmFilterCategory,
                                   Utf8(name), description->dwMerit, {}};
        for (ULONG i = 0; i < description->cPins; ++i) {
            const REGFILTERPINS& pin = description->rgPins[i];
            if (pin.nMediaTypes != 0 && pin.lpMediaType == nullptr) return E_POINTER;
            entry.pins.push_back(PinFrom(pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                                         pin.clsConnectsToFilter != nullptr ? *pin.clsConnectsToFilter : GUID_NULL,
                                         pin.strConnectsToPin));
            for (UINT t = 0; t < pin.nMediaTypes; ++t) {
                const REGPINTYPES& type = pin.lpMediaType[t];
                entry.pins.back().types.push_back(
                    PlatformMappedPinType{type.clsMajorType != nullptr ? *type.clsMajorType : GUID_NULL,
                                          type.clsMinorType != nullptr ? *type.clsMinorType : GUID_NULL});
            }
        }
        PlatformMappedFilter* existing = Find(store, 2, filter, entry.category);
        if (existing != nullptr) {
            *existing = entry;
        } else {
            store.filters.push_back(entry);
        }
        return S_OK;
    }

    STDMETHODIMP EnumMatchingFilters(IEnumMoniker** filters, DWORD, BOOL, DWORD, BOOL, DWORD, const GUID*,
                                     const REGPINMEDIUM*, const CLSID*, BOOL, BOOL, DWORD, const GUID*,
                                     const REGPINMEDIUM*, const CLSID*) override {
        if (filters != nullptr) *filters = nullptr;
        return E_NOTIMPL;
    }

private:
    REFIID InterfaceId() const override { return IID_IFilterMapper2; }
};

class CFilterMapper final : public CountedMapper<IFilterMapper> {
public:
    STDMETHODIMP RegisterFilter(CLSID clsid, LPCWSTR name, DWORD merit) override {
        if (name == nullptr) return E_POINTER;
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "RegisterFilter", clsid, nullptr);
        if (failure != S_OK) return failure;
        // Registering again renames and re-rates the filter; its pins stay.
        PlatformMappedFilter* existing = Find(store, 1, clsid, GUID_NULL);
        if (existing == nullptr) {
            store.filters.push_back(PlatformMappedFilter{1, clsid, GUID_NULL, Utf8(name), merit, {}});
        } else {
            existing->name = Utf8(name);
            existing->merit = merit;
        }
        return S_OK;
    }

    STDMETHODIMP RegisterFilterInstance(CLSID, LPCWSTR, CLSID* instance) override {
        if (instance != nullptr) *instance = GUID_NULL;
        return E_NOTIMPL;
    }

    STDMETHODIMP RegisterPin(CLSID filter, LPCWSTR name, BOOL rendered, BOOL output, BOOL zero, BOOL many,
                             CLSID connectsToFilter, LPCWSTR connectsToPin) override {
        if (name == nullptr) return E_POINTER;
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "RegisterPin", filter, name);
        if (failure != S_OK) return failure;
        PlatformMappedFilter* entry = Find(store, 1, filter, GUID_NULL);
        if (entry == nullptr) return E_INVALIDARG;
        PlatformMappedPin pin = PinFrom(name, rendered, output, zero, many, connectsToFilter, connectsToPin);
        PlatformMappedPin* existing = FindPin(*entry, pin.name);
        if (existing != nullptr) {
            *existing = pin;
        } else {
            entry->pins.push_back(pin);
        }
        return S_OK;
    }

    STDMETHODIMP RegisterPinType(CLSID filter, LPCWSTR pinName, CLSID majorType, CLSID subType) override {
        if (pinName == nullptr) return E_POINTER;
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "RegisterPinType", filter, pinName);
        if (failure != S_OK) return failure;
        PlatformMappedFilter* entry = Find(store, 1, filter, GUID_NULL);
        PlatformMappedPin* pin = entry != nullptr ? FindPin(*entry, Utf8(pinName)) : nullptr;
        if (pin == nullptr) return E_INVALIDARG;
        pin->types.push_back(PlatformMappedPinType{majorType, subType});
        return S_OK;
    }

    STDMETHODIMP UnregisterFilter(CLSID filter) override {
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        const HRESULT failure = Enter(store, "UnregisterFilter", filter, nullptr);
        if (failure != S_OK) return failure;
        return Remove(store, 1, filter, GUID_NULL);
    }

    STDMETHODIMP UnregisterFilterInstance(CLSID) override { return E_NOTIMPL; }

    STDMETHODIMP UnregisterPin(CLSID filter, LPCWSTR name) override {
        if (name == nullptr) return E_POINTER;
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        PlatformMappedFilter* entry = Find(store, 1, filter, GUID_NULL);
        if (entry == nullptr) return kFileNotFound;
        const std::string pinName = Utf8(name);
        for (auto it = entry->pins.begin(); it != entry->pins.end(); ++it) {
            if (it->name == pinName) {
                entry->pins.erase(it);
                return S_OK;
            }
        }
        return kFileNotFound;
    }

    STDMETHODIMP EnumMatchingFilters(IEnumRegFilters** filters, DWORD, BOOL, CLSID, CLSID, BOOL, BOOL, CLSID,
                                     CLSID) override {
        if (filters != nullptr) *filters = nullptr;
        return E_NOTIMPL;
    }

private:
    REFIID InterfaceId() const override { return IID_IFilterMapper; }
};

template <class Mapper>
HRESULT CreateMapper(DWORD generation, IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    {
        MapperStore& store = Store();
        std::lock_guard<std::mutex> guard(store.mutex);
        if ((store.refusedGenerations & generation) != 0) return REGDB_E_CLASSNOTREG;
    }
    Mapper* mapper = new (std::nothrow) Mapper();
    if (mapper == nullptr) return E_OUTOFMEMORY;
    mapper->AddRef();
    const HRESULT result = mapper->QueryInterface(riid, object);
    mapper->Release();
    return result;
}

}  // namespace

HRESULT CreateFilterMapper2(IUnknown* outer, REFIID riid, void** object) {
    return CreateMapper<CFilterMapper2>(PLATFORM_MAPPER_SECOND_GENERATION, outer, riid, object);
}

HRESULT CreateFilterMapper(IUnknown* outer, REFIID riid, void** object) {
    return CreateMapper<CFilterMapper>(PLATFORM_MAPPER_FIRST_GENERATION, outer, riid, object);
}

std::vector<PlatformMappedFilter> PlatformMapperFilters() {
    MapperStore& store = Store();
    std::lock_guard<std::mutex> guard(store.mutex);
    return store.filters;
}

std::vector<std::string> PlatformMapperCalls() {
    MapperStore& store = Store();
    std::lock_guard<std::mutex> guard(store.mutex);
    return store.calls;
}

void PlatformMapperRefuseCreation(DWORD generations) {
    MapperStore& store = Store();
    std::lock_guard<std::mutex> guard(store.mutex);
    store.refusedGenerations |= generations;
}

void PlatformMapperFailCalls(const char* method, HRESULT result) {
    MapperStore& store = Store();
    std::lock_guard<std::mutex> guard(store.mutex);
    store.failures.push_back(FailingMethod{method, result});
}

LONG PlatformMapperLiveCount() { return liveMappers.load(); }

void PlatformMapperReset() {
    MapperStore& store = Store();
    std::lock_guard<std::mutex> guard(store.mutex);
    store.filters.clear();
    store.calls.clear();
    store.failures.clear();
    store.refusedGenerations = 0;
}
