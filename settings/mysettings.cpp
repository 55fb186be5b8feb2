#include "settings/mysettings.h"

#include "log/dump.h"
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/mystr.h"
#include "util/mystrings.h"
#include "util/platform.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

CMySettings gPrefs;

namespace {

constexpr std::uint32_t kMaxCapacity = 0x7FFFFFFF;
// A preferences file holds a few switches; anything larger is not read.
constexpr std::size_t kMaxFileSize = 1024 * 1024;

bool hasLineBreak(const char* s)
{
    return std::strpbrk(s, "\r\n") != nullptr;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A section name or key usable in a lookup: present, short enough for its
// 256-byte pattern, and holding no line break (which could only match across
// lines).
bool usableName(const char* name, std::size_t max)
{
    return name != nullptr && strnlen(name, max + 1) <= max && !hasLineBreak(name);
}

std::int32_t readInt32(const char* p)
{
    while (isBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= INT32_MAX)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

float readFloat(const char* p)
{
    while (isBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    // The longest prefix that forms digits [. digits] [e [sign] digits].
    const char* start = p;
    bool seenDigit = false;
    for (; *p >= '0' && *p <= '9'; ++p)
        seenDigit = true;
    if (*p == '.')
        for (++p; *p >= '0' && *p <= '9'; ++p)
            seenDigit = true;
    if (!seenDigit)
        return 0.0f;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-')
            ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9')
                ++e;
            p = e;
        }
    }
    // Overflow gives infinity and underflow a tiny value or 0: the clamp and
    // the narrowing below make them FLT_MAX and 0.
    char number[256];
    std::size_t n = static_cast<std::size_t>(p - start);
    if (n >= sizeof number)
        return 0.0f; // values hold at most 255 bytes
    std::memcpy(number, start, n);
    number[n] = '\0';
    double value = plat::readDecimal(number);
    if (value > static_cast<double>(FLT_MAX))
        value = static_cast<double>(FLT_MAX);
    float f = static_cast<float>(value);
    return negative ? -f : f;
}

// The value with four decimals, rounded half to even from its exact binary
// value, as "%.4f" prints it in the C locale ("-0.0000" for a negative value
// that rounds to zero, "inf", "-inf", "nan", "-nan"), into `out`. Our own so
// that it needs no locale and no floating-point to_chars.
constexpr std::size_t kFixed4Size = 48; // "-" + 39 digits + "." + 4 digits + terminator
void formatFixed4(float value, char (&out)[kFixed4Size])
{
    char* p = out;
    if (std::signbit(value))
        *p++ = '-';
    if (std::isinf(value) || std::isnan(value)) {
        std::memcpy(p, std::isinf(value) ? "inf" : "nan", 4);
        return;
    }
    // |value| * 10000 = m * 10000 * 2^e exactly, m < 2^24.
    int exp = 0;
    double fraction = std::frexp(std::fabs(static_cast<double>(value)), &exp);
    auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
    int e = exp - 24;
    std::uint64_t scaled = m * 10000; // < 2^38
    // The rounded result as 32-bit limbs, least significant first: at most
    // 2^38 * 2^104 < 2^160.
    std::uint32_t limbs[5] = {};
    if (e >= 0) {
        limbs[0] = static_cast<std::uint32_t>(scaled);
        limbs[1] = static_cast<std::uint32_t>(scaled >> 32);
        for (int i = 0; i < e; ++i) { // shift left by one bit, e times
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : limbs) {
                std::uint32_t next = limb >> 31;
                limb = (limb << 1) | carry;
                carry = next;
            }
        }
    } else {
        int shift = -e;
        std::uint64_t q = 0;
        if (shift < 40) { // otherwise scaled < 2^38 is below half a unit
            q = scaled >> shift;
            std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1), half = std::uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (q & 1) != 0))
                ++q;
        }
        limbs[0] = static_cast<std::uint32_t>(q);
        limbs[1] = static_cast<std::uint32_t>(q >> 32);
    }
    // Decimal digits, least significant first, at least five (0.0000).
    char digits[kFixed4Size];
    std::size_t count = 0;
    bool more = true;
    while (more || count < 5) {
        std::uint64_t rest = 0;
        more = false;
        for (int i = 4; i >= 0; --i) {
            std::uint64_t cur = (rest << 32) | limbs[i];
            limbs[i] = static_cast<std::uint32_t>(cur / 10);
            rest = cur % 10;
            more = more || limbs[i] != 0;
        }
        digits[count++] = static_cast<char>('0' + rest);
    }
    while (count-- > 0) {
        *p++ = digits[count];
        if (count == 4)
            *p++ = '.';
    }
    *p = '\0';
}

} // namespace

