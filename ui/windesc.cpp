#include "ui/windesc.h"

#include "util/mystr.h"
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

constexpr std::uint32_t kTypePush = fourCC("push");
constexpr std::uint32_t kTypeCheck = fourCC("cbox");
constexpr std::uint32_t kTypeRadio = fourCC("rdio");
constexpr std::uint32_t kTypeEdit = fourCC("eutx");
constexpr std::uint32_t kTypeEdit2 = fourCC("etxt");
constexpr std::uint32_t kTypeStatic = fourCC("stxt");
constexpr std::uint32_t kTypePopup = fourCC("popb");
constexpr std::uint32_t kTypeCombo = fourCC("comb");
constexpr std::uint32_t kTypeList = fourCC("lbox");
constexpr std::uint32_t kTypeGroup = fourCC("grpb");
constexpr std::uint32_t kTypeRadioGroup = fourCC("rgrp");
constexpr std::uint32_t kTypeTabs = fourCC("tabs");
constexpr std::uint32_t kTypeUserPane = fourCC("upan");
constexpr std::uint32_t kTypeProgress = fourCC("prgb");
constexpr std::uint32_t kTypeSeparator = fourCC("sepa");
constexpr std::uint32_t kTypeEnd = fourCC("####");

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

DlgJust justOf(const std::string& just)
{
    if (just == "center")
        return kJustCenter;
    if (just == "right")
        return kJustRight;
    return kJustLeft;
}

} // namespace

std::string localizeText(const std::string& text)
{
    if (text.empty() || text.size() >= 250)
        return text;
    char input[512] = {};
    char output[512] = {};
    std::memcpy(input, text.data(), text.size());
    translateString(input, output);
    return output;
}

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

void buildWindow(const WinDesc& desc, const FrameInsets& frame, DlgWindow* window)
{
    window->title = localizeText(desc.name);
    window->clientWidth = desc.rect.w;
    window->clientHeight = desc.rect.h;
    window->frame = DlgRect{desc.rect.x, desc.rect.y, desc.rect.w + frame.left + frame.right,
                            desc.rect.h + frame.top + frame.bottom};
    window->controls.clear();
    window->focus = -1;

    // The root container fills the window; everything described goes into it
    // until the "####" that closes it.
    DlgControl root;
    root.kind = root.type = kKindUserPane;
    root.id = 0;
    root.rect = DlgRect{0, 0, window->frame.w, window->frame.h};
    window->controls.push_back(root);
    int parent = 0;
    int originX = 0, originY = 0;
    bool groupOpen = false;

    for (const WinDescControl& d : desc.controls) {
        if (d.type == kTypeEnd) {
            if (groupOpen) {
                groupOpen = false;
                originX = originY = 0;
            } else if (parent >= 0) {
                parent = window->controls[static_cast<std::size_t>(parent)].parent;
            }
            continue;
        }
        DlgControl c;
        c.type = d.type;
        c.id = d.id;
        c.cmd = d.cmd;
        c.rect = d.rect;
        c.text = localizeText(d.text);
        c.strings = d.strings;
        c.just = justOf(d.just);
        bool opensContainer = false;
        switch (d.type) {
        case kTypePush:
            c.kind = kKindPush;
            c.isDefault = d.id == 1;
            c.rect.y -= 3;
            c.rect.h = 24;
            break;
        case kTypeCheck:
        case kTypeRadio:
            c.kind = kKindCheckBox;
            c.rect.y -= 3;
            c.rect.h = 24;
            break;
        case kTypeEdit:
        case kTypeEdit2:
            c.kind = kKindEdit;
            c.tabStop = true;
            c.password = d.pass == 1;
            c.multiLine = d.multi == 1;
            c.readOnly = d.readonly == 1;
            c.border = c.readOnly;
            c.rect.y -= 3;
            if (!c.multiLine)
                c.rect.h = 19;
            break;
        case kTypeStatic: {
            if (d.multi != 1)
                c.rect.h = 16;
            auto sap = d.strings.find(fourCC("sap "));
            if (sap != d.strings.end() && !sap->second.empty()) {
                // A selectable label: a read-only field in its place.
                c.kind = kKindEdit;
                c.tabStop = true;
                c.readOnly = true;
            } else {
                c.kind = kKindStatic;
                c.border = d.border == 1 || d.multi == 1;
                c.multiLine = d.multi == 1;
            }
            break;
        }
        case kTypePopup: {
            c.kind = kKindPopup;
            c.tabStop = true;
            c.rect.x += 3;
            c.rect.y -= 2;
            c.rect.w -= 5;
            c.rect.h = 200;
            for (const std::string& item : d.menu)
                c.items.push_back(localizeText(item));
            c.value = c.items.empty() ? 0 : 1;
            for (std::size_t i = 0; i < c.items.size(); ++i)
                if (c.items[i] == c.text) {
                    c.value = static_cast<std::int32_t>(i + 1);
                    break;
                }
            c.text.clear();
            break;
        }
        case kTypeCombo:
            c.kind = kKindCombo;
            c.tabStop = true;
            c.rect.x += 3;
            c.rect.w -= 5;
            c.rect.h = 100;
            for (const std::string& item : d.menu)
                c.items.push_back(localizeText(item));
            break;
        case kTypeList:
            c.kind = kKindList;
            break;
        case kTypeGroup:
            c.kind = kKindCheckBox;
            if (!c.text.empty())
                c.rect.y -= 4;
            break;
        case kTypeRadioGroup:
            c.kind = kKindRadioGroup;
            c.text.clear();
            c.rect.y -= 3;
            opensContainer = true;
            break;
        case kTypeTabs:
            c.kind = kKindTabs;
            c.text.clear();
            c.items = d.tabs; // tab labels are shown as written
            c.value = c.items.empty() ? 0 : 1;
            opensContainer = true;
            break;
        case kTypeUserPane:
            c.kind = kKindUserPane;
            c.text.clear();
            opensContainer = true;
            break;
        case kTypeProgress:
            c.kind = kKindProgress;
            break;
        case kTypeSeparator:
            c.kind = kKindSeparator;
            c.text.clear();
            c.rect.y -= 3;
            break;
        default:
            continue; // a kind the builder does not know creates nothing
        }
        DlgRect adjusted = c.rect;
        c.rect.x += originX;
        c.rect.y += originY;
        c.parent = parent;
        window->controls.push_back(c);
        int index = static_cast<int>(window->controls.size()) - 1;
        if (d.type == kTypeGroup) {
            groupOpen = true;
            originX = adjusted.x;
            originY = adjusted.y;
        } else if (opensContainer) {
            parent = index;
        }
    }
    adoptControls(window);
}

void placeWindow(DlgWindow* window, int screenWidth, int screenHeight)
{
    window->frame.x = (screenWidth - window->frame.w) / 2;
    window->frame.y = (screenHeight - window->frame.h) / 4;
}
