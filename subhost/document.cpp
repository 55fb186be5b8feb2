#include "subhost/document.h"

#include "subhost/fileio.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace subhost {

using nlohmann::json;

int Document::pageCount() const
{
    int n = 0;
    for (const Spread& s : spreads)
        n += s.pages;
    return n;
}

bool Document::pageIndexCurrent() const
{
    return mIndexedSpreads == spreads.data() && mIndexedCount == spreads.size() &&
           mFirstPage.size() == spreads.size() + 1;
}

void Document::indexPages() const
{
    mFirstPage.assign(1, 1);
    mSpreadOfPage.assign(1, -1);
    for (std::size_t i = 0; i < spreads.size(); ++i) {
        int pages = spreads[i].pages > 0 ? spreads[i].pages : 0;
        mSpreadOfPage.insert(mSpreadOfPage.end(), static_cast<std::size_t>(pages), static_cast<int32_t>(i));
        mFirstPage.push_back(mFirstPage.back() + pages);
    }
    mIndexedSpreads = spreads.data();
    mIndexedCount = spreads.size();
}

bool Document::locatePage(int page, int* spread, int* position) const
{
    bool rebuilt = false;
    if (!pageIndexCurrent()) {
        indexPages();
        rebuilt = true;
    }
    for (;;) {
        if (page < 1 || page >= static_cast<int>(mSpreadOfPage.size()))
            return false;
        int s = mSpreadOfPage[static_cast<std::size_t>(page)];
        int at = page - mFirstPage[static_cast<std::size_t>(s)];
        if (at < spreads[static_cast<std::size_t>(s)].pages) {
            *spread = s;
            *position = at;
            return true;
        }
        if (rebuilt)
            return false;
        indexPages(); // a spread's page count changed since the index was built
        rebuilt = true;
    }
}

int Document::firstPageOfSpread(int spread) const
{
    if (!pageIndexCurrent())
        indexPages();
    if (spread < 0)
        return 1;
    if (spread >= static_cast<int>(spreads.size()))
        return mFirstPage.back();
    return mFirstPage[static_cast<std::size_t>(spread)];
}

Box* Document::findBox(uint32_t id, int* spread)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!mIndexed || attempt == 1) {
            mSpreadOf.assign(static_cast<std::size_t>(nextBoxId) + 1, -1);
            for (std::size_t i = 0; i < spreads.size(); ++i)
                for (const Box& b : spreads[i].boxes) {
                    if (b.id >= mSpreadOf.size())
                        mSpreadOf.resize(static_cast<std::size_t>(b.id) + 1, -1);
                    mSpreadOf[b.id] = static_cast<int32_t>(i);
                }
            mIndexed = true;
        }
        if (id >= mSpreadOf.size())
            continue;
        const int32_t s = mSpreadOf[id];
        if (s < 0 || s >= static_cast<int>(spreads.size()))
            continue;
        for (Box& b : spreads[static_cast<std::size_t>(s)].boxes)
            if (b.id == id) {
                if (spread)
                    *spread = s;
                return &b;
            }
    }
    return nullptr;
}

std::string fourccText(uint32_t code)
{
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
    return s;
}

uint32_t fourccValue(const std::string& text)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(i < static_cast<int>(text.size()) ? text[i] : ' ');
    return v;
}

namespace {

// Reads fields with messages that say where the fault is.
class Reader {
public:
    explicit Reader(std::string file) : mFile(std::move(file)) {}

    [[noreturn]] void fail(const std::string& where, const std::string& what) const
    {
        throw DocumentError(mFile + ": " + where + ": " + what);
    }

    const json& need(const json& obj, const char* key, const std::string& where) const
    {
        if (!obj.is_object() || !obj.contains(key))
            fail(where, std::string("missing \"") + key + "\"");
        return obj.at(key);
    }

    double number(const json& v, const std::string& where, double min, double max) const
    {
        if (!v.is_number())
            fail(where, "expected a number");
        double d = v.get<double>();
        if (!(d >= min && d <= max))
            fail(where, "number out of range");
        return d;
    }