CMySettings::CMySettings()
{
    path[0] = '\0';
}

CMySettings::~CMySettings()
{
    release();
}

void CMySettings::release()
{
    myfree(buffer);
    buffer = nullptr;
    length = 0;
    capacity = 0;
}

// Takes `textLength` bytes of `text` into a new zero-filled buffer of
// `bufferCapacity` bytes (at least the text and a terminator); the text ends
// at its first zero byte.
bool CMySettings::adopt(const char* text, std::size_t textLength, std::size_t bufferCapacity)
{
    release();
    if (bufferCapacity < textLength + 1)
        bufferCapacity = textLength + 1;
    if (bufferCapacity > kMaxCapacity)
        return false;
    buffer = static_cast<char*>(myalloc(bufferCapacity, 1));
    if (buffer == nullptr)
        return false;
    if (textLength > 0)
        std::memcpy(buffer, text, textLength);
    capacity = static_cast<std::uint32_t>(bufferCapacity);
    length = static_cast<std::uint32_t>(strnlen(buffer, textLength));
    return true;
}

std::int32_t CMySettings::setup(long size)
{
    if (size < 0)
        return kRefused;
    path[0] = '\0';
    return adopt(nullptr, 0, size == 0 ? 4096 : static_cast<std::size_t>(size)) ? kOK : kNoMemory;
}

std::int32_t CMySettings::setup(const void* data, long dataLength, long bufferCapacity)
{
    if (dataLength < 0 || bufferCapacity < 0 || (data == nullptr && dataLength > 0))
        return kRefused;
    path[0] = '\0';
    std::size_t cap = bufferCapacity == 0 ? static_cast<std::size_t>(dataLength) : static_cast<std::size_t>(bufferCapacity);
    return adopt(static_cast<const char*>(data), static_cast<std::size_t>(dataLength), cap) ? kOK : kNoMemory;
}

std::int32_t CMySettings::setupText(const void* data, long dataLength)
{
    if (dataLength < 0 || (data == nullptr && dataLength > 0))
        return kRefused;
    path[0] = '\0';
    const char* text = static_cast<const char*>(data);
    std::size_t n = dataLength > 0 ? strnlen(text, static_cast<std::size_t>(dataLength)) : 0;
    // A CR in front, then the text: the first line is found like every other.
    if (n + 2 > kMaxCapacity || !adopt(nullptr, 0, n + 2))
        return kNoMemory;
    buffer[0] = '\r';
    if (n > 0)
        std::memcpy(buffer + 1, text, n);
    length = static_cast<std::uint32_t>(n + 1);
    setupCR();
    return kOK;
}

void CMySettings::loadDefaults()
{
    // The default text is made like a loaded file (a CR in front, single CR
    // line ends), so that its first section is found.
    std::unique_ptr<char, MyFree> text(getResourceData("Prefs", "ini", gLanguage));
    if (text != nullptr) {
        std::string withCR = std::string("\r") + text.get();
        text.reset();
        if (adopt(withCR.data(), withCR.size(), withCR.size() + kGrowth))
            setupCR();
        return;
    }
    adopt(nullptr, 0, kGrowth);
}

std::int32_t CMySettings::setupWithPath(const char* filePath)
{
    if (filePath == nullptr)
        return kRefused;
    char newPath[sizeof path];
    std::size_t n = strnlen(filePath, sizeof newPath);
    if (n == sizeof newPath)
        return kRefused;
    std::memcpy(newPath, filePath, n + 1);
    if (!pathEndsWith(newPath, ".ini") && !replaceExtension(newPath, ".ini", sizeof newPath))
        return kRefused;
    resolveAlias(newPath);

    release();
    std::memcpy(path, newPath, sizeof path);

    std::string bytes;
    bool loaded = false;
    // Only a regular file is read (a FIFO or a device could block or never
    // end), and only up to its cap: otherwise the defaults apply.
    if (std::FILE* f = openRegularFile(path)) {
        char chunk[8192];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= kMaxFileSize)
            bytes.append(chunk, got);
        loaded = std::ferror(f) == 0 && bytes.size() <= kMaxFileSize;
        std::fclose(f);
    }
    if (loaded) {
        if (bytes.size() + 1 + kGrowth > kMaxCapacity)
            return kNoMemory;
        std::size_t fileSize = bytes.size();
        bytes.insert(bytes.begin(), '\r');
        if (adopt(bytes.data(), bytes.size(), fileSize + kGrowth))
            setupCR();
    } else {
        loadDefaults();
    }
    return buffer != nullptr ? kOK : kNoMemory;
}

