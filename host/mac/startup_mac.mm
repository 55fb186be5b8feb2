// Start-up steps on macOS: the plug-in's bundle (beside the host in its
// XTensions folder, else the bundle holding the plug-in's own file, else the
// loaded bundle with the plug-in's identifier), the interface resources, and
// the pane controller.
#include "ui/toolkit.h"

#include "host/mac/bundle_mac.h"
#include "ui/mac/macui.h"
#include "ui/msgbox.h"
#include "ui/optionspane.h"
#include "util/mac/autorelease.h"
#include "util/mac/cfseam.h"
#include "util/platform.h"

const void* gBundleRef = nullptr;
std::int32_t gResourceRef = 0;
void* gNib = nullptr;

namespace {

// The folder that holds the host application (and its XTensions folder): the
// folder around an application bundle; a program without one (a GNUstep tool)
// stands in its own folder.
NSString* hostApplicationFolder()
{
    NSString* path = [[NSBundle mainBundle] bundlePath];
    if ([[path pathExtension] isEqualToString:@"app"])
        path = [path stringByDeletingLastPathComponent];
    return path;
}

// The bundle folder around the plug-in's own file: Folantra.xnt/Contents/MacOS/
// Folantra on a Mac, Folantra.xnt/Folantra in GNUstep's layout.
NSString* ownBundleFolder()
{
    char self[1024] = {};
    if (!plat::modulePath(self, sizeof self))
        return nil;
    NSString* folder = [[NSString stringWithUTF8String:self] stringByDeletingLastPathComponent];
    if ([[folder lastPathComponent] isEqualToString:@"MacOS"])
        folder = [[folder stringByDeletingLastPathComponent] stringByDeletingLastPathComponent];
    return [[folder pathExtension] isEqualToString:@"xnt"] ? folder : nil;
}

void setupXTPath(const char* identifier)
{
    FolantraAutoreleasePool pool;
    [NSApplication sharedApplication];
    NSString* path = [[[hostApplicationFolder() stringByAppendingPathComponent:@"XTensions"]
        stringByAppendingPathComponent:@"Folantra"] stringByAppendingPathExtension:@"xnt"];
    NSFileManager* files = [NSFileManager defaultManager];
    if ([files fileExistsAtPath:path]) {
        gBundleRef = cfseam::bundleCreate([path fileSystemRepresentation]);
    } else if (NSString* own = ownBundleFolder()) {
        gBundleRef = cfseam::bundleCreate([own fileSystemRepresentation]);
    } else if (identifier != nullptr) {
        gBundleRef = cfseam::bundleWithIdentifier(identifier);
        cfseam::retain(gBundleRef);
    }
    if (gBundleRef == nullptr)
        msgBox("Internal error: gBundleRef = NULL");
}

void setupNibRef()
{
    FolantraAutoreleasePool pool;
    id<QXPXTCallbackRegistry> registry = hostCallbackRegistry();
    if (registry != nil) {
        gResourceRef = [registry openResourceRef:[NSString stringWithUTF8String:kFolantraBundleIdentifier]];
        if (gResourceRef != 0)
            [registry resourceRef:gResourceRef function:QXPXT_RESOURCE_REGISTERNIB string:@"Main.nib" value:0];
    }
    if (gBundleRef != nullptr && folantraBundle() != nil)
        gNib = [[NSNib alloc] initWithNibNamed:@"Main" bundle:folantraBundle()];
}

void cleanupNibRef()
{
    FolantraAutoreleasePool pool;
    if (gResourceRef != 0) {
        [hostCallbackRegistry() closeResourceRef:gResourceRef];
        gResourceRef = 0;
    }
    if (gNib != nullptr) {
        [(NSNib*)gNib release];
        gNib = nullptr;
    }
}

} // namespace

int32_t platformRequestCodes(xtsetuprec*) { return 0; }

void platformSetupPaths() { setupXTPath(kFolantraBundleIdentifier); }

void platformSetupInterface() { setupNibRef(); }

void platformSetupController() { registerPaneCallbacks(); }

void platformQuit() { cleanupNibRef(); }
