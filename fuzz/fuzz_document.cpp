// The substitute host's document reader and writer: any text is either
// refused with a DocumentError or read into a document that is written, read
// back and written again to the same text (blocks in text and base64 alike).
#include "subhost/document.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    subhost::Document first;
    try {
        first = subhost::parseDocument(text, "fuzz.json");
    } catch (const subhost::DocumentError&) {
        return 0;
    }
    std::string written = subhost::documentToJson(first);
    subhost::Document second;
    try {
        second = subhost::parseDocument(written, "written.json");
    } catch (const subhost::DocumentError&) {
        std::abort(); // what the host writes it must read
    }
    if (second.xtData != first.xtData || subhost::documentToJson(second) != written)
        std::abort();
    return 0;
}
