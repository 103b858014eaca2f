#include "module/registration.h"

#include "module/factory_table.h"
#include "module/module_state.h"

namespace {

// Every registry string is cut to this many characters, terminator included.
const int kTextSize = MAX_PATH;

const HRESULT kFileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

// The calling thread's last error; a call that failed without setting one still fails.
HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

DWORD ByteLength(LPCWSTR text) { return static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR)); }

// "CLSID\{...}", the row's key under HKEY_CLASSES_ROOT.
HRESULT ServerKeyName(REFCLSID clsid, WCHAR (&name)[kTextSize]) {
    static const WCHAR kPrefix[] = L"CLSID\\";
    const int prefixLength = static_cast<int>(sizeof(kPrefix) / sizeof(kPrefix[0])) - 1;
    WCHAR text[39];
    if (StringFromGUID2(clsid, text, 39) == 0) return E_UNEXPECTED;
    lstrcpynW(name, kPrefix, kTextSize);
    lstrcpynW(name + prefixLength, text, kTextSize - prefixLength);
    return S_OK;
}

// Unregistering reports the first key that could not be deleted, after trying every row.
HRESULT DeleteServerKeys() {
    HRESULT result = S_OK;
    for (LONG row = 0; row < FactoryTableCount; ++row) {
        WCHAR keyName[kTextSize];
        HRESULT deleted = ServerKeyName(*FactoryTable[row].Clsid, keyName);
        if (SUCCEEDED(deleted)) deleted = DeleteKeyTree(HKEY_CLASSES_ROOT, keyName);
        if (FAILED(deleted) && SUCCEEDED(result)) result = deleted;
    }
    return result;
}

HRESULT RegisterWithMapper(BOOL registering) {
    const HRESULT initialised = CoInitialize(nullptr);
    IFilterMapper2* mapper2 = nullptr;
    IFilterMapper* mapper = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      reinterpret_cast<void**>(&mapper2));
    if (FAILED(result)) {
        result = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                                  reinterpret_cast<void**>(&mapper));
    }
    if (SUCCEEDED(result)) {
        for (LONG row = 0; row < FactoryTableCount && SUCCEEDED(result); ++row) {
            const FilterSetup* setup = FactoryTable[row].SetupData;
            if (setup == nullptr) continue;
            result = mapper2 != nullptr ? RegisterFilterWithMapper2(setup, mapper2, registering)
                                        : RegisterFilterWithMapper(setup, mapper, registering);
        }
        if (mapper2 != nullptr) mapper2->Release();
        if (mapper != nullptr) mapper->Release();
    }
    CoFreeUnusedLibraries();
    // A thread already in another apartment (RPC_E_CHANGED_MODE) keeps its own initialisation.
    if (SUCCEEDED(initialised)) CoUninitialize();
    return result;
}

// Unregistering a filter that was never registered is success.
HRESULT UnregisteredResult(HRESULT result) { return result == kFileNotFound ? S_OK : result; }

}  // namespace

HRESULT RegisterServer(BOOL registering) {
    char narrowPath[kTextSize];
    const DWORD length = GetModuleFileNameA(ModuleHandle, narrowPath, kTextSize);
    if (length == 0) return LastErrorResult();
    // A cut path would name a module that does not exist.
    if (length >= static_cast<DWORD>(kTextSize)) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    WCHAR path[kTextSize];
    if (MultiByteToWideChar(CP_ACP, 0, narrowPath, -1, path, kTextSize) == 0) return LastErrorResult();

    if (registering) {
        for (LONG row = 0; row < FactoryTableCount; ++row) {
            const HRESULT written =
                WriteServerKeys(*FactoryTable[row].Clsid, FactoryTable[row].Name, path, L"Both", L"InprocServer32");
            if (FAILED(written)) return written;
        }
    }
    const HRESULT result = RegisterWithMapper(registering);
    if (registering || FAILED(result)) return result;
    return DeleteServerKeys();
}

