// Windows: the shell starts the application on the file. The distiller is
// started by its name first, as the shell finds it (the current folder, the
// program's folder, the system folders, the search path); an installed
// Acrobat registers it instead as acrodist.exe under App Paths, for the
// user or for the machine, and that program is started next.
#include "ui/toolkit.h"

#include "log/dump.h"

#include "util/mystr.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

constexpr const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\acrodist.exe";

// Starts `program` with `params` (null: opens `params` with its own
// application). No error box of the shell's: the caller tells the user.
bool launch(const wchar_t* program, const std::wstring& params, bool openFile)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = openFile ? params.c_str() : program;
    info.lpParameters = openFile ? nullptr : params.c_str();
    info.nShow = SW_SHOWNORMAL;
    BOOL ok = ShellExecuteExW(&info);
    return ok && reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
}

// The (Default) value of the distiller's App Paths key in one registry view:
// the program's full path, without quotes, environment variables expanded.
std::wstring registeredProgram(HKEY root, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kAppPaths, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return L"";
    std::wstring value;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size >= sizeof(wchar_t)) {
        value.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &got) != ERROR_SUCCESS)
            value.clear();
    }
    RegCloseKey(key);
    value.resize(wcslen(value.c_str()));
    if (type == REG_EXPAND_SZ && !value.empty()) {
        DWORD n = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        std::wstring expanded(n, L'\0');
        if (n > 0 && ExpandEnvironmentStringsW(value.c_str(), &expanded[0], n) == n) {
            expanded.resize(n - 1);
            value = expanded;
        }
    }
    while (!value.empty() && (value.back() == L' ' || value.back() == L'\t'))
        value.pop_back();
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

bool openDoc(const char* path, const char* application)
{
    if (path == nullptr)
        return false;
    // The path is the whole parameter text: quoted when it holds a blank, so
    // the program receives it as one argument.
    std::wstring param = utf8ToWide(path);
    if (param.find_first_of(L" \t") != std::wstring::npos)
        param = L"\"" + param + L"\"";
    if (application == nullptr || application[0] == '\0') {
        dprintf("openDoc: %s", path);
        return launch(nullptr, utf8ToWide(path), true);
    }
    if (launch(utf8ToWide(application).c_str(), param, false)) {
        dprintf("openDoc: %s with %s (started)", path, application);
        return true;
    }
    if (std::strcmp(application, "Acrobat Distiller") == 0) {
        // The user's registration first, then the machine's (its 64-bit and
        // its 32-bit view: a 32-bit Acrobat writes the latter).
        const struct {
            HKEY root;
            REGSAM view;
        } places[] = {{HKEY_CURRENT_USER, 0}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}};
        for (const auto& place : places) {
            std::wstring program = registeredProgram(place.root, place.view);
            if (program.empty())
                continue;
            std::string shown = utf16ToUtf8(reinterpret_cast<const char16_t*>(program.c_str()), program.size());
            if (launch(program.c_str(), param, false)) {
                dprintf("openDoc: %s with %s (started)", path, shown.c_str());
                return true;
            }
            dprintf("openDoc: %s with %s (refused)", path, shown.c_str());
        }
    }
    dprintf("openDoc: %s with %s (not started)", path, application);
    return false;
}
