// The plug-in's own dialogs through the loaded plug-in and the substitute
// host's scripted user: the metadata dialog, the PostScript file name dialog,
// what the host sees of them, and the command line's dialog command.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

using e2e::blockOf;
using e2e::documentWith;

constexpr uint32_t kKDIC = 0x4B444943u;

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override { e2e::removePreferences(); }
    // Runs the print dialog with the script; true when it was confirmed.
    bool printDialog(Document doc, const std::string& script, HostOptions o = {})
    {
        host = e2e::loadedHost(o);
        host->openDocument(std::move(doc));
        host->headless().add(script);
        return host->headless().runPrintDialog();
    }
    Headless& ui() { return host->headless(); }
    std::unique_ptr<Host> host;
};

TEST_F(Dialogs, MetadataOkStoresTheFieldsCancelKeepsThemEvenAfterTyping)
{
    Document doc = documentWith("Title=Old\rAuthor=Ann\r");
    std::string original(doc.xtData[kKDIC].begin(), doc.xtData[kKDIC].end());
    EXPECT_TRUE(printDialog(doc, "click 17\n"
                                 "type 3 Typed but cancelled\n"
                                 "escape\n"
                                 "click 17\n"
                                 "type 4 Bob\n"
                                 "click 2\n"
                                 "ok"));
    EXPECT_TRUE(ui().errors().empty());
    ASSERT_EQ(ui().dialogsOpened().size(), 2u);
    EXPECT_EQ(ui().window(ui().dialogsOpened()[0])->result, 2);
    EXPECT_EQ(ui().window(ui().dialogsOpened()[1])->result, 2);
    EXPECT_EQ(blockOf(*host), original);
    EXPECT_FALSE(host->currentDocument()->changed);

    // The fields show the record; OK (here by Return) reads all three back.
    EXPECT_TRUE(printDialog(doc, "click 17\ntype 3 Spring\ntype 5 print, pdf\nreturn\nok"));
    const WindowView* meta = ui().lastDialog("MetaData");
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->result, 1);
    std::string block = blockOf(*host);
    EXPECT_NE(block.find("\rTitle=Spring\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rAuthor=Ann\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rKeywords=print, pdf\r"), std::string::npos) << block;
    EXPECT_TRUE(host->currentDocument()->changed);
}

TEST_F(Dialogs, MetadataDialogAsTheHostSeesIt)
{
    printDialog(documentWith("Title=Old\r"), "click 17\ntab\ntab\ntab\nbacktab\nshow\nclose\ncancel");
    const WindowView* meta = ui().lastDialog("MetaData");
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->title, "Folantra");
    EXPECT_EQ(meta->width, 477);
    EXPECT_EQ(meta->height, 168);
    EXPECT_EQ(meta->left, (1280 - 477) / 2);
    EXPECT_EQ(meta->top, (1024 - 168) / 4);
    ASSERT_NE(meta->control(1), nullptr);
    EXPECT_EQ(meta->control(1)->x, 356);
    EXPECT_EQ(meta->control(1)->y, 127);
    EXPECT_TRUE(meta->control(1)->flags & XT_CTL_DEFAULT);
    EXPECT_EQ(meta->control(3)->text, "Old");
    // tab, tab, tab from the title field wraps round to it; backtab goes to keywords.
    EXPECT_TRUE(meta->control(5)->focused);
    EXPECT_EQ(meta->result, 2);
    EXPECT_TRUE(ui().scriptDone());
}

TEST_F(Dialogs, UserDataIsNeverTranslated)
{
    HostOptions german;
    german.language = 3;
    // A title that happens to be a key of the string table stays what it is.
    EXPECT_TRUE(printDialog(documentWith("Title=Title\r"), "click 17\nshow\nreturn\nok", german));
    const WindowView* meta = ui().lastDialog("MetaData");
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->control(3)->text, "Title");
    std::vector<std::string> labels;
    for (const ControlView& c : meta->controls)
        if (c.kind == XT_FOURCC('s', 't', 'x', 't'))
            labels.push_back(c.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"Titel:", "Autor:", "Schl\xC3\xBCsselw\xC3\xB6rter:"}));
    EXPECT_EQ(meta->control(2)->text, "Abbrechen");
    EXPECT_NE(blockOf(*host).find("\rTitle=Title\r"), std::string::npos);
}

class FileName : public Dialogs {
protected:
    // A saved document that prints to a file and asks for its name.
    Document saved()
    {
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Document d = documentWith("PrintToFile=1\rAskForName=1\r");
        d.name = "report.final.qxp";
        d.path = folder + "/report.final.qxp";
        return d;
    }
    std::string print(const std::string& script, HostOptions o = {})
    {
        host = e2e::loadedHost(o);
        host->openDocument(saved());
        ui().add(script);
        EXPECT_TRUE(ui().runPrintDialog()); // confirming makes the settings the job's
        std::string ps;
        report = printDocument(*host, ps);
        return report.file;
    }
    std::string folder;
    PrintReport report;
};

TEST_F(FileName, TheFieldFeedsThePath)
{
    std::string file = print("ok\nshow\ntype 4 final.ps\nreturn");
    EXPECT_EQ(file, folder + "/final.ps");
    const WindowView* dialog = ui().lastDialog("PSName");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->result, 1);
    ASSERT_NE(dialog->control(1), nullptr);
    EXPECT_EQ(dialog->control(1)->x, 357);
    EXPECT_EQ(dialog->control(1)->y, 104);
    EXPECT_TRUE(ui().errors().empty());
}

