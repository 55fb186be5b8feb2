// The entry every toolkit calls when the user changed a native control: one
// row per control kind, each a round trip on a window that holds just that
// control (the state goes in, the control calls read it back, the control's
// proc sees the command), then the dispatch rules around it.
#include "ui/dialogs.h"
#include "ui/dlgbuild.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Calls {
    int count = 0;
    int lastId = 0;
    std::uint8_t answer = 0;
};

std::uint8_t countingProc(ControlRef control, DialogRef, void* user)
{
    auto* calls = static_cast<Calls*>(user);
    ++calls->count;
    calls->lastId = getControlItem(control);
    return calls->answer;
}

void build(const std::string& controls, DlgWindow& w)
{
    WinDesc desc;
    std::string text = "<window><name>One</name><rect>0 0 300 100</rect>" + controls + "</window>";
    readWinDesc(text.c_str(), &desc);
    buildWindow(desc, FrameInsets{}, &w);
    adoptControls(&w);
}

int indexOfId(DlgWindow& w, int id)
{
    ControlRef c = getControl(&w, id);
    return c == nullptr ? -1 : static_cast<int>(c - &w.controls[0]);
}

std::string textOf(DlgWindow& w, int id)
{
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    buffer[255] = '\0';
    getControlText(getControl(&w, id), buffer);
    return buffer;
}

// One control kind: its description, the state the native control reports,
// and what the model holds afterwards.
struct Row {
    const char* name;
    const char* control; // the control's description, id 9
    ControlState state;
    std::int32_t value;   // getControlValue afterwards
    const char* text;     // getControlText afterwards (null: a kind without text)
    int procCalls;        // how often the control's proc ran
};

const Row kRows[] = {
    {"push button", "<control><type>push</type><id>9</id><rect>0 0 80 20</rect><text>Go</text></control>",
     ControlState{ControlEvent::Clicked, 0, {}}, 0, "Go", 1},
    {"check box on", "<control><type>cbox</type><id>9</id><rect>0 0 80 20</rect><text>Box</text></control>",
     ControlState{ControlEvent::Clicked, 1, {}}, 1, "Box", 1},
    {"lone radio button", "<control><type>rdio</type><id>9</id><rect>0 0 80 20</rect><text>One</text></control>",
     ControlState{ControlEvent::Clicked, 1, {}}, 1, "One", 1},
    {"edit field", "<control><type>eutx</type><id>9</id><rect>0 0 80 19</rect></control>",
     ControlState{ControlEvent::TextChanged, 0, "97,5"}, 97, "97,5", 1},
    {"popup", "<control><type>popb</type><id>9</id><rect>0 0 80 20</rect><menu>A</menu><menu>B</menu></control>",
     ControlState{ControlEvent::SelectionChanged, 2, {}}, 2, "B", 1},
    {"combo box typed", "<control><type>comb</type><id>9</id><rect>0 0 80 20</rect><menu>Red</menu></control>",
     ControlState{ControlEvent::TextChanged, 0, "Green"}, 0, "Green", 1},
    {"combo box chosen",
     "<control><type>comb</type><id>9</id><rect>0 0 80 20</rect><menu>Red</menu><menu>Blue</menu></control>",
     ControlState{ControlEvent::SelectionChanged, 2, "Blue"}, 2, "Blue", 1},
    {"tab control", "<control><type>tabs</type><id>9</id><rect>0 0 200 90</rect><text1>One</text1><text2>Two</text2>"
                    "</control>",
     ControlState{ControlEvent::SelectionChanged, 2, {}}, 2, nullptr, 1},
};

TEST(ControlChanged, EachKindTakesItsStateAndRunsItsProc)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        DlgWindow w;
        build(row.control, w);
        Calls calls;
        setControlHandler(&w, 9, countingProc, &calls);
        ASSERT_TRUE(controlChanged(w, indexOfId(w, 9), row.state));
        EXPECT_EQ(getControlValue(getControl(&w, 9)), row.value);
        if (row.text != nullptr) {
            EXPECT_EQ(textOf(w, 9), row.text);
        }
        EXPECT_EQ(calls.count, row.procCalls);
        EXPECT_EQ(calls.lastId, 9);
        EXPECT_FALSE(w.done);
    }
}

