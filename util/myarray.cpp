#include "util/myarray.h"

#include <cstdlib>
#include <cstring>

MyArray::MyArray(int32_t capacity, int32_t elemSize)
    : mCapacity(capacity > 0 ? capacity : 0), mElemSize(elemSize > 0 ? elemSize : 1)
{
    if (mCapacity > 0)
        mBuffer = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(mCapacity), static_cast<size_t>(mElemSize)));
}

MyArray::~MyArray() { std::free(mBuffer); }

void MyArray::addElem(const void* elem)
{
    if (mAllowDuplicates == 0 && getPos(elem) >= 0)
        return;
    if (mCount >= mCapacity || mBuffer == nullptr) {
        int32_t grown = mCapacity + 100;
        void* p = std::realloc(mBuffer, static_cast<size_t>(grown) * static_cast<size_t>(mElemSize));
        if (p == nullptr)
            return; // nothing added; the elements already held stay where they are
        mBuffer = static_cast<unsigned char*>(p);
        std::memset(mBuffer + static_cast<size_t>(mCapacity) * mElemSize, 0,
                    static_cast<size_t>(grown - mCapacity) * mElemSize);
        mCapacity = grown;
    }
    std::memcpy(mBuffer + static_cast<size_t>(mCount) * mElemSize, elem, static_cast<size_t>(mElemSize));
    ++mCount;
}

namespace {
// The first of `count` elements of type T equal to `elem`, compared as whole
// values (the same answer as comparing their bytes), or -1.
template <typename T>
int32_t findValue(const unsigned char* buffer, int32_t count, const void* elem)
{
    T key;
    std::memcpy(&key, elem, sizeof key);
    for (int32_t i = 0; i < count; ++i) {
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
        return findValue<uint32_t>(mBuffer, mCount, elem);
    if (mElemSize == 8)
        return findValue<uint64_t>(mBuffer, mCount, elem);
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
