#include "subhost/win/winread.h"

#include <commctrl.h>

namespace subhost::win {
namespace {

constexpr std::uint32_t code(const char (&c)[5])
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c[3]));
}

BOOL CALLBACK collect(HWND h, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(h);
    return TRUE;
}

// The run-time kind and the described type of a native control; false for
// windows that are no control of their own (the field inside a combo box).
bool kindOf(HWND h, std::uint32_t& kind, std::uint32_t& type)
{
    const std::wstring cls = classOf(h);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (cls == L"Button") {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: kind = code("cbox"), type = code("cbox"); break;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: kind = code("cbox"), type = code("rdio"); break;
        case BS_GROUPBOX: kind = code("cbox"), type = code("grpb"); break;
        default: kind = code("push"), type = code("push"); break;
        }
    } else if (cls == L"Edit") {
        if (classOf(GetParent(h)) == L"ComboBox")
            return false;
        kind = code("eutx"), type = code("eutx");
    } else if (cls == L"Static") {
        kind = code("stxt"), type = code("stxt");
    } else if (cls == L"ComboBox") {
        bool list = (style & 0x3) == CBS_DROPDOWNLIST;
        kind = type = list ? code("popb") : code("comb");
    } else if (cls == L"ListBox") {
        kind = type = code("lbox");
    } else if (cls == WC_TABCONTROLW) {
        kind = type = code("tabs");
    } else if (cls == PROGRESS_CLASSW) {
        kind = type = code("prgb");
    } else if (cls == L"RadioGroup") {
        kind = code("radg"), type = code("rgrp");
    } else if (cls == L"UserPane") {
        kind = type = code("upan");
    } else if (cls == L"Separator") {
        kind = type = code("sepa");
    } else {
        return false;
    }
    return true;
}

// A UTF-16 position of `text` as a byte offset of its UTF-8 form.
int utf8Offset(const std::wstring& text, DWORD position)
{
    return static_cast<int>(narrow(text.substr(0, std::min<std::size_t>(position, text.size()))).size());
}

std::wstring itemText(HWND h, UINT lengthMessage, UINT textMessage, WPARAM i)
{
    LRESULT n = SendMessageW(h, lengthMessage, i, 0);
    if (n < 0)
        return std::wstring();
    std::wstring t(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(h, textMessage, i, reinterpret_cast<LPARAM>(&t[0]));
    t.resize(static_cast<std::size_t>(n));
    return t;
}

} // namespace

std::wstring wide(const std::string& s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
    return w;
}

std::string narrow(const std::wstring& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring textOf(HWND h)
{
    int n = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
    std::wstring t(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(h, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(&t[0]));
    t.resize(static_cast<std::size_t>(n));
    return t;
}

std::wstring classOf(HWND h)
{
    wchar_t name[128] = {};
    GetClassNameW(h, name, 128);
    return name;
}

bool ours(HWND h)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == GetCurrentProcessId();
}

std::vector<HWND> descendants(HWND root)
{
    std::vector<HWND> out;
    EnumChildWindows(root, collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND descendant(HWND root, int id)
{
    for (HWND h : descendants(root))
        if (GetDlgCtrlID(h) == id)
            return h;
    return nullptr;
}

void settle(HWND h, int ms)
{
    DWORD_PTR r = 0;
    if (h != nullptr)
        SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(ms), &r);
}

HWND focusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(window, nullptr);
    if (GetGUIThreadInfo(tid, &info))
        return info.hwndFocus;
    return nullptr;
}

std::vector<ControlView> readControls(HWND root)
{
    std::vector<ControlView> out;
    HWND focus = focusOf(root);
    for (HWND h : descendants(root)) {
        ControlView c;
        if (!kindOf(h, c.kind, c.type))
            continue;
        int id = GetDlgCtrlID(h);
        c.id = id <= 0 || id == 0xFFFF ? -1 : id;
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        c.enabled = IsWindowEnabled(h) != FALSE;
        c.visible = (style & WS_VISIBLE) != 0;
        c.focused = focus != nullptr && (focus == h || (GetParent(focus) == h && c.type == code("comb")));
        if (c.kind == code("push") && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            c.flags |= kViewDefault;
        const std::wstring text = textOf(h);
        c.text = narrow(text);
        if (c.kind == code("cbox") && c.type != code("grpb")) {
            c.value = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        } else if (c.kind == code("eutx")) {
            DWORD start = 0, end = 0;
            SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            c.selStart = utf8Offset(text, start);
            c.selLength = end > start ? utf8Offset(text, end) - c.selStart : 0;
        } else if (c.kind == code("popb") || c.kind == code("comb")) {
            LRESULT n = SendMessageW(h, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i)
                c.items.push_back(narrow(itemText(h, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(i))));
            LRESULT sel = SendMessageW(h, CB_GETCURSEL, 0, 0);
            c.value = sel == CB_ERR ? 0 : static_cast<int>(sel) + 1;
            if (c.kind == code("popb"))
                c.text = c.value > 0 ? c.items[static_cast<std::size_t>(c.value - 1)] : std::string();
        } else if (c.kind == code("lbox")) {
            LRESULT n = SendMessageW(h, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i)
                c.items.push_back(narrow(itemText(h, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i))));
            LRESULT sel = SendMessageW(h, LB_GETCURSEL, 0, 0);
            c.value = sel == LB_ERR ? 0 : static_cast<int>(sel) + 1;
        } else if (c.kind == code("tabs")) {
            LRESULT n = SendMessageW(h, TCM_GETITEMCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i) {
                wchar_t label[256] = {};
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = label;
                item.cchTextMax = 256;
                SendMessageW(h, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
                c.items.push_back(narrow(label));
            }
            c.value = static_cast<int>(SendMessageW(h, TCM_GETCURSEL, 0, 0)) + 1;
        }
        out.push_back(c);
    }
    return out;
}

} // namespace subhost::win
