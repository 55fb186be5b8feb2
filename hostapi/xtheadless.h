/*
 * xtheadless.h - the headless group: the window system of the Linux build.
 *
 * An extension of our own beside xthost.h, with a version of its own
 * (XT_HEADLESS_VERSION, in every record below). A host that runs without a
 * window system offers it; its "user" is a script or a test. A host with a
 * real window system does not offer it: the plug-in then opens no dialog and
 * writes its messages to standard error.
 * Plain C like xthost.h, whose conventions hold here: texts are UTF-8, every
 * entry takes the bound group first, the plug-in calls on the host's main
 * thread, one call at a time.
 *
 * Binding. At start-up, after the groups of xthost.h, the plug-in binds the
 * group by name (XT_GROUP_HEADLESS). A host that answers anything but 0 has
 * no headless window system. The table has XT_HEADLESS_ENTRIES entries.
 *
 * The plug-in's own windows (its modal dialogs and its options pane) are
 * built and held by the plug-in; the host sees them only through reports and
 * acts on them only through user actions. Window ids are chosen by the
 * plug-in: positive and never reused while the plug-in is loaded. Controls
 * are addressed by their ids; where two controls share an id, the first in
 * creation order is meant.
 *
 * A message box (any time the plug-in runs):
 *   1. plug-in -> XT_HEADLESS_MSGBOX; the host shows it and returns the answer.
 *
 * A modal dialog of the plug-in:
 *   1. plug-in -> XT_HEADLESS_SHOW with the dialog's report when it opens;
 *   2. plug-in -> XT_HEADLESS_NEXTACTION; the host answers with what the user
 *      does next; the plug-in carries it out and reports the dialog again
 *      (XT_HEADLESS_SHOW). Step 2 repeats until the dialog ends, or until
 *      the host answers that the user is gone (a result other than 0, or
 *      XT_ACT_NONE), which closes the dialog;
 *   3. plug-in -> XT_HEADLESS_CLOSED with the dialog's result.
 *   Dialogs nest: a dialog opened from a control of another runs steps 1-3
 *   to its end before the outer one asks for its next action.
 *
 * The options pane in a dialog of the host:
 *   1. host -> callback 164 (print dialog) or 728 (output-style editor);
 *      during it the plug-in -> XT_HEADLESS_ADDPANE with its pane procedure,
 *      and reports the filled pane (XT_HEADLESS_SHOW, kind XT_WIN_PANE);
 *   2. host -> the pane procedure, once per user action on the pane's
 *      controls (typing, clicking, choosing, tabbing; Return, Escape and
 *      closing belong to the host's dialog); the plug-in reports the pane
 *      again after each. The procedure may run modal dialogs (above);
 *   3. host -> callback 768 or 771: the dialog closes. Once it has
 *      returned, the host never calls the pane procedure again.
 *
 * The folder chooser:
 *   1. plug-in -> XT_HEADLESS_CHOOSEFOLDER; the host answers with a folder
 *      or a cancel.
 *
 * Failure. Each entry below states its failure value: what the host
 * answers when the entry fails inside. For a message box, the folder chooser
 * and the next action it is the answer of a user who went away, so the
 * plug-in carries on as it would then.
 */
#ifndef FOLANTRA_XTHEADLESS_H
#define FOLANTRA_XTHEADLESS_H

#include "xthost.h"

