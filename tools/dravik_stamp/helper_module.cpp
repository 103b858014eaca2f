#include "tools/dravik_stamp/helper_module.h"

#include "dravik/dravik.h"
#include "tools/dravik_stamp/hresult_text.h"

#ifdef _WIN32
namespace {

typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFunction)();

// Dravik.dll next to the program, never one found elsewhere on the search path.
bool ModulePathNextToProgram(WCHAR* path, DWORD capacity) {
    const DWORD length = GetModuleFileNameW(nullptr, path, capacity);
    if (length == 0 || length >= capacity) return false;
    DWORD folderEnd = length;
    while (folderEnd > 0 && path[folderEnd - 1] != L'\\' && path[folderEnd - 1] != L'/') --folderEnd;
    const WCHAR name[] = L"Dravik.dll";
    const DWORD nameLength = sizeof name / sizeof name[0];
    if (folderEnd + nameLength > capacity) return false;
    for (DWORD i = 0; i < nameLength; ++i) path[folderEnd + i] = name[i];
    return true;
}

}  // namespace

HelperModule::~HelperModule() {
    if (library_ == nullptr) return;
    CanUnloadNowFunction canUnloadNow =
        reinterpret_cast<CanUnloadNowFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
    if (canUnloadNow != nullptr && canUnloadNow() == S_OK) FreeLibrary(library_);
}

HelperModule::GetClassObjectFunction HelperModule::ClassObjectEntry(std::string* error) {
    if (library_ == nullptr) {
        WCHAR path[MAX_PATH];
        if (!ModulePathNextToProgram(path, MAX_PATH)) {
            *error = "the program's folder is not known";
            return nullptr;
        }
        library_ = LoadLibraryW(path);
        if (library_ == nullptr) {
            *error = "Dravik.dll cannot be loaded from the program's folder (error " + std::to_string(GetLastError()) + ")";
            return nullptr;
        }
    }
    GetClassObjectFunction entry =
        reinterpret_cast<GetClassObjectFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
    if (entry == nullptr) *error = "Dravik.dll has no DllGetClassObject";
    return entry;
}
#else
// The module is linked into the program.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);

HelperModule::~HelperModule() = default;

HelperModule::GetClassObjectFunction HelperModule::ClassObjectEntry(std::string*) { return &DllGetClassObject; }
#endif

HRESULT HelperModule::CreateHelperFilter(IBaseFilter** filter, std::string* error) {
    *filter = nullptr;
    GetClassObjectFunction getClassObject = ClassObjectEntry(error);
    if (getClassObject == nullptr) return E_FAIL;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(CLSID_DravikHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) {
        *error = "the module gives no class factory for the helper filter (" + HresultText(hr) + ")";
        return hr;
    }
    hr = factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    factory->Release();
    if (FAILED(hr)) *error = "the helper filter cannot be created (" + HresultText(hr) + ")";
    return hr;
}
