// Loading a module at run time in tests: LoadLibraryW on Windows, dlopen
// elsewhere.
#pragma once

#include <string>

namespace testing_util {

// The file name that the build gives a loadable module called `name`.
std::string moduleFileName(const std::string& name);
// Loads the module at the UTF-8 `path` and returns the address of its
// exported `symbol`, or null. The module stays loaded.
void* loadModuleSymbol(const std::string& path, const char* symbol);

} // namespace testing_util
