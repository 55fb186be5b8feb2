#include "util/mystr.h"
#include "util/mystrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::u16string kFFFD(1, u'\xFFFD');

} // namespace

TEST(Utf8ToUtf16, ConvertsAllSequenceLengthsWithSurrogatePairs)
{
    EXPECT_EQ(utf8ToUtf16("A\xC3\xA4\xE2\x80\xA6\xF0\x9F\x98\x80"), u"A\u00E4\u2026\U0001F600");
    EXPECT_EQ(utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(utf8ToUtf16(nullptr), u"");
}

TEST(Utf8ToUtf16, RoundTripsValidText)
{
    const char* samples[] = {"", "plain", "Schl\xC3\xBCsselw\xC3\xB6rter", "\xE2\x80\xA6\xF0\x9F\x98\x80z"};
    for (const char* s : samples) {
        std::u16string w = utf8ToUtf16(s);
        EXPECT_EQ(utf16ToUtf8(w.data(), w.size()), s);
    }
}

TEST(Utf8ToUtf16, InvalidBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(utf8ToUtf16("\x80"), kFFFD);
    EXPECT_EQ(utf8ToUtf16("a\xC3"), u"a" + kFFFD);        // lead byte at the end
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), kFFFD + kFFFD);    // overlong "/"
    EXPECT_EQ(utf8ToUtf16("\xFF" "b"), kFFFD + u"b");
    // Bounded by the length: the lead byte's continuation lies beyond it.
    const char buf[] = {'x', '\xC3', '\xA4'};
    EXPECT_EQ(utf8ToUtf16(buf, 2), u"x" + kFFFD);
    EXPECT_EQ(utf8ToUtf16(buf, 3), u"x\u00E4");
}

#if !defined(_WIN32)
TEST(Utf8ToUtf16, OneReplacementPerMaximalIllFormedPart)
{
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98"), kFFFD);                   // truncated four-byte sequence
    EXPECT_EQ(utf8ToUtf16("\xE2\x80z"), kFFFD + u"z");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), kFFFD + kFFFD + kFFFD);   // encoded surrogate
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string(4, u'\xFFFD')); // beyond U+10FFFF
}
#endif

TEST(Utf16ToUtf8, UnpairedSurrogatesBecomeReplacementCharacters)
{
    const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00};
    EXPECT_EQ(utf16ToUtf8(lone, 4), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    const char16_t pair[] = {0xD83D, 0xDE00};
    EXPECT_EQ(utf16ToUtf8(pair, 2), "\xF0\x9F\x98\x80");
}

TEST(MyStrObject, EmptyObjectHasNoLengthAndLeavesBuffersAlone)
{
    MyStr s;
    EXPECT_EQ(s.length(), 0);
    EXPECT_TRUE(s.isEmpty());
    char buf[8] = "keep";
    EXPECT_FALSE(s.getString(buf, sizeof buf, kEncUTF8));
    EXPECT_STREQ(buf, "keep");
    EXPECT_FALSE(s.getPath(buf));
    MyStr n(nullptr, 1);
    EXPECT_TRUE(n.isEmpty());
}

TEST(MyStrObject, ResetTwiceIsHarmlessAndCopiesAreIndependent)
{
    MyStr a("abc\xC3\xA4", 0);
    MyStr b = a;
    a.reset();
    a.reset();
    EXPECT_EQ(a.length(), 0);
    EXPECT_STREQ(a.utf8(), "");
    EXPECT_EQ(b.length(), 4);
    EXPECT_STREQ(b.utf8(), "abc\xC3\xA4");
}

TEST(MyStrObject, NumbersAndTranslation)
{
    EXPECT_STREQ(MyStr(-42L).utf8(), "-42");
    EXPECT_STREQ(MyStr("title:", 1).utf8(), "title:"); // no table loaded: shown as written
    EXPECT_STREQ(MyStr("title:", 0).utf8(), "title:");
}

TEST(MyStrObject, UString)
{
    MyStr s("\xF0\x9F\x98\x80!", 0);
    EXPECT_EQ(s.length(), 3);
    char16_t* copy = s.getUString();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy), u"\U0001F600!");
    myfree(copy);
    EXPECT_EQ(std::u16string(s.utf16()), u"\U0001F600!");
}

TEST(MyStrObject, GetStringInEachEncodingCutsAtCharacterBoundaries)
{
    MyStr s("A\xC3\x84\xE2\x82\xAC\xE2\x86\x92", 0); // A Ä € →
    char buf[32];
    ASSERT_TRUE(s.getString(buf, sizeof buf, kEncUTF8));
    EXPECT_STREQ(buf, "A\xC3\x84\xE2\x82\xAC\xE2\x86\x92");
    ASSERT_TRUE(s.getString(buf, 5, kEncUTF8)); // "A" + "Ä" fits, "€" does not
    EXPECT_STREQ(buf, "A\xC3\x84");
    ASSERT_TRUE(s.getString(buf, sizeof buf, kEncMacRoman));
    EXPECT_STREQ(buf, "A\x80\xDB?");
    ASSERT_TRUE(s.getString(buf, 3, kEncMacRoman));
    EXPECT_STREQ(buf, "A\x80");

    char16_t units[8] = {};
    ASSERT_TRUE(s.getString(reinterpret_cast<char*>(units), sizeof units, kEncUTF16));
    EXPECT_EQ(std::u16string(units), u"A\u00C4\u20AC\u2192");
    MyStr pair("\xF0\x9F\x98\x80", 0);
    ASSERT_TRUE(pair.getString(reinterpret_cast<char*>(units), 4, kEncUTF16)); // room for one unit only
    EXPECT_EQ(units[0], 0); // half a pair is never written
}

TEST(MyStrObject, PathsMustFitTheirBuffer)
{
    char path[512];
    MyStr p("/tmp/r\xC3\xA9sum\xC3\xA9.ps", 0);
    ASSERT_TRUE(p.getPath(path));
    EXPECT_STREQ(path, "/tmp/r\xC3\xA9sum\xC3\xA9.ps");
    std::string tooLong(600, 'p');
    std::strcpy(path, "keep");
    EXPECT_FALSE(MyStr(tooLong.c_str(), 0).getPath(path));
    EXPECT_STREQ(path, "keep");
}

TEST(Allocation, ZeroFilledAndOverflowSafe)
{
    unsigned char* p = static_cast<unsigned char*>(myalloc(16, 4));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(p[i], 0);
    myfree(p);
    EXPECT_EQ(myalloc(SIZE_MAX / 2, 4), nullptr);
    void* none = myalloc(0, 1);
    EXPECT_NE(none, nullptr);
    myfree(none);
    myfree(nullptr);
}
