#include "util/mystr.h"

#include "util/mystrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(FOLANTRA_ALLOC_FAULTS)
// A test build of the plug-in counts the allocations it asks for: those of
// myalloc, and those of its own code through operator new. With
// FOLANTRA_FAIL_ALLOC=n in the environment the n-th call of myalloc answers
// null, with FOLANTRA_FAIL_NEW=n the n-th operator new throws std::bad_alloc
// (n counted from 1; every other allocation succeeds); "n+" fails the n-th
// and every later one, as when memory stays exhausted. With
// FOLANTRA_ALLOC_TALLY naming a file, both counts are written into it when the
// plug-in is unloaded ("myalloc N", "new N"), so that a test can first count
// the allocations of a run and then fail each one in turn.
#include <dlfcn.h>
#include <new>

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
// round) stays with one allocator.
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
#endif

void* myalloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
#if defined(FOLANTRA_ALLOC_FAULTS)
    if (sAllocFaults.due())
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

std::u16string utf8ToUtf16(const char* text)
{
    if (text == nullptr)
        return std::u16string();
    return utf8ToUtf16(text, std::strlen(text));
}

MyStr::MyStr(const char* text, unsigned char translate)
{
    if (text == nullptr)
        return;
    std::size_t n = std::strlen(text);
    if (translate != 0 && n < 250) {
        char input[256];
        char output[512] = {};
        std::memcpy(input, text, n + 1);
        translateString(input, output);
        assign(output);
    } else {
        assign(text);
    }
}

MyStr::MyStr(long number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%ld", number);
    assign(text);
}

void MyStr::assign(const char* utf8Text)
{
    mText = utf8ToUtf16(utf8Text);
    mHasText = true;
    mUTF8.clear();
    mHasUTF8 = false;
}

void MyStr::init()
{
    reset();
}

void MyStr::reset()
{
    mText.clear();
    mText.shrink_to_fit();
    mUTF8.clear();
    mUTF8.shrink_to_fit();
    mHasText = false;
    mHasUTF8 = false;
}

char16_t* MyStr::getUString() const
{
    char16_t* copy = static_cast<char16_t*>(myalloc(mText.size() + 1, sizeof(char16_t)));
    if (copy != nullptr && !mText.empty())
        std::memcpy(copy, mText.data(), mText.size() * sizeof(char16_t));
    return copy;
}

const char* MyStr::utf8()
{
    if (!mHasUTF8) {
        mUTF8 = utf16ToUtf8(mText.data(), mText.size());
        mHasUTF8 = true;
    }
    return mUTF8.c_str();
}

bool MyStr::getString(char* buffer, long capacity, int encoding)
{
    if (!mHasText || buffer == nullptr || capacity < 1)
        return false;
    if (encoding == kEncUTF16) {
        if (capacity < 2)
            return false;
        std::size_t units = static_cast<std::size_t>(capacity) / 2 - 1;
        if (units > mText.size())
            units = mText.size();
        // Do not end on the first half of a surrogate pair.
        if (units > 0 && units < mText.size() && mText[units - 1] >= 0xD800 && mText[units - 1] <= 0xDBFF)
            --units;
        std::memcpy(buffer, mText.data(), units * sizeof(char16_t));
        buffer[units * 2] = '\0';
        buffer[units * 2 + 1] = '\0';
        return true;
    }
    return mystr_platform::encode(mText.data(), mText.size(), encoding, buffer, static_cast<std::size_t>(capacity));
}

bool MyStr::getPath(char* buffer)
{
    if (!mHasText || buffer == nullptr)
        return false;
    if (!mText.empty() && mText[0] == u'/')
        normalize();
    const char* path = utf8();
    std::size_t n = mUTF8.size();
    if (n + 1 > 512)
        return false;
    std::memcpy(buffer, path, n + 1);
    return true;
}

void MyStr::normalize()
{
    if (!mHasText)
        return;
    mystr_platform::composeNFC(mText);
    mUTF8.clear();
    mHasUTF8 = false;
}