    int integer(const json& v, const std::string& where, long min, long max) const
    {
        if (!v.is_number_integer())
            fail(where, "expected an integer");
        // An unsigned value beyond the signed range would wrap when read as signed.
        bool beyond = v.is_number_unsigned() && v.get<unsigned long long>() > static_cast<unsigned long long>(max);
        long long i = beyond ? max : v.get<long long>();
        if (beyond || i < min || i > max)
            fail(where, "integer out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
        return static_cast<int>(i);
    }

    bool boolean(const json& v, const std::string& where) const
    {
        if (!v.is_boolean())
            fail(where, "expected true or false");
        return v.get<bool>();
    }

    std::string text(const json& v, const std::string& where) const
    {
        if (!v.is_string())
            fail(where, "expected a text");
        return v.get<std::string>();
    }

private:
    std::string mFile;
};

// Builds the parsed value and keeps the path of the value being read
// ("pageSize.width", "spreads[0].boxes[1].bounds[2]"), so that a number beyond
// the range of a double is reported with its field instead of escaping as an
// exception of the JSON library.
class PathTrackingSax {
public:
    explicit PathTrackingSax(json& result) : mDom(result, true) {}

    std::string overflowAt; // the field whose number did not fit, when one did not

    bool null() { return value(mDom.null()); }
    bool boolean(bool v) { return value(mDom.boolean(v)); }
    bool number_integer(json::number_integer_t v) { return value(mDom.number_integer(v)); }
    bool number_unsigned(json::number_unsigned_t v) { return value(mDom.number_unsigned(v)); }
    bool number_float(json::number_float_t v, const json::string_t& s) { return value(mDom.number_float(v, s)); }
    bool string(json::string_t& v) { return value(mDom.string(v)); }
    bool binary(json::binary_t& v) { return value(mDom.binary(v)); }
    bool start_object(std::size_t n)
    {
        mFrames.push_back({false, {}, 0});
        return mDom.start_object(n);
    }
    bool key(json::string_t& k)
    {
        mFrames.back().key = k;
        return mDom.key(k);
    }
    bool end_object() { return closed(mDom.end_object()); }
    bool start_array(std::size_t n)
    {
        mFrames.push_back({true, {}, 0});
        return mDom.start_array(n);
    }
    bool end_array() { return closed(mDom.end_array()); }
    template <class Exception>
    bool parse_error(std::size_t position, const std::string& token, const Exception& e)
    {
        if (e.id == 406) { // a number that does not fit a double
            overflowAt = path();
            return false;
        }
        return mDom.parse_error(position, token, e);
    }

private:
    struct Frame {
        bool array;
        std::string key;
        std::size_t index;
    };

    std::string path() const
    {
        std::string p;
        for (const Frame& f : mFrames) {
            if (f.array)
                p += "[" + std::to_string(f.index) + "]";
            else
                p += (p.empty() ? "" : ".") + f.key;
        }
        return p.empty() ? "document" : p;
    }
    bool value(bool ok)
    {
        if (!mFrames.empty() && mFrames.back().array)
            ++mFrames.back().index;
        return ok;
    }
    bool closed(bool ok)
    {
        mFrames.pop_back();
        return value(ok);
    }

    nlohmann::detail::json_sax_dom_parser<json> mDom;
    std::vector<Frame> mFrames;
};

constexpr double kMaxPoints = 16000.0; // fits 16.16 fixed point with room to spare

std::vector<uint8_t> decodeBase64(const std::string& in, const Reader& r, const std::string& where)
{
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : in) {
        if (c == '=' || c == '\n' || c == '\r' || c == ' ')
            continue;
        int v = value(c);
        if (v < 0)
            r.fail(where, "not base64");
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>((acc >> bits) & 0xFF));
        }
    }
    return out;
}

