// The mac toolkit's own interface, for its Objective-C++ files only: the
// plug-in's bundle and the host's registry, nib loading, modal windows,
// localized strings and views, and the binding that keeps a loaded view tree
// and the dialog runtime's window in step. Every Objective-C class here
// carries the prefix Folantra: the class namespace is shared by the whole
// host process.
#pragma once

#import <AppKit/AppKit.h>

#include "ui/dialogs.h"

// The application-defined event type under its current name (GNUstep knows
// only the older one).
#if defined(GNUSTEP)
#define FolantraEventTypeApplicationDefined NSApplicationDefined
#else
#define FolantraEventTypeApplicationDefined NSEventTypeApplicationDefined
#endif
#include "xthost_mac.h"

// ---- bundle, host and nibs ----

// The plug-in's bundle (from gBundleRef), or nil when it was not found.
NSBundle* folantraBundle();
// The host's shared callback registry, or nil in a host without one.
id<QXPXTCallbackRegistry> hostCallbackRegistry();
// Instantiates the interface file `name` of the plug-in's bundle with `owner`;
// *topLevel (when asked for) receives the retained array of its top-level
// objects. NO when the bundle or the file is missing.
BOOL loadNib(NSString* name, id owner, NSArray** topLevel);
// Runs the window modally; the stop code's low 8 bits, 0 for no window.
int runModalForWindow(NSWindow* window);
// Stops the running modal session with `code`, and wakes its event loop
// with an application event so that it notices at once.
void stopModalWithCode(NSInteger code);

// ---- strings ----

// The string table's text of `key` as a string; `fallback` when the key is
// not in the table.
NSString* stringForKey(const char* key, NSString* fallback);
NSString* stringForKey(NSString* key);
NSString* stringForKey(NSString* key, NSString* fallback);
// A label that may end in ":" or "…", looked up without the mark.
NSString* localizeString(NSString* text);
// A new string (owned by the caller) from UTF-8 text, translated first when
// `translate` is set and the text is shorter than 250 bytes; nil for null.
NSString* CreateCFString(const char* text, unsigned char translate);
void localizeMenu(NSMenu* menu);
void localizeView(NSView* view);
void localizeWindow(NSWindow* window);
// Widens labels, check boxes and buttons whose localized text does not fit
// their frame, and moves the controls to their right along, within `limit`.
void fitLocalizedTexts(NSView* view, CGFloat limit);

// A box with a text object, not localized: 1 OK, 2 closed another way.
int msgBox(NSString* text);

// ---- the binding of native controls and the runtime's window ----

// The views of `root` whose tag is `tag`, depth first.
NSView* findViewWithTag(NSView* root, NSInteger tag);
// Clears every reference the views of `root` hold to `owner`: a text field's
// delegate, a control's target (with its action). The host may keep a view
// after the object its controls report to has gone.
void detachFromViews(NSView* root, id owner);
// The UTF-16 range of the `length` bytes from byte `start` of a UTF-8 text
// (the runtime counts a selection in bytes, AppKit in UTF-16 units).
NSRange editRange(const std::string& text, int start, int length);

// The user changed control `id` of `window` (its native state is already
// in `control`): the state is pulled into the runtime's control and the
// dialog runtime's dispatch runs, as for every toolkit.
bool controlChangedByUser(DlgWindow& window, int id, NSView* control);

@interface FolantraViewBinding : NSObject
{
    DlgWindow* _model;
    NSView* _root;
    int _lastFocus;
}
// Binds the tagged controls of `root` to the controls of `model` with the same
// ids; controls without an action of their own report to the binding.
- (id)initWithModel:(DlgWindow*)model root:(NSView*)root;
- (DlgWindow*)model;
// The model's state into the native controls: texts, values, enabled states,
// the focus and a field's selection.
- (void)push;
// The native texts of the editable fields into the model.
- (void)pullTexts;
// A control reports a change: routed through controlChangedByUser.
- (void)userChanged:(id)sender;
// The runtime's window is gone: nothing is pushed or pulled any more.
- (void)forget;
@end

// The binding of a runtime window by its id, or nil.
FolantraViewBinding* bindingForWindow(std::int32_t windowId);
