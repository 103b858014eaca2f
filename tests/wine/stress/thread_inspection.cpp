#include "tests/wine/stress/thread_inspection.h"

#include <tlhelp32.h>

namespace {

struct ImageRange {
    ULONG_PTR begin;
    ULONG_PTR end;
};

ImageRange RangeOf(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return {reinterpret_cast<ULONG_PTR>(base), reinterpret_cast<ULONG_PTR>(base) + nt->OptionalHeader.SizeOfImage};
}

#ifndef _WIN64
// Slots above the stack pointer that are searched for a return address into the image. A thread
// blocked on a lock taken in the image has that return address within a few small wait frames;
// deeper slots may keep stale addresses from earlier calls (the graph thread's Stop that went
// through the image before it blocked in a platform filter), which would blame the image wrongly.
constexpr ULONG_PTR kNearStackBytes = 256;

bool NearStackSlotsHoldAddressIn(ULONG_PTR pointer, const ImageRange& range) {
    MEMORY_BASIC_INFORMATION region = {};
    if (VirtualQuery(reinterpret_cast<void*>(pointer), &region, sizeof(region)) == 0) return true;
    const ULONG_PTR regionTop = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    const ULONG_PTR top = regionTop - pointer > kNearStackBytes ? pointer + kNearStackBytes : regionTop;
    for (ULONG_PTR slot = pointer & ~(sizeof(ULONG_PTR) - 1); slot + sizeof(ULONG_PTR) <= top; slot += sizeof(ULONG_PTR)) {
        const ULONG_PTR value = *reinterpret_cast<const ULONG_PTR*>(slot);
        if (value >= range.begin && value < range.end) return true;
    }
    return false;
}
#endif

// On x86_64 the thread's frames are unwound one by one (a function without
// unwind data is a leaf, its return address on top of the stack); on i686,
// without unwind data, only the stack nearest its top is scanned. A blocked thread's stack stays as it is; a running one's
// may not, but a running thread is no hang.
bool ThreadIsIn(CONTEXT context, const ImageRange& range) {
#ifdef _WIN64
    MEMORY_BASIC_INFORMATION stack = {};
    if (VirtualQuery(reinterpret_cast<void*>(context.Rsp), &stack, sizeof(stack)) == 0) return true;
    const DWORD64 bottom = reinterpret_cast<DWORD64>(stack.BaseAddress);
    const DWORD64 top = bottom + stack.RegionSize;
    for (int frame = 0; frame < 256 && context.Rip != 0; ++frame) {
        if (context.Rip >= range.begin && context.Rip < range.end) return true;
        if (context.Rsp < bottom || context.Rsp + sizeof(DWORD64) > top) break;
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
            context.Rsp += sizeof(DWORD64);
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisher, nullptr);
    }
    return false;
#else
    if (context.Eip >= range.begin && context.Eip < range.end) return true;
    return NearStackSlotsHoldAddressIn(context.Esp, range);
#endif
}

}  // namespace

bool AnyThreadInModule(HMODULE module) {
    if (module == nullptr) return false;
    const ImageRange range = RangeOf(module);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return true;
    bool found = false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more && !found; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
        // A thread that has ended meanwhile cannot be opened or suspended, and is in nothing.
        HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_SUSPEND_RESUME | THREAD_QUERY_INFORMATION, FALSE,
                                   entry.th32ThreadID);
        if (thread == nullptr) continue;
        // Resumed before anything else is called: it may hold a lock that the walk needs.
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_FULL;
        if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
            const BOOL read = GetThreadContext(thread, &context);
            ResumeThread(thread);
            found = !read || ThreadIsIn(context, range);
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}
