// A growable array of fixed-size elements, compared and copied as raw bytes.
#pragma once

#include <cstdint>

class MyArray {
public:
    MyArray(int32_t capacity, int32_t elemSize);
    ~MyArray();
    MyArray(const MyArray&) = delete;
    MyArray& operator=(const MyArray&) = delete;

    // Adds a copy of the element; an equal element is not added again unless
    // duplicates are allowed. Grows by 100 elements at a time.
    void addElem(const void* elem);
    // Index of the first element with the same bytes, or -1.
    int32_t getPos(const void* elem) const;
    // The element at index, or null when the index is not below count or
    // the buffer is gone (a failed allocation).
    void* getElem(int32_t index) const;

    int32_t count() const { return mCount; }
    int32_t capacity() const { return mCapacity; }
    void setAllowDuplicates(bool allow) { mAllowDuplicates = allow ? 1 : 0; }

private:
    int32_t mCount = 0;
    int32_t mCapacity = 0;
    int32_t mElemSize = 0;
    unsigned char* mBuffer = nullptr;
    uint8_t mAllowDuplicates = 0;
};
