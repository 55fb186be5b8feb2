// Bad input and unlucky states through the loaded plug-in: scale factors the
// job cannot take, line breaks in the metadata, files the job did not write,
// relative and odd destination folders, and a distiller that fails.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace subhost;
namespace fs = std::filesystem;

namespace {

using e2e::blockOf;
using e2e::documentWith;
using e2e::styleWith;

constexpr uint32_t kKDIC = 0x4B444943u;

bool waitFor(const std::string& path, int seconds, const std::string& needle = "")
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (fs::exists(path) && fs::file_size(path) > 0) {
            if (needle.empty())
                return true;
            std::ifstream in(path, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), {});
            if (text.find(needle) != std::string::npos)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Document saved(const std::string& path)
{
    Document d = e2e::simpleDocument();
    d.name = fs::path(path).filename().string();
    d.path = path;
    return d;
}

// ---- scale factors ----

class HostileScale : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string folder;
};

TEST_F(HostileScale, FactorsFromAStyleThatTheJobCannotTakeAreLeftOut)
{
    for (const char* bad : {"nan", "inf", "-inf", "1e300", "0", "-0.5", "10.5"}) {
        SCOPED_TRACE(bad);
        auto h = e2e::loadedHost();
        Document d = e2e::simpleDocument();
        d.print.output = 1;
        h->openDocument(d);
        e2e::applyOptions(*h, {{"Scale", "1"}, {"ScX", bad}, {"ScY", "0.5"}});
        std::string ps;
        printDocument(*h, ps);
        EXPECT_EQ(ps.find("/scX"), std::string::npos);
        // The job itself is whole: Ghostscript makes its page.
        std::string pdf = pdfcheck::distill(ps, folder, "job");
        EXPECT_EQ(pdfcheck::readPdf(pdf).pages.size(), 1u);
    }
    // The largest factor still taken.
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument();
    d.print.output = 1;
    h->openDocument(d);
    e2e::applyOptions(*h, {{"Scale", "1"}, {"ScX", "10"}, {"ScY", "0.5"}});
    std::string ps;
    printDocument(*h, ps);
    EXPECT_NE(ps.find("/scX 10.0000 def /scY 0.5000 def"), std::string::npos);
}

TEST_F(HostileScale, AStoredBlockBeyondFloatIsLeftOutOfTheJob)
{
    auto h = e2e::loadedHost();
    Document d = documentWith("Scale=1\rScX=1e39\rScY=0.5\r");
    d.print.output = 1;
    h->openDocument(d);
    h->headless().openPrintDialog();
    h->headless().closePrintDialog(true);
    std::string ps;
    printDocument(*h, ps);
    EXPECT_EQ(ps.find("/scX"), std::string::npos);
    EXPECT_EQ(ps.find("inf"), std::string::npos);
}

TEST_F(HostileScale, ThePaneRefusesAPercentageOutsideItsRange)
{
    auto h = e2e::loadedHost();
    Document d = documentWith("Scale=1\rScX=0.5000\rScY=0.9500\r");
    d.print.output = 1;
    h->openDocument(d);
    Headless& ui = h->headless();
    ui.openPrintDialog();
    auto act = [&](const std::string& line) { return ui.actOnPane(parseScript(line, "test").at(0)); };
    ASSERT_TRUE(act("type 12 " + std::string(41, '9')));
    ASSERT_TRUE(act("type 15 1000"));
    ui.closePrintDialog(true);
    ASSERT_EQ(h->messages().size(), 1u);
    EXPECT_EQ(h->messages()[0].primary, "A scale must be a number from 0 to 1000 percent; the value was not changed.");
    EXPECT_EQ(h->messages()[0].secondary, std::string(41, '9'));
    std::string block = blockOf(*h);
    EXPECT_NE(block.find("\rScX=0.5000\r"), std::string::npos) << block; // kept
    EXPECT_NE(block.find("\rScY=10.0000\r"), std::string::npos) << block; // 1000 % is in range
    std::string ps;
    printDocument(*h, ps);
    EXPECT_NE(ps.find("/scX 0.5000 def /scY 10.0000 def"), std::string::npos);

    // A negative percentage in the style editor: refused there too.
    h->styles() = {styleWith("Scale=\"1\" ScX=\"0.80000\"")};
    ui.add("type 12 -5\nok");
    EXPECT_TRUE(ui.runStyleEditor(1));
    ASSERT_EQ(h->messages().size(), 2u);
    EXPECT_EQ(h->messages()[1].secondary, "-5");
    EXPECT_NE(h->styles()[0].nodes[kKDIC].find("ScX=\"0.80000\""), std::string::npos) << h->styles()[0].nodes[kKDIC];
}

