// Loads Dravik.dll the way the COM runtime does and checks what a host sees
// before any filter exists: the four entry points (found by their undecorated
// names and called as stdcall also in a 32-bit host), the class object's
// refusal paths, the unload answer, the version record and the logo resource.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>

#include <dravik/dravik.h>

#include "tests/wine/check_report.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* PlainEntryFunction)();

const CLSID CLSID_Unknown = {0x5d0c2c1e, 0x9a7b, 0x4e41, {0x8f, 0x3a, 0x61, 0x0b, 0x2e, 0x44, 0x97, 0xc5}};

const DWORD LogoWidth = 265;
const DWORD LogoHeight = 41;

struct CEntryPoints {
    GetClassObjectFunction getClassObject = nullptr;
    PlainEntryFunction canUnloadNow = nullptr;
    PlainEntryFunction registerServer = nullptr;
    PlainEntryFunction unregisterServer = nullptr;
};

bool SameText(const WCHAR* actual, const WCHAR* expected) { return actual != nullptr && lstrcmpW(actual, expected) == 0; }

void CheckExports(CCheckReport& report, HMODULE module, CEntryPoints& entry) {
    entry.getClassObject = reinterpret_cast<GetClassObjectFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    entry.canUnloadNow = reinterpret_cast<PlainEntryFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    entry.registerServer = reinterpret_cast<PlainEntryFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    entry.unregisterServer = reinterpret_cast<PlainEntryFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
    report.Check(entry.getClassObject != nullptr, "export DllGetClassObject");
    report.Check(entry.canUnloadNow != nullptr, "export DllCanUnloadNow");
    report.Check(entry.registerServer != nullptr, "export DllRegisterServer");
    report.Check(entry.unregisterServer != nullptr, "export DllUnregisterServer");
}

void CheckClassObjects(CCheckReport& report, const CEntryPoints& entry) {
    if (entry.getClassObject == nullptr || entry.canUnloadNow == nullptr) {
        report.Check(false, "class object checks need DllGetClassObject and DllCanUnloadNow");
        return;
    }
    report.CheckResult(entry.canUnloadNow(), S_OK, "DllCanUnloadNow is S_OK before any object exists");

    void* object = reinterpret_cast<void*>(1);
    report.CheckResult(entry.getClassObject(CLSID_Unknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE,
                       "unknown CLSID gives CLASS_E_CLASSNOTAVAILABLE");
    report.Check(object == nullptr, "unknown CLSID leaves the out slot null");

    object = reinterpret_cast<void*>(1);
    report.CheckResult(entry.getClassObject(CLSID_DravikHelper, IID_IPersist, &object), E_NOINTERFACE,
                       "IID_IPersist from DllGetClassObject gives E_NOINTERFACE");
    report.Check(object == nullptr, "IID_IPersist leaves the out slot null");

    report.CheckResult(entry.getClassObject(CLSID_DravikHelper, IID_IClassFactory, nullptr), E_POINTER,
                       "null out slot gives E_POINTER");

    IClassFactory* factory = nullptr;
    if (!report.CheckResult(entry.getClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK,
                            "class factory for CLSID_DravikHelper") ||
        factory == nullptr) {
        return;
    }
    report.CheckResult(entry.canUnloadNow(), S_FALSE, "DllCanUnloadNow is S_FALSE while a factory is held");

    void* persist = reinterpret_cast<void*>(1);
    report.CheckResult(factory->QueryInterface(IID_IPersist, &persist), E_NOINTERFACE, "factory refuses IID_IPersist");
    report.Check(persist == nullptr, "factory's refusal leaves the out slot null");

    report.CheckResult(factory->LockServer(TRUE), S_OK, "LockServer(TRUE)");
    report.Check(factory->Release() == 0, "last factory reference released");
    report.CheckResult(entry.canUnloadNow(), S_FALSE, "DllCanUnloadNow is S_FALSE while the server is locked");

    factory = nullptr;
    if (report.CheckResult(entry.getClassObject(CLSID_DravikDummySource, IID_IUnknown, reinterpret_cast<void**>(&factory)), S_OK,
                           "class factory for CLSID_DravikDummySource through IID_IUnknown") &&
        factory != nullptr) {
        report.CheckResult(factory->LockServer(FALSE), S_OK, "LockServer(FALSE)");
        report.Check(factory->Release() == 0, "dummy source factory released");
    }
    report.CheckResult(entry.canUnloadNow(), S_OK, "DllCanUnloadNow is S_OK once factories and locks are gone");
}

const WCHAR* QueryString(const void* block, const WCHAR* prefix, const WCHAR* name) {
    WCHAR path[128];
    if (lstrlenW(prefix) + 1 + lstrlenW(name) >= static_cast<int>(sizeof path / sizeof path[0])) return nullptr;
    lstrcpyW(path, prefix);
    lstrcatW(path, L"\\");
    lstrcatW(path, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block, path, &value, &length) || length == 0) return nullptr;
    return static_cast<const WCHAR*>(value);
}

