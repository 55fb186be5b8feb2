// The host's print dialog and output-style editor as real windows: the
// plug-in's pane view sits in a box titled by its controller, above the
// host's own OK and Cancel buttons.
#include "subhost/mac/machost.h"

#include "subhost/utf8.h"

#import <Foundation/NSDebug.h>

#include <cstdlib>
#include <functional>
#include <string>

void subhostStopModal(NSInteger code)
{
    [NSApp stopModalWithCode:code];
    subhostWake();
}

bool subhostKeepsPane()
{
    const char* keep = std::getenv("FOLANTRA_MAC_KEEP_PANE");
    return keep != nullptr && keep[0] != '\0';
}

void subhostWake()
{
    NSEvent* wake = [NSEvent otherEventWithType:NSApplicationDefined location:NSMakePoint(0, 0) modifierFlags:0
                                      timestamp:0 windowNumber:0 context:nil subtype:0 data1:0 data2:0];
    [NSApp postEvent:wake atStart:NO];
}

// Ends the host's modal dialog: OK with 1, Cancel and the close box with 2.
@interface SubhostModalStopper : NSObject
- (void)ok:(id)sender;
- (void)cancel:(id)sender;
@end

@implementation SubhostModalStopper
- (void)ok:(id)sender
{
    subhostStopModal(1);
}
- (void)cancel:(id)sender
{
    subhostStopModal(2);
}
- (BOOL)windowShouldClose:(id)sender
{
    subhostStopModal(2);
    return YES;
}
@end

namespace {

constexpr CGFloat kMargin = 20;

SubhostModalStopper* stopper()
{
    static SubhostModalStopper* s = [[SubhostModalStopper alloc] init];
    return s;
}

NSButton* hostButton(NSView* content, NSRect frame, NSString* title, NSInteger code, NSString* key)
{
    NSButton* b = [[[NSButton alloc] initWithFrame:frame] autorelease];
    [b setTitle:title];
    [b setBezelStyle:NSRoundedBezelStyle];
    [b setTag:code == 1 ? kHostOkTag : kHostCancelTag];
    [b setKeyEquivalent:key];
    [b setTarget:stopper()];
    [b setAction:code == 1 ? @selector(ok:) : @selector(cancel:)];
    [content addSubview:b];
    return b;
}

// The plug-in's classes whose objects live only while a dialog is open, and
// the windows of its interface files: how many of each are alive.
const char* const kCounted[] = {"FolantraStylesController", "FolantraViewBinding", "FolantraPaneView",
                                "FolantraDlgController", "NSWindow"};
constexpr int kCountedClasses = sizeof kCounted / sizeof kCounted[0];

struct Census {
    int alive[kCountedClasses] = {};
    static Census now()
    {
        Census c;
        for (int i = 0; i < kCountedClasses; ++i)
            if (Class k = NSClassFromString([NSString stringWithUTF8String:kCounted[i]]))
                c.alive[i] = GSDebugAllocationCount(k);
        return c;
    }
    // What is alive now and was not before, as "Class N, ..."; empty for nothing.
    std::string since(const Census& before) const
    {
        std::string text;
        for (int i = 0; i < kCountedClasses; ++i)
            if (alive[i] > before.alive[i])
                text += (text.empty() ? "" : ", ") + std::string(kCounted[i]) + " " +
                        std::to_string(alive[i] - before.alive[i]);
        return text;
    }
};

void collectButtons(NSView* root, NSMutableArray* buttons)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSButton class]])
            [buttons addObject:v];
        collectButtons(v, buttons);
    }
}

