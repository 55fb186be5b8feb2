#include "util/myarray.h"

#include "util/mystr.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

MyArray::MyArray(int32_t capacity, int32_t elemSize)
    : mCapacity(capacity > 0 ? capacity : 0), mElemSize(elemSize > 0 ? elemSize : 1)
{
    if (mCapacity > 0)
        mBuffer = static_cast<unsigned char*>(myalloc(static_cast<size_t>(mCapacity), static_cast<size_t>(mElemSize)));
}

MyArray::~MyArray() { myfree(mBuffer); }

void MyArray::addElem(const void* elem)
{
    if (mAllowDuplicates == 0 && getPos(elem) >= 0)
        return;
    if (mCount >= mCapacity || mBuffer == nullptr) {
        int32_t grown = mCapacity + 100;
        auto* p = static_cast<unsigned char*>(myalloc(static_cast<size_t>(grown), static_cast<size_t>(mElemSize)));
        if (p == nullptr)
            return; // nothing added; the elements already held stay where they are
        if (mBuffer != nullptr)
            std::memcpy(p, mBuffer, static_cast<size_t>(mCount) * static_cast<size_t>(mElemSize));
        myfree(mBuffer);
        mBuffer = p;
        mCapacity = grown;
    }
    std::memcpy(mBuffer + static_cast<size_t>(mCount) * mElemSize, elem, static_cast<size_t>(mElemSize));
    ++mCount;
}

namespace {
// Where the search for a four-byte `key` among `count` elements has to start:
// whole blocks of 16 elements without it are passed over, compared four at
// a time where the processor offers it.
int32_t firstCandidate32(const unsigned char* buffer, int32_t count, const void* elem)
{
    int32_t i = 0;
#if defined(__SSE2__)
    int key = 0;
    std::memcpy(&key, elem, sizeof key);
    const __m128i k = _mm_set1_epi32(key);
    for (; i + 16 <= count; i += 16) {
        const unsigned char* p = buffer + static_cast<size_t>(i) * 4;
        __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), k);
        __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), k);
        __m128i c = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), k);
        __m128i d = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), k);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0)
            break;
    }
#else
    (void)buffer;
    (void)count;
    (void)elem;
#endif
    return i;
}

// The first of `count` elements of type T from `start` equal to `elem`,
// compared as whole values (the same answer as comparing their bytes), or -1.
template <typename T>
int32_t findValue(const unsigned char* buffer, int32_t count, const void* elem, int32_t start)
{
    T key;
    std::memcpy(&key, elem, sizeof key);
    for (int32_t i = start; i < count; ++i) {
        T value;
        std::memcpy(&value, buffer + static_cast<size_t>(i) * sizeof(T), sizeof value);
        if (value == key)
            return i;
    }
    return -1;
}
} // namespace

int32_t MyArray::getPos(const void* elem) const
{
    if (mBuffer == nullptr)
        return -1;
    // Box references are 4 or 8 bytes: compare them as integers.
    if (mElemSize == 4)
        return findValue<uint32_t>(mBuffer, mCount, elem, firstCandidate32(mBuffer, mCount, elem));
    if (mElemSize == 8)
        return findValue<uint64_t>(mBuffer, mCount, elem, 0);
    for (int32_t i = 0; i < mCount; ++i)
        if (std::memcmp(mBuffer + static_cast<size_t>(i) * mElemSize, elem, static_cast<size_t>(mElemSize)) == 0)
            return i;
    return -1;
}

void* MyArray::getElem(int32_t index) const
{
    if (mBuffer == nullptr || index < 0 || index >= mCount)
        return nullptr;
    return mBuffer + static_cast<size_t>(index) * mElemSize;
}
