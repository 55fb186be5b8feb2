// The plug-in's own windows on the real window system: the described dialogs
// built at the builder's rectangles, typed into and confirmed through their
// controls and keys; the message box; the options pane made from its dialog
// resource and driven through the pane callbacks; all at the screen's DPI
// (the tests run at 96, 144 and 192). After every modal window the host's
// window is enabled, active and has its focus again.
#include "win/windriver.h"

#include "subhost/win/winread.h"

#include "job/folantrarec.h"
#include "output/psname.h"
#include "postscript/metadata.h"
#include "ui/dlgbuild.h"
#include "ui/msgbox.h"
#include "ui/optionspane.h"
#include "ui/panetable.h"
#include "ui/win/windpi.h"
#include "ui/win/winhandles.h"
#include "ui/win/winpane.h"
#include "ui/win/wintoolkit.h"
#include "util/mystrings.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

using namespace windriver;
using wintk::scaled;

namespace {

// The DPI the screen of this run has (the prefix's LogPixels).
UINT screenDpi() { return wintk::dpiOf(nullptr); }

std::wstring W(const char* utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
    return w;
}

class WinUi : public ::testing::Test {
protected:
    void SetUp() override { language(2); }
    void TearDown() override { language(2); }
    static void language(int16_t code)
    {
        setupLanguage(code);
        setupMyStrings();
    }
};

// The builder's rectangles of a description (laid out at 96 DPI), at a DPI,
// in the client area of the window: each position and size scaled on its own.
struct Expected {
    std::uint32_t kind;
    RECT rect;
    std::string text;
    bool isDefault;
};
std::multimap<int, Expected> builderRects(const char* name, UINT dpi)
{
    WinDesc desc;
    EXPECT_TRUE(loadWinDesc(name, &desc));
    DlgWindow w;
    buildWindow(desc, wintk::frameInsets(), &w);
    std::multimap<int, Expected> out;
    for (const DlgControl& c : w.controls) {
        if (c.kind == kKindUserPane)
            continue;
        int x = scaled(c.rect.x, dpi), y = scaled(c.rect.y, dpi);
        for (int p = c.parent; p >= 0; p = w.controls[static_cast<std::size_t>(p)].parent) {
            x += scaled(w.controls[static_cast<std::size_t>(p)].rect.x, dpi);
            y += scaled(w.controls[static_cast<std::size_t>(p)].rect.y, dpi);
        }
        RECT r{x, y, x + scaled(c.rect.w, dpi), y + scaled(c.rect.h, dpi)};
        out.insert({c.id, Expected{c.kind, r, c.text, c.isDefault}});
    }
    return out;
}

// Every control of `rects` is at one of the builder's rectangles of its id.
void expectBuilderRects(const std::vector<std::pair<int, RECT>>& rects, const std::multimap<int, Expected>& expected)
{
    ASSERT_EQ(rects.size(), expected.size());
    for (const auto& [id, rect] : rects) {
        bool match = false;
        for (auto [it, end] = expected.equal_range(id); it != end; ++it)
            match = match || EqualRect(&rect, &it->second.rect);
        EXPECT_TRUE(match) << "control " << id << " at " << rect.left << "," << rect.top << " " << rect.right - rect.left
                           << "x" << rect.bottom - rect.top;
    }
}

struct Seen {
    bool found = false;
    UINT dpi = 0;
    RECT client{};
    std::wstring title;
    std::vector<std::pair<int, RECT>> rects;
    std::vector<std::pair<int, std::wstring>> classes;
    std::vector<std::pair<int, std::wstring>> texts;
    std::wstring face;
    int fontHeight = 0;
    LONG okStyle = 0;
    std::vector<std::wstring> clipped; // texts wider than their control
};

Seen look(HWND dialog)
{
    Seen s;
    s.found = true;
    s.dpi = wintk::dpiOf(dialog);
    GetClientRect(dialog, &s.client);
    s.title = text(dialog);
    for (HWND h : descendants(dialog)) {
        int id = GetDlgCtrlID(h);
        if (className(h) == L"UserPane")
            continue;
        s.rects.push_back({id, rectIn(dialog, h)});
        s.classes.push_back({id, className(h)});
        s.texts.push_back({id, text(h)});
        if (id == 1) {
            s.okStyle = GetWindowLongW(h, GWL_STYLE);
            s.face = fontFace(h, &s.fontHeight);
        }
        std::wstring cls = className(h);
        int margin = cls == L"Button" ? 8 : 0;
        if ((cls == L"Button" || cls == L"Static") && !text(h).empty() && textWidth(h) > clientWidth(h) - margin)
            s.clipped.push_back(text(h));
    }
    return s;
}

TEST_F(WinUi, TheScreenHasTheDpiOfThisRun)
{
    const char* expected = std::getenv("FOLANTRA_EXPECT_DPI");
    if (expected == nullptr)
        GTEST_SKIP() << "FOLANTRA_EXPECT_DPI is not set";
    EXPECT_EQ(screenDpi(), static_cast<UINT>(std::atoi(expected)));
}

TEST_F(WinUi, MetaDataDialogIsBuiltAtTheBuilderRectanglesAndKeepsWhatIsTyped)
{
    MetaData meta{};
    std::strcpy(meta.title, "Old title");
    Seen seen;
    int r = run([&] { return getMetaData(&meta) ? 1 : 0; },
                [&] {
                    HWND d = waitForDialog(L"Folantra", 5);
                    if (d == nullptr)
                        return;
                    seen = look(d);
                    type(descendant(d, 3), W("Frühjahr – Grüße"));
                    type(descendant(d, 4), L"J\u00fcrgen");
                    type(descendant(d, 5), L"print, proof");
                    click(descendant(d, 1));
                    waitGone(d);
                });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(seen.title, L"Folantra");
    // The dialog follows the screen's DPI; at 96 DPI it is the description's pixels.
    const UINT dpi = seen.dpi;
    EXPECT_EQ(dpi, screenDpi());
    EXPECT_EQ(seen.client.right, scaled(477, dpi));
    EXPECT_EQ(seen.client.bottom, scaled(168, dpi));
    expectBuilderRects(seen.rects, builderRects("MetaData", dpi));
    // OK at 356,127 sized 100 x 24, the default button; edits 19 high.
    for (const auto& [id, rect] : seen.rects) {
        if (id == 1) {
            EXPECT_EQ(rect.left, scaled(356, dpi));
            EXPECT_EQ(rect.top, scaled(127, dpi));
            EXPECT_EQ(rect.bottom - rect.top, scaled(24, dpi));
        }
        if (id >= 3 && id <= 5) {
            EXPECT_EQ(rect.bottom - rect.top, scaled(19, dpi));
        }
    }
    EXPECT_EQ(seen.okStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(seen.face, L"MS Shell Dlg");
    EXPECT_EQ(seen.fontHeight, -scaled(12, dpi));
    std::map<int, std::wstring> classOf(seen.classes.begin(), seen.classes.end());
    EXPECT_EQ(classOf[3], L"Edit");
    EXPECT_EQ(classOf[1], L"Button");
    int labels = 0;
    for (const auto& [id, t] : seen.texts)
        if (id == 0 && (t == L"Title:" || t == L"Author:" || t == L"Keywords:"))
            ++labels;
    EXPECT_EQ(labels, 3);
    EXPECT_TRUE(seen.clipped.empty());
    EXPECT_STREQ(meta.title, "Frühjahr – Grüße");
    EXPECT_STREQ(meta.author, "Jürgen");
    EXPECT_STREQ(meta.keywords, "print, proof");
}

TEST_F(WinUi, CancelAndEscapeLeaveTheMetaDataAsTheyWere)
{
    MetaData meta{};
    std::strcpy(meta.author, "Kept");
    int r = run([&] { return getMetaData(&meta) ? 1 : 0; },
                [&] {
                    HWND d = waitForDialog(L"Folantra", 4);
                    if (d == nullptr)
                        return;
                    type(descendant(d, 4), L"Changed");
                    click(descendant(d, 2));
                    waitGone(d);
                });
    EXPECT_EQ(r, 0);
    EXPECT_STREQ(meta.author, "Kept");
    r = run([&] { return getMetaData(&meta) ? 1 : 0; },
            [&] {
                HWND d = waitForDialog(L"Folantra", 4);
                if (d == nullptr)
                    return;
                type(descendant(d, 4), L"Changed again");
                key(descendant(d, 4), VK_ESCAPE);
                waitGone(d);
            });
    EXPECT_EQ(r, 0);
    EXPECT_STREQ(meta.author, "Kept");
}

TEST_F(WinUi, ReturnInTheFileNameFieldConfirmsWithTheNamePartSelected)
{
    char name[256] = "report.final.ps";
    DWORD from = 0, to = 0;
    std::wstring label;
    Seen seen;
    int r = run([&] { return getPSName("C:\\out", name); },
                [&] {
                    HWND d = waitForDialog(L"Folantra", 4);
                    if (d == nullptr)
                        return;
                    seen = look(d);
                    HWND field = descendant(d, 4);
                    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
                    for (HWND h : descendants(d))
                        if (GetDlgCtrlID(h) == 0 && className(h) == L"Static" && !text(h).empty())
                            label = text(h);
                    type(field, L"proof.ps");
                    key(field, VK_RETURN);
                    waitGone(d);
                });
    EXPECT_EQ(r, 1);
    ASSERT_TRUE(seen.found);
    const UINT dpi = seen.dpi;
    EXPECT_EQ(seen.client.right, scaled(477, dpi));
    EXPECT_EQ(seen.client.bottom, scaled(144, dpi));
    expectBuilderRects(seen.rects, builderRects("PSName", dpi));
    for (const auto& [id, rect] : seen.rects)
        if (id == 1) {
            EXPECT_EQ(rect.left, scaled(357, dpi));
            EXPECT_EQ(rect.top, scaled(104, dpi));
        }
    EXPECT_EQ(seen.fontHeight, -scaled(12, dpi));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 12u); // "report.final"
    EXPECT_EQ(label, L"Postscript filename:");
    EXPECT_STREQ(name, "proof.ps");
}

TEST_F(WinUi, KeysInButtonsAreTheDialogsTabReturnAndEscape)
{
    MetaData meta{};
    HWND focusAfterTab = nullptr, field = nullptr;
    int r = run([&] { return getMetaData(&meta) ? 1 : 0; },
                [&] {
                    HWND d = waitForDialog(L"Folantra", 5);
                    if (d == nullptr)
                        return;
                    HWND cancel = descendant(d, 2);
                    field = descendant(d, 3);
                    SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
                    key(cancel, VK_TAB); // buttons are not in the tab order: the first field is next
                    GUITHREADINFO info{};
                    info.cbSize = sizeof info;
                    GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &info);
                    focusAfterTab = info.hwndFocus;
                    type(field, L"By keys");
                    SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
                    key(cancel, VK_RETURN); // Return is OK, even on the Cancel button
                    waitGone(d);
                });
    EXPECT_EQ(focusAfterTab, field);
    EXPECT_EQ(r, 1);
    EXPECT_STREQ(meta.title, "By keys");
    r = run([&] { return getMetaData(&meta) ? 1 : 0; },
            [&] {
                HWND d = waitForDialog(L"Folantra", 5);
                if (d == nullptr)
                    return;
                type(descendant(d, 3), L"Not kept");
                HWND ok = descendant(d, 1);
                SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
                key(ok, VK_ESCAPE);
                waitGone(d);
            });
    EXPECT_EQ(r, 0);
    EXPECT_STREQ(meta.title, "By keys");
}

