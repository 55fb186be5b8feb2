// The scripted user of the GNUstep host. The user (ScriptUser) decides each
// step and narrates what it sees, as with every toolkit; here its eyes read
// the plug-in's real windows into WindowView and ControlView, and its hands
// work the real AppKit controls: buttons are clicked as their cells track a
// click, text is typed as key events into the field editor, Tab goes to the
// field editor or moves the key view. A timer that runs in every modal loop
// finds the window the user faces and hands it to the user once it is ready.
#include "subhost/mac/machost.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using subhost::ControlView;
using subhost::ScriptStep;
using subhost::ScriptUser;
using subhost::WindowView;

namespace {

constexpr NSTimeInterval kTick = 0.03;
constexpr int kSettleTicks = 2;        // after an action, before the next step
constexpr int kPaintTicks = 8;         // a new window, before its picture
constexpr NSTimeInterval kKeysArrive = 3.0; // seconds for posted keys to arrive

enum class Face { None, HostDialog, PluginDialog, Alert, FolderChooser };

std::string utf8(NSString* s)
{
    const char* t = [s UTF8String];
    return t != nullptr ? t : "";
}

NSString* ns(const std::string& s)
{
    NSString* t = [NSString stringWithUTF8String:s.c_str()];
    return t != nil ? t : @"";
}

constexpr std::uint32_t fourCC(const char (&c)[5])
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c[3]));
}

NSView* viewWithTag(NSView* root, NSInteger tag)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSControl class]] && [v tag] == tag)
            return v;
        if (![v isKindOfClass:[NSControl class]])
            if (NSView* inner = viewWithTag(v, tag))
                return inner;
    }
    return nil;
}

void collectTexts(NSView* root, NSMutableArray* texts, NSMutableArray* buttons)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSTextField class]] && [[(NSTextField*)v stringValue] length] > 0)
            [texts addObject:[(NSTextField*)v stringValue]];
        else if ([v isKindOfClass:[NSTextView class]] && [[(NSTextView*)v string] length] > 0)
            [texts addObject:[(NSTextView*)v string]];
        else if ([v isKindOfClass:[NSButton class]])
            [buttons addObject:v];
        collectTexts(v, texts, buttons);
    }
}

// A mouse click on a button, as its cell tracks one: the button takes the
// keyboard focus when it accepts it (as the window gives it on a mouse-down),
// a check box takes its next state, then the button sends its action.
void clickButton(NSButton* b)
{
    if (b == nil || ![b isEnabled])
        return;
    NSWindow* w = [b window];
    if (w != nil && [b acceptsFirstResponder] && [w firstResponder] != b)
        [w makeFirstResponder:b];
    if ([[b cell] respondsToSelector:@selector(setNextState)] && [b allowsMixedState] == NO &&
        [[b cell] showsStateBy] != NSNoCellMask)
        [b setNextState];
    [b sendAction:[b action] to:[b target]];
}

void postKey(NSWindow* w, NSString* chars, unsigned short keyCode, NSUInteger modifiers)
{
    NSEventType types[2] = {NSKeyDown, NSKeyUp};
    for (int i = 0; i < 2; ++i) {
        NSEvent* e = [NSEvent keyEventWithType:types[i]
                                      location:NSMakePoint(0, 0)
                                 modifierFlags:modifiers
                                     timestamp:0
                                  windowNumber:[w windowNumber]
                                       context:nil
                                    characters:chars
                   charactersIgnoringModifiers:chars
                                     isARepeat:NO
                                       keyCode:keyCode];
        [NSApp postEvent:e atStart:NO];
    }
}

// Delivers the events that are waiting, as the modal loop would, until
// `done` answers true or `seconds` have passed; answers `done`'s last word.
template <typename Done>
bool deliverEventsUntil(Done done, NSTimeInterval seconds)
{
    NSDate* until = [NSDate dateWithTimeIntervalSinceNow:seconds];
    while (!done()) {
        if ([until timeIntervalSinceNow] <= 0)
            return false;
        NSEvent* e = [NSApp nextEventMatchingMask:NSAnyEventMask
                                        untilDate:[NSDate dateWithTimeIntervalSinceNow:0.02]
                                           inMode:NSModalPanelRunLoopMode
                                          dequeue:YES];
        if (e != nil)
            [NSApp sendEvent:e];
    }
    return true;
}