Box readBox(const json& j, const Reader& r, const std::string& where)
{
    Box b;
    const json& bounds = r.need(j, "bounds", where);
    if (!bounds.is_array() || bounds.size() != 4)
        r.fail(where + ".bounds", "expected [top, left, bottom, right]");
    b.top = r.number(bounds[0], where + ".bounds[0]", -kMaxPoints, kMaxPoints);
    b.left = r.number(bounds[1], where + ".bounds[1]", -kMaxPoints, kMaxPoints);
    b.bottom = r.number(bounds[2], where + ".bounds[2]", -kMaxPoints, kMaxPoints);
    b.right = r.number(bounds[3], where + ".bounds[3]", -kMaxPoints, kMaxPoints);
    if (b.bottom <= b.top || b.right <= b.left)
        r.fail(where + ".bounds", "bottom must be below top and right beyond left");
    if (j.contains("fill")) {
        const json& f = j.at("fill");
        std::vector<double> c;
        if (f.is_number())
            c.push_back(r.number(f, where + ".fill", 0, 1));
        else if (f.is_array() && f.size() == 3)
            for (std::size_t i = 0; i < 3; ++i)
                c.push_back(r.number(f[i], where + ".fill[" + std::to_string(i) + "]", 0, 1));
        else
            r.fail(where + ".fill", "expected a gray level or [r, g, b] from 0 to 1");
        b.fill = c;
    }
    if (j.contains("stroke"))
        b.stroke = r.number(j.at("stroke"), where + ".stroke", 0, 100);
    if (j.contains("text"))
        b.text = r.text(j.at("text"), where + ".text");
    if (j.contains("fontSize"))
        b.fontSize = r.number(j.at("fontSize"), where + ".fontSize", 1, 1000);
    return b;
}

PrintSettings readPrint(const json& j, const Reader& r, int pages)
{
    PrintSettings p;
    const std::string where = "print";
    if (!j.is_object())
        r.fail(where, "expected an object");
    if (j.contains("blankPages"))
        p.blankPages = r.boolean(j.at("blankPages"), where + ".blankPages");
    if (j.contains("wholeSpreads"))
        p.wholeSpreads = r.boolean(j.at("wholeSpreads"), where + ".wholeSpreads");
    if (j.contains("bleed")) {
        const json& b = j.at("bleed");
        const std::string bw = where + ".bleed";
        if (!b.is_object())
            r.fail(bw, "expected an object");
        if (b.contains("bits")) {
            p.bleedBits = static_cast<uint32_t>(r.integer(b.at("bits"), bw + ".bits", 0, 0x600));
            if (p.bleedBits & ~0x600u)
                r.fail(bw + ".bits", "only the bits 0x200 and 0x400 belong to the bleed");
        }
        if (b.contains("amount"))
            p.bleedAmount = r.number(b.at("amount"), bw + ".amount", 0, 1000);
        if (b.contains("offset"))
            p.bleedOffset = r.number(b.at("offset"), bw + ".offset", 0, 1000);
    }
    if (j.contains("output"))
        p.output = r.integer(j.at("output"), where + ".output", -2147483647L, 2147483647L);
    if (j.contains("jobKind"))
        p.jobKind = r.integer(j.at("jobKind"), where + ".jobKind", 0, 1000);
    if (j.contains("ranges")) {
        const json& rs = j.at("ranges");
        if (rs.is_null()) {
            p.ranges.reset();
        } else {
            if (!rs.is_array() || rs.empty())
                r.fail(where + ".ranges", "expected a list of [first, last] pairs");
            std::vector<PageRange> list;
            for (std::size_t i = 0; i < rs.size(); ++i) {
                const std::string rw = where + ".ranges[" + std::to_string(i) + "]";
                if (!rs[i].is_array() || rs[i].size() != 2)
                    r.fail(rw, "expected [first, last]");
                PageRange pr{r.integer(rs[i][0], rw, 1, pages), r.integer(rs[i][1], rw, 1, pages)};
                if (pr.last < pr.first)
                    r.fail(rw, "last page before first");
                list.push_back(pr);
            }
            p.ranges = list;
        }
    }
    return p;
}

} // namespace