#ifdef __cplusplus
extern "C" {
#endif

#define XT_HEADLESS_VERSION 1u
#define XT_GROUP_HEADLESS "headless"
#define XT_GROUPID_HEADLESS 19   /* the groupId a host gives it */

/* The entries. Each: its signature, who calls it and when, what it answers,
 * who owns what it is handed, and its failure value. */

/* int32_t (grp, title, primary, secondary or null, buttons): the plug-in, to
 * show a message box. Answers 1 for the first (default) button, 2 for any
 * other way (also the failure value). The texts are the plug-in's, valid
 * during the call. */
#define XT_HEADLESS_MSGBOX 1
#define XT_MSGBOX_OK 1           /* buttons: OK only */
#define XT_MSGBOX_OKCANCEL 2     /* buttons: OK and Cancel */

/* int32_t (grp, const xtwinreport* report): the plug-in, when one of its
 * windows opened or changed. 0 when taken; -1 for a report the host cannot
 * read (also the failure value). The report is the plug-in's, valid during
 * the call; the host copies what it keeps. */
#define XT_HEADLESS_SHOW 2

/* int32_t (grp, int32_t window, xtuseraction* out): the plug-in, while a
 * modal dialog runs, for the user's next action. The plug-in clears *out and
 * sets version and size; the host fills the rest. A result other than 0
 * (the failure value is -1), or the action XT_ACT_NONE, means the user is
 * gone: the plug-in closes the window. */
#define XT_HEADLESS_NEXTACTION 3

/* void (grp, int32_t window, int32_t result): the plug-in, once a modal
 * dialog has ended, with the dialog's result. */
#define XT_HEADLESS_CLOSED 4

/* int32_t (grp, xtdialogref dialog, const xtpanedesc* pane): the plug-in,
 * only during callback 164 or 728, to add its pane to the host's dialog
 * being built. 0 when added; -1 when not (also the failure value). The
 * record is the plug-in's, valid during the call (the host copies it). */
#define XT_HEADLESS_ADDPANE 5

/* int32_t (grp, const char* start or null, const char** chosen): the
 * plug-in, to let the user choose a folder, starting at `start`. 1 = chosen:
 * *chosen is host-owned, valid until the next call into this group;
 * 2 = cancelled (also the failure value). */
#define XT_HEADLESS_CHOOSEFOLDER 6

#define XT_HEADLESS_ENTRIES 7    /* the table's size: entries 0 .. 6; entry 0 is unused */

/* Window kinds in reports */
#define XT_WIN_DIALOG 1          /* a modal dialog of the plug-in */
#define XT_WIN_PANE 2            /* the plug-in's pane in a dialog of the host */

/* Control flags in reports */
#define XT_CTL_DEFAULT 0x01      /* the default button (Return) */
#define XT_CTL_TABSTOP 0x02      /* takes part in the tab order */
#define XT_CTL_PASSWORD 0x04     /* an edit field that hides its text */
#define XT_CTL_MULTILINE 0x08
#define XT_CTL_READONLY 0x10

/* One control of a reported window. Plug-in-owned, valid during the call
 * that reports it. */
typedef struct xtctlreport {
    uint32_t kind;        /* 0: run-time kind, the code the plug-in's control calls dispatch on: 'push', 'cbox'
                                (check boxes, radio buttons, group boxes), 'eutx' (edit fields), 'stxt', 'popb',
                                'comb', 'lbox', 'tabs', 'upan', 'radg', 'prgb', 'sepa' */
    uint32_t type;        /* 4: the kind it was described as ('push', 'cbox', 'rdio', 'eutx', 'grpb', ...) */
    int32_t id;           /* 8: 1 = OK, 2 = Cancel; labels 0; -1 when the control has none */
    uint32_t cmd;         /* 12: command code, 0 when none */
    int32_t value;        /* 16: check state, 1-based selected item or tab, ... (0 when it has none) */
    int32_t x, y, w, h;   /* 20: in the window's client area: pixels in a dialog, dialog units in the pane */
    int32_t parent;       /* 36: index in the report's array of the container holding it, -1 for none */
    uint8_t enabled;      /* 40 */
    uint8_t visible;      /* 41 */
    uint8_t focused;      /* 42: the control with the keyboard focus */
    uint8_t flags;        /* 43: XT_CTL_* */
    int32_t selStart;     /* 44: an edit field's selected bytes: first */
    int32_t selLength;    /* 48: and count; 0 = nothing selected */
    int32_t itemCount;    /* 52: menu items of a popup or combo box, labels of a tab control */
    const char* text;     /* 56: what the control shows (a popup: its selected item); never null */
    const char* const* items; /* 64: itemCount texts, or null */
} xtctlreport;
XT_STATIC_ASSERT(offsetof(xtctlreport, id) == 8, "control id at 8");
XT_STATIC_ASSERT(offsetof(xtctlreport, x) == 20, "control rect at 20");
XT_STATIC_ASSERT(offsetof(xtctlreport, enabled) == 40, "control state bytes at 40");
XT_STATIC_ASSERT(offsetof(xtctlreport, text) == 56, "control text at 56");
XT_STATIC_ASSERT(sizeof(xtctlreport) == 72, "control report is 72 bytes");

/* A window's state (XT_HEADLESS_SHOW). Plug-in-owned, valid during the call;
 * the host copies what it keeps. */
typedef struct xtwinreport {
    uint32_t version;     /* 0: XT_HEADLESS_VERSION */
    uint32_t size;        /* 4: sizeof(xtwinreport) */
    int32_t window;       /* 8: the plug-in's window id */
    int32_t kind;         /* 12: XT_WIN_DIALOG or XT_WIN_PANE */
    const char* name;     /* 16: the dialog's description name ("MetaData"), "Folantra" for the pane */
    const char* title;    /* 24: the window title, localized */
    int32_t left, top;    /* 32: a dialog's outer frame on a screen of 1280 x 1024; 0 for the pane */
    int32_t width;        /* 40: client area (pane: dialog units) */
    int32_t height;       /* 44 */
    int32_t count;        /* 48: controls */
    int32_t reserved;     /* 52 */
    const xtctlreport* controls; /* 56: in creation order (which is the order of the tab walk) */
} xtwinreport;
XT_STATIC_ASSERT(offsetof(xtwinreport, window) == 8, "window id at 8");
XT_STATIC_ASSERT(offsetof(xtwinreport, left) == 32, "window position at 32");
XT_STATIC_ASSERT(offsetof(xtwinreport, controls) == 56, "controls at 56");
XT_STATIC_ASSERT(sizeof(xtwinreport) == 64, "window report is 64 bytes");

/* What the user does next (XT_HEADLESS_NEXTACTION, and the pane procedure).
 * Caller-owned record; `text` is host-owned, valid until the next call into
 * the headless group. */
#define XT_ACT_NONE 0            /* nothing more will come: a dialog takes it as closing its window */
#define XT_ACT_TYPE 1            /* control gets `text` as its new text, as if typed (edit fields, combo boxes) */
#define XT_ACT_CLICK 2           /* a click on control (buttons, check boxes, radio buttons; else focus only) */
#define XT_ACT_CHOOSE 3          /* item `value` (1-based) of control: popup, combo box, list or tab control */
#define XT_ACT_RETURN 4          /* the Return key */
#define XT_ACT_ESCAPE 5          /* the Escape key */
#define XT_ACT_CLOSE 6           /* the window's close box */
#define XT_ACT_TAB 7             /* the Tab key: `value` 1 forward, -1 backward (with Shift) */
typedef struct xtuseraction {
    uint32_t version;     /* 0: XT_HEADLESS_VERSION */
    uint32_t size;        /* 4: sizeof(xtuseraction) */
    int32_t action;       /* 8: XT_ACT_* */
    int32_t control;      /* 12: the control's id (type, click, choose) */
    int32_t value;        /* 16: choose: the item; tab: the direction */
    int32_t reserved;     /* 20 */
    const char* text;     /* 24: type: the new text */
} xtuseraction;
XT_STATIC_ASSERT(offsetof(xtuseraction, action) == 8, "action at 8");
XT_STATIC_ASSERT(offsetof(xtuseraction, text) == 24, "action text at 24");
XT_STATIC_ASSERT(sizeof(xtuseraction) == 32, "user action is 32 bytes");

/* The pane procedure: the host hands it each user action on the pane's
 * controls. Returns 1 when the action was carried out, 0 when it does not
 * apply (no such control, disabled, a kind that does not take it). It may
 * run modal dialogs of the plug-in before it returns. */
typedef int32_t (XTAPI *xtpaneproc)(void* paneData, const xtuseraction* action);

/* The pane added to a host dialog (XT_HEADLESS_ADDPANE). The record is the
 * plug-in's, valid during the call (the host copies it); `proc` and
 * `paneData` stay valid until the host's close callback of that dialog (768
 * or 771) has returned; after it the host never calls them again. */
typedef struct xtpanedesc {
    uint32_t version;     /* 0: XT_HEADLESS_VERSION */
    uint32_t size;        /* 4: sizeof(xtpanedesc) */
    int32_t window;       /* 8: the window id of the pane's reports */
    int32_t reserved;     /* 12 */
    const char* title;    /* 16: the pane's title in the host's dialog */
    xtpaneproc proc;      /* 24 */
    void* paneData;       /* 32 */
} xtpanedesc;
XT_STATIC_ASSERT(offsetof(xtpanedesc, title) == 16, "pane title at 16");
XT_STATIC_ASSERT(offsetof(xtpanedesc, proc) == 24, "pane proc at 24");
XT_STATIC_ASSERT(sizeof(xtpanedesc) == 40, "pane record is 40 bytes");

typedef int32_t (XTAPI *xt_headless_msgbox_fn)(const xtgroup*, const char* title, const char* primary,
                                               const char* secondary, int32_t buttons);
typedef int32_t (XTAPI *xt_headless_show_fn)(const xtgroup*, const xtwinreport* report);
typedef int32_t (XTAPI *xt_headless_nextaction_fn)(const xtgroup*, int32_t window, xtuseraction* out);
typedef void (XTAPI *xt_headless_closed_fn)(const xtgroup*, int32_t window, int32_t result);
typedef int32_t (XTAPI *xt_headless_addpane_fn)(const xtgroup*, xtdialogref dialog, const xtpanedesc* pane);
typedef int32_t (XTAPI *xt_headless_choosefolder_fn)(const xtgroup*, const char* start, const char** chosen);

#ifdef __cplusplus
}
#endif

#endif /* FOLANTRA_XTHEADLESS_H */
