// The substitute host as a GNUstep application: the host's callback registry
// QXPXTCallback (panes and resource references), its print dialog and
// output-style editor as real windows around the plug-in's pane, and a
// scripted user (docs/ui-script.md) that drives the real AppKit controls.
#pragma once

#import <AppKit/AppKit.h>

#include "subhost/headless.h"
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

// The scripted user.
@interface SubhostDriver : NSObject
{
    subhost::Host* _host;
    std::vector<subhost::ScriptStep>* _steps;
    std::vector<std::string>* _errors;
    std::ostream* _log;
    NSTimer* _timer;
    NSWindow* _hostDialog;      // the host's open print dialog or style editor
    NSView* _paneView;          // the pane in it
    NSPopUpButton* _stylePopup; // the print dialog's output styles
    NSMutableArray* _seen;      // the modal windows open, bottom first
    NSString* _shotFolder;
    NSString* _shotPrefix;
    int _wait;                  // ticks to wait before the next step
    NSWindow* _typingWindow;
    NSTextField* _typingField;
    NSString* _typingText;
    int _typingTicks;
    BOOL _faulted;
    NSWindow* _pendingShot;     // a new window, pictured once it is painted
    NSString* _chosenFolder;
    NSWindow* _acting;          // the window a step is being carried out on
    BOOL _stepPending;          // a step is scheduled and not yet started
}
- (id)initWithHost:(subhost::Host*)host log:(std::ostream*)log;
- (void)setSteps:(const std::vector<subhost::ScriptStep>&)steps;
- (void)setScreenshots:(NSString*)folder prefix:(NSString*)prefix;
- (void)start;
- (void)stop;
- (void)setHostDialog:(NSWindow*)dialog pane:(NSView*)pane styles:(NSPopUpButton*)popup;
- (const std::vector<std::string>&)errors;
- (BOOL)scriptDone;
// The folder the script chose in the last folder chooser (once), or nil.
- (NSString*)takeChosenFolder;
@end

// The tags of the host dialog's own OK and Cancel buttons (never a pane's).
enum { kHostOkTag = -101, kHostCancelTag = -102 };

// Stops the running modal session and wakes its event loop.
void subhostStopModal(NSInteger code);
// Wakes the running modal loop (after a control stopped it).
void subhostWake();

namespace subhost {

// The host's print dialog (164, then 768) or output-style editor (728, then
// 771) as a modal window with the plug-in's pane; true when confirmed.
bool runMacPrintDialog(Host& host, SubhostDriver* driver);
bool runMacStyleEditor(Host& host, SubhostDriver* driver, xtstyleref style);

} // namespace subhost
