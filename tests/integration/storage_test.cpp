// The job settings stored in documents and output styles, through a real
// host: blocks and nodes as the host keeps them, saved to files and read back.
#include "integration/inprocess.h"

#include "job/folantrarec.h"
#include "job/jobstorage.h"
#include "subhost/document.h"
#include "subhost/styles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace subhost;

namespace {

FolantraRec sampleRecord(const std::string& folder)
{
    FolantraRec r;
    clearRec(&r);
    r.flags[kFlagTrimBox] = 1;
    r.flags[kFlagPrintToFile] = 1;
    r.flags[kFlagScale] = 1;
    std::strncpy(r.folder, folder.c_str(), sizeof r.folder - 1);
    r.scaleX = 0.75f;
    r.scaleY = 1.25f;
    std::strcpy(r.metaData.title, "Grüße");
    std::strcpy(r.metaData.author, "Ann");
    std::strcpy(r.metaData.keywords, "a, b");
    return r;
}

std::string blockText(Host& h)
{
    const auto& bytes = h.currentDocument()->xtData.at(XT_PLUGIN_ID);
    return std::string(bytes.begin(), bytes.end());
}

TEST(DocumentBlock, StoredAsReversedIniTextWithTerminator)
{
    auto h = inprocess::startedHost();
    h->openDocument(inprocess::document());
    std::string folder = inprocess::freshFolder("out");
    FolantraRec r = sampleRecord(folder);
    setJobHandle(&r);
    std::string expected = "\r[Settings]\rKeywords=a, b\rAuthor=Ann\rTitle=Grüße\rScY=1.2500\rScX=0.7500\rFolder=" +
                           folder + "\rScale=1\rDistill=0\rAskForName=0\rPrintToFile=1\rPageBorder=0\rTrimBox=1\r";
    EXPECT_EQ(blockText(*h), expected + std::string(1, '\0'));
    EXPECT_FALSE(h->currentDocument()->changed); // marking it changed is the caller's part
}

TEST(DocumentBlock, SurvivesSaveAndReopenByteForByte)
{
    std::string folder = inprocess::freshFolder("jobs");
    std::string file = inprocess::home() + "/doc.json";
    std::vector<uint8_t> stored;
    {
        auto h = inprocess::startedHost();
        h->openDocument(inprocess::document());
        FolantraRec r = sampleRecord(folder);
        setJobHandle(&r);
        stored = h->currentDocument()->xtData.at(XT_PLUGIN_ID);
        saveDocument(*h->currentDocument(), file);
    }
    auto h = inprocess::startedHost();
    h->openDocument(loadDocument(file));
    EXPECT_EQ(h->currentDocument()->xtData.at(XT_PLUGIN_ID), stored);
    FolantraRec loaded;
    getJobHandle(&loaded);
    FolantraRec want = sampleRecord(folder);
    EXPECT_TRUE(sameRec(&loaded, &want));
    EXPECT_FALSE(isJobModified(&want));
    want.flags[kFlagPageBorder] = 1;
    EXPECT_TRUE(isJobModified(&want));
    EXPECT_EQ(h->outstandingBlocks(), 0);
}

TEST(DocumentBlock, UntouchedDocumentLoadsClearedAndCompareEqual)
{
    auto h = inprocess::startedHost();
    h->openDocument(inprocess::document());
    FolantraRec loaded, cleared;
    std::memset(&loaded, 0x7F, sizeof loaded);
    getJobHandle(&loaded);
    clearRec(&cleared);
    EXPECT_TRUE(sameRec(&loaded, &cleared));
    EXPECT_FALSE(isJobModified(&cleared));
}

TEST(DocumentBlock, LongFolderIsCutTo255WhileTextsOf255AreKept)
{
    auto h = inprocess::startedHost();
    h->openDocument(inprocess::document());
    FolantraRec r;
    clearRec(&r);
    std::string longFolder = "/" + std::string(400, 'f');
    std::strcpy(r.folder, longFolder.c_str());
    std::memset(r.metaData.title, 't', 255);
    std::memset(r.metaData.author, 'a', 255);
    std::memset(r.metaData.keywords, 'k', 255);
    setJobHandle(&r);
    FolantraRec loaded;
    getJobHandle(&loaded); // the cut folder does not exist: the desktop replaces it
    ASSERT_EQ(h->messages().size(), 1u);
    EXPECT_EQ(h->messages()[0].secondary, longFolder.substr(0, 255));
    EXPECT_EQ(std::string(loaded.metaData.title), std::string(255, 't'));
    EXPECT_EQ(std::string(loaded.metaData.keywords), std::string(255, 'k'));
}

TEST(DocumentBlock, DeletedFolderLoadsAsDesktopAfterTheMessage)
{
    auto h = inprocess::startedHost();
    h->openDocument(inprocess::document());
    std::string folder = inprocess::freshFolder("gone");
    FolantraRec r = sampleRecord(folder);
    setJobHandle(&r);
    std::filesystem::remove_all(folder);
    FolantraRec first, second;
    getJobHandle(&first);
    getJobHandle(&second);
    EXPECT_EQ(std::string(first.folder), inprocess::home() + "/Desktop");
    EXPECT_TRUE(sameRec(&first, &second));
    ASSERT_EQ(h->messages().size(), 2u);
    EXPECT_EQ(h->messages()[0].primary, "Invalid folder for saving the PS-file, the desktop will be used instead.");
    EXPECT_EQ(h->messages()[0].secondary, folder);
    // The load changed nothing in the document.
    EXPECT_NE(blockText(*h).find("Folder=" + folder + "\r"), std::string::npos);
}

TEST(DocumentBlock, FlagTwoLoadsAsTwoAndCountsAsOff)
{
    auto h = inprocess::startedHost();
    Document d = inprocess::document();
    std::string text = "\r[Settings]\rTrimBox=2\rPageBorder=1\r";
    d.xtData[XT_PLUGIN_ID] = std::vector<uint8_t>(text.begin(), text.end());
    d.xtData[XT_PLUGIN_ID].push_back(0);
    h->openDocument(d);
    FolantraRec loaded;
    getJobHandle(&loaded);
    EXPECT_EQ(loaded.flags[kFlagTrimBox], 2);
    setSysRec(&loaded);
    EXPECT_FALSE(getTrimBox());
    EXPECT_TRUE(getPageBorder());
}

class StyleElement : public ::testing::Test {
protected:
    xtstyleref addStyle(Host& h, const std::string& node, uint32_t kind = XT_STYLE_KIND_PRINT)
    {
        OutputStyle s;
        s.name = "Style " + std::to_string(h.styles().size() + 1);
        s.kind = kind;
        if (!node.empty())
            s.nodes[XT_PLUGIN_ID] = node;
        h.styles().push_back(s);
        return static_cast<xtstyleref>(h.styles().size());
    }
};

TEST_F(StyleElement, RoundTripsThroughTheStyleFileWithAFolderOf511Bytes)
{
    std::string base = inprocess::freshFolder("s");
    std::string folder = base;
    while (folder.size() < 511) // in components a file system accepts
        folder += "/" + std::string(std::min<std::size_t>(200, 511 - folder.size() - 1), 'd');
    ASSERT_EQ(folder.size(), 511u);
    std::filesystem::create_directories(folder);
    std::string file = inprocess::home() + "/styles.xml";
    FolantraRec r = sampleRecord(folder);
    {
        auto h = inprocess::startedHost();
        xtstyleref s = addStyle(*h, "<xtension code=\"KDIC\"/>");
        setFolantraRec(s, &r);
        saveStyles(file, h->styles());
        EXPECT_EQ(h->outstandingNodes(), 0);
    }
    auto h = inprocess::startedHost();
    h->styles() = loadStyles(file);
    FolantraRec loaded;
    getFolantraRecByStyle(1, &loaded);
    EXPECT_TRUE(sameRec(&loaded, &r));
    EXPECT_TRUE(h->messages().empty());
    const std::string& node = h->styles()[0].nodes.at(XT_PLUGIN_ID);
    EXPECT_NE(node.find("ScX=\"0.75000\""), std::string::npos);
    EXPECT_NE(node.find("Title=\"Grüße\""), std::string::npos);
}

TEST_F(StyleElement, MissingValuesKeepTheirDefaults)
{
    auto h = inprocess::startedHost();
    xtstyleref s = addStyle(*h, "<xtension code=\"KDIC\"><Folantra ScY=\"0.95\" TrimBox=\"\" Scale=\"1\"/></xtension>");
    FolantraRec loaded;
    getFolantraRecByStyle(s, &loaded);
    EXPECT_EQ(loaded.scaleX, 1.0f);
    EXPECT_FLOAT_EQ(loaded.scaleY, 0.95f);
    EXPECT_EQ(loaded.flags[kFlagTrimBox], 0);
    EXPECT_EQ(loaded.flags[kFlagScale], 1);
    // A style without a node stores nothing and loads cleared.
    xtstyleref bare = addStyle(*h, "");
    FolantraRec r = sampleRecord("");
    setFolantraRec(bare, &r);
    EXPECT_TRUE(h->styles()[bare - 1].nodes.empty());
    getFolantraRecByStyle(bare, &loaded);
    FolantraRec cleared;
    clearRec(&cleared);
    EXPECT_TRUE(sameRec(&loaded, &cleared));
    EXPECT_EQ(h->outstandingNodes(), 0);
}

TEST_F(StyleElement, ChoosingAStyleSetsTheSystemRecordOnlyForPrintStyles)
{
    auto h = inprocess::startedHost();
    FolantraRec before = *getSysRec();
    xtstyleref eps = addStyle(*h, "<xtension code=\"KDIC\"><Folantra PageBorder=\"1\"/></xtension>", 0x52545045);
    h->chooseStyle(eps);
    EXPECT_TRUE(sameRec(getSysRec(), &before));
    xtstyleref print = addStyle(*h, "<xtension code=\"KDIC\"><Folantra PageBorder=\"1\"/></xtension>");
    h->chooseStyle(print);
    EXPECT_TRUE(getPageBorder());
}

} // namespace