TEST_F(WinUi, GermanLabelsFitTheirControls)
{
    language(3);
    MetaData meta{};
    Seen seen;
    run([&] { return getMetaData(&meta) ? 1 : 0; },
        [&] {
            HWND d = waitForDialog(L"Folantra", 5);
            if (d == nullptr)
                return;
            seen = look(d);
            click(descendant(d, 2));
            waitGone(d);
        });
    ASSERT_TRUE(seen.found);
    std::map<std::wstring, int> shown;
    for (const auto& [id, t] : seen.texts)
        shown[t] = id;
    EXPECT_TRUE(shown.count(L"Titel:"));
    EXPECT_TRUE(shown.count(W("Schlüsselwörter:")));
    EXPECT_TRUE(shown.count(L"Abbrechen"));
    EXPECT_TRUE(seen.clipped.empty());
}

TEST_F(WinUi, MessageBoxShowsTheSecondaryTextOnceAndAnswersHowItWasClosed)
{
    std::wstring first, second;
    bool cancelHidden = false;
    RECT textRect{}, okRect{};
    UINT dpi = 0;
    int fontHeight = 0;
    int closed = run(
        [&] {
            setMsg2("%s", "C:\\gone\\folder");
            return msgBox("invalidFolder");
        },
        [&] {
            HWND d = waitForDialog(L"Folantra", 10);
            if (d == nullptr)
                return;
            first = text(descendant(d, 10));
            dpi = wintk::dpiOf(d);
            fontFace(descendant(d, 10), &fontHeight);
            cancelHidden = !IsWindowVisible(descendant(d, 2));
            textRect = rectIn(d, descendant(d, 10));
            okRect = rectIn(d, descendant(d, 1));
            PostMessageW(d, WM_CLOSE, 0, 0);
            waitGone(d);
        });
    int ok = run([&] { return msgBox("invalidFolder"); },
                 [&] {
                     HWND d = waitForDialog(L"Folantra", 10);
                     if (d == nullptr)
                         return;
                     second = text(descendant(d, 10));
                     click(descendant(d, 1));
                     waitGone(d);
                 });
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(ok, 1);
    const std::wstring warning = L"Invalid folder for saving the PS-file, the desktop will be used instead.";
    EXPECT_EQ(first, warning + L"\r\rC:\\gone\\folder");
    EXPECT_EQ(second, warning);
    EXPECT_TRUE(cancelHidden);
    // The box grew for the long text; OK stays below it. The template's
    // 8 point font and its 50 x 14 dialog-unit buttons follow the DPI.
    EXPECT_EQ(dpi, screenDpi());
    EXPECT_EQ(fontHeight, -MulDiv(8, static_cast<int>(dpi), 72));
    EXPECT_GT(textRect.bottom - textRect.top, scaled(13, dpi));
    EXPECT_GE(okRect.top, textRect.bottom);
    EXPECT_GE(okRect.bottom - okRect.top, scaled(20, dpi));
}

