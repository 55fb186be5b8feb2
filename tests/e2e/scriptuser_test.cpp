// The scripted user against a driver of its own: what every toolkit's driver
// may rely on. Steps reach the driver in order and only while they apply,
// the narration is the driver's windows as they show, and a fault drops the
// rest of the script.
#include "subhost/scriptuser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace subhost;

namespace {

class RecordingDriver : public ToolkitDriver {
public:
    RecordingDriver()
    {
        dialog.window = 7;
        dialog.kind = kViewDialog;
        dialog.name = "MetaData";
        dialog.title = "Folantra";
        ControlView field;
        field.type = 0x65757478; // eutx
        field.id = 3;
        field.text = "old";
        dialog.controls.push_back(field);
        ControlView off = field;
        off.id = 4;
        off.enabled = false;
        dialog.controls.push_back(off);
        panel = dialog;
        panel.window = 8;
        panel.kind = kViewPane;
    }

    const WindowView* window(std::int32_t id) const override
    {
        return id == dialog.window ? &dialog : id == panel.window ? &panel : nullptr;
    }
    const WindowView* pane() const override { return havePane ? &panel : nullptr; }
    bool click(std::int32_t w, int c) override { return log("click", w, std::to_string(c)); }
    bool type(std::int32_t w, int c, const std::string& t) override
    {
        return log("type", w, std::to_string(c) + " " + t);
    }
    bool choose(std::int32_t w, int c, int item) override
    {
        return log("choose", w, std::to_string(c) + " " + std::to_string(item));
    }
    bool press(std::int32_t w, Key k) override
    {
        const char* names[] = {"return", "escape", "tab", "backtab"};
        return log(names[static_cast<int>(k)], w, "");
    }
    bool close(std::int32_t w) override { return log("close", w, ""); }
    bool hasOutputStyle(const std::string& name) const override { return name == "Proof"; }
    void chooseOutputStyle(const std::string& name) override { calls.push_back("style " + name); }

    WindowView dialog, panel;
    bool havePane = true;
    bool accept = true;
    std::vector<std::string> calls;

private:
    bool log(const char* what, std::int32_t w, const std::string& rest)
    {
        calls.push_back(std::to_string(w) + " " + what + (rest.empty() ? "" : " " + rest));
        return accept;
    }
};

} // namespace

TEST(ScriptUser, AWaitingDialogGetsOneActionPerWaitAndShowsAreNarrated)
{
    RecordingDriver driver;
    ScriptUser user(driver);
    std::ostringstream narration;
    user.setLog(&narration);
    user.add("show\ntype 3 \"new title\"\ntab\nescape\n");
    EXPECT_TRUE(user.dialogWaits(7));
    EXPECT_TRUE(user.dialogWaits(7));
    EXPECT_TRUE(user.dialogWaits(7));
    EXPECT_EQ(driver.calls, (std::vector<std::string>{"7 type 3 new title", "7 tab", "7 escape"}));
    EXPECT_NE(narration.str().find("dialog \"MetaData\" titled \"Folantra\""), std::string::npos);
    EXPECT_NE(narration.str().find("> type 3 \"new title\"\n> tab\n> escape\n"), std::string::npos);
    // The script is out: the user hands nothing, and the dialog is closed.
    EXPECT_TRUE(user.done());
    EXPECT_FALSE(user.dialogWaits(7));
    EXPECT_TRUE(user.errors().empty());
}

TEST(ScriptUser, AStepThatDoesNotApplyNeverReachesTheDriverAndDropsTheRest)
{
    RecordingDriver driver;
    ScriptUser user(driver);
    user.add("type 4 x\nreturn\n");
    EXPECT_FALSE(user.dialogWaits(7)); // control 4 is disabled
    EXPECT_TRUE(driver.calls.empty());
    ASSERT_EQ(user.errors().size(), 1u);
    EXPECT_NE(user.errors()[0].find("script line 1"), std::string::npos);
    EXPECT_TRUE(user.done());

    ScriptUser other(driver);
    other.add("ok\n");
    EXPECT_FALSE(other.dialogWaits(7)); // "ok" belongs to the host's dialog
    EXPECT_EQ(other.errors().size(), 1u);
}

TEST(ScriptUser, TheHostsDialogActsOnThePaneUntilConfirmed)
{
    RecordingDriver driver;
    ScriptUser user(driver);
    user.add("click 3\nstyle Proof\nchoose 3 2\nbacktab\nok\nshow\n");
    EXPECT_TRUE(user.runHostDialog("print dialog", true));
    EXPECT_EQ(driver.calls,
              (std::vector<std::string>{"8 click 3", "style Proof", "8 choose 3 2", "8 backtab"}));
    EXPECT_FALSE(user.done()); // the step after "ok" is for what follows

    // The pane refuses an action: a fault, and the dialog is cancelled.
    RecordingDriver refusing;
    refusing.accept = false;
    ScriptUser second(refusing);
    second.add("click 3\nok\n");
    EXPECT_FALSE(second.runHostDialog("print dialog", true));
    EXPECT_EQ(second.errors().size(), 1u);

    // Only the print dialog has an output style menu, and only known styles.
    for (const char* script : {"style Proof\n", "style Other\n"}) {
        RecordingDriver d;
        ScriptUser u(d);
        u.add(script);
        EXPECT_FALSE(u.runHostDialog("style editor", std::string(script) == "style Other\n"));
        EXPECT_EQ(u.errors().size(), 1u) << script;
        EXPECT_TRUE(d.calls.empty());
    }
}

TEST(ScriptUser, FolderChooserAndMessageBoxesTakeTheirAnswersFromTheScript)
{
    RecordingDriver driver;
    ScriptUser user(driver);
    user.add("folder /tmp/jobs\nfolder-cancel\nmsgbox close\nclick 3\n");
    std::string chosen;
    EXPECT_EQ(user.chooseFolder(chosen), 1);
    EXPECT_EQ(chosen, "/tmp/jobs");
    EXPECT_EQ(user.chooseFolder(chosen), 2);
    EXPECT_EQ(user.messageBoxAnswer(), 2);
    EXPECT_EQ(user.messageBoxAnswer(), 0); // the next step is no answer: the caller decides
    EXPECT_EQ(user.chooseFolder(chosen), 2); // nor is it a folder: a fault
    EXPECT_EQ(user.errors().size(), 1u);
}
