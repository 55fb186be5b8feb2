// Message boxes on macOS: a standard alert titled with the product name, the
// primary text as its message and the secondary text below it, with the
// plug-in's logo as its icon when the bundle has one.
#include "ui/mac/macui.h"

#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/mac/autorelease.h"

int showMessageBox(const char* title, const char* primary, const char* secondary, int buttons)
{
    FolantraAutoreleasePool pool;
    NSBeep();
    NSAlert* alert = [[[NSAlert alloc] init] autorelease];
    NSString* message = [NSString stringWithUTF8String:primary != nullptr ? primary : ""];
    NSString* info = [NSString stringWithUTF8String:secondary != nullptr ? secondary : ""];
    if (message == nil)
        message = @"";
    if (info == nil)
        info = @"";
#if defined(GNUSTEP)
    // GNUstep shows the message text as one line in a large font and cuts it:
    // the product name goes there, and the texts below it, where they wrap.
    if ([info length] > 0)
        message = [NSString stringWithFormat:@"%@\n\n%@", message, info];
    info = message;
    message = [NSString stringWithUTF8String:title != nullptr ? title : "Folantra"];
#endif
    [alert setMessageText:message];
    [alert setInformativeText:info];
    [alert addButtonWithTitle:stringForKey("ok", @"OK")];
    if (buttons > 1)
        [alert addButtonWithTitle:stringForKey("cancel", @"Cancel")];
    NSString* logo = [folantraBundle() pathForResource:@"Logo" ofType:@"png"];
    if (logo != nil) {
        NSImage* icon = [[[NSImage alloc] initWithContentsOfFile:logo] autorelease];
        if (icon != nil)
            [alert setIcon:icon];
    }
    NSString* caption = [NSString stringWithUTF8String:title != nullptr ? title : "Folantra"];
    [[alert window] setTitle:caption != nil ? caption : @"Folantra"];
    NSInteger answer = [alert runModal];
    return answer == NSAlertFirstButtonReturn ? 1 : 2;
}
