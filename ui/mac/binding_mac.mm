// The binding between a view tree loaded from an interface file and the
// dialog runtime's window: tags are the control ids. The runtime's window
// holds the state and runs the dialog logic for every toolkit; the binding
// pushes that state into the native controls and brings the user's changes
// back through one entry, controlChangedByUser.
#include "ui/mac/macui.h"

#include "host/guard.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

std::map<std::int32_t, FolantraViewBinding*> sBindings;

// A text field that only shows a text (no bezel, no border).
bool isLabel(NSView* v)
{
    return [v isKindOfClass:[NSTextField class]] && ![(NSTextField*)v isBezeled] && ![(NSTextField*)v isBordered];
}

NSString* utf8(const std::string& text)
{
    NSString* s = [NSString stringWithUTF8String:text.c_str()];
    return s != nil ? s : @"";
}

// The UTF-16 units of the first `bytes` bytes of a UTF-8 text (the runtime
// counts a selection in bytes, AppKit in UTF-16 units).
NSUInteger utf16Units(const std::string& text, int bytes)
{
    std::size_t n = bytes < 0 ? 0 : std::min(static_cast<std::size_t>(bytes), text.size());
    NSString* head = [[[NSString alloc] initWithBytes:text.data() length:n encoding:NSUTF8StringEncoding] autorelease];
    return head != nil ? [head length] : n;
}

void applyToTree(NSView* root, FolantraViewBinding* binding, DlgWindow* model)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if (isLabel(v)) {
            // Labels load editable from an interface file: they only show text.
            [(NSTextField*)v setEditable:NO];
            [(NSTextField*)v setSelectable:NO];
        }
        NSInteger tag = [v respondsToSelector:@selector(tag)] ? [v tag] : 0;
        if (tag > 0 && [v isKindOfClass:[NSControl class]] && getControl(model, static_cast<int>(tag)) != nullptr) {
            NSControl* c = (NSControl*)v;
            if ([c isKindOfClass:[NSTextField class]]) {
                if ([(NSTextField*)c isEditable])
                    [(NSTextField*)c setDelegate:(id)binding];
            } else if ([c action] == NULL) {
                [c setTarget:binding];
                [c setAction:@selector(userChanged:)];
            }
        }
        applyToTree(v, binding, model);
    }
}

} // namespace

void detachFromViews(NSView* root, id owner)
{
    if (root == nil || owner == nil)
        return;
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSTextField class]] && [(NSTextField*)v delegate] == owner)
            [(NSTextField*)v setDelegate:nil];
        if ([v isKindOfClass:[NSControl class]] && [(NSControl*)v target] == owner) {
            [(NSControl*)v setTarget:nil];
            [(NSControl*)v setAction:NULL];
        }
        detachFromViews(v, owner);
    }
}

NSRange editRange(const std::string& text, int start, int length)
{
    NSUInteger from = utf16Units(text, start);
    NSUInteger to = utf16Units(text, start + length);
    return NSMakeRange(from, to > from ? to - from : 0);
}

NSView* findViewWithTag(NSView* root, NSInteger tag)
{
    if (root == nil)
        return nil;
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v respondsToSelector:@selector(tag)] && [v tag] == tag)
            return v;
        if (NSView* inner = findViewWithTag(v, tag))
            return inner;
    }
    return nil;
}

FolantraViewBinding* bindingForWindow(std::int32_t windowId)
{
    auto it = sBindings.find(windowId);
    return it != sBindings.end() ? it->second : nil;
}

bool controlChangedByUser(DlgWindow& window, int id, NSView* control)
{
    DlgControl* c = getControl(&window, id);
    if (c == nullptr || control == nil)
        return false;
    ControlState state;
    if ([control isKindOfClass:[NSPopUpButton class]]) {
        state.event = ControlEvent::SelectionChanged;
        state.value = static_cast<std::int32_t>([(NSPopUpButton*)control indexOfSelectedItem]) + 1;
    } else if ([control isKindOfClass:[NSButton class]]) {
        state.event = ControlEvent::Clicked;
        state.value = [(NSButton*)control state] == NSControlStateValueOn ? 1 : 0;
    } else if ([control isKindOfClass:[NSTextField class]]) {
        state.event = ControlEvent::TextChanged;
        const char* text = [[(NSTextField*)control stringValue] UTF8String];
        state.text = text != nullptr ? text : "";
    } else {
        return false;
    }
    bool applied = controlChanged(window, static_cast<int>(c - window.controls.data()), state);
    if (FolantraViewBinding* b = bindingForWindow(window.window))
        [b push];
    if (window.done && !window.pane && [NSApp modalWindow] != nil)
        stopModalWithCode(window.result);
    return applied;
}