TEST_F(FileName, NamePartSelectedAndClosingKeepsTheName)
{
    std::string file = print("ok\nclose");
    EXPECT_EQ(file, folder + "/report.final.ps");
    const WindowView* dialog = ui().lastDialog("PSName");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->result, 2);
    // What the user saw when it opened: the name with its file-name part selected.
    const ControlView* field = dialog->control(4);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text, "report.final.ps");
    EXPECT_EQ(field->selectedText(), "report.final");
    EXPECT_TRUE(field->focused);
}

TEST_F(FileName, AnEmptyFieldGivesThePathOfTheFolder)
{
    print("ok\ntype 4 \"\"\nreturn");
    EXPECT_TRUE(host->eventsOf("setfile").size() == 1u);
    EXPECT_EQ(host->jobFile, folder + "/");
}

TEST_F(FileName, GermanLabel)
{
    HostOptions o;
    o.language = 3;
    print("ok\nreturn", o);
    const WindowView* dialog = ui().lastDialog("PSName");
    ASSERT_NE(dialog, nullptr);
    bool found = false;
    for (const ControlView& c : dialog->controls)
        found = found || c.text == "PS-Dateiname:";
    EXPECT_TRUE(found);
}

TEST_F(Dialogs, ScriptStepsForAnotherWindowEndTheScript)
{
    // "ok" while the metadata dialog is open: the dialog is closed, the print dialog cancelled.
    EXPECT_FALSE(printDialog(documentWith(""), "click 17\nok\nok"));
    ASSERT_EQ(ui().errors().size(), 1u);
    EXPECT_NE(ui().errors()[0].find("script line 2"), std::string::npos) << ui().errors()[0];
    EXPECT_EQ(ui().lastDialog("MetaData")->result, 2);
    EXPECT_TRUE(ui().scriptDone());
    // A message box answer where none is asked.
    EXPECT_FALSE(printDialog(documentWith(""), "msgbox ok"));
    EXPECT_EQ(ui().errors().size(), 1u);
}

TEST(UiScript, ParsesEveryStepAndNamesTheLineOfAFault)
{
    auto steps = parseScript("# comment\n\n  click 3\ntype 12 \"75,5\"\ntype 3 Spring catalogue  \r\n"
                             "choose 5 2\nfolder /tmp/a b\nfolder-cancel\nmsgbox close\nstyle \"Proof \\\"A\\\"\"\n"
                             "return\nescape\nclose\ntab\nbacktab\nok\ncancel\nshow\n",
                             "s.txt");
    ASSERT_EQ(steps.size(), 16u);
    EXPECT_EQ(steps[0].kind, ScriptStep::Kind::Click);
    EXPECT_EQ(steps[0].control, 3);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[1].text, "75,5");
    EXPECT_EQ(steps[2].text, "Spring catalogue");
    EXPECT_EQ(steps[3].value, 2);
    EXPECT_EQ(steps[4].text, "/tmp/a b");
    EXPECT_EQ(steps[6].kind, ScriptStep::Kind::MsgClose);
    EXPECT_EQ(steps[7].text, "Proof \"A\"");
    for (const char* bad : {"klick 3", "click", "click x", "click 3 4", "type 3", "type 3 \"open", "msgbox maybe",
                            "choose 5", "ok now"}) {
        try {
            parseScript("show\n" + std::string(bad), "s.txt");
            ADD_FAILURE() << bad;
        } catch (const ScriptError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("s.txt:2: ", 0), 0u) << e.what();
        }
    }
}

// The command line: the README's example, a dialog that changes options,
// prints and saves the document.
TEST(DialogCommand, ChangesOptionsPrintsAndSavesTheDocument)
{
    std::string dir = e2e::tempFolder("cli");
    std::ofstream(dir + "/doc.json") << R"({"name": "Flyer", "pageSize": {"width": 595.276, "height": 841.89},
        "spreads": [{"pages": 1, "boxes": [{"bounds": [72, 72, 144, 300], "fill": 0.5}]}]})";
    std::ofstream(dir + "/script.txt") << "# border and metadata\nclick 2\nclick 17\ntype 3 Spring\nreturn\nok\n";
    std::string command = std::string(FOLANTRA_HOST_PATH) + " dialog " + dir + "/doc.json --script " + dir +
                          "/script.txt -o " + dir + "/out.ps --save " + dir + "/saved.json > " + dir + "/log.txt 2>&1";
    int status = std::system(command.c_str());
    std::ifstream log(dir + "/log.txt");
    std::stringstream text;
    text << log.rdbuf();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text.str();
    EXPECT_NE(text.str().find("dialog \"MetaData\" ended with 1 (OK)"), std::string::npos) << text.str();
    Document saved = loadDocument(dir + "/saved.json");
    std::string block(saved.xtData.at(kKDIC).begin(), saved.xtData.at(kKDIC).end());
    EXPECT_NE(block.find("\rPageBorder=1\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rTitle=Spring\r"), std::string::npos) << block;
    std::ifstream ps(dir + "/out.ps");
    std::stringstream job;
    job << ps.rdbuf();
    EXPECT_NE(job.str().find("rectstroke"), std::string::npos);

    // A script fault: the line is named and the command fails.
    std::ofstream(dir + "/bad.txt") << "click 2\nclick 5\nok\n";
    command = std::string(FOLANTRA_HOST_PATH) + " dialog " + dir + "/doc.json --script " + dir + "/bad.txt > " + dir +
              "/log2.txt 2>&1";
    status = std::system(command.c_str());
    std::ifstream log2(dir + "/log2.txt");
    std::stringstream text2;
    text2 << log2.rdbuf();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << text2.str();
    EXPECT_NE(text2.str().find("script line 2: click 5: control 5 of the pane is disabled"), std::string::npos)
        << text2.str();
}

} // namespace
