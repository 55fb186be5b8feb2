/* The host's Objective-C interface on macOS: the shared callback registry
 * QXPXTCallback, through which a plug-in adds its pane to the print dialog and
 * the output-style editor, and the host's resource references, through which
 * it tells the host of its interface files.
 *
 * Objective-C only; it extends xthost.h and changes nothing there. The plug-in
 * never links against the host: it finds the registry at run time,
 *     Class reg = NSClassFromString(@"QXPXTCallback");
 *     id<QXPXTCallbackRegistry> shared = [reg sharedCallback];
 * and finds nothing (and adds no pane) in a host without one.
 *
 * Call sequence for a pane, all on the host's main thread:
 *  1. at start-up the plug-in registers a target and selector for 164 (print
 *     dialog) and 728 (output-style editor); the host keeps target and
 *     selector, and the target, until the plug-in is unloaded;
 *  2. when the host builds that dialog, it sends the selector to the target
 *     with one argument, an object conforming to QXPXTPaneRequest: its
 *     callbackRecord is the C record of the callback code (xtprintdlgrec or
 *     xtstyleeditrec, valid during the call only);
 *  3. the plug-in may answer with addPaneController: once; the host retains
 *     the controller (QXPXTPaneController), places its view in the dialog
 *     under its title, and sends it setParent: and initializeControllerData:;
 *  4. when the dialog closes, the host calls the plain callback 768 or 771
 *     (xthost.h), then sends deinitController and releases the controller.
 */
#ifndef XTHOST_MAC_H
#define XTHOST_MAC_H

#import <Foundation/Foundation.h>

#include "xthost.h"

@class NSView;

/* What the host hands the selector of a pane registration. */
@protocol QXPXTPaneRequest
/* The callback's C record (xtprintdlgrec* for 164, xtstyleeditrec* for 728);
 * owned by the host, valid until the selector returns. */
- (void*)callbackRecord;
/* Adds a pane; the host retains `controller`. */
- (void)addPaneController:(id)controller;
@end

/* What the host asks of a pane's controller. */
@protocol QXPXTPaneController
- (NSView*)view;           /* the pane's view, owned by the controller */
- (NSString*)title;        /* the pane's title in the dialog */
- (void)setParent:(id)parent;
- (void)initializeControllerData:(id)data;
- (void)deinitController;
- (NSArray*)childViewOwnerList;
@end

/* Resource function 5: register the nib file named by the string argument. */
#define QXPXT_RESOURCE_REGISTERNIB 5

@protocol QXPXTCallbackRegistry
/* Registers `selector` of `target` (retained by the host) for the callback
 * code `cbCode` under the plug-in identifier `xtID` ('KDIC'); flags 1,
 * priority as for plain callbacks. Returns a registration number > 0, or 0
 * when refused. */
- (int32_t)registerCallback:(uint32_t)xtID forCBCode:(int32_t)cbCode withFlags:(int32_t)flags
                   priority:(int32_t)priority withTarget:(id)target withSelector:(SEL)selector;
/* Opens a resource reference for the bundle with that identifier: > 0, or 0
 * when the host knows no such bundle. */
- (int32_t)openResourceRef:(NSString*)bundleIdentifier;
/* Calls resource function `function` (QXPXT_RESOURCE_...) of a reference with
 * a string and a number; 0 on success. */
- (int32_t)resourceRef:(int32_t)ref function:(int32_t)function string:(NSString*)text value:(int32_t)value;
- (void)closeResourceRef:(int32_t)ref;
@end

/* The registry's class answers its one shared instance. */
@protocol QXPXTCallbackClass
+ (id<QXPXTCallbackRegistry>)sharedCallback;
@end

#endif
