#include "output/psname.h"

#include "ui/dialogs.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kNameField = 4;

// The OK button copies the field back into the caller's name.
std::uint8_t psNameOK(ControlRef, DialogRef dialog, void* user)
{
    auto* name = static_cast<char*>(user);
    char text[256] = {};
    getControlText(getControl(dialog, kNameField), text);
    std::memcpy(name, text, sizeof text);
    quitModalDialog(dialog, 1);
    return 1;
}

std::uint8_t psNameSetup(DialogRef dialog, void* user)
{
    ControlRef field = getControl(dialog, kNameField);
    setControlText(field, static_cast<const char*>(user));
    selectFileName(field);
    setControlHandler(getControl(dialog, 1), psNameOK, user);
    return 0;
}

} // namespace

int getPSName(const char*, char* name)
{
    if (name == nullptr)
        return 0;
    return doModalDialog("PSName", psNameSetup, name);
}
