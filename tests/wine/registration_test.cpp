// Registers Dravik.dll with the platform's own regsvr32 and checks what a host
// then finds: the COM server keys in the registry view of the DLL's bitness
// and not in the other, the filter mapper's entries with their merit, and both
// filters created through COM's activation; then unregisters it, twice.
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <string>

#include <dravik/dravik.h>

#include "tests/wine/check_report.h"
#include "tests/wine/regsvr32_process.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);

struct CFilterRow {
    const CLSID* clsid;
    const WCHAR* name;
    const char* label;
};

const CFilterRow kRows[] = {
    {&CLSID_DravikHelper, L"Velmora Dravik Helper", "helper filter"},
    {&CLSID_DravikDummySource, L"Velmora Dravik Dummy Source", "dummy source"},
};

const DWORD kMerit = 0x200000;

// A 64-bit Windows keeps the classes of 32-bit and of 64-bit servers apart; a
// host finds only those of its own bitness.
const bool kIs64Bit = sizeof(void*) == 8;
const REGSAM kOwnView = kIs64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
const REGSAM kOtherView = kIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
const char* const kOwnViewName = kIs64Bit ? "the 64-bit registry view" : "the 32-bit registry view";
const char* const kOtherViewName = kIs64Bit ? "the 32-bit registry view" : "the 64-bit registry view";

std::wstring ClsidText(REFCLSID clsid) {
    WCHAR text[39] = {};
    StringFromGUID2(clsid, text, 39);
    return text;
}

std::wstring ServerKey(REFCLSID clsid) { return L"CLSID\\" + ClsidText(clsid); }

// Where the newer mapper keeps a filter of its default category.
std::wstring MapperInstanceKey(REFCLSID clsid) {
    return L"CLSID\\" + ClsidText(CLSID_LegacyAmFilterCategory) + L"\\Instance\\" + ClsidText(clsid);
}

std::string Label(const char* what, const CFilterRow& row) { return std::string(what) + " (" + row.label + ")"; }

bool KeyExists(const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value, or an empty string with ok false.
std::wstring ReadString(const std::wstring& path, const WCHAR* name, bool* ok) {
    *ok = false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | kOwnView, &key) != ERROR_SUCCESS) return std::wstring();
    WCHAR text[1024] = {};
    DWORD size = sizeof(text) - sizeof(WCHAR);
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    *ok = status == ERROR_SUCCESS && type == REG_SZ;
    return *ok ? std::wstring(text) : std::wstring();
}

void CheckServerKeys(CCheckReport& report, const CFilterRow& row, const std::wstring& modulePath) {
    bool ok = false;
    const std::wstring key = ServerKey(*row.clsid);
    const std::wstring name = ReadString(key, nullptr, &ok);
    report.Check(ok && name == row.name, Label("CLSID key holds the display name", row).c_str());
    const std::wstring path = ReadString(key + L"\\InprocServer32", nullptr, &ok);
    if (!report.Check(ok && lstrcmpiW(path.c_str(), modulePath.c_str()) == 0,
                      Label("InprocServer32 holds the DLL's path", row).c_str())) {
        std::printf("  registered '%ls', expected '%ls'\n", path.c_str(), modulePath.c_str());
    }
    const std::wstring model = ReadString(key + L"\\InprocServer32", L"ThreadingModel", &ok);
    report.Check(ok && model == L"Both", Label("ThreadingModel is Both", row).c_str());
    report.Check(!KeyExists(key, kOtherView), Label((std::string("no CLSID key in ") + kOtherViewName).c_str(), row).c_str());
}

// The mapper's own record of the filter: its name, its CLSID and the merit
// at the head of the binary filter data (version, then merit).
void CheckMapperEntry(CCheckReport& report, const CFilterRow& row) {
    const std::wstring key = MapperInstanceKey(*row.clsid);
    bool ok = false;
    const std::wstring name = ReadString(key, L"FriendlyName", &ok);
    report.Check(ok && name == row.name, Label("mapper entry carries the filter's name", row).c_str());
    const std::wstring clsid = ReadString(key, L"CLSID", &ok);
    report.Check(ok && lstrcmpiW(clsid.c_str(), ClsidText(*row.clsid).c_str()) == 0,
                 Label("mapper entry carries the filter's CLSID", row).c_str());

    HKEY handle = nullptr;
    BYTE data[4096] = {};
    DWORD size = sizeof(data);
    DWORD type = REG_NONE;
    LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | kOwnView, &handle);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(handle, L"FilterData", nullptr, &type, data, &size);
        RegCloseKey(handle);
    }
    DWORD merit = 0;
    if (status == ERROR_SUCCESS && size >= 2 * sizeof(DWORD)) memcpy(&merit, data + sizeof(DWORD), sizeof(merit));
    if (!report.Check(status == ERROR_SUCCESS && type == REG_BINARY && merit == kMerit,
                      Label("mapper's filter data has merit 0x200000", row).c_str())) {
        std::printf("  status %ld, type %lu, size %lu, merit 0x%lx\n", static_cast<long>(status),
                    static_cast<unsigned long>(type), static_cast<unsigned long>(size), static_cast<unsigned long>(merit));
    }
}

