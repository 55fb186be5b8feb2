// Texts cut to a byte limit end at a character, through the loaded plug-in:
// the metadata and folder from a document's block and from an output style,
// the job's PDF, messages and the string table's texts.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

using e2e::blockOf;
using e2e::styleWith;

constexpr uint32_t kKDIC = 0x4B444943u;

// `n` two-byte letters.
std::string umlauts(int n, const char* letter = "\xC3\xA4")
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += letter;
    return s;
}

class CharacterCuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // The document info of the job as Ghostscript distils it.
    std::map<std::string, std::string> distilledInfo(Host& h)
    {
        std::string ps;
        printDocument(h, ps);
        return pdfcheck::readPdf(pdfcheck::distill(ps, folder, "job")).info;
    }
    std::string folder;
};

// 300 letters of two bytes: 255 bytes end in half a letter, 254 do not.
const std::string kLong = umlauts(300);
const std::string kCut = umlauts(127);

TEST_F(CharacterCuts, MetadataFromADocumentsBlockReachesThePdfWholeLettersOnly)
{
    auto h = e2e::loadedHost();
    h->openDocument(e2e::documentWith("Title=" + kLong + "\rAuthor=" + kLong + "\rKeywords=" + kLong + "\r"));
    h->headless().add("ok");
    ASSERT_TRUE(h->headless().runPrintDialog());
    auto info = distilledInfo(*h);
    EXPECT_EQ(info["/Title"], kCut);
    EXPECT_EQ(info["/Author"], kCut);
    EXPECT_EQ(info["/Keywords"], kCut);
    // What the metadata dialog shows and stores.
    h->headless().add("click 17\nreturn\nok");
    ASSERT_TRUE(h->headless().runPrintDialog());
    const WindowView* meta = h->headless().lastDialog("MetaData");
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->control(3)->text, kCut);
}

TEST_F(CharacterCuts, MetadataFromAStyleIsStoredAndPrintedWholeLettersOnly)
{
    auto h = e2e::loadedHost();
    h->openDocument(e2e::simpleDocument());
    h->styles() = {styleWith("Title=\"" + kLong + "\" Author=\"" + kLong + "\" Keywords=\"" + kLong + "\"")};
    Headless& ui = h->headless();
    ui.openPrintDialog();
    h->chooseStyle(1);
    ui.closePrintDialog(true);
    std::string block = blockOf(*h);
    EXPECT_NE(block.find("\rTitle=" + kCut + "\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rAuthor=" + kCut + "\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rKeywords=" + kCut + "\r"), std::string::npos) << block;
    auto info = distilledInfo(*h);
    EXPECT_EQ(info["/Title"], kCut);
    EXPECT_EQ(info["/Keywords"], kCut);
    // The style editor writes the cut form back into the style.
    ui.add("ok");
    ASSERT_TRUE(ui.runStyleEditor(1));
    const std::string& node = h->styles()[0].nodes[kKDIC];
    EXPECT_NE(node.find("Title=\"" + kCut + "\""), std::string::npos) << node;
}

TEST_F(CharacterCuts, AFolderCutToItsBufferIsShownWholeLettersOnly)
{
    // A folder that does not exist is named in the message, cut as it was
    // read: 255 bytes from a document's block, 511 from a style.
    const std::string gone = "/nosuch/"; // eight bytes: the limits fall inside a letter
    auto h = e2e::loadedHost();
    h->openDocument(e2e::documentWith("Folder=" + gone + kLong + "\r"));
    h->headless().openPrintDialog();
    ASSERT_EQ(h->messages().size(), 1u);
    EXPECT_EQ(h->messages()[0].secondary, gone + umlauts(123));

    h->styles() = {styleWith("Folder=\"" + gone + kLong + "\"")};
    h->chooseStyle(1);
    h->headless().closePrintDialog(false);
    ASSERT_EQ(h->messages().size(), 2u);
    EXPECT_EQ(h->messages()[1].secondary, gone + umlauts(251));
}

TEST_F(CharacterCuts, AMessageCutToItsBufferEndsAtALetter)
{
    // The path of a job too long for its buffer, named in the message: a
    // folder that fits (up to 511 bytes) and a name that makes it too long.
    const std::string name = umlauts(40);
    std::string deep = folder;
    while (deep.size() < 440)
        deep += "/" + umlauts(25);
    // The message's 511 bytes end inside a letter.
    auto whole = [&] { return deep + "/" + name + ".ps"; };
    while ((static_cast<unsigned char>(whole()[511]) & 0xC0) != 0x80)
        deep += "x";
    ASSERT_LE(deep.size(), 511u);
    fs::create_directories(deep);
    Document d = e2e::simpleDocument();
    d.name = name + ".qxp";
    d.path = folder + "/" + d.name;
    auto h = e2e::loadedHost();
    h->openDocument(d);
    e2e::applyOptions(*h, {{"PrintToFile", "1"}, {"Folder", deep}});
    std::string ps;
    printDocument(*h, ps);
    ASSERT_EQ(h->messages().size(), 1u);
    EXPECT_EQ(h->messages()[0].primary.find("longer than 511 bytes"), 35u) << h->messages()[0].primary;
    EXPECT_EQ(h->messages()[0].secondary, whole().substr(0, 510));
}

TEST_F(CharacterCuts, AStringTableTextLongerThanItsLimitEndsAtALetter)
{
    // A copy of the plug-in whose English table gives the invalid-folder
    // message 1 + 300 x 2 bytes; texts are read up to 250 bytes.
    fs::path plugin(FOLANTRA_PLUGIN_PATH);
    fs::path copy = fs::path(folder) / "XTensions";
    fs::create_directories(copy);
    fs::copy_file(plugin, copy / plugin.filename());
    fs::copy(plugin.parent_path() / "Folantra.resources", copy / "Folantra.resources", fs::copy_options::recursive);
    fs::path table = copy / "Folantra.resources" / "MyStrings_E.xml";
    std::string text;
    {
        std::ifstream in(table, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string open = "<invalidFolder>";
    std::size_t from = text.find(open) + open.size();
    text.replace(from, text.find("</invalidFolder>") - from, "!" + kLong);
    std::ofstream(table, std::ios::binary | std::ios::trunc) << text;

    Host h;
    ASSERT_TRUE(h.load((copy / plugin.filename()).string())) << h.error();
    h.openDocument(e2e::documentWith("Folder=/nosuch\r"));
    h.headless().openPrintDialog();
    ASSERT_EQ(h.messages().size(), 1u);
    EXPECT_EQ(h.messages()[0].primary, "!" + umlauts(124));
    h.headless().closePrintDialog(false);
}

} // namespace
