// Start-up steps of the Windows build.
#include "host/startup_platform.h"

#include "host/startup.h"
#include "host/win/instance_win.h"
#include "ui/optionspane.h"
#include "util/platform.h"

int32_t gPaneCodes[2] = {0, 0}; // print-dialog pane, style-editor pane

int32_t platformRequestCodes(xtsetuprec* rec)
{
    if (rec == nullptr || rec->newCallbackCode == nullptr)
        return 0;
    rec->newCallbackCode(rec, 1, &gPaneCodes[0]);
    rec->newCallbackCode(rec, 1, &gPaneCodes[1]);
    return 0;
}

void platformSetupPaths()
{
    if (!plat::modulePath(gXTPath, sizeof gXTPath))
        gXTPath[0] = '\0';
}

void platformSetupInterface() {}
void platformSetupController() { registerPaneCallbacks(); }
void platformQuit() {}

// The module's instance handle, kept for its resources.
HINSTANCE gInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        gInstance = instance;
    return TRUE;
}
