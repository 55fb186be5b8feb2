#include "ui/windesc.h"

#include "util/myalloc.h"
#include "util/mystrings.h"
#include "util/xmlreader.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// The extra string attributes a control may carry; each present and
// non-empty one is kept under its code.
const char* const kStringAttributes[] = {"sap ", "empt", "amnt", "date", "data", "pref", "dval", "comb"};

std::string element(const char* text, const char* key)
{
    char out[kXMLStringMax + 1] = {};
    getXMLString(text, key, out);
    return out;
}

// A code of up to four characters, the first in the most significant byte.
std::uint32_t codeOf(const std::string& text)
{
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i)
        code = (code << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return code;
}

// Coordinates beyond what a window system takes are held at its limit, so
// the builder's adjustments and a group's origin never overflow.
constexpr long kCoordMax = 32767;

// "x y w h": the numbers up to the first that is missing or malformed, the
// rest 0.
DlgRect rectOf(const std::string& text)
{
    int v[4] = {0, 0, 0, 0};
    const char* p = text.c_str();
    for (int& n : v) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end == p)
            break;
        n = static_cast<int>(value < -kCoordMax - 1 ? -kCoordMax - 1 : value > kCoordMax ? kCoordMax : value);
        p = end;
    }
    return DlgRect{v[0], v[1], v[2], v[3]};
}

unsigned char collectMenuItem(char* item, long, void* context)
{
    static_cast<WinDescControl*>(context)->menu.push_back(element(item, "menu"));
    return 1;
}

// What the walk over the controls fills: the description, and whether every
// control and menu item could be read (an element is skipped when its copy
// cannot be allocated).
struct Collected {
    WinDesc* desc;
    bool complete;
};

unsigned char collectControl(char* text, long, void* context)
{
    auto* collected = static_cast<Collected*>(context);
    WinDescControl c;
    std::string type = element(text, "type");
    c.type = type.size() == 4 ? codeOf(type) : 0;
    std::string id = element(text, "id");
    c.id = id.empty() ? -1 : static_cast<int>(getXMLValue(text, "id", -1));
    c.cmd = codeOf(element(text, "cmd"));
    c.rect = rectOf(element(text, "rect"));
    c.text = element(text, "text");
    c.just = element(text, "just");
    c.border = getXMLValue(text, "border", 0);
    c.multi = getXMLValue(text, "multi", 0);
    c.pass = getXMLValue(text, "pass", 0);
    c.readonly = getXMLValue(text, "readonly", 0);
    if (!EnumXMLData(text, "menu", collectMenuItem, &c))
        collected->complete = false;
    for (int i = 1;; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "text%d", i);
        std::string label = element(text, key);
        if (label.empty())
            break;
        c.tabs.push_back(label);
    }
    for (const char* code : kStringAttributes) {
        std::string value = element(text, code);
        if (!value.empty())
            c.strings[codeOf(code)] = value;
    }
    collected->desc->controls.push_back(c);
    return 1;
}

// The start of the first control element, compared without regard to case.
std::size_t firstControl(const char* text)
{
    static const char kTag[] = "<control>";
    std::size_t n = std::strlen(text);
    for (std::size_t i = 0; i + sizeof kTag - 1 <= n; ++i) {
        std::size_t k = 0;
        while (k < sizeof kTag - 1 &&
               std::tolower(static_cast<unsigned char>(text[i + k])) == static_cast<unsigned char>(kTag[k]))
            ++k;
        if (k == sizeof kTag - 1)
            return i;
    }
    return n;
}

} // namespace

bool readWinDesc(const char* text, WinDesc* desc)
{
    *desc = WinDesc{};
    if (text == nullptr)
        return true;
    // The window's own elements come before its first control.
    std::string head(text, firstControl(text));
    desc->name = element(head.c_str(), "name");
    desc->rect = rectOf(element(head.c_str(), "rect"));
    Collected collected{desc, true};
    if (!EnumXMLData(text, "control", collectControl, &collected))
        collected.complete = false;
    return collected.complete;
}

bool loadWinDesc(const char* name, WinDesc* desc)
{
    *desc = WinDesc{};
    if (name == nullptr || name[0] == '\0')
        return false;
    std::unique_ptr<char, MyFree> text(getResourceData(name, "xml", gLanguage));
    if (text == nullptr)
        return false;
    // A window with a control missing could take an empty field for a value:
    // a description that could not be read whole is not used.
    if (!readWinDesc(text.get(), desc)) {
        *desc = WinDesc{};
        return false;
    }
    return true;
}
