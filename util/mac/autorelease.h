// An autorelease pool for one entry from the host into the plug-in's
// Objective-C code: made when the entry starts, drained when it ends, on
// every way out (an exception included). The host's own pools stay as they
// are: what the plug-in autoreleases goes when its entry ends. For
// Objective-C++ files only (g++ knows no @autoreleasepool).
#pragma once

#import <Foundation/Foundation.h>

class FolantraAutoreleasePool {
public:
    FolantraAutoreleasePool() : mPool([[NSAutoreleasePool alloc] init]) {}
    ~FolantraAutoreleasePool() { [mPool drain]; }
    FolantraAutoreleasePool(const FolantraAutoreleasePool&) = delete;
    FolantraAutoreleasePool& operator=(const FolantraAutoreleasePool&) = delete;

private:
    NSAutoreleasePool* mPool;
};
