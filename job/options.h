// Every option of a job and every control of the options pane, one row each.
// Everything else is made from this table: the record's flag count, the keys
// and order of what documents and styles store, the pane's controls on each
// toolkit (tools/panegen writes resources/optionspane.rc and
// resources/ExportStyles.xib from it), the controls announced to the Windows
// host, the enabling rule, which controls answer a click, and the host's
// listing of the stored settings. docs/adding-an-option.md tells how to add a row.
#pragma once

#include <cstdint>

// How a row is kept in documents and styles.
enum class Stored : std::uint8_t {
    No,    // not stored
    Flag,  // a flag byte of the record, written as a decimal integer
    Text,  // one of the record's texts
    Scale, // one of the record's two scale factors, a float
};

// The record's fields other than the flags that a row may name.
enum class RecField : std::uint8_t { None, Folder, ScaleX, ScaleY, Title, Author, Keywords };

// The kind of a row's control. The Windows host is told of the controls kind
// by kind in this order (check boxes, buttons, labels, value texts, fields).
enum class PaneKind : std::uint8_t {
    None,       // no control in the pane
    CheckBox,   // an automatic check box
    PushButton, // a push button
    StaticText, // a fixed label
    ValueText,  // a static text that shows a value of the record (the folder)
    EditField,  // a field with a border that scrolls horizontally
};

struct PaneRect {
    int x, y, w, h;
};

struct OptionRow {
    Stored stored;
    std::int16_t flag;   // the flag index when stored as a flag, else 0
    RecField field;      // the record's field when stored as a text or scale
    const char* key;     // the key in documents and styles; null when not stored
    int paneId;          // the control's id in the pane (tag on macOS); 0 = no control
    PaneKind kind;
    const char* label;   // a key of the string table, or null
    PaneRect rect;       // dialog units, origin top left (Windows resource, headless pane)
    PaneRect frame;      // points, origin bottom left (AppKit pane)
    int enabledBy;       // id of the check box that enables the control; 0 = always enabled
    bool refreshed;      // handed to the Windows host's refresh after every enabling pass
    const char* action;  // the AppKit action method; a control with one answers a click
    bool rightAligned;   // AppKit: the text is right aligned (a label in front of a field)
    const char* about;   // what the row means, as the host's listing of a document shows it
};

// The flag indices; each names its option everywhere in the code.
enum FolantraFlag : std::int16_t {
    kFlagReserved = 0, // never stored, never shown
    kFlagTrimBox = 1,
    kFlagPageBorder = 2,
    kFlagPrintToFile = 3,
    kFlagAskForName = 4,
    kFlagDistill = 5,
    kFlagScale = 6,
};

// The ids of the pane's controls that are no flag's check box. Ids are
// explicit and never reused: a new control takes the lowest id the table does
// not hold (7, then 18 and on); the compiler refuses an id given twice.
enum PaneControlId : int {
    kPaneChooseFolder = 8,
    kPaneReset = 9,
    kPaneFolder = 10,
    kPaneXLabel = 11,
    kPaneScaleX = 12,
    kPaneXPercent = 13,
    kPaneYLabel = 14,
    kPaneScaleY = 15,
    kPaneYPercent = 16,
    kPaneMetaData = 17,
};

