#include "util/myarray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(MyArray, GrowsByHundredKeepingElements)
{
    MyArray empty(0, 4);
    uint32_t v = 7;
    empty.addElem(&v);
    EXPECT_EQ(empty.capacity(), 100);
    EXPECT_EQ(empty.count(), 1);

    MyArray a(100, 4);
    for (uint32_t i = 0; i < 101; ++i)
        a.addElem(&i);
    EXPECT_EQ(a.capacity(), 200);
    ASSERT_EQ(a.count(), 101);
    for (int32_t i = 0; i < 101; ++i)
        EXPECT_EQ(*static_cast<uint32_t*>(a.getElem(i)), static_cast<uint32_t>(i));
}

TEST(MyArray, DuplicatesAndLookups)
{
    MyArray a(2, 8);
    uint64_t x = 0x1122334455667788ull, y = 42;
    a.addElem(&x);
    a.addElem(&x);
    EXPECT_EQ(a.count(), 1);
    a.addElem(&y);
    EXPECT_EQ(a.getPos(&y), 1);
    uint64_t z = 9;
    EXPECT_EQ(a.getPos(&z), -1);
    EXPECT_EQ(a.getElem(a.count()), nullptr);
    EXPECT_EQ(a.getElem(-1), nullptr);
    a.setAllowDuplicates(true);
    a.addElem(&x);
    EXPECT_EQ(a.count(), 3);
}

TEST(MyArray, LookupComparesEveryByteOfEachElementSize)
{
    // Elements that share all but one byte are different, whatever their size;
    // the first equal element is the one found.
    for (int32_t size : {1, 3, 4, 8, 12}) {
        MyArray a(0, size);
        a.setAllowDuplicates(true);
        std::vector<unsigned char> e(static_cast<size_t>(size), 0xAB);
        for (int32_t i = 0; i < size; ++i) {
            std::vector<unsigned char> other = e;
            other[static_cast<size_t>(i)] ^= 0x01;
            a.addElem(other.data());
        }
        EXPECT_EQ(a.getPos(e.data()), -1) << size;
        a.addElem(e.data());
        a.addElem(e.data());
        EXPECT_EQ(a.getPos(e.data()), size) << size;
        // An element read from an odd address is found too.
        std::vector<unsigned char> shifted(static_cast<size_t>(size) + 1, 0xAB);
        EXPECT_EQ(a.getPos(shifted.data() + 1), size) << size;
    }
}

TEST(MyArray, LookupInLongListsFindsTheFirstEqualElementWherever)
{
    for (int32_t size : {4, 8}) {
        for (int32_t at : {0, 15, 16, 17, 63, 64, 99}) {
            MyArray a(0, size);
            a.setAllowDuplicates(true);
            for (uint32_t i = 0; i < 100; ++i) {
                uint64_t v = 1000 + i;
                a.addElem(&v); // little-endian: the low bytes carry the value
            }
            uint64_t key = 1000 + static_cast<uint64_t>(at);
            EXPECT_EQ(a.getPos(&key), at) << size << " " << at;
            a.addElem(&key); // a second copy at the end does not change the answer
            EXPECT_EQ(a.getPos(&key), at) << size << " " << at;
            uint64_t missing = 5000;
            EXPECT_EQ(a.getPos(&missing), -1) << size;
        }
    }
}