// A host dialog of the test's own that embeds the pane as a host does: from
// the dialog resource the plug-in names, every click handed to the pane
// callback.
struct TestHost {
    HWND dialog = nullptr;
    HWND pane = nullptr;
    int32_t lastAnswer = -1;
};
TestHost* sTestHost = nullptr;

int32_t paneMessage(uint32_t message, int32_t control = 0)
{
    xtpanemsgrec m{};
    m.hdr.code = 1;
    m.hdr.size = sizeof m;
    m.message = message;
    m.control = control;
    m.pane = sTestHost != nullptr ? sTestHost->pane : nullptr;
    wintk::printPaneProc(&m.hdr);
    if (message == XT_PANE_RESOURCE)
        return m.resource;
    return m.answer;
}

INT_PTR CALLBACK testPaneProc(HWND, UINT message, WPARAM wp, LPARAM)
{
    if (message == WM_COMMAND && HIWORD(wp) == BN_CLICKED && sTestHost != nullptr)
        sTestHost->lastAnswer = paneMessage(XT_PANE_CONTROL, LOWORD(wp));
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(WinUi, PaneFromItsResourceFollowsTheEnablingRuleAndReadsCommaAsPoint)
{
    TestHost host;
    sTestHost = &host;
    host.dialog = CreateWindowExW(0, L"#32770", L"Print", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 560, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host.dialog, nullptr);
    createPane(0, 0);
    FolantraRec* rec = getDocRec();
    rec->flags[kFlagPrintToFile] = 0;
    rec->flags[kFlagScale] = 1;
    rec->scaleX = 0.5f;
    int resource = paneMessage(XT_PANE_RESOURCE);
    EXPECT_EQ(resource, kPaneDialogResource);
    host.pane = CreateDialogParamW(wintk::ownModule(), MAKEINTRESOURCEW(resource), host.dialog, testPaneProc, 0);
    ASSERT_NE(host.pane, nullptr);
    EXPECT_EQ(paneMessage(XT_PANE_SETUP), 1);
    setPaneControls(rec);
    wintk::update(*currentPane());
    // Every control where the table puts it, converted from dialog units as
    // the dialog manager does (position and size separately).
    for (const OptionRow& row : kOptions) {
        if (row.kind == PaneKind::None)
            continue;
        HWND c = GetDlgItem(host.pane, row.paneId);
        ASSERT_NE(c, nullptr) << row.paneId;
        RECT at{row.rect.x, row.rect.y, row.rect.x, row.rect.y}, size{0, 0, row.rect.w, row.rect.h};
        MapDialogRect(host.pane, &at);
        MapDialogRect(host.pane, &size);
        RECT r = rectIn(host.pane, c);
        EXPECT_EQ(r.left, at.left) << row.paneId;
        EXPECT_EQ(r.top, at.top) << row.paneId;
        EXPECT_EQ(r.right - r.left, size.right) << row.paneId;
        EXPECT_EQ(r.bottom - r.top, size.bottom) << row.paneId;
    }
    // Labels are the string table's; the fields show percentages.
    EXPECT_EQ(text(GetDlgItem(host.pane, flagControl(kFlagPrintToFile))), L"Print to file");
    EXPECT_EQ(text(GetDlgItem(host.pane, kPaneScaleX)), L"50.00");
    // A click on check box 3 reaches the pane as message 2 and is handled.
    SendMessageW(GetDlgItem(host.pane, flagControl(kFlagPrintToFile)), BM_CLICK, 0, 0);
    EXPECT_EQ(host.lastAnswer, 1);
    EXPECT_TRUE(getControl(currentPane(), flagControl(kFlagDistill))->enabled);
    SendMessageW(GetDlgItem(host.pane, flagControl(kFlagTrimBox)), BM_CLICK, 0, 0);
    EXPECT_EQ(host.lastAnswer, 0);
    SendMessageW(GetDlgItem(host.pane, kPaneScaleY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"75,5"));
    paneMessage(XT_PANE_CONFIRMED);
    EXPECT_EQ(currentPane(), nullptr);
    EXPECT_EQ(getSysRec()->flags[kFlagPrintToFile], 1);
    EXPECT_NEAR(getSysRec()->scaleY, 0.755f, 1e-6);
    EXPECT_NEAR(getSysRec()->scaleX, 0.5f, 1e-6);
    DestroyWindow(host.dialog);
    sTestHost = nullptr;
}

// The German labels are longer: a check box grows to the right for its label,
// measured in the pane's DPI, up to the next control of its row.
TEST_F(WinUi, GermanPaneLabelsFitTheirCheckBoxesAtTheScreensDpi)
{
    language(3);
    TestHost host;
    sTestHost = &host;
    host.dialog = CreateWindowExW(0, L"#32770", L"Drucken", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10,
                                  scaled(560, screenDpi()), scaled(300, screenDpi()), nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(host.dialog, nullptr);
    createPane(0, 0);
    host.pane = CreateDialogParamW(wintk::ownModule(), MAKEINTRESOURCEW(kPaneDialogResource), host.dialog,
                                   testPaneProc, 0);
    ASSERT_NE(host.pane, nullptr);
    paneMessage(XT_PANE_SETUP);
    paneMessage(XT_PANE_LOAD);
    const UINT dpi = wintk::dpiOf(host.pane);
    EXPECT_EQ(dpi, screenDpi());
    EXPECT_EQ(text(GetDlgItem(host.pane, flagControl(kFlagScale))), L"Asymmetrisch skalieren:");
    for (int id = flagControl(kFlagTrimBox); id <= flagControl(kFlagScale); ++id) {
        HWND box = GetDlgItem(host.pane, id);
        EXPECT_LE(textWidth(box) + wintk::metricFor(SM_CXMENUCHECK, dpi), clientWidth(box)) << id;
    }
    RECT scale = rectIn(host.pane, GetDlgItem(host.pane, flagControl(kFlagScale)));
    RECT xLabel = rectIn(host.pane, GetDlgItem(host.pane, kPaneXLabel));
    EXPECT_LE(scale.right, xLabel.left);
    paneMessage(XT_PANE_FORGET);
    DestroyWindow(host.dialog);
    sTestHost = nullptr;
}

// Every described kind becomes its native control with the object's state,
// and what the user does to it comes back into the object.
TEST_F(WinUi, EachKindRoundTripsThroughItsNativeControl)
{
    const char* xml =
        "<window><name>Kinds</name><rect>0 0 400 300</rect>"
        "<control><type>popb</type><id>20</id><rect>10 10 150 20</rect><text>two</text>"
        "<menu>one</menu><menu>two</menu><menu>three</menu></control>"
        "<control><type>comb</type><id>21</id><rect>10 40 150 20</rect><text>typed</text>"
        "<menu>alpha</menu><menu>beta</menu></control>"
        "<control><type>rgrp</type><id>22</id><rect>10 70 150 60</rect></control>"
        "<control><type>rdio</type><id>23</id><rect>0 0 100 20</rect><text>first</text></control>"
        "<control><type>rdio</type><id>24</id><rect>0 25 100 20</rect><text>second</text></control>"
        "<control><type>####</type></control>"
        "<control><type>lbox</type><id>25</id><rect>200 10 150 80</rect></control>"
        "<control><type>prgb</type><id>26</id><rect>200 100 150 16</rect></control>"
        "<control><type>cbox</type><id>27</id><rect>10 140 150 20</rect><text>check</text></control>"
        "<control><type>tabs</type><id>29</id><rect>200 130 180 60</rect><text1>A</text1><text2>B</text2></control>"
        "<control><type>####</type></control>"
        "<control><type>grpb</type><id>30</id><rect>10 200 150 50</rect><text>group</text></control>"
        "<control><type>stxt</type><id>31</id><rect>10 20 100 16</rect><text>in group</text></control>"
        "<control><type>####</type></control>"
        "<control><type>push</type><id>1</id><rect>290 260 100 20</rect><text>ok</text></control>"
        "<control><type>####</type></control></window>";
    WinDesc desc;
    readWinDesc(xml, &desc);
    DlgWindow w;
    buildWindow(desc, wintk::frameInsets(), &w);
    w.window = newWindowId();
    placeWindow(&w, 1280, 800);
    const std::vector<DlgControl> built = w.controls;
    std::vector<subhost::ControlView> seen;
    std::map<int, std::wstring> classes;
    int popupSel = -1, tabCount = 0;
    std::wstring comboText;
    RECT inGroup{};
    int itemHeight = 0, fontHeight = 0;
    UINT dpi = 0;
    int r = run([&] { return wintk::runModal(w); },
                [&] {
                    HWND d = waitForDialog(L"Kinds", 1);
                    if (d == nullptr)
                        return;
                    seen = subhost::win::readControls(d);
                    for (int id : {20, 21, 22, 23, 24, 25, 26, 27, 29, 30, 31})
                        classes[id] = className(descendant(d, id));
                    HWND popup = descendant(d, 20);
                    popupSel = static_cast<int>(SendMessageW(popup, CB_GETCURSEL, 0, 0));
                    comboText = text(descendant(d, 21));
                    tabCount = static_cast<int>(SendMessageW(descendant(d, 29), TCM_GETITEMCOUNT, 0, 0));
                    inGroup = rectIn(d, descendant(d, 31));
                    dpi = wintk::dpiOf(d);
                    itemHeight = static_cast<int>(SendMessageW(descendant(d, 25), LB_GETITEMHEIGHT, 0, 0));
                    fontFace(descendant(d, 31), &fontHeight);
                    SendMessageW(popup, CB_SETCURSEL, 2, 0);
                    PostMessageW(GetParent(popup), WM_COMMAND, MAKEWPARAM(20, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(popup));
                    click(descendant(d, 24));
                    click(descendant(d, 27));
                    HWND tabs = descendant(d, 29);
                    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
                    NMHDR n{tabs, 29, static_cast<UINT>(TCN_SELCHANGE)};
                    SendMessageW(GetParent(tabs), WM_NOTIFY, 29, reinterpret_cast<LPARAM>(&n));
                    click(descendant(d, 1));
                    waitGone(d);
                });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(classes[20], L"ComboBox");
    EXPECT_EQ(classes[21], L"ComboBox");
    EXPECT_EQ(classes[22], L"RadioGroup");
    EXPECT_EQ(classes[23], L"Button");
    EXPECT_EQ(classes[25], L"ListBox");
    EXPECT_EQ(classes[26], L"msctls_progress32");
    EXPECT_EQ(classes[29], L"SysTabControl32");
    EXPECT_EQ(classes[30], L"Button");
    EXPECT_EQ(popupSel, 1);
    EXPECT_EQ(comboText, L"typed");
    EXPECT_EQ(tabCount, 2);
    // A control after a group box is placed relative to the box; list items
    // and the font follow the DPI.
    EXPECT_EQ(inGroup.left, scaled(20, dpi));
    EXPECT_EQ(inGroup.top, scaled(200 - 4 + 20, dpi));
    EXPECT_EQ(itemHeight, scaled(16, dpi));
    EXPECT_EQ(fontHeight, -scaled(12, dpi));
    EXPECT_EQ(getControlValue(getControl(&w, 20)), 3);
    EXPECT_EQ(getControlValue(getControl(&w, 22)), 2);
    EXPECT_EQ(getControlValue(getControl(&w, 27)), 1);
    EXPECT_EQ(getControlValue(getControl(&w, 29)), 2);
    // The Windows host's scripted user reads each native control back as the
    // kind, items and state the runtime built it with.
    for (const DlgControl& c : built) {
        if (c.id <= 0)
            continue;
        auto v = std::find_if(seen.begin(), seen.end(), [&](const subhost::ControlView& s) { return s.id == c.id; });
        ASSERT_NE(v, seen.end()) << c.id;
        EXPECT_EQ(v->kind, c.kind) << c.id;
        EXPECT_EQ(v->type, c.type) << c.id;
        EXPECT_EQ(v->items, c.items) << c.id;
        if (c.kind == kKindPopup || c.type == fourCC("cbox") || c.type == fourCC("rdio") || c.kind == kKindList ||
            c.kind == kKindTabs) {
            EXPECT_EQ(v->value, c.value) << c.id;
        }
        if (c.kind == kKindCombo || c.kind == kKindPush || c.kind == kKindStatic) {
            EXPECT_EQ(v->text, c.text) << c.id;
        }
    }
}

TEST_F(WinUi, ADialogWithoutDescriptionIsAnEmptyWindowWithItsName)
{
    std::wstring title;
    int r = run([&] { return doModalDialog("NoSuchDialog", nullptr, nullptr); },
                [&] {
                    HWND d = waitForDialog(L"NoSuchDialog", 0);
                    if (d == nullptr)
                        return;
                    title = text(d);
                    PostMessageW(d, WM_CLOSE, 0, 0);
                    waitGone(d);
                });
    EXPECT_EQ(title, L"NoSuchDialog");
    EXPECT_EQ(r, 2);
}

TEST_F(WinUi, WindowClassesComeAtStartAndGoAtQuit)
{
    wintk::registerClasses();
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    EXPECT_TRUE(GetClassInfoExW(wintk::ownModule(), L"Separator", &c));
    wintk::unregisterClasses();
    EXPECT_FALSE(GetClassInfoExW(wintk::ownModule(), L"Separator", &c));
    wintk::registerClasses();
}

} // namespace

namespace {

// A host of the test's own: its main window and, for some cases, a window of
// the host in front of it (a print dialog), each with a field. Closing them
// does nothing, so a driver that closes the plug-in's dialogs leaves them.
LRESULT CALLBACK testHostProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp)
{
    return message == WM_CLOSE ? 0 : DefWindowProcW(hwnd, message, wp, lp);
}

struct HostWindow {
    HWND window = nullptr;
    HWND field = nullptr;
};

HostWindow makeHostWindow(const wchar_t* title, HWND owner)
{
    WNDCLASSW c{};
    c.lpfnWndProc = testHostProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"FolantraTestHost";
    RegisterClassW(&c);
    HostWindow h;
    h.window = CreateWindowExW(0, L"FolantraTestHost", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 200, owner,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    h.field = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"host text", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 200,
                              24, h.window, nullptr, GetModuleHandleW(nullptr), nullptr);
    return h;
}

// Whether the host's main window was enabled when the plug-in's modal window
// was destroyed: -1 when none was.
HWND sWatchedMain = nullptr;
int sEnabledAtDestroy = -1;

LRESULT CALLBACK destroyHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_DESTROYWND && sEnabledAtDestroy < 0 && className(reinterpret_cast<HWND>(wp)) == L"#32770")
        sEnabledAtDestroy = IsWindowEnabled(sWatchedMain) ? 1 : 0;
    return CallNextHookEx(nullptr, code, wp, lp);
}