// The text field a window's keyboard focus is in: the field itself, or the
// field whose text its field editor edits.
NSView* focusedView(NSWindow* w)
{
    NSResponder* r = [w firstResponder];
    if ([r isKindOfClass:[NSText class]] && [(NSText*)r isFieldEditor]) {
        id delegate = [(NSText*)r delegate];
        if ([delegate isKindOfClass:[NSView class]])
            return (NSView*)delegate;
    }
    return [r isKindOfClass:[NSView class]] ? (NSView*)r : nil;
}

NSText* activeFieldEditor(NSWindow* w)
{
    NSResponder* r = [w firstResponder];
    return [r isKindOfClass:[NSText class]] && [(NSText*)r isFieldEditor] ? (NSText*)r : nil;
}

// Bytes of the UTF-8 form of the first `units` UTF-16 units of `s`.
int utf8Length(NSString* s, NSUInteger units)
{
    if (units > [s length])
        units = [s length];
    return static_cast<int>(utf8([s substringToIndex:units]).size());
}

bool isToggle(NSButton* b)
{
    // Check boxes and radio buttons show their state by their image.
    return [b image] != nil && ([[b cell] showsStateBy] & (NSContentsCellMask | NSChangeBackgroundCellMask)) != 0 &&
           [b imagePosition] != NSImageOnly && [b bezelStyle] != NSRoundedBezelStyle;
}

bool isRadio(NSButton* b)
{
    NSString* name = [[b image] name];
    return name != nil && [name rangeOfString:@"Radio" options:NSCaseInsensitiveSearch].location != NSNotFound;
}

// The control as the user sees it, or false for a view that is no control.
bool readControl(NSView* v, NSWindow* w, ControlView& c)
{
    if ([v isKindOfClass:[NSBox class]]) {
        NSBox* box = (NSBox*)v;
        c.type = c.kind = [box boxType] == NSBoxSeparator ? fourCC("sepa") : fourCC("grpb");
        c.text = [box boxType] == NSBoxSeparator ? std::string() : utf8([box title]);
    } else if ([v isKindOfClass:[NSPopUpButton class]]) {
        NSPopUpButton* p = (NSPopUpButton*)v;
        c.type = c.kind = fourCC("popb");
        c.text = utf8([p titleOfSelectedItem]);
        c.value = static_cast<int>([p indexOfSelectedItem]) + 1;
        for (NSInteger i = 0; i < [p numberOfItems]; ++i)
            c.items.push_back(utf8([p itemTitleAtIndex:i]));
    } else if ([v isKindOfClass:[NSButton class]]) {
        NSButton* b = (NSButton*)v;
        bool toggle = isToggle(b);
        c.type = c.kind = !toggle ? fourCC("push") : isRadio(b) ? fourCC("rdio") : fourCC("cbox");
        c.text = utf8([b title]);
        c.value = toggle && [b state] == NSOnState ? 1 : 0;
        if ([[w defaultButtonCell] isEqual:[b cell]] || [[b keyEquivalent] isEqualToString:@"\r"])
            c.flags |= subhost::kViewDefault;
    } else if ([v isKindOfClass:[NSComboBox class]]) {
        NSComboBox* box = (NSComboBox*)v;
        c.type = c.kind = fourCC("comb");
        c.text = utf8([box stringValue]);
        c.value = static_cast<int>([box indexOfSelectedItem]) + 1;
        for (NSInteger i = 0; i < [box numberOfItems]; ++i)
            c.items.push_back(utf8([[box itemObjectValueAtIndex:i] description]));
    } else if ([v isKindOfClass:[NSTextField class]]) {
        NSTextField* f = (NSTextField*)v;
        c.type = c.kind = [f isEditable] ? fourCC("eutx") : fourCC("stxt");
        c.text = utf8([f stringValue]);
    } else {
        return false;
    }
    c.id = [v isKindOfClass:[NSControl class]] ? static_cast<int>([v tag]) : 0;
    c.enabled = ![v isKindOfClass:[NSControl class]] || [(NSControl*)v isEnabled];
    c.visible = ![v isHiddenOrHasHiddenAncestor];
    c.focused = w != nil && focusedView(w) == v;
    if (c.focused && c.kind == fourCC("eutx")) {
        if (NSText* editor = activeFieldEditor(w)) {
            NSString* text = [editor string];
            NSRange sel = [editor selectedRange];
            c.selStart = utf8Length(text, sel.location);
            c.selLength = utf8Length(text, sel.location + sel.length) - c.selStart;
            c.text = utf8(text);
        }
    }
    NSRect f = [v frame];
    c.x = static_cast<int>(f.origin.x);
    c.y = static_cast<int>(f.origin.y);
    c.w = static_cast<int>(f.size.width);
    c.h = static_cast<int>(f.size.height);
    return true;
}

