#include "tests/wine/regsvr32_process.h"

namespace {

// The process runs under WoW64 (a 32-bit program on 64-bit Windows).
bool IsWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

std::wstring DravikPathBesideProgram() {
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring text(path);
    return text.substr(0, text.find_last_of(L'\\') + 1) + L"Dravik.dll";
}

long RunRegsvr32(const std::wstring& arguments, bool* sameBitness) {
    *sameBitness = false;
    std::wstring command = L"regsvr32.exe /s " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    *sameBitness = IsWow64(process.hProcess) == IsWow64(GetCurrentProcess());
    DWORD exitCode = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &exitCode)) {
        exitCode = static_cast<DWORD>(-1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(exitCode);
}
