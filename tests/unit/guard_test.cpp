// The guard at the plug-in's C entries: whatever an entry's body throws is
// stopped there, written to the diagnostics log under the entry's name, and
// the entry answers its failure value.
#include "host/guard.h"
#include "host/startup.h"
#include "log/dump.h"
#include "postscript/pageboxes.h"
#include "postscript/psprocs.h"
#include "ui/optionspane.h"
#include "util/files.h"
#include "util/platform.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <regex>
#include <stdexcept>
#include <string>

using testing_util::EnvVar;
using testing_util::ScratchDir;
using testing_util::exists;
using testing_util::readFile;

namespace {

// Every entry the host calls promises not to throw; the declarations say so.
static_assert(noexcept(folantraSetup(nullptr)) && noexcept(folantraRequestCodes(nullptr)), "start-up");
static_assert(noexcept(doLanguage(nullptr)) && noexcept(doQuit(nullptr)) && noexcept(doAbout1(nullptr)),
              "life-cycle callbacks");
static_assert(noexcept(psJobStart(nullptr)) && noexcept(psJobEnd(nullptr)) && noexcept(psDocSetup(nullptr)) &&
                  noexcept(psComment(nullptr)) && noexcept(psPageSetup(nullptr)) && noexcept(psPageScale(nullptr)),
              "print callbacks");
static_assert(noexcept(paneStyleChanged(nullptr)), "pane callbacks");

// The log goes to Documents/guard.txt in a scratch home; it is switched off
// again after each test.
class Guard : public ::testing::Test {
protected:
    void SetUp() override { setupDump(1, "", "guard"); }
    void TearDown() override
    {
        setLogMode(-1);
        if (logPath()[0] != '\0')
            deleteFile(logPath());
    }
    // The log without the Windows time prefix.
    static std::string log()
    {
        std::string text = readFile(logPath());
        if (plat::kWindows)
            text = std::regex_replace(text, std::regex("(^|\r\n)\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d: "), "$1");
        return text;
    }
    ScratchDir home;
    EnvVar homeVar{"HOME", home.str().c_str()};
    EnvVar configVar{"XDG_CONFIG_HOME", nullptr};
    std::string le = plat::kLineEnd;
};

} // namespace

TEST_F(Guard, AnswersWhatTheBodyAnswersAndLogsNothing)
{
    EXPECT_EQ(guardEntry("paneProc", int32_t{0}, [] { return int32_t{1}; }), 1);
    EXPECT_EQ(guardEntry("folantraSetup", int32_t{XT_ERR_STARTUP}, [] { return int32_t{0}; }), 0);
    EXPECT_FALSE(exists(logPath()));
}

TEST_F(Guard, AnAllocationFailureAnswersTheFailureValueAndIsLogged)
{
    int32_t r = guardEntry("psPageSetup", int32_t{0}, []() -> int32_t { throw std::bad_alloc(); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(log(), "psPageSetup: stopped an exception: std::bad_alloc" + le);
}

TEST_F(Guard, StartUpAnswersItsFailureCodeWithTheExceptionsText)
{
    int32_t r = guardEntry("folantraSetup", int32_t{XT_ERR_STARTUP},
                           []() -> int32_t { throw std::runtime_error("no strings"); });
    EXPECT_EQ(r, XT_ERR_STARTUP);
    EXPECT_EQ(log(), "folantraSetup: stopped an exception: no strings" + le);
}

TEST_F(Guard, StopsWhatIsNotAStandardException)
{
    int32_t r = guardEntry("doAbout1", int32_t{0}, []() -> int32_t { throw 42; });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(log(), "doAbout1: stopped an exception: not a standard exception" + le);
}

TEST_F(Guard, EachStoppedExceptionIsOneLine)
{
    for (const char* entry : {"psJobStart", "psJobEnd"})
        guardEntry(entry, int32_t{0}, []() -> int32_t { throw std::bad_alloc(); });
    EXPECT_EQ(log(), "psJobStart: stopped an exception: std::bad_alloc" + le +
                         "psJobEnd: stopped an exception: std::bad_alloc" + le);
}

TEST_F(Guard, StillAnswersWhenTheLogIsOffOrCannotBeWritten)
{
    setLogMode(-1);
    EXPECT_EQ(guardEntry("psComment", int32_t{0}, []() -> int32_t { throw std::bad_alloc(); }), 0);
    EXPECT_FALSE(exists(logPath()));
    // A log whose folder has gone loses the line and nothing else.
    setupDump(1, "gone", "guard");
    ASSERT_TRUE(std::filesystem::remove(std::filesystem::u8path(logPath()).parent_path()));
    EXPECT_EQ(guardEntry("psComment", int32_t{7}, []() -> int32_t { throw std::bad_alloc(); }), 7);
    EXPECT_FALSE(exists(logPath()));
}
