// The dialog runtime's toolkit side on macOS: each dialog is the window of
// the interface file of its name, loaded with a FolantraDlgController as its
// owner and run modally; the runtime's window, made from the same description
// as on every platform, holds the state and the dialog logic.
#include "ui/mac/macui.h"

#include "host/guard.h"
#include "host/mac/bundle_mac.h"
#include "ui/mac/objcguard.h"
#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/mac/autorelease.h"
#include "util/mac/cfseam.h"

#include <cstring>

// Tells helper functions that a window's delegate keeps control properties.
@protocol KestrovanDlgProtocol
- (NSValue*)controlPropertiesForItem:(NSInteger)item;
- (NSValue*)controlPropertiesForControl:(NSControl*)control;
- (void)setControlPropertiesForItem:(NSInteger)item properties:(NSValue*)properties;
- (void)setControlPropertiesForControl:(NSControl*)control properties:(NSValue*)properties;
@end

// A control's handler as the dialog controller keeps it.
struct ControlProperties {
    std::uint8_t valid;
    ControlProc controlProc;
    void* userData;
    std::int32_t unit;
    float minimum;
    float maximum;
};

typedef std::uint8_t (*CloseDlgProc)(NSWindow* window, void* userData);

@interface FolantraDlgController : NSObject <KestrovanDlgProtocol>
{
    IBOutlet NSWindow* window;
    NSMutableDictionary* _properties;
    CloseDlgProc _closeProc;
    void* _userData;
    DlgWindow* _model;
    FolantraViewBinding* _binding;
    NSArray* _topLevel;
    NSTextField* _pendingSelection; // selected once the window is key
}
- (void)setWindow:(NSWindow*)w;
- (void)doCancelBtn:(id)sender;
- (void)windowWillClose:(NSNotification*)note;
- (void)setupModalDialog;
- (int)runModal:(DlgWindow*)model dlgProc:(SetupDlgProc)proc userData:(void*)userData;
- (void)runModeless:(NSString*)name setupDlgProc:(SetupDlgProc)setup closeDlgProc:(CloseDlgProc)closeProc
           userData:(void*)userData;
- (void)doControl:(id)sender;
- (void)setControlHandler:(NSControl*)control controlProc:(ControlProc)proc userData:(void*)userData;
- (void)selectFileName:(NSTextField*)field;
- (void)selectLater:(NSTextField*)field;
- (void)selectNow:(NSTextField*)field;
- (void)reselectNow:(NSTextField*)field;
- (void)windowBecameKey:(NSNotification*)note;
- (void)abandon;
@end

namespace {

std::string sLastNibError;

} // namespace

NSBundle* folantraBundle()
{
    static NSBundle* bundle = nil;
    if (bundle == nil && gBundleRef != nullptr) {
        char path[1024];
        if (cfseam::bundlePath(gBundleRef, path, sizeof path))
            bundle = [[NSBundle alloc] initWithPath:[NSString stringWithUTF8String:path]];
    }
    return bundle;
}

id<QXPXTCallbackRegistry> hostCallbackRegistry()
{
    Class registry = NSClassFromString(@"QXPXTCallback");
    if (registry == Nil || ![registry respondsToSelector:@selector(sharedCallback)])
        return nil;
    return [(Class<QXPXTCallbackClass>)registry sharedCallback];
}

BOOL loadNib(NSString* name, id owner, NSArray** topLevel)
{
    NSBundle* bundle = folantraBundle();
    if (bundle == nil || name == nil)
        return NO;
    NSNib* nib = [[NSNib alloc] initWithNibNamed:name bundle:bundle];
    if (nib == nil)
        return NO;
    NSArray* objects = nil;
    BOOL ok = [nib instantiateWithOwner:owner topLevelObjects:&objects];
#if defined(GNUSTEP)
    // GNUstep's interface-file loader keeps the old rule: each top-level
    // object comes with a retain for the caller besides the array's. That
    // retain goes back, so that the array owns them alone, as on macOS.
    if (ok)
        [objects makeObjectsPerformSelector:@selector(release)];
#endif
    if (ok && topLevel != nullptr)
        *topLevel = [objects retain];
    [nib release];
    return ok;
}

int runModalForWindow(NSWindow* w)
{
    if (w == nil)
        return 0;
    NSInteger code = [NSApp runModalForWindow:w];
    return static_cast<int>(code & 0xFF);
}