struct AfterModal {
    int enabledAtDestroy = -1;
    bool mainEnabled = false;
    bool frontEnabled = false;
    bool active = false;
    bool foreground = false;
    bool focusBack = false;
};

// Runs one modal window of the plug-in in front of `front` (the host's main
// window or a window of the host before it) and reads the host's windows
// once it has gone.
AfterModal acrossModal(HWND main, const HostWindow& front, const std::function<int()>& modal,
                       const std::wstring& title, int childId, int endWith)
{
    SetForegroundWindow(front.window);
    SetActiveWindow(front.window);
    SetFocus(front.field);
    sWatchedMain = main;
    sEnabledAtDestroy = -1;
    HHOOK hook = SetWindowsHookExW(WH_CBT, destroyHook, nullptr, GetCurrentThreadId());
    run(modal, [&] {
        HWND d = waitForDialog(title, childId);
        if (d == nullptr)
            return;
        if (endWith == 0)
            PostMessageW(d, WM_CLOSE, 0, 0);
        else
            click(descendant(d, endWith));
        waitGone(d);
    });
    UnhookWindowsHookEx(hook);
    AfterModal a;
    a.enabledAtDestroy = sEnabledAtDestroy;
    a.mainEnabled = IsWindowEnabled(main) != FALSE;
    a.frontEnabled = IsWindowEnabled(front.window) != FALSE;
    a.active = GetActiveWindow() == front.window;
    a.foreground = GetForegroundWindow() == front.window;
    a.focusBack = GetFocus() == front.field;
    return a;
}

