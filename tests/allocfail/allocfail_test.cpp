// The plug-in when memory runs out. A test build of the plug-in
// (allocfaults/XTensions/Folantra.xnt) fails its n-th allocation: the n-th
// call of myalloc (FOLANTRA_FAIL_ALLOC=n) or the n-th operator new of its own
// code (FOLANTRA_FAIL_NEW=n), alone or with every later one ("n+"). Each
// scenario runs once through folantra-host to count the allocations it makes,
// then once for every n of both kinds, failing alone and from there on.
// Every run must end without a crash, a sanitizer report or a leak; a job
// that is printed is complete PostScript that Ghostscript distils; temporary
// boxes never outlive the job; and what the plug-in stores in a document or a
// style is either all of it or nothing (the old block, the old style).
#include "e2e/e2e_util.h"
#include "subhost/document.h"
#include "subhost/styles.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;

enum class Kind { Alloc, New };

std::string q(const std::string& s) { return pdfcheck::shellQuote(s); }

// How many allocations of each kind a run made.
struct Tally {
    unsigned long alloc = 0;
    unsigned long news = 0;
    unsigned long of(Kind kind) const { return kind == Kind::Alloc ? alloc : news; }
};

// One run's failing allocation: the n-th of its kind (n = 0: none), alone or
// with every later one.
struct Fault {
    Kind kind = Kind::Alloc;
    unsigned long n = 0;
    bool onward = false;

    std::string variable() const
    {
        return std::string(kind == Kind::Alloc ? "FOLANTRA_FAIL_ALLOC=" : "FOLANTRA_FAIL_NEW=") + std::to_string(n) +
               (onward ? "+" : "");
    }
};

