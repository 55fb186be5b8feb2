// Catching an Objective-C exception around a piece of C++ work. g++ cannot
// catch an NSException in Objective-C++ (@try/@catch in a .mm file ends in
// its C++ personality routine), so the catch sits in objcguard.m, plain
// Objective-C, which every compiler handles alike; this header wraps it for
// the toolkit's .mm files. C++ exceptions pass through unchanged.
#pragma once

#include <string>

extern "C" {
// Runs body(context) and answers its result; when an Objective-C exception
// leaves it, calls caught(context, description in UTF-8) and answers
// `failure`.
int folantraCatchObjCException(int (*body)(void*), void (*caught)(void*, const char*), void* context,
                               int failure);
}

// Runs body() (answering an int); an NSException that leaves it is stopped:
// its description goes into *description and the answer is `failure`.
template <class Body>
int catchObjCException(Body&& body, int failure, std::string* description)
{
    struct Context {
        Body* body;
        std::string* description;
    } context{&body, description};
    return folantraCatchObjCException(
        [](void* c) { return (*static_cast<Context*>(c)->body)(); },
        [](void* c, const char* text) {
            if (std::string* d = static_cast<Context*>(c)->description)
                *d = text != nullptr ? text : "";
        },
        &context, failure);
}
