// The AppKit layer's answers where the substitute host cannot see them: the
// alert's two buttons, and a dialog that raises an Objective-C exception
// while it is shown. Real windows under Xvfb; a timer in every modal loop
// answers the alert as a user would, by its buttons.
#include "ui/mac/macui.h"

#include "host/mac/bundle_mac.h"
#include "ui/dlgbuild.h"
#include "ui/msgbox.h"
#include "ui/toolkit.h"
#include "util/mac/cfseam.h"
#include "util/mystrings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

// A view that cannot be drawn: an interface file that uses it raises as soon
// as its window shows.
@interface FolantraTestRaisingView : NSView
@end

@implementation FolantraTestRaisingView
- (void)drawRect:(NSRect)rect
{
    [NSException raise:NSInternalInconsistencyException format:@"the test view cannot be drawn"];
}
@end

// Answers the next `answers` alerts with the button of the given title (once
// each: an alert stays the modal window for a moment after its click), and
// keeps the texts they showed.
@interface FolantraTestUser : NSObject
{
@public
    NSString* button;
    NSMutableString* seen;
    int answers;
}
- (void)tick:(NSTimer*)timer;
@end

namespace {

void collect(NSView* root, std::string& texts, NSMutableArray* buttons)
{
    NSArray* subviews = [root subviews];
    for (NSUInteger i = 0; i < [subviews count]; ++i) {
        NSView* v = [subviews objectAtIndex:i];
        if ([v isKindOfClass:[NSButton class]])
            [buttons addObject:v];
        else if ([v isKindOfClass:[NSTextField class]])
            texts += std::string([[(NSTextField*)v stringValue] UTF8String]) + "\n";
        else if ([v isKindOfClass:[NSTextView class]])
            texts += std::string([[(NSTextView*)v string] UTF8String]) + "\n";
        collect(v, texts, buttons);
    }
}

void wake()
{
    [NSApp postEvent:[NSEvent otherEventWithType:NSApplicationDefined location:NSMakePoint(0, 0) modifierFlags:0
                                       timestamp:0 windowNumber:0 context:nil subtype:0 data1:0 data2:0]
             atStart:NO];
}

} // namespace

@implementation FolantraTestUser
- (id)init
{
    if ((self = [super init]) != nil)
        seen = [[NSMutableString alloc] init];
    return self;
}
- (void)dealloc
{
    [seen release];
    [super dealloc];
}
- (void)tick:(NSTimer*)timer
{
    NSWindow* w = [NSApp modalWindow];
    if (answers <= 0 || w == nil || [NSStringFromClass([w class]) rangeOfString:@"Alert"].location == NSNotFound)
        return;
    NSMutableArray* buttons = [NSMutableArray array];
    std::string texts;
    collect([w contentView], texts, buttons);
    for (NSUInteger i = 0; i < [buttons count]; ++i) {
        NSButton* b = [buttons objectAtIndex:i];
        if ([[b title] isEqualToString:button]) {
            [seen appendString:[NSString stringWithUTF8String:texts.c_str()]];
            --answers;
            [b sendAction:[b action] to:[b target]];
            wake();
            return;
        }
    }
}
@end

namespace {

class AppKitLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        user = [[FolantraTestUser alloc] init];
        timer = [[NSTimer timerWithTimeInterval:0.05 target:user selector:@selector(tick:) userInfo:nil
                                        repeats:YES] retain];
        [[NSRunLoop currentRunLoop] addTimer:timer forMode:NSDefaultRunLoopMode];
        [[NSRunLoop currentRunLoop] addTimer:timer forMode:NSModalPanelRunLoopMode];
    }
    void TearDown() override
    {
        [timer invalidate];
        [timer release];
        [user release];
    }
    FolantraTestUser* user = nil;
    NSTimer* timer = nil;
};

TEST_F(AppKitLayer, TheAlertAnswersOneForItsFirstButtonAndTwoForTheOther)
{
    user->button = @"OK";
    user->answers = 1;
    EXPECT_EQ(showMessageBox("Folantra", "Go on?", "", 2), 1);
    user->button = @"Cancel";
    user->answers = 1;
    EXPECT_EQ(showMessageBox("Folantra", "Go on?", "", 2), 2);
}

