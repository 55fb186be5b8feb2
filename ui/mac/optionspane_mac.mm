// The options pane on macOS: FolantraController registers with the host's
// callback registry for the print dialog (164) and the output-style editor
// (728); each time one is built, a FolantraStylesController loads the
// interface "ExportStyles" and hands its view to the host. The pane's state
// and logic are the dialog runtime's pane window (optionspane.cpp), bound to
// the native controls by their tags.
#include "ui/mac/macui.h"

#include "host/guard.h"
#include "host/xtcalls.h"
#include "ui/optionspane.h"
#include "util/mac/autorelease.h"

namespace {

constexpr int32_t kPriority = 200;
constexpr int32_t kRegistryFlags = 1;

} // namespace

// The pane's top-level view in the interface file.
@interface FolantraPaneView : NSView
@end

@implementation FolantraPaneView
@end

@interface FolantraStylesController : NSObject <QXPXTPaneController>
{
    IBOutlet NSView* view;
    NSArray* _topLevel;
    FolantraViewBinding* _binding;
    xtstyleref _style;
    uint32_t _kind;
    BOOL _awake;
}
- (id)initWithStyleRef:(xtstyleref)style mediaRef:(uint32_t)kind;
- (void)setView:(NSView*)v;
- (FolantraViewBinding*)binding;
- (void)doPrintToFileBtn:(id)sender;
- (void)doScaleBtn:(id)sender;
- (void)doChooseFolder:(id)sender;
- (void)doResetFolder:(id)sender;
- (void)doMetaData:(id)sender;
@end

@interface FolantraController : NSObject
{
    int32_t _printDialogRegistration;
    int32_t _styleEditorRegistration;
}
+ (void)setup;
- (void)doPrintDlg:(id)request;
- (void)doOutputStyles:(id)request;
@end

namespace {

FolantraController* sController = nil;
FolantraStylesController* sPaneController = nil; // the pane that exists, not retained

} // namespace

@implementation FolantraStylesController

- (id)initWithStyleRef:(xtstyleref)style mediaRef:(uint32_t)kind
{
    if ((self = [super init]) == nil)
        return nil;
    _style = style;
    _kind = kind;
    sPaneController = self;
    if (!loadNib(@"ExportStyles", self, &_topLevel) || view == nil) {
        [self release];
        return nil;
    }
    if (!_awake)
        [self awakeFromNib];
    return self;
}

- (void)awakeFromNib
{
    if (_awake || view == nil)
        return;
    _awake = YES;
    localizeView(view);
    DialogRef pane = createPane(_style, _kind);
    _binding = [[FolantraViewBinding alloc] initWithModel:pane root:view];
    [_binding push];
    fitLocalizedTexts(view, [view frame].size.width - 8);
}

- (void)dealloc
{
    // The host may keep the view (and a field of it being edited) after the
    // controller has gone: its controls no longer report to the controller
    // or the binding.
    [NSObject cancelPreviousPerformRequestsWithTarget:self];
    [_binding forget];
    detachFromViews(view, self);
    [_binding release];
    [view release];
    [_topLevel release];
    if (sPaneController == self)
        sPaneController = nil;
    [super dealloc];
}

- (NSView*)view
{
    return view;
}

// The outlet the interface file sets: the controller owns the view.
- (void)setView:(NSView*)v
{
    [v retain];
    [view release];
    view = v;
}

- (NSString*)title
{
    return @"Folantra";
}

- (FolantraViewBinding*)binding
{
    return _binding;
}

// The action methods of the interface file: each goes through the runtime.
- (void)doPrintToFileBtn:(id)sender { [_binding userChanged:sender]; }
- (void)doScaleBtn:(id)sender { [_binding userChanged:sender]; }
- (void)doChooseFolder:(id)sender { [_binding userChanged:sender]; }
- (void)doResetFolder:(id)sender { [_binding userChanged:sender]; }
- (void)doMetaData:(id)sender { [_binding userChanged:sender]; }

- (void)setParent:(id)parent {}
- (void)initializeControllerData:(id)data {}

- (void)deinitController
{
    [_binding forget];
}

- (NSArray*)childViewOwnerList
{
    return nil;
}

@end

@implementation FolantraController

+ (void)setup
{
    FolantraAutoreleasePool pool;
    if (sController == nil)
        sController = [[FolantraController alloc] init];
}

- (id)init
{
    if ((self = [super init]) == nil)
        return nil;
    id<QXPXTCallbackRegistry> registry = hostCallbackRegistry();
    if (registry != nil) {
        _printDialogRegistration = [registry registerCallback:XT_PLUGIN_ID forCBCode:XT_CB_PRINTDIALOG
                                                    withFlags:kRegistryFlags priority:kPriority withTarget:self
                                                 withSelector:@selector(doPrintDlg:)];
        _styleEditorRegistration = [registry registerCallback:XT_PLUGIN_ID forCBCode:XT_CB_STYLEEDITOR
                                                    withFlags:kRegistryFlags priority:kPriority withTarget:self
                                                 withSelector:@selector(doOutputStyles:)];
    }
    xtRegisterCallback(XT_CB_STYLECHANGED, paneStyleChanged, kPriority);
    xtRegisterCallback(XT_CB_PRINTDIALOGCLOSE, panePrintDialogClosed, kPriority);
    xtRegisterCallback(XT_CB_STYLEEDITORCLOSE, paneStyleEditorClosed, kPriority);
    return self;
}

- (void)doPrintDlg:(id)request
{
    guardEntry("doPrintDlg:", 0, [request] {
        FolantraAutoreleasePool pool;
        FolantraStylesController* pane = [[FolantraStylesController alloc] initWithStyleRef:0 mediaRef:0];
        if (pane != nil)
            [(id<QXPXTPaneRequest>)request addPaneController:pane];
        [pane release];
        return 0;
    });
}

- (void)doOutputStyles:(id)request
{
    guardEntry("doOutputStyles:", 0, [request] {
        FolantraAutoreleasePool pool;
        auto* rec = static_cast<xtstyleeditrec*>([(id<QXPXTPaneRequest>)request callbackRecord]);
        uint32_t kind = 0;
        if (rec == nullptr || !xtStyleKind(rec->style, &kind) || kind != XT_STYLE_KIND_PRINT)
            return 0;
        FolantraStylesController* pane =
            [[FolantraStylesController alloc] initWithStyleRef:rec->style mediaRef:kind];
        if (pane != nil)
            [(id<QXPXTPaneRequest>)request addPaneController:pane];
        [pane release];
        return 0;
    });
}

@end

void registerPanePlatformCallbacks()
{
    [FolantraController setup];
}

// The fields' texts into the pane's window (check boxes report every click).
void pane_toolkit::pullControls(DlgWindow&)
{
    FolantraAutoreleasePool pool;
    [[sPaneController binding] pullTexts];
}

void pane_toolkit::release(DlgWindow&)
{
    FolantraAutoreleasePool pool;
    [sPaneController deinitController];
}
