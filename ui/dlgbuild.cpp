#include "ui/dlgbuild.h"

#include "util/mystrings.h"

#include <cstring>

namespace {

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