// The interface files' texts follow the rule of the dialog builder's texts,
// in both languages: a mark (":" or "…") is kept and the rest looked up, a
// text that is no key stays, and one of 250 bytes or more is never cut.
TEST(AppKitStrings, InterfaceTextsAreLocalizedAsTheBuilderLocalizes)
{
    setResourceFolder(FOLANTRA_SOURCE_DIR "/resources");
    const std::string longText(300, 'k');
    const std::string longLabel = std::string(260, 'k') + ":";
    const char* labels[] = {"title:", "chooseFolder\xE2\x80\xA6", "Untitled:", ":", "\xE2\x80\xA6", "OK",
                            "metadata\xE2\x80\xA6", "crop", longText.c_str(), longLabel.c_str()};
    for (std::int16_t language : {0, 3}) {
        setupLanguage(language);
        ASSERT_EQ(setupMyStrings(), 0);
        for (const char* label : labels) {
            NSString* shown = localizeString([NSString stringWithUTF8String:label]);
            EXPECT_EQ(std::string([shown UTF8String]), localizeText(label)) << language << " " << label;
        }
        EXPECT_EQ(localizeString(nil), nil);
        EXPECT_TRUE([localizeString(@"") isEqualToString:@""]);
    }
    EXPECT_TRUE([localizeString(@"title:") isEqualToString:@"Titel:"]);
    setupLanguage(0);
    setupMyStrings();
    setResourceFolder(nullptr);
}

// The plug-in's bundle is a folder of the test's with one interface file,
// whose window holds a view that raises when it is drawn.
TEST_F(AppKitLayer, AnExceptionInADialogIsShownAndTheDialogAnswersZero)
{
    char folder[] = "/tmp/folantra-appkit-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string resources = std::string(folder) + "/Resources";
    ASSERT_EQ(system(("mkdir -p " + resources).c_str()), 0);
    std::ofstream(resources + "/Raising.xib")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<document type=\"com.apple.InterfaceBuilder3.Cocoa.XIB\" version=\"3.0\" toolsVersion=\"14490.70\" "
           "targetRuntime=\"MacOSX.Cocoa\" propertyAccessControl=\"none\" useAutolayout=\"NO\">\n"
           "<objects>\n"
           "<customObject id=\"-2\" userLabel=\"File's Owner\" customClass=\"FolantraDlgController\">\n"
           "<connections><outlet property=\"window\" destination=\"w1\" id=\"c1\"/></connections>\n"
           "</customObject>\n"
           "<customObject id=\"-1\" userLabel=\"First Responder\" customClass=\"FirstResponder\"/>\n"
           "<customObject id=\"-3\" userLabel=\"Application\" customClass=\"NSObject\"/>\n"
           "<window title=\"Raising\" releasedWhenClosed=\"NO\" visibleAtLaunch=\"NO\" id=\"w1\">\n"
           "<windowStyleMask key=\"styleMask\" titled=\"YES\" closable=\"YES\"/>\n"
           "<rect key=\"contentRect\" x=\"200\" y=\"300\" width=\"300\" height=\"100\"/>\n"
           "<view key=\"contentView\" id=\"v1\">\n"
           "<rect key=\"frame\" x=\"0.0\" y=\"0.0\" width=\"300\" height=\"100\"/>\n"
           "<subviews><customView id=\"v2\" customClass=\"FolantraTestRaisingView\">\n"
           "<rect key=\"frame\" x=\"10\" y=\"10\" width=\"100\" height=\"50\"/>\n"
           "</customView></subviews>\n"
           "</view>\n"
           "</window>\n"
           "</objects>\n"
           "</document>\n";
    gBundleRef = cfseam::bundleCreate(folder);
    ASSERT_NE(folantraBundle(), nil);

    user->button = @"OK";
    user->answers = 1;
    EXPECT_EQ(doModalDialog("Raising", nullptr, nullptr), 0);
    EXPECT_EQ(user->answers, 0);
    std::string seen = [user->seen UTF8String];
    EXPECT_NE(seen.find("the test view cannot be drawn"), std::string::npos) << seen;
    // Nothing of the dialog stays on the screen, and the next dialog runs.
    NSArray* windows = [NSApp windows];
    for (NSUInteger i = 0; i < [windows count]; ++i) {
        NSWindow* w = [windows objectAtIndex:i];
        EXPECT_FALSE([w isVisible] && [[w title] isEqualToString:@"Raising"]);
    }
    user->answers = 1;
    EXPECT_EQ(showMessageBox("Folantra", "still here", "", 1), 1);
    EXPECT_EQ(system((std::string("rm -rf ") + folder).c_str()), 0);
}

} // namespace

int main(int argc, char** argv)
{
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    [[NSUserDefaults standardUserDefaults]
        registerDefaults:[NSDictionary dictionaryWithObjectsAndKeys:@"NO", @"GSX11HandlesWindowDecorations", nil]];
    [NSApplication sharedApplication];
    ::testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    [pool release];
    return status;
}
