#include "util/mystr.h"

#include "util/mystrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
