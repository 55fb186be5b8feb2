// folantra-panegen: writes the options pane's resources from the option table
// (job/options.h): the Windows dialog resource 28050 (resources/optionspane.rc),
// the AppKit pane (resources/ExportStyles.xib), and the list of the flags'
// check boxes that tests/golden/run-flags.sh clicks on every toolkit
// (tests/golden/pane-flags.txt).
//
//   folantra-panegen --write SOURCE-TREE   writes the three files
//   folantra-panegen --check SOURCE-TREE   exit status 1 when one is not what the table gives
#include "job/options.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* fmt, ...)
{
    char line[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    return line;
}

const char* labelOf(const OptionRow& row) { return row.label != nullptr ? row.label : ""; }

std::string resourceScript()
{
    std::string rc;
    rc += "// The options pane (dialog 28050) of the print dialog and the output-style editor.\n";
    rc += "// Generated from the option table in job/options.h by tools/panegen; a test checks\n";
    rc += "// that this file and the table agree. The labels are keys of the string table.\n";
    rc += "#pragma code_page(65001)\n";
    rc += "#include <windows.h>\n\n";
    rc += format("%d DIALOGEX 0, 0, %d, %d\n", kPaneDialogResource, kPaneWidth, kPaneHeight);
    rc += "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD\n";
    rc += std::string("CAPTION \"") + kPaneTitle + "\"\n";
    rc += "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n";
    rc += "BEGIN\n";
    for (const OptionRow& s : kOptions) {
        const PaneRect& r = s.rect;
        switch (s.kind) {
        case PaneKind::None: break;
        case PaneKind::CheckBox:
            rc += format("    AUTOCHECKBOX \"%s\", %d, %d, %d, %d, %d\n", labelOf(s), s.paneId, r.x, r.y, r.w, r.h);
            break;
        case PaneKind::PushButton:
            rc += format("    PUSHBUTTON \"%s\", %d, %d, %d, %d, %d\n", labelOf(s), s.paneId, r.x, r.y, r.w, r.h);
            break;
        case PaneKind::StaticText:
        case PaneKind::ValueText:
            // '&' shows as itself: the folder label shows a folder's name.
            rc += format("    LTEXT \"%s\", %d, %d, %d, %d, %d, SS_LEFT | SS_NOPREFIX | WS_GROUP\n", labelOf(s),
                         s.paneId, r.x, r.y, r.w, r.h);
            break;
        case PaneKind::EditField:
            rc += format("    EDITTEXT %d, %d, %d, %d, %d, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP\n", s.paneId, r.x,
                         r.y, r.w, r.h);
            break;
        }
    }
    rc += "END\n";
    return rc;
}

std::string xmlText(const char* text)
{
    std::string out;
    for (const char* p = text; *p != '\0'; ++p)
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += *p;
        }
    return out;
}