// ---- line breaks in the metadata ----

TEST(HostileMetadata, ALineBreakIsStoredAsABlankInTheBlockAndTheStyle)
{
    e2e::removePreferences();
    auto h = e2e::loadedHost();
    h->openDocument(e2e::simpleDocument());
    h->styles() = {styleWith("Title=\"Spring&#10;Summer\" Author=\"A&#13;&#10;B\" Keywords=\"k&#10;Title=forged\"")};
    Headless& ui = h->headless();
    ui.openPrintDialog();
    h->chooseStyle(1);
    ui.closePrintDialog(true);
    std::string block = blockOf(*h);
    EXPECT_NE(block.find("\rTitle=Spring Summer\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rAuthor=A  B\r"), std::string::npos) << block;
    EXPECT_NE(block.find("\rKeywords=k Title=forged\r"), std::string::npos) << block;
    EXPECT_TRUE(h->currentDocument()->changed);

    // Confirming again with the same values does not count as a change.
    h->currentDocument()->changed = false;
    ui.openPrintDialog();
    h->chooseStyle(1);
    ui.closePrintDialog(true);
    EXPECT_FALSE(h->currentDocument()->changed);

    // The style editor stores the blank too.
    ui.add("ok");
    EXPECT_TRUE(ui.runStyleEditor(1));
    const std::string& node = h->styles()[0].nodes[kKDIC];
    EXPECT_NE(node.find("Title=\"Spring Summer\""), std::string::npos) << node;
    EXPECT_NE(node.find("Keywords=\"k Title=forged\""), std::string::npos) << node;
}

// ---- the print file and the distiller ----

class HostileOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::removePreferences();
        folder = e2e::tempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        marker = folder + "/distilled.txt";
        std::string script = folder + "/distiller.sh";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$FOLANTRA_TEST_MARKER\"\nexit ${FOLANTRA_TEST_EXIT:-0}\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("FOLANTRA_DISTILLER", script.c_str(), 1);
        ::setenv("FOLANTRA_TEST_MARKER", marker.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("FOLANTRA_DISTILLER");
        ::unsetenv("FOLANTRA_TEST_EXIT");
    }

    std::string print(Document doc, std::map<std::string, std::string> options, HostOptions ho = {})
    {
        host = e2e::loadedHost(ho);
        host->openDocument(std::move(doc));
        options["PrintToFile"] = "1";
        e2e::applyOptions(*host, options);
        std::string ps;
        report = printDocument(*host, ps);
        return report.file;
    }

    std::string folder, marker;
    std::unique_ptr<Host> host;
    PrintReport report;
};

TEST_F(HostileOutput, ARefusedFileDoesNotDistillAnOlderJobOfTheSameName)
{
    std::ofstream(folder + "/report.ps") << "%!PS-Adobe-3.0\n% an older job\n";
    HostOptions o;
    o.setFileError = -34;
    print(saved(folder + "/report.qxp"), {{"Distill", "1"}}, o);
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_FALSE(waitFor(marker, 2));
}

TEST_F(HostileOutput, AFailedWriteDoesNotDistillWhatIsThere)
{
    // The job's file cannot replace a folder of that name.
    fs::create_directories(folder + "/report.ps/inside");
    std::string file = print(saved(folder + "/report.qxp"), {{"Distill", "1"}});
    EXPECT_FALSE(report.fileError.empty());
    EXPECT_FALSE(waitFor(marker, 2));
}

TEST_F(HostileOutput, RelativeFoldersAreMadeAbsolute)
{
    fs::path before = fs::current_path();
    fs::current_path(folder);
    fs::create_directories(folder + "/-dx");
    fs::create_directories(folder + "/docs");
    std::string file = print(saved("docs/report.qxp"), {{"Distill", "1"}, {"Folder", "-dx"}});
    std::string file2;
    {
        // A document opened by a relative path, without a folder of its own.
        Document d = saved("docs/other.qxp");
        file2 = print(d, {{"Distill", "0"}});
    }
    fs::current_path(before);
    EXPECT_EQ(file, folder + "/-dx/report.ps");
    ASSERT_TRUE(waitFor(marker, 10));
    EXPECT_EQ(readFile(marker), folder + "/-dx/report.ps");
    EXPECT_EQ(file2, folder + "/docs/other.ps");
}

