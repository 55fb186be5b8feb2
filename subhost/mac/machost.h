// The substitute host as a GNUstep application: the host's callback registry
// QXPXTCallback (panes and resource references), its print dialog and
// output-style editor as real windows around the plug-in's pane, and a
// scripted user (docs/ui-script.md) that drives the real AppKit controls.
#pragma once

#import <AppKit/AppKit.h>

#include "subhost/scriptuser.h"
#include "subhost/host.h"
#include "xthost_mac.h"

#include <ostream>
#include <string>
#include <vector>

// One registration of the registry.
@interface SubhostRegistration : NSObject
{
@public
    uint32_t xtID;
    int32_t code, flags, priority;
    id target;
    SEL selector;
}
@end

@interface QXPXTCallback : NSObject <QXPXTCallbackRegistry>
{
    NSMutableArray* _registrations;
    subhost::Host* _host;
    NSString* _bundlePath;
    int32_t _nextRef;
    NSMutableDictionary* _openRefs;
}
+ (id<QXPXTCallbackRegistry>)sharedCallback;
// The host whose events record the registry's calls, and the plug-in bundle
// whose identifier and interface files the resource references serve.
- (void)setHost:(subhost::Host*)host bundlePath:(NSString*)path;
- (NSArray*)registrations;
// Sends the selectors registered for `code`, each with a request for `record`;
// the controllers that answered are added to `panes`.
- (void)dispatch:(int32_t)code record:(void*)record panes:(NSMutableArray*)panes;
@end

namespace subhost {
class AppKitDriver;
} // namespace subhost

// The scripted user's clock: a timer that runs in every modal loop and, when
// the window the user faces (the host's dialog, a dialog of the plug-in, an
// alert or the folder chooser) is ready, asks the scripted user (ScriptUser)
// for its next step there. The user's hands and eyes on the real controls are
// an AppKitDriver.
@interface SubhostDriver : NSObject
{
    subhost::AppKitDriver* _driver;
    NSTimer* _timer;
    NSMutableArray* _seen;      // the modal windows open, bottom first
    NSMutableArray* _acting;    // the windows a step is being carried out on, outermost first
    NSMutableSet* _keyed;       // the plug-in's dialogs that have become key
    NSWindow* _scheduled;       // the window a step is scheduled for and not yet started
    NSWindow* _arrived;         // the modal window at the last tick
    NSString* _shotFolder;
    NSString* _shotPrefix;
    int _wait;                  // ticks to wait before the next step
    NSWindow* _pendingShot;     // a new window, pictured once it is painted
    const char* _hostWhat;      // the host's open dialog for people ("print dialog", "style editor")
}
- (id)initWithHost:(subhost::Host*)host log:(std::ostream*)log;
// Where the narration goes (null: nowhere).
- (void)setLog:(std::ostream*)log;
- (void)setSteps:(const std::vector<subhost::ScriptStep>&)steps;
- (void)setScreenshots:(NSString*)folder prefix:(NSString*)prefix;
// The plug-in's bundle: its interface files name the dialogs.
- (void)setBundlePath:(NSString*)path;
- (void)start;
- (void)stop;
// Adds a line to the narration.
- (void)say:(const std::string&)text;
// The host's dialog with the pane is open (`what`: "print dialog" or "style
// editor"); nil when it has closed.
- (void)setHostDialog:(NSWindow*)dialog
                 pane:(NSView*)pane
                title:(NSString*)title
               styles:(NSPopUpButton*)popup
                 what:(const char*)what;
// The running modal session stops with `code` (called by the application).
- (void)modalWindow:(NSWindow*)window stopsWith:(NSInteger)code;
- (const std::vector<std::string>&)errors;
- (BOOL)scriptDone;
@end

// The host's application: tells the scripted user how each modal session ends.
@interface SubhostApplication : NSApplication
+ (void)setDriver:(SubhostDriver*)driver;
@end

// The tags of the host dialog's own OK and Cancel buttons (never a pane's).
enum { kHostOkTag = -101, kHostCancelTag = -102 };

// Stops the running modal session and wakes its event loop.
void subhostStopModal(NSInteger code);
// Wakes the running modal loop (after a control stopped it).
void subhostWake();
// A host that keeps the pane's view after its dialog has closed (as a real
// host may, in its own time): FOLANTRA_MAC_KEEP_PANE set. Its dialog ends as
// by the Return or Escape key, with the focus (and a field's editing) left
// where it is; the pane's controllers go, and then the view that is left gets
// a key, the end of the editing and a click on each of its buttons before the
// host lets it go.
bool subhostKeepsPane();

namespace subhost {

// The host's print dialog (164, then 768) or output-style editor (728, then
// 771) as a modal window with the plug-in's pane; true when confirmed.
bool runMacPrintDialog(Host& host, SubhostDriver* driver);
bool runMacStyleEditor(Host& host, SubhostDriver* driver, xtstyleref style);

} // namespace subhost
