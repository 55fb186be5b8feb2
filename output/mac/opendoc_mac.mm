// macOS: the shared workspace opens the file with the named application.
#include "ui/toolkit.h"

#include "log/dump.h"

#include "util/mac/autorelease.h"

#import <AppKit/AppKit.h>

bool openDoc(const char* path, const char* application)
{
    if (path == nullptr || application == nullptr)
        return false;
    FolantraAutoreleasePool pool;
    NSString* file = [NSString stringWithUTF8String:path];
    NSString* app = [NSString stringWithUTF8String:application];
    BOOL started = file != nil && app != nil && [[NSWorkspace sharedWorkspace] openFile:file withApplication:app];
    dprintf("openDoc: %s with %s (%s)", path, application, started ? "started" : "refused");
    return started;
}
