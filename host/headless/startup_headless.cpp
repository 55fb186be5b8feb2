// Start-up steps of the macOS-style builds. On Linux the plug-in's resources
// live in the folder "Folantra.resources" beside the plug-in file, as a
// bundle keeps them in its Resources folder.
#include "ui/toolkit.h"

#include "ui/msgbox.h"
#include "ui/optionspane.h"
#include "util/posix/resources_posix.h"

#include <sys/stat.h>

#include <string>

int32_t platformRequestCodes(xtsetuprec*) { return 0; }

void platformSetupPaths()
{
    const std::string folder = resourceFolderBesideModule();
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        msgBox("Internal error: gBundleRef = NULL");
}

void platformSetupInterface() {}
void platformSetupController() { registerPaneCallbacks(); }
void platformQuit() {}
