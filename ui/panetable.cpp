#include "ui/panetable.h"

#include "ui/dlgbuild.h"

const PaneControlSpec kPaneControls[kPaneControlCount] = {
    {kPaneCrop, PaneKind::CheckBox, "crop", 7, 7, 223, 10},
    {kPaneMargins, PaneKind::CheckBox, "margins", 7, 21, 223, 10},
    {kPanePrintToFile, PaneKind::CheckBox, "printToFile", 7, 35, 91, 10},
    {kPaneAskForName, PaneKind::CheckBox, "askForPSName", 8, 72, 100, 10},
    {kPaneDistiller, PaneKind::CheckBox, "distiller", 8, 86, 270, 10},
    {kPaneScale, PaneKind::CheckBox, "scale:", 8, 100, 37, 10},
    {kPaneChooseFolder, PaneKind::PushButton, "chooseFolder\xE2\x80\xA6", 130, 32, 68, 14},
    {kPaneReset, PaneKind::PushButton, "reset", 213, 32, 68, 14},
    {kPanePath, PaneKind::StaticText, nullptr, 7, 51, 316, 15},
    {kPaneXLabel, PaneKind::StaticText, "X:", 123, 100, 27, 8},
    {kPaneScaleX, PaneKind::EditField, nullptr, 155, 99, 30, 12},
    {kPaneXPercent, PaneKind::StaticText, "%", 188, 100, 8, 8},
    {kPaneYLabel, PaneKind::StaticText, "Y:", 216, 100, 27, 8},
    {kPaneScaleY, PaneKind::EditField, nullptr, 248, 99, 30, 12},
    {kPaneYPercent, PaneKind::StaticText, "%", 280, 100, 8, 8},
    {kPaneMetaData, PaneKind::PushButton, "metadata\xE2\x80\xA6", 213, 70, 68, 14},
};

void buildPaneWindow(DlgWindow* window)
{
    window->name = kPaneTitle;
    window->title = kPaneTitle;
    window->pane = true;
    window->clientWidth = kPaneWidth;
    window->clientHeight = kPaneHeight;
    window->frame = DlgRect{0, 0, kPaneWidth, kPaneHeight};
    window->controls.clear();
    window->focus = -1;
    for (const PaneControlSpec& row : kPaneControls) {
        DlgControl c;
        c.id = row.id;
        c.rect = DlgRect{row.x, row.y, row.w, row.h};
        c.text = row.label != nullptr ? localizeText(row.label) : std::string();
        switch (row.kind) {
        case PaneKind::CheckBox:
            c.kind = kKindCheckBox;
            c.type = fourCC("cbox");
            break;
        case PaneKind::PushButton:
            c.kind = c.type = kKindPush;
            break;
        case PaneKind::StaticText:
            c.kind = c.type = kKindStatic;
            break;
        case PaneKind::EditField:
            c.kind = c.type = kKindEdit;
            c.tabStop = true;
            c.border = true;
            break;
        }
        window->controls.push_back(c);
    }
    adoptControls(window);
}