// Every fault a scenario with this tally can meet.
std::vector<Fault> faultsOf(const Tally& t)
{
    std::vector<Fault> faults;
    for (Kind kind : {Kind::Alloc, Kind::New})
        for (bool onward : {false, true})
            for (unsigned long n = 1; n <= t.of(kind); ++n)
                faults.push_back(Fault{kind, n, onward});
    return faults;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The host on the test build of the plug-in with the allocations of `fault`
// failing. A sanitizer report gets an exit status of its own. The distiller
// the plug-in starts is `true`.
Outcome runHost(const std::string& args, const Fault& fault, const std::string& tally = "")
{
    std::string env = "env ASAN_OPTIONS=exitcode=86 LSAN_OPTIONS=exitcode=87 UBSAN_OPTIONS=print_stacktrace=1 "
                      "FOLANTRA_DISTILLER=true ";
    env += fault.variable() + " ";
    if (!tally.empty())
        env += "FOLANTRA_ALLOC_TALLY=" + q(tally) + " ";
    return e2e::runCommand(env + q(FOLANTRA_HOST_PATH) + " --plugin " + q(FOLANTRA_ALLOCFAULTS_PLUGIN_PATH) + " " +
                           args);
}

// Runs the scenario without a fault and reads how many allocations it made.
Tally countAllocations(const std::string& args, const std::string& dir, Outcome* outcome)
{
    std::string file = dir + "/tally.txt";
    fs::remove(file);
    *outcome = runHost(args, Fault{}, file);
    Tally t;
    std::istringstream in(readFile(file));
    std::string word;
    unsigned long value = 0;
    while (in >> word >> value)
        (word == "myalloc" ? t.alloc : t.news) = value;
    return t;
}

// A run ended by itself, with one of the host's statuses (0 done, 1 failed),
// and no sanitizer spoke: no memory error, no undefined behaviour, no leak.
void expectClean(const Outcome& o)
{
    EXPECT_TRUE(o.status == 0 || o.status == 1) << "exit status " << o.status << "\n" << o.output;
    for (const char* mark : {"Sanitizer", "runtime error:", "terminate called", "temporary boxes"})
        EXPECT_EQ(o.output.find(mark), std::string::npos) << o.output;
}

// A whole job: its trailer is there and Ghostscript distils it.
void expectCompleteJob(const std::string& file)
{
    ASSERT_TRUE(fs::exists(file)) << file;
    std::string ps = readFile(file);
    EXPECT_NE(ps.find("%%EOF"), std::string::npos) << file;
    Outcome gs = e2e::runCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=/dev/null " + q(file));
    EXPECT_EQ(gs.status, 0) << file << "\n" << gs.output;
}

std::string blockText(const subhost::Document& d)
{
    auto it = d.xtData.find(XT_PLUGIN_ID);
    return it == d.xtData.end() ? "<none>" : std::string(it->second.begin(), it->second.end());
}

// The plug-in's block in a saved document; "<not saved>" without the file.
std::string savedBlock(const std::string& file)
{
    if (!fs::exists(file))
        return "<not saved>";
    try {
        return blockText(subhost::loadDocument(file));
    } catch (const std::exception& e) {
        return std::string("<unreadable: ") + e.what() + ">";
    }
}

// samples/brochure.json (four pages, the last without items, blank pages
// prepared) with the plug-in's block holding these [Settings] lines, saved
// into `file`.
void writeBrochure(const std::string& file, const std::string& lines)
{
    subhost::Document d = subhost::loadDocument(std::string(FOLANTRA_SOURCE_DIR) + "/samples/brochure.json");
    if (!lines.empty()) {
        std::string text = "\r[Settings]\r" + lines;
        std::vector<uint8_t>& block = d.xtData[XT_PLUGIN_ID];
        block.assign(text.begin(), text.end());
        block.push_back(0);
    }
    subhost::saveDocument(d, file);
}

std::string sample(const std::string& name) { return std::string(FOLANTRA_SOURCE_DIR) + "/samples/" + name; }

void report(const char* scenario, const Tally& t)
{
    std::cout << "[ counts   ] " << scenario << ": every n of " << t.alloc << " myalloc and " << t.news
              << " operator new allocations, failing alone and from there on (" << faultsOf(t).size()
              << " runs)\n";
}

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The preferences come from a file, as at a site.
        e2e::writePreferences("[General]\r\nTB=1\r\nCropBox=1\r\nBleedBox=1\r\n");
    }
    void TearDown() override { e2e::removePreferences(); }
};

// The Print command on a document whose stored settings print into a folder
// of the plug-in's with boxes, border, scale and document info, and start the
// distiller. Nothing is to be stored: whatever fails, the document's block
// stays as it was. When the block cannot be read at all, the job goes out
// without the plug-in's settings, to the host's file.
TEST_F(AllocationFailure, PrintJob)
{
    std::string dir = e2e::tempFolder("allocfail-print");
    fs::create_directories(dir + "/jobs");
    std::string doc = dir + "/doc.json";
    writeBrochure(doc, "Keywords=spring\rAuthor=Ann\rTitle=Brochure\rScY=0.9750\rScX=0.9500\rFolder=" + dir +
                           "/jobs\rScale=1\rDistill=1\rAskForName=0\rPrintToFile=1\rPageBorder=1\rTrimBox=1\r");
    const std::string block = blockText(subhost::loadDocument(doc));
    const std::string pluginFile = dir + "/jobs/Broschüre Frühjahr.ps";
    const std::string hostFile = dir + "/host.ps";
    const std::string saved = dir + "/saved.json";
    const std::string args = "print " + q(doc) + " -o " + q(hostFile) + " --save " + q(saved) + " --wait-distiller";
    auto clear = [&] {
        for (const std::string& f : {pluginFile, hostFile, saved})
            fs::remove(f);
    };

    clear();
    Outcome base;
    Tally t = countAllocations(args, dir, &base);
    ASSERT_EQ(base.status, 0) << base.output;
    expectClean(base);
    ASSERT_GT(t.alloc, 0u) << "the test build counts no allocations";
    std::string ps = readFile(pluginFile);
    EXPECT_NE(ps.find("/TrimBox"), std::string::npos);
    EXPECT_NE(ps.find("/scX 0.9500 def /scY 0.9750 def"), std::string::npos);
    EXPECT_NE(ps.find("rectstroke"), std::string::npos);
    EXPECT_NE(ps.find("/DOCINFO"), std::string::npos);

    bool hostFileSeen = false;
    for (const Fault& fault : faultsOf(t)) {
        SCOPED_TRACE(fault.variable());
        clear();
        Outcome o = runHost(args, fault);
        expectClean(o);
        EXPECT_EQ(o.status, 0) << o.output;
        // The job went to one file, whole.
        bool toPlugin = fs::exists(pluginFile);
        EXPECT_NE(toPlugin, fs::exists(hostFile)) << o.output;
        expectCompleteJob(toPlugin ? pluginFile : hostFile);
        hostFileSeen = hostFileSeen || !toPlugin;
        EXPECT_EQ(savedBlock(saved), block);
    }
    // The block that could not be read is kept, although the dialog was
    // confirmed with a cleared record.
    EXPECT_TRUE(hostFileSeen);
    report("print job", t);
}

