// Hostile and unlucky input to the plug-in's own pieces: preferences files
// that are no files, scale factors the job cannot take, relative paths and
// file states.
#include "postscript/pageboxes.h"
#include "settings/mysettings.h"
#include "ui/optionspane.h"
#include "util/files.h"
#include "util/mystrings.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using testing_util::ScratchDir;
using testing_util::writeFile;

namespace {

// Resources come from an empty folder: no default text.
class HostilePrefs : public ::testing::Test {
protected:
    void SetUp() override { setResourceFolder(resources.str().c_str()); }
    void TearDown() override { setResourceFolder(nullptr); }
    ScratchDir resources;
    ScratchDir dir;
};

TEST_F(HostilePrefs, AnOversizedFileIsNotReadAndTheDefaultsApply)
{
    std::string big = "[General]\nTB=0\n" + std::string(1024 * 1024, '#') + "\n";
    writeFile(dir / "big.ini", big);
    CMySettings s;
    ASSERT_EQ(s.setupWithPath((dir / "big.ini").c_str()), 0);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 1);
    EXPECT_LT(s.capacity, 64u * 1024u);
    // Just below the cap the file is read.
    writeFile(dir / "fits.ini", "[General]\nTB=0\n" + std::string(1000 * 1000, '#') + "\n");
    ASSERT_EQ(s.setupWithPath((dir / "fits.ini").c_str()), 0);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
}

TEST_F(HostilePrefs, AFolderIsNoFile)
{
    ASSERT_EQ(makeDir((dir / "Folantra.ini").c_str()), 0);
    CMySettings s;
    ASSERT_EQ(s.setupWithPath((dir / "Folantra.ini").c_str()), 0);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(openRegularFile((dir / "Folantra.ini").c_str()), nullptr);
}

#if !defined(_WIN32)
TEST_F(HostilePrefs, AFifoDoesNotHoldUpStartUp)
{
    std::string fifo = dir / "Folantra.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Should the open wait for a writer, this one comes after 5 s and lets it go.
    std::atomic<bool> done{false};
    std::thread rescuer([fifo, &done] {
        for (int i = 0; i < 100 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            close(fd);
    });
    auto start = std::chrono::steady_clock::now();
    CMySettings s;
    EXPECT_EQ(s.setupWithPath(fifo.c_str()), 0);
    auto took = std::chrono::steady_clock::now() - start;
    done = true;
    rescuer.join();
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(s.getInt32("General", "TB", 1), 1);
}

TEST_F(HostilePrefs, ADeviceIsNotReadEndlessly)
{
    std::string link = dir / "Folantra.ini";
    ASSERT_EQ(symlink("/dev/zero", link.c_str()), 0);
    CMySettings s;
    EXPECT_EQ(s.setupWithPath(link.c_str()), 0);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 1);
    // A link to a regular file is followed as before.
    writeFile(dir / "real.ini", "[General]\nTB=0\n");
    std::string second = dir / "second.ini";
    ASSERT_EQ(symlink((dir / "real.ini").c_str(), second.c_str()), 0);
    ASSERT_EQ(s.setupWithPath(second.c_str()), 0);
    EXPECT_EQ(s.getInt32("General", "TB", 1), 0);
}

TEST(Paths, RelativePathsAreMadeAbsoluteAgainstTheWorkingFolder)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char path[512] = "-dx";
    ASSERT_TRUE(makeAbsolute(path));
    EXPECT_EQ(std::string(path), std::string(cwd) + "/-dx");
    char already[512] = "/tmp/x";
    ASSERT_TRUE(makeAbsolute(already));
    EXPECT_STREQ(already, "/tmp/x");
    char tight[8] = "abc";
    EXPECT_FALSE(makeAbsolute(tight, sizeof tight));
    EXPECT_STREQ(tight, "abc"); // unchanged when it does not fit
}
#endif

TEST(FileStamps, ARewrittenFileDiffersAndAnUntouchedOneDoesNot)
{
    ScratchDir dir;
    std::string path = dir / "job.ps";
    FileStamp none;
    EXPECT_FALSE(getFileStamp(path.c_str(), &none));
    writeFile(dir / "job.ps", "%!PS old\n");
    FileStamp before, again, after;
    ASSERT_TRUE(getFileStamp(path.c_str(), &before));
    EXPECT_TRUE(before.regular);
    ASSERT_TRUE(getFileStamp(path.c_str(), &again));
    EXPECT_TRUE(sameFileStamp(before, again));
    // Replaced by a new file of the same size.
    writeFile(dir / "job.ps.new", "%!PS new\n");
    std::filesystem::rename(std::filesystem::u8path(dir / "job.ps.new"), std::filesystem::u8path(dir / "job.ps"));
    ASSERT_TRUE(getFileStamp(path.c_str(), &after));
    EXPECT_FALSE(sameFileStamp(before, after));
    FileStamp folder;
    ASSERT_TRUE(getFileStamp(dir.str().c_str(), &folder));
    EXPECT_FALSE(folder.regular);
}

TEST(ScaleLimits, OnlyFiniteFactorsUpToTenReachTheJob)
{
    for (float f : {0.01f, 0.5f, 1.0f, 9.99f, 10.0f})
        EXPECT_TRUE(scaleFactorUsable(f)) << f;
    for (float f : {0.0f, -0.0f, -0.5f, 10.001f, 1e38f, std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FALSE(scaleFactorUsable(f)) << f;
}

TEST(ScaleLimits, ThePaneTakesZeroToOneThousandPercent)
{
    EXPECT_TRUE(scaleInPaneRange(parseScale("0")));
    EXPECT_TRUE(scaleInPaneRange(parseScale("1000")));
    EXPECT_TRUE(scaleInPaneRange(parseScale("75,5")));
    EXPECT_FALSE(scaleInPaneRange(parseScale("1000.01")));
    EXPECT_FALSE(scaleInPaneRange(parseScale("-1")));
    EXPECT_FALSE(scaleInPaneRange(parseScale(std::string(41, '9').c_str())));
    EXPECT_FALSE(scaleInPaneRange(std::numeric_limits<float>::quiet_NaN()));

    // What the pane takes: a refused text leaves the value as it was, and
    // "-0" is stored as 0, not as a negative zero.
    float factor = 0.5f;
    EXPECT_FALSE(acceptScale(std::string(41, '9').c_str(), &factor));
    EXPECT_EQ(factor, 0.5f);
    ASSERT_TRUE(acceptScale("-0,00", &factor));
    EXPECT_EQ(factor, 0.0f);
    EXPECT_FALSE(std::signbit(factor));
    ASSERT_TRUE(acceptScale("75,5", &factor));
    EXPECT_EQ(factor, 0.755f);
}

} // namespace