// The rows in the pane's order, which is also the order of the stored keys.
inline constexpr OptionRow kOptions[] = {
    {Stored::Flag, kFlagTrimBox, RecField::None, "TrimBox", 1, PaneKind::CheckBox, "crop", {7, 7, 223, 10},
     {20, 180, 560, 18}, 0, false, nullptr, false, "CropBox, BleedBox and Folantra box grown by the bleed"},
    {Stored::Flag, kFlagPageBorder, RecField::None, "PageBorder", 2, PaneKind::CheckBox, "margins",
     {7, 21, 223, 10}, {20, 156, 560, 18}, 0, false, nullptr, false, "a 0.25 pt black border around each page"},
    {Stored::Flag, kFlagPrintToFile, RecField::None, "PrintToFile", 3, PaneKind::CheckBox, "printToFile",
     {7, 35, 91, 10}, {20, 132, 210, 18}, 0, false, "doPrintToFileBtn:", false,
     "print into a PostScript file that the plug-in names"},
    {Stored::Flag, kFlagAskForName, RecField::None, "AskForName", 4, PaneKind::CheckBox, "askForPSName",
     {8, 72, 100, 10}, {20, 80, 300, 18}, 0, false, nullptr, false, "ask for the file's name when printing"},
    {Stored::Flag, kFlagDistill, RecField::None, "Distill", 5, PaneKind::CheckBox, "distiller", {8, 86, 270, 10},
     {20, 56, 560, 18}, 3, false, nullptr, false, "start the distiller on the finished file"},
    {Stored::Flag, kFlagScale, RecField::None, "Scale", 6, PaneKind::CheckBox, "scale:", {8, 100, 37, 10},
     {20, 22, 210, 18}, 0, true, "doScaleBtn:", false, "scale each page by ScX and ScY about its centre"},
    {Stored::No, 0, RecField::None, nullptr, kPaneChooseFolder, PaneKind::PushButton, "chooseFolder\xE2\x80\xA6",
     {130, 32, 68, 14}, {240, 126, 160, 28}, 3, false, "doChooseFolder:", false, nullptr},
    {Stored::No, 0, RecField::None, nullptr, kPaneReset, PaneKind::PushButton, "reset", {213, 32, 68, 14},
     {410, 126, 160, 28}, 3, false, "doResetFolder:", false, nullptr},
    {Stored::Text, 0, RecField::Folder, "Folder", kPaneFolder, PaneKind::ValueText, nullptr, {7, 51, 316, 15},
     {22, 106, 556, 16}, 0, false, nullptr, false,
     "the PostScript file's folder (empty: the document's folder, or the desktop)"},
    {Stored::No, 0, RecField::None, nullptr, kPaneXLabel, PaneKind::StaticText, "X:", {123, 100, 27, 8},
     {232, 24, 22, 17}, 0, true, nullptr, true, nullptr},
    {Stored::Scale, 0, RecField::ScaleX, "ScX", kPaneScaleX, PaneKind::EditField, nullptr, {155, 99, 30, 12},
     {256, 20, 70, 22}, 6, true, nullptr, false, "horizontal scale (1 = 100 %)"},
    {Stored::No, 0, RecField::None, nullptr, kPaneXPercent, PaneKind::StaticText, "%", {188, 100, 8, 8},
     {328, 24, 20, 17}, 0, true, nullptr, false, nullptr},
    {Stored::No, 0, RecField::None, nullptr, kPaneYLabel, PaneKind::StaticText, "Y:", {216, 100, 27, 8},
     {360, 24, 22, 17}, 0, true, nullptr, true, nullptr},
    {Stored::Scale, 0, RecField::ScaleY, "ScY", kPaneScaleY, PaneKind::EditField, nullptr, {248, 99, 30, 12},
     {384, 20, 70, 22}, 6, true, nullptr, false, "vertical scale (1 = 100 %)"},
    {Stored::No, 0, RecField::None, nullptr, kPaneYPercent, PaneKind::StaticText, "%", {280, 100, 8, 8},
     {456, 24, 20, 17}, 0, true, nullptr, false, nullptr},
    {Stored::No, 0, RecField::None, nullptr, kPaneMetaData, PaneKind::PushButton, "metadata\xE2\x80\xA6",
     {213, 70, 68, 14}, {410, 74, 160, 28}, 0, false, "doMetaData:", false, nullptr},
    {Stored::Text, 0, RecField::Title, "Title", 0, PaneKind::None, nullptr, {}, {}, 0, false, nullptr, false,
     "document info: title"},
    {Stored::Text, 0, RecField::Author, "Author", 0, PaneKind::None, nullptr, {}, {}, 0, false, nullptr, false,
     "document info: author"},
    {Stored::Text, 0, RecField::Keywords, "Keywords", 0, PaneKind::None, nullptr, {}, {}, 0, false, nullptr, false,
     "document info: keywords"},
};

inline constexpr int kOptionCount = static_cast<int>(sizeof kOptions / sizeof kOptions[0]);

// The options pane as a whole: dialog resource 28050 in dialog units, the
// AppKit pane in points.
inline constexpr int kPaneDialogResource = 28050;
inline constexpr int kPaneWidth = 330, kPaneHeight = 121;
inline constexpr int kPaneFrameWidth = 600, kPaneFrameHeight = 210;
inline constexpr const char* kPaneTitle = "Folantra";

