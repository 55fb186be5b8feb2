// The host's callback registry QXPXTCallback: selector registrations for the
// print dialog and the output-style editor, and resource references for the
// plug-in's bundle.
#include "subhost/mac/machost.h"

// What a registered selector receives: the callback's record, and where the
// plug-in's pane controller goes.
@interface SubhostPaneRequest : NSObject <QXPXTPaneRequest>
{
    void* _record;
    NSMutableArray* _panes;
}
- (id)initWithRecord:(void*)record panes:(NSMutableArray*)panes;
@end

@implementation SubhostPaneRequest
- (id)initWithRecord:(void*)record panes:(NSMutableArray*)panes
{
    if ((self = [super init]) != nil) {
        _record = record;
        _panes = [panes retain];
    }
    return self;
}
- (void)dealloc
{
    [_panes release];
    [super dealloc];
}
- (void*)callbackRecord
{
    return _record;
}
- (void)addPaneController:(id)controller
{
    if (controller != nil)
        [_panes addObject:controller];
}
@end

@implementation SubhostRegistration
- (void)dealloc
{
    [target release];
    [super dealloc];
}
@end

static QXPXTCallback* sShared = nil;

@implementation QXPXTCallback

+ (id<QXPXTCallbackRegistry>)sharedCallback
{
    if (sShared == nil)
        sShared = [[QXPXTCallback alloc] init];
    return sShared;
}

- (id)init
{
    if ((self = [super init]) != nil) {
        _registrations = [[NSMutableArray alloc] init];
        _openRefs = [[NSMutableDictionary alloc] init];
        _nextRef = 1;
    }
    return self;
}

- (void)setHost:(subhost::Host*)host bundlePath:(NSString*)path
{
    _host = host;
    [_bundlePath release];
    _bundlePath = [path copy];
}

- (NSArray*)registrations
{
    return _registrations;
}

- (int32_t)registerCallback:(uint32_t)xtID forCBCode:(int32_t)cbCode withFlags:(int32_t)flags
                   priority:(int32_t)priority withTarget:(id)target withSelector:(SEL)selector
{
    if (target == nil || selector == NULL || ![target respondsToSelector:selector])
        return 0;
    SubhostRegistration* r = [[SubhostRegistration alloc] init];
    r->xtID = xtID;
    r->code = cbCode;
    r->flags = flags;
    r->priority = priority;
    r->target = [target retain];
    r->selector = selector;
    [_registrations addObject:r];
    [r release];
    if (_host != nullptr)
        _host->record("register-selector", cbCode, flags, priority);
    return static_cast<int32_t>([_registrations count]);
}

- (void)dispatch:(int32_t)code record:(void*)record panes:(NSMutableArray*)panes
{
    // Higher priority first, as for plain callbacks; equal ones in order.
    NSMutableArray* matching = [NSMutableArray array];
    for (NSUInteger i = 0; i < [_registrations count]; ++i) {
        SubhostRegistration* r = [_registrations objectAtIndex:i];
        if (r->code == code)
            [matching addObject:r];
    }
    for (NSUInteger i = 0; i < [matching count]; ++i) {
        SubhostRegistration* r = [matching objectAtIndex:i];
        SubhostPaneRequest* request = [[SubhostPaneRequest alloc] initWithRecord:record panes:panes];
        if (_host != nullptr)
            _host->record("call-selector", code);
        [r->target performSelector:r->selector withObject:request];
        [request release];
    }
}

- (NSString*)bundleIdentifier
{
    if (_bundlePath == nil)
        return nil;
    NSString* plist = [[_bundlePath stringByAppendingPathComponent:@"Resources"]
        stringByAppendingPathComponent:@"Info-gnustep.plist"];
    if (![[NSFileManager defaultManager] fileExistsAtPath:plist])
        plist = [[_bundlePath stringByAppendingPathComponent:@"Contents"] stringByAppendingPathComponent:@"Info.plist"];
    NSDictionary* info = [NSDictionary dictionaryWithContentsOfFile:plist];
    return [info objectForKey:@"CFBundleIdentifier"];
}

- (int32_t)openResourceRef:(NSString*)bundleIdentifier
{
    NSString* ours = [self bundleIdentifier];
    int32_t ref = 0;
    if (ours != nil && bundleIdentifier != nil && [ours isEqualToString:bundleIdentifier]) {
        ref = _nextRef++;
        [_openRefs setObject:_bundlePath forKey:[NSNumber numberWithInt:ref]];
    }
    if (_host != nullptr)
        _host->record("resource-open", 0, 0, ref);
    return ref;
}

- (int32_t)resourceRef:(int32_t)ref function:(int32_t)function string:(NSString*)text value:(int32_t)value
{
    NSString* bundle = [_openRefs objectForKey:[NSNumber numberWithInt:ref]];
    int32_t result = -1;
    if (bundle != nil && function == QXPXT_RESOURCE_REGISTERNIB && text != nil) {
        // A nib file of the bundle: compiled on a Mac, the interface file here.
        NSString* stem = [text stringByDeletingPathExtension];
        NSArray* folders = [NSArray arrayWithObjects:[bundle stringByAppendingPathComponent:@"Resources"],
                                                     [bundle stringByAppendingPathComponent:@"Contents/Resources"], nil];
        NSFileManager* files = [NSFileManager defaultManager];
        for (NSUInteger i = 0; i < [folders count] && result != 0; ++i) {
            NSString* folder = [folders objectAtIndex:i];
            if ([files fileExistsAtPath:[folder stringByAppendingPathComponent:text]] ||
                [files fileExistsAtPath:[[folder stringByAppendingPathComponent:stem] stringByAppendingPathExtension:@"xib"]])
                result = 0;
        }
    }
    if (_host != nullptr)
        _host->record("resource-call", function, value, result);
    return result;
}

- (void)closeResourceRef:(int32_t)ref
{
    [_openRefs removeObjectForKey:[NSNumber numberWithInt:ref]];
    if (_host != nullptr)
        _host->record("resource-close", ref);
}

@end
