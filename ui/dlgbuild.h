// The dialog runtime's builder: makes a window of the dialog model from a
// window description. It localizes every text, turns each control into its
// run-time kind with the adjusted rectangle of the kind table, opens and
// closes groups and containers ("####"), and places the window on the
// screen.
#pragma once

#include "ui/dlgmodel.h"
#include "ui/windesc.h"

#include <string>

// Localizes a control text, window title or menu item: a text ending in "…"
// or ":" is looked up without the mark, which is then appended again; texts
// of 250 bytes or more are left as they are, as is a text that is no key.
std::string localizeText(const std::string& text);

// Builds the window from the description: size (client size plus frame),
// localized title, the root user pane (id 0) and every control. Kinds the
// table does not know are skipped.
void buildWindow(const WinDesc& desc, const FrameInsets& frame, DlgWindow* window);
// Centres the window horizontally on the screen and puts its top at a quarter
// of the free height.
void placeWindow(DlgWindow* window, int screenWidth, int screenHeight);
