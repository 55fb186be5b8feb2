// Localized strings as AppKit strings, and the localization of loaded views,
// menus and windows: every text of an interface file is a key of the string
// table, translated before the window is shown.
#include "ui/mac/macui.h"

#include "ui/dlgbuild.h"
#include "util/mystrings.h"

#include <cstring>

NSString* stringForKey(const char* key, NSString* fallback)
{
    if (key == nullptr || key[0] == '\0')
        return fallback;
    char text[256];
    getString(key, text);
    // getString answers the key itself when the table has no text for it.
    if (std::strcmp(text, key) == 0)
        return fallback;
    NSString* s = [NSString stringWithUTF8String:text];
    return s != nil ? s : fallback;
}

NSString* stringForKey(NSString* key) { return stringForKey(key, key); }

NSString* stringForKey(NSString* key, NSString* fallback)
{
    return key != nil ? stringForKey([key UTF8String], fallback) : fallback;
}

NSString* localizeString(NSString* text)
{
    // The one rule of every toolkit (the dialog builder's localizeText).
    const char* utf8 = text != nil ? [text UTF8String] : nullptr;
    if (utf8 == nullptr || utf8[0] == '\0')
        return text;
    NSString* localized = [NSString stringWithUTF8String:localizeText(utf8).c_str()];
    return localized != nil ? localized : text;
}

NSString* CreateCFString(const char* text, unsigned char translate)
{
    if (text == nullptr)
        return nil;
    std::size_t n = std::strlen(text);
    if (translate != 0 && n < 250) {
        char input[256];
        char output[512] = {};
        std::memcpy(input, text, n + 1);
        translateString(input, output);
        return [[NSString alloc] initWithUTF8String:output];
    }
    return [[NSString alloc] initWithUTF8String:text];
}

void localizeMenu(NSMenu* menu)
{
    if (menu == nil)
        return;
    [menu setTitle:localizeString([menu title])];
    for (NSInteger i = 0; i < [menu numberOfItems]; ++i) {
        NSMenuItem* item = [menu itemAtIndex:i];
        [item setTitle:localizeString([item title])];
        if ([item hasSubmenu])
            localizeMenu([item submenu]);
    }
}

void localizeView(NSView* view)
{
    NSArray* subviews = [view subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSTextField class]]) {
            NSTextField* f = (NSTextField*)v;
            [f setStringValue:localizeString([f stringValue])];
        } else if ([v isKindOfClass:[NSPopUpButton class]]) {
            localizeMenu([(NSPopUpButton*)v menu]);
        } else if ([v isKindOfClass:[NSButton class]]) {
            NSButton* b = (NSButton*)v;
            [b setTitle:localizeString([b title])];
        } else if ([v isKindOfClass:[NSTabView class]]) {
            NSArray* items = [(NSTabView*)v tabViewItems];
            for (NSUInteger k = 0; k < [items count]; ++k) {
                NSTabViewItem* item = [items objectAtIndex:k];
                [item setLabel:localizeString([item label])];
                localizeView([item view]);
            }
        } else if ([v isKindOfClass:[NSTableView class]]) {
            NSArray* columns = [(NSTableView*)v tableColumns];
            for (NSUInteger k = 0; k < [columns count]; ++k) {
                NSCell* cell = [(NSTableColumn*)[columns objectAtIndex:k] headerCell];
                [cell setStringValue:localizeString([cell stringValue])];
            }
        } else if ([v isKindOfClass:[NSBox class]]) {
            NSBox* box = (NSBox*)v;
            [box setTitle:localizeString([box title])];
            localizeView([box contentView]);
        } else if ([v isKindOfClass:[NSScrollView class]]) {
            localizeView([(NSScrollView*)v contentView]);
        } else {
            localizeView(v);
        }
    }
}

void localizeWindow(NSWindow* window)
{
    if (window == nil)
        return;
    [window setTitle:localizeString([window title])];
    localizeView([window contentView]);
}

namespace {

// How much wider the control's text needs it to be.
CGFloat missingWidth(NSView* v)
{
    if (![v isKindOfClass:[NSControl class]] || [v isKindOfClass:[NSPopUpButton class]])
        return 0;
    NSControl* c = (NSControl*)v;
    if ([c isKindOfClass:[NSTextField class]] && [(NSTextField*)c isEditable])
        return 0; // fields keep their width
    NSSize needed = [[c cell] cellSize];
    CGFloat missing = needed.width - [c frame].size.width;
    return missing > 0 ? missing + 2 : 0;
}

} // namespace

void fitLocalizedTexts(NSView* view, CGFloat limit)
{
    NSArray* subviews = [view subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        CGFloat missing = missingWidth(v);
        if (missing <= 0)
            continue;
        NSRect f = [v frame];
        // The controls on the same row to the right move along.
        for (NSUInteger k = 0; k < [subviews count]; ++k) {
            NSView* o = [subviews objectAtIndex:k];
            NSRect of = [o frame];
            if (o == v || of.origin.x < NSMaxX(f) - 1)
                continue;
            if (NSMaxY(of) <= f.origin.y || of.origin.y >= NSMaxY(f))
                continue;
            of.origin.x += missing;
            [o setFrame:of];
        }
        f.size.width += missing;
        if (NSMaxX(f) > limit)
            f.size.width = limit - f.origin.x; // never beyond the view
        [v setFrame:f];
    }
    [view setNeedsDisplay:YES];
}
