// Without a window system the box goes to the host's headless toolkit, whose
// user is a test or a script; without one it is written to standard error.
#include "ui/msgbox.h"

#include "host/xtcalls.h"
#include "ui/toolkit.h"

#include <cstdio>

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    if (const xtgroup* g = xtHeadlessGroup()) {
        if (g->count > XT_HEADLESS_MSGBOX && g->entries[XT_HEADLESS_MSGBOX] != nullptr) {
            auto f = reinterpret_cast<xt_headless_msgbox_fn>(g->entries[XT_HEADLESS_MSGBOX]);
            return f(g, title, primary, secondary, buttons > 1 ? XT_MSGBOX_OKCANCEL : XT_MSGBOX_OK);
        }
    }
    std::fprintf(stderr, "%s: %s%s%s\n", title, primary, secondary[0] ? "\n" : "", secondary);
    return 1;
}
