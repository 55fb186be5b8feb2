// The user's standard folders as the system names them (Application Support,
// Documents, Desktop in the user's domain), alias files, and canonical
// composition of text.
#include "ui/toolkit.h"
#include "util/files.h"
#include "util/mac/autorelease.h"
#include "util/mac/cfseam.h"
#include "util/mystr.h"

#import <Foundation/Foundation.h>

#include <cstring>

namespace {

bool userDomainFolder(NSSearchPathDirectory which, char* out)
{
    if (out == nullptr)
        return false;
    FolantraAutoreleasePool pool;
    NSArray* paths = NSSearchPathForDirectoriesInDomains(which, NSUserDomainMask, YES);
    if (paths == nil || [paths count] == 0)
        return false;
    const char* path = [[paths objectAtIndex:0] fileSystemRepresentation];
    if (path == nullptr || path[0] != '/' || std::strlen(path) + 1 > kPathSize)
        return false;
    std::memcpy(out, path, std::strlen(path) + 1);
    return true;
}

} // namespace

bool getDocumentsFolder(char* out) { return userDomainFolder(NSDocumentDirectory, out); }

bool getDesktopFolder(char* out) { return userDomainFolder(NSDesktopDirectory, out); }

bool getAppSupportFolder(char* out) { return userDomainFolder(NSApplicationSupportDirectory, out); }

void resolveAlias(char* path)
{
    if (path != nullptr)
        cfseam::resolveAlias(path, kPathSize);
}

namespace mystr_platform {

void composeNFC(std::u16string& text)
{
    cfseam::composeCanonical(text);
}

} // namespace mystr_platform
