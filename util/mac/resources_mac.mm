// macOS: the plug-in's resources are files in its bundle's resources folder,
// <name>.<type>.
#include "util/mystrings.h"

#include "host/mac/bundle_mac.h"
#include "ui/toolkit.h"
#include "util/mac/cfseam.h"

#include <string>

char* copyPlatformResource(const char* name, const char* type)
{
    char folder[1024];
    if (gBundleRef == nullptr || !cfseam::bundleResourcesPath(gBundleRef, folder, sizeof folder))
        return nullptr;
    std::string path = std::string(folder) + "/" + name + "." + type;
    return copyResourceFile(path.c_str());
}
