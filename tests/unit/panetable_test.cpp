// The options pane's control table, the Windows dialog resource made from it,
// and the scale fields' text forms.
#include "ui/optionspane.h"
#include "ui/panetable.h"
#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <set>
#include <vector>
#include <string>

namespace {

const std::string kResources = std::string(FOLANTRA_SOURCE_DIR) + "/resources";

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
                         {9, PaneKind::PushButton, "reset"},    {10, PaneKind::ValueText, nullptr},
                         {11, PaneKind::StaticText, "X:"},      {12, PaneKind::EditField, nullptr},
                         {13, PaneKind::StaticText, "%"},       {14, PaneKind::StaticText, "Y:"},
                         {15, PaneKind::EditField, nullptr},    {16, PaneKind::StaticText, "%"},
                         {17, PaneKind::PushButton, "metadata\xE2\x80\xA6"}};
    ASSERT_EQ(sizeof want / sizeof want[0], static_cast<std::size_t>(kPaneControlCount));
    int i = 0;
    forEachPaneControl([&](const OptionRow& s) {
        EXPECT_EQ(s.paneId, want[i].id);
        EXPECT_EQ(s.kind, want[i].kind) << s.paneId;
        EXPECT_EQ(std::string(s.label ? s.label : "-"), std::string(want[i].label ? want[i].label : "-")) << s.paneId;
        ++i;
    });
}

// The stored keys in the order documents store them, and the record's flags.
TEST(OptionTable, StoredKeysInTheirOrderAndTheRecordsFlags)
{
    std::vector<std::string> keys;
    for (const OptionRow& row : kOptions)
        if (row.stored != Stored::No)
            keys.push_back(row.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"TrimBox", "PageBorder", "PrintToFile", "AskForName", "Distill",
                                              "Scale", "Folder", "ScX", "ScY", "Title", "Author", "Keywords"}));
    EXPECT_EQ(kFlagCount, 8);
    EXPECT_STREQ(flagKey(kFlagDistill), "Distill");
    EXPECT_EQ(flagKey(kFlagReserved), nullptr);
    EXPECT_EQ(flagControl(kFlagScale), 6);
    // What enables what, and what answers a click.
    std::vector<int> enabledBy3, enabledBy6, answering, refreshed;
    forEachPaneControl([&](const OptionRow& row) {
        if (row.enabledBy == 3)
            enabledBy3.push_back(row.paneId);
        if (row.enabledBy == 6)
            enabledBy6.push_back(row.paneId);
        if (row.action != nullptr)
            answering.push_back(row.paneId);
        if (row.refreshed)
            refreshed.push_back(row.paneId);
    });
    EXPECT_EQ(enabledBy3, (std::vector<int>{5, 8, 9}));
    EXPECT_EQ(enabledBy6, (std::vector<int>{12, 15}));
    EXPECT_EQ(answering, (std::vector<int>{3, 6, 8, 9, 17}));
    EXPECT_EQ(refreshed, (std::vector<int>{6, 11, 12, 13, 14, 15, 16}));
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