std::int32_t CMySettings::setupWithinAppSupport(const char* oldPath, const char* subFolder)
{
    static const char kFolder[] = "Kestrovan";
    static const char kFileName[] = "Folantra.ini";

    char folder[kPathSize];
    char filePath[kPathSize];
    bool placed = getAppSupportFolder(folder);
    if (placed) {
        makeDir(folder);
        placed = addPathComponent(folder, kFolder);
        makeDir(folder);
    }
    if (placed && subFolder != nullptr && subFolder[0] != '\0') {
        placed = addPathComponent(folder, subFolder);
        makeDir(folder);
    }
    if (placed) {
        std::memcpy(filePath, folder, sizeof filePath);
        placed = addPathComponent(filePath, kFileName);
    }
    if (!placed) {
        // No standard folder: the defaults, in memory.
        path[0] = '\0';
        loadDefaults();
        return buffer != nullptr ? kOK : kNoMemory;
    }

    if (!fileExists(filePath) && oldPath != nullptr && oldPath[0] != '\0') {
        char old[kPathSize];
        std::size_t n = strnlen(oldPath, sizeof old);
        if (n < sizeof old) {
            std::memcpy(old, oldPath, n + 1);
            char destination[kPathSize];
            std::memcpy(destination, folder, sizeof destination);
            // Moved under the name the store loads, whatever the plug-in
            // file is called.
            if (replaceExtension(old, ".ini") && fileExists(old) && !moveFile(old, destination, kFileName)) {
                char why[256];
                lastFileError(why, sizeof why);
                dprintf("cannot move the old preferences %s into %s: %s", old, folder, why);
            }
        }
    }
    return setupWithPath(filePath);
}

const char* CMySettings::findSection(const char* section, const char** sectionEnd) const
{
    if (buffer == nullptr || !usableName(section, kMaxSection))
        return nullptr;
    char pattern[256];
    std::snprintf(pattern, sizeof pattern, "\r[%s]", section);
    const char* match = std::strstr(buffer, pattern);
    if (match == nullptr)
        return nullptr;
    const char* start = match + 1;
    const char* next = std::strstr(start, "\r[");
    *sectionEnd = next != nullptr ? next + 1 : buffer + length;
    return start;
}

// Start of the CR before the first line of `key` in the section, or null.
char* CMySettings::findEntry(const char* sectionStart, const char* sectionEnd, const char* key) const
{
    if (!usableName(key, kMaxKey))
        return nullptr;
    char pattern[256];
    int n = std::snprintf(pattern, sizeof pattern, "\r%s=", key);
    const char* match = std::strstr(sectionStart, pattern);
    if (match == nullptr || match + n > sectionEnd)
        return nullptr;
    return const_cast<char*>(match);
}

long CMySettings::getString(const char* section, const char* key, char* value, long valueCapacity)
{
    if (value == nullptr || valueCapacity < 1)
        return -1;
    const char* end = nullptr;
    const char* start = findSection(section, &end);
    if (start == nullptr)
        return -1;
    const char* entry = findEntry(start, end, key);
    if (entry == nullptr)
        return -1;
    const char* v = entry + 1 + std::strlen(key) + 1;
    std::size_t n = utf8Fit(v, static_cast<std::size_t>(getLineLen(v, 0)), static_cast<std::size_t>(valueCapacity) - 1);
    std::memcpy(value, v, n);
    value[n] = '\0';
    return static_cast<long>(n);
}

std::int32_t CMySettings::getInt32(const char* section, const char* key, std::int32_t def)
{
    char value[256];
    if (getString(section, key, value, sizeof value) <= 0)
        return def;
    return readInt32(value);
}

float CMySettings::getFloat(const char* section, const char* key, float def)
{
    char value[256];
    if (getString(section, key, value, sizeof value) <= 0)
        return def;
    return readFloat(value);
}

bool CMySettings::insert(std::size_t offset, const char* bytes, std::size_t n)
{
    if (static_cast<std::size_t>(length) + n + 1 > capacity)
        return false;
    std::memmove(buffer + offset + n, buffer + offset, length - offset + 1);
    std::memcpy(buffer + offset, bytes, n);
    length += static_cast<std::uint32_t>(n);
    buffer[length] = '\0';
    return true;
}

