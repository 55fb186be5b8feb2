// CoreFoundation on a Mac: bundles, canonical composition and alias files.
#include "util/mac/cfseam.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstring>

namespace {

bool copyURLPath(CFURLRef url, char* out, std::size_t cap)
{
    if (url == nullptr || out == nullptr || cap == 0)
        return false;
    CFURLRef absolute = CFURLCopyAbsoluteURL(url);
    bool ok = absolute != nullptr &&
              CFURLGetFileSystemRepresentation(absolute, true, reinterpret_cast<UInt8*>(out), static_cast<CFIndex>(cap));
    if (absolute != nullptr)
        CFRelease(absolute);
    return ok;
}

} // namespace

namespace cfseam {

BundleRef bundleCreate(const char* path)
{
    if (path == nullptr || path[0] != '/')
        return nullptr;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path),
                                                           static_cast<CFIndex>(std::strlen(path)), true);
    if (url == nullptr)
        return nullptr;
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return bundle;
}

BundleRef bundleWithIdentifier(const char* identifier)
{
    if (identifier == nullptr)
        return nullptr;
    CFStringRef ident = CFStringCreateWithCString(kCFAllocatorDefault, identifier, kCFStringEncodingMacRoman);
    if (ident == nullptr)
        return nullptr;
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(ident);
    CFRelease(ident);
    return bundle;
}

bool bundlePath(BundleRef bundle, char* out, std::size_t cap)
{
    if (bundle == nullptr)
        return false;
    CFURLRef url = CFBundleCopyBundleURL((CFBundleRef)bundle);
    bool ok = copyURLPath(url, out, cap);
    if (url != nullptr)
        CFRelease(url);
    return ok;
}

bool bundleResourcesPath(BundleRef bundle, char* out, std::size_t cap)
{
    if (bundle == nullptr)
        return false;
    CFURLRef url = CFBundleCopyResourcesDirectoryURL((CFBundleRef)bundle);
    bool ok = copyURLPath(url, out, cap);
    if (url != nullptr)
        CFRelease(url);
    return ok;
}

void retain(const void* ref)
{
    if (ref != nullptr)
        CFRetain(ref);
}

void release(const void* ref)
{
    if (ref != nullptr)
        CFRelease(ref);
}

bool composeCanonical(std::u16string& text)
{
    CFMutableStringRef s = CFStringCreateMutable(kCFAllocatorDefault, 0);
    if (s == nullptr)
        return false;
    CFStringAppendCharacters(s, reinterpret_cast<const UniChar*>(text.data()), static_cast<CFIndex>(text.size()));
    CFStringNormalize(s, kCFStringNormalizationFormC);
    CFIndex n = CFStringGetLength(s);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (n > 0)
        CFStringGetCharacters(s, CFRangeMake(0, n), reinterpret_cast<UniChar*>(&out[0]));
    CFRelease(s);
    text.swap(out);
    return true;
}

bool resolveAlias(char* path, std::size_t cap)
{
    if (path == nullptr || path[0] != '/')
        return false;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path),
                                                           static_cast<CFIndex>(std::strlen(path)), false);
    if (url == nullptr)
        return false;
    bool resolved = false;
    CFBooleanRef isAlias = nullptr;
    if (CFURLCopyResourcePropertyForKey(url, kCFURLIsAliasFileKey, &isAlias, nullptr) && isAlias != nullptr &&
        CFBooleanGetValue(isAlias)) {
        CFDataRef bookmark = CFURLCreateBookmarkDataFromFile(kCFAllocatorDefault, url, nullptr);
        if (bookmark != nullptr) {
            Boolean stale = false;
            CFURLRef target = CFURLCreateByResolvingBookmarkData(kCFAllocatorDefault, bookmark,
                                                                 kCFBookmarkResolutionWithoutUIMask, nullptr, nullptr,
                                                                 &stale, nullptr);
            if (target != nullptr) {
                char buffer[1024];
                if (copyURLPath(target, buffer, sizeof buffer) && std::strlen(buffer) + 1 <= cap) {
                    std::memcpy(path, buffer, std::strlen(buffer) + 1);
                    resolved = true;
                }
                CFRelease(target);
            }
            CFRelease(bookmark);
        }
    }
    if (isAlias != nullptr)
        CFRelease(isAlias);
    CFRelease(url);
    return resolved;
}

} // namespace cfseam
