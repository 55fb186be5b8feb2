// Window descriptions and the builder: the shipped "MetaData" and "PSName"
// descriptions, the kind table's rectangles, groups and containers, placement
// and the tab order.
#include "ui/dialogs.h"
#include "ui/dlgbuild.h"
#include "util/mystrings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kShipped = std::string(FOLANTRA_SOURCE_DIR) + "/resources";

class Builder : public ::testing::Test {
protected:
    void SetUp() override { useLanguage(0); }
    void TearDown() override
    {
        cleanupMyStrings();
        setResourceFolder(nullptr);
        setupLanguage(0);
    }
    static void useLanguage(std::int16_t hostLanguage)
    {
        setResourceFolder(kShipped.c_str());
        setupLanguage(hostLanguage);
        setupMyStrings();
    }
    // Builds a shipped description into `w`; false when it is missing.
    static bool build(const char* name, DlgWindow& w, FrameInsets frame = {})
    {
        WinDesc desc;
        if (!loadWinDesc(name, &desc))
            return false;
        buildWindow(desc, frame, &w);
        return true;
    }
    static void buildText(const std::string& text, DlgWindow& w, FrameInsets frame = {})
    {
        WinDesc desc;
        readWinDesc(text.c_str(), &desc);
        buildWindow(desc, frame, &w);
    }
    static void expectRect(const DlgControl* c, int x, int y, int wd, int h)
    {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->rect.x, x);
        EXPECT_EQ(c->rect.y, y);
        EXPECT_EQ(c->rect.w, wd);
        EXPECT_EQ(c->rect.h, h);
    }
    static std::vector<std::string> labels(DlgWindow& w)
    {
        std::vector<std::string> out;
        for (const DlgControl& c : w.controls)
            if (c.kind == kKindStatic)
                out.push_back(c.text);
        return out;
    }
};

TEST_F(Builder, MetaDataClientAreaButtonsFieldsAndSeparator)
{
    DlgWindow w;
    ASSERT_TRUE(build("MetaData", w));
    EXPECT_EQ(w.title, "Folantra");
    EXPECT_EQ(w.clientWidth, 477);
    EXPECT_EQ(w.clientHeight, 168);
    // The root pane fills the window and holds everything described.
    ASSERT_FALSE(w.controls.empty());
    EXPECT_EQ(w.controls[0].kind, kKindUserPane);
    EXPECT_EQ(w.controls[0].id, 0);
    expectRect(&w.controls[0], 0, 0, 477, 168);

    ControlRef ok = getControl(&w, 1);
    expectRect(ok, 356, 127, 100, 24);
    EXPECT_TRUE(ok->isDefault);
    EXPECT_EQ(ok->text, "OK");
    ControlRef cancel = getControl(&w, 2);
    expectRect(cancel, 246, 127, 100, 24);
    EXPECT_FALSE(cancel->isDefault);
    EXPECT_EQ(cancel->text, "Cancel");
    for (int id : {3, 4, 5}) {
        ControlRef field = getControl(&w, id);
        ASSERT_NE(field, nullptr) << id;
        EXPECT_EQ(field->kind, kKindEdit);
        EXPECT_EQ(field->rect.h, 19);
        EXPECT_TRUE(field->text.empty());
    }
    EXPECT_EQ(labels(w), (std::vector<std::string>{"Title:", "Author:", "Keywords:"}));
    const DlgControl* separator = nullptr;
    for (const DlgControl& c : w.controls)
        if (c.kind == kKindSeparator)
            separator = &c;
    ASSERT_NE(separator, nullptr);
    EXPECT_EQ(separator->rect.y, 111);
    for (const DlgControl& c : w.controls)
        EXPECT_EQ(c.parent, &c == &w.controls[0] ? -1 : 0);
}

TEST_F(Builder, PSNameOkFieldAndLabels)
{
    DlgWindow w;
    ASSERT_TRUE(build("PSName", w));
    expectRect(getControl(&w, 1), 357, 104, 100, 24);
    ControlRef field = getControl(&w, 4);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->kind, kKindEdit);
    EXPECT_EQ(labels(w), (std::vector<std::string>{"Postscript filename:", ""}));
    EXPECT_EQ(getControl(&w, 2), nullptr); // no Cancel button
}

