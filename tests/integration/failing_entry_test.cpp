// A handler of the plug-in that fails inside while the real substitute host
// prints: the host gets the handler's failure answer and goes on with the
// job, the diagnostics log names the handler, and later jobs print whole.
#include "integration/inprocess.h"

#include "host/xtcalls.h"
#include "log/dump.h"
#include "postscript/psprocs.h"
#include "subhost/printjob.h"
#include "tools/pdfcheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <sstream>
#include <string>

using namespace subhost;

namespace {

// Stands between the plug-in's PostScript writer and the host's print
// stream: the write that holds `failOn` throws std::bad_alloc, as an
// allocation deep inside a handler would; every other write goes on to the
// host.
struct FailingWrites {
    std::string failOn;
    int remaining = 1; // how many such writes fail
    int failed = 0;

    static void write(const char* bytes, int32_t n, void* context)
    {
        auto* self = static_cast<FailingWrites*>(context);
        if (self->remaining > 0 && std::string(bytes, static_cast<std::size_t>(n)).find(self->failOn) !=
                                       std::string::npos) {
            --self->remaining;
            ++self->failed;
            throw std::bad_alloc();
        }
        xtWriteStream(bytes, n);
    }
};

class FailingEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = inprocess::freshFolder("failing-entry");
        setupDump(1, "", "failing-entry");
    }
    void TearDown() override
    {
        setPSSink(nullptr, nullptr);
        setLogMode(-1);
    }
    static std::string log()
    {
        std::ifstream in(logPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static int count(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    // The results the host got from the handlers of `code`, in call order.
    static std::vector<int32_t> results(const Host& h, int32_t code)
    {
        std::vector<int32_t> out;
        for (const Event& e : h.eventsOf("call"))
            if (e.code == code)
                out.push_back(e.result);
        return out;
    }
    std::string folder;
};

} // namespace

TEST_F(FailingEntry, PageSetupThatThrowsAnswersZeroAndTheJobGoesOn)
{
    auto h = inprocess::startedHost();
    Document d = inprocess::document();
    d.spreads.push_back(Spread{});
    h->openDocument(d);
    h->events().clear();

    // The first page's box block fails at its first write: nothing of it
    // reaches the job.
    FailingWrites writes{"/TrimBox"};
    setPSSink(&FailingWrites::write, &writes);
    std::string ps;
    PrintReport report = printDocument(*h, ps);
    setPSSink(nullptr, nullptr);

    EXPECT_EQ(writes.failed, 1);
    EXPECT_EQ(results(*h, XT_CB_PAGESETUP), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(report.pagesWritten, 2);
    EXPECT_EQ(count(ps, "/TrimBox"), 1); // the second page's
    EXPECT_EQ(count(ps, "%%Folantra: 4.20"), 1);
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
    EXPECT_EQ(count(log(), "psPageSetup: stopped an exception: std::bad_alloc"), 1);

    // The job is still PostScript a distiller takes: page 1 without its
    // boxes, page 2 with them.
    pdfcheck::PdfFacts facts = pdfcheck::readPdf(pdfcheck::distill(ps, folder, "failed"));
    ASSERT_EQ(facts.pages.size(), 2u);
    EXPECT_FALSE(facts.pages[0].has("/TrimBox"));
    EXPECT_TRUE(facts.pages[1].has("/TrimBox"));

    // The host goes on: the next job of the same document prints whole.
    std::string again;
    report = printDocument(*h, again);
    EXPECT_EQ(report.pagesWritten, 2);
    EXPECT_EQ(count(again, "/TrimBox"), 2);
    facts = pdfcheck::readPdf(pdfcheck::distill(again, folder, "again"));
    ASSERT_EQ(facts.pages.size(), 2u);
    EXPECT_TRUE(facts.pages[0].has("/TrimBox"));
    EXPECT_TRUE(facts.pages[1].has("/TrimBox"));
    EXPECT_EQ(h->outstandingBlocks(), 0);
}

TEST_F(FailingEntry, EveryPrintHandlerThatThrowsAnswersZero)
{
    auto h = inprocess::startedHost();
    h->openDocument(inprocess::document());
    h->events().clear();

    // Every write of the job fails: the DSC comment (145), the document's
    // setup (148) and the page's boxes (155) each stop at their first.
    FailingWrites writes{"", 1000};
    setPSSink(&FailingWrites::write, &writes);
    std::string ps;
    PrintReport report = printDocument(*h, ps);
    setPSSink(nullptr, nullptr);

    for (int32_t code : {XT_CB_JOBSTART, XT_CB_PSCOMMENT, XT_CB_DOCSETUP, XT_CB_PAGESETUP, XT_CB_PAGESCALE,
                         XT_CB_JOBEND})
        for (int32_t result : results(*h, code))
            EXPECT_EQ(result, 0) << "callback " << code;
    EXPECT_EQ(report.pagesWritten, 1);
    EXPECT_EQ(ps.find("Folantra"), std::string::npos);
    std::string text = log();
    EXPECT_EQ(count(text, "psComment: stopped an exception: std::bad_alloc"), 1);
    EXPECT_EQ(count(text, "psDocSetup: stopped an exception: std::bad_alloc"), 1);
    EXPECT_EQ(count(text, "psPageSetup: stopped an exception: std::bad_alloc"), 1);
    EXPECT_EQ(writes.failed, 3);

    std::string again;
    printDocument(*h, again);
    EXPECT_EQ(count(again, "%%Folantra: 4.20"), 1);
    EXPECT_EQ(count(again, "/TrimBox"), 1);
}