// The controls under `root` in the order of the views (the interface file's order).
void readControls(NSView* root, NSWindow* w, std::vector<ControlView>& out)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        ControlView c;
        if (readControl(v, w, c))
            out.push_back(c);
        if ([v isKindOfClass:[NSBox class]])
            readControls([(NSBox*)v contentView], w, out);
        else if (![v isKindOfClass:[NSControl class]])
            readControls(v, w, out);
    }
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

namespace subhost {

// The scripted user's eyes and hands on the real windows.
class AppKitDriver : public ToolkitDriver {
public:
    AppKitDriver(Host& host, std::ostream* log) : mHost(host) { mUser.setLog(log); }

    ScriptUser& user() { return mUser; }
    Host& host() { return mHost; }

    void setBundlePath(NSString* path)
    {
        mInterfaceFiles.clear();
        if (path == nil)
            return;
        // The dialogs' interface files: each window's name and the tags of its controls.
        NSArray* folders = [NSArray arrayWithObjects:[path stringByAppendingPathComponent:@"Resources"],
                                                     [path stringByAppendingPathComponent:@"Contents/Resources"], nil];
        for (NSUInteger i = 0; i < [folders count]; ++i) {
            NSString* folder = [folders objectAtIndex:i];
            NSArray* files = [[NSFileManager defaultManager] directoryContentsAtPath:folder];
            for (NSUInteger k = 0; k < [files count]; ++k) {
                NSString* file = [files objectAtIndex:k];
                if (![[file pathExtension] isEqualToString:@"xib"])
                    continue;
                std::string text = readFile(utf8([folder stringByAppendingPathComponent:file]));
                std::size_t start = text.find("<window ");
                if (start == std::string::npos)
                    continue;
                std::set<int> tags;
                static const std::regex tag(" tag=\"([0-9]+)\"");
                std::string body = text.substr(start, text.find("</window>", start) - start);
                for (std::sregex_iterator it(body.begin(), body.end(), tag), end; it != end; ++it)
                    tags.insert(std::stoi((*it)[1]));
                mInterfaceFiles.emplace_back(utf8([file stringByDeletingPathExtension]), tags);
            }
        }
    }

    // ---- the windows ----

    int32_t idOf(NSWindow* w)
    {
        for (const auto& [wid, window] : mWindows)
            if (window == w)
                return wid;
        int32_t wid = mNextId++;
        mWindows[wid] = w;
        return wid;
    }

    bool knows(NSWindow* w) const
    {
        for (const auto& entry : mWindows)
            if (entry.second == w)
                return true;
        return false;
    }

    void forget(NSWindow* w)
    {
        for (auto it = mWindows.begin(); it != mWindows.end(); ++it)
            if (it->second == w) {
                mWindows.erase(it);
                return;
            }
    }

    NSWindow* windowOf(int32_t wid) const
    {
        if (wid == kPaneId)
            return mHostDialog;
        auto it = mWindows.find(wid);
        return it == mWindows.end() ? nil : it->second;
    }

    void setHostDialog(NSWindow* dialog, NSView* pane, NSString* title, NSPopUpButton* styles)
    {
        mHostDialog = dialog;
        mPane = pane;
        mPaneTitle = title != nil ? utf8(title) : std::string();
        mStyles = styles;
    }
    NSWindow* hostDialog() const { return mHostDialog; }

    const WindowView* window(std::int32_t wid) const override
    {
        NSWindow* w = windowOf(wid);
        if (w == nil || wid == kPaneId)
            return wid == kPaneId ? pane() : nullptr;
        WindowView& v = mViews[wid];
        v = WindowView();
        v.window = wid;
        v.kind = kViewDialog;
        v.title = utf8([w title]);
        v.name = dialogName(w);
        NSRect content = [[w contentView] frame];
        NSRect frame = [w frame];
        NSRect screen = [[NSScreen mainScreen] frame];
        v.left = static_cast<int>(frame.origin.x);
        v.top = static_cast<int>(screen.size.height - NSMaxY(frame));
        v.width = static_cast<int>(content.size.width);
        v.height = static_cast<int>(content.size.height);
        readControls([w contentView], w, v.controls);
        return &v;
    }

