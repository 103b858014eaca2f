// Allocation failure on demand: the module allocates with new (std::nothrow),
// which a test binary linking this file sees through its own operator.
#ifndef DRAVIK_TESTS_FAILING_ALLOCATION_H
#define DRAVIK_TESTS_FAILING_ALLOCATION_H

#include <cstddef>

// The nothrow allocation of exactly `size` bytes on this thread after `skip`
// others of that size answers null; one failure, then allocations succeed.
void FailNothrowAllocation(std::size_t size, int skip = 0);

#endif
