#include "ui/panetable.h"

#include "ui/dlgbuild.h"

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
    forEachPaneControl([window](const OptionRow& row) {
        DlgControl c;
        c.id = row.paneId;
        c.rect = DlgRect{row.rect.x, row.rect.y, row.rect.w, row.rect.h};
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
        case PaneKind::ValueText:
            c.kind = c.type = kKindStatic;
            break;
        case PaneKind::EditField:
            c.kind = c.type = kKindEdit;
            c.tabStop = true;
            c.border = true;
            break;
        case PaneKind::None:
            return;
        }
        window->controls.push_back(c);
    });
    adoptControls(window);
}
