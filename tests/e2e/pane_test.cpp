// The options pane through the loaded plug-in: the substitute host's print
// dialog and output-style editor with a scripted user.
#include "e2e/e2e_util.h"
#include "job/options.h"
#include "subhost/headless.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

using e2e::blockOf;
using e2e::documentWith;

constexpr uint32_t kKDIC = 0x4B444943u;

// A document whose 'KDIC' block holds these settings (INI text, CR line ends).
Document documentWith(const std::map<std::string, std::string>& settings)
{
    std::string lines;
    for (const auto& [k, v] : settings)
        lines += k + "=" + v + "\r";
    return e2e::documentWith(lines);
}

bool has(const std::string& block, const std::string& line) { return block.find("\r" + line + "\r") != std::string::npos; }

std::string printed(Host& h)
{
    std::string ps;
    printDocument(h, ps);
    return ps;
}

const ControlView& control(const Headless& ui, int id)
{
    const WindowView* pane = ui.pane();
    if (pane == nullptr || pane->control(id) == nullptr)
        throw std::runtime_error("no pane control " + std::to_string(id));
    return *pane->control(id);
}

class Pane : public ::testing::Test {
protected:
    void SetUp() override { e2e::removePreferences(); }
    Headless& open(Document doc, HostOptions o = {})
    {
        host = e2e::loadedHost(o);
        host->openDocument(std::move(doc));
        host->headless().openPrintDialog();
        return host->headless();
    }
    bool act(const std::string& line)
    {
        std::vector<ScriptStep> steps = parseScript(line, "test");
        return host->headless().actOnPane(steps.at(0));
    }
    std::unique_ptr<Host> host;
};

TEST_F(Pane, EnablingRuleInEveryStateOfPrintToFileAndScale)
{
    for (int toFile = 0; toFile <= 1; ++toFile)
        for (int scale = 0; scale <= 1; ++scale) {
            SCOPED_TRACE("PrintToFile=" + std::to_string(toFile) + " Scale=" + std::to_string(scale));
            Headless& ui = open(documentWith({{"PrintToFile", std::to_string(toFile)},
                                              {"Scale", std::to_string(scale)},
                                              {"Distill", "1"},
                                              {"ScX", "0.5"}}));
            auto check = [&](bool f, bool s) {
                EXPECT_EQ(control(ui, 3).value, f ? 1 : 0);
                for (int id : {5, 8, 9})
                    EXPECT_EQ(control(ui, id).enabled, f) << id;
                for (int id : {12, 15})
                    EXPECT_EQ(control(ui, id).enabled, s) << id;
                for (int id : {1, 2, 3, 4, 6, 10, 17})
                    EXPECT_TRUE(control(ui, id).enabled) << id;
                // Disabled or not, the controls keep their values.
                EXPECT_EQ(control(ui, 5).value, 1);
                EXPECT_EQ(control(ui, 12).text, "50.00");
                EXPECT_EQ(control(ui, 15).text, "100.00");
            };
            check(toFile == 1, scale == 1);
            ASSERT_TRUE(act("click 3"));
            check(toFile == 0, scale == 1);
            ASSERT_TRUE(act("click 6"));
            check(toFile == 0, scale == 0);
            // Turning the scale on moves the focus into the X field.
            if (scale == 0) {
                EXPECT_TRUE(control(ui, 12).focused);
            }
            ui.closePrintDialog(false);
        }
}

TEST_F(Pane, ScaleFieldsShowPercentAndStoreFactors)
{
    Headless& ui = open(documentWith({{"Scale", "1"}, {"ScX", "0.5000"}, {"ScY", "0.9500"}}));
    EXPECT_EQ(control(ui, 12).text, "50.00");
    EXPECT_EQ(control(ui, 15).text, "95.00");
    ASSERT_TRUE(act("type 12 75"));
    ASSERT_TRUE(act("type 15 75,5"));
    ui.closePrintDialog(true);
    std::string block = blockOf(*host);
    EXPECT_TRUE(has(block, "ScX=0.7500")) << block;
    EXPECT_TRUE(has(block, "ScY=0.7550")) << block;
    // The system record has them too: the next job scales by them.
    EXPECT_NE(printed(*host).find("/scX 0.7500 def /scY 0.7550 def"), std::string::npos);
}

TEST_F(Pane, ResetThenConfirmStoresAnEmptyFolder)
{
    std::string folder = e2e::tempFolder("reset");
    Headless& ui = open(documentWith({{"PrintToFile", "1"}, {"Folder", folder}}));
    EXPECT_EQ(control(ui, 10).text, folder);
    ASSERT_TRUE(act("click 9"));
    EXPECT_EQ(control(ui, 10).text, "");
    ui.closePrintDialog(true);
    EXPECT_TRUE(has(blockOf(*host), "Folder=")) << blockOf(*host);
    EXPECT_TRUE(host->currentDocument()->changed);
}

