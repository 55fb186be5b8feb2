// Test helpers: a scratch folder removed after the test, environment
// variables set for the length of a test, and whole-file reads and writes.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>

namespace testing_util {

class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device rd;
        do
            mPath = std::filesystem::temp_directory_path() / ("folantra-test-" + std::to_string(rd()));
        while (!std::filesystem::create_directory(mPath));
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(mPath, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // UTF-8 path of the folder, or of `name` inside it.
    std::string str() const { return mPath.u8string(); }
    std::string operator/(const std::string& name) const { return (mPath / std::filesystem::u8path(name)).u8string(); }

private:
    std::filesystem::path mPath;
};

// Sets (or, with nullptr, unsets) an environment variable until destroyed.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : mName(name)
    {
        if (const char* old = std::getenv(name))
            mOld = old;
        put(value);
    }
    ~EnvVar() { put(mOld ? mOld->c_str() : nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    void put(const char* value)
    {
#if defined(_WIN32)
        _putenv_s(mName.c_str(), value ? value : "");
#else
        value ? setenv(mName.c_str(), value, 1) : unsetenv(mName.c_str());
#endif
    }
    std::string mName;
    std::optional<std::string> mOld;
};

// The C library's numbers in a German locale (a decimal comma) for the length
// of a test; the test's own locale again afterwards. name() is null when the
// system has no German locale: a test of the comma then fails, it is not
// skipped (./run test generates de_DE.UTF-8).
class GermanNumbers {
public:
    GermanNumbers()
    {
        const char* old = std::setlocale(LC_NUMERIC, nullptr);
        mOld = old ? old : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "German"})
            if ((mName = std::setlocale(LC_NUMERIC, name)) != nullptr)
                break;
    }
    ~GermanNumbers() { std::setlocale(LC_NUMERIC, mOld.c_str()); }
    GermanNumbers(const GermanNumbers&) = delete;
    GermanNumbers& operator=(const GermanNumbers&) = delete;
    const char* name() const { return mName; }

private:
    std::string mOld;
    const char* mName = nullptr;
};

inline const char* kNoGermanLocale = "no German locale (de_DE.UTF-8): install Debian's locales and generate it";

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::u8path(path), ec);
}

} // namespace testing_util
