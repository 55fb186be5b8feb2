// The few CoreFoundation calls of the mac toolkit, behind one small seam:
// cfseam_apple.mm makes them on a Mac; cfseam_gnustep.mm stands in with
// Foundation where GNUstep has no CoreFoundation. Plain C++: callers need no
// Objective-C.
#pragma once

#include <cstddef>
#include <string>

namespace cfseam {

// A bundle (CFBundleRef on a Mac, NSBundle under GNUstep).
typedef const void* BundleRef;

// The bundle at a folder, owned by the caller (release it), or null.
BundleRef bundleCreate(const char* path);
// The loaded bundle with this identifier, not owned, or null; the identifier
// is made a string in the Mac Roman encoding, and a failed conversion gives null.
BundleRef bundleWithIdentifier(const char* identifier);
// The bundle's folder and its resources folder as POSIX paths (UTF-8).
bool bundlePath(BundleRef bundle, char* out, std::size_t cap);
bool bundleResourcesPath(BundleRef bundle, char* out, std::size_t cap);
void retain(const void* ref);
void release(const void* ref);

// Replaces the text by its canonically composed form (NFC); false when the
// system cannot.
bool composeCanonical(std::u16string& text);

// When `path` names an alias file, replaces it (a buffer of `cap` bytes) by
// the alias's target and answers true.
bool resolveAlias(char* path, std::size_t cap);

} // namespace cfseam