@implementation FolantraViewBinding

- (id)initWithModel:(DlgWindow*)model root:(NSView*)root
{
    if ((self = [super init]) != nil) {
        _model = model;
        _root = [root retain];
        _lastFocus = -2;
        sBindings[model->window] = self;
        applyToTree(root, self, model);
    }
    return self;
}

- (void)dealloc
{
    [self forget];
    [[NSNotificationCenter defaultCenter] removeObserver:self];
    detachFromViews(_root, self);
    [_root release];
    [super dealloc];
}

- (void)forget
{
    if (_model != nullptr) {
        auto it = sBindings.find(_model->window);
        if (it != sBindings.end() && it->second == self)
            sBindings.erase(it);
    }
    _model = nullptr;
}

- (DlgWindow*)model
{
    return _model;
}

- (void)push
{
    if (_model == nullptr)
        return;
    for (std::size_t i = 0; i < _model->controls.size(); ++i) {
        const DlgControl& c = _model->controls[i];
        if (c.id <= 0)
            continue;
        NSView* v = findViewWithTag(_root, c.id);
        if (v == nil || ![v isKindOfClass:[NSControl class]])
            continue;
        NSControl* ctl = (NSControl*)v;
        [ctl setHidden:!c.visible];
        if ([ctl isEnabled] != (c.enabled ? YES : NO))
            [ctl setEnabled:c.enabled ? YES : NO];
        NSString* text = utf8(c.text);
        if ([ctl isKindOfClass:[NSPopUpButton class]]) {
            NSPopUpButton* p = (NSPopUpButton*)ctl;
            if (c.value > 0 && c.value <= [p numberOfItems])
                [p selectItemAtIndex:c.value - 1];
        } else if ([ctl isKindOfClass:[NSButton class]]) {
            NSButton* b = (NSButton*)ctl;
            if (!c.text.empty() && ![[b title] isEqualToString:text])
                [b setTitle:text];
            if (c.kind == kKindCheckBox) {
                NSInteger state = c.value == 1 ? NSControlStateValueOn : NSControlStateValueOff;
                if ([b state] != state)
                    [b setState:state];
            }
        } else if ([ctl isKindOfClass:[NSTextField class]]) {
            if (![[ctl stringValue] isEqualToString:text])
                [ctl setStringValue:text];
        }
    }
    // The focus and a field's selection follow the model when it moved them.
    if (_model->focus != _lastFocus) {
        _lastFocus = _model->focus;
        if (_model->focus >= 0 && static_cast<std::size_t>(_model->focus) < _model->controls.size()) {
            const DlgControl& c = _model->controls[static_cast<std::size_t>(_model->focus)];
            NSView* v = c.id > 0 ? findViewWithTag(_root, c.id) : nil;
            NSWindow* w = [_root window];
            if (v != nil && w != nil && [v acceptsFirstResponder] && [w firstResponder] != v) {
                [w makeFirstResponder:v];
                if ([v isKindOfClass:[NSTextField class]] && c.selLength > 0) {
                    NSText* editor = [w fieldEditor:NO forObject:v];
                    if (editor != nil)
                        [editor setSelectedRange:editRange(c.text, c.selStart, c.selLength)];
                }
            }
        }
    }
    [_root setNeedsDisplay:YES];
}

- (void)pullTexts
{
    if (_model == nullptr)
        return;
    for (DlgControl& c : _model->controls) {
        if (c.id <= 0 || c.kind != kKindEdit)
            continue;
        NSView* v = findViewWithTag(_root, c.id);
        if ([v isKindOfClass:[NSTextField class]]) {
            const char* text = [[(NSTextField*)v stringValue] UTF8String];
            c.text = text != nullptr ? text : "";
        }
    }
}

- (void)userChanged:(id)sender
{
    if (_model == nullptr || ![sender respondsToSelector:@selector(tag)])
        return;
    DlgWindow* model = _model;
    guardEntry("userChanged:", false,
               [&] { return controlChangedByUser(*model, static_cast<int>([sender tag]), sender); });
}

- (void)controlTextDidChange:(NSNotification*)note
{
    [self userChanged:[note object]];
}

@end
