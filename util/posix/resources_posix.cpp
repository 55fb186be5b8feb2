// Without a bundle (a toolkit without a desktop of its own): the plug-in's
// resources are files in a folder beside the plug-in file, as a bundle keeps
// them in its Resources folder: for <dir>/Folantra.xnt the folder is
// <dir>/Folantra.resources. util/mac/resources_mac.mm replaces this file.
#include "util/mystrings.h"

#include "ui/toolkit.h"
#include "util/files.h"
#include "util/platform.h"

#include <cstring>
#include <string>

char* copyPlatformResource(const char* name, const char* type)
{
    char module[512];
    if (!plat::modulePath(module, sizeof module))
        return nullptr;
    char folder[512];
    char stem[512];
    getFolder(module, folder);
    getFileName(module, stem, false);
    std::string path = std::string(folder) + "/" + stem + ".resources/" + name + "." + type;
    return copyResourceFile(path.c_str());
}
