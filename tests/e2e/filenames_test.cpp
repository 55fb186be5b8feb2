// The PostScript file's name stays inside the folder the job goes to, through
// the loaded plug-in: a document's name or a typed file name that holds a
// separator or ".." is refused with a message, and nothing is written.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

const char kLeaves[] = "The name of the PostScript file would place it outside its folder; the job is not printed to a file.";

class FileNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        // The working folder three deep inside this test's folder, so that a
        // job sent upwards from it stays inside the test's folder.
        work = folder + "/a/b/c";
        fs::create_directories(work);
        before = fs::current_path();
        fs::current_path(work);
    }
    void TearDown() override { fs::current_path(before); }

    // Prints with the print dialog run by `script`; the file the host wrote.
    std::string print(Document doc, const std::string& script)
    {
        host = e2e::loadedHost();
        host->openDocument(std::move(doc));
        host->headless().add(script);
        EXPECT_TRUE(host->headless().runPrintDialog());
        std::string ps;
        report = printDocument(*host, ps);
        return report.file;
    }

    // Every file below the test's folder, as paths relative to it.
    std::vector<std::string> filesWritten()
    {
        std::vector<std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                found.push_back(fs::relative(e.path(), folder).string());
        return found;
    }

    std::string folder, work;
    fs::path before;
    std::unique_ptr<Host> host;
    PrintReport report;
};

TEST_F(FileNames, ANeverSavedDocumentsNameThatLeavesItsFolderIsRefused)
{
    const std::string desktop = e2e::homeFolder() + "/Desktop";
    for (const char* name : {"../../x", "../x", "sub/x", "sub\\..\\../x"}) {
        SCOPED_TRACE(name);
        Document d = e2e::documentWith("PrintToFile=1\r");
        d.name = name;
        std::string file = print(d, "ok");
        EXPECT_TRUE(file.empty()) << file;
        EXPECT_TRUE(host->eventsOf("setfile").empty());
        ASSERT_EQ(host->messages().size(), 1u);
        EXPECT_EQ(host->messages()[0].primary, kLeaves);
        // The message names the file the job would have been written to.
        EXPECT_EQ(host->messages()[0].secondary, desktop + "/" + name + ".ps");
        EXPECT_EQ(report.pagesWritten, 1); // the job itself goes on, to the host's output
    }
    EXPECT_TRUE(filesWritten().empty()) << filesWritten().front();

    // A plain name prints to the desktop.
    Document d = e2e::documentWith("PrintToFile=1\r");
    d.name = "Project1";
    EXPECT_EQ(print(d, "ok"), desktop + "/Project1.ps");
    EXPECT_TRUE(host->messages().empty());
}

TEST_F(FileNames, ATypedNameThatLeavesTheChosenFolderIsRefused)
{
    std::string chosen = folder + "/chosen";
    fs::create_directories(chosen + "/sub");
    for (const char* typed : {"../x.ps", "sub/../../x.ps", "sub/x.ps", "..", "."}) {
        SCOPED_TRACE(typed);
        Document d = e2e::documentWith("PrintToFile=1\rAskForName=1\rFolder=" + chosen + "\r");
        std::string file = print(d, "ok\ntype 4 \"" + std::string(typed) + "\"\nreturn");
        EXPECT_TRUE(file.empty()) << file;
        ASSERT_EQ(host->messages().size(), 1u);
        EXPECT_EQ(host->messages()[0].primary, kLeaves);
        EXPECT_EQ(host->messages()[0].secondary, chosen + "/" + typed);
    }
    EXPECT_TRUE(filesWritten().empty()) << filesWritten().front();

    // A name of its own, dots inside it included, goes into the folder.
    Document d = e2e::documentWith("PrintToFile=1\rAskForName=1\rFolder=" + chosen + "\r");
    EXPECT_EQ(print(d, "ok\ntype 4 ..final..ps\nreturn"), chosen + "/..final..ps");
    EXPECT_TRUE(host->messages().empty());
}

} // namespace
