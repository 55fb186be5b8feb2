#include "log/dump.h"
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/platform.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using testing_util::EnvVar;
using testing_util::ScratchDir;
using testing_util::exists;
using testing_util::readFile;
using testing_util::writeFile;

namespace {

// The log goes to the Documents folder of a scratch home (Linux); it is
// switched off again after each test.
class Log : public ::testing::Test {
protected:
    void TearDown() override
    {
        setLogMode(-1);
        if (logPath()[0] != '\0')
            deleteFile(logPath());
    }
    std::string documents() const
    {
        char out[512] = "";
        getDocumentsFolder(out);
        return out;
    }
    // Lines of the log without the Windows time prefix.
    static std::string body(std::string log)
    {
        if (plat::kWindows)
            log = std::regex_replace(log, std::regex("(^|\r\n)\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d: "), "$1");
        return log;
    }
    ScratchDir home;
    EnvVar homeVar{"HOME", home.str().c_str()};
    EnvVar configVar{"XDG_CONFIG_HOME", nullptr};
    std::string le = plat::kLineEnd;
};

} // namespace

TEST_F(Log, IsOffUntilSwitchedOn)
{
    EXPECT_EQ(getLogMode(), -1);
    EXPECT_STREQ(logPath(), "");
    dprintf("nothing %d", 1);
    EXPECT_FALSE(exists(documents() + "/Kestrovan/Folantra.txt"));
}

TEST_F(Log, SetupPicksTheFolderAndFileName)
{
    setupDump(1, "", "trace");
    EXPECT_EQ(std::string(logPath()), documents() + plat::kPathSep + "trace.txt");
    setupDump(1, nullptr, nullptr);
    std::string expected = documents() + plat::kPathSep + "Kestrovan" + plat::kPathSep + "Folantra.txt";
    EXPECT_EQ(std::string(logPath()), expected);
    EXPECT_EQ(getLogMode(), 1);
    dprintf("psPath = %s\r", "/tmp/x.ps");
    EXPECT_EQ(body(readFile(expected)), "psPath = /tmp/x.ps\r" + le);

    setupDump(-5, nullptr, nullptr); // a new log: the old one is gone, and this mode is off
    EXPECT_FALSE(exists(expected));
    EXPECT_EQ(getLogMode(), -5);
    dprintf("dropped");
    EXPECT_FALSE(exists(expected));
}

TEST_F(Log, LinesAreAppendedAndCut)
{
    setupDump(2, "", "cut");
    dprintf("%s", "first");
    dprintf("%s", std::string(9000, 'x').c_str());
    std::string log = body(readFile(logPath()));
    EXPECT_EQ(log, "first" + le + std::string(7999, 'x') + le);
    setLogMode(0);
    dprintf("off again");
    EXPECT_EQ(body(readFile(logPath())), log);
    // A line cut inside a letter ends before it ("ä" is two bytes).
    deleteFile(logPath());
    setLogMode(2);
    std::string letters;
    for (int i = 0; i < 4500; ++i)
        letters += "\xC3\xA4";
    dprintf("%s", letters.c_str());
    EXPECT_EQ(body(readFile(logPath())), letters.substr(0, 7998) + le);
}

TEST_F(Log, DumpTimeWritesPrefixStampAndSuffix)
{
    setupDump(1, "", "time");
    dumpTime("start ", "end");
    dumpTime(nullptr, nullptr);
    std::string stamp = plat::kWindows ? "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d:\t" : "\\d\\d:\\d\\d:\\d\\d:\t";
    std::string eol = plat::kWindows ? "\r\n" : "\r";
    std::regex line("start " + stamp + "end" + eol + stamp + eol + eol);
    std::string log = body(readFile(logPath()));
    EXPECT_TRUE(std::regex_match(log, line)) << log;
}

TEST_F(Log, TheEnvironmentCanSwitchItOn)
{
    for (const char* off : {"0", "-2", "yes"}) {
        EnvVar v("FOLANTRA_LOG", off);
        setupDumpFromEnvironment();
        EXPECT_EQ(getLogMode(), -1) << off;
    }
    EnvVar on("FOLANTRA_LOG", "3");
    setupDumpFromEnvironment();
    EXPECT_EQ(getLogMode(), 3);
    std::string expected = documents() + plat::kPathSep + "Kestrovan" + plat::kPathSep + "Folantra.txt";
    EXPECT_EQ(std::string(logPath()), expected);
    dprintf("\r\t####\tFolantra %s: ", "4.20");
    EXPECT_EQ(body(readFile(expected)), "\r\t####\tFolantra 4.20: " + le);
}
