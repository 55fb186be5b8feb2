#include "unit/testmodule.h"

#include <windows.h>

namespace testing_util {

std::string moduleFileName(const std::string& name) { return name + ".dll"; }

void* loadModuleSymbol(const std::string& path, const char* symbol)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], n);
    HMODULE module = LoadLibraryW(wide.c_str());
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module, symbol));
}

} // namespace testing_util
