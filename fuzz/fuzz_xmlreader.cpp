// Tag reader over arbitrary text and keys. Input: one byte giving the key
// length, the key, then the text.
#include "util/mystr.h"
#include "util/xmlreader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

unsigned char checkElement(char* element, long length, void* context)
{
    if (length < 0 || std::strlen(element) != static_cast<std::size_t>(length) || element[0] != '<' ||
        element[length - 1] != '>')
        std::abort();
    ++*static_cast<int*>(context);
    return *static_cast<int*>(context) < 1000 ? 1 : 0;
}

void probe(const char* text, const char* key)
{
    char out[kXMLStringMax + 1];
    std::memset(out, 0x5A, sizeof out);
    long n = getXMLString(text, key, out);
    if (n < 0 || n > static_cast<long>(kXMLStringMax))
        std::abort();
    if (n > 0 && std::strlen(out) != static_cast<std::size_t>(n))
        std::abort();

    char* data = getXMLData(text, key);
    if (data != nullptr) {
        // Without a blank both find the same element, and the string is
        // the data's first 250 bytes.
        if (std::strchr(key, ' ') == nullptr && std::strncmp(data, out, static_cast<std::size_t>(n)) != 0)
            std::abort();
        myfree(data);
    }
    (void)getXMLValue(text, key, 7);
    int count = 0;
    EnumXMLData(text, key, checkElement, &count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::size_t keyLen = data[0] % 72;
    if (keyLen > size - 1)
        keyLen = size - 1;
    std::string key(reinterpret_cast<const char*>(data + 1), keyLen);
    key = key.c_str(); // up to a zero byte
    std::string text(reinterpret_cast<const char*>(data + 1 + keyLen), size - 1 - keyLen);

    probe(text.c_str(), key.c_str());
    for (const char* fixed : {"a", "Item id=1", "rect", "metaData"})
        probe(text.c_str(), fixed);
    return 0;
}