    const WindowView* pane() const override
    {
        if (mPane == nil || mHostDialog == nil)
            return nullptr;
        WindowView& v = mViews[kPaneId];
        v = WindowView();
        v.window = kPaneId;
        v.kind = kViewPane;
        v.name = v.title = mPaneTitle;
        NSSize size = [mPane frame].size;
        v.width = static_cast<int>(size.width);
        v.height = static_cast<int>(size.height);
        v.sizeUnit = "points";
        readControls(mPane, mHostDialog, v.controls);
        return &v;
    }

    // The name of the interface file the window came from: the one whose
    // window has controls with the same tags. The window's title if none has.
    std::string dialogName(NSWindow* w) const
    {
        std::vector<ControlView> controls;
        readControls([w contentView], w, controls);
        std::set<int> tags;
        for (const ControlView& c : controls)
            if (c.id > 0)
                tags.insert(c.id);
        for (const auto& [name, fileTags] : mInterfaceFiles)
            if (fileTags == tags)
                return name;
        return utf8([w title]);
    }

    // ---- the hands ----

    bool click(std::int32_t wid, int control) override
    {
        NSWindow* w = windowOf(wid);
        NSView* v = controlOf(wid, control);
        if (v == nil)
            return false;
        if ([v isKindOfClass:[NSButton class]] && ![v isKindOfClass:[NSPopUpButton class]]) {
            clickButton((NSButton*)v);
        } else if ([v acceptsFirstResponder]) {
            [w makeFirstResponder:v];
        } else {
            return false;
        }
        return true;
    }

    bool type(std::int32_t wid, int control, const std::string& typed) override
    {
        NSWindow* w = windowOf(wid);
        NSView* v = controlOf(wid, control);
        if (![v isKindOfClass:[NSTextField class]] || ![(NSTextField*)v isEditable])
            return false;
        NSTextField* field = (NSTextField*)v;
        [w makeFirstResponder:field];
        [field selectText:nil];
        NSString* text = ns(typed);
        if ([text length] == 0) {
            if ([[field stringValue] length] > 0)
                postKey(w, [NSString stringWithFormat:@"%C", static_cast<unichar>(0x7F)], 51, 0);
        } else {
            for (NSUInteger i = 0; i < [text length]; ++i)
                postKey(w, [text substringWithRange:NSMakeRange(i, 1)], 0, 0);
        }
        bool arrived = deliverEventsUntil([&] { return [[field stringValue] isEqualToString:text] == YES; },
                                          kKeysArrive);
        if (!arrived) {
            // The keys did not arrive: the text is set as a field editor would.
            mUser.say("  (typed by setting the text)");
            [field setStringValue:text];
            [[NSNotificationCenter defaultCenter] postNotificationName:NSControlTextDidChangeNotification
                                                                object:field];
        }
        return true;
    }

    bool choose(std::int32_t wid, int control, int item) override
    {
        NSView* v = controlOf(wid, control);
        if ([v isKindOfClass:[NSPopUpButton class]]) {
            NSPopUpButton* p = (NSPopUpButton*)v;
            if (item < 1 || item > [p numberOfItems])
                return false;
            [p selectItemAtIndex:item - 1];
            [p sendAction:[p action] to:[p target]];
            return true;
        }
        if ([v isKindOfClass:[NSComboBox class]]) {
            NSComboBox* box = (NSComboBox*)v;
            if (item < 1 || item > [box numberOfItems])
                return false;
            [box selectItemAtIndex:item - 1];
            [box sendAction:[box action] to:[box target]];
            return true;
        }
        return false;
    }

