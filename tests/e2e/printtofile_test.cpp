// Print-to-file and the distiller, through the loaded plug-in: where the job
// lands, what the user is told, and what the distiller is started on.
#include "e2e/e2e_util.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

bool waitFor(const std::string& path, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (fs::exists(path) && fs::file_size(path) > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrintToFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        // A distiller of this test's own: it writes down the file it was given.
        marker = folder + "/distilled.txt";
        std::string script = folder + "/distiller.sh";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$FOLANTRA_TEST_MARKER\"\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("FOLANTRA_DISTILLER", script.c_str(), 1);
        ::setenv("FOLANTRA_TEST_MARKER", marker.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("FOLANTRA_DISTILLER"); }

    // Prints `doc` with the given options; the file the host wrote the job to.
    std::string print(Document doc, std::map<std::string, std::string> options, HostOptions ho = {})
    {
        host = e2e::loadedHost(ho);
        host->openDocument(std::move(doc));
        options["PrintToFile"] = options.count("PrintToFile") ? options["PrintToFile"] : "1";
        e2e::applyOptions(*host, options);
        std::string ps;
        report = printDocument(*host, ps);
        return report.file;
    }

    Document saved(const std::string& path)
    {
        Document d = e2e::simpleDocument();
        d.name = fs::path(path).filename().string();
        d.path = path;
        return d;
    }

    std::string folder, marker;
    std::unique_ptr<Host> host;
    PrintReport report;
};

TEST_F(PrintToFile, NeverSavedDocumentGoesToTheDesktop)
{
    Document d = e2e::simpleDocument();
    d.name = "Project1";
    std::string file = print(d, {});
    EXPECT_EQ(file, e2e::homeFolder() + "/Desktop/Project1.ps");
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(host->messages().empty());
}

TEST_F(PrintToFile, SavedDocumentGoesBesideItWithItsExtensionReplaced)
{
    EXPECT_EQ(print(saved(folder + "/report.qxp"), {}), folder + "/report.ps");
    EXPECT_EQ(print(saved(folder + "/a.b.c"), {}), folder + "/a.b.ps");
    EXPECT_EQ(print(saved(folder + "/plain"), {}), folder + "/plain.ps");
    e2e::writePreferences("[General]\nAddPS=1\n");
    EXPECT_EQ(print(saved(folder + "/report.qxp"), {}), folder + "/report.qxp.ps");
    e2e::removePreferences();
}

TEST_F(PrintToFile, ChosenFolderWinsAndADeletedOneFallsBackToTheDesktopOnce)
{
    std::string target = folder + "/target";
    fs::create_directories(target);
    EXPECT_EQ(print(saved(folder + "/report.qxp"), {{"Folder", target}}), target + "/report.ps");
    fs::remove_all(target);
    EXPECT_EQ(print(saved(folder + "/report.qxp"), {{"Folder", target}}), e2e::homeFolder() + "/Desktop/report.ps");
    // Once when the style's record is loaded and once when the job settles its file.
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_EQ(host->messages()[0].secondary, target);
}

TEST_F(PrintToFile, RefusedFileIsReportedAndTheJobGoesOn)
{
    HostOptions o;
    o.setFileError = -34;
    std::string file = print(saved(folder + "/report.qxp"), {{"Distill", "1"}}, o);
    EXPECT_TRUE(file.empty());
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_EQ(host->messages()[0].primary, "Internal error: XTSetFile (-34)");
    EXPECT_EQ(report.pagesWritten, 1);
    EXPECT_FALSE(waitFor(marker, 1)); // no file, no distiller
}

TEST_F(PrintToFile, PathLongerThanItsBufferIsRefusedNotCut)
{
    std::string deep = folder;
    while (deep.size() < 480)
        deep += "/" + std::string(60, 'x');
    fs::create_directories(deep);
    std::string file = print(saved(folder + "/" + std::string(60, 'n') + ".qxp"), {{"Folder", deep}});
    EXPECT_TRUE(file.empty());
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_NE(host->messages()[0].primary.find("511"), std::string::npos);
    EXPECT_TRUE(host->eventsOf("setfile").empty());
}

TEST_F(PrintToFile, DistillerStartsOnlyForAFileJobWithDistillOn)
{
    print(saved(folder + "/off.qxp"), {{"PrintToFile", "0"}, {"Distill", "1"}});
    EXPECT_FALSE(waitFor(marker, 1));
    print(saved(folder + "/nodistill.qxp"), {{"Distill", "0"}});
    EXPECT_FALSE(waitFor(marker, 1));
    std::string odd = folder + "/with blank \"quoted\" $HOME `true`";
    fs::create_directories(odd);
    std::string file = print(saved(odd + "/report.qxp"), {{"Distill", "1"}});
    ASSERT_TRUE(waitFor(marker, 10));
    EXPECT_EQ(readFile(marker), odd + "/report.ps");
    EXPECT_EQ(file, odd + "/report.ps");
}

TEST_F(PrintToFile, Ps2pdfMakesThePdfBesideThePostScript)
{
    ::unsetenv("FOLANTRA_DISTILLER");
    std::string odd = folder + "/a folder with blanks";
    fs::create_directories(odd);
    std::string file = print(saved(odd + "/Brochure.qxp"), {{"Distill", "1"}, {"TrimBox", "1"}});
    ASSERT_EQ(file, odd + "/Brochure.ps");
    std::string pdf = odd + "/Brochure.pdf";
    ASSERT_TRUE(waitFor(pdf, 60));
    // ps2pdf runs on its own: read the PDF once it is complete.
    pdfcheck::PdfFacts facts;
    for (int i = 0; i < 120 && facts.pages.empty(); ++i) {
        try {
            facts = pdfcheck::readPdf(pdf);
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    }
    ASSERT_EQ(facts.pages.size(), 1u);
    EXPECT_TRUE(facts.pages[0].has("/TrimBox"));
}

} // namespace