TEST_F(Pane, ConfirmingWithoutAChangeLeavesTheDocumentButSetsTheSystemRecord)
{
    Headless& ui = open(documentWith({{"PageBorder", "1"}, {"ScX", "1.0000"}, {"ScY", "1.0000"}}));
    std::string before = blockOf(*host);
    ui.closePrintDialog(true);
    EXPECT_EQ(blockOf(*host), before);
    EXPECT_FALSE(host->currentDocument()->changed);
    EXPECT_TRUE(host->eventsOf("docdata-set").empty());
    EXPECT_TRUE(host->eventsOf("doc-changed").empty());
    EXPECT_NE(printed(*host).find("rectstroke"), std::string::npos); // the border of the system record

    // A change is stored and marks the document changed with level 3.
    ui.openPrintDialog();
    ASSERT_TRUE(act("click 1"));
    ui.closePrintDialog(true);
    EXPECT_TRUE(has(blockOf(*host), "TrimBox=1"));
    ASSERT_EQ(host->eventsOf("doc-changed").size(), 1u);
    EXPECT_EQ(host->eventsOf("doc-changed")[0].value, 3);
}

// Every flag of the option table, clicked in the print dialog, goes into the
// document's block under its key and shows on when the dialog opens again;
// no other flag changes.
TEST_F(Pane, EveryFlagOfTheTableIsStoredInTheDocumentAndShownAgain)
{
    for (const OptionRow& row : kOptions) {
        if (row.stored != Stored::Flag)
            continue;
        SCOPED_TRACE(row.key);
        Headless& ui = open(documentWith({{"PageBorder", "0"}}));
        if (row.enabledBy != 0) {
            ASSERT_TRUE(act("click " + std::to_string(row.enabledBy)));
        }
        ASSERT_TRUE(act("click " + std::to_string(row.paneId)));
        ui.closePrintDialog(true);
        std::string block = blockOf(*host);
        for (const OptionRow& other : kOptions)
            if (other.stored == Stored::Flag) {
                bool on = other.paneId == row.paneId || other.paneId == row.enabledBy;
                EXPECT_TRUE(has(block, std::string(other.key) + (on ? "=1" : "=0"))) << other.key << "\n" << block;
            }
        ui.openPrintDialog();
        EXPECT_EQ(control(ui, row.paneId).value, 1);
        ui.closePrintDialog(false);
    }
}

TEST_F(Pane, CancelledPrintDialogSavesNothing)
{
    Headless& ui = open(documentWith({{"PageBorder", "0"}}));
    ASSERT_TRUE(act("click 2"));
    ui.closePrintDialog(false);
    EXPECT_TRUE(has(blockOf(*host), "PageBorder=0"));
    EXPECT_FALSE(host->currentDocument()->changed);
    EXPECT_EQ(printed(*host).find("rectstroke"), std::string::npos);
}

TEST_F(Pane, PickingAStyleInThePrintDialogReloadsThePane)
{
    host = e2e::loadedHost();
    host->openDocument(e2e::simpleDocument());
    OutputStyle proof;
    proof.name = "Proof";
    proof.nodes[kKDIC] = "<xtension code=\"KDIC\"><Folantra TrimBox=\"1\" Scale=\"1\" ScX=\"0.90000\"/></xtension>";
    OutputStyle eps;
    eps.name = "EPS";
    eps.kind = 0x52545045; // 'RTPE'
    eps.nodes[kKDIC] = proof.nodes[kKDIC];
    host->styles() = {proof, eps};
    Headless& ui = host->headless();
    ui.openPrintDialog();
    EXPECT_EQ(control(ui, 1).value, 0);
    host->chooseStyle(2); // not a print style: the pane stays as it is
    EXPECT_EQ(control(ui, 1).value, 0);
    host->chooseStyle(1);
    EXPECT_EQ(control(ui, 1).value, 1);
    EXPECT_EQ(control(ui, 12).text, "90.00");
    EXPECT_TRUE(control(ui, 12).enabled);
    ui.closePrintDialog(true);
    EXPECT_TRUE(has(blockOf(*host), "TrimBox=1"));
    EXPECT_TRUE(has(blockOf(*host), "ScX=0.9000"));
    EXPECT_EQ(host->outstandingNodes(), 0);
}

TEST_F(Pane, StyleEditorStoresIntoTheStyleOnly)
{
    host = e2e::loadedHost();
    host->openDocument(e2e::simpleDocument());
    OutputStyle proof;
    proof.name = "Proof";
    proof.nodes[kKDIC] = "<xtension code=\"KDIC\"><Folantra TrimBox=\"0\" Title=\"Spring\"/></xtension>";
    host->styles() = {proof};
    Headless& ui = host->headless();
    ui.add("click 2\nclick 6\ntype 12 80\nok");
    EXPECT_TRUE(ui.runStyleEditor(1));
    EXPECT_TRUE(ui.errors().empty());
    const std::string& node = host->styles()[0].nodes[kKDIC];
    EXPECT_NE(node.find("PageBorder=\"1\""), std::string::npos) << node;
    EXPECT_NE(node.find("Scale=\"1\""), std::string::npos) << node;
    EXPECT_NE(node.find("ScX=\"0.80000\""), std::string::npos) << node;
    EXPECT_NE(node.find("Title=\"Spring\""), std::string::npos) << node;
    EXPECT_EQ(blockOf(*host), "<none>");
    EXPECT_FALSE(host->currentDocument()->changed);
    EXPECT_EQ(printed(*host).find("rectstroke"), std::string::npos); // the system record is untouched

    // Cancelled: nothing is stored.
    ui.add("click 1\ncancel");
    EXPECT_FALSE(ui.runStyleEditor(1));
    EXPECT_EQ(host->styles()[0].nodes[kKDIC], node);
    EXPECT_EQ(host->outstandingNodes(), 0);
}