    bool press(std::int32_t wid, Key key) override
    {
        NSWindow* w = windowOf(wid);
        if (w == nil)
            return false;
        switch (key) {
        case Key::Return: {
            if (wid == kPaneId)
                return false; // the host's dialog takes Return itself
            [w makeFirstResponder:w]; // ends the editing of a field
            NSButton* ok = defaultButton(w);
            if (ok != nil && [ok isEnabled])
                clickButton(ok);
            return true;
        }
        case Key::Escape: {
            if (wid == kPaneId)
                return false;
            NSButton* cancel = cancelButton(w);
            if (cancel != nil)
                clickButton(cancel);
            else
                [w performClose:nil];
            return true;
        }
        case Key::Tab:
        case Key::BackTab: {
            bool back = key == Key::BackTab;
            NSResponder* before = [w firstResponder];
            if (activeFieldEditor(w) != nil) {
                // The field editor ends the editing and moves on.
                postKey(w, [NSString stringWithFormat:@"%C", static_cast<unichar>(back ? 0x19 : 0x09)], 48,
                        back ? static_cast<NSUInteger>(NSShiftKeyMask) : 0);
                deliverEventsUntil([&] { return [w firstResponder] != before; }, 0.5);
            } else if (back) {
                [w selectPreviousKeyView:nil];
            } else {
                [w selectNextKeyView:nil];
            }
            return true;
        }
        }
        return false;
    }

    bool close(std::int32_t wid) override
    {
        NSWindow* w = windowOf(wid);
        if (w == nil || wid == kPaneId)
            return false;
        [w performClose:nil];
        return true;
    }

    bool hasOutputStyle(const std::string& name) const override { return styleRef(name) != 0; }

    void chooseOutputStyle(const std::string& name) override
    {
        xtstyleref ref = styleRef(name);
        if (ref == 0)
            return;
        if (mStyles != nil && static_cast<NSInteger>(ref) < [mStyles numberOfItems])
            [mStyles selectItemAtIndex:static_cast<NSInteger>(ref)];
        mHost.chooseStyle(ref);
    }

    // The host's own OK or Cancel button.
    void finishHostDialog(bool confirmed)
    {
        if (mHostDialog == nil)
            return;
        if (subhostKeepsPane()) {
            subhostStopModal(confirmed ? 1 : 2); // the key, not a click: the focus stays
            return;
        }
        NSView* b = viewWithTag([mHostDialog contentView], confirmed ? kHostOkTag : kHostCancelTag);
        if ([b isKindOfClass:[NSButton class]])
            clickButton((NSButton*)b);
    }

    static constexpr std::int32_t kPaneId = 1000;

private:
    NSView* controlOf(std::int32_t wid, int control) const
    {
        NSWindow* w = windowOf(wid);
        if (w == nil)
            return nil;
        NSView* v = viewWithTag(wid == kPaneId ? mPane : [w contentView], control);
        if (v == nil || [v isHiddenOrHasHiddenAncestor] ||
            ([v isKindOfClass:[NSControl class]] && ![(NSControl*)v isEnabled]))
            return nil;
        return v;
    }

    static NSButton* buttonWithKey(NSView* root, NSString* key)
    {
        NSMutableArray* texts = [NSMutableArray array];
        NSMutableArray* buttons = [NSMutableArray array];
        collectTexts(root, texts, buttons);
        for (NSUInteger i = 0; i < [buttons count]; ++i) {
            NSButton* b = [buttons objectAtIndex:i];
            if ([[b keyEquivalent] isEqualToString:key])
                return b;
        }
        return nil;
    }

    static NSButton* defaultButton(NSWindow* w)
    {
        NSButtonCell* cell = [w defaultButtonCell];
        if ([[cell controlView] isKindOfClass:[NSButton class]])
            return (NSButton*)[cell controlView];
        return buttonWithKey([w contentView], @"\r");
    }

    static NSButton* cancelButton(NSWindow* w)
    {
        if (NSButton* b = buttonWithKey([w contentView], @"\x1b"))
            return b;
        NSView* v = viewWithTag([w contentView], 2);
        return [v isKindOfClass:[NSButton class]] ? (NSButton*)v : nil;
    }

    xtstyleref styleRef(const std::string& name) const
    {
        // The last style of that name, as the host's menu finds it.
        xtstyleref ref = 0;
        for (std::size_t i = 0; i < mHost.styles().size(); ++i)
            if (mHost.styles()[i].name == name)
                ref = static_cast<xtstyleref>(i + 1);
        return ref;
    }

