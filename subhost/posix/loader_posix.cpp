#include "subhost/loader.h"

#include <dlfcn.h>

namespace subhost {
namespace {
class PosixModule : public PluginModule {
public:
    PosixModule(void* handle, xtactivateproc entry) : mHandle(handle), mEntry(entry) {}
    ~PosixModule() override { dlclose(mHandle); }
    xtactivateproc entry() const override { return mEntry; }

private:
    void* mHandle;
    xtactivateproc mEntry;
};
} // namespace

std::unique_ptr<PluginModule> loadPluginModule(const std::string& path, std::string& error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        error = "cannot load " + path + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    auto entry = reinterpret_cast<xtactivateproc>(dlsym(handle, XT_ENTRY_NAME));
    if (entry == nullptr) {
        dlclose(handle);
        error = path + " has no entry " XT_ENTRY_NAME;
        return nullptr;
    }
    return std::make_unique<PosixModule>(handle, entry);
}

} // namespace subhost