Document parseDocument(const std::string& text, const std::string& fileName)
{
    Reader r(fileName);
    json j;
    try {
        PathTrackingSax sax(j);
        json::sax_parse(text, &sax);
        if (!sax.overflowAt.empty())
            r.fail(sax.overflowAt, "number out of range");
    } catch (const json::parse_error& e) {
        throw DocumentError(fileName + ": not valid JSON: " + e.what());
    } catch (const json::out_of_range& e) {
        throw DocumentError(fileName + ": number out of range: " + e.what());
    }
    if (!j.is_object())
        r.fail("document", "expected an object");
    Document d;
    d.name = r.text(r.need(j, "name", "document"), "name");
    if (d.name.empty() || d.name.size() > 255)
        r.fail("name", "expected 1 to 255 bytes");
    if (j.contains("path") && !j.at("path").is_null()) {
        d.path = r.text(j.at("path"), "path");
        if (d.path->empty() || d.path->size() > 511)
            r.fail("path", "expected 1 to 511 bytes");
    }
    const json& size = r.need(j, "pageSize", "document");
    d.pageWidth = r.number(r.need(size, "width", "pageSize"), "pageSize.width", 1, 4000);
    d.pageHeight = r.number(r.need(size, "height", "pageSize"), "pageSize.height", 1, 4000);
    const json& spreads = r.need(j, "spreads", "document");
    if (!spreads.is_array() || spreads.empty())
        r.fail("spreads", "expected a non-empty list");
    for (std::size_t i = 0; i < spreads.size(); ++i) {
        const std::string where = "spreads[" + std::to_string(i) + "]";
        Spread s;
        s.pages = r.integer(r.need(spreads[i], "pages", where), where + ".pages", 1, 3);
        if (spreads[i].contains("boxes")) {
            const json& boxes = spreads[i].at("boxes");
            if (!boxes.is_array())
                r.fail(where + ".boxes", "expected a list");
            for (std::size_t k = 0; k < boxes.size(); ++k) {
                Box b = readBox(boxes[k], r, where + ".boxes[" + std::to_string(k) + "]");
                b.id = d.nextBoxId++;
                s.boxes.push_back(b);
            }
        }
        d.spreads.push_back(std::move(s));
    }
    if (d.pageCount() > kMaxPages)
        r.fail("spreads", "too many pages (at most " + std::to_string(kMaxPages) + ")");
    if (j.contains("xtensionData")) {
        const json& xd = j.at("xtensionData");
        if (!xd.is_object())
            r.fail("xtensionData", "expected an object keyed by four-character codes");
        for (auto it = xd.begin(); it != xd.end(); ++it) {
            const std::string where = "xtensionData." + it.key();
            if (it.key().size() != 4)
                r.fail(where, "the key must be a four-character code");
            std::vector<uint8_t> bytes;
            if (it.value().is_object() && it.value().contains("text") && it.value().contains("base64"))
                r.fail(where, "expected {\"text\": ...} or {\"base64\": ...}, not both");
            if (it.value().is_object() && it.value().contains("text")) {
                std::string t = r.text(it.value().at("text"), where + ".text");
                bytes.assign(t.begin(), t.end());
                bytes.push_back(0);
            } else if (it.value().is_object() && it.value().contains("base64")) {
                bytes = decodeBase64(r.text(it.value().at("base64"), where + ".base64"), r, where + ".base64");
            } else {
                r.fail(where, "expected {\"text\": ...} or {\"base64\": ...}");
            }
            d.xtData[fourccValue(it.key())] = bytes;
        }
    }
    if (j.contains("print"))
        d.print = readPrint(j.at("print"), r, d.pageCount());
    static const char* const known[] = {"name", "path", "pageSize", "spreads", "xtensionData", "print"};
    for (auto it = j.begin(); it != j.end(); ++it)
        if (std::find(std::begin(known), std::end(known), it.key()) == std::end(known))
            d.unknownKeys.push_back(it.key());
    d.source = text;
    return d;
}

