#include "util/myalloc.h"

#include <cstdint>
#include <cstdlib>

#if defined(FOLANTRA_ALLOC_FAULTS)
// The test copy of the plug-in: whether this allocation is to fail
// (tests/allocfail/allocfaults.cpp).
bool myallocFaultDue();
#endif

void* myalloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
#if defined(FOLANTRA_ALLOC_FAULTS)
    if (myallocFaultDue())
        return nullptr;
#endif
    // calloc(0, ...) may answer null; hand out one byte so that a successful
    // allocation is never mistaken for a failure.
    return std::calloc(count == 0 || size == 0 ? 1 : count, size == 0 ? 1 : size);
}

void myfree(void* block)
{
    std::free(block);
}