TEST(ControlChanged, EventsThatDoNotFitTheKindChangeNothing)
{
    DlgWindow w;
    build("<control><type>stxt</type><id>8</id><rect>0 0 80 20</rect><text>Label</text></control>"
          "<control><type>eutx</type><id>9</id><rect>0 30 80 19</rect><text>kept</text></control>"
          "<control><type>popb</type><id>10</id><rect>0 60 80 20</rect><menu>A</menu></control>",
          w);
    Calls calls;
    for (int id : {8, 9, 10})
        setControlHandler(&w, id, countingProc, &calls);
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 8), ControlState{ControlEvent::TextChanged, 0, "new"}));
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 9), ControlState{ControlEvent::Clicked, 1, {}}));
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 9), ControlState{ControlEvent::DropDown, 0, {}}));
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 10), ControlState{ControlEvent::SelectionChanged, 2, {}}));
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 10), ControlState{ControlEvent::SelectionChanged, 0, {}}));
    EXPECT_FALSE(controlChanged(w, -1, ControlState{}));
    EXPECT_FALSE(controlChanged(w, static_cast<int>(w.controls.size()), ControlState{}));
    EXPECT_EQ(textOf(w, 8), "Label");
    EXPECT_EQ(textOf(w, 9), "kept");
    EXPECT_EQ(getControlValue(getControl(&w, 10)), 1);
    EXPECT_EQ(calls.count, 0);

    // A disabled or hidden control takes no change from its toolkit.
    enableControl(getControl(&w, 9), false);
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 9), ControlState{ControlEvent::TextChanged, 0, "new"}));
    enableControl(getControl(&w, 9), true);
    getControl(&w, 9)->visible = false;
    EXPECT_FALSE(controlChanged(w, indexOfId(w, 9), ControlState{ControlEvent::TextChanged, 0, "new"}));
    EXPECT_EQ(textOf(w, 9), "kept");
    EXPECT_EQ(calls.count, 0);
}

TEST(ControlChanged, ButtonsOneAndTwoEndADialogUnlessTheirProcHandlesIt)
{
    const char* buttons = "<control><type>push</type><id>2</id><rect>0 0 80 20</rect><text>Cancel</text></control>"
                          "<control><type>push</type><id>1</id><rect>90 0 80 20</rect><text>OK</text></control>";
    DlgWindow w;
    build(buttons, w);
    ASSERT_TRUE(controlChanged(w, indexOfId(w, 2), ControlState{ControlEvent::Clicked, 0, {}}));
    EXPECT_TRUE(w.done);
    EXPECT_EQ(w.result, 2);

    DlgWindow handled;
    build(buttons, handled);
    Calls calls;
    calls.answer = 1;
    setControlHandler(&handled, 1, countingProc, &calls);
    ASSERT_TRUE(controlChanged(handled, indexOfId(handled, 1), ControlState{ControlEvent::Clicked, 0, {}}));
    EXPECT_EQ(calls.count, 1);
    EXPECT_FALSE(handled.done);

    // In the pane, 1 and 2 are ordinary check boxes.
    DlgWindow pane;
    build("<control><type>cbox</type><id>1</id><rect>0 0 80 20</rect></control>", pane);
    pane.pane = true;
    ASSERT_TRUE(controlChanged(pane, indexOfId(pane, 1), ControlState{ControlEvent::Clicked, 1, {}}));
    EXPECT_FALSE(pane.done);
    EXPECT_EQ(getControlValue(getControl(&pane, 1)), 1);
}