namespace {
std::string encodeBase64(const std::vector<uint8_t>& in)
{
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        uint32_t v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        for (int k = 18; k >= 0; k -= 6)
            out += digits[(v >> k) & 63];
    }
    if (i < in.size()) {
        uint32_t v = in[i] << 16;
        if (i + 1 < in.size())
            v |= in[i + 1] << 8;
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < in.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// UTF-8 text followed by exactly one zero byte.
bool isTextBlock(const std::vector<uint8_t>& b)
{
    if (b.empty() || b.back() != 0)
        return false;
    std::string text(b.begin(), b.end() - 1);
    if (text.find('\0') != std::string::npos)
        return false;
    try {
        (void)json(text).dump();
    } catch (const json::exception&) {
        return false;
    }
    return true;
}

using ojson = nlohmann::ordered_json;

// A number as the document file writes it: whole numbers without a fraction.
ojson numberJson(double v)
{
    if (std::floor(v) == v && std::fabs(v) < 1e15)
        return ojson(static_cast<long long>(v));
    return ojson(v);
}

// Sets `key` in `obj`, keeping its place when the file had it.
void put(ojson& obj, const char* key, ojson value)
{
    obj[key] = std::move(value);
}

void drop(ojson& obj, const char* key) { obj.erase(key); }

ojson boxJson(const Box& b, ojson j)
{
    if (!j.is_object())
        j = ojson::object();
    put(j, "bounds", ojson::array({numberJson(b.top), numberJson(b.left), numberJson(b.bottom), numberJson(b.right)}));
    if (b.fill) {
        ojson fill = ojson::array();
        for (double c : *b.fill)
            fill.push_back(numberJson(c));
        put(j, "fill", b.fill->size() == 1 ? fill[0] : fill);
    } else {
        drop(j, "fill");
    }
    if (b.stroke > 0)
        put(j, "stroke", numberJson(b.stroke));
    else
        drop(j, "stroke");
    if (!b.text.empty()) {
        put(j, "text", b.text);
        put(j, "fontSize", numberJson(b.fontSize));
    } else {
        drop(j, "text");
        drop(j, "fontSize");
    }
    return j;
}

bool isScalar(const ojson& v) { return !v.is_object() && !v.is_array(); }

// One line for a value made of scalars (and lists of scalars) that fits.
bool fitsOnOneLine(const ojson& v, std::size_t room)
{
    if (isScalar(v))
        return true;
    for (const auto& item : v)
        if (!isScalar(item) && !(item.is_array() && std::all_of(item.begin(), item.end(), isScalar)))
            return false;
    return v.dump().size() + v.size() * 2 <= room;
}

std::string oneLine(const ojson& v)
{
    if (isScalar(v))
        return v.dump();
    std::string out = v.is_array() ? "[" : "{";
    bool first = true;
    for (auto it = v.begin(); it != v.end(); ++it) {
        out += first ? "" : ", ";
        first = false;
        if (v.is_object())
            out += ojson(it.key()).dump() + ": ";
        out += oneLine(it.value());
    }
    return out + (v.is_array() ? "]" : "}");
}

// The layout of the document files people write: two blanks per level, lists
// of numbers and small objects on one line.
void layout(const ojson& v, int indent, std::string& out)
{
    const std::size_t room = indent < 100 ? 110 - static_cast<std::size_t>(indent) : 10;
    if (isScalar(v) || (v.empty()) || fitsOnOneLine(v, room) ||
        (v.is_array() && std::all_of(v.begin(), v.end(), isScalar))) {
        out += oneLine(v);
        return;
    }
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    out += v.is_array() ? "[\n" : "{\n";
    bool first = true;
    for (auto it = v.begin(); it != v.end(); ++it) {
        out += first ? "" : ",\n";
        first = false;
        out += pad;
        if (v.is_object())
            out += ojson(it.key()).dump() + ": ";
        layout(it.value(), indent + 2, out);
    }
    out += "\n" + std::string(static_cast<std::size_t>(indent), ' ') + (v.is_array() ? "]" : "}");
}
} // namespace

std::string documentToJson(const Document& d)
{
    // Start from the file the document came from, so its keys keep their
    // order and anything the host does not know stays.
    ojson j = ojson::object();
    if (!d.source.empty()) {
        try {
            j = ojson::parse(d.source);
        } catch (const ojson::exception&) {
            j = ojson::object();
        }
        if (!j.is_object())
            j = ojson::object();
    }
    put(j, "name", d.name);
    put(j, "path", d.path ? ojson(*d.path) : ojson(nullptr));
    ojson size = j.contains("pageSize") && j["pageSize"].is_object() ? j["pageSize"] : ojson::object();
    put(size, "width", numberJson(d.pageWidth));
    put(size, "height", numberJson(d.pageHeight));
    put(j, "pageSize", size);
    const ojson oldSpreads = j.contains("spreads") && j["spreads"].is_array() ? j["spreads"] : ojson::array();
    ojson spreads = ojson::array();
    for (std::size_t i = 0; i < d.spreads.size(); ++i) {
        const Spread& s = d.spreads[i];
        ojson spread = i < oldSpreads.size() && oldSpreads[i].is_object() ? oldSpreads[i] : ojson::object();
        const ojson oldBoxes =
            spread.contains("boxes") && spread["boxes"].is_array() ? spread["boxes"] : ojson::array();
        ojson boxes = ojson::array();
        for (const Box& b : s.boxes)
            if (!b.temporary)
                boxes.push_back(boxJson(b, boxes.size() < oldBoxes.size() ? oldBoxes[boxes.size()] : ojson()));
        put(spread, "pages", s.pages);
        put(spread, "boxes", boxes);
        spreads.push_back(spread);
    }
    put(j, "spreads", spreads);
    if (!d.xtData.empty()) {
        ojson xd = j.contains("xtensionData") && j["xtensionData"].is_object() ? j["xtensionData"] : ojson::object();
        for (auto it = xd.begin(); it != xd.end();)
            it = d.xtData.count(fourccValue(it.key())) ? std::next(it) : xd.erase(it);
        for (const auto& [code, bytes] : d.xtData)
            xd[fourccText(code)] = isTextBlock(bytes)
                                       ? ojson{{"text", std::string(bytes.begin(), bytes.end() - 1)}}
                                       : ojson{{"base64", encodeBase64(bytes)}};
        put(j, "xtensionData", xd);
    } else {
        drop(j, "xtensionData");
    }
    const PrintSettings& p = d.print;
    const PrintSettings defaults;
    ojson print = j.contains("print") && j["print"].is_object() ? j["print"] : ojson::object();
    // A setting goes into the file when the file had it or it is not the default.
    auto setting = [&](const char* key, ojson value, bool isDefault) {
        if (print.contains(key) || !isDefault)
            put(print, key, std::move(value));
    };
    setting("blankPages", p.blankPages, p.blankPages == defaults.blankPages);
    setting("wholeSpreads", p.wholeSpreads, p.wholeSpreads == defaults.wholeSpreads);
    setting("output", p.output, p.output == defaults.output);
    setting("jobKind", p.jobKind, p.jobKind == defaults.jobKind);
    if (p.bleedBits != 0 || p.bleedAmount != 0 || p.bleedOffset != 0) {
        ojson bleed = print.contains("bleed") && print["bleed"].is_object() ? print["bleed"] : ojson::object();
        put(bleed, "bits", p.bleedBits);
        put(bleed, "amount", numberJson(p.bleedAmount));
        put(bleed, "offset", numberJson(p.bleedOffset));
        put(print, "bleed", bleed);
    } else {
        drop(print, "bleed");
    }
    if (p.ranges) {
        ojson ranges = ojson::array();
        for (const PageRange& r : *p.ranges)
            ranges.push_back({r.first, r.last});
        put(print, "ranges", ranges);
    } else {
        drop(print, "ranges");
    }
    if (!print.empty())
        put(j, "print", print);
    else
        drop(j, "print");
    std::string out;
    layout(j, 0, out);
    return out + "\n";
}

void saveDocument(const Document& doc, const std::string& file)
{
    // A document read from a file keeps the keys the host does not know (the
    // file's text is the starting point of the new one); one made otherwise
    // has none to lose, but say so should that change.
    if (doc.source.empty())
        for (const std::string& key : doc.unknownKeys)
            std::cerr << "folantra-host: warning: " << file << ": the unknown key \"" << key << "\" is not saved\n";
    try {
        writeFileAtomically(file, documentToJson(doc));
    } catch (const std::runtime_error& e) {
        throw DocumentError(e.what());
    }
}

Document loadDocument(const std::string& file)
{
    std::ifstream in(std::filesystem::u8path(file), std::ios::binary);
    if (!in)
        throw DocumentError(file + ": cannot be opened");
    std::stringstream ss;
    ss << in.rdbuf();
    return parseDocument(ss.str(), file);
}

} // namespace subhost
