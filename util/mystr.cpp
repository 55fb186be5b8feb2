#include "util/mystr.h"

#include "ui/toolkit.h"
#include "util/os.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::u16string utf8ToUtf16(const char* text)
{
    if (text == nullptr)
        return std::u16string();
    return utf8ToUtf16(text, std::strlen(text));
}

namespace {
bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the sequence that a lead byte starts (1 for ASCII and for bytes
// that start none).
std::size_t sequenceLength(char lead)
{
    unsigned char b = static_cast<unsigned char>(lead);
    return b >= 0xF0 && b <= 0xF7 ? 4 : b >= 0xE0 ? (b <= 0xEF ? 3 : 1) : b >= 0xC0 ? 2 : 1;
}
} // namespace

std::size_t utf8Fit(const char* text, std::size_t length, std::size_t max)
{
    if (text == nullptr || length <= max)
        return text == nullptr ? 0 : length;
    // The limit falls inside a character when the byte behind it continues
    // one; a character has at most three continuation bytes.
    std::size_t n = max;
    for (int step = 0; step < 3 && n > 0 && isContinuation(text[n]); ++step)
        --n;
    // Stray continuation bytes, or a character that ends before the limit:
    // the limit itself is no worse a place than any other.
    if (isContinuation(text[n]) || n + sequenceLength(text[n]) <= max)
        return max;
    return n;
}

std::size_t utf8Complete(const char* text, std::size_t length)
{
    if (text == nullptr || length == 0)
        return 0;
    // The start of the last character: at most three continuation bytes back.
    std::size_t start = length - 1;
    for (int step = 0; step < 3 && start > 0 && isContinuation(text[start]); ++step)
        --start;
    if (isContinuation(text[start]))
        return length; // no lead byte near the end: nothing that a cut made
    return length - start < sequenceLength(text[start]) ? start : length;
}

std::size_t copyUTF8(char* out, std::size_t cap, const char* text)
{
    if (out == nullptr || cap == 0)
        return 0;
    std::size_t n = text != nullptr ? utf8Fit(text, strnlen(text, cap), cap - 1) : 0;
    if (n > 0)
        std::memmove(out, text, n);
    out[n] = '\0';
    return n;
}

int vformatUTF8(char* out, std::size_t cap, const char* format, va_list args)
{
    if (out == nullptr || cap == 0)
        return -1;
    int n = std::vsnprintf(out, cap, format != nullptr ? format : "", args);
    if (n < 0) {
        out[0] = '\0';
        return -1;
    }
    std::size_t written = static_cast<std::size_t>(n);
    if (written >= cap) {
        // vsnprintf stopped at cap - 1 bytes, wherever that fell.
        written = utf8Complete(out, cap - 1);
        out[written] = '\0';
    }
    return static_cast<int>(written);
}

int formatUTF8(char* out, std::size_t cap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vformatUTF8(out, cap, format, args);
    va_end(args);
    return n;
}

std::string cutUTF8(const std::string& text, std::size_t max)
{
    return text.substr(0, utf8Fit(text.data(), text.size(), max));
}

namespace {
MyStrTranslator sTranslator = nullptr; // set by the string table
} // namespace

void setMyStrTranslator(MyStrTranslator translator)
{
    sTranslator = translator;
}

MyStr::MyStr(const char* text, unsigned char translate)
{
    if (text == nullptr)
        return;
    std::size_t n = std::strlen(text);
    if (translate != 0 && n < 250 && sTranslator != nullptr) {
        char input[256];
        char output[512] = {};
        std::memcpy(input, text, n + 1);
        sTranslator(input, output);
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
