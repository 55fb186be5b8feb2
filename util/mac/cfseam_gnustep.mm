// GNUstep has no CoreFoundation: NSBundle and NSString stand in for CFBundle
// and CFString, and there are no alias files.
#include "util/mac/cfseam.h"

#include "util/mac/autorelease.h"

#import <Foundation/Foundation.h>

#include <cstring>

namespace {

bool copyPath(NSString* path, char* out, std::size_t cap)
{
    if (path == nil || out == nullptr || cap == 0)
        return false;
    const char* utf8 = [path UTF8String];
    if (utf8 == nullptr || std::strlen(utf8) + 1 > cap)
        return false;
    std::memcpy(out, utf8, std::strlen(utf8) + 1);
    return true;
}

} // namespace

namespace cfseam {

BundleRef bundleCreate(const char* path)
{
    if (path == nullptr || path[0] != '/')
        return nullptr;
    FolantraAutoreleasePool pool;
    NSString* p = [NSString stringWithUTF8String:path];
    if (p == nil)
        return nullptr;
    return [[NSBundle alloc] initWithPath:p];
}

BundleRef bundleWithIdentifier(const char* identifier)
{
    if (identifier == nullptr)
        return nullptr;
    FolantraAutoreleasePool pool;
    NSString* ident = [NSString stringWithCString:identifier encoding:NSMacOSRomanStringEncoding];
    if (ident == nil)
        return nullptr;
    return [NSBundle bundleWithIdentifier:ident];
}

bool bundlePath(BundleRef bundle, char* out, std::size_t cap)
{
    FolantraAutoreleasePool pool;
    return bundle != nullptr && copyPath([(NSBundle*)bundle bundlePath], out, cap);
}

bool bundleResourcesPath(BundleRef bundle, char* out, std::size_t cap)
{
    FolantraAutoreleasePool pool;
    return bundle != nullptr && copyPath([(NSBundle*)bundle resourcePath], out, cap);
}

void retain(const void* ref)
{
    if (ref != nullptr)
        [(id)ref retain];
}

void release(const void* ref)
{
    if (ref != nullptr)
        [(id)ref release];
}

bool composeCanonical(std::u16string& text)
{
    if (text.empty())
        return true;
    FolantraAutoreleasePool pool;
    NSString* s = [[NSString alloc] initWithCharacters:reinterpret_cast<const unichar*>(text.data())
                                                length:text.size()];
    NSString* composed = [s precomposedStringWithCanonicalMapping];
    bool ok = composed != nil;
    if (ok) {
        std::u16string out([composed length], u'\0');
        [composed getCharacters:reinterpret_cast<unichar*>(&out[0]) range:NSMakeRange(0, [composed length])];
        text.swap(out);
    }
    [s release];
    return ok;
}

bool resolveAlias(char*, std::size_t) { return false; }

} // namespace cfseam
