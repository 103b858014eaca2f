#include "tests/wine/e2e/module_registration.h"

#include <strsafe.h>

namespace {

constexpr DWORD kRegsvr32TimeoutMs = 60000;

}  // namespace

HRESULT RegisterModule(bool unregister) {
    WCHAR program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    WCHAR* slash = program + length;
    while (slash > program && slash[-1] != L'\\' && slash[-1] != L'/') --slash;
    *slash = 0;

    WCHAR command[2 * MAX_PATH];
    HRESULT hr = StringCchPrintfW(command, 2 * MAX_PATH, L"regsvr32.exe /s %ls\"%lsDravik.dll\"", unregister ? L"/u " : L"",
                                  program);
    if (FAILED(hr)) return hr;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, kRegsvr32TimeoutMs) != WAIT_OBJECT_0) hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    else if (!GetExitCodeProcess(process.hProcess, &exitCode)) hr = HRESULT_FROM_WIN32(GetLastError());
    else hr = exitCode == 0 ? S_OK : E_FAIL;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return hr;
}
