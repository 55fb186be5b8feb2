// The window-description interpreter and the dialog runtime over arbitrary
// descriptions: a description is read and built into a window, then the user
// acts on it. Input: the description's text, then after the first zero byte
// the user's actions, three bytes each (what, the control's id, a value; a
// typed text is taken from the description's bytes).
//
// Nothing may read or write out of bounds or overflow, and what is built
// must stay a window the toolkits can show: the root pane first, every
// control inside a container created before it, owned by the window, the
// focus and the tab order on existing controls, selections inside the text.
#include "ui/dialogs.h"
#include "ui/dlgbuild.h"
#include "util/mystrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isContainer(std::uint32_t kind)
{
    return kind == kKindUserPane || kind == kKindRadioGroup || kind == kKindTabs;
}

void check(const DlgWindow& w, std::size_t described)
{
    if (w.controls.empty() || w.controls.size() > described + 1)
        std::abort();
    const DlgControl& root = w.controls.front();
    if (root.kind != kKindUserPane || root.id != 0 || root.parent != -1)
        std::abort();
    for (std::size_t i = 0; i < w.controls.size(); ++i) {
        const DlgControl& c = w.controls[i];
        if (c.owner != &w)
            std::abort();
        if (i > 0 && (c.parent < -1 || c.parent >= static_cast<int>(i) ||
                      (c.parent >= 0 && !isContainer(w.controls[static_cast<std::size_t>(c.parent)].kind))))
            std::abort();
        int size = static_cast<int>(c.text.size());
        if (c.selStart < 0 || c.selLength < 0 || c.selStart > size || c.selLength > size - c.selStart) {
            std::fprintf(stderr, "control %zu (kind %08x): selection %d+%d in a text of %d bytes\n", i,
                         static_cast<unsigned>(c.kind), c.selStart, c.selLength, size);
            std::abort();
        }
        if ((c.kind == kKindPopup || c.kind == kKindTabs) &&
            (c.value < 0 || static_cast<std::size_t>(c.value) > c.items.size()))
            std::abort();
    }
    if (w.focus < -1 || w.focus >= static_cast<int>(w.controls.size()))
        std::abort();
    std::vector<int> order = tabOrder(w);
    if (order.size() > 511)
        std::abort();
    int last = -1;
    for (int i : order) {
        if (i <= last || i >= static_cast<int>(w.controls.size()) || !w.controls[static_cast<std::size_t>(i)].tabStop)
            std::abort();
        last = i;
    }
}

void readBack(DlgWindow& w)
{
    for (DlgControl& c : w.controls) {
        char text[256 + 16];
        std::memset(text, 0, 256);
        std::memset(text + 256, 'G', sizeof text - 256); // guard bytes
        getControlText(&c, text);
        if (strnlen(text, 256) > 255)
            std::abort();
        for (std::size_t i = 256; i < sizeof text; ++i)
            if (text[i] != 'G')
                std::abort();
        (void)getControlValue(&c);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Texts are localized through the shipped English table.
    setResourceFolder(FOLANTRA_SOURCE_DIR "/resources");
    setupLanguage(0);
    setupMyStrings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string all(reinterpret_cast<const char*>(data), size);
    std::size_t cut = all.find('\0');
    std::string text = all.substr(0, cut);
    std::string actions = cut == std::string::npos ? std::string() : all.substr(cut + 1);

    WinDesc desc;
    readWinDesc(text.c_str(), &desc);
    DlgWindow w;
    FrameInsets frame{3, 22, 3, 3};
    buildWindow(desc, frame, &w);
    placeWindow(&w, 1920, 1080);
    check(w, desc.controls.size());
    readBack(w);

    for (std::size_t i = 0; i + 3 <= actions.size() && i < 3 * 64; i += 3) {
        auto what = static_cast<std::uint8_t>(actions[i]);
        UserAction a;
        a.kind = static_cast<UserActionKind>(what % 8);
        a.control = static_cast<std::int8_t>(actions[i + 1]);
        a.value = static_cast<std::int8_t>(actions[i + 2]);
        std::size_t from = static_cast<std::uint8_t>(actions[i + 2]) % (text.size() + 1);
        a.text = text.substr(from, 300);
        switch (what >> 5) {
        case 1: // the program sets a control by its id instead
            setControlValue(getControl(&w, a.control), a.value);
            break;
        case 2:
            setControlText(getControl(&w, a.control), a.text.c_str());
            break;
        case 3:
            selectFileName(getControl(&w, a.control));
            break;
        case 4:
            setEditSelection(getControl(&w, a.control), a.value, a.value * 3);
            break;
        case 5: // a native control reports a change of its own
            controlChanged(w, a.control, ControlState{static_cast<ControlEvent>(what % 4), a.value, a.text});
            break;
        default:
            applyUserAction(w, a);
            break;
        }
        check(w, desc.controls.size());
        if (w.done)
            break;
    }
    readBack(w);
    return 0;
}