void CheckVersionRecord(CCheckReport& report, const WCHAR* path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (!report.Check(size > 0, "the module has a version record")) return;
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!report.Check(block != nullptr, "memory for the version record")) return;

    if (report.Check(GetFileVersionInfoW(path, 0, size, block) != FALSE, "GetFileVersionInfoW reads the record")) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (report.Check(VerQueryValueW(block, L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr &&
                             length >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == VS_FFI_SIGNATURE,
                         "fixed file information")) {
            report.Check(fixed->dwFileVersionMS == MAKELONG(4, 0) && fixed->dwFileVersionLS == 0, "file version 0.4.0.0");
            report.Check(fixed->dwProductVersionMS == MAKELONG(4, 0) && fixed->dwProductVersionLS == 0, "product version 0.4.0.0");
            report.Check(fixed->dwFileType == VFT_DLL, "file type is a DLL");
        }

        WORD* translation = nullptr;
        if (report.Check(VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
                             translation != nullptr && length >= 2 * sizeof(WORD),
                         "translation table") &&
            report.Check(translation[0] == 0x0409 && translation[1] == 1200, "strings in US English, Unicode")) {
            const WCHAR* prefix = L"\\StringFileInfo\\040904B0";
            report.Check(SameText(QueryString(block, prefix, L"FileDescription"), L"Dravik Converter Helper"),
                         "FileDescription \"Dravik Converter Helper\"");
            report.Check(SameText(QueryString(block, prefix, L"ProductName"), L"Dravik Converter"), "ProductName \"Dravik Converter\"");
            report.Check(SameText(QueryString(block, prefix, L"CompanyName"), L"Velmora"), "CompanyName \"Velmora\"");
            report.Check(SameText(QueryString(block, prefix, L"OriginalFilename"), L"Dravik.dll"), "OriginalFilename \"Dravik.dll\"");
            report.Check(SameText(QueryString(block, prefix, L"FileVersion"), L"0.4.0.0"), "FileVersion \"0.4.0.0\"");
            report.Check(SameText(QueryString(block, prefix, L"ProductVersion"), L"0.4.0.0"), "ProductVersion \"0.4.0.0\"");
        }
    }
    HeapFree(GetProcessHeap(), 0, block);
}

void CheckLogoResource(CCheckReport& report, HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(101), L"RAW");
    if (!report.Check(found != nullptr, "FindResourceW finds \"RAW\" 101")) return;
    report.Check(FindResourceExW(module, L"RAW", MAKEINTRESOURCEW(101), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) != nullptr,
                 "\"RAW\" 101 is in language 1033");
    const DWORD size = SizeofResource(module, found);
    if (!report.Check(size == LogoWidth * LogoHeight, "logo resource is 10865 bytes")) {
        std::printf("  size %lu\n", static_cast<unsigned long>(size));
        return;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* gray = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!report.Check(gray != nullptr, "LoadResource and LockResource give the logo's bytes")) return;

    // The corners are background; the lettering must be dark enough to show.
    report.Check(gray[0] == 255 && gray[LogoWidth - 1] == 255 && gray[size - LogoWidth] == 255 && gray[size - 1] == 255,
                 "logo corners are white background");
    DWORD dark = 0;
    for (DWORD i = 0; i < size; ++i) dark += gray[i] == 0 ? 1 : 0;
    report.Check(dark > size / 50, "logo has fully dark lettering");
}

}  // namespace

int main() {
    CCheckReport report;
    HMODULE module = LoadLibraryW(L"Dravik.dll");
    if (!report.Check(module != nullptr, "LoadLibraryW(\"Dravik.dll\")")) {
        std::printf("  error %lu\n", static_cast<unsigned long>(GetLastError()));
        return report.Finish();
    }
    WCHAR path[MAX_PATH];
    const DWORD pathLength = GetModuleFileNameW(module, path, MAX_PATH);
    report.Check(pathLength > 0 && pathLength < MAX_PATH, "module file name");
    std::printf("  loaded %ls\n", path);

    CEntryPoints entry;
    CheckExports(report, module, entry);
    CheckClassObjects(report, entry);
    if (pathLength > 0 && pathLength < MAX_PATH) CheckVersionRecord(report, path);
    CheckLogoResource(report, module);

    report.Check(FreeLibrary(module) != FALSE, "FreeLibrary");
    return report.Finish();
}