// The filters IFilterMapper2 enumerates at merit 0x200000 and above include this one.
void CheckMapperFindsFilter(CCheckReport& report, IFilterMapper2* mapper, const CFilterRow& row) {
    IEnumMoniker* monikers = nullptr;
    const HRESULT result = mapper->EnumMatchingFilters(&monikers, 0, FALSE, kMerit, FALSE, 0, nullptr, nullptr,
                                                       nullptr, FALSE, FALSE, 0, nullptr, nullptr, nullptr);
    if (!report.CheckResult(result, S_OK, Label("IFilterMapper2::EnumMatchingFilters", row).c_str()) ||
        monikers == nullptr) {
        return;
    }
    bool found = false;
    IMoniker* moniker = nullptr;
    while (!found && monikers->Next(1, &moniker, nullptr) == S_OK) {
        IPropertyBag* bag = nullptr;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
            VARIANT value;
            VariantInit(&value);
            if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR) {
                CLSID clsid = GUID_NULL;
                found = SUCCEEDED(CLSIDFromString(value.bstrVal, &clsid)) && clsid == *row.clsid;
            }
            VariantClear(&value);
            bag->Release();
        }
        moniker->Release();
    }
    monikers->Release();
    report.Check(found, Label("IFilterMapper2 finds the filter by CLSID at merit 0x200000", row).c_str());
}

// What the module's own factory answers for the row, asked directly; COM's
// activation must give the same.
HRESULT DirectCreation(HMODULE module, REFCLSID clsid) {
    GetClassObjectFunction getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (getClassObject == nullptr) return E_UNEXPECTED;
    IClassFactory* factory = nullptr;
    HRESULT result = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result)) return result;
    IBaseFilter* filter = nullptr;
    result = factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    if (filter != nullptr) filter->Release();
    factory->Release();
    return result;
}

void CheckActivation(CCheckReport& report, const CFilterRow& row, const std::wstring& modulePath) {
    IBaseFilter* filter = nullptr;
    const HRESULT activated =
        CoCreateInstance(*row.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    // COM found the module through the registered path and loaded it.
    HMODULE module = GetModuleHandleW(L"Dravik.dll");
    WCHAR loaded[MAX_PATH] = {};
    if (module != nullptr) GetModuleFileNameW(module, loaded, MAX_PATH);
    report.Check(module != nullptr && lstrcmpiW(loaded, modulePath.c_str()) == 0,
                 Label("COM activation loads Dravik.dll from the registered path", row).c_str());
    if (module == nullptr) {
        if (filter != nullptr) filter->Release();
        return;
    }
    const HRESULT expected = DirectCreation(module, *row.clsid);
    // Until a filter is built its factory row answers E_NOTIMPL; from then on it must be created.
    report.Check(expected == S_OK || expected == E_NOTIMPL, Label("the factory row creates or is not built yet", row).c_str());
    if (expected != S_OK) {
        std::printf("  the module's own factory answers 0x%08lx\n", static_cast<unsigned long>(expected));
    }
    report.CheckResult(activated, expected, Label("CoCreateInstance answers as the module's factory", row).c_str());
    if (filter == nullptr) return;
    CLSID clsid = GUID_NULL;
    report.Check(SUCCEEDED(filter->GetClassID(&clsid)) && clsid == *row.clsid,
                 Label("created filter reports its CLSID", row).c_str());
    filter->Release();
}

}  // namespace

int main() {
    CCheckReport report;
    const std::wstring modulePath = DravikPathBesideProgram();
    if (!report.Check(!modulePath.empty() && GetFileAttributesW(modulePath.c_str()) != INVALID_FILE_ATTRIBUTES,
                      "Dravik.dll lies beside the program")) {
        return report.Finish();
    }
    const std::wstring quoted = L"\"" + modulePath + L"\"";

    std::printf("  registry: %s\n", kOwnViewName);
    bool sameBitness = false;
    report.Check(RunRegsvr32(quoted, &sameBitness) == 0, "regsvr32 Dravik.dll succeeds");
    report.Check(sameBitness, "the regsvr32 a program of this bitness starts has its bitness");
    for (const CFilterRow& row : kRows) {
        CheckServerKeys(report, row, modulePath);
        CheckMapperEntry(report, row);
    }

    const HRESULT initialised = CoInitialize(nullptr);
    report.CheckResult(initialised, S_OK, "CoInitialize");
    IFilterMapper2* mapper = nullptr;
    if (report.CheckResult(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                            reinterpret_cast<void**>(&mapper)),
                           S_OK, "the platform's IFilterMapper2")) {
        for (const CFilterRow& row : kRows) CheckMapperFindsFilter(report, mapper, row);
        mapper->Release();
    }
    for (const CFilterRow& row : kRows) CheckActivation(report, row, modulePath);
    if (SUCCEEDED(initialised)) CoUninitialize();

    report.Check(RunRegsvr32(L"/u " + quoted, &sameBitness) == 0, "regsvr32 /u Dravik.dll succeeds");
    for (const CFilterRow& row : kRows) {
        report.Check(!KeyExists(ServerKey(*row.clsid), kOwnView), Label("CLSID key removed", row).c_str());
        report.Check(!KeyExists(MapperInstanceKey(*row.clsid), kOwnView), Label("mapper entry removed", row).c_str());
    }
    report.Check(RunRegsvr32(L"/u " + quoted, &sameBitness) == 0, "a second regsvr32 /u succeeds");
    return report.Finish();
}
