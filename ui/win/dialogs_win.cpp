// The Windows side of the dialog toolkit: real windows, made by the Win32
// toolkit in ui/win/.
#include "ui/dialogs.h"

#include "ui/toolkit.h"
#include "ui/win/wintoolkit.h"

namespace dialog_toolkit {

bool available() { return true; }
void screenSize(int* width, int* height) { wintk::screenSize(width, height); }
FrameInsets frameInsets() { return wintk::frameInsets(); }
int runModal(DlgWindow& window) { return wintk::runModal(window); }
void update(DlgWindow& window) { wintk::update(window); }
// The Windows pane is added through the host's pane protocol (ui/win/winpane.cpp).
bool addPane(std::int32_t, DlgWindow&) { return false; }
int chooseFolder(const char* start, std::string& chosen) { return wintk::chooseFolder(start, chosen); }

} // namespace dialog_toolkit
