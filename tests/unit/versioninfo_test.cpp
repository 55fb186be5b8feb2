// The version resource of the DLL and of the Windows host, read back as
// Explorer's Properties and inventory tools read it.
#if defined(_WIN32)
#include "util/mystr.h"
#include "util/platform.h"

#include <folantra/version.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// A file of the build folder, beside the folder of this test program.
std::wstring buildFile(const char* name)
{
    char self[512] = {};
    if (!plat::modulePath(self, sizeof self))
        return L"";
    std::string path(self);
    std::string::size_type sep = path.find_last_of('\\');
    path = (sep == std::string::npos ? std::string() : path.substr(0, sep + 1)) + "..\\" + name;
    return utf8ToWide(path.c_str());
}

struct VersionInfo {
    bool found = false;
    unsigned fixed[4] = {}, product[4] = {};
    DWORD fileType = 0;
    std::wstring string(const wchar_t* key) const
    {
        wchar_t* value = nullptr;
        UINT len = 0;
        std::wstring query = L"\\StringFileInfo\\" + translation + L"\\" + key;
        if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &len) || value == nullptr)
            return L"<none>";
        return std::wstring(value);
    }
    std::vector<BYTE> data;
    std::wstring translation;
};

VersionInfo readVersion(const std::wstring& file)
{
    VersionInfo v;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return v;
    v.data.resize(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, v.data.data()))
        return v;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(v.data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) || fixed == nullptr ||
        fixed->dwSignature != 0xFEEF04BD)
        return v;
    v.fixed[0] = HIWORD(fixed->dwFileVersionMS);
    v.fixed[1] = LOWORD(fixed->dwFileVersionMS);
    v.fixed[2] = HIWORD(fixed->dwFileVersionLS);
    v.fixed[3] = LOWORD(fixed->dwFileVersionLS);
    v.product[0] = HIWORD(fixed->dwProductVersionMS);
    v.product[1] = LOWORD(fixed->dwProductVersionMS);
    v.product[2] = HIWORD(fixed->dwProductVersionLS);
    v.product[3] = LOWORD(fixed->dwProductVersionLS);
    v.fileType = fixed->dwFileType;
    struct LangCodePage {
        WORD lang, codePage;
    }* tr = nullptr;
    if (!VerQueryValueW(v.data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &len) ||
        len < sizeof(LangCodePage))
        return v;
    wchar_t key[16];
    swprintf(key, 16, L"%04x%04x", tr[0].lang, tr[0].codePage);
    v.translation = key;
    v.found = true;
    return v;
}

// "4.20" as the four numbers of the fixed part: 4, 20, 0, 0.
std::vector<unsigned> versionNumbers()
{
    std::vector<unsigned> n;
    std::string s = FOLANTRA_VERSION;
    std::size_t i = 0;
    while (i <= s.size() && n.size() < 4) {
        std::size_t dot = s.find('.', i);
        n.push_back(static_cast<unsigned>(std::stoul(s.substr(i, dot - i))));
        if (dot == std::string::npos)
            break;
        i = dot + 1;
    }
    n.resize(4, 0);
    return n;
}

void expectVersion(const char* file, const wchar_t* original, DWORD type)
{
    VersionInfo v = readVersion(buildFile(file));
    ASSERT_TRUE(v.found) << "no version resource in " << file;
    std::vector<unsigned> want = versionNumbers();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.fixed[i], want[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(v.product[i], want[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(v.fileType, type);
    EXPECT_EQ(v.translation, L"040904b0");
    std::wstring version = utf8ToWide(FOLANTRA_VERSION);
    EXPECT_EQ(v.string(L"FileVersion"), version);
    EXPECT_EQ(v.string(L"ProductVersion"), version);
    EXPECT_EQ(v.string(L"ProductName"), L"Folantra");
    EXPECT_EQ(v.string(L"CompanyName"), L"Kestrovan");
    EXPECT_EQ(v.string(L"OriginalFilename"), original);
    EXPECT_NE(v.string(L"FileDescription").find(L"Folantra"), std::wstring::npos);
}

} // namespace

TEST(VersionResource, ThePlugInCarriesTheProjectsVersion)
{
    expectVersion("XTensions\\Folantra.xnt", L"Folantra.xnt", VFT_DLL);
}

TEST(VersionResource, TheWindowsHostCarriesTheProjectsVersion)
{
    expectVersion("folantra-host.exe", L"folantra-host.exe", VFT_APP);
}
#endif