    Host& mHost;
    ScriptUser mUser{*this};
    std::map<int32_t, NSWindow*> mWindows; // the plug-in's dialogs the user has seen
    int32_t mNextId = 1;
    mutable std::map<int32_t, WindowView> mViews;
    std::vector<std::pair<std::string, std::set<int>>> mInterfaceFiles;
    NSWindow* mHostDialog = nil;
    NSView* mPane = nil;
    std::string mPaneTitle;
    NSPopUpButton* mStyles = nil;
};

} // namespace subhost

using subhost::AppKitDriver;

static SubhostDriver* sDriver = nil;

@implementation SubhostApplication

+ (void)setDriver:(SubhostDriver*)driver
{
    sDriver = driver;
}

- (void)stopModalWithCode:(NSInteger)code
{
    [sDriver modalWindow:[self modalWindow] stopsWith:code];
    [super stopModalWithCode:code];
}

@end

@implementation SubhostDriver

- (id)initWithHost:(subhost::Host*)host log:(std::ostream*)log
{
    if ((self = [super init]) != nil) {
        _driver = new AppKitDriver(*host, log);
        _seen = [[NSMutableArray alloc] init];
        _acting = [[NSMutableArray alloc] init];
        _keyed = [[NSMutableSet alloc] init];
    }
    return self;
}

- (void)dealloc
{
    [self stop];
    delete _driver;
    [_seen release];
    [_acting release];
    [_keyed release];
    [_shotFolder release];
    [_shotPrefix release];
    [_pendingShot release];
    [super dealloc];
}

- (void)setLog:(std::ostream*)log
{
    _driver->user().setLog(log);
}

- (void)setSteps:(const std::vector<ScriptStep>&)steps
{
    _driver->user().setScript(steps);
}

- (void)setScreenshots:(NSString*)folder prefix:(NSString*)prefix
{
    _shotFolder = [folder copy];
    _shotPrefix = [prefix copy];
}

- (void)setBundlePath:(NSString*)path
{
    _driver->setBundlePath(path);
}

- (void)start
{
    if (_timer != nil)
        return;
    [SubhostApplication setDriver:self];
    _timer = [[NSTimer timerWithTimeInterval:kTick target:self selector:@selector(tick:) userInfo:nil repeats:YES]
        retain];
    NSRunLoop* loop = [NSRunLoop currentRunLoop];
    [loop addTimer:_timer forMode:NSDefaultRunLoopMode];
    [loop addTimer:_timer forMode:NSModalPanelRunLoopMode];
    [loop addTimer:_timer forMode:NSEventTrackingRunLoopMode];
    [[NSNotificationCenter defaultCenter] addObserver:self selector:@selector(windowBecameKey:)
                                                 name:NSWindowDidBecomeKeyNotification object:nil];
}

- (void)stop
{
    if (sDriver == self)
        [SubhostApplication setDriver:nil];
    [[NSNotificationCenter defaultCenter] removeObserver:self];
    [_timer invalidate];
    [_timer release];
    _timer = nil;
}

- (void)say:(const std::string&)text
{
    _driver->user().say(text);
}

- (void)setHostDialog:(NSWindow*)dialog
                 pane:(NSView*)pane
                title:(NSString*)title
               styles:(NSPopUpButton*)popup
                 what:(const char*)what
{
    _driver->setHostDialog(dialog, pane, title, popup);
    _hostWhat = what;
    if (dialog == nil)
        return;
    if (const WindowView* p = _driver->pane())
        [self say:"with " + subhost::describeWindow(*p)];
    else
        [self say:std::string("(no pane in the ") + what + ")"];
}

- (void)modalWindow:(NSWindow*)w stopsWith:(NSInteger)code
{
    [_keyed removeObject:[NSValue valueWithNonretainedObject:w]];
    if (w == nil || !_driver->knows(w))
        return;
    const WindowView* v = _driver->window(_driver->idOf(w));
    std::string name = v != nullptr ? v->name : "?";
    [self say:"dialog \"" + name + "\" ended with " + std::to_string(code) +
              (code == 1 ? " (OK)" : code == 2 ? " (Cancel or closed)" : "")];
    _driver->forget(w);
}

- (const std::vector<std::string>&)errors
{
    return _driver->user().errors();
}

- (BOOL)scriptDone
{
    return _driver->user().done();
}

- (Face)faceOf:(NSWindow*)w
{
    if (w == nil)
        return Face::None;
    if (w == _driver->hostDialog())
        return Face::HostDialog;
    if ([w isKindOfClass:[NSSavePanel class]])
        return Face::FolderChooser;
    if ([NSStringFromClass([w class]) rangeOfString:@"Alert"].location != NSNotFound)
        return Face::Alert;
    return Face::PluginDialog;
}