struct ModalCase {
    const char* name;
    std::function<int()> modal;
    std::wstring title;
    int childId;
    int endWith; // the button that ends it, 0 for the close box
};

std::vector<ModalCase> modalCases()
{
    static MetaData meta{};
    static char name[256] = "job.ps";
    return {
        {"metadata dialog", [] { return getMetaData(&meta) ? 1 : 0; }, L"Folantra", 5, 2},
        {"file-name dialog", [] { return getPSName("C:\\out", name); }, L"Folantra", 4, 1},
        {"undescribed dialog", [] { return doModalDialog("NoSuchDialog", nullptr, nullptr); }, L"NoSuchDialog", 0, 0},
        {"message box", [] { return msgBox("invalidFolder"); }, L"Folantra", 10, 1},
    };
}

TEST_F(WinUi, AfterEachDialogAndMessageBoxTheHostsWindowIsEnabledAndActiveWithItsFocus)
{
    HostWindow main = makeHostWindow(L"Host main window", nullptr);
    ASSERT_NE(main.window, nullptr);
    wintk::setHostMainWindow(main.window);
    // Straight from the main window (a message box when a document opens),
    // and from a window of the host in front of its enabled main window: the
    // main window is enabled again before the modal window goes, else
    // Windows activates another program's window.
    HostWindow palette = makeHostWindow(L"Host palette", main.window);
    for (const HostWindow* front : {&main, &palette})
        for (const ModalCase& c : modalCases()) {
            AfterModal a = acrossModal(main.window, *front, c.modal, c.title, c.childId, c.endWith);
            EXPECT_EQ(a.enabledAtDestroy, 1) << c.name;
            EXPECT_TRUE(a.mainEnabled) << c.name;
            EXPECT_TRUE(a.frontEnabled) << c.name;
            EXPECT_TRUE(a.active) << c.name;
            EXPECT_TRUE(a.foreground) << c.name;
            EXPECT_TRUE(a.focusBack) << c.name;
        }
    // From the host's modal print dialog: its main window was disabled before
    // and stays so; the print dialog is enabled and active again.
    EnableWindow(main.window, FALSE);
    for (const ModalCase& c : modalCases()) {
        AfterModal a = acrossModal(main.window, palette, c.modal, c.title, c.childId, c.endWith);
        EXPECT_FALSE(a.mainEnabled) << c.name;
        EXPECT_TRUE(a.frontEnabled) << c.name;
        EXPECT_TRUE(a.active) << c.name;
        EXPECT_TRUE(a.focusBack) << c.name;
    }
    wintk::setHostMainWindow(nullptr);
    DestroyWindow(palette.window);
    DestroyWindow(main.window);
}

