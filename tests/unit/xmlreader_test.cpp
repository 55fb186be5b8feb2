#include "util/mystr.h"
#include "util/xmlreader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
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
    if (!data)
        return "<null>";
    std::string s(data);
    myfree(data);
    return s;
}

std::vector<std::string> elements(const char* text, const char* key, size_t stopAfter = 1000)
{
    struct Ctx {
        std::vector<std::string> seen;
        size_t stopAfter;
    } ctx{{}, stopAfter};
    EnumXMLData(
        text, key,
        [](char* element, long length, void* context) -> unsigned char {
            auto* c = static_cast<Ctx*>(context);
            EXPECT_EQ(static_cast<size_t>(length), std::string(element).size());
            c->seen.emplace_back(element, static_cast<size_t>(length));
            return c->seen.size() < c->stopAfter ? 1 : 0;
        },
        &ctx);
    return ctx.seen;
}

} // namespace

TEST(XmlReaderMatching, TagsCompareWithoutRegardToCaseButKeysMatchWhole)
{
    const char* text = "<rect>1 2 3 4</RECT><metaData>M</metaData>";
    EXPECT_EQ(xmlString(text, "Rect"), "1 2 3 4");
    EXPECT_EQ(xmlString(text, "METADATA"), "M");
    EXPECT_EQ(xmlString(text, "meta"), "untouched"); // the ">" is part of the tag
    EXPECT_EQ(xmlString(text, "rec"), "untouched");
}

TEST(XmlReaderMatching, FirstElementWinsAndContentIsTakenRaw)
{
    const char* text = "<a> &amp; x\r\n</a><a>second</a>";
    EXPECT_EQ(xmlString(text, "a"), " &amp; x\r\n");
    EXPECT_EQ(xmlData(text, "a"), " &amp; x\r\n");
}

TEST(XmlReaderMatching, MissingPiecesLeaveTheBufferUntouched)
{
    long len = -1;
    EXPECT_EQ(xmlString(nullptr, "a", &len), "untouched");
    EXPECT_EQ(len, 0);
    EXPECT_EQ(xmlString("<a>x</a>", "", &len), "untouched");
    EXPECT_EQ(xmlString("<a>open only", "a", &len), "untouched");
    EXPECT_EQ(xmlString("close only</a>", "a", &len), "untouched");
    EXPECT_EQ(len, 0);
    EXPECT_EQ(xmlString("<a></a>", "a", &len), "");
    EXPECT_EQ(len, 0);
    EXPECT_EQ(xmlData("<a>open only", "a"), "<null>");
    EXPECT_EQ(xmlData(nullptr, "a"), "<null>");
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
    content[249] = 'y';
    std::string text = "<long>" + content + "</long>";
    long len = 0;
    EXPECT_EQ(xmlString(text.c_str(), "long", &len), content.substr(0, 250));
    EXPECT_EQ(len, 250);
    EXPECT_EQ(xmlData(text.c_str(), "long"), content);
}

TEST(XmlReaderLimits, KeyLengthsAreRefusedBeyondTheirBuffers)
{
    std::string k64(64, 'k'), k65(65, 'k'), k60(60, 'd'), k61(61, 'd');
    std::string text = "<" + k64 + ">v64</" + k64 + "><" + k65 + ">v65</" + k65 + "><" + k60 + ">v60</" + k60 +
                       "><" + k61 + ">v61</" + k61 + ">";
    EXPECT_EQ(xmlString(text.c_str(), k64.c_str()), "v64");
    EXPECT_EQ(xmlString(text.c_str(), k65.c_str()), "untouched");
    EXPECT_EQ(xmlData(text.c_str(), k60.c_str()), "v60");
    EXPECT_EQ(xmlData(text.c_str(), k61.c_str()), "<null>");
    EXPECT_EQ(elements(text.c_str(), k60.c_str()).size(), 1u);
    EXPECT_TRUE(elements(text.c_str(), k61.c_str()).empty());
    std::string huge(5000, 'h');
    EXPECT_EQ(xmlData(text.c_str(), huge.c_str()), "<null>");
}

TEST(XmlReaderValue, YesNoNumbersAndDefaults)
{
    const char* text = "<a>YES</a><b>NO</b><c>yes</c><d> 12</d><e>34px</e><f></f><g>-7</g><h>+8</h><i>x1</i>";
    EXPECT_EQ(getXMLValue(text, "a", 5), 1);
    EXPECT_EQ(getXMLValue(text, "b", 5), 0);
    EXPECT_EQ(getXMLValue(text, "c", 5), 0); // exact case only; no digits gives 0
    EXPECT_EQ(getXMLValue(text, "d", 5), 12);
    EXPECT_EQ(getXMLValue(text, "e", 5), 34);
    EXPECT_EQ(getXMLValue(text, "f", 5), 5);
    EXPECT_EQ(getXMLValue(text, "g", 5), -7);
    EXPECT_EQ(getXMLValue(text, "h", 5), 8);
    EXPECT_EQ(getXMLValue(text, "i", 5), 0);
    EXPECT_EQ(getXMLValue(text, "missing", 5), 5);
}

TEST(XmlReaderValue, HugeNumbersHoldAtTheLimits)
{
    EXPECT_EQ(getXMLValue("<n>99999999999999999999999999</n>", "n", 0), LONG_MAX);
    EXPECT_EQ(getXMLValue("<n>-99999999999999999999999999</n>", "n", 0), LONG_MIN);
}

TEST(XmlReaderEnum, VisitsEachElementInOrderWithItsTags)
{
    auto seen = elements("<x>1</x> junk <X>2</X><y>no</y><x>3</x>", "x");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "<x>1</x>");
    EXPECT_EQ(seen[1], "<X>2</X>");
    EXPECT_EQ(seen[2], "<x>3</x>");
}

TEST(XmlReaderEnum, NestedElementsAreVisitedAgainOnTheirOwn)
{
    auto seen = elements("<g><g>in</g></g>", "g");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "<g><g>in</g>");
    EXPECT_EQ(seen[1], "<g>in</g>");
}

TEST(XmlReaderEnum, StopsWhenTheCallbackSaysSoOrATagIsMissing)
{
    EXPECT_EQ(elements("<x>1</x><x>2</x><x>3</x>", "x", 2).size(), 2u);
    EXPECT_EQ(elements("<x>1</x><x>unclosed", "x").size(), 1u);
    EXPECT_TRUE(elements(nullptr, "x").empty());
    EXPECT_TRUE(elements("<x>1</x>", "").empty());
}

TEST(XmlReaderEnum, KeysWithAttributesCloseAtTheTagName)
{
    auto seen = elements("<Ctl type=\"btn\">OK</Ctl><Ctl type=\"edit\">E</Ctl><Ctl type=\"btn\">C</Ctl>", "Ctl type=\"btn\"");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], "<Ctl type=\"btn\">C</Ctl>");
}