std::int32_t CMySettings::set(const char* section, const char* key, const char* value)
{
    if (buffer == nullptr || section == nullptr || key == nullptr || value == nullptr)
        return kRefused;
    if (!usableName(section, kMaxSection) || !usableName(key, kMaxKey) || hasLineBreak(value) ||
        std::strchr(section, ']') != nullptr || std::strchr(key, '=') != nullptr || key[0] == '[')
        return kRefused;
    std::string line = std::string(key) + "=" + value + "\r";
    if (line.size() > kMaxLine)
        return kRefused;
    std::size_t sectionLen = std::strlen(section);
    // Worst case: a new section, or a CR to end the header line plus the line.
    if (checkBuffer(sectionLen + 4 + line.size()) != kOK)
        return kRefused;

    const char* end = nullptr;
    const char* start = findSection(section, &end);
    if (start == nullptr) {
        std::string block = std::string("\r[") + section + "]\r" + line;
        insert(length, block.data(), block.size());
        return kOK;
    }
    if (char* old = findEntry(start, end, key))
        removeLine(old + 1);
    std::size_t headerEnd = static_cast<std::size_t>(start - buffer) + static_cast<std::size_t>(getLineLen(start, 1));
    if (headerEnd == length && (headerEnd == 0 || buffer[headerEnd - 1] != '\r')) {
        // The header is the text's last line and has no CR: end it first, or
        // the entry would join the header line.
        insert(headerEnd, "\r", 1);
        ++headerEnd;
    }
    insert(headerEnd, line.data(), line.size());
    return kOK;
}

std::int32_t CMySettings::set(const char* section, const char* key, std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return set(section, key, text);
}

std::int32_t CMySettings::setFloat(const char* section, const char* key, float value)
{
    char text[kFixed4Size];
    formatFixed4(value, text);
    return set(section, key, text);
}

void CMySettings::remove(const char* section, const char* key)
{
    const char* end = nullptr;
    const char* start = findSection(section, &end);
    if (start == nullptr)
        return;
    if (char* entry = findEntry(start, end, key))
        removeLine(entry + 1);
}

void CMySettings::removeLine(char* p)
{
    if (buffer == nullptr || p < buffer || p > buffer + length)
        return;
    std::size_t n = static_cast<std::size_t>(getLineLen(p, 1));
    std::size_t offset = static_cast<std::size_t>(p - buffer);
    std::memmove(p, p + n, length - offset - n + 1);
    length -= static_cast<std::uint32_t>(n);
    buffer[length] = '\0';
}

std::int32_t CMySettings::checkBuffer(std::size_t need)
{
    if (buffer == nullptr)
        return kNoMemory;
    std::size_t room = need + 1 > kReserve ? need + 1 : kReserve;
    std::size_t newCapacity = capacity;
    while (static_cast<std::size_t>(length) + room > newCapacity) {
        newCapacity += kGrowth;
        if (newCapacity > kMaxCapacity)
            return kNoMemory;
    }
    if (newCapacity == capacity)
        return kOK;
    char* grown = static_cast<char*>(myalloc(newCapacity, 1));
    if (grown == nullptr)
        return kNoMemory;
    std::memcpy(grown, buffer, capacity);
    myfree(buffer);
    buffer = grown;
    capacity = static_cast<std::uint32_t>(newCapacity);
    return kOK;
}

void CMySettings::setupCR()
{
    if (buffer == nullptr)
        return;
    std::size_t out = 0;
    bool inBreak = false;
    for (std::size_t in = 0; in < length && buffer[in] != '\0'; ++in) {
        char c = buffer[in];
        if (c == '\r' || c == '\n') {
            if (!inBreak)
                buffer[out++] = '\r';
            inBreak = true;
        } else {
            buffer[out++] = c;
            inBreak = false;
        }
    }
    std::memset(buffer + out, 0, length - out);
    length = static_cast<std::uint32_t>(out);
    buffer[length] = '\0';
    if ((length == 0 || buffer[length - 1] != '\r') && checkBuffer(1) == kOK) {
        buffer[length++] = '\r';
        buffer[length] = '\0';
    }
}

long CMySettings::getLineLen(const char* p, unsigned char withCR) const
{
    if (p == nullptr)
        return 0;
    const char* cr = std::strchr(p, '\r');
    long n = static_cast<long>(cr != nullptr ? cr - p : static_cast<long>(std::strlen(p)));
    if (cr != nullptr && withCR == 1)
        ++n;
    return n;
}