void stopModalWithCode(NSInteger code)
{
    [NSApp stopModalWithCode:code];
    NSEvent* wake = [NSEvent otherEventWithType:FolantraEventTypeApplicationDefined location:NSMakePoint(0, 0) modifierFlags:0
                                      timestamp:0 windowNumber:0 context:nil subtype:0 data1:0 data2:0];
    [NSApp postEvent:wake atStart:NO];
}

int msgBox(NSString* text)
{
    const char* utf8 = [text UTF8String];
    return showMessageBox("Folantra", utf8 != nullptr ? utf8 : "", "", 1);
}

@implementation FolantraDlgController

- (id)init
{
    if ((self = [super init]) != nil)
        _properties = [[NSMutableDictionary alloc] init];
    return self;
}

- (void)dealloc
{
    // The window and its controls may outlive the controller: nothing of
    // them points back at it or at the binding once it has gone.
    [NSObject cancelPreviousPerformRequestsWithTarget:self];
    [[NSNotificationCenter defaultCenter] removeObserver:self];
    [_pendingSelection release];
    [_binding forget];
    for (NSUInteger i = 0; i < [_topLevel count]; ++i) {
        id o = [_topLevel objectAtIndex:i];
        if ([o isKindOfClass:[NSWindow class]]) {
            if ([(NSWindow*)o delegate] == (id)self)
                [(NSWindow*)o setDelegate:nil];
            detachFromViews([(NSWindow*)o contentView], self);
        }
    }
    if ([window delegate] == (id)self)
        [window setDelegate:nil];
    detachFromViews([window contentView], self);
    [_binding release];
    [_properties release];
    [window release];
    [_topLevel release];
    [super dealloc];
}

// The outlet the interface file sets: the controller owns the window.
- (void)setWindow:(NSWindow*)w
{
    [w retain];
    [window release];
    window = w;
}

- (void)doCancelBtn:(id)sender
{
    DlgWindow* model = _model;
    guardEntry("doCancelBtn:", false, [&] {
        if (model != nullptr)
            return controlChangedByUser(*model, 2, sender);
        stopModalWithCode(2);
        return true;
    });
}

- (BOOL)windowShouldClose:(id)sender
{
    // The close box ends a modal dialog with 2.
    if (_model != nullptr && !_model->done && !_model->pane) {
        UserAction close;
        close.kind = UserActionKind::Close;
        applyUserAction(*_model, close);
        if ([NSApp modalWindow] == window)
            stopModalWithCode(_model->result);
    }
    return YES;
}

- (void)windowWillClose:(NSNotification*)note
{
    // Modeless dialogs only: the close proc, then the controller goes.
    if (_closeProc != nullptr) {
        CloseDlgProc proc = _closeProc;
        _closeProc = nullptr;
        proc(window, _userData);
        [self autorelease];
    }
}

- (void)setupModalDialog
{
    if ([window delegate] == nil)
        [window setDelegate:(id)self];
    NSView* content = [window contentView];
    NSView* cancel = findViewWithTag(content, 2);
    if ([cancel isKindOfClass:[NSButton class]]) {
        [(NSButton*)cancel setTarget:self];
        [(NSButton*)cancel setAction:@selector(doCancelBtn:)];
        [(NSButton*)cancel setKeyEquivalent:@"\x1b"];
    }
    NSView* ok = findViewWithTag(content, 1);
    if ([ok isKindOfClass:[NSButton class]]) {
        [(NSButton*)ok setTarget:self];
        [(NSButton*)ok setAction:@selector(doControl:)];
        [window setDefaultButtonCell:[(NSButton*)ok cell]];
    }
    // The interface files set no key view loop: Tab goes through the
    // controls in their places on the window.
    [window recalculateKeyViewLoop];
}

