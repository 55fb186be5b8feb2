// Without a bundle (a toolkit without a desktop of its own): the plug-in's
// resources are files in a folder beside the plug-in file, as a bundle keeps
// them in its Resources folder: for <dir>/Folantra.xnt the folder is
// <dir>/Folantra.resources. util/mac/resources_mac.mm replaces this file.
#include "util/mystrings.h"
#include "util/posix/resources_posix.h"

#include "ui/toolkit.h"
#include "util/files.h"
#include "util/platform.h"

#include <cstring>
#include <string>

std::string resourceFolderBesideModule()
{
    char module[512];
    if (!plat::modulePath(module, sizeof module))
        return std::string();
    char folder[512];
    char stem[512];
    getFolder(module, folder);
    getFileName(module, stem, false);
    return std::string(folder) + "/" + stem + ".resources";
}

char* copyPlatformResource(const char* name, const char* type)
{
    const std::string folder = resourceFolderBesideModule();
    if (folder.empty())
        return nullptr;
    const std::string path = folder + "/" + name + "." + type;
    return copyResourceFile(path.c_str());
}
