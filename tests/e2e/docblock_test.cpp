// The plug-in's block in a document, through the loaded plug-in: any line end
// reads alike, the block is written with CR line ends, and a save keeps what
// the plug-in could not read.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

using e2e::blockOf;

// The settings of a job printed into `folder` with a title, author and border.
std::string settingsLines(const std::string& folder, const std::string& end)
{
    return "[Settings]" + end + "Keywords=spring" + end + "Author=Ann" + end + "Title=Spring" + end + "ScY=1.0000" +
           end + "ScX=1.0000" + end + "Folder=" + folder + end + "Scale=0" + end + "Distill=0" + end +
           "AskForName=0" + end + "PrintToFile=1" + end + "PageBorder=1" + end + "TrimBox=1" + end;
}

Document documentWithBlock(const std::string& text)
{
    Document d = e2e::simpleDocument();
    d.name = "Flyer";
    std::vector<uint8_t>& block = d.xtData[XT_PLUGIN_ID];
    block.assign(text.begin(), text.end());
    block.push_back(0);
    return d;
}

// "Spring" as the DOCINFO entry writes it.
const char kTitleEntry[] = "/Title <FEFF0053007000720069006E0067>";

TEST(StoredBlock, CrLfLfAndCrReadAlikeWithOrWithoutALeadingLineEnd)
{
    e2e::removePreferences();
    std::string folder = e2e::tempFolder("block-line-ends");
    for (const char* end : {"\r", "\r\n", "\n"}) {
        for (bool leading : {true, false}) {
            SCOPED_TRACE(std::string(end == std::string("\r") ? "CR" : end == std::string("\n") ? "LF" : "CR LF") +
                         (leading ? ", leading line end" : ", none in front"));
            fs::remove(folder + "/Flyer.ps");
            auto h = e2e::loadedHost();
            h->openDocument(documentWithBlock((leading ? end : "") + settingsLines(folder, end)));
            Headless& ui = h->headless();
            // One click (the page border goes off) and OK.
            ui.add("click 2\nok");
            ASSERT_TRUE(ui.runPrintDialog());
            std::string ps;
            PrintReport report = printDocument(*h, ps);
            EXPECT_EQ(report.file, folder + "/Flyer.ps");
            EXPECT_TRUE(fs::exists(folder + "/Flyer.ps"));
            EXPECT_NE(ps.find(kTitleEntry), std::string::npos);
            EXPECT_NE(ps.find("/Author <FEFF0041006E006E>"), std::string::npos);
            // The block as written: CR line ends, every key kept, the border off.
            std::string block = blockOf(*h);
            std::string expected = "\r" + settingsLines(folder, "\r") + '\0';
            expected.replace(expected.find("PageBorder=1"), 12, "PageBorder=0");
            EXPECT_EQ(block, expected);
            EXPECT_EQ(block.find('\n'), std::string::npos);
        }
    }
}

TEST(StoredBlock, ASaveKeepsWhatThePluginCouldNotRead)
{
    e2e::removePreferences();
    // A title longer than the plug-in's 255 bytes, a line it does not read
    // ("Author = Bo" is no entry of Author), and a section of someone else's.
    std::string longTitle(300, 't');
    std::string text = "\r[Settings]\rTitle=" + longTitle + "\rAuthor = Bo\rPageBorder=0\r[Other]\rkeep=1\r";
    auto h = e2e::loadedHost();
    h->openDocument(documentWithBlock(text));
    Headless& ui = h->headless();
    ui.add("click 2\nok");
    ASSERT_TRUE(ui.runPrintDialog());
    std::string block = blockOf(*h);
    EXPECT_NE(block.find("\rTitle=" + longTitle + "\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rAuthor = Bo\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\r[Other]\rkeep=1\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rPageBorder=1\r"), std::string::npos) << block;
    EXPECT_EQ(block.rfind("\r[Settings]\rKeywords=\rAuthor=\rTitle=", 0), 0u) << block;

    // A title the user changes replaces the long one.
    ui.add("click 17\ntype 3 Short\nreturn\nok");
    ASSERT_TRUE(ui.runPrintDialog());
    block = blockOf(*h);
    EXPECT_NE(block.find("\rTitle=Short\r"), std::string::npos) << block;
    EXPECT_EQ(block.find(longTitle), std::string::npos) << block;
    EXPECT_NE(block.find("\r[Other]\rkeep=1\r"), std::string::npos) << block;
}

TEST(StoredBlock, TheHostTakesAnLfBlockAndInfoListsWhatThePluginReads)
{
    std::string dir = e2e::tempFolder("block-lf-cli");
    std::string doc = dir + "/doc.json";
    {
        std::FILE* f = std::fopen(doc.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("{\"name\": \"Flyer\", \"pageSize\": {\"width\": 200, \"height\": 200}, \"spreads\": [{\"pages\": 1}],"
                   " \"xtensionData\": {\"KDIC\": {\"text\": \"[Settings]\\nTitle=Spring\\nPrintToFile=1\\nFolder=",
                   f);
        std::fputs(dir.c_str(), f);
        std::fputs("\\n\"}}}", f);
        std::fclose(f);
    }
    e2e::Outcome o = e2e::runCommand(std::string(FOLANTRA_HOST_PATH) + " print '" + doc + "' -o '" + dir + "/other.ps'");
    ASSERT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(fs::exists(dir + "/Flyer.ps")) << o.output;
    EXPECT_FALSE(fs::exists(dir + "/other.ps")) << o.output;
}

} // namespace