- (int)runModal:(DlgWindow*)model dlgProc:(SetupDlgProc)proc userData:(void*)userData
{
    _model = model;
    _userData = userData;
    NSString* name = [NSString stringWithUTF8String:model->name.c_str()];
    if (!loadNib(name, self, &_topLevel))
        return 0;
    if (window == nil) {
        msgBox(@"MyDlgController: _panel = NULL!");
        return 0;
    }
    [self setupModalDialog];
    localizeWindow(window);
    NSView* content = [window contentView];
    _binding = [[FolantraViewBinding alloc] initWithModel:model root:content];
    fitLocalizedTexts(content, [content frame].size.width - 8);
    // The runtime's setup proc has run on the model: show what it set.
    if (proc != nullptr)
        proc(model, userData);
    [_binding push];
    [window center];
    // A field's selection is made again once the window is key: becoming key
    // may select the whole text of the field with the focus.
    NSView* focused = model->focus >= 0 && static_cast<std::size_t>(model->focus) < model->controls.size()
                          ? findViewWithTag(content, model->controls[static_cast<std::size_t>(model->focus)].id)
                          : nil;
    if ([focused isKindOfClass:[NSTextField class]])
        [self selectFileName:(NSTextField*)focused];
    [window makeKeyAndOrderFront:nil];
    int result = runModalForWindow(window);
    if (model->done)
        result = model->result;
    [NSObject cancelPreviousPerformRequestsWithTarget:self];
    [[NSNotificationCenter defaultCenter] removeObserver:self name:NSWindowDidBecomeKeyNotification object:window];
    [window orderOut:nil];
    [_binding forget];
    return result;
}

- (void)runModeless:(NSString*)name setupDlgProc:(SetupDlgProc)setup closeDlgProc:(CloseDlgProc)closeProc
           userData:(void*)userData
{
    // No dialog of this plug-in is modeless; kept for the protocol's users.
    _closeProc = closeProc;
    _userData = userData;
    if (!loadNib(name, self, &_topLevel) || window == nil) {
        [self release];
        return;
    }
    [window setDelegate:(id)self];
    localizeWindow(window);
    [window makeKeyAndOrderFront:nil];
}

- (NSValue*)controlPropertiesForItem:(NSInteger)item
{
    NSValue* v = [_properties objectForKey:[NSString stringWithFormat:@"%ld", static_cast<long>(item)]];
    if (v != nil)
        return v;
    ControlProperties p{};
    p.valid = 1;
    return [NSValue valueWithBytes:&p objCType:@encode(ControlProperties)];
}

- (NSValue*)controlPropertiesForControl:(NSControl*)control
{
    return [self controlPropertiesForItem:[control tag]];
}

- (void)setControlPropertiesForItem:(NSInteger)item properties:(NSValue*)properties
{
    [_properties setObject:properties forKey:[NSString stringWithFormat:@"%ld", static_cast<long>(item)]];
}

- (void)setControlPropertiesForControl:(NSControl*)control properties:(NSValue*)properties
{
    [self setControlPropertiesForItem:[control tag] properties:properties];
}

- (void)doControl:(id)sender
{
    NSInteger tag = [sender respondsToSelector:@selector(tag)] ? [sender tag] : 0;
    if (tag <= 0)
        return;
    if (_model != nullptr) {
        // Handlers live on the runtime's control; it runs them.
        DlgWindow* model = _model;
        guardEntry("doControl:", false,
                   [&] { return controlChangedByUser(*model, static_cast<int>(tag), sender); });
        return;
    }
    ControlProperties p{};
    [[self controlPropertiesForItem:tag] getValue:&p];
    if (p.controlProc != nullptr)
        return;
    if (tag == 1)
        stopModalWithCode(1);
}

- (void)setControlHandler:(NSControl*)control controlProc:(ControlProc)proc userData:(void*)userData
{
    ControlProperties p{};
    [[self controlPropertiesForControl:control] getValue:&p];
    p.controlProc = proc;
    p.userData = userData;
    [self setControlPropertiesForControl:control
                              properties:[NSValue valueWithBytes:&p objCType:@encode(ControlProperties)]];
    [control setTarget:self];
    [control setAction:@selector(doControl:)];
}

// The window has become key (GNUstep without a window manager makes it key
// again and again): when that selected the field's whole text, the name is
// selected again on the next turn.
- (void)windowBecameKey:(NSNotification*)note
{
    if (_pendingSelection != nil)
        [self performSelector:@selector(reselectNow:)
                   withObject:_pendingSelection
                   afterDelay:0
                      inModes:[NSArray arrayWithObjects:NSDefaultRunLoopMode, NSModalPanelRunLoopMode,
                                                        NSEventTrackingRunLoopMode, nil]];
}

