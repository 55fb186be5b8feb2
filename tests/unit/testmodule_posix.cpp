#include "unit/testmodule.h"

#include <dlfcn.h>

namespace testing_util {

std::string moduleFileName(const std::string& name) { return name + ".so"; }

void* loadModuleSymbol(const std::string& path, const char* symbol)
{
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return module != nullptr ? dlsym(module, symbol) : nullptr;
}

} // namespace testing_util
