#include "ui/toolkit.h"
#include "util/devicename.h"
#include "util/files.h"
#include "util/platform.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <utime.h>
#endif

using testing_util::EnvVar;
using testing_util::ScratchDir;
using testing_util::exists;
using testing_util::readFile;
using testing_util::writeFile;

namespace {

std::string sep(const std::string& a, const std::string& b)
{
    return a + plat::kPathSep + b;
}

} // namespace

TEST(PathStrings, AddPathComponentAndReplaceExtension)
{
    char path[512] = "";
    ASSERT_TRUE(addPathComponent(path, "name"));
    EXPECT_STREQ(path, "name");
    std::strcpy(path, sep("dir", "").c_str());
    ASSERT_TRUE(addPathComponent(path, "f"));
    EXPECT_EQ(std::string(path), sep(sep("dir", ""), "f")); // a second separator, as asked

    const std::pair<std::string, std::string> renames[] = {
        {sep("x", "report.final"), sep("x", "report.ps")},
        {sep("x", "report"), sep("x", "report.ps")},
        {sep("x.d", "report"), sep("x.d", "report.ps")},
        {"a.b.c", "a.b.ps"},
    };
    for (const auto& r : renames) {
        std::strcpy(path, r.first.c_str());
        ASSERT_TRUE(replaceExtension(path, ".ps"));
        EXPECT_EQ(std::string(path), r.second);
    }

    // Results that would not fit leave the path unchanged.
    std::string full(509, 'a');
    std::strcpy(path, full.c_str());
    EXPECT_FALSE(addPathComponent(path, "0123"));
    EXPECT_FALSE(replaceExtension(path, ".ini"));
    EXPECT_EQ(std::string(path), full);
}

TEST(PathStrings, FileNameFolderAndSuffix)
{
    char out[512];
    getFileName("plain.txt", out, true);
    EXPECT_STREQ(out, "plain.txt");
    getFileName(sep(sep("a.d", "b"), "doc.v2.qxp").c_str(), out, false);
    EXPECT_STREQ(out, "doc.v2");
    getFileName(sep("a.d", "noext").c_str(), out, false);
    EXPECT_STREQ(out, "noext");
    getFolder(sep(sep("a", "b"), "c.txt").c_str(), out);
    EXPECT_EQ(std::string(out), sep("a", "b"));
    getFolder("c.txt", out);
    EXPECT_STREQ(out, "");

    EXPECT_TRUE(pathEndsWith("prefs.INI", ".ini"));
    EXPECT_TRUE(pathEndsWith("prefs.ini", ".Ini"));
    EXPECT_FALSE(pathEndsWith("prefs.ini.bak", ".ini"));
    EXPECT_FALSE(pathEndsWith("ini", ".ini"));
}

TEST(PathStrings, DeviceNamesOfWindowsInEveryForm)
{
    for (const char* name : {"CON", "prn", "Aux", "nul", "COM1", "com9", "LPT0", "lpt3", "conin$", "CONOUT$",
                             "com\xC2\xB9", "LPT\xC2\xB3", "aux.ps", "NUL.tar.gz", "nul.", "NUL. ", "con .txt",
                             "nul:stream"})
        EXPECT_TRUE(isWindowsDeviceName(name, std::strlen(name))) << name;
    for (const char* name : {"", "CONS", "auxiliary", "nul_", "COM10", "COM", "LPT", "com\xC2\xB4", ".nul", "a.nul",
                             "my nul", "comx"})
        EXPECT_FALSE(isWindowsDeviceName(name, std::strlen(name))) << name;
    EXPECT_TRUE(pathNamesWindowsDevice("C:\\jobs/Aux.ps"));
    EXPECT_TRUE(pathNamesWindowsDevice("nul"));
    EXPECT_FALSE(pathNamesWindowsDevice("C:\\nul\\job.ps"));
}

