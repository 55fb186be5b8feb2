// The options pane's control table, the Windows dialog resource made from it,
// and the scale fields' text forms.
#include "ui/optionspane.h"
#include "ui/panetable.h"
#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

const std::string kResources = std::string(FOLANTRA_SOURCE_DIR) + "/resources";

// The Windows resource script of dialog 28050 made from the table, as
// resources/optionspane.rc holds it. Only this test makes it: the plug-in
// ships the resource, not its maker.
std::string paneResourceScript()
{
    std::string rc;
    rc += "// The options pane (dialog 28050) of the print dialog and the output-style editor.\n";
    rc += "// Generated from the pane's control table in ui/panetable.cpp; the unit tests check\n";
    rc += "// that this file and the table agree. The labels are keys of the string table.\n";
    rc += "#pragma code_page(65001)\n";
    rc += "#include <windows.h>\n\n";
    char line[256];
    std::snprintf(line, sizeof line, "%d DIALOGEX 0, 0, %d, %d\n", kPaneDialogResource, kPaneWidth, kPaneHeight);
    rc += line;
    rc += "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD\n";
    rc += std::string("CAPTION \"") + kPaneTitle + "\"\n";
    rc += "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n";
    rc += "BEGIN\n";
    for (const PaneControlSpec& s : kPaneControls) {
        const char* label = s.label != nullptr ? s.label : "";
        switch (s.kind) {
        case PaneKind::CheckBox:
            std::snprintf(line, sizeof line, "    AUTOCHECKBOX \"%s\", %d, %d, %d, %d, %d\n", label, s.id, s.x, s.y,
                          s.w, s.h);
            break;
        case PaneKind::PushButton:
            std::snprintf(line, sizeof line, "    PUSHBUTTON \"%s\", %d, %d, %d, %d, %d\n", label, s.id, s.x, s.y, s.w,
                          s.h);
            break;
        case PaneKind::StaticText:
            // '&' shows as itself: the path label shows a folder's name.
            std::snprintf(line, sizeof line, "    LTEXT \"%s\", %d, %d, %d, %d, %d, SS_LEFT | SS_NOPREFIX | WS_GROUP\n",
                          label, s.id, s.x, s.y, s.w, s.h);
            break;
        case PaneKind::EditField:
            std::snprintf(line, sizeof line, "    EDITTEXT %d, %d, %d, %d, %d, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP\n",
                          s.id, s.x, s.y, s.w, s.h);
            break;
        }
        rc += line;
    }
    rc += "END\n";
    return rc;
}

TEST(PaneTable, IdsKindsAndLabelKeys)
{
    struct Want {
        int id;
        PaneKind kind;
        const char* label;
    };
    const Want want[] = {{1, PaneKind::CheckBox, "crop"},       {2, PaneKind::CheckBox, "margins"},
                         {3, PaneKind::CheckBox, "printToFile"}, {4, PaneKind::CheckBox, "askForPSName"},
                         {5, PaneKind::CheckBox, "distiller"},  {6, PaneKind::CheckBox, "scale:"},
                         {8, PaneKind::PushButton, "chooseFolder\xE2\x80\xA6"},
                         {9, PaneKind::PushButton, "reset"},    {10, PaneKind::StaticText, nullptr},
                         {11, PaneKind::StaticText, "X:"},      {12, PaneKind::EditField, nullptr},
                         {13, PaneKind::StaticText, "%"},       {14, PaneKind::StaticText, "Y:"},
                         {15, PaneKind::EditField, nullptr},    {16, PaneKind::StaticText, "%"},
                         {17, PaneKind::PushButton, "metadata\xE2\x80\xA6"}};
    ASSERT_EQ(sizeof want / sizeof want[0], static_cast<std::size_t>(kPaneControlCount));
    for (int i = 0; i < kPaneControlCount; ++i) {
        const PaneControlSpec& s = kPaneControls[i];
        EXPECT_EQ(s.id, want[i].id);
        EXPECT_EQ(s.kind, want[i].kind) << s.id;
        EXPECT_EQ(std::string(s.label ? s.label : "-"), std::string(want[i].label ? want[i].label : "-")) << s.id;
        // Every control lies inside the pane.
        EXPECT_LE(s.x + s.w, kPaneWidth) << s.id;
        EXPECT_LE(s.y + s.h, kPaneHeight) << s.id;
    }
}