TEST_F(HostileOutput, APercentSignInTheFolderStillGivesThePdf)
{
    ::unsetenv("FOLANTRA_DISTILLER");
    std::string odd = folder + "/100%done %d";
    fs::create_directories(odd);
    std::string file = print(saved(odd + "/Brochure.qxp"), {{"Distill", "1"}});
    ASSERT_EQ(file, odd + "/Brochure.ps");
    std::string pdf = odd + "/Brochure.pdf";
    ASSERT_TRUE(waitFor(pdf, 60));
    pdfcheck::PdfFacts facts;
    for (int i = 0; i < 120 && facts.pages.empty(); ++i) {
        try {
            facts = pdfcheck::readPdf(pdf);
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    }
    EXPECT_EQ(facts.pages.size(), 1u);
    for (const auto& entry : fs::directory_iterator(odd))
        EXPECT_NE(entry.path().extension(), ".pdf~") << entry.path(); // no stray file beside it
}

TEST_F(HostileOutput, ADistillerThatCannotStartIsShownOnceNamingTheFile)
{
    ::setenv("FOLANTRA_DISTILLER", (folder + "/no-such-distiller").c_str(), 1);
    std::string file = print(saved(folder + "/report.qxp"), {{"Distill", "1"}});
    ASSERT_EQ(file, folder + "/report.ps");
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_EQ(host->messages()[0].primary,
              "Acrobat Distiller could not be started; the PostScript file was not distilled.");
    EXPECT_EQ(host->messages()[0].secondary, file);
    // A distiller that starts (and fails later) gives no box: its end is logged.
    ::setenv("FOLANTRA_DISTILLER", (folder + "/distiller.sh").c_str(), 1);
    ::setenv("FOLANTRA_TEST_EXIT", "3", 1);
    print(saved(folder + "/other.qxp"), {{"Distill", "1"}});
    EXPECT_TRUE(host->messages().empty());
    EXPECT_TRUE(waitFor(marker, 10));
}

TEST_F(HostileOutput, AFailingDistillerLeavesItsExitStatusInTheLog)
{
    const std::string log = e2e::homeFolder() + "/Documents/Kestrovan/Folantra.txt";
    ::setenv("FOLANTRA_TEST_EXIT", "3", 1);
    ::setenv("FOLANTRA_LOG", "1", 1);
    host = e2e::loadedHost();
    ::unsetenv("FOLANTRA_LOG");
    host->openDocument(saved(folder + "/report.qxp"));
    e2e::applyOptions(*host, {{"PrintToFile", "1"}, {"Distill", "1"}});
    std::string ps;
    printDocument(*host, ps);
    ASSERT_TRUE(waitFor(log, 10, "ended: exit status 3")) << readFile(log);
    EXPECT_NE(readFile(log).find(folder + "/report.ps ended: exit status 3"), std::string::npos);
}

TEST_F(HostileOutput, TheDistillerInheritsOnlyTheStandardDescriptors)
{
    std::string script = folder + "/fds.sh";
    std::ofstream(script) << "#!/bin/sh\nls /proc/$$/fd > \"$FOLANTRA_TEST_MARKER.tmp\"\nmv \"$FOLANTRA_TEST_MARKER.tmp\" "
                             "\"$FOLANTRA_TEST_MARKER\"\n";
    fs::permissions(script, fs::perms::owner_all);
    ::setenv("FOLANTRA_DISTILLER", script.c_str(), 1);
    // A descriptor of the host's own, without close-on-exec.
    int held = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(held, 3);
    print(saved(folder + "/report.qxp"), {{"Distill", "1"}});
    ASSERT_TRUE(waitFor(marker, 10));
    ::close(held);
    std::string fds = readFile(marker);
    // The shell itself may hold one for the script; the host's may not be there.
    EXPECT_EQ(fds.find("\n" + std::to_string(held) + "\n"), std::string::npos) << fds;
}

} // namespace
