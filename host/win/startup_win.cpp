// Start-up steps of the Windows build.
#include "ui/toolkit.h"

#include "host/startup.h"
#include "host/win/instance_win.h"
#include "host/xtcalls.h"
#include "ui/optionspane.h"
#include "ui/win/winhandles.h"
#include "ui/win/winpane.h"
#include "ui/win/wintoolkit.h"
#include "util/platform.h"

#include <windows.h>

using wintk::gPaneCodes; // print-dialog pane, style-editor pane

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

// The host's main window, and the toolkit's window classes and fonts.
void platformSetupInterface()
{
    const xtgroup* g = xtWinDialogGroup();
    if (g != nullptr && g->entries != nullptr && g->count > XT_WINDLG_MAINWINDOW &&
        g->entries[XT_WINDLG_MAINWINDOW] != nullptr) {
        void* main = nullptr;
        if (reinterpret_cast<xt_windlg_mainwindow_fn>(g->entries[XT_WINDLG_MAINWINDOW])(g, &main) == 0)
            wintk::setHostMainWindow(static_cast<HWND>(main));
    }
    wintk::registerClasses();
}
void platformSetupController() { registerPaneCallbacks(); }
void platformQuit() { wintk::unregisterClasses(); }

// The module's instance handle, kept for its resources.
HINSTANCE gInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        gInstance = instance;
    return TRUE;
}
