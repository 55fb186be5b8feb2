// The settings store set up from arbitrary bytes, then read and changed with
// names and values from the input. Input: the store's text, then after the
// first 0x01 byte a list of operations separated by 0x02, each "section 0x03
// key 0x03 value" with the operation picked by the first byte.
#include "settings/mysettings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void checkInvariants(const CMySettings& s)
{
    if (s.buffer == nullptr)
        std::abort();
    if (s.length >= s.capacity || s.buffer[s.length] != '\0' || std::strlen(s.buffer) != s.length)
        std::abort();
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = s.find(sep, start);
        parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// A lookup that nothing else should be able to change: a plain key.
bool plainKey(const std::string& key)
{
    return key.find('=') == std::string::npos && (key.empty() || key[0] != '[') &&
           key.find_first_of("\r\n") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string all(reinterpret_cast<const char*>(data), size);
    std::size_t cut = all.find('\x01');
    std::string text = all.substr(0, cut);
    std::string ops = cut == std::string::npos ? std::string() : all.substr(cut + 1);

    CMySettings s;
    long capacity = size > 0 ? data[0] * 4L : 0; // often below the text's length
    if (s.setup(text.data(), static_cast<long>(text.size()), capacity) != 0)
        return 0;
    checkInvariants(s);
    if (size > 1 && (data[1] & 1))
        s.setupCR();
    checkInvariants(s);

    int count = 0;
    std::string lastSection, lastKey, lastValue;
    bool haveLast = false;
    for (const std::string& op : split(ops, '\x02')) {
        if (++count > 32 || op.empty())
            break;
        std::vector<std::string> f = split(op.substr(1), '\x03');
        f.resize(3);
        const char* section = f[0].c_str();
        const char* key = f[1].c_str();
        const char* value = f[2].c_str();
        char out[2048];
        switch (static_cast<unsigned char>(op[0]) % 6) {
        case 0: {
            long n = s.getString(section, key, out, sizeof out);
            if (n >= 0 && (n >= static_cast<long>(sizeof out) || std::strlen(out) != static_cast<std::size_t>(n)))
                std::abort();
            break;
        }
        case 1:
            (void)s.getInt32(section, key, 1);
            (void)s.getFloat(section, key, 1.0f);
            break;
        case 2: {
            // A remembered entry must survive any other change.
            if (s.set(section, key, value) == 0) {
                long n = s.getString(section, key, out, sizeof out);
                if (n < 0 || f[2].c_str() != std::string(out))
                    std::abort();
                if (plainKey(key)) {
                    lastSection = section, lastKey = key, lastValue = out;
                    haveLast = true;
                }
            }
            break;
        }
        case 3:
            s.set(section, key, static_cast<std::int32_t>(f[2].size() * 1000003u));
            break;
        case 4:
            s.setFloat(section, key, static_cast<float>(f[2].size()) / 3.0f);
            break;
        case 5:
            // A section name with "]" or a key that is no plain key may name
            // the remembered entry's line in another way.
            if ((lastSection == section && lastKey == key) || std::strchr(section, ']') != nullptr || !plainKey(key))
                haveLast = false;
            s.remove(section, key);
            break;
        }
        checkInvariants(s);
        if (haveLast && !(lastSection == section && lastKey == key)) {
            long n = s.getString(lastSection.c_str(), lastKey.c_str(), out, sizeof out);
            if (n < 0 || lastValue != out)
                std::abort();
        } else if (haveLast) {
            long n = s.getString(lastSection.c_str(), lastKey.c_str(), out, sizeof out);
            if (n >= 0)
                lastValue = out;
            else
                haveLast = false;
        }
    }
    return 0;
}