TEST(ControlChanged, ARadioGroupKeepsOneButtonOnAndReportsAsItself)
{
    DlgWindow w;
    build("<control><type>rgrp</type><id>20</id><rect>0 0 100 80</rect></control>"
          "<control><type>rdio</type><id>21</id><rect>0 0 80 20</rect></control>"
          "<control><type>rdio</type><id>22</id><rect>0 30 80 20</rect></control>"
          "<control><type>####</type></control>",
          w);
    Calls group, button;
    setControlHandler(&w, 20, countingProc, &group);
    setControlHandler(&w, 22, countingProc, &button);
    setControlValue(getControl(&w, 20), 1);
    ASSERT_TRUE(controlChanged(w, indexOfId(w, 22), ControlState{ControlEvent::Clicked, 1, {}}));
    EXPECT_EQ(getControlValue(getControl(&w, 20)), 2);
    EXPECT_EQ(getControlValue(getControl(&w, 21)), 0);
    EXPECT_EQ(group.count, 1);
    EXPECT_EQ(group.lastId, 20);
    EXPECT_EQ(button.count, 0);
}

TEST(ControlChanged, APopupReportsOnlyANewItemAndTextsAreCut)
{
    DlgWindow w;
    build("<control><type>popb</type><id>9</id><rect>0 0 80 20</rect><menu>A</menu><menu>B</menu></control>"
          "<control><type>eutx</type><id>10</id><rect>0 30 80 19</rect></control>",
          w);
    Calls calls;
    setControlHandler(&w, 9, countingProc, &calls);
    EXPECT_TRUE(controlChanged(w, indexOfId(w, 9), ControlState{ControlEvent::SelectionChanged, 1, {}}));
    EXPECT_EQ(calls.count, 0); // item 1 was shown already

    // 254 ASCII bytes and a two-byte character: the character does not fit.
    std::string typed(254, 'a');
    typed += "\xC3\xA4";
    ASSERT_TRUE(controlChanged(w, indexOfId(w, 10), ControlState{ControlEvent::TextChanged, 0, typed}));
    EXPECT_EQ(textOf(w, 10), std::string(254, 'a'));
    EXPECT_EQ(getControl(&w, 10)->selStart, 254); // the caret after the text
}

TEST(ControlChanged, AComboBoxShowsItsRememberedItemWhenItsListOpens)
{
    DlgWindow w;
    build("<control><type>comb</type><id>9</id><rect>0 0 80 20</rect><menu>Red</menu><menu>Blue</menu></control>", w);
    int index = indexOfId(w, 9);
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::SelectionChanged, 2, "Blue"}));
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::TextChanged, 0, "typed"}));
    setControlValue(getControl(&w, 9), 1);
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::DropDown, 0, {}}));
    EXPECT_EQ(getControlValue(getControl(&w, 9)), 2);
}

TEST(ControlChanged, AComboBoxSelectionStaysInsideTheTextItShows)
{
    DlgWindow w;
    build("<control><type>comb</type><id>9</id><rect>0 0 80 20</rect><menu>Red</menu><menu>Blue</menu></control>", w);
    int index = indexOfId(w, 9);
    ControlRef combo = getControl(&w, 9);
    // A long typed text leaves the caret after it; a shorter item chosen
    // from the list moves it to the end of the item.
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::TextChanged, 0, std::string(40, 'g')}));
    EXPECT_EQ(combo->selStart, 40);
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::SelectionChanged, 1, "Red"}));
    EXPECT_EQ(combo->selStart, 3);
    EXPECT_EQ(combo->selLength, 0);

    // The whole text selected, then the program shows another item.
    ASSERT_TRUE(controlChanged(w, index, ControlState{ControlEvent::TextChanged, 0, "a longer text"}));
    combo->selStart = 0;
    combo->selLength = 13;
    setControlValue(combo, 1);
    EXPECT_EQ(combo->text, "Red");
    EXPECT_EQ(combo->selStart, 0);
    EXPECT_EQ(combo->selLength, 0);
}

} // namespace
