// Start-up steps of the macOS-style builds. On Linux the plug-in's resources
// live in the folder "Folantra.resources" beside the plug-in file, as a
// bundle keeps them in its Resources folder.
#include "ui/toolkit.h"

#include "ui/msgbox.h"
#include "ui/optionspane.h"
#include "util/platform.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

int32_t platformRequestCodes(xtsetuprec*) { return 0; }

void platformSetupPaths()
{
    char self[512] = {};
    bool found = false;
    if (plat::modulePath(self, sizeof self)) {
        std::string dir(self);
        std::string::size_type slash = dir.rfind('/');
        dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
        struct stat st {};
        found = ::stat((dir + "/Folantra.resources").c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (!found)
        msgBox("Internal error: gBundleRef = NULL");
}

void platformSetupInterface() {}
void platformSetupController() { registerPaneCallbacks(); }
void platformQuit() {}
