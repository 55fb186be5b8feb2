// A stand-in for the distiller: records the command line it was started
// with in distiller-args.txt beside itself, and does nothing else.
#include <windows.h>

#include <cstdio>
#include <string>

int main()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"distiller-args.txt";
    const wchar_t* line = GetCommandLineW();
    int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, line, -1, &text[0], n, nullptr, nullptr);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr)
        return 1;
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return 0;
}
