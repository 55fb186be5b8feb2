// The platform seam: path separator and the path of the module that holds the
// calling code (the plug-in finds its resources and its own file from it).
#include "unit/testmodule.h"
#include "util/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

#ifdef _WIN32
const char* const kTestProgram = "folantra_unit_tests.exe";
const char kSep = '\\';
#else
const char* const kTestProgram = "folantra_unit_tests";
const char kSep = '/';
#endif

std::string folderOf(const std::string& path)
{
    std::string::size_type sep = path.find_last_of(kSep);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

using ProbeFn = bool (*)(char*, std::size_t);

} // namespace

TEST(ModulePath, InTheTestProgramIsItsOwnFile)
{
    EXPECT_EQ(plat::kPathSep, kSep);
    char path[512] = {};
    ASSERT_TRUE(plat::modulePath(path, sizeof path));
    std::string p(path);
    EXPECT_TRUE(endsWith(p, std::string(1, kSep) + kTestProgram)) << p;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::u8path(p))) << p;
#ifdef _WIN32
    // A full path with a drive letter, as GetModuleFileNameW gives it.
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(p[1], ':') << p;
    EXPECT_EQ(p[2], '\\') << p;
#endif
}

TEST(ModulePath, RefusesABufferTooSmall)
{
    char path[512] = {};
    ASSERT_TRUE(plat::modulePath(path, sizeof path));
    const std::size_t len = std::string(path).size();
    char small[512];
    EXPECT_FALSE(plat::modulePath(small, len)); // no room for the terminator
    EXPECT_TRUE(plat::modulePath(small, len + 1));
    EXPECT_STREQ(small, path);
    EXPECT_FALSE(plat::modulePath(small, 0));
}

TEST(ModulePath, InALoadedModuleIsThatModulesFile)
{
    char self[512] = {};
    ASSERT_TRUE(plat::modulePath(self, sizeof self));
    const std::string probe = folderOf(self) + testing_util::moduleFileName("folantra_modulepath_probe");
    auto fn = reinterpret_cast<ProbeFn>(testing_util::loadModuleSymbol(probe, "folantraProbeModulePath"));
    ASSERT_NE(fn, nullptr) << probe;
    char path[512] = {};
    ASSERT_TRUE(fn(path, sizeof path));
    EXPECT_EQ(std::string(path), probe);
}
