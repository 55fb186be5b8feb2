// The substitute host's style-file reader and writer: any text is either
// refused with a StyleError or read into styles that are written, read back
// (the same styles and nodes) and written again to the same text.
#include "subhost/styles.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
bool same(const std::vector<subhost::OutputStyle>& a, const std::vector<subhost::OutputStyle>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].kind != b[i].kind || a[i].nodes.size() != b[i].nodes.size())
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<subhost::OutputStyle> first;
    try {
        first = subhost::parseStyles(text, "fuzz.xml");
    } catch (const subhost::StyleError&) {
        return 0;
    }
    std::string written = subhost::stylesToXml(first);
    std::vector<subhost::OutputStyle> second;
    try {
        second = subhost::parseStyles(written, "written.xml");
    } catch (const subhost::StyleError&) {
        std::abort(); // what the host writes it must read
    }
    if (!same(first, second) || subhost::stylesToXml(second) != written)
        std::abort();
    return 0;
}
