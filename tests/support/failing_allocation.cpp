#include "tests/support/failing_allocation.h"

#include <new>

namespace {

thread_local std::size_t failingSize = 0;
thread_local int failingSkip = 0;

bool FailsNow(std::size_t size) {
    if (failingSize == 0 || size != failingSize) return false;
    if (failingSkip-- > 0) return false;
    failingSize = 0;
    return true;
}

}  // namespace

void FailNothrowAllocation(std::size_t size, int skip) {
    failingSize = size;
    failingSkip = skip;
}

// Through the throwing operators, so that the sanitizers pair them with delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (FailsNow(size)) return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (FailsNow(size)) return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}