std::string xibView(const OptionRow& row)
{
    const int tag = row.paneId;
    const std::string title = xmlText(labelOf(row));
    const std::string in = "                ";
    std::string frame = format("%s    <rect key=\"frame\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/>\n"
                               "%s    <autoresizingMask key=\"autoresizingMask\" flexibleMaxX=\"YES\" "
                               "flexibleMinY=\"YES\"/>\n",
                               in.c_str(), row.frame.x, row.frame.y, row.frame.w, row.frame.h, in.c_str());
    std::string actions;
    if (row.action != nullptr)
        actions = format("%s    <connections>\n%s        <action selector=\"%s\" target=\"-2\" id=\"a%d\"/>\n"
                         "%s    </connections>\n",
                         in.c_str(), in.c_str(), row.action, tag, in.c_str());
    const std::string font13 = in + "        <font key=\"font\" metaFont=\"system\" size=\"13\"/>\n";
    switch (row.kind) {
    case PaneKind::CheckBox:
        return format("%s<button fixedFrame=\"YES\" tag=\"%d\" translatesAutoresizingMaskIntoConstraints=\"NO\" "
                      "id=\"v%d\">\n",
                      in.c_str(), tag, tag) +
               frame +
               format("%s    <buttonCell key=\"cell\" type=\"check\" title=\"%s\" bezelStyle=\"regularSquare\" "
                      "imagePosition=\"left\" inset=\"2\" tag=\"%d\" id=\"c%d\">\n",
                      in.c_str(), title.c_str(), tag, tag) +
               in +
               "        <behavior key=\"behavior\" changeContents=\"YES\" doesNotDimImage=\"YES\" "
               "lightByContents=\"YES\"/>\n" +
               font13 + in + "    </buttonCell>\n" + actions + in + "</button>\n";
    case PaneKind::PushButton:
        return format("%s<button verticalHuggingPriority=\"750\" fixedFrame=\"YES\" tag=\"%d\" "
                      "translatesAutoresizingMaskIntoConstraints=\"NO\" id=\"v%d\">\n",
                      in.c_str(), tag, tag) +
               frame +
               format("%s    <buttonCell key=\"cell\" type=\"push\" title=\"%s\" bezelStyle=\"rounded\" "
                      "alignment=\"center\" borderStyle=\"border\" imageScaling=\"proportionallyDown\" inset=\"2\" "
                      "tag=\"%d\" id=\"c%d\">\n",
                      in.c_str(), title.c_str(), tag, tag) +
               in + "        <behavior key=\"behavior\" pushIn=\"YES\" lightByBackground=\"YES\" lightByGray=\"YES\"/>\n" +
               font13 + in + "    </buttonCell>\n" + actions + in + "</button>\n";
    case PaneKind::StaticText:
    case PaneKind::ValueText: {
        const bool value = row.kind == PaneKind::ValueText;
        return format("%s<textField horizontalHuggingPriority=\"251\" verticalHuggingPriority=\"750\" "
                      "fixedFrame=\"YES\" tag=\"%d\" translatesAutoresizingMaskIntoConstraints=\"NO\" id=\"v%d\">\n",
                      in.c_str(), tag, tag) +
               frame +
               format("%s    <textFieldCell key=\"cell\" lineBreakMode=\"truncatingTail\" "
                      "sendsActionOnEndEditing=\"YES\" title=\"%s\"%s tag=\"%d\" id=\"c%d\">\n",
                      in.c_str(), title.c_str(), row.rightAligned ? " alignment=\"right\"" : "", tag, tag) +
               (value ? in + "        <font key=\"font\" metaFont=\"smallSystem\" size=\"11\"/>\n" : font13) + in +
               "        <color key=\"textColor\" name=\"labelColor\" catalog=\"System\" colorSpace=\"catalog\"/>\n" +
               in +
               "        <color key=\"backgroundColor\" name=\"controlColor\" catalog=\"System\" "
               "colorSpace=\"catalog\"/>\n" +
               in + "    </textFieldCell>\n" + actions + in + "</textField>\n";
    }
    case PaneKind::EditField:
        return format("%s<textField verticalHuggingPriority=\"750\" fixedFrame=\"YES\" tag=\"%d\" "
                      "translatesAutoresizingMaskIntoConstraints=\"NO\" id=\"v%d\">\n",
                      in.c_str(), tag, tag) +
               frame +
               format("%s    <textFieldCell key=\"cell\" scrollable=\"YES\" lineBreakMode=\"clipping\" "
                      "selectable=\"YES\" editable=\"YES\" sendsActionOnEndEditing=\"YES\" state=\"on\" "
                      "borderStyle=\"bezel\" drawsBackground=\"YES\" tag=\"%d\" id=\"c%d\">\n",
                      in.c_str(), tag, tag) +
               font13 + in +
               "        <color key=\"textColor\" name=\"controlTextColor\" catalog=\"System\" "
               "colorSpace=\"catalog\"/>\n" +
               in +
               "        <color key=\"backgroundColor\" name=\"textBackgroundColor\" catalog=\"System\" "
               "colorSpace=\"catalog\"/>\n" +
               in + "    </textFieldCell>\n" + actions + in + "</textField>\n";
    case PaneKind::None: break;
    }
    return std::string();
}

