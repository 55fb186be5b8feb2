// The catch of an Objective-C exception for the toolkit's C++ code
// (objcguard.h). Plain Objective-C: g++'s Objective-C++ cannot catch one.
#import <Foundation/Foundation.h>

int folantraCatchObjCException(int (*body)(void*), void (*caught)(void*, const char*), void* context,
                               int failure)
{
    @try {
        return body(context);
    } @catch (NSException* e) {
        NSString* text = [e description];
        caught(context, text != nil ? [text UTF8String] : "");
    }
    return failure;
}
