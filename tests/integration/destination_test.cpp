// The print file's path at job start, called directly with a real host: the
// cases where the document's path itself is unusual (in the root, relative,
// without a folder). No file is written: the host only takes the path.
#include "integration/inprocess.h"

#include "job/folantrarec.h"
#include "output/printtofile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include <unistd.h>

using namespace subhost;

namespace {

class Destination : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = inprocess::startedHost();
        host->openDocument(inprocess::document());
        clearRec(getSysRec());
        getSysRec()->flags[kFlagPrintToFile] = 1;
    }
    // The path the job gets for a document saved at `path` (none: never
    // saved), with `stored` as the record's folder.
    std::string destination(const std::optional<std::string>& path, const std::string& name = "Report.qxp",
                            const std::string& stored = "")
    {
        host->currentDocument()->path = path;
        host->currentDocument()->name = name;
        std::strncpy(getSysRec()->folder, stored.c_str(), sizeof getSysRec()->folder - 1);
        host->messages().clear();
        host->jobFile.clear();
        setFileDestination();
        EXPECT_EQ(host->jobFile, getSysRec()->psPath);
        return getSysRec()->psPath;
    }
    std::unique_ptr<Host> host;
};

TEST_F(Destination, ADocumentInTheRootPrintsIntoTheRoot)
{
    // The folder before the last separator is "", which is the root here,
    // not the working folder.
    EXPECT_EQ(destination(std::string("/Report.qxp")), "/Report.ps");
    EXPECT_EQ(destination(std::string("/plain")), "/plain.ps");
    EXPECT_EQ(destination(std::string("//Report.qxp")), "//Report.ps");
    EXPECT_TRUE(host->messages().empty());
}

TEST_F(Destination, ARelativeDocumentFolderIsTakenFromTheWorkingFolder)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string here = cwd;
    EXPECT_EQ(destination(std::string("../x/Doc.qxp")), here + "/../x/Doc.ps");
    // A stored folder wins; the document's folder then does not count, however
    // long it would be once absolute.
    std::string stored = inprocess::freshFolder("stored");
    ASSERT_GT(here.size(), 8u);
    ASSERT_LT(here.size(), 400u);
    std::string deep = "r/" + std::string(508 - here.size(), 'd') + "/Doc.qxp"; // 512 bytes once absolute
    ASSERT_LT(deep.size(), 512u);
    EXPECT_EQ(destination(deep, "Doc.qxp"), "");
    EXPECT_EQ(host->messages().size(), 1u); // too long: refused and said so
    EXPECT_EQ(destination(deep, "Doc.qxp", stored), stored + "/Doc.ps");
}

TEST_F(Destination, AFolderlessPathThatDoesNotFitTheNameIsRefusedNotEmptied)
{
    // Such a path used to leave the name empty: the job went to ".ps" on the
    // desktop without a word.
    EXPECT_EQ(destination(std::string(300, 'n')), "");
    ASSERT_EQ(host->messages().size(), 1u);
    EXPECT_EQ(destination(std::string(200, 'n')), inprocess::home() + "/Desktop/" + std::string(200, 'n') + ".ps");
}

} // namespace
