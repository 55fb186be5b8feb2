// Linked into the test copy of the plug-in (allocfaults/XTensions/), never
// into the plug-in itself. It counts the allocations the plug-in asks for:
// those of myalloc, and those of its own code through operator new. With
// FOLANTRA_FAIL_ALLOC=n in the environment the n-th call of myalloc answers
// null, with FOLANTRA_FAIL_NEW=n the n-th operator new throws std::bad_alloc
// (n counted from 1; every other allocation succeeds); "n+" fails the n-th
// and every later one, as when memory stays exhausted. With
// FOLANTRA_ALLOC_TALLY naming a file, both counts are written into it when the
// plug-in is unloaded ("myalloc N", "new N"), so that a test can first count
// the allocations of a run and then fail each one in turn.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <dlfcn.h>

bool myallocFaultDue();

namespace {
struct FaultCounter {
    const char* variable;
    unsigned long count;
    unsigned long failAt; // 0: none fails
    bool onward;          // every allocation from failAt on fails
    bool read;

    bool due()
    {
        if (!read) {
            read = true;
            if (const char* n = std::getenv(variable)) {
                char* end = nullptr;
                failAt = std::strtoul(n, &end, 10);
                onward = end != nullptr && *end == '+';
            }
        }
        ++count;
        return failAt != 0 && (onward ? count >= failAt : count == failAt);
    }
};
FaultCounter sAllocFaults{"FOLANTRA_FAIL_ALLOC", 0, 0, false, false};
FaultCounter sNewFaults{"FOLANTRA_FAIL_NEW", 0, 0, false, false};

struct AllocTally {
    ~AllocTally()
    {
        const char* path = std::getenv("FOLANTRA_ALLOC_TALLY");
        if (path == nullptr || path[0] == '\0')
            return;
        if (std::FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "myalloc %lu\nnew %lu\n", sAllocFaults.count, sNewFaults.count);
            std::fclose(f);
        }
    }
} sAllocTally;

// The process's own operator new and delete, which the plug-in's replacements
// below pass every allocation on to: memory that the standard library
// allocates outside the plug-in and the plug-in releases (or the other way
// round) stays with one allocator. The names are the C++ ABI's of this
// system (size_t is unsigned long).
using NewProc = void* (*)(std::size_t);
using DeleteProc = void (*)(void*);
template <typename Proc>
Proc nextSymbol(const char* name)
{
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr)
        std::abort();
    return reinterpret_cast<Proc>(symbol);
}
void* processNew(std::size_t size)
{
    static const NewProc proc = nextSymbol<NewProc>("_Znwm");
    return proc(size);
}
void* processNewArray(std::size_t size)
{
    static const NewProc proc = nextSymbol<NewProc>("_Znam");
    return proc(size);
}
void processDelete(void* block)
{
    static const DeleteProc proc = nextSymbol<DeleteProc>("_ZdlPv");
    proc(block);
}
void processDeleteArray(void* block)
{
    static const DeleteProc proc = nextSymbol<DeleteProc>("_ZdaPv");
    proc(block);
}
} // namespace

// Asked by myalloc before it allocates (util/myalloc.cpp).
bool myallocFaultDue() { return sAllocFaults.due(); }

// The plug-in's module keeps these to itself (it exports only its entry), so
// they count the plug-in's own allocations and no one else's.
void* operator new(std::size_t size)
{
    if (sNewFaults.due())
        throw std::bad_alloc();
    return processNew(size);
}
void* operator new[](std::size_t size)
{
    if (sNewFaults.due())
        throw std::bad_alloc();
    return processNewArray(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (sNewFaults.due())
        return nullptr;
    try {
        return processNew(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (sNewFaults.due())
        return nullptr;
    try {
        return processNewArray(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept { processDelete(block); }
void operator delete[](void* block) noexcept { processDeleteArray(block); }
void operator delete(void* block, std::size_t) noexcept { processDelete(block); }
void operator delete[](void* block, std::size_t) noexcept { processDeleteArray(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { processDelete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { processDeleteArray(block); }
