// The DOCINFO entries written from arbitrary title, author and keywords
// fields (the record's three 256-byte fields, a terminator not guaranteed). The entries are read back: the fixed
// text around each entry, only upper-case hexadecimal digits between the
// angle brackets (no byte of the field can reach the PostScript as it is),
// well-formed UTF-16, and the text decoded again equal to the field's first
// 255 bytes when those are well-formed UTF-8; otherwise every ASCII character
// of the field in its place and each ill-formed part one U+FFFD.
#include "fuzz/utf8check.h"
#include "job/folantrarec.h"
#include "postscript/metadata.h"
#include "postscript/psprintf.h"
#include "util/platform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void collect(const char* bytes, int32_t n, void* context)
{
    static_cast<std::string*>(context)->append(bytes, static_cast<std::size_t>(n));
}

// Code points of well-formed UTF-16; false at an unpaired surrogate.
bool decodeUTF16(const std::vector<std::uint16_t>& units, std::vector<std::uint32_t>* out)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t u = units[i];
        if (u >= 0xDC00 && u <= 0xDFFF)
            return false;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)
                return false;
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        out->push_back(u);
    }
    return true;
}

std::string encodeUTF8(const std::vector<std::uint32_t>& points)
{
    std::string s;
    for (std::uint32_t c : points) {
        if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (c >> 18));
            s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower case is not written
}

// Reads the entry of `key` at `at` in `out` and checks it against `field`.
void checkEntry(const std::string& out, std::size_t& at, const char* key, const char* field)
{
    std::string text(field, strnlen(field, 255));
    if (text.empty())
        return; // an empty field writes nothing
    std::string head = std::string(PSEOL) + "/pdfmark where {pop [/" + key + " <FEFF";
    const std::string tail = "> /DOCINFO pdfmark} if";
    if (out.compare(at, head.size(), head) != 0)
        std::abort();
    at += head.size();
    std::size_t end = out.find('>', at);
    if (end == std::string::npos || (end - at) % 4 != 0 || out.compare(end, tail.size(), tail) != 0)
        std::abort();
    std::vector<std::uint16_t> units;
    for (std::size_t i = at; i < end; i += 4) {
        unsigned v = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int d = hexDigit(out[i + k]);
            if (d < 0)
                std::abort();
            v = v * 16 + static_cast<unsigned>(d);
        }
        units.push_back(static_cast<std::uint16_t>(v));
    }
    at = end + tail.size();

    std::vector<std::uint32_t> points;
    if (units.empty() || units.size() > text.size() || !decodeUTF16(units, &points))
        std::abort();
    if (fuzzcheck::validUTF8(text)) {
        if (encodeUTF8(points) != text)
            std::abort();
        return;
    }
    // Ill-formed input: the ASCII characters stay as they are, in order, and
    // nothing but U+FFFD stands for what was not well-formed.
    std::string ascii, back;
    for (char c : text)
        if (static_cast<std::uint8_t>(c) < 0x80)
            ascii += c;
    for (std::uint32_t c : points)
        if (c < 0x80)
            back += static_cast<char>(c);
    if (ascii != back)
        std::abort();
    bool replaced = false;
    for (std::uint32_t c : points)
        replaced = replaced || c == 0xFFFD;
    // Without a U+FFFD, only an unfinished character at the end was left
    // out: what stands is the text's well-formed beginning.
    if (!replaced) {
        std::string kept = encodeUTF8(points);
        if (kept.size() >= text.size() || text.compare(0, kept.size(), kept) != 0)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MetaData meta;
    std::memset(&meta, 0, sizeof meta);
    // The input's pieces between zero bytes fill the three fields; a piece of
    // 256 bytes or more fills its field to the last byte, with no terminator.
    char* fields[] = {meta.title, meta.author, meta.keywords};
    std::size_t at = 0;
    for (char* field : fields) {
        if (at >= size)
            break;
        const auto* end = static_cast<const std::uint8_t*>(std::memchr(data + at, 0, size - at));
        std::size_t n = (end != nullptr ? static_cast<std::size_t>(end - data) : size) - at;
        std::memcpy(field, data + at, n < 256 ? n : 256);
        at += n + 1;
    }

    std::string out;
    setPSSink(collect, &out);
    writeMetaData(&meta);
    setPSSink(nullptr, nullptr);

    at = 0;
    checkEntry(out, at, "Title", meta.title);
    checkEntry(out, at, "Author", meta.author);
    checkEntry(out, at, "Keywords", meta.keywords);
    if (out.substr(at) != std::string(PSEOL) + PSEOL)
        std::abort();
    return 0;
}
