// Dialogs and message boxes: the entries of the headless window system's
// group. Each hands its call to the host's Headless, which answers from the
// script (message boxes, once the script has no answer, as
// Host::answerMessageBox does).
#include "subhost/host_private.h"

#include "subhost/headless.h"

namespace subhost {

namespace {

Headless& headlessOf(const xtgroup* g) { return hostOf(g)->headless(); }

int32_t XTAPI entryMsgBox(const xtgroup* g, const char* title, const char* primary, const char* secondary,
                          int32_t buttons)
{
    return headlessOf(g).messageBox(title, primary, secondary, buttons);
}

int32_t XTAPI entryShow(const xtgroup* g, const xtwinreport* report) { return headlessOf(g).show(report); }

int32_t XTAPI entryNextAction(const xtgroup* g, int32_t window, xtuseraction* out)
{
    return headlessOf(g).nextAction(window, out);
}

void XTAPI entryClosed(const xtgroup* g, int32_t window, int32_t result) { headlessOf(g).closed(window, result); }

int32_t XTAPI entryAddPane(const xtgroup* g, xtdialogref dialog, const xtpanedesc* pane)
{
    return headlessOf(g).addPane(dialog, pane);
}

int32_t XTAPI entryChooseFolder(const xtgroup* g, const char* start, const char** chosen)
{
    return headlessOf(g).chooseFolder(start, chosen);
}

// The failure values the headless group states: a message box or a folder
// chooser that fails is answered as if the user had closed it.
constexpr int32_t kMsgBoxOtherWay = 2;
constexpr int32_t kFolderCancelled = 2;

} // namespace

void installDialogGroup(Host::Groups& g, Host* h)
{
    g.headlessTable.set<XT_HEADLESS_MSGBOX, entryMsgBox, kMsgBoxOtherWay>();
    g.headlessTable.set<XT_HEADLESS_SHOW, entryShow>();
    g.headlessTable.set<XT_HEADLESS_NEXTACTION, entryNextAction>();
    g.headlessTable.set<XT_HEADLESS_CLOSED, entryClosed>();
    g.headlessTable.set<XT_HEADLESS_ADDPANE, entryAddPane>();
    g.headlessTable.set<XT_HEADLESS_CHOOSEFOLDER, entryChooseFolder, kFolderCancelled>();
    initGroup(g.headless, h, XT_GROUPID_HEADLESS, g.headlessTable);
}

} // namespace subhost