// The print dialog: the pane opened on a document with stored settings, the
// page border and the scale turned on, 95 % by 97.5 %, title and author typed
// into the metadata dialog, confirmed (which prints), the document saved.
// A step the plug-in could not carry out ends the script (the host cancels the
// dialog and saves nothing). A confirmed dialog stores all of the pane's
// settings or, when the store fails, none: the block stays as it was and no
// message is shown; the job uses the pane's settings in both cases.
TEST_F(AllocationFailure, PaneChangedAndConfirmed)
{
    std::string dir = e2e::tempFolder("allocfail-pane");
    std::string doc = dir + "/doc.json";
    writeBrochure(doc, "Keywords=spring\rAuthor=Bea\rTitle=Old title\rScY=1.0000\rScX=1.0000\rFolder=\rScale=0\r"
                       "Distill=0\rAskForName=0\rPrintToFile=0\rPageBorder=0\rTrimBox=1\r");
    const std::string oldBlock = blockText(subhost::loadDocument(doc));
    const std::string job = dir + "/job.ps";
    const std::string saved = dir + "/saved.json";
    const std::string args =
        "dialog " + q(doc) + " --script " + q(sample("pane-script.txt")) + " -o " + q(job) + " --save " + q(saved);
    auto clear = [&] {
        fs::remove(job);
        fs::remove(saved);
    };

    clear();
    Outcome base;
    Tally t = countAllocations(args, dir, &base);
    ASSERT_EQ(base.status, 0) << base.output;
    expectClean(base);
    ASSERT_GT(t.alloc, 0u) << "the test build counts no allocations";
    const std::string newBlock = savedBlock(saved);
    ASSERT_NE(newBlock, oldBlock);
    EXPECT_NE(newBlock.find("\rTitle=Spring brochure\r"), std::string::npos) << newBlock;
    EXPECT_NE(newBlock.find("\rScX=0.9500\r"), std::string::npos) << newBlock;

    bool storeFailed = false, keysShown = false;
    for (const Fault& fault : faultsOf(t)) {
        SCOPED_TRACE(fault.variable());
        clear();
        Outcome o = runHost(args, fault);
        expectClean(o);
        if (o.status != 0) {
            EXPECT_NE(o.output.find("error: script line"), std::string::npos) << o.output;
            EXPECT_FALSE(fs::exists(saved));
            continue;
        }
        expectCompleteJob(job);
        EXPECT_NE(readFile(job).find("/scX 0.9500 def /scY 0.9750 def"), std::string::npos) << o.output;
        std::string block = savedBlock(saved);
        EXPECT_TRUE(block == newBlock || block == oldBlock) << block;
        if (block == oldBlock) {
            storeFailed = true;
            EXPECT_EQ(o.output.find("message box"), std::string::npos) << o.output;
        }
        // Without the string table the pane shows its keys, and works.
        keysShown = keysShown || o.output.find("\"crop\"") != std::string::npos;
    }
    EXPECT_TRUE(storeFailed);
    EXPECT_TRUE(keysShown);
    report("pane opened, changed and confirmed", t);
}

