// The substitute host at the interface's limit: documents of up to 32,767
// pages, pages found through the page index, and the job written into its
// file as it is produced.
#include "e2e/e2e_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace subhost;

namespace {

std::string documentJson(int spreads, int pagesPerSpread)
{
    std::string json = "{\"name\": \"Long\", \"pageSize\": {\"width\": 400, \"height\": 600}, \"spreads\": [";
    for (int i = 0; i < spreads; ++i)
        json += (i ? ", {\"pages\": " : "{\"pages\": ") + std::to_string(pagesPerSpread) + "}";
    return json + "]}";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LargeDocument, UpTo32767PagesAreReadAndOneMoreIsRefused)
{
    Document d = parseDocument(documentJson(32767, 1), "long.json");
    EXPECT_EQ(d.pageCount(), 32767);
    EXPECT_EQ(parseDocument(documentJson(10922, 3), "spreads.json").pageCount(), 32766);
    try {
        parseDocument(documentJson(10923, 3), "toolong.json");
        FAIL() << "a document of 32,769 pages was read";
    } catch (const DocumentError& e) {
        EXPECT_NE(std::string(e.what()).find("toolong.json: spreads: too many pages (at most 32767)"),
                  std::string::npos)
            << e.what();
    }
}

TEST(LargeDocument, PagesAreFoundInTheirSpreadsAsSpreadsAreAdded)
{
    Document d;
    for (int pages : {1, 2, 3, 1})
        d.spreads.push_back(Spread{pages, {}});
    struct Where {
        int page, spread, position;
    };
    for (Where w : {Where{1, 0, 0}, Where{2, 1, 0}, Where{3, 1, 1}, Where{4, 2, 0}, Where{6, 2, 2}, Where{7, 3, 0}}) {
        int spread = -1, position = -1;
        ASSERT_TRUE(d.locatePage(w.page, &spread, &position)) << w.page;
        EXPECT_EQ(spread, w.spread) << w.page;
        EXPECT_EQ(position, w.position) << w.page;
    }
    int spread = 0, position = 0;
    EXPECT_FALSE(d.locatePage(0, &spread, &position));
    EXPECT_FALSE(d.locatePage(8, &spread, &position));
    EXPECT_EQ(d.firstPageOfSpread(2), 4);
    EXPECT_EQ(d.firstPageOfSpread(4), 8);

    // A spread added later is found.
    d.spreads.push_back(Spread{2, {}});
    ASSERT_TRUE(d.locatePage(9, &spread, &position));
    EXPECT_EQ(spread, 4);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(d.firstPageOfSpread(4), 8);

    // A copy keeps its own index.
    Document copy = d;
    copy.spreads.erase(copy.spreads.begin());
    ASSERT_TRUE(copy.locatePage(1, &spread, &position));
    EXPECT_EQ(spread, 0);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(copy.pageCount(), 8);
    EXPECT_FALSE(copy.locatePage(9, &spread, &position));
    ASSERT_TRUE(d.locatePage(9, &spread, &position));
    EXPECT_EQ(spread, 4);
}

TEST(LargeDocument, A32767PageJobPrintsIntoItsFileThroughThePlugIn)
{
    const std::string dir = e2e::tempFolder("largejob");
    e2e::writePreferences("[General]\nCompact=1\n");
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument(32767);
    d.spreads.back().boxes.clear(); // the last page is blank
    d.print.blankPages = true;
    h->openDocument(d);
    e2e::applyOptions(*h, {{"TrimBox", "1"}, {"PageBorder", "1"}});
    const std::string file = dir + "/long.ps";
    PrintReport report = printDocument(*h, nullptr, file);
    e2e::removePreferences();
    EXPECT_EQ(report.pagesWritten, 32767);
    EXPECT_EQ(report.otherFile, file);
    EXPECT_TRUE(report.fileError.empty()) << report.fileError;
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
    ASSERT_EQ(h->eventsOf("box-create").size(), 1u);
    EXPECT_EQ(h->eventsOf("box-create")[0].code, 32767);
    EXPECT_EQ(h->eventsOf("box-delete").size(), 1u);
    EXPECT_EQ(h->outstandingBlocks(), 0);

    const std::string ps = readFile(file);
    std::size_t pages = 0, pdfmarks = 0;
    for (std::size_t at = ps.find("%%Page: "); at != std::string::npos; at = ps.find("%%Page: ", at + 1))
        ++pages;
    for (std::size_t at = ps.find("/PUT pdfmark"); at != std::string::npos; at = ps.find("/PUT pdfmark", at + 1))
        ++pdfmarks;
    EXPECT_EQ(pages, 32767u);
    EXPECT_EQ(pdfmarks, 32767u);
    EXPECT_NE(ps.find("%%Page: 32767 32767\n"), std::string::npos);
    EXPECT_EQ(ps.substr(ps.size() - 16), "%%Trailer\n%%EOF\n");
}

TEST(StreamedJob, ReplacesTheOldFileOnlyWhenCompleteAndReportsAFileItCannotWrite)
{
    const std::string dir = e2e::tempFolder("streamed");
    auto h = e2e::loadedHost();
    h->openDocument(e2e::simpleDocument(3));
    const std::string file = dir + "/job.ps";
    std::ofstream(file) << "old job";

    std::string kept;
    PrintReport report = printDocument(*h, &kept, file);
    EXPECT_EQ(report.otherFile, file);
    EXPECT_EQ(readFile(file), kept); // the copy in memory is the file's text
    EXPECT_EQ(kept.rfind("%!PS-Adobe-3.0\n", 0), 0u);
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());

    // A folder that is not there is made on the way.
    const std::string missing = dir + "/no such folder/job.ps";
    report = printDocument(*h, nullptr, missing);
    EXPECT_EQ(report.fileError, "");
    EXPECT_EQ(report.otherFile, missing);
    EXPECT_EQ(report.pagesWritten, 3);
    EXPECT_TRUE(fs::is_regular_file(missing));

    // A file where a folder on the way should be: refused with the reason,
    // nothing left behind.
    const std::string blocked = dir + "/job.ps/inner.ps";
    report = printDocument(*h, nullptr, blocked);
    EXPECT_NE(report.fileError.find("is a file, not a folder"), std::string::npos) << report.fileError;
    EXPECT_TRUE(report.otherFile.empty());
    EXPECT_EQ(readFile(file), kept);

    // A folder in the place of the job's file: refused; the folder stays as
    // it was.
    const std::string folderInTheWay = dir + "/taken.ps";
    fs::create_directories(folderInTheWay + "/inside");
    report = printDocument(*h, nullptr, folderInTheWay);
    EXPECT_EQ(report.fileError, "cannot write " + folderInTheWay + ": it is a folder");
    EXPECT_TRUE(fs::is_directory(folderInTheWay + "/inside"));
    EXPECT_TRUE(e2e::temporaryFilesIn(dir).empty());
}

} // namespace
