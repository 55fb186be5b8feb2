// Host entries that fail inside: the plug-in gets the entry's failure value,
// nothing crashes, nothing stored is lost, and the host goes on (prints,
// opens its dialogs) as before.
#include "e2e/e2e_util.h"
#include "subhost/headless.h"
#include "xtheadless.h"

#include <gtest/gtest.h>

using namespace subhost;

namespace {

using e2e::blockOf;
using e2e::documentWith;

constexpr uint32_t kKDIC = 0x4B444943u;

const ControlView& paneControl(Host& h, int id)
{
    const WindowView* pane = h.headless().pane();
    if (pane == nullptr || pane->control(id) == nullptr)
        throw std::runtime_error("no pane control " + std::to_string(id));
    return *pane->control(id);
}

class HostEntryFailing : public ::testing::Test {
protected:
    void SetUp() override { e2e::removePreferences(); }
};

TEST_F(HostEntryFailing, DocumentDataThatCannotBeHandedOutReadsAsNoneAndIsKept)
{
    auto h = e2e::loadedHost();
    h->openDocument(documentWith("Scale=1\rScX=0.5000\rScY=0.9500\r"));
    const std::string stored = blockOf(*h);

    // Opening the print dialog reads the document's options: the host block
    // for them fails as an allocation does.
    h->failNextAlloc();
    h->headless().openPrintDialog();
    auto failed = h->eventsOf("entry-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].code, XT_GROUPID_DOCDATA);
    EXPECT_EQ(failed[0].value, XT_DOCDATA_GET);
    EXPECT_EQ(failed[0].result, XT_ERR_NOTFOUND);
    ASSERT_EQ(h->entryFailures().size(), 1u);
    EXPECT_NE(h->entryFailures()[0].find("bad_alloc"), std::string::npos) << h->entryFailures()[0];
    // The plug-in took the failure for "no options": the pane shows the
    // defaults (scale off, 100 %).
    EXPECT_FALSE(paneControl(*h, 12).enabled);
    EXPECT_EQ(paneControl(*h, 12).text, "100.00");
    h->headless().closePrintDialog(false);
    EXPECT_EQ(blockOf(*h), stored);
    EXPECT_FALSE(h->currentDocument()->changed);

    // The host runs on: the next dialog reads the options, a job prints.
    h->headless().openPrintDialog();
    EXPECT_EQ(paneControl(*h, 12).text, "50.00");
    EXPECT_EQ(paneControl(*h, 15).text, "95.00");
    h->headless().closePrintDialog(false);
    std::string ps;
    PrintReport report = printDocument(*h, ps);
    EXPECT_EQ(report.pagesWritten, 1);
    EXPECT_NE(ps.find("%%Folantra: 4.20\r"), std::string::npos);
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
    EXPECT_EQ(h->eventsOf("entry-failed").size(), 1u);
    EXPECT_EQ(h->outstandingBlocks(), 0);
}

TEST_F(HostEntryFailing, BoxDescriptionThatCannotBeMadeLeavesTheBlankPageAlone)
{
    auto h = e2e::loadedHost();
    Document d = e2e::simpleDocument(3);
    d.spreads[1].boxes.clear(); // page 2 is blank
    d.print.blankPages = true;
    h->openDocument(d);

    h->failNextAlloc();
    std::string ps;
    PrintReport report = printDocument(*h, ps);
    auto failed = h->eventsOf("entry-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].code, XT_GROUPID_TEXTBOX);
    EXPECT_EQ(failed[0].value, XT_TEXTBOX_NEWDESC);
    EXPECT_EQ(failed[0].result, XT_ERR_NOTFOUND);
    // Without a description no temporary box is made; the job is whole.
    EXPECT_TRUE(h->eventsOf("box-create").empty());
    EXPECT_EQ(report.pagesWritten, 3);
    EXPECT_NE(ps.find("%%EOF"), std::string::npos);
    EXPECT_TRUE(h->currentDocument()->spreads[1].boxes.empty());
    EXPECT_EQ(h->outstandingBlocks(), 0);

    // The next job gets its box as always.
    std::string again;
    report = printDocument(*h, again);
    EXPECT_EQ(report.pagesWritten, 3);
    EXPECT_EQ(h->eventsOf("box-create").size(), 1u);
    EXPECT_EQ(h->eventsOf("box-delete").size(), 1u);
    EXPECT_EQ(h->eventsOf("entry-failed").size(), 1u);
    EXPECT_EQ(h->outstandingBlocks(), 0);
}

TEST_F(HostEntryFailing, FolderChooserThatFailsIsACancel)
{
    std::string first = e2e::tempFolder("guard-first");
    std::string second = e2e::tempFolder("guard-second");
    auto h = e2e::loadedHost();
    h->openDocument(documentWith("PrintToFile=1\rFolder=" + first + "\r"));
    Headless& ui = h->headless();
    ui.openPrintDialog();
    auto click = [&](int id) { return ui.actOnPane(parseScript("click " + std::to_string(id), "test").at(0)); };

    h->failNextCall(XT_GROUPID_HEADLESS, XT_HEADLESS_CHOOSEFOLDER);
    ASSERT_TRUE(click(8));
    auto failed = h->eventsOf("entry-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].code, XT_GROUPID_HEADLESS);
    EXPECT_EQ(failed[0].value, XT_HEADLESS_CHOOSEFOLDER);
    EXPECT_EQ(failed[0].result, 2); // cancelled
    EXPECT_EQ(paneControl(*h, 10).text, first);
    EXPECT_TRUE(h->messages().empty());

    // The chooser works again for the next click.
    ui.add("folder " + second);
    ASSERT_TRUE(click(8));
    EXPECT_EQ(paneControl(*h, 10).text, second);
    ui.closePrintDialog(true);
    EXPECT_NE(blockOf(*h).find("\rFolder=" + second + "\r"), std::string::npos) << blockOf(*h);
    EXPECT_TRUE(ui.errors().empty());
    EXPECT_EQ(h->eventsOf("entry-failed").size(), 1u);
}

} // namespace