// A document without the plug-in's block printed with an output style chosen
// in the print dialog, then saved: the style's settings are stored into the
// document, all of them or none.
TEST_F(AllocationFailure, DocumentSave)
{
    std::string dir = e2e::tempFolder("allocfail-save");
    std::string doc = dir + "/doc.json";
    writeBrochure(doc, "");
    const std::string job = dir + "/job.ps";
    const std::string saved = dir + "/saved.json";
    const std::string args = "print " + q(doc) + " --styles " + q(sample("styles.xml")) +
                             " --style 'Proof with boxes' -o " + q(job) + " --save " + q(saved);
    auto clear = [&] {
        fs::remove(job);
        fs::remove(saved);
    };

    clear();
    Outcome base;
    Tally t = countAllocations(args, dir, &base);
    ASSERT_EQ(base.status, 0) << base.output;
    expectClean(base);
    ASSERT_GT(t.alloc, 0u) << "the test build counts no allocations";
    const std::string newBlock = savedBlock(saved);
    ASSERT_NE(newBlock, "<none>");
    EXPECT_NE(newBlock.find("\rPageBorder=1\r"), std::string::npos) << newBlock;

    bool nothingStored = false;
    for (const Fault& fault : faultsOf(t)) {
        SCOPED_TRACE(fault.variable());
        clear();
        Outcome o = runHost(args, fault);
        expectClean(o);
        EXPECT_EQ(o.status, 0) << o.output;
        expectCompleteJob(job);
        std::string block = savedBlock(saved);
        EXPECT_TRUE(block == newBlock || block == "<none>") << block;
        nothingStored = nothingStored || block == "<none>";
    }
    EXPECT_TRUE(nothingStored);
    report("document save", t);
}

// The output-style editor: the pane on a style, three check boxes changed,
// confirmed, the style file saved. The style holds all of the changes or
// none.
TEST_F(AllocationFailure, StyleEdit)
{
    std::string dir = e2e::tempFolder("allocfail-style");
    const std::string saved = dir + "/styles.xml";
    const std::string args = "style-editor --styles " + q(sample("styles.xml")) + " --style 'Proof with boxes' --script " +
                             q(sample("style-script.txt")) + " --save " + q(saved);
    auto nodeOf = [](const std::string& file) {
        if (!fs::exists(file))
            return std::string("<not saved>");
        try {
            for (const subhost::OutputStyle& s : subhost::loadStyles(file))
                if (s.name == "Proof with boxes") {
                    auto it = s.nodes.find(XT_PLUGIN_ID);
                    return it == s.nodes.end() ? std::string("<none>") : it->second;
                }
        } catch (const std::exception& e) {
            return std::string("<unreadable: ") + e.what() + ">";
        }
        return std::string("<no style>");
    };
    const std::string oldNode = nodeOf(sample("styles.xml"));

    fs::remove(saved);
    Outcome base;
    Tally t = countAllocations(args, dir, &base);
    ASSERT_EQ(base.status, 0) << base.output;
    expectClean(base);
    const std::string newNode = nodeOf(saved);
    ASSERT_NE(newNode, oldNode);

    for (const Fault& fault : faultsOf(t)) {
        SCOPED_TRACE(fault.variable());
        fs::remove(saved);
        Outcome o = runHost(args, fault);
        expectClean(o);
        if (o.status != 0) {
            EXPECT_NE(o.output.find("error: script line"), std::string::npos) << o.output;
            continue;
        }
        std::string node = nodeOf(saved);
        EXPECT_TRUE(node == newNode || node == oldNode) << node;
    }
    report("style edit", t);
}

} // namespace