// After an exception: the window goes off the screen and the binding forgets
// the runtime's window, whatever state the run was left in.
- (void)abandon
{
    [NSObject cancelPreviousPerformRequestsWithTarget:self];
    [[NSNotificationCenter defaultCenter] removeObserver:self name:NSWindowDidBecomeKeyNotification object:window];
    [window orderOut:nil];
    [_binding forget];
}

// The runtime's selection of the field (selectFileName: the name before the
// last dot), made on the next turn of the run loop, and made again on the
// turn after the window has become key, when becoming key selected the whole
// text (a window system may make it key a moment after it was ordered front).
- (void)selectFileName:(NSTextField*)field
{
    NSWindow* w = [field window];
    [[NSNotificationCenter defaultCenter] removeObserver:self name:NSWindowDidBecomeKeyNotification object:nil];
    [_pendingSelection release];
    _pendingSelection = [field retain];
    if (w != nil)
        [[NSNotificationCenter defaultCenter] addObserver:self selector:@selector(windowBecameKey:)
                                                     name:NSWindowDidBecomeKeyNotification object:w];
    [self selectLater:field];
}

- (void)selectLater:(NSTextField*)field
{
    [self performSelector:@selector(selectNow:)
               withObject:field
               afterDelay:0
                  inModes:[NSArray arrayWithObjects:NSDefaultRunLoopMode, NSModalPanelRunLoopMode,
                                                    NSEventTrackingRunLoopMode, nil]];
}

- (void)selectNow:(NSTextField*)field
{
    DlgControl* c = _model != nullptr ? getControl(_model, static_cast<int>([field tag])) : nullptr;
    NSText* editor = [[field window] fieldEditor:NO forObject:field];
    if (c == nullptr || c->selLength <= 0 || editor == nil || [editor delegate] != (id)field)
        return;
    [editor setSelectedRange:editRange(c->text, c->selStart, c->selLength)];
    [field setNeedsDisplay:YES];
}

- (void)reselectNow:(NSTextField*)field
{
    NSText* editor = [[field window] fieldEditor:NO forObject:field];
    if (editor != nil && [editor delegate] == (id)field && [[editor string] length] > 0 &&
        NSEqualRanges([editor selectedRange], NSMakeRange(0, [[editor string] length])))
        [self selectNow:field];
}

@end

namespace dialog_toolkit {

bool available() { return NSApp != nil; }

void screenSize(int* width, int* height)
{
    NSRect f = [[NSScreen mainScreen] frame];
    *width = static_cast<int>(f.size.width);
    *height = static_cast<int>(f.size.height);
}

FrameInsets frameInsets() { return FrameInsets{}; }

int runModal(DlgWindow& w)
{
    FolantraAutoreleasePool pool;
    FolantraDlgController* controller = [[FolantraDlgController alloc] init];
    // An Objective-C exception while the dialog runs: its description is
    // shown, and the dialog answers 0.
    std::string failure;
    int result = catchObjCException([&] { return [controller runModal:&w dlgProc:nullptr userData:w.user]; }, 0,
                                    &failure);
    if (!failure.empty()) {
        [controller abandon];
        msgBox([NSString stringWithUTF8String:failure.c_str()]);
    }
    [controller release];
    return result;
}

void update(DlgWindow& window)
{
    FolantraAutoreleasePool pool;
    if (FolantraViewBinding* b = bindingForWindow(window.window))
        [b push];
}

// The pane goes to the host through its callback registry (optionspane_mac.mm).
bool addPane(std::int32_t, DlgWindow&) { return false; }

int chooseFolder(const char* start, std::string& chosen)
{
    FolantraAutoreleasePool pool;
    NSOpenPanel* panel = [NSOpenPanel openPanel];
    [panel setAllowsMultipleSelection:NO];
    [panel setCanChooseFiles:NO];
    [panel setCanChooseDirectories:YES];
    [panel setCanCreateDirectories:YES];
    NSString* folder = start != nullptr && start[0] != '\0' ? [NSString stringWithUTF8String:start] : nil;
    if (folder != nil)
        [panel setDirectoryURL:[NSURL fileURLWithPath:folder]];
    if ([panel runModal] != NSModalResponseOK)
        return 2;
    NSArray* urls = [panel URLs];
    if ([urls count] == 0)
        return 2;
    const char* path = [[[urls objectAtIndex:0] path] fileSystemRepresentation];
    if (path == nullptr)
        return 2;
    chosen = path;
    return 1;
}

} // namespace dialog_toolkit