- (NSString*)shotName:(NSWindow*)w face:(Face)face
{
    switch (face) {
    case Face::HostDialog:
        return std::string(_hostWhat != nullptr ? _hostWhat : "") == "print dialog" ? @"print-dialog"
                                                                                    : @"style-editor";
    case Face::FolderChooser:
        return @"folder-chooser";
    case Face::Alert:
        return @"alert";
    case Face::PluginDialog: {
        std::string name = _driver->dialogName(w);
        if (name == "MetaData")
            return @"metadata";
        if (name == "PSName")
            return @"psname";
        return @"dialog";
    }
    case Face::None:
        break;
    }
    return @"window";
}

- (void)shoot:(NSWindow*)w name:(NSString*)name
{
    if (_shotFolder == nil)
        return;
    [w display];
    NSRect f = [w frame];
    NSRect screen = [[NSScreen mainScreen] frame];
    int x = static_cast<int>(f.origin.x), y = static_cast<int>(screen.size.height - NSMaxY(f));
    int width = static_cast<int>(f.size.width), height = static_cast<int>(f.size.height);
    NSString* path = [[_shotFolder stringByAppendingPathComponent:[_shotPrefix stringByAppendingString:name]]
        stringByAppendingPathExtension:@"png"];
    std::string cmd = "import -window root -crop " + std::to_string(width) + "x" + std::to_string(height) + "+" +
                      std::to_string(x) + "+" + std::to_string(y) + " +repage '" + utf8(path) + "'";
    if (std::system(cmd.c_str()) == 0)
        [self say:"picture: " + utf8(path)];
    else
        [self say:"picture failed: " + utf8(path)];
}

// Whether `w` is new to the user: the modal windows form a stack; a window
// below the top means the ones above it have closed.
- (BOOL)isNew:(NSWindow*)w
{
    NSValue* key = [NSValue valueWithNonretainedObject:w];
    NSUInteger at = [_seen indexOfObject:key];
    if (at == NSNotFound) {
        [_seen addObject:key];
        return YES;
    }
    while ([_seen count] > at + 1)
        [_seen removeLastObject];
    return NO;
}

- (void)forget:(NSWindow*)w
{
    [_seen removeObject:[NSValue valueWithNonretainedObject:w]];
}

- (void)announce:(NSWindow*)w face:(Face)face
{
    if (face == Face::PluginDialog) {
        if (const WindowView* v = _driver->window(_driver->idOf(w)))
            [self say:"opened " + subhost::describeWindow(*v)];
    }
    if (_shotFolder != nil) {
        _wait = kPaintTicks;
        [_pendingShot release];
        _pendingShot = [w retain];
    }
}

- (void)runHostDialog:(NSWindow*)w
{
    bool print = std::string(_hostWhat != nullptr ? _hostWhat : "") == "print dialog";
    bool confirmed = _driver->user().runHostDialog(print ? "print dialog" : "style editor", print);
    if ([NSApp modalWindow] == w)
        _driver->finishHostDialog(confirmed);
}

- (void)stepOnPluginDialog:(NSWindow*)w
{
    if (!_driver->user().dialogWaits(_driver->idOf(w)) && [NSApp modalWindow] == w)
        [w performClose:nil]; // no action from the user: the dialog is closed
}

- (void)answerAlert:(NSWindow*)w
{
    NSMutableArray* texts = [NSMutableArray array];
    NSMutableArray* buttons = [NSMutableArray array];
    collectTexts([w contentView], texts, buttons);
    std::string text = "message box [" + utf8([w title]) + "]:";
    // The host keeps what the user was told, as with the other toolkits.
    subhost::MessageBoxRecord message{utf8([w title]), "", "", static_cast<int32_t>([buttons count]), 1};
    bool first = true;
    for (NSUInteger i = 0; i < [texts count]; ++i) {
        NSString* t = [texts objectAtIndex:i];
        if ([t isEqualToString:[w title]])
            continue; // the alert's heading repeats its title
        std::string line = utf8([t stringByReplacingOccurrencesOfString:@"\n\n" withString:@" / "]);
        text += (first ? " " : " / ") + line;
        std::string& part = first ? message.primary : message.secondary;
        part += (part.empty() ? "" : " / ") + line;
        first = false;
    }
    std::int32_t answer = _driver->user().messageBoxAnswer();
    message.answer = answer == 2 ? 2 : 1;
    _driver->host().messages().push_back(message);
    if (answer == 2) {
        [self say:text + "  -> closed"];
        subhostStopModal(NSAlertSecondButtonReturn);
        return;
    }
    // The first button is the default one (Return).
    [self say:text + "  -> OK"];
    for (NSUInteger i = 0; i < [buttons count]; ++i) {
        NSButton* b = [buttons objectAtIndex:i];
        if ([[b keyEquivalent] isEqualToString:@"\r"]) {
            clickButton(b);
            subhostWake();
            return;
        }
    }
    subhostStopModal(NSAlertFirstButtonReturn);
}

