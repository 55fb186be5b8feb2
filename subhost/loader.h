// Loading a plug-in file and finding its one export: dlopen on POSIX,
// LoadLibrary on Windows.
#pragma once

#include "xthost.h"

#include <memory>
#include <string>

namespace subhost {

class PluginModule {
public:
    virtual ~PluginModule() = default;
    virtual xtactivateproc entry() const = 0;
};

// Null with a message in `error` when the file cannot be loaded or lacks
// the entry.
std::unique_ptr<PluginModule> loadPluginModule(const std::string& path, std::string& error);

} // namespace subhost