TEST_F(Builder, GermanTextsAndSuffixFallback)
{
    useLanguage(3);
    DlgWindow w;
    ASSERT_TRUE(build("MetaData", w)); // no "_D" description: the one without suffix serves
    EXPECT_EQ(labels(w), (std::vector<std::string>{"Titel:", "Autor:", "Schl\xC3\xBCsselw\xC3\xB6rter:"}));
    EXPECT_EQ(getControl(&w, 2)->text, "Abbrechen");
    DlgWindow p;
    ASSERT_TRUE(build("PSName", p));
    EXPECT_EQ(labels(p).front(), "PS-Dateiname:");
    DlgWindow none;
    EXPECT_FALSE(build("NoSuchDialog", none));
}

TEST_F(Builder, FrameAndPlacement)
{
    DlgWindow w;
    ASSERT_TRUE(build("MetaData", w, FrameInsets{3, 26, 3, 3}));
    EXPECT_EQ(w.frame.w, 483);
    EXPECT_EQ(w.frame.h, 197);
    EXPECT_EQ(w.controls[0].rect.w, 483); // the root pane has the outer size
    placeWindow(&w, 1280, 1024);
    EXPECT_EQ(w.frame.x, (1280 - 483) / 2);
    EXPECT_EQ(w.frame.y, (1024 - 197) / 4);
    placeWindow(&w, 400, 100); // larger than the screen: integer arithmetic, may go negative
    EXPECT_EQ(w.frame.x, (400 - 483) / 2);
    EXPECT_EQ(w.frame.y, (100 - 197) / 4);
}

