// Windows: the plug-in's resources are resources of its module (resources/
// folantra.rc), found by name and type without regard to case.
#include "util/mystrings.h"

#include "ui/toolkit.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

HMODULE ownModule()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&copyPlatformResource), &self);
    return self;
}

std::wstring widen(const char* ascii)
{
    std::wstring w;
    for (const char* p = ascii; *p != '\0'; ++p)
        w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return w;
}

} // namespace

char* copyPlatformResource(const char* name, const char* type)
{
    HMODULE module = ownModule();
    if (module == nullptr)
        return nullptr;
    std::wstring wname = widen(name);
    std::wstring wtype = widen(type);
    HRSRC res = FindResourceW(module, wname.c_str(), wtype.c_str());
    if (res == nullptr)
        return nullptr;
    DWORD size = SizeofResource(module, res);
    HGLOBAL handle = LoadResource(module, res);
    const void* bytes = handle != nullptr ? LockResource(handle) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    char* copy = static_cast<char*>(myalloc(static_cast<std::size_t>(size) + 2, 1));
    if (copy != nullptr)
        std::memcpy(copy, bytes, size);
    return copy;
}