// A dialog moved to a screen of another DPI: Windows sends WM_DPICHANGED
// with the new DPI and a suggested rectangle (sent here by the test, since
// one screen's DPI is fixed).
using wintk::kDpiChanged;

TEST_F(WinUi, ADialogMovedToAScreenOfAnotherDpiTakesTheSuggestedRectangleAndRelaysItsControls)
{
    const UINT to = screenDpi() == 144 ? 192 : 144;
    MetaData meta{};
    Seen after;
    RECT suggested{}, now{};
    run([&] { return getMetaData(&meta) ? 1 : 0; },
        [&] {
            HWND d = waitForDialog(L"Folantra", 5);
            if (d == nullptr)
                return;
            UINT from = wintk::dpiOf(d);
            RECT w{};
            GetWindowRect(d, &w);
            suggested = RECT{w.left + 10, w.top + 10, w.left + 10 + MulDiv(w.right - w.left, to, from),
                             w.top + 10 + MulDiv(w.bottom - w.top, to, from)};
            SendMessageW(d, kDpiChanged, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(d, &now);
            after = look(d);
            click(descendant(d, 2));
            waitGone(d);
        });
    ASSERT_TRUE(after.found);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    expectBuilderRects(after.rects, builderRects("MetaData", to));
    EXPECT_EQ(after.fontHeight, -scaled(12, to));
    EXPECT_TRUE(after.clipped.empty());

    RECT okBefore{}, okAfter{}, boxAfter{};
    int fontAfter = 0;
    UINT from = 0;
    run([&] { return msgBox("invalidFolder"); },
        [&] {
            HWND d = waitForDialog(L"Folantra", 10);
            if (d == nullptr)
                return;
            from = wintk::dpiOf(d);
            okBefore = rectIn(d, descendant(d, 1));
            RECT w{};
            GetWindowRect(d, &w);
            suggested = RECT{w.left, w.top, w.left + MulDiv(w.right - w.left, to, from),
                             w.top + MulDiv(w.bottom - w.top, to, from)};
            SendMessageW(d, kDpiChanged, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(d, &boxAfter);
            okAfter = rectIn(d, descendant(d, 1));
            fontFace(descendant(d, 10), &fontAfter);
            click(descendant(d, 1));
            waitGone(d);
        });
    ASSERT_NE(from, 0u);
    EXPECT_TRUE(EqualRect(&boxAfter, &suggested));
    EXPECT_EQ(okAfter.left, MulDiv(okBefore.left, to, from));
    EXPECT_EQ(okAfter.top, MulDiv(okBefore.top, to, from));
    EXPECT_EQ(okAfter.right - okAfter.left, MulDiv(okBefore.right - okBefore.left, to, from));
    EXPECT_EQ(fontAfter, -MulDiv(8, static_cast<int>(to), 72));
}

// The thread's DPI awareness calls of Windows 10, looked up as the plug-in does.
struct ThreadDpi {
    HANDLE(WINAPI* set)(HANDLE) = nullptr;
    HANDLE(WINAPI* get)() = nullptr;
    HANDLE(WINAPI* ofWindow)(HWND) = nullptr;
    int(WINAPI* awareness)(HANDLE) = nullptr;
    ThreadDpi()
    {
        HMODULE user = GetModuleHandleW(L"user32.dll");
        set = reinterpret_cast<decltype(set)>(reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
        get = reinterpret_cast<decltype(get)>(reinterpret_cast<void*>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
        ofWindow = reinterpret_cast<decltype(ofWindow)>(
            reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
        awareness = reinterpret_cast<decltype(awareness)>(
            reinterpret_cast<void*>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    }
    bool usable() const { return set != nullptr && get != nullptr && ofWindow != nullptr && awareness != nullptr; }
};

TEST_F(WinUi, ADialogForAnUnawareHostWindowIsUnawareToAndTheThreadKeepsItsOwnAwareness)
{
    ThreadDpi t;
    if (!t.usable())
        GTEST_SKIP() << "no per-thread DPI awareness here";
    const HANDLE kUnaware = reinterpret_cast<HANDLE>(-1);
    // The host made its main window DPI-unaware (Windows stretches it).
    HANDLE own = t.set(kUnaware);
    HostWindow main = makeHostWindow(L"Unaware host", nullptr);
    t.set(own);
    ASSERT_NE(main.window, nullptr);
    const int threadBefore = t.awareness(t.get());
    ASSERT_EQ(t.awareness(t.ofWindow(main.window)), 0);
    wintk::setHostMainWindow(main.window);
    SetForegroundWindow(main.window);
    SetFocus(main.field);
    MetaData meta{};
    int dialogAwareness = -1, fontHeight = 0;
    UINT dialogDpi = 0;
    RECT client{};
    run([&] { return getMetaData(&meta) ? 1 : 0; },
        [&] {
            HWND d = waitForDialog(L"Folantra", 5);
            if (d == nullptr)
                return;
            dialogAwareness = t.awareness(t.ofWindow(d));
            dialogDpi = wintk::dpiOf(d);
            fontFace(descendant(d, 3), &fontHeight);
            // Read in the dialog's own coordinates.
            HANDLE mine = t.set(t.ofWindow(d));
            GetClientRect(d, &client);
            t.set(mine);
            click(descendant(d, 2));
            waitGone(d);
        });
    wintk::setHostMainWindow(nullptr);
    EXPECT_EQ(dialogAwareness, 0);
    EXPECT_EQ(dialogDpi, wintk::kLayoutDpi);
    EXPECT_EQ(fontHeight, -12);
    EXPECT_EQ(client.right, 477);
    EXPECT_EQ(t.awareness(t.get()), threadBefore);
    DestroyWindow(main.window);
}

} // namespace
