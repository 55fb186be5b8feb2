// Paths past MAX_PATH: the form the Windows file helpers hand to the system,
// and, under Windows, folders made, files written, renamed and read back
// there.
#include "util/files.h"
#include "util/longpath.h"

#include "unit/scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A path of `components` folders of 48 characters each below `root`.
std::string deep(const std::string& root, int components, char sep = '\\')
{
    std::string p = root;
    for (int i = 0; i < components; ++i)
        p += sep + std::string(47, static_cast<char>('a' + i)) + std::to_string(i % 10);
    return p;
}

} // namespace

TEST(LongPathForm, LongAbsolutePathsTakeThePrefixShortAndRelativeOnesStayAsTheyAre)
{
    std::string longPath = deep("C:\\jobs", 6) + "\\report.ps"; // 305 characters
    ASSERT_GT(longPath.size(), 300u);
    EXPECT_EQ(toLongPathForm(longPath), "\\\\?\\" + longPath);

    EXPECT_EQ(toLongPathForm("C:\\jobs\\report.ps"), "C:\\jobs\\report.ps");
    EXPECT_EQ(toLongPathForm("C:/jobs/../report.ps"), "C:/jobs/../report.ps"); // short: the system resolves it
    EXPECT_EQ(toLongPathForm(""), "");
    // Relative paths cannot take the prefix, however long.
    std::string relative = deep("jobs", 6);
    EXPECT_EQ(toLongPathForm(relative), relative);
    EXPECT_EQ(toLongPathForm("C:" + relative), "C:" + relative);
    EXPECT_EQ(toLongPathForm("\\" + relative), "\\" + relative);
    // Already in a long or device form.
    std::string prefixed = "\\\\?\\" + longPath;
    EXPECT_EQ(toLongPathForm(prefixed), prefixed);
    EXPECT_EQ(toLongPathForm("\\\\.\\" + relative), "\\\\.\\" + relative);
}

TEST(LongPathForm, TheLimitIsTheNewFolderOne)
{
    std::string p = "C:\\";
    p += std::string(kPlainPathLimit - 4, 'x'); // 247 characters
    EXPECT_EQ(toLongPathForm(p), p);
    EXPECT_EQ(toLongPathForm(p + "y"), "\\\\?\\" + p + "y"); // 248: too long for CreateDirectory
    // Counted in UTF-16 units, not bytes: 124 "ä" are 248 bytes but 124 units.
    std::string umlauts = "C:\\";
    for (int i = 0; i < 124; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(toLongPathForm(umlauts), umlauts);
}

TEST(LongPathForm, SlashesDotsAndDoubledSeparatorsNeverReachTheLongForm)
{
    std::string mixed = deep("C:/jobs", 3, '/') + "/./skip/..//" + deep("more", 3) + "\\report.ps\\";
    std::string want = "\\\\?\\" + deep("C:\\jobs", 3) + "\\" + deep("more", 3) + "\\report.ps";
    std::string got = toLongPathForm(mixed);
    EXPECT_EQ(got, want);
    EXPECT_EQ(got.find('/'), std::string::npos);
    EXPECT_EQ(got.find("\\.\\"), std::string::npos);
    EXPECT_EQ(got.find("\\..\\"), std::string::npos);
    EXPECT_EQ(got.find("\\\\", 4), std::string::npos);
    // ".." stops at the drive.
    std::string up = "C:\\..\\..\\" + deep("x", 6);
    EXPECT_EQ(toLongPathForm(up), "\\\\?\\C:\\x" + deep("", 6));
    // A lower-case drive letter stays as written.
    EXPECT_EQ(toLongPathForm(deep("d:", 6)), "\\\\?\\" + deep("d:", 6));
}

TEST(LongPathForm, NetworkPathsTakeTheUncForm)
{
    std::string share = "\\\\server\\share";
    std::string p = share + deep("", 6) + "\\report.ps";
    EXPECT_EQ(toLongPathForm(p), "\\\\?\\UNC\\server\\share" + deep("", 6) + "\\report.ps");
    // Forward slashes and ".." that would climb above the share.
    std::string slashed = "//server/share/../.." + deep("", 6, '/');
    EXPECT_EQ(toLongPathForm(slashed), "\\\\?\\UNC\\server\\share" + deep("", 6));
    // Short network paths stay as they are.
    EXPECT_EQ(toLongPathForm("\\\\server\\share\\a.ps"), "\\\\server\\share\\a.ps");
}

#if defined(_WIN32)
TEST(LongPaths, FoldersFilesAndMovesWorkPast260Characters)
{
    testing_util::ScratchDir dir;
    std::string root = dir.str();
    for (char& c : root)
        if (c == '/')
            c = '\\';
    // Each folder on the way is made on its own (makeDir makes no parents);
    // the last ones lie past the 248 characters of a plain new folder.
    std::string folder = root;
    for (int i = 0; i < 6; ++i) {
        folder = deep(folder, 1);
        ASSERT_EQ(makeDir(folder.c_str()), 0) << folder.size() << " characters";
        ASSERT_TRUE(fileExists(folder.c_str())) << folder.size();
    }
    ASSERT_GT(folder.size(), 300u);
    std::string file = folder + "\\job.ps";
    std::FILE* f = openFile(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("%!PS-Adobe-3.0\n", f);
    std::fclose(f);
    EXPECT_EQ(getFileSize(file.c_str()), 15);
    FileStamp stamp;
    EXPECT_TRUE(getFileStamp(file.c_str(), &stamp));
    EXPECT_TRUE(stamp.regular);
    EXPECT_NE(getFileModDate(file.c_str()), 0u);

    // Renamed into its own folder, named with '/' and '..' on the way.
    char dest[kPathSize] = {};
    std::string via = folder + "/../" + folder.substr(folder.rfind('\\') + 1);
    ASSERT_LT(via.size(), sizeof dest);
    std::snprintf(dest, sizeof dest, "%s", via.c_str());
    ASSERT_TRUE(moveFile(file.c_str(), dest, "renamed.ps"));
    EXPECT_FALSE(fileExists(file.c_str()));
    std::string renamed = folder + "\\renamed.ps";
    ASSERT_TRUE(fileExists(renamed.c_str()));
    std::FILE* r = openRegularFile(renamed.c_str());
    ASSERT_NE(r, nullptr);
    char buf[32] = {};
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, r);
    std::fclose(r);
    EXPECT_EQ(std::string(buf, n), "%!PS-Adobe-3.0\n");
    EXPECT_EQ(openRegularFile(folder.c_str()), nullptr); // a folder is no file
    EXPECT_TRUE(deleteFile(renamed.c_str()));
    EXPECT_FALSE(fileExists(renamed.c_str()));
}
#endif
