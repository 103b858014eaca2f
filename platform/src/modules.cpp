// Module handles, file names, exports and resources.
#include <windows.h>

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "com_library.h"
#include "platform_resources.h"

namespace {

// Stands for "ole32.dll", which counts as loaded once the COM library is used.
PlatformModule* const kComLibraryHandle = reinterpret_cast<PlatformModule*>(static_cast<uintptr_t>(0x0132));

struct ResourceEntry {
    const WCHAR* type;
    WORD id;
    WORD language;
    const void* data;
    DWORD size;
};

std::mutex& ResourceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<ResourceEntry>& Resources() {
    static std::vector<ResourceEntry> resources;
    return resources;
}

bool SameName(LPCWSTR a, LPCWSTR b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
    return lstrcmpiW(a, b) == 0;
}

bool AsciiEqualsIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
        if (x == 0) return true;
    }
}

}  // namespace

extern "C" void PlatformAddResource(const WCHAR* type, WORD id, WORD language, const void* data, DWORD size) {
    std::lock_guard<std::mutex> guard(ResourceMutex());
    Resources().push_back({type, id, language, data, size});
}

extern "C" HMODULE PlatformModuleFromAddress(const void* address) {
    Dl_info info;
    if (dladdr(address, &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

extern "C" BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    char path[PATH_MAX];
    Dl_info info;
    const char* name = nullptr;
    if (module != nullptr && module != kComLibraryHandle && dladdr(module, &info) != 0 && info.dli_fname != nullptr &&
        info.dli_fname[0] == '/') {
        name = info.dli_fname;
    } else {
        // The main program's dladdr name may be relative or empty.
        const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
        if (length < 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        path[length] = 0;
        name = path;
    }
    const size_t length = strlen(name);
    // Like the platform: cut to the buffer, terminated, with the cut reported.
    if (length >= size) {
        memcpy(buffer, name, size - 1);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buffer, name, length + 1);
    return static_cast<DWORD>(length);
}

extern "C" DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    char narrow[PATH_MAX];
    const DWORD length = GetModuleFileNameA(module, narrow, sizeof(narrow));
    if (length == 0 || buffer == nullptr || size == 0) return 0;
    const int written = MultiByteToWideChar(CP_UTF8, 0, narrow, -1, buffer, static_cast<int>(size));
    if (written == 0) {
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return static_cast<DWORD>(written - 1);
}

extern "C" HMODULE GetModuleHandleA(LPCSTR name) {
    if (name == nullptr) return PlatformModuleFromAddress(reinterpret_cast<const void*>(&GetModuleHandleA));
    if (AsciiEqualsIgnoringCase(name, "ole32.dll") || AsciiEqualsIgnoringCase(name, "ole32")) {
        if (ComLibraryLoaded()) return kComLibraryHandle;
    }
    SetLastError(126);  // ERROR_MOD_NOT_FOUND
    return nullptr;
}

extern "C" HMODULE GetModuleHandleW(LPCWSTR name) {
    if (name == nullptr) return GetModuleHandleA(nullptr);
    char narrow[MAX_PATH];
    if (WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, sizeof(narrow), nullptr, nullptr) == 0) return nullptr;
    return GetModuleHandleA(narrow);
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (module == kComLibraryHandle && name != nullptr && strcmp(name, "CoInitializeEx") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CoInitializeEx));
    }
    SetLastError(127);  // ERROR_PROC_NOT_FOUND
    return nullptr;
}

extern "C" HRSRC FindResourceExW(HMODULE, LPCWSTR type, LPCWSTR name, WORD language) {
    std::lock_guard<std::mutex> guard(ResourceMutex());
    for (ResourceEntry& entry : Resources()) {
        if (!SameName(entry.type, type) || !SameName(MAKEINTRESOURCEW(entry.id), name)) continue;
        if (language != 0 && entry.language != language) continue;
        return reinterpret_cast<HRSRC>(&entry);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

extern "C" HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    return FindResourceExW(module, type, name, 0);
}

extern "C" HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) return nullptr;
    return const_cast<void*>(reinterpret_cast<ResourceEntry*>(resource)->data);
}

extern "C" LPVOID LockResource(HGLOBAL data) { return data; }

extern "C" DWORD SizeofResource(HMODULE, HRSRC resource) {
    return resource == nullptr ? 0 : reinterpret_cast<ResourceEntry*>(resource)->size;
}
