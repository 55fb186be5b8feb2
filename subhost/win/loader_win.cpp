#include "subhost/loader.h"

#include "subhost/win/shellstart.h"
#include "subhost/win/winread.h"

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

} // namespace

std::unique_ptr<PluginModule> loadPluginModule(const std::string& path, std::string& error)
{
    HMODULE handle = LoadLibraryW(win::wide(path).c_str());
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
    // The distiller the plug-in starts through the shell is reported on.
    win::watchShellStarts(handle);
    return std::make_unique<WinModule>(handle, entry);
}

} // namespace subhost