std::string sendLateEvents(NSWindow* dialog, NSView* pane)
{
    std::string sent;
    NSResponder* focus = [dialog firstResponder];
    bool editing = [focus isKindOfClass:[NSText class]] && [(NSText*)focus isFieldEditor];
    if (editing) {
        NSEventType types[2] = {NSKeyDown, NSKeyUp};
        for (int i = 0; i < 2; ++i)
            [dialog sendEvent:[NSEvent keyEventWithType:types[i] location:NSMakePoint(0, 0) modifierFlags:0
                                              timestamp:0 windowNumber:[dialog windowNumber] context:nil
                                             characters:@"9" charactersIgnoringModifiers:@"9" isARepeat:NO
                                                keyCode:25]];
        sent += "a key into the field being edited, ";
    }
    [dialog makeFirstResponder:dialog];
    sent += editing ? "the end of its editing, " : "no field being edited, ";
    NSMutableArray* buttons = [NSMutableArray array];
    collectButtons(pane, buttons);
    int clicked = 0;
    for (NSUInteger i = 0; i < [buttons count]; ++i) {
        NSButton* b = [buttons objectAtIndex:i];
        if ([b isEnabled]) {
            [b performClick:nil];
            ++clicked;
        }
    }
    return sent + std::to_string(clicked) + " clicks";
}

bool runHostDialogWindow(subhost::Host& host, SubhostDriver* driver, NSString* title, int32_t code, void* record,
                         bool withStyles, const std::function<void(bool)>& closing);

// Builds the window, runs it modally with the panes the plug-in added and
// answers whether it was confirmed.
bool runHostDialog(subhost::Host& host, SubhostDriver* driver, NSString* title, int32_t code, void* record,
                   bool withStyles, const std::function<void(bool)>& closing)
{
    // Every object of the plug-in's made for the dialog goes with it.
    static const bool counting = [] {
        GSDebugAllocationActive(YES);
        return true;
    }();
    (void)counting;
    Census before = Census::now();
    bool confirmed = false;
    {
        struct Pool {
            NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
            ~Pool() { [pool release]; }
        } dialogPool;
        confirmed = runHostDialogWindow(host, driver, title, code, record, withStyles, closing);
    }
    std::string left = Census::now().since(before);
    if (!left.empty())
        [driver say:"left alive after the " + std::string(withStyles ? "print dialog" : "style editor") + ": " + left];
    return confirmed;
}

bool runHostDialogWindow(subhost::Host& host, SubhostDriver* driver, NSString* title, int32_t code, void* record,
                         bool withStyles, const std::function<void(bool)>& closing)
{
    const char* what = withStyles ? "print dialog" : "style editor";
    NSMutableArray* panes = [NSMutableArray array];
    [(QXPXTCallback*)[QXPXTCallback sharedCallback] dispatch:code record:record panes:panes];
    id<QXPXTPaneController> pane = [panes count] > 0 ? [panes objectAtIndex:0] : nil;
    NSView* paneView = [pane view];
    NSSize paneSize = paneView != nil ? [paneView frame].size : NSMakeSize(400, 60);
    CGFloat stylesHeight = withStyles ? 36 : 0;
    CGFloat width = paneSize.width + 2 * kMargin + 8;
    CGFloat height = paneSize.height + 30 + stylesHeight + 60 + kMargin;
    NSPanel* dialog = [[NSPanel alloc] initWithContentRect:NSMakeRect(0, 0, width, height)
                                                 styleMask:NSTitledWindowMask | NSClosableWindowMask
                                                   backing:NSBackingStoreBuffered
                                                     defer:NO];
    [dialog setTitle:title];
    [dialog setReleasedWhenClosed:NO];
    [dialog setDelegate:(id)stopper()];
    NSView* content = [dialog contentView];
    NSPopUpButton* popup = nil;
    if (withStyles) {
        NSTextField* label = [[[NSTextField alloc] initWithFrame:NSMakeRect(kMargin, height - 32, 110, 20)] autorelease];
        [label setStringValue:@"Output style:"];
        [label setEditable:NO];
        [label setSelectable:NO];
        [label setBezeled:NO];
        [label setDrawsBackground:NO];
        [content addSubview:label];
        popup = [[[NSPopUpButton alloc] initWithFrame:NSMakeRect(kMargin + 115, height - 36, 260, 26) pullsDown:NO]
            autorelease];
        [popup addItemWithTitle:@"Default"];
        for (const subhost::OutputStyle& s : host.styles())
            [popup addItemWithTitle:[NSString stringWithUTF8String:subhost::asUtf8(s.name).c_str()]];
        [content addSubview:popup];
    }
    if (paneView != nil) {
        NSBox* box = [[[NSBox alloc] initWithFrame:NSMakeRect(kMargin - 4, 56, paneSize.width + 16,
                                                              paneSize.height + 30)] autorelease];
        [box setTitle:[pane title]];
        [box setContentViewMargins:NSMakeSize(0, 0)];
        [box setContentView:paneView];
        [content addSubview:box];
        [pane setParent:dialog];
        [pane initializeControllerData:nil];
    }
    hostButton(content, NSMakeRect(width - kMargin - 100, 12, 100, 32), @"OK", 1, @"\r");
    hostButton(content, NSMakeRect(width - kMargin - 210, 12, 100, 32), @"Cancel", 2, @"\x1b");
    [dialog recalculateKeyViewLoop]; // Tab through the pane and the host's buttons
    [dialog center];
    [dialog makeKeyAndOrderFront:nil];
    [driver setHostDialog:dialog pane:paneView title:[pane title] styles:popup what:what];
    NSInteger answer = [NSApp runModalForWindow:dialog];
    [driver setHostDialog:nil pane:nil title:nil styles:nil what:what];
    [dialog orderOut:nil];
    bool confirmed = answer == 1;
    // The closing callback, then the panes go.
    closing(confirmed);
    for (NSUInteger i = 0; i < [panes count]; ++i)
        [[panes objectAtIndex:i] deinitController];
    if (subhostKeepsPane() && paneView != nil) {
        [paneView retain];
        [panes removeAllObjects];
        [driver say:"the host kept the pane's view and sent it " + sendLateEvents(dialog, paneView)];
        [dialog release];
        [paneView release];
        return confirmed;
    }
    [dialog release];
    return confirmed;
}

} // namespace