TEST_F(Builder, KindTableRectanglesAndAttributes)
{
    DlgWindow w;
    buildText("<window><name>metaData\xE2\x80\xA6</name><rect>5 5 300 200</rect>"
              "<control><type>cbox</type><id>7</id><rect>10 20 80 10</rect><text>reset</text></control>"
              "<control><type>stxt</type><id>8</id><rect>10 40 80 30</rect><multi>YES</multi></control>"
              "<control><type>stxt</type><id>9</id><rect>10 80 80 30</rect><sap >1</sap ></control>"
              "<control><type>popb</type><id>10</id><rect>10 120 100 20</rect><text>no</text>"
              "<menu>yes</menu><menu>no</menu></control>"
              "<control><type>popb</type><id>11</id><rect>10 150 100 20</rect><text>maybe</text>"
              "<menu>yes</menu><menu>no</menu></control>"
              "<control><type>comb</type><id>12</id><rect>10 170 100 20</rect><text>ok</text>"
              "<menu>ok</menu><comb>ok</comb><pref>x</pref><empt></empt></control>"
              "<control><type>eutx</type><rect>120 20 80 19</rect><multi>1</multi><pass>YES</pass>"
              "<readonly>NO</readonly><just>right</just><cmd>Name</cmd></control>"
              "<control><type>wxyz</type><id>13</id></control>"
              "<control><type>eutx</type><id>14</id><rect>1 2 three</rect></control>"
              "</window>",
              w);
    EXPECT_EQ(w.title, "Metadata\xE2\x80\xA6"); // the ellipsis rule holds for titles too
    expectRect(getControl(&w, 7), 10, 17, 80, 24);
    EXPECT_EQ(getControl(&w, 7)->text, "Reset");
    ControlRef multi = getControl(&w, 8);
    expectRect(multi, 10, 40, 80, 30);
    EXPECT_TRUE(multi->border);
    ControlRef selectable = getControl(&w, 9);
    EXPECT_EQ(selectable->kind, kKindEdit);
    EXPECT_TRUE(selectable->readOnly);
    expectRect(selectable, 10, 80, 80, 16);
    ControlRef popup = getControl(&w, 10);
    expectRect(popup, 13, 118, 95, 200);
    EXPECT_EQ(popup->items, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_EQ(getControlValue(popup), 2);           // the item equal to the localized text
    EXPECT_EQ(getControlValue(getControl(&w, 11)), 1); // no match: item 1
    ControlRef combo = getControl(&w, 12);
    expectRect(combo, 13, 170, 95, 100);
    EXPECT_EQ(combo->text, "OK");
    EXPECT_EQ(combo->strings.at(fourCC("comb")), "ok");
    EXPECT_EQ(combo->strings.at(fourCC("pref")), "x");
    EXPECT_EQ(combo->strings.count(fourCC("empt")), 0u);
    ControlRef byCommand = getControl(&w, static_cast<int>(fourCC("Name")));
    ASSERT_NE(byCommand, nullptr);
    EXPECT_EQ(byCommand->id, -1);
    EXPECT_TRUE(byCommand->multiLine);
    EXPECT_TRUE(byCommand->password);
    EXPECT_FALSE(byCommand->readOnly);
    EXPECT_EQ(byCommand->just, kJustRight);
    expectRect(byCommand, 120, 17, 80, 19); // a multi-line field keeps its height
    EXPECT_EQ(getControl(&w, 13), nullptr);  // unknown kind: nothing
    expectRect(getControl(&w, 14), 1, -1, 0, 19);
}

TEST_F(Builder, CoordinatesBeyondTheWindowSystemsRangeAreHeldAtItsLimit)
{
    // Numbers at and past the int range used to overflow in the kind table's
    // adjustments, the group origin and the frame.
    DlgWindow w;
    buildText("<window><name>x</name><rect>2147483647 -2147483648 99999999999 2147483647</rect>"
              "<control><type>push</type><id>1</id><rect>0 -2147483648 2147483647 2147483647</rect></control>"
              "<control><type>grpb</type><id>20</id><rect>2147483647 2147483647 1 1</rect><text>g</text></control>"
              "<control><type>popb</type><id>21</id><rect>2147483647 5 -2147483648 1</rect></control>"
              "<control><type>####</type></control>"
              "<control><type>eutx</type><id>22</id><rect>40000 -40000 7</rect></control>"
              "</window>",
              w, FrameInsets{3, 26, 3, 3});
    EXPECT_EQ(w.clientWidth, 32767);
    EXPECT_EQ(w.clientHeight, 32767);
    EXPECT_EQ(w.frame.w, 32767 + 6);
    EXPECT_EQ(w.frame.h, 32767 + 29);
    expectRect(getControl(&w, 1), 0, -32768 - 3, 32767, 24);
    expectRect(getControl(&w, 20), 32767, 32767 - 4, 1, 1);
    expectRect(getControl(&w, 21), 32767 + 3 + 32767, 5 - 2 + 32763, -32768 - 5, 200); // inside the group
    expectRect(getControl(&w, 22), 32767, -32768 - 3, 7, 19);
    placeWindow(&w, 1280, 1024);
    EXPECT_EQ(w.frame.x, (1280 - w.frame.w) / 2);
}

TEST_F(Builder, GroupsOffsetAndContainersNest)
{
    DlgWindow w;
    buildText("<window><name>x</name><rect>0 0 400 300</rect>"
              "<control><type>grpb</type><id>20</id><rect>10 50 200 100</rect><text>author</text></control>"
              "<control><type>eutx</type><id>21</id><rect>5 20 50 19</rect></control>"
              "<control><type>####</type></control>"
              "<control><type>eutx</type><id>22</id><rect>5 20 50 19</rect></control>"
              "<control><type>rgrp</type><id>23</id><rect>220 50 100 80</rect></control>"
              "<control><type>rdio</type><id>24</id><rect>0 0 80 20</rect></control>"
              "<control><type>rdio</type><id>25</id><rect>0 30 80 20</rect></control>"
              "<control><type>####</type></control>"
              "<control><type>tabs</type><id>26</id><rect>0 200 300 90</rect><text1>title</text1>"
              "<text2>Two</text2><text4>never</text4></control>"
              "<control><type>####</type></control>"
              "<control><type>####</type></control>"
              "<control><type>push</type><id>27</id><rect>300 270 80 20</rect><text>ok</text></control>"
              "</window>",
              w);
    expectRect(getControl(&w, 20), 10, 46, 200, 100); // y - 4 for a titled group box
    expectRect(getControl(&w, 21), 15, 63, 50, 19);    // moved by the group's origin (10, 46)
    expectRect(getControl(&w, 22), 5, 17, 50, 19);     // "####" closed the group, not the root pane
    EXPECT_EQ(getControl(&w, 22)->parent, 0);
    ControlRef group = getControl(&w, 23);
    EXPECT_EQ(group->kind, kKindRadioGroup);
    int groupIndex = static_cast<int>(group - &w.controls[0]);
    EXPECT_EQ(getControl(&w, 24)->parent, groupIndex);
    EXPECT_EQ(getControl(&w, 25)->parent, groupIndex);
    setControlValue(group, 2);
    EXPECT_EQ(getControlValue(getControl(&w, 24)), 0);
    EXPECT_EQ(getControlValue(getControl(&w, 25)), 1);
    EXPECT_EQ(getControlValue(group), 2);
    ControlRef tabs = getControl(&w, 26);
    EXPECT_EQ(tabs->items, (std::vector<std::string>{"title", "Two"})); // labels as written, up to the first gap
    EXPECT_EQ(tabs->parent, 0);
    // After the "####" that closes the root pane, controls go straight into the window.
    EXPECT_EQ(getControl(&w, 27)->parent, -1);
}

TEST_F(Builder, LocalizationRules)
{
    EXPECT_EQ(localizeText("title:"), "Title:");
    EXPECT_EQ(localizeText("chooseFolder\xE2\x80\xA6"), "Choose folder\xE2\x80\xA6");
    EXPECT_EQ(localizeText("Untitled:"), "Untitled:");
    EXPECT_EQ(localizeText(":"), ":");
    EXPECT_EQ(localizeText(""), "");
    EXPECT_EQ(localizeText("OK"), "OK");
    std::string longKey(249, 'x');
    EXPECT_EQ(localizeText(longKey), longKey);
    std::string tooLong = "title" + std::string(245, ' ');
    EXPECT_EQ(localizeText(tooLong), tooLong); // 250 bytes: left alone
}

TEST_F(Builder, TabOrderSkipsWhatCannotTakeTheFocusAndWraps)
{
    DlgWindow w;
    buildText("<window><name>x</name><rect>0 0 400 300</rect>"
              "<control><type>eutx</type><id>3</id><rect>0 0 50 19</rect></control>"
              "<control><type>push</type><id>1</id><rect>0 30 50 19</rect></control>"
              "<control><type>eutx</type><id>4</id><rect>0 60 50 19</rect></control>"
              "<control><type>upan</type><id>30</id><rect>0 90 200 100</rect></control>"
              "<control><type>eutx</type><id>5</id><rect>0 0 50 19</rect></control>"
              "<control><type>####</type></control>"
              "<control><type>popb</type><id>6</id><rect>0 200 50 19</rect><menu>a</menu></control>"
              "<control><type>eutx</type><id>7</id><rect>0 230 50 19</rect></control>"
              "</window>",
              w);
    auto ids = [&] {
        std::vector<int> out;
        for (int i : tabOrder(w))
            out.push_back(w.controls[static_cast<std::size_t>(i)].id);
        return out;
    };
    EXPECT_EQ(ids(), (std::vector<int>{3, 4, 5, 6, 7}));
    enableControl(getControl(&w, 4), false);
    getControl(&w, 7)->visible = false;
    enableControl(getControl(&w, 30), false); // a disabled container hides what it holds
    EXPECT_EQ(ids(), (std::vector<int>{3, 6}));

    setControlText(getControl(&w, 6), "a");
    setControlText(getControl(&w, 3), "Spring");
    w.focus = -1;
    moveFocus(w, false);
    EXPECT_EQ(w.controls[static_cast<std::size_t>(w.focus)].id, 3);
    EXPECT_EQ(getControl(&w, 3)->selLength, 6); // the whole text selected
    moveFocus(w, false);
    EXPECT_EQ(w.controls[static_cast<std::size_t>(w.focus)].id, 6);
    moveFocus(w, false);
    EXPECT_EQ(w.controls[static_cast<std::size_t>(w.focus)].id, 3); // wraps
    moveFocus(w, true);
    EXPECT_EQ(w.controls[static_cast<std::size_t>(w.focus)].id, 6); // backwards from the first: the last
}

} // namespace
