// The dialog runtime on built windows: the dispatch of user actions (Return,
// Escape, closing, ids 1 and 2, control procs), and the control calls by kind.
#include "ui/dialogs.h"
#include "ui/dlgbuild.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kForm[] = "<window><name>Form</name><rect>0 0 400 200</rect>"
                     "<control><type>eutx</type><id>3</id><rect>10 10 200 19</rect></control>"
                     "<control><type>eutx</type><id>4</id><rect>10 40 200 19</rect><readonly>1</readonly></control>"
                     "<control><type>popb</type><id>5</id><rect>10 70 200 20</rect>"
                     "<menu>One</menu><menu>Two</menu><menu>Three</menu></control>"
                     "<control><type>cbox</type><id>6</id><rect>10 100 200 20</rect></control>"
                     "<control><type>comb</type><id>7</id><rect>10 130 200 20</rect>"
                     "<menu>Red</menu><menu>Blue</menu></control>"
                     "<control><type>lbox</type><id>8</id><rect>220 10 100 100</rect></control>"
                     "<control><type>push</type><id>2</id><rect>180 170 100 20</rect><text>Cancel</text></control>"
                     "<control><type>push</type><id>1</id><rect>290 170 100 20</rect><text>OK</text></control>"
                     "<control><type>####</type></control></window>";

struct Calls {
    int count = 0;
    int lastId = 0;
    std::uint8_t answer = 0;
    int quitWith = 0; // non-zero: the proc ends the dialog with it
};

std::uint8_t countingProc(ControlRef control, DialogRef dialog, void* user)
{
    auto* calls = static_cast<Calls*>(user);
    ++calls->count;
    calls->lastId = getControlItem(control);
    if (calls->quitWith != 0)
        quitModalDialog(dialog, calls->quitWith);
    return calls->answer;
}

class Runtime : public ::testing::Test {
protected:
    void SetUp() override
    {
        WinDesc desc;
        readWinDesc(kForm, &desc);
        buildWindow(desc, FrameInsets{}, &w);
    }
    bool act(UserActionKind kind, int control = 0, const std::string& text = std::string(), int value = 0)
    {
        UserAction a;
        a.kind = kind;
        a.control = control;
        a.text = text;
        a.value = value;
        return applyUserAction(w, a);
    }
    std::string text(int id)
    {
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        buffer[255] = '\0';
        getControlText(getControl(&w, id), buffer);
        return buffer;
    }
    DlgWindow w;
};

TEST_F(Runtime, ReturnIsOkEscapeAndClosingAreCancel)
{
    EXPECT_TRUE(act(UserActionKind::Return));
    EXPECT_TRUE(w.done);
    EXPECT_EQ(w.result, 1);

    w.done = false;
    w.focus = static_cast<int>(getControl(&w, 3) - &w.controls[0]); // in an edit field
    EXPECT_TRUE(act(UserActionKind::Escape));
    EXPECT_EQ(w.result, 2);

    w.done = false;
    w.result = 0;
    EXPECT_TRUE(act(UserActionKind::Close));
    EXPECT_EQ(w.result, 2);
    w.done = false;
    w.result = 0;
    EXPECT_TRUE(act(UserActionKind::None)); // the user walked away
    EXPECT_EQ(w.result, 2);
}

TEST_F(Runtime, ControlProcsOnOkAndCancel)
{
    Calls ok, cancel;
    setControlHandler(&w, 1, countingProc, &ok);
    setControlHandler(getControl(&w, 2), countingProc, &cancel);

    // A proc that answers 0 lets id 1 end the dialog with 1.
    act(UserActionKind::Click, 1);
    EXPECT_EQ(ok.count, 1);
    EXPECT_TRUE(w.done);
    EXPECT_EQ(w.result, 1);

    // A proc that handles OK keeps the dialog open unless it quits itself.
    w.done = false;
    ok.answer = 1;
    act(UserActionKind::Return);
    EXPECT_EQ(ok.count, 2);
    EXPECT_FALSE(w.done);
    ok.quitWith = 7;
    act(UserActionKind::Return);
    EXPECT_TRUE(w.done);
    EXPECT_EQ(w.result, 7);

    // Escape from an edit field is the Cancel command: its proc runs.
    w.done = false;
    cancel.answer = 1;
    act(UserActionKind::Click, 6); // focus on a check box: Escape closes instead
    act(UserActionKind::Escape);
    EXPECT_EQ(cancel.count, 0);
    EXPECT_EQ(w.result, 2);
    w.done = false;
    act(UserActionKind::Type, 3, "x");
    act(UserActionKind::Escape);
    EXPECT_EQ(cancel.count, 1);
    EXPECT_FALSE(w.done);
    // Closing the window reaches no proc.
    act(UserActionKind::Close);
    EXPECT_EQ(cancel.count, 1);
    EXPECT_EQ(w.result, 2);
}

TEST_F(Runtime, TypingReachesTheFieldsProcButSettingTheTextDoesNot)
{
    Calls field;
    setControlHandler(&w, 3, countingProc, &field);
    setControlText(getControl(&w, 3), "set by the program");
    EXPECT_EQ(field.count, 0);
    EXPECT_TRUE(act(UserActionKind::Type, 3, "typed"));
    EXPECT_EQ(field.count, 1);
    EXPECT_EQ(text(3), "typed");
    EXPECT_FALSE(w.done);
    // A click on a field only moves the focus.
    EXPECT_TRUE(act(UserActionKind::Click, 3));
    EXPECT_EQ(field.count, 1);
    // Read-only, disabled, missing and static controls take no typing.
    EXPECT_FALSE(act(UserActionKind::Type, 4, "no"));
    enableControl(getControl(&w, 3), false);
    EXPECT_FALSE(act(UserActionKind::Type, 3, "no"));
    EXPECT_FALSE(act(UserActionKind::Click, 3));
    EXPECT_FALSE(act(UserActionKind::Type, 99, "no"));
    EXPECT_EQ(text(3), "typed");
}