namespace subhost {

bool runMacPrintDialog(Host& host, SubhostDriver* driver)
{
    static xtdialogref next = 1;
    xtprintdlgrec rec{};
    rec.hdr = xtcbheader{XT_CB_PRINTDIALOG, sizeof rec};
    rec.dialog = next++;
    [driver say:"print dialog opened"];
    host.call(XT_CB_PRINTDIALOG, &rec.hdr); // plain registrations, if any
    return runHostDialog(host, driver, @"Print", XT_CB_PRINTDIALOG, &rec, true, [&](bool confirmed) {
        xtprintdlgcloserec close{};
        close.hdr = xtcbheader{XT_CB_PRINTDIALOGCLOSE, sizeof close};
        close.dialog = rec.dialog;
        close.result = confirmed ? XT_PRINTDLG_CONFIRMED : XT_PRINTDLG_CANCELLED;
        host.call(XT_CB_PRINTDIALOGCLOSE, &close.hdr);
        [driver say:confirmed ? "print dialog confirmed" : "print dialog cancelled"];
    });
}

bool runMacStyleEditor(Host& host, SubhostDriver* driver, xtstyleref style)
{
    static xtdialogref next = 1000;
    xtstyleeditrec rec{};
    rec.hdr = xtcbheader{XT_CB_STYLEEDITOR, sizeof rec};
    rec.style = style;
    rec.dialog = next++;
    const OutputStyle* s = host.style(style);
    [driver say:"output-style editor opened on \"" + (s != nullptr ? s->name : std::string("?")) + "\""];
    host.call(XT_CB_STYLEEDITOR, &rec.hdr);
    NSString* name = [NSString stringWithUTF8String:s != nullptr ? subhost::asUtf8(s->name).c_str() : "?"];
    NSString* title = [NSString stringWithFormat:@"Edit Print Output Style: %@", name];
    return runHostDialog(host, driver, title, XT_CB_STYLEEDITOR, &rec, false, [&](bool confirmed) {
        xtstyleeditcloserec close{};
        close.hdr = xtcbheader{XT_CB_STYLEEDITORCLOSE, sizeof close};
        close.style = style;
        close.dialog = rec.dialog;
        close.cancelled = confirmed ? 0 : 1;
        host.call(XT_CB_STYLEEDITORCLOSE, &close.hdr);
        [driver say:confirmed ? "output-style editor confirmed" : "output-style editor cancelled"];
    });
}

} // namespace subhost