- (void)answerFolderChooser:(NSWindow*)w
{
    NSSavePanel* panel = (NSSavePanel*)w;
    std::string chosen;
    if (_driver->user().chooseFolder(chosen) == 1) {
        // The chooser shows the folder and the user confirms it.
        [panel setDirectoryURL:[NSURL fileURLWithPath:ns(chosen)]];
        subhostStopModal(NSOKButton);
        return;
    }
    [panel cancel:nil];
    subhostWake();
}

- (void)tick:(NSTimer*)timer
{
    if (_wait > 0) {
        --_wait;
        return;
    }
    if (_pendingShot != nil) {
        NSWindow* w = _pendingShot;
        _pendingShot = nil;
        if ([w isVisible])
            [self shoot:w name:[self shotName:w face:[self faceOf:w]]];
        [w release];
    }
    NSWindow* w = [NSApp modalWindow];
    Face face = [self faceOf:w];
    if (face == Face::None)
        return;
    if (w != _arrived) {
        // A window that has just come up is looked at from the next tick on:
        // what its owner does on the run loop's next turn is part of it.
        _arrived = w;
        return;
    }
    if ([self isNew:w]) {
        [self announce:w face:face];
        if (_wait > 0)
            return;
    }
    if (_scheduled != nil || [_acting indexOfObjectIdenticalTo:w] != NSNotFound)
        return; // a step is scheduled, or still being carried out on this window
    // The step runs from the run loop, not inside the timer: a step that opens
    // a modal window then leaves the timer free to serve that window.
    _scheduled = w;
    [self performSelector:@selector(stepOn:) withObject:w afterDelay:0
                  inModes:[NSArray arrayWithObjects:NSDefaultRunLoopMode, NSModalPanelRunLoopMode,
                                                    NSEventTrackingRunLoopMode, nil]];
}

- (void)stepOn:(NSWindow*)w
{
    // A request added to several run-loop modes can arrive once per mode.
    if (_scheduled != w)
        return;
    _scheduled = nil;
    if ([NSApp modalWindow] != w)
        return; // it closed meanwhile
    [_acting addObject:w];
    switch ([self faceOf:w]) {
    case Face::HostDialog:
        [self runHostDialog:w];
        break;
    case Face::PluginDialog:
        [self stepOnPluginDialog:w];
        break;
    case Face::Alert:
        [self forget:w]; // alert panels may be used again
        [self answerAlert:w];
        break;
    case Face::FolderChooser:
        [self forget:w]; // the open panel is shared
        [self answerFolderChooser:w];
        break;
    case Face::None:
        break;
    }
    [_acting removeObjectIdenticalTo:w];
    _wait = kSettleTicks;
}

// A window becoming key may select the whole text of the field with the
// focus (AppKit can, GNUstep does not): the host does so when a dialog of the
// plug-in first becomes key (GNUstep without a window manager makes it key
// again and again: only the first time counts, as a Mac makes it key once),
// so that a selection made before the window was key shows lost.
- (void)windowBecameKey:(NSNotification*)note
{
    NSWindow* w = [note object];
    NSValue* key = [NSValue valueWithNonretainedObject:w];
    if ([self faceOf:w] != Face::PluginDialog || [_keyed containsObject:key])
        return;
    [_keyed addObject:key];
    NSResponder* r = [w firstResponder];
    if ([r isKindOfClass:[NSText class]] && [(NSText*)r isFieldEditor])
        [(NSText*)r selectAll:nil];
}

@end
