// The scripted user of the GNUstep host: a timer that runs in every modal
// loop looks at the window the user faces (the host's dialog, a dialog of the
// plug-in, an alert or the folder chooser) and carries out the script's next
// step on its real controls: buttons are clicked as their cells track a click, text is
// typed as posted key events into the field editor, Tab moves the key view.
#include "subhost/mac/machost.h"

#include <cstdlib>
#include <sstream>

using subhost::ScriptStep;

namespace {

constexpr NSTimeInterval kTick = 0.03;
constexpr int kSettleTicks = 2;   // after an action, before the next step
constexpr int kPaintTicks = 8;    // a new window, before its picture
constexpr int kTypingTimeout = 100;

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

std::string stepName(const ScriptStep& s)
{
    using K = ScriptStep::Kind;
    switch (s.kind) {
    case K::Type: return "type " + std::to_string(s.control) + " \"" + s.text + "\"";
    case K::Click: return "click " + std::to_string(s.control);
    case K::Choose: return "choose " + std::to_string(s.control) + " " + std::to_string(s.value);
    case K::Return: return "return";
    case K::Escape: return "escape";
    case K::Close: return "close";
    case K::Tab: return "tab";
    case K::BackTab: return "backtab";
    case K::Folder: return "folder \"" + s.text + "\"";
    case K::FolderCancel: return "folder-cancel";
    case K::MsgOk: return "msgbox ok";
    case K::MsgClose: return "msgbox close";
    case K::Ok: return "ok";
    case K::Cancel: return "cancel";
    case K::Style: return "style \"" + s.text + "\"";
    case K::Show: return "show";
    }
    return "?";
}

NSView* viewWithTag(NSView* root, NSInteger tag)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v respondsToSelector:@selector(tag)] && [v tag] == tag)
            return v;
        if (NSView* inner = viewWithTag(v, tag))
            return inner;
    }
    return nil;
}

void collectTagged(NSView* root, NSMutableArray* out)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSControl class]] && [v tag] > 0)
            [out addObject:v];
        collectTagged(v, out);
    }
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

std::string describeControls(NSView* root)
{
    std::ostringstream out;
    NSMutableArray* controls = [NSMutableArray array];
    collectTagged(root, controls);
    for (NSUInteger i = 0; i < [controls count]; ++i) {
        NSControl* c = [controls objectAtIndex:i];
        out << "  [" << [c tag] << "] ";
        if ([c isKindOfClass:[NSButton class]]) {
            NSButton* b = (NSButton*)c;
            bool check = [b state] == NSOnState || [[b cell] isKindOfClass:[NSButtonCell class]];
            (void)check;
            NSRect f = [b frame];
            bool isCheck = f.size.height < 24; // check boxes are the short buttons
            if (isCheck)
                out << "check box \"" << utf8([b title]) << "\" " << ([b state] == NSOnState ? "on" : "off");
            else
                out << "button \"" << utf8([b title]) << "\"";
        } else if ([c isKindOfClass:[NSTextField class]]) {
            NSTextField* f = (NSTextField*)c;
            out << ([f isEditable] ? "field" : "label") << " \"" << utf8([f stringValue]) << "\"";
        } else {
            out << "control";
        }
        if (![c isEnabled])
            out << " (disabled)";
        if ([c isHidden])
            out << " (hidden)";
        out << "\n";
    }
    return out.str();
}

// A mouse click on a button, as its cell tracks one: a check box takes its
// next state, then the button sends its action.
void clickButton(NSButton* b)
{
    if (b == nil || ![b isEnabled])
        return;
    if ([[b cell] respondsToSelector:@selector(setNextState)] && [b allowsMixedState] == NO &&
        [[b cell] showsStateBy] != NSNoCellMask)
        [b setNextState];
    [b sendAction:[b action] to:[b target]];
}