TEST(PathStrings, AFileNameMustNameAFileInItsFolder)
{
    EXPECT_EQ(checkFileName("report.ps"), FileNameFault::none);
    EXPECT_EQ(checkFileName("..report..ps"), FileNameFault::none);
    EXPECT_EQ(checkFileName(""), FileNameFault::none); // the folder's own path, as before
    for (const char* name : {"../x.ps", "a/b.ps", "..", "."})
        EXPECT_EQ(checkFileName(name), FileNameFault::leavesFolder) << name;
    // "\", ":" and the device names only where Windows reads them so.
    const FileNameFault windowsOnly = plat::kWindows ? FileNameFault::leavesFolder : FileNameFault::none;
    EXPECT_EQ(checkFileName("..\\x.ps"), windowsOnly);
    EXPECT_EQ(checkFileName("C:x.ps"), windowsOnly);
    EXPECT_EQ(checkFileName(". ."), windowsOnly);
    EXPECT_EQ(checkFileName("aux.ps"), plat::kWindows ? FileNameFault::device : FileNameFault::none);
    EXPECT_EQ(lastSeparator("plain"), nullptr);
    const char* path = plat::kWindows ? "Z:/dir\\sub/Doc.qxp" : "/dir/sub/Doc.qxp";
    EXPECT_STREQ(lastSeparator(path), "/Doc.qxp");
}