namespace options_detail {

constexpr int maxFlag()
{
    int most = 0;
    for (const OptionRow& row : kOptions)
        if (row.stored == Stored::Flag && row.flag > most)
            most = row.flag;
    return most;
}

constexpr int paneControls()
{
    int n = 0;
    for (const OptionRow& row : kOptions)
        n += row.kind != PaneKind::None ? 1 : 0;
    return n;
}

constexpr bool sameText(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    for (; *a != '\0' && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

// The index of the row of a pane control, or -1.
constexpr int indexOfPaneId(int id)
{
    for (int i = 0; i < kOptionCount; ++i)
        if (kOptions[i].kind != PaneKind::None && kOptions[i].paneId == id)
            return i;
    return -1;
}

// What the table must hold for the pane and the stores to work; each rule
// broken makes a compile error naming it.
constexpr bool idsUnique()
{
    for (int i = 0; i < kOptionCount; ++i)
        for (int j = i + 1; j < kOptionCount; ++j)
            if (kOptions[i].kind != PaneKind::None && kOptions[i].paneId == kOptions[j].paneId &&
                kOptions[j].kind != PaneKind::None)
                return false;
    return true;
}

constexpr bool controlsHaveIds()
{
    for (const OptionRow& row : kOptions)
        if ((row.kind != PaneKind::None) != (row.paneId > 0))
            return false;
    return true;
}

constexpr bool storedRowsComplete()
{
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionRow& row = kOptions[i];
        if ((row.stored == Stored::No) != (row.key == nullptr))
            return false;
        if (row.stored == Stored::Flag && (row.flag <= kFlagReserved || row.field != RecField::None))
            return false;
        bool scaleField = row.field == RecField::ScaleX || row.field == RecField::ScaleY;
        if (row.stored == Stored::Text && (row.field == RecField::None || scaleField))
            return false;
        if (row.stored == Stored::Scale && !scaleField)
            return false;
        for (int j = i + 1; j < kOptionCount; ++j) {
            const OptionRow& other = kOptions[j];
            if (row.key != nullptr && sameText(row.key, other.key))
                return false;
            if (row.stored == Stored::Flag && other.stored == Stored::Flag && row.flag == other.flag)
                return false;
        }
    }
    return true;
}

constexpr bool flagsAreCheckBoxes()
{
    for (const OptionRow& row : kOptions)
        if ((row.stored == Stored::Flag) != (row.kind == PaneKind::CheckBox))
            return false;
    return true;
}

constexpr bool enablersAreCheckBoxes()
{
    for (const OptionRow& row : kOptions)
        if (row.enabledBy != 0) {
            int by = indexOfPaneId(row.enabledBy);
            if (by < 0 || kOptions[by].kind != PaneKind::CheckBox || row.enabledBy == row.paneId)
                return false;
        }
    return true;
}

constexpr bool insidePane()
{
    for (const OptionRow& row : kOptions)
        if (row.kind != PaneKind::None &&
            (row.rect.x < 0 || row.rect.y < 0 || row.rect.x + row.rect.w > kPaneWidth ||
             row.rect.y + row.rect.h > kPaneHeight || row.frame.x < 0 || row.frame.y < 0 ||
             row.frame.x + row.frame.w > kPaneFrameWidth || row.frame.y + row.frame.h > kPaneFrameHeight))
            return false;
    return true;
}

} // namespace options_detail

static_assert(options_detail::idsUnique(), "two controls of the pane have the same id");
static_assert(options_detail::controlsHaveIds(), "a control without an id, or an id without a control");
static_assert(options_detail::storedRowsComplete(),
              "a stored row lacks its key, flag or field, or a key or flag index is used twice");
static_assert(options_detail::flagsAreCheckBoxes(), "every flag is shown as a check box, and only flags are");
static_assert(options_detail::enablersAreCheckBoxes(), "a control is enabled by something that is no check box");
static_assert(options_detail::insidePane(), "a control lies outside the pane");

// The record's flag bytes: the highest flag index and one, rounded up to keep
// the record's fields aligned, and never fewer than the eight it has always had.
inline constexpr int kFlagCount =
    (options_detail::maxFlag() + 1 + 3) / 4 * 4 < 8 ? 8 : (options_detail::maxFlag() + 1 + 3) / 4 * 4;
inline constexpr int kPaneControlCount = options_detail::paneControls();

// The row of a pane control, or null.
constexpr const OptionRow* paneRow(int id)
{
    int i = options_detail::indexOfPaneId(id);
    return i < 0 ? nullptr : &kOptions[i];
}

// The id of a flag's check box in the pane (0 when the flag has none).
constexpr int flagControl(std::int16_t flag)
{
    for (const OptionRow& row : kOptions)
        if (row.stored == Stored::Flag && row.flag == flag)
            return row.paneId;
    return 0;
}

// The key of a flag in documents and styles, or null.
constexpr const char* flagKey(std::int16_t flag)
{
    for (const OptionRow& row : kOptions)
        if (row.stored == Stored::Flag && row.flag == flag)
            return row.key;
    return nullptr;
}