TEST_F(Pane, TypingIntoADisabledFieldIsAScriptError)
{
    Headless& ui = open(documentWith(std::map<std::string, std::string>{}));
    EXPECT_FALSE(act("type 12 80"));
    ASSERT_EQ(ui.errors().size(), 1u);
    EXPECT_NE(ui.errors()[0].find("control 12 of the pane is disabled"), std::string::npos) << ui.errors()[0];
    ui.closePrintDialog(false);
}

TEST_F(Pane, StyleOfAnotherKindShowsNoPane)
{
    host = e2e::loadedHost();
    host->openDocument(e2e::simpleDocument());
    OutputStyle eps;
    eps.name = "EPS";
    eps.kind = 0x52545045; // 'RTPE'
    host->styles() = {eps};
    Headless& ui = host->headless();
    ui.openStyleEditor(1);
    EXPECT_FALSE(ui.paneAdded());
    EXPECT_EQ(ui.pane(), nullptr);
    EXPECT_TRUE(host->eventsOf("pane-added").empty());
    ui.closeStyleEditor(true);
    EXPECT_TRUE(host->styles()[0].nodes.empty());
}

TEST_F(Pane, ChooseFolderAndTheFolderThatDoesNotFit)
{
    std::string first = e2e::tempFolder("chosen");
    std::string second = e2e::tempFolder("chosen2");
    Headless& ui = open(documentWith({{"PrintToFile", "1"}}));
    ui.add("folder " + first);
    ASSERT_TRUE(act("click 8"));
    EXPECT_EQ(control(ui, 10).text, first);
    ui.add("folder " + second);
    ASSERT_TRUE(act("click 8"));
    ui.add("folder-cancel");
    ASSERT_TRUE(act("click 8"));
    EXPECT_EQ(ui.folderRequests(), (std::vector<std::string>{"", first, second})); // each starts in the folder
    EXPECT_EQ(control(ui, 10).text, second);

    std::string tooLong = "/" + std::string(511, 'f');
    ui.add("folder " + tooLong);
    ASSERT_TRUE(act("click 8"));
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_NE(host->messages()[0].primary.find("511 bytes"), std::string::npos);
    EXPECT_EQ(host->messages()[0].secondary, tooLong.substr(0, 511));
    EXPECT_EQ(control(ui, 10).text, second); // unchanged
    ui.closePrintDialog(true);
    EXPECT_TRUE(has(blockOf(*host), "Folder=" + second));
    EXPECT_TRUE(ui.errors().empty());
}

TEST_F(Pane, InvalidFolderIsReportedWithThePathThenTheSlotIsEmpty)
{
    std::string gone = e2e::tempFolder("gone");
    fs::remove_all(gone);
    Headless& ui = open(documentWith({{"PrintToFile", "1"}, {"Folder", gone}}));
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_EQ(host->messages()[0].title, "Folantra");
    EXPECT_EQ(host->messages()[0].primary,
              "Invalid folder for saving the PS-file, the desktop will be used instead.");
    EXPECT_EQ(host->messages()[0].secondary, gone);
    EXPECT_EQ(control(ui, 10).text, e2e::homeFolder() + "/Desktop");
    host->sendAbout(true);
    ASSERT_EQ(host->messages().size(), 2u);
    EXPECT_EQ(host->messages()[1].secondary, ""); // the box emptied both slots
    ui.closePrintDialog(false);
}

TEST_F(Pane, GermanLabelsInThePane)
{
    HostOptions o;
    o.language = 3;
    Headless& ui = open(documentWith(std::map<std::string, std::string>{}), o);
    EXPECT_EQ(control(ui, 1).text, "Auf \"Seite + Anschnitt\" beschneiden\"");
    EXPECT_EQ(control(ui, 3).text, "In Datei drucken");
    EXPECT_EQ(control(ui, 6).text, "Asymmetrisch skalieren:");
    EXPECT_EQ(control(ui, 9).text, "Zur\xC3\xBC" "cksetzen");
    EXPECT_EQ(control(ui, 17).text, "Metadaten\xE2\x80\xA6");
    ui.closePrintDialog(false);

    // A language change of the host shows in the next pane.
    host->sendLanguage(2);
    ui.openPrintDialog();
    EXPECT_EQ(control(ui, 3).text, "Print to file");
    host->sendLanguage(3);
    ui.closePrintDialog(false);
    ui.openPrintDialog();
    EXPECT_EQ(control(ui, 3).text, "In Datei drucken");
    ui.closePrintDialog(false);
}

} // namespace