TEST(FileQueries, ExistsSizeAndDate)
{
    ScratchDir dir;
    std::string file = dir / "data.bin";
    writeFile(file, std::string(1234, 'z'));
    EXPECT_TRUE(fileExists(file.c_str()));
    EXPECT_TRUE(fileExists(dir.str().c_str()));
    EXPECT_FALSE(fileExists((dir / "missing").c_str()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists(nullptr));

    EXPECT_EQ(getFileSize(file.c_str()), 1234);
    EXPECT_EQ(getFileSize((dir / "missing").c_str()), 0);
    EXPECT_EQ(getFileSize(dir.str().c_str()), 0);

    EXPECT_NE(getFileModDate(file.c_str()), 0u);
    EXPECT_EQ(getFileModDate((dir / "missing").c_str()), 0u);
#if !defined(_WIN32)
    struct utimbuf times = {946684800, 946684800}; // 2000-01-01 00:00:00 UTC
    ASSERT_EQ(utime(file.c_str(), &times), 0);
    EXPECT_EQ(getFileModDate(file.c_str()), 946684800u + 2082844800u); // seconds since 1904
#endif
}

TEST(FileMoves, IntoAFolderKeepingOrChangingTheName)
{
    ScratchDir dir;
    std::string folder = dir / "dest";
    ASSERT_EQ(makeDir(folder.c_str()), 0);
    std::string src = dir / "prefs.ini";
    writeFile(src, "one");

    char dest[512];
    std::strcpy(dest, folder.c_str());
    ASSERT_TRUE(moveFile(src.c_str(), dest, nullptr));
    EXPECT_EQ(std::string(dest), folder); // without a new name the folder stays as given
    EXPECT_FALSE(exists(src));
    EXPECT_EQ(readFile(sep(folder, "prefs.ini")), "one");

    writeFile(src, "two");
    writeFile(sep(folder, "renamed.ini"), "old");
    ASSERT_TRUE(moveFile(src.c_str(), dest, "renamed.ini"));
    EXPECT_EQ(std::string(dest), sep(folder, "renamed.ini"));
    EXPECT_EQ(readFile(dest), "two"); // an existing file is replaced

    std::strcpy(dest, (dir / "no-such-folder").c_str());
    writeFile(src, "three");
    EXPECT_FALSE(moveFile(src.c_str(), dest, nullptr));
    EXPECT_TRUE(exists(src));
    char why[256];
    lastFileError(why, sizeof why);
#if defined(_WIN32)
    // The system's own text ("The system cannot find the path specified").
    EXPECT_NE(why[0], '\0');
    EXPECT_EQ(std::strstr(why, "system error"), nullptr) << why;
#else
    EXPECT_STREQ(why, std::strerror(ENOENT));
#endif
    EXPECT_FALSE(moveFile((dir / "missing").c_str(), dest, nullptr));
}

#if !defined(_WIN32)
TEST(FileMoves, ShellCharactersInPathsRunNothing)
{
    ScratchDir dir;
    // A shell would create "ran" in the working folder.
    ASSERT_FALSE(exists("ran"));
    const std::string odd = "q\"uote $(touch ran) `touch ran` $HOME;touch ran '";
    std::string folder = dir / (odd + " dir");
    ASSERT_EQ(makeDir(folder.c_str()), 0);
    EXPECT_TRUE(exists(folder));
    std::string src = dir / (odd + ".ini");
    writeFile(src, "safe");
    char dest[512];
    std::strcpy(dest, folder.c_str());
    ASSERT_TRUE(moveFile(src.c_str(), dest, nullptr));
    EXPECT_EQ(readFile(folder + "/" + odd + ".ini"), "safe");
    EXPECT_FALSE(exists("ran"));
}

TEST(FileMoves, AcrossFileSystemsByCopying)
{
    struct stat tmpStat, shmStat;
    ScratchDir dir;
    if (stat(dir.str().c_str(), &tmpStat) != 0 || stat("/dev/shm", &shmStat) != 0 || tmpStat.st_dev == shmStat.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    std::string src = "/dev/shm/folantra-move-test-" + std::to_string(::getpid());
    writeFile(src, std::string(100000, 'm'));
    chmod(src.c_str(), 0640);
    char dest[512];
    std::strcpy(dest, dir.str().c_str());
    ASSERT_TRUE(moveFile(src.c_str(), dest, "moved.bin"));
    EXPECT_FALSE(exists(src));
    EXPECT_EQ(readFile(dest), std::string(100000, 'm'));
    struct stat moved;
    ASSERT_EQ(stat(dest, &moved), 0);
    EXPECT_EQ(moved.st_mode & 0777, 0640u);
}
#endif

TEST(Folders, MakeDirOpenAndDelete)
{
    ScratchDir dir;
    std::string sub = dir / "sub";
    EXPECT_EQ(makeDir(sub.c_str()), 0);
    EXPECT_TRUE(exists(sub));
    EXPECT_EQ(makeDir(sub.c_str()), 0); // exists already
    EXPECT_EQ(makeDir((dir / "a/b/c").c_str()), -1); // parents are not made

    std::string file = dir / "t\xC3\xA4st.txt";
    std::FILE* f = openFile(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("x", f);
    std::fclose(f);
    EXPECT_EQ(readFile(file), "x");
    EXPECT_TRUE(deleteFile(file.c_str()));
    EXPECT_FALSE(deleteFile(file.c_str()));
}

#if !defined(_WIN32)
TEST(Folders, UserFoldersFollowTheXdgSettings)
{
    ScratchDir home;
    EnvVar h("HOME", home.str().c_str());
    EnvVar x("XDG_CONFIG_HOME", nullptr);
    char out[512];
    ASSERT_TRUE(getDocumentsFolder(out));
    EXPECT_EQ(std::string(out), home / "Documents");
    ASSERT_TRUE(getDesktopFolder(out));
    EXPECT_EQ(std::string(out), home / "Desktop");
    ASSERT_TRUE(getAppSupportFolder(out));
    EXPECT_EQ(std::string(out), home / ".config");

    ASSERT_EQ(makeDir((home / ".config").c_str()), 0);
    writeFile(home / ".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n"
                                                "XDG_DOCUMENTS_DIR=\"relative/ignored\"\n");
    ASSERT_TRUE(getDesktopFolder(out));
    EXPECT_EQ(std::string(out), home / "Schreibtisch");
    ASSERT_TRUE(getDocumentsFolder(out));
    EXPECT_STREQ(out, "/srv/docs");

    ScratchDir config;
    EnvVar c("XDG_CONFIG_HOME", config.str().c_str());
    ASSERT_TRUE(getAppSupportFolder(out));
    EXPECT_EQ(std::string(out), config.str());
    ASSERT_TRUE(getDesktopFolder(out)); // no user-dirs.dirs there: the fallback
    EXPECT_EQ(std::string(out), home / "Desktop");
}
#endif
