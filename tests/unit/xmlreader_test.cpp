#include "util/mystr.h"
#include "util/xmlreader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string xmlString(const char* text, const char* key, long* len = nullptr)
{
    char out[kXMLStringMax + 1] = "untouched";
    long n = getXMLString(text, key, out);
    if (len)
        *len = n;
    return out;
}

std::string xmlData(const char* text, const char* key)
{
    char* data = getXMLData(text, key);
    std::string s = data ? data : "<null>";
    myfree(data);
    return s;
}

std::vector<std::string> elements(const char* text, const char* key, size_t stopAfter = 1000)
{
    struct Ctx {
        std::vector<std::string> seen;
        size_t stopAfter;
    } ctx{{}, stopAfter};
    auto proc = [](char* element, long length, void* context) -> unsigned char {
        auto* c = static_cast<Ctx*>(context);
        c->seen.emplace_back(element, static_cast<size_t>(length));
        return c->seen.size() < c->stopAfter ? 1 : 0;
    };
    EnumXMLData(text, key, proc, &ctx);
    return ctx.seen;
}

} // namespace

TEST(XmlReaderMatching, TagsIgnoreCaseKeysMatchWholeFirstElementWins)
{
    const char* text = "<rect>1 2 &amp; 4\r\n</RECT><metaData>M</metaData><rect>second</rect>";
    EXPECT_EQ(xmlString(text, "Rect"), "1 2 &amp; 4\r\n"); // raw: no entities, no trimming
    EXPECT_EQ(xmlString(text, "METADATA"), "M");
    EXPECT_EQ(xmlString(text, "meta"), "untouched"); // the ">" is part of the tag
}

TEST(XmlReaderMatching, MissingPiecesLeaveTheBufferUntouched)
{
    long len = -1;
    for (const char* text : {static_cast<const char*>(nullptr), "<a>open only", "close only</a>"}) {
        EXPECT_EQ(xmlString(text, "a", &len), "untouched");
        EXPECT_EQ(len, 0);
        EXPECT_EQ(xmlData(text, "a"), "<null>");
    }
    EXPECT_EQ(xmlString("<a>x</a>", "", &len), "untouched");
    EXPECT_EQ(xmlString("<a></a>", "a", &len), "");
}

TEST(XmlReaderMatching, AttributeKeysCloseWholeForStringsAndAtTheBlankForData)
{
    const char* text = "<Item id=\"1\">one</Item><Item id=\"2\">two</Item id=\"2\">";
    EXPECT_EQ(xmlData(text, "Item id=\"1\""), "one");
    EXPECT_EQ(xmlString(text, "Item id=\"1\""), "untouched"); // needs </Item id="1">
    EXPECT_EQ(xmlString(text, "Item id=\"2\""), "two");
}

TEST(XmlReaderLimits, StringsAreCutAt250BytesDataIsNot)
{
    std::string content(300, 'x');
    std::string text = "<long>" + content + "</long>";
    long len = 0;
    EXPECT_EQ(xmlString(text.c_str(), "long", &len), content.substr(0, 250));
    EXPECT_EQ(len, 250);
    EXPECT_EQ(xmlData(text.c_str(), "long"), content);
}

TEST(XmlReaderLimits, KeysLongerThanTheirTagBuffersAreRefused)
{
    std::string k64(64, 'k'), k65(65, 'k'), k60(60, 'd'), k61(61, 'd');
    std::string text;
    for (const std::string& k : {k64, k65, k60, k61})
        text += "<" + k + ">v" + std::to_string(k.size()) + "</" + k + ">";
    EXPECT_EQ(xmlString(text.c_str(), k64.c_str()), "v64");
    EXPECT_EQ(xmlString(text.c_str(), k65.c_str()), "untouched");
    EXPECT_EQ(xmlData(text.c_str(), k60.c_str()), "v60");
    EXPECT_EQ(xmlData(text.c_str(), k61.c_str()), "<null>");
    EXPECT_EQ(elements(text.c_str(), k60.c_str()).size(), 1u);
    EXPECT_TRUE(elements(text.c_str(), k61.c_str()).empty());
}

TEST(XmlReaderValue, YesNoNumbersAndDefaults)
{
    const char* text = "<a>YES</a><b>NO</b><c>yes</c><d> 12</d><e>34px</e><f></f><g>-7</g>"
                       "<h>99999999999999999999999</h>";
    EXPECT_EQ(getXMLValue(text, "a", 5), 1);
    EXPECT_EQ(getXMLValue(text, "b", 5), 0);
    EXPECT_EQ(getXMLValue(text, "c", 5), 0); // exact case only; no digits gives 0
    EXPECT_EQ(getXMLValue(text, "d", 5), 12);
    EXPECT_EQ(getXMLValue(text, "e", 5), 34);
    EXPECT_EQ(getXMLValue(text, "f", 5), 5);
    EXPECT_EQ(getXMLValue(text, "g", 5), -7);
    EXPECT_EQ(getXMLValue(text, "h", 5), LONG_MAX);
    EXPECT_EQ(getXMLValue(text, "missing", 5), 5);
}

TEST(XmlReaderEnum, VisitsElementsInOrderAndNestedOnesAgain)
{
    auto seen = elements("<x>1</x> junk <X>2</X><y>no</y><x>3</x>", "x");
    EXPECT_EQ(seen, (std::vector<std::string>{"<x>1</x>", "<X>2</X>", "<x>3</x>"}));
    seen = elements("<g><g>in</g></g>", "g");
    EXPECT_EQ(seen, (std::vector<std::string>{"<g><g>in</g>", "<g>in</g>"}));
    seen = elements("<C t=\"b\">OK</C><C t=\"e\">E</C><C t=\"b\">X</C>", "C t=\"b\"");
    EXPECT_EQ(seen, (std::vector<std::string>{"<C t=\"b\">OK</C>", "<C t=\"b\">X</C>"}));
}

TEST(XmlReaderEnum, StopsWhenTheCallbackSaysSoOrATagIsMissing)
{
    EXPECT_EQ(elements("<x>1</x><x>2</x><x>3</x>", "x", 2).size(), 2u);
    EXPECT_EQ(elements("<x>1</x><x>unclosed", "x").size(), 1u);
    EXPECT_TRUE(elements(nullptr, "x").empty());
}