HRESULT WriteServerKeys(REFCLSID clsid, LPCWSTR displayName, LPCWSTR modulePath, LPCWSTR threadingModel,
                        LPCWSTR serverType) {
    if (displayName == nullptr || modulePath == nullptr || threadingModel == nullptr || serverType == nullptr) {
        return E_POINTER;
    }
    WCHAR keyName[kTextSize];
    const HRESULT named = ServerKeyName(clsid, keyName);
    if (FAILED(named)) return named;
    WCHAR name[kTextSize];
    WCHAR path[kTextSize];
    WCHAR model[kTextSize];
    lstrcpynW(name, displayName, kTextSize);
    lstrcpynW(path, modulePath, kTextSize);
    lstrcpynW(model, threadingModel, kTextSize);

    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyW(HKEY_CLASSES_ROOT, keyName, &key);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    HKEY serverKey = nullptr;
    status = RegSetValueW(key, nullptr, REG_SZ, name, ByteLength(name));
    if (status == ERROR_SUCCESS) status = RegCreateKeyW(key, serverType, &serverKey);
    if (status == ERROR_SUCCESS) status = RegSetValueW(serverKey, nullptr, REG_SZ, path, ByteLength(path));
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(serverKey, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                                ByteLength(model));
    }
    if (serverKey != nullptr) RegCloseKey(serverKey);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT DeleteKeyTree(HKEY parent, LPCWSTR name) {
    if (name == nullptr) return E_POINTER;
    if (name[0] == 0) return E_FAIL;
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(parent, name, 0, MAXIMUM_ALLOWED, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return S_OK;
    if (opened != ERROR_SUCCESS) return HRESULT_FROM_WIN32(opened);

    // A deleted subkey leaves its index to the next one; one that stays is passed over.
    HRESULT result = S_OK;
    DWORD index = 0;
    for (;;) {
        WCHAR subkey[kTextSize];
        DWORD size = kTextSize;
        const LSTATUS listed = RegEnumKeyExW(key, index, subkey, &size, nullptr, nullptr, nullptr, nullptr);
        if (listed == ERROR_NO_MORE_ITEMS) break;
        if (listed != ERROR_SUCCESS) {
            if (SUCCEEDED(result)) result = HRESULT_FROM_WIN32(listed);
            break;
        }
        const HRESULT deleted = DeleteKeyTree(key, subkey);
        if (FAILED(deleted)) {
            if (SUCCEEDED(result)) result = deleted;
            ++index;
        }
    }
    RegCloseKey(key);
    if (FAILED(result)) return result;
    const LSTATUS removed = RegDeleteKeyW(parent, name);
    return removed == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(removed);
}

HRESULT RegisterFilterWithMapper2(const FilterSetup* setup, IFilterMapper2* mapper, BOOL registering) {
    if (setup == nullptr) return S_FALSE;
    if (mapper == nullptr) return E_POINTER;
    const HRESULT unregistered = mapper->UnregisterFilter(nullptr, nullptr, *setup->Clsid);
    // Registering replaces whatever was there, so only unregistering answers for this call.
    if (!registering) return UnregisteredResult(unregistered);
    REGFILTER2 description = {};
    description.dwVersion = 1;
    description.dwMerit = setup->Merit;
    description.cPins = setup->PinCount;
    description.rgPins = reinterpret_cast<const REGFILTERPINS*>(setup->Pins);
    return mapper->RegisterFilter(*setup->Clsid, setup->Name, nullptr, nullptr, nullptr, &description);
}

HRESULT RegisterFilterWithMapper(const FilterSetup* setup, IFilterMapper* mapper, BOOL registering) {
    if (setup == nullptr) return S_FALSE;
    if (mapper == nullptr) return E_POINTER;
    const CLSID filter = *setup->Clsid;
    const HRESULT unregistered = mapper->UnregisterFilter(filter);
    if (!registering) return UnregisteredResult(unregistered);
    HRESULT result = mapper->RegisterFilter(filter, setup->Name, setup->Merit);
    for (UINT p = 0; p < setup->PinCount && SUCCEEDED(result); ++p) {
        const PinSetup& pin = setup->Pins[p];
        result = mapper->RegisterPin(filter, pin.Name, pin.Rendered, pin.Output, pin.Zero, pin.Many,
                                     pin.ConnectsToFilter != nullptr ? *pin.ConnectsToFilter : CLSID_NULL,
                                     pin.ConnectsToPin);
        for (UINT t = 0; t < pin.MediaTypeCount && SUCCEEDED(result); ++t) {
            const PinTypeSetup& type = pin.MediaTypes[t];
            result = mapper->RegisterPinType(filter, pin.Name, type.MajorType != nullptr ? *type.MajorType : GUID_NULL,
                                             type.SubType != nullptr ? *type.SubType : GUID_NULL);
        }
    }
    return result;
}