void postKey(NSWindow* w, NSString* chars, unsigned short keyCode)
{
    NSEventType types[2] = {NSKeyDown, NSKeyUp};
    for (int i = 0; i < 2; ++i) {
        NSEvent* e = [NSEvent keyEventWithType:types[i]
                                      location:NSMakePoint(0, 0)
                                 modifierFlags:0
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

} // namespace

@implementation SubhostDriver

- (id)initWithHost:(subhost::Host*)host log:(std::ostream*)log
{
    if ((self = [super init]) != nil) {
        _host = host;
        _log = log;
        _steps = new std::vector<ScriptStep>();
        _errors = new std::vector<std::string>();
        _seen = [[NSMutableArray alloc] init];
    }
    return self;
}

- (void)dealloc
{
    [self stop];
    delete _steps;
    delete _errors;
    [_seen release];
    [_shotFolder release];
    [_shotPrefix release];
    [super dealloc];
}

- (void)setSteps:(const std::vector<ScriptStep>&)steps
{
    *_steps = steps;
}

- (void)setScreenshots:(NSString*)folder prefix:(NSString*)prefix
{
    _shotFolder = [folder copy];
    _shotPrefix = [prefix copy];
}

- (void)start
{
    if (_timer != nil)
        return;
    _timer = [[NSTimer timerWithTimeInterval:kTick target:self selector:@selector(tick:) userInfo:nil repeats:YES]
        retain];
    NSRunLoop* loop = [NSRunLoop currentRunLoop];
    [loop addTimer:_timer forMode:NSDefaultRunLoopMode];
    [loop addTimer:_timer forMode:NSModalPanelRunLoopMode];
    [loop addTimer:_timer forMode:NSEventTrackingRunLoopMode];
}

- (void)stop
{
    [_timer invalidate];
    [_timer release];
    _timer = nil;
}

- (void)setHostDialog:(NSWindow*)dialog pane:(NSView*)pane styles:(NSPopUpButton*)popup
{
    _hostDialog = dialog;
    _paneView = pane;
    _stylePopup = popup;
}

- (const std::vector<std::string>&)errors
{
    return *_errors;
}

- (BOOL)scriptDone
{
    return _steps->empty();
}

- (void)say:(const std::string&)text
{
    if (_log != nullptr)
        *_log << text << std::endl;
}

- (void)fault:(const ScriptStep*)step message:(const std::string&)message
{
    std::string text = step != nullptr ? "line " + std::to_string(step->line) + ": \"" + stepName(*step) + "\": " + message
                                       : message;
    _errors->push_back(text);
    [self say:"fault: " + text];
    // The rest of the script is dropped: what is open closes.
    _steps->clear();
    _faulted = YES;
}

- (Face)faceOf:(NSWindow*)w
{
    if (w == nil)
        return Face::None;
    if (w == _hostDialog)
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
        return _stylePopup != nil ? @"print-dialog" : @"style-editor";
    case Face::FolderChooser:
        return @"folder-chooser";
    case Face::Alert:
        return @"alert";
    case Face::PluginDialog:
        if ([viewWithTag([w contentView], 5) isKindOfClass:[NSTextField class]])
            return @"metadata";
        if ([viewWithTag([w contentView], 4) isKindOfClass:[NSTextField class]])
            return @"psname";
        return @"dialog";
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
    if (face == Face::Alert) {
        NSMutableArray* texts = [NSMutableArray array];
        NSMutableArray* buttons = [NSMutableArray array];
        collectTexts([w contentView], texts, buttons);
        std::string text = "message box [" + utf8([w title]) + "]:";
        for (NSUInteger i = 0; i < [texts count]; ++i)
            text += (i == 0 ? " " : " / ") +
                    utf8([[texts objectAtIndex:i] stringByReplacingOccurrencesOfString:@"\n\n" withString:@" / "]);
        [self say:text];
    } else if (face == Face::HostDialog) {
        [self say:"host dialog \"" + utf8([w title]) + "\" with the pane:\n" + describeControls(_paneView)];
    } else if (face == Face::PluginDialog) {
        [self say:"dialog \"" + utf8([w title]) + "\" (" + utf8([self shotName:w face:face]) + "):\n" +
                  describeControls([w contentView])];
    } else if (face == Face::FolderChooser) {
        [self say:"folder chooser opened"];
    }
    if (_shotFolder != nil) {
        _wait = kPaintTicks;
        _pendingShot = [w retain];
    }
}

- (BOOL)usable:(NSView*)v step:(const ScriptStep&)step
{
    if (v == nil) {
        [self fault:&step message:"no control " + std::to_string(step.control)];
        return NO;
    }
    if ([v isHidden] || ([v isKindOfClass:[NSControl class]] && ![(NSControl*)v isEnabled])) {
        [self fault:&step message:"control " + std::to_string(step.control) + " is disabled or hidden"];
        return NO;
    }
    return YES;
}

// Click, type, choose, tab and show on the controls under `root`.
- (void)act:(const ScriptStep&)step window:(NSWindow*)w root:(NSView*)root
{
    using K = ScriptStep::Kind;
    switch (step.kind) {
    case K::Click: {
        NSView* v = viewWithTag(root, step.control);
        if (![self usable:v step:step])
            return;
        if ([v isKindOfClass:[NSButton class]])
            clickButton((NSButton*)v);
        else
            [w makeFirstResponder:v];
        return;
    }
    case K::Type: {
        NSView* v = viewWithTag(root, step.control);
        if (![self usable:v step:step])
            return;
        if (![v isKindOfClass:[NSTextField class]] || ![(NSTextField*)v isEditable]) {
            [self fault:&step message:"control " + std::to_string(step.control) + " takes no text"];
            return;
        }
        NSTextField* field = (NSTextField*)v;
        [w makeFirstResponder:field];
        [field selectText:nil];
        NSString* text = ns(step.text);
        if ([text length] == 0) {
            if ([[field stringValue] length] > 0)
                postKey(w, [NSString stringWithFormat:@"%C", static_cast<unichar>(0x7F)], 51);
        } else {
            for (NSUInteger i = 0; i < [text length]; ++i)
                postKey(w, [text substringWithRange:NSMakeRange(i, 1)], 0);
        }
        _typingWindow = w;
        _typingField = field;
        [_typingText release];
        _typingText = [text retain];
        _typingTicks = 0;
        return;
    }
    case K::Choose: {
        NSView* v = viewWithTag(root, step.control);
        if (![self usable:v step:step])
            return;
        if (![v isKindOfClass:[NSPopUpButton class]] || step.value < 1 ||
            step.value > [(NSPopUpButton*)v numberOfItems]) {
            [self fault:&step message:"no item " + std::to_string(step.value) + " to choose"];
            return;
        }
        NSPopUpButton* p = (NSPopUpButton*)v;
        [p selectItemAtIndex:step.value - 1];
        [p sendAction:[p action] to:[p target]];
        return;
    }
    case K::Tab:
        [w selectNextKeyView:nil];
        return;
    case K::BackTab:
        [w selectPreviousKeyView:nil];
        return;
    case K::Show:
        [self say:"shows \"" + utf8([w title]) + "\":\n" + describeControls(root)];
        if (_shotFolder != nil)
            [self shoot:w name:[[self shotName:w face:[self faceOf:w]] stringByAppendingString:@"-shown"]];
        return;
    default:
        [self fault:&step message:"does not apply here"];
        return;
    }
}

- (void)stepOnHostDialog:(NSWindow*)w
{
    using K = ScriptStep::Kind;
    NSView* content = [w contentView];
    if (_steps->empty()) {
        [self say:"the script ran out: the host's dialog is cancelled"];
        clickButton((NSButton*)viewWithTag(content, kHostCancelTag));
        return;
    }
    ScriptStep step = _steps->front();
    _steps->erase(_steps->begin());
    [self say:"step: " + stepName(step)];
    switch (step.kind) {
    case K::Ok:
    case K::Return:
        clickButton((NSButton*)viewWithTag(content, kHostOkTag));
        return;
    case K::Cancel:
    case K::Escape:
        clickButton((NSButton*)viewWithTag(content, kHostCancelTag));
        return;
    case K::Close:
        [w performClose:nil];
        return;
    case K::Style: {
        xtstyleref ref = 0;
        for (std::size_t i = 0; i < _host->styles().size(); ++i)
            if (_host->styles()[i].name == step.text)
                ref = static_cast<xtstyleref>(i + 1);
        if (ref == 0 || _stylePopup == nil) {
            [self fault:&step message:"no output style of that name"];
            return;
        }
        [_stylePopup selectItemAtIndex:static_cast<NSInteger>(ref)];
        _host->chooseStyle(ref);
        return;
    }
    case K::Folder:
    case K::FolderCancel:
    case K::MsgOk:
    case K::MsgClose:
        [self fault:&step message:"no folder chooser or message box is open"];
        return;
    default:
        if (_paneView == nil) {
            [self fault:&step message:"the host's dialog shows no pane"];
            return;
        }
        [self act:step window:w root:_paneView];
        return;
    }
}

- (void)stepOnPluginDialog:(NSWindow*)w
{
    using K = ScriptStep::Kind;
    NSView* content = [w contentView];
    if (_steps->empty()) {
        [self say:"the script ran out: the dialog is closed"];
        [w performClose:nil];
        return;
    }
    ScriptStep step = _steps->front();
    _steps->erase(_steps->begin());
    [self say:"step: " + stepName(step)];
    switch (step.kind) {
    case K::Return: {
        [w makeFirstResponder:w]; // ends the editing of a field
        NSView* ok = viewWithTag(content, 1);
        if ([ok isKindOfClass:[NSButton class]] && [(NSButton*)ok isEnabled])
            clickButton((NSButton*)ok);
        return;
    }
    case K::Escape: {
        NSView* cancel = viewWithTag(content, 2);
        if ([cancel isKindOfClass:[NSButton class]])
            clickButton((NSButton*)cancel);
        else
            [w performClose:nil];
        return;
    }
    case K::Close:
        [w performClose:nil];
        return;
    case K::Ok:
    case K::Cancel:
    case K::Style:
    case K::Folder:
    case K::FolderCancel:
    case K::MsgOk:
    case K::MsgClose:
        [self fault:&step message:"a dialog of the plug-in is open"];
        [w performClose:nil];
        return;
    default:
        [self act:step window:w root:content];
        return;
    }
}

- (void)answerAlert:(NSWindow*)w
{
    using K = ScriptStep::Kind;
    bool close = false;
    if (!_steps->empty() && (_steps->front().kind == K::MsgOk || _steps->front().kind == K::MsgClose)) {
        close = _steps->front().kind == K::MsgClose;
        [self say:"step: " + stepName(_steps->front())];
        _steps->erase(_steps->begin());
    }
    if (close) {
        [self say:"  -> closed"];
        subhostStopModal(NSAlertSecondButtonReturn);
        return;
    }
    // The first button is the default one (Return).
    NSMutableArray* texts = [NSMutableArray array];
    NSMutableArray* buttons = [NSMutableArray array];
    collectTexts([w contentView], texts, buttons);
    for (NSUInteger i = 0; i < [buttons count]; ++i) {
        NSButton* b = [buttons objectAtIndex:i];
        if ([[b keyEquivalent] isEqualToString:@"\r"]) {
            [self say:"  -> " + utf8([b title])];
            clickButton(b);
            subhostWake();
            return;
        }
    }
    [self say:"  -> OK"];
    subhostStopModal(NSAlertFirstButtonReturn);
}

- (void)answerFolderChooser:(NSWindow*)w
{
    using K = ScriptStep::Kind;
    NSSavePanel* panel = (NSSavePanel*)w;
    if (_steps->empty()) {
        [self say:"the script ran out: the folder chooser is cancelled"];
        [panel cancel:nil];
        subhostWake();
        return;
    }
    ScriptStep step = _steps->front();
    _steps->erase(_steps->begin());
    [self say:"step: " + stepName(step)];
    if (step.kind == K::Folder) {
        // The chooser shows the folder and the user confirms it.
        NSString* path = ns(step.text);
        [panel setDirectoryURL:[NSURL fileURLWithPath:path]];
        _chosenFolder = [path copy];
        subhostStopModal(NSOKButton);
        return;
    }
    if (step.kind != K::FolderCancel)
        [self fault:&step message:"the folder chooser is open"];
    [panel cancel:nil];
    subhostWake();
}

- (NSString*)takeChosenFolder
{
    NSString* f = [_chosenFolder autorelease];
    _chosenFolder = nil;
    return f;
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
    if (_typingField != nil) {
        if (![[_typingField stringValue] isEqualToString:_typingText] && ++_typingTicks < kTypingTimeout)
            return;
        if (![[_typingField stringValue] isEqualToString:_typingText]) {
            // The keys did not arrive: the text is set as a field editor would.
            [self say:"  (typed by setting the text)"];
            [_typingField setStringValue:_typingText];
            [[NSNotificationCenter defaultCenter] postNotificationName:NSControlTextDidChangeNotification
                                                                object:_typingField];
        }
        _typingField = nil;
        _typingWindow = nil;
        _wait = kSettleTicks;
        return;
    }
    NSWindow* w = [NSApp modalWindow];
    Face face = [self faceOf:w];
    if (std::getenv("SUBHOST_TRACE") != nullptr)
        [self say:"tick: " + utf8([w title]) + " face " + std::to_string(static_cast<int>(face)) + " acting " +
                  utf8([_acting title])];
    if (face == Face::None)
        return;
    if ([self isNew:w]) {
        [self announce:w face:face];
        if (_wait > 0)
            return;
    }
    if (_acting != nil && w == _acting)
        return; // the last step is still being carried out on this window
    _wait = kSettleTicks;
    // The step runs from the run loop, not inside the timer: a click that
    // opens a modal dialog then leaves the timer free to serve that dialog.
    _acting = w;
    _stepPending = YES;
    [self performSelector:@selector(stepOn:) withObject:w afterDelay:0
                  inModes:[NSArray arrayWithObjects:NSDefaultRunLoopMode, NSModalPanelRunLoopMode,
                                                    NSEventTrackingRunLoopMode, nil]];
}

- (void)stepOn:(NSWindow*)w
{
    // A request added to several run-loop modes can arrive once per mode.
    if (!_stepPending)
        return;
    _stepPending = NO;
    switch ([self faceOf:w]) {
    case Face::HostDialog:
        [self stepOnHostDialog:w];
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
    _acting = nil;
}

@end
