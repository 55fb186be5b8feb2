#include "subhost/loader.h"

#include <windows.h>

namespace subhost {
namespace {
class WinModule : public PluginModule {
public:
    WinModule(HMODULE handle, xtactivateproc entry) : mHandle(handle), mEntry(entry) {}
    ~WinModule() override { FreeLibrary(mHandle); }
    xtactivateproc entry() const override { return mEntry; }

private:
    HMODULE mHandle;
    xtactivateproc mEntry;
};

std::wstring widen(const std::string& s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
    return w;
}
} // namespace

std::unique_ptr<PluginModule> loadPluginModule(const std::string& path, std::string& error)
{
    HMODULE handle = LoadLibraryW(widen(path).c_str());
    if (handle == nullptr) {
        error = "cannot load " + path + ": error " + std::to_string(GetLastError());
        return nullptr;
    }
    auto entry = reinterpret_cast<xtactivateproc>(reinterpret_cast<void*>(GetProcAddress(handle, XT_ENTRY_NAME)));
    if (entry == nullptr) {
        FreeLibrary(handle);
        error = path + " has no entry " XT_ENTRY_NAME;
        return nullptr;
    }
    return std::make_unique<WinModule>(handle, entry);
}

} // namespace subhost