// The Windows dialog resource is made from the table. To bring the file up to
// date after a change of the table, run this test with FOLANTRA_WRITE_PANE_RC=1.
TEST(PaneTable, WindowsResourceAgreesWithTheTable)
{
    std::string path = kResources + "/optionspane.rc";
    std::string script = paneResourceScript();
    if (std::getenv("FOLANTRA_WRITE_PANE_RC") != nullptr)
        testing_util::writeFile(path, script);
    EXPECT_EQ(testing_util::readFile(path), script)
        << path << " is out of date: run the unit tests with FOLANTRA_WRITE_PANE_RC=1 to write it anew";
    EXPECT_NE(script.find("28050 DIALOGEX 0, 0, 330, 121"), std::string::npos);
    EXPECT_NE(script.find("AUTOCHECKBOX \"crop\", 1, 7, 7, 223, 10"), std::string::npos);
    EXPECT_NE(script.find("EDITTEXT 15, 248, 99, 30, 12"), std::string::npos);
}

TEST(PaneTable, HeadlessPaneTranslatesItsLabels)
{
    setResourceFolder(kResources.c_str());
    for (std::int16_t language : {0, 3}) {
        setupLanguage(language);
        setupMyStrings();
        DlgWindow pane;
        buildPaneWindow(&pane);
        EXPECT_TRUE(pane.pane);
        ASSERT_EQ(pane.controls.size(), static_cast<std::size_t>(kPaneControlCount));
        bool german = language == 3;
        EXPECT_EQ(getControl(&pane, 3)->text, german ? "In Datei drucken" : "Print to file");
        EXPECT_EQ(getControl(&pane, 6)->text, german ? "Asymmetrisch skalieren:" : "Scale:");
        EXPECT_EQ(getControl(&pane, 8)->text, german ? "Ordner w\xC3\xA4hlen\xE2\x80\xA6" : "Choose folder\xE2\x80\xA6");
        EXPECT_EQ(getControl(&pane, 17)->text, german ? "Metadaten\xE2\x80\xA6" : "Metadata\xE2\x80\xA6");
        EXPECT_EQ(getControl(&pane, 11)->text, "X:");
        EXPECT_EQ(getControl(&pane, 10)->text, "");
        EXPECT_EQ(getControl(&pane, 12)->kind, kKindEdit);
        EXPECT_EQ(getControl(&pane, 1)->kind, kKindCheckBox);
    }
    cleanupMyStrings();
    setResourceFolder(nullptr);
    setupLanguage(0);
}

TEST(ScaleFields, ShownAsPercentWithTwoDecimals)
{
    EXPECT_EQ(formatScale(0.5f), "50.00");
    EXPECT_EQ(formatScale(1.0f), "100.00");
    EXPECT_EQ(formatScale(0.755f), "75.50");
    EXPECT_EQ(formatScale(0.0f), "0.00");
    // A locale with a decimal comma changes nothing.
    testing_util::GermanNumbers german;
    ASSERT_NE(german.name(), nullptr) << testing_util::kNoGermanLocale;
    EXPECT_EQ(formatScale(0.5f), "50.00");
    EXPECT_EQ(formatScale(0.755f), "75.50");
    EXPECT_FLOAT_EQ(parseScale("75,5"), 0.755f);
    EXPECT_FLOAT_EQ(parseScale("75.5"), 0.755f);
}

TEST(ScaleFields, ReadAsPercentWithPointOrComma)
{
    EXPECT_EQ(parseScale("75"), 0.75f);
    EXPECT_EQ(parseScale("75,5"), 0.755f);
    EXPECT_EQ(parseScale("75.5"), 0.755f);
    EXPECT_EQ(parseScale(" 95.00"), 0.95f);
    EXPECT_EQ(parseScale("100.00"), 1.0f);
    EXPECT_EQ(parseScale("12.5%"), 0.125f);  // the leading number counts
    EXPECT_EQ(parseScale(",5"), 0.005f);
    EXPECT_EQ(parseScale("-20"), -0.2f);
    EXPECT_EQ(parseScale("abc"), 0.0f);      // no number: 0 %
    EXPECT_EQ(parseScale(""), 0.0f);
    EXPECT_EQ(parseScale(nullptr), 0.0f);
    // What the pane shows reads back as the same factor.
    for (float f : {0.5f, 0.75f, 0.95f, 1.0f, 1.25f, 0.333f})
        EXPECT_EQ(parseScale(formatScale(f).c_str()), static_cast<float>(std::stod(formatScale(f)) / 100.0)) << f;
}

} // namespace