std::string interfaceFile()
{
    std::string xib =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- The options pane. Generated from the option table in job/options.h by tools/panegen;\n"
        "     a test checks that this file and the table agree. The titles are keys of the string table. -->\n"
        "<document type=\"com.apple.InterfaceBuilder3.Cocoa.XIB\" version=\"3.0\" toolsVersion=\"14490.70\" "
        "targetRuntime=\"MacOSX.Cocoa\" propertyAccessControl=\"none\" useAutolayout=\"NO\">\n"
        "    <dependencies>\n"
        "        <plugIn identifier=\"com.apple.InterfaceBuilder.CocoaPlugin\" version=\"14490.70\"/>\n"
        "    </dependencies>\n"
        "    <objects>\n"
        "        <customObject id=\"-2\" userLabel=\"File's Owner\" customClass=\"FolantraStylesController\">\n"
        "            <connections>\n"
        "                <outlet property=\"view\" destination=\"pane\" id=\"paneOutlet\"/>\n"
        "            </connections>\n"
        "        </customObject>\n"
        "        <customObject id=\"-1\" userLabel=\"First Responder\" customClass=\"FirstResponder\"/>\n"
        "        <customObject id=\"-3\" userLabel=\"Application\" customClass=\"NSObject\"/>\n";
    xib += format("        <customView id=\"pane\" customClass=\"FolantraPaneView\" userLabel=\"%s\">\n", kPaneTitle);
    xib += format("            <rect key=\"frame\" x=\"0.0\" y=\"0.0\" width=\"%d\" height=\"%d\"/>\n",
                  kPaneFrameWidth, kPaneFrameHeight);
    xib += "            <autoresizingMask key=\"autoresizingMask\" flexibleMaxX=\"YES\" flexibleMinY=\"YES\"/>\n";
    xib += "            <subviews>\n";
    for (const OptionRow& row : kOptions)
        xib += xibView(row);
    xib += "            </subviews>\n";
    xib += "        </customView>\n";
    xib += "    </objects>\n";
    xib += "</document>\n";
    return xib;
}

// One line per flag: the check box's id, the key, the id of the check box that
// enables it (0 for none) and the label key, separated by tabs.
std::string flagList()
{
    std::string list = "# The flags' check boxes: id, key, enabling check box, label key. Generated from\n"
                       "# job/options.h by tools/panegen; read by tests/golden/run-flags.sh.\n";
    for (const OptionRow& row : kOptions)
        if (row.stored == Stored::Flag)
            list += format("%d\t%s\t%d\t%s\n", row.paneId, row.key, row.enabledBy, labelOf(row));
    return list;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "--write") != 0 && std::strcmp(argv[1], "--check") != 0)) {
        std::cerr << "usage: folantra-panegen --write|--check SOURCE-TREE\n";
        return 2;
    }
    const bool write = std::strcmp(argv[1], "--write") == 0;
    const std::string dir = argv[2];
    const std::pair<std::string, std::string> files[] = {{"resources/optionspane.rc", resourceScript()},
                                                         {"resources/ExportStyles.xib", interfaceFile()},
                                                         {"tests/golden/pane-flags.txt", flagList()}};
    int status = 0;
    for (const auto& [name, text] : files) {
        const std::string path = dir + "/" + name;
        if (write) {
            if (!writeFile(path, text)) {
                std::cerr << "folantra-panegen: cannot write " << path << "\n";
                status = 1;
            }
        } else if (readFile(path) != text) {
            std::cerr << path << " is not what job/options.h gives: run folantra-panegen --write " << dir << "\n";
            status = 1;
        }
    }
    return status;
}