TEST_F(Runtime, TextsOfUpTo255BytesAndTypingCutsAtACharacter)
{
    ControlRef field = getControl(&w, 3);
    setControlText(field, std::string(255, 'a').c_str());
    EXPECT_EQ(text(3), std::string(255, 'a'));
    setControlText(field, std::string(300, 'a').c_str());
    EXPECT_EQ(text(3), ""); // longer: an empty text, never a cut one
    // Typing stops at 255 bytes without splitting a character ("ü" is two bytes).
    std::string umlauts;
    for (int i = 0; i < 200; ++i)
        umlauts += "\xC3\xBC";
    act(UserActionKind::Type, 3, umlauts);
    EXPECT_EQ(field->text.size(), 254u);
    EXPECT_EQ(text(3), umlauts.substr(0, 254));
}

TEST_F(Runtime, PopupAndComboValuesAndTitles)
{
    Calls popupCalls;
    ControlRef popup = getControl(&w, 5);
    setControlHandler(popup, countingProc, &popupCalls);
    EXPECT_EQ(getControlValue(popup), 1);
    setControlValue(popup, 3);
    EXPECT_EQ(getControlValue(popup), 3);
    EXPECT_EQ(text(5), "Three");
    setControlText(popup, "Two");
    EXPECT_EQ(getControlValue(popup), 2);
    setControlText(popup, "Four"); // no such title: item 1
    EXPECT_EQ(getControlValue(popup), 1);
    setControlValue(popup, 0);
    EXPECT_EQ(getControlValue(popup), 0);
    EXPECT_EQ(text(5), "");
    EXPECT_EQ(popupCalls.count, 0);
    // Choosing: only a change of the selection reaches the proc.
    EXPECT_TRUE(act(UserActionKind::Choose, 5, "", 2));
    EXPECT_EQ(popupCalls.count, 1);
    EXPECT_TRUE(act(UserActionKind::Choose, 5, "", 2));
    EXPECT_EQ(popupCalls.count, 1);
    EXPECT_FALSE(act(UserActionKind::Choose, 5, "", 4));

    ControlRef combo = getControl(&w, 7);
    setControlText(combo, "Green");
    EXPECT_EQ(text(7), "Green");
    EXPECT_EQ(getControlValue(combo), 0);
    act(UserActionKind::Choose, 7, "", 2);
    EXPECT_EQ(getControlValue(combo), 2);
    EXPECT_EQ(text(7), "Blue");
    EXPECT_EQ(combo->strings.at(fourCC("comb")), "Blue"); // remembered for the next opening

    // A list without selection yields nothing; the buffer is left alone.
    EXPECT_EQ(text(8), std::string(255, 'x'));
}

TEST_F(Runtime, CheckBoxesFieldsAndButtonsByKind)
{
    ControlRef box = getControl(&w, 6);
    act(UserActionKind::Click, 6);
    EXPECT_EQ(getControlValue(box), 1);
    act(UserActionKind::Click, 6);
    EXPECT_EQ(getControlValue(box), 0);
    setControlValue(box, 1);
    EXPECT_EQ(getControlValue(box), 1);

    ControlRef field = getControl(&w, 3);
    setControlValue(field, -42);
    EXPECT_EQ(text(3), "-42");
    setControlTextWithFormat(field, "%d%s", 12, "abc");
    EXPECT_EQ(getControlValue(field), 12);
    setControlText(field, "none");
    EXPECT_EQ(getControlValue(field), 0);

    ControlRef ok = getControl(&w, 1);
    setControlValue(ok, 5);
    EXPECT_EQ(getControlValue(ok), 0);
    EXPECT_EQ(text(1), "OK");

    // Every call given no control does nothing.
    setControlText(nullptr, "x");
    setControlValue(nullptr, 1);
    enableControl(nullptr, false);
    selectFileName(nullptr);
    EXPECT_EQ(getControlValue(nullptr), 0);
    EXPECT_EQ(getControl(nullptr, 1), nullptr);
    EXPECT_EQ(getControl(&w, 99), nullptr);
}

TEST_F(Runtime, SelectFileNameLeavesTheExtension)
{
    ControlRef field = getControl(&w, 3);
    setControlText(field, "report.final.ps");
    selectFileName(field);
    EXPECT_EQ(field->selStart, 0);
    EXPECT_EQ(field->text.substr(0, static_cast<std::size_t>(field->selLength)), "report.final");
    EXPECT_EQ(&w.controls[static_cast<std::size_t>(w.focus)], field);
    setControlText(field, "plain");
    selectFileName(field);
    EXPECT_EQ(field->selLength, 0);
}

TEST_F(Runtime, ThePaneIsNoDialog)
{
    w.pane = true;
    Calls calls;
    setControlHandler(&w, 1, countingProc, &calls);
    act(UserActionKind::Click, 1);
    act(UserActionKind::Click, 2);
    EXPECT_EQ(calls.count, 1);
    EXPECT_FALSE(w.done);
    EXPECT_FALSE(act(UserActionKind::Return));
    EXPECT_FALSE(act(UserActionKind::Escape));
    EXPECT_FALSE(act(UserActionKind::Close));
    EXPECT_FALSE(w.done);
}

#if !defined(_WIN32)
// (On Windows the window system is always there: the Win32 toolkit's tests
// run the dialogs on real windows.)
TEST(RuntimeWithoutToolkit, DialogsAreNotShown)
{
    // No host offers a window system here.
    EXPECT_EQ(doModalDialog("MetaData", nullptr, nullptr), 0);
}
#endif

} // namespace
