// The interface files against the window descriptions and the pane's table:
// every control the dialog runtime addresses has a view with that tag and of
// the same kind, no view carries a tag the runtime does not know, and every
// font has an explicit size (a font without one loads at 0 points).
#include "ui/panetable.h"
#include "ui/windesc.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Kind { CheckBox, PushButton, Field, Label };

const char* kindName(Kind k)
{
    switch (k) {
    case Kind::CheckBox: return "check box";
    case Kind::PushButton: return "push button";
    case Kind::Field: return "edit field";
    case Kind::Label: return "label";
    }
    return "?";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string resource(const std::string& name) { return std::string(FOLANTRA_SOURCE_DIR) + "/resources/" + name; }

// The tagged views of an interface file, by tag.
std::map<int, Kind> xibTags(const std::string& text)
{
    std::map<int, Kind> tags;
    std::regex view("<(button|textField)\\b[^>]*\\btag=\"([0-9]+)\"[^>]*>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), view); it != std::sregex_iterator(); ++it) {
        std::string element = (*it)[1];
        int tag = std::stoi((*it)[2]);
        // The cell follows the view's frame: it tells the kind.
        std::string rest = text.substr(static_cast<std::size_t>(it->position() + it->length()), 1200);
        std::size_t cellEnd = rest.find('>', rest.find("Cell key=\"cell\""));
        std::string cell = rest.substr(0, cellEnd);
        Kind kind;
        if (element == "button")
            kind = cell.find("type=\"check\"") != std::string::npos ? Kind::CheckBox : Kind::PushButton;
        else
            kind = cell.find("editable=\"YES\"") != std::string::npos ? Kind::Field : Kind::Label;
        EXPECT_EQ(tags.count(tag), 0u) << "tag " << tag << " twice";
        tags[tag] = kind;
    }
    return tags;
}

Kind descKind(std::uint32_t type)
{
    if (type == fourCC("cbox") || type == fourCC("rdio"))
        return Kind::CheckBox;
    if (type == fourCC("push"))
        return Kind::PushButton;
    if (type == fourCC("eutx") || type == fourCC("etxt"))
        return Kind::Field;
    return Kind::Label;
}

Kind paneKind(PaneKind k)
{
    switch (k) {
    case PaneKind::CheckBox: return Kind::CheckBox;
    case PaneKind::PushButton: return Kind::PushButton;
    case PaneKind::EditField: return Kind::Field;
    case PaneKind::StaticText:
    case PaneKind::ValueText: return Kind::Label;
    case PaneKind::None: break;
    }
    return Kind::Label;
}

void expectSame(const std::map<int, Kind>& expected, const std::map<int, Kind>& xib, const std::string& file)
{
    for (const auto& [id, kind] : expected) {
        auto it = xib.find(id);
        ASSERT_NE(it, xib.end()) << file << ": no view with tag " << id;
        EXPECT_EQ(it->second, kind) << file << ": tag " << id << " is a " << kindName(it->second) << ", not a "
                                    << kindName(kind);
    }
    for (const auto& [tag, kind] : xib)
        EXPECT_EQ(expected.count(tag), 1u) << file << ": tag " << tag << " (" << kindName(kind)
                                           << ") is no control of the runtime";
}

// The tags of the interface file's views in their order (views without a tag left out).
std::vector<int> xibOrder(const std::string& text)
{
    std::vector<int> order;
    std::regex view("<(button|textField)\\b[^>]*\\btag=\"([0-9]+)\"[^>]*>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), view); it != std::sregex_iterator(); ++it)
        order.push_back(std::stoi((*it)[2]));
    return order;
}

void expectSizedFonts(const std::string& text, const std::string& file)
{
    std::regex font("<font\\b[^>]*>");
    int fonts = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), font); it != std::sregex_iterator(); ++it, ++fonts)
        EXPECT_NE(it->str().find("size=\""), std::string::npos) << file << ": " << it->str();
    EXPECT_GT(fonts, 0) << file;
}

void checkDialog(const std::string& name)
{
    WinDesc desc;
    readWinDesc(readFile(resource(name + ".xml")).c_str(), &desc);
    std::map<int, Kind> expected;
    for (const WinDescControl& c : desc.controls)
        if (c.id > 0)
            expected[c.id] = descKind(c.type);
    ASSERT_FALSE(expected.empty()) << name;
    std::string xib = readFile(resource(name + ".xib"));
    expectSame(expected, xibTags(xib), name + ".xib");
    // The views in the description's order: the scripted user reads a window
    // in its views' order, the same on every toolkit.
    std::vector<int> order;
    for (const WinDescControl& c : desc.controls)
        if (c.id > 0)
            order.push_back(c.id);
    EXPECT_EQ(xibOrder(xib), order) << name << ".xib";
    expectSizedFonts(xib, name + ".xib");
    EXPECT_NE(xib.find("customClass=\"FolantraDlgController\""), std::string::npos) << "the owner's class";
}

} // namespace

TEST(InterfaceFiles, MetaDataMatchesItsDescription) { checkDialog("MetaData"); }

TEST(InterfaceFiles, PSNameMatchesItsDescription) { checkDialog("PSName"); }

TEST(InterfaceFiles, PaneMatchesThePaneTable)
{
    std::map<int, Kind> expected;
    forEachPaneControl([&](const OptionRow& c) { expected[c.paneId] = paneKind(c.kind); });
    std::string xib = readFile(resource("ExportStyles.xib"));
    expectSame(expected, xibTags(xib), "ExportStyles.xib");
    std::vector<int> order;
    forEachPaneControl([&](const OptionRow& c) { order.push_back(c.paneId); });
    EXPECT_EQ(xibOrder(xib), order) << "ExportStyles.xib: the views in the pane table's order";
    expectSizedFonts(xib, "ExportStyles.xib");
    EXPECT_NE(xib.find("customClass=\"FolantraStylesController\""), std::string::npos) << "the owner's class";
    EXPECT_NE(xib.find("customClass=\"FolantraPaneView\""), std::string::npos) << "the pane view's class";
}
