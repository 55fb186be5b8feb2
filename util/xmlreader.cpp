#include "util/xmlreader.h"

#include "util/myalloc.h"
#include "util/mystr.h" // utf8Fit

#include <climits>
#include <cstring>
#include <memory>

namespace {

inline unsigned char foldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// First occurrence of `needle` (n bytes, no zero byte in it) in the
// zero-terminated text from `from` on, comparing ASCII letters without regard
// to case. A zero byte in the text never matches, so the scan stops at the
// terminator.
const char* findNoCase(const char* from, const char* needle, std::size_t n)
{
    const unsigned char first = foldCase(static_cast<unsigned char>(needle[0]));
    for (const char* p = from; *p != '\0'; ++p) {
        if (foldCase(static_cast<unsigned char>(*p)) != first)
            continue;
        std::size_t i = 1;
        while (i < n && foldCase(static_cast<unsigned char>(p[i])) == foldCase(static_cast<unsigned char>(needle[i])))
            ++i;
        if (i == n)
            return p;
    }
    return nullptr;
}

// "<key>" and the closing tag, built in 64-byte buffers for the lookups that
// take keys of at most 60 characters.
struct Tags {
    char open[64];
    char close[64];
    std::size_t openLen = 0;
    std::size_t closeLen = 0;
};

// The closing tag ends at the key's first blank when `cutAtBlank` is set.
// False for keys that are empty or longer than `maxKey` (at most 60).
bool makeTags(const char* key, std::size_t maxKey, bool cutAtBlank, Tags& tags)
{
    if (key == nullptr)
        return false;
    std::size_t n = strnlen(key, maxKey + 1);
    if (n == 0 || n > maxKey)
        return false;
    tags.open[0] = '<';
    std::memcpy(tags.open + 1, key, n);
    tags.open[n + 1] = '>';
    tags.open[n + 2] = '\0';
    tags.openLen = n + 2;

    std::size_t closeKey = n;
    if (cutAtBlank) {
        const char* blank = static_cast<const char*>(std::memchr(key, ' ', n));
        if (blank != nullptr)
            closeKey = static_cast<std::size_t>(blank - key);
    }
    tags.close[0] = '<';
    tags.close[1] = '/';
    std::memcpy(tags.close + 2, key, closeKey);
    tags.close[closeKey + 2] = '>';
    tags.close[closeKey + 3] = '\0';
    tags.closeLen = closeKey + 3;
    return true;
}

// Content bounds of the first element: [begin, end). False when a tag is missing.
bool findContent(const char* text, const char* open, std::size_t openLen, const char* close, std::size_t closeLen,
                 const char*& begin, const char*& end)
{
    const char* o = findNoCase(text, open, openLen);
    if (o == nullptr)
        return false;
    begin = o + openLen;
    end = findNoCase(begin, close, closeLen);
    return end != nullptr;
}

} // namespace

long getXMLString(const char* text, const char* key, char* out)
{
    if (text == nullptr || key == nullptr || out == nullptr)
        return 0;
    std::size_t n = strnlen(key, kXMLKeyMax + 1);
    if (n == 0 || n > kXMLKeyMax)
        return 0;
    char open[kXMLKeyMax + 3];
    char close[kXMLKeyMax + 4];
    open[0] = '<';
    std::memcpy(open + 1, key, n);
    open[n + 1] = '>';
    close[0] = '<';
    close[1] = '/';
    std::memcpy(close + 2, key, n);
    close[n + 2] = '>';

    const char* begin;
    const char* end;
    if (!findContent(text, open, n + 2, close, n + 3, begin, end))
        return 0;
    std::size_t len = static_cast<std::size_t>(end - begin);
    len = utf8Fit(begin, len, kXMLStringMax);
    std::memcpy(out, begin, len);
    out[len] = '\0';
    return static_cast<long>(len);
}

char* getXMLData(const char* text, const char* key)
{
    Tags tags;
    if (text == nullptr || !makeTags(key, kXMLTagKeyMax, true, tags))
        return nullptr;
    const char* begin;
    const char* end;
    if (!findContent(text, tags.open, tags.openLen, tags.close, tags.closeLen, begin, end))
        return nullptr;
    std::size_t len = static_cast<std::size_t>(end - begin);
    char* copy = static_cast<char*>(myalloc(len + 2, 1));
    if (copy != nullptr)
        std::memcpy(copy, begin, len);
    return copy;
}

long getXMLValue(const char* text, const char* key, long def)
{
    char value[kXMLStringMax + 1];
    if (getXMLString(text, key, value) < 1)
        return def;
    if (std::strcmp(value, "YES") == 0)
        return 1;
    if (std::strcmp(value, "NO") == 0)
        return 0;

    const char* p = value;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    long result = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        int digit = *p - '0';
        if (negative) {
            result = (result < (LONG_MIN + digit) / 10) ? LONG_MIN : result * 10 - digit;
        } else {
            result = (result > (LONG_MAX - digit) / 10) ? LONG_MAX : result * 10 + digit;
        }
    }
    return result;
}

bool EnumXMLData(const char* text, const char* key, XMLElementProc proc, void* context)
{
    Tags tags;
    if (text == nullptr || proc == nullptr || !makeTags(key, kXMLTagKeyMax, true, tags))
        return true;
    bool complete = true;
    const char* textEnd = text + std::strlen(text);
    const char* pos = text;
    while (pos < textEnd) {
        const char* open = findNoCase(pos, tags.open, tags.openLen);
        if (open == nullptr)
            return complete;
        pos = open + tags.openLen;
        const char* close = findNoCase(pos, tags.close, tags.closeLen);
        if (close == nullptr)
            return complete;
        std::size_t len = static_cast<std::size_t>(close + tags.closeLen - open);
        std::unique_ptr<char, MyFree> element(static_cast<char*>(myalloc(len + 1, 1)));
        if (element == nullptr) {
            complete = false;
            continue; // skipped; the walk goes on behind the opening tag
        }
        std::memcpy(element.get(), open, len);
        unsigned char goOn = proc(element.get(), static_cast<long>(len), context);
        element.reset();
        if (goOn == 0)
            return complete;
    }
    return complete;
}
