// The options pane's controls: the one table from which every toolkit's pane
// is made. The headless pane is built from it at run time; the Windows dialog
// resource 28050 (resources/optionspane.rc) is generated from it and checked
// against it by the unit tests, so the two cannot drift.
#pragma once

#include "ui/dialogs.h"

#include <cstdint>

enum class PaneKind : std::uint8_t { CheckBox, PushButton, StaticText, EditField };

struct PaneControlSpec {
    int id;
    PaneKind kind;
    const char* label; // a key of the string table (translated when the pane is made), or null
    int x, y, w, h;    // dialog units
};

// Ids of the pane's controls; 1 to 6 are the check boxes of the flags 1 to 6.
enum PaneControlId : int {
    kPaneCrop = 1,
    kPaneMargins = 2,
    kPanePrintToFile = 3,
    kPaneAskForName = 4,
    kPaneDistiller = 5,
    kPaneScale = 6,
    kPaneChooseFolder = 8,
    kPaneReset = 9,
    kPanePath = 10,
    kPaneXLabel = 11,
    kPaneScaleX = 12,
    kPaneXPercent = 13,
    kPaneYLabel = 14,
    kPaneScaleY = 15,
    kPaneYPercent = 16,
    kPaneMetaData = 17,
};

inline constexpr int kPaneControlCount = 16;
extern const PaneControlSpec kPaneControls[kPaneControlCount];

inline constexpr int kPaneDialogResource = 28050;
inline constexpr int kPaneWidth = 330, kPaneHeight = 121; // dialog units
inline constexpr const char* kPaneTitle = "Folantra";

// The pane as a window of the dialog runtime: the controls of the table with
// their labels translated (the path label and the fields start empty).
void buildPaneWindow(DlgWindow* window);
