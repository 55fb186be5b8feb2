#include "util/mystr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::u16string kFFFD(1, u'\xFFFD');

} // namespace

TEST(UtfConversion, AllSequenceLengthsAndSurrogatePairs)
{
    const char* text = "A\xC3\xA4\xE2\x80\xA6\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    std::u16string w = utf8ToUtf16(text);
    EXPECT_EQ(w, u"A\u00E4\u2026\U0001F600\U0010FFFF");
    EXPECT_EQ(utf16ToUtf8(w.data(), w.size()), text);
    EXPECT_EQ(utf8ToUtf16(nullptr), u"");
}

TEST(UtfConversion, InvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(utf8ToUtf16("\x80"), kFFFD);
    EXPECT_EQ(utf8ToUtf16("a\xC3"), u"a" + kFFFD);     // lead byte at the end
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), kFFFD + kFFFD); // overlong "/"
    EXPECT_EQ(utf8ToUtf16("\xFF" "b"), kFFFD + u"b");
    const char buf[] = {'x', '\xC3', '\xA4'}; // never read beyond the length
    EXPECT_EQ(utf8ToUtf16(buf, 2), u"x" + kFFFD);
    EXPECT_EQ(utf8ToUtf16(buf, 3), u"x\u00E4");
    const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00};
    EXPECT_EQ(utf16ToUtf8(lone, 4), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
#if !defined(_WIN32)
    // One replacement per maximal ill-formed part.
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98"), kFFFD);
    EXPECT_EQ(utf8ToUtf16("\xE2\x80z"), kFFFD + u"z");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), kFFFD + kFFFD + kFFFD); // encoded surrogate
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), std::u16string(4, u'\xFFFD'));
#endif
}

TEST(MyStrObject, EmptyObjectsAndReset)
{
    MyStr s;
    EXPECT_EQ(s.length(), 0);
    char buf[8] = "keep";
    EXPECT_FALSE(s.getString(buf, sizeof buf, kEncUTF8));
    EXPECT_FALSE(s.getPath(buf));
    EXPECT_STREQ(buf, "keep");
    EXPECT_TRUE(MyStr(nullptr, 1).isEmpty());

    MyStr a("abc\xC3\xA4", 0);
    MyStr b = a;
    a.reset();
    a.reset();
    EXPECT_EQ(a.length(), 0);
    EXPECT_STREQ(a.utf8(), "");
    EXPECT_EQ(b.length(), 4);
    EXPECT_STREQ(b.utf8(), "abc\xC3\xA4");
    EXPECT_STREQ(MyStr(-42L).utf8(), "-42");
}

TEST(MyStrObject, UStringIsAnOwnedCopy)
{
    MyStr s("\xF0\x9F\x98\x80!", 0);
    EXPECT_EQ(s.length(), 3);
    char16_t* copy = s.getUString();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy), u"\U0001F600!");
    myfree(copy);
}

TEST(MyStrObject, GetStringInEachEncodingCutsAtCharacterBoundaries)
{
    MyStr s("A\xC3\x84\xE2\x82\xAC\xE2\x86\x92", 0); // A Ä € →
    char buf[32];
    ASSERT_TRUE(s.getString(buf, sizeof buf, kEncUTF8));
    EXPECT_STREQ(buf, "A\xC3\x84\xE2\x82\xAC\xE2\x86\x92");
    ASSERT_TRUE(s.getString(buf, 5, kEncUTF8)); // "€" does not fit
    EXPECT_STREQ(buf, "A\xC3\x84");
    ASSERT_TRUE(s.getString(buf, sizeof buf, kEncMacRoman));
    EXPECT_STREQ(buf, "A\x80\xDB?");

    char16_t units[8] = {};
    ASSERT_TRUE(s.getString(reinterpret_cast<char*>(units), sizeof units, kEncUTF16));
    EXPECT_EQ(std::u16string(units), u"A\u00C4\u20AC\u2192");
    ASSERT_TRUE(MyStr("\xF0\x9F\x98\x80", 0).getString(reinterpret_cast<char*>(units), 4, kEncUTF16));
    EXPECT_EQ(units[0], 0); // half a surrogate pair is never written
}

TEST(MyStrObject, PathsMustFitTheirBuffer)
{
    char path[512];
    ASSERT_TRUE(MyStr("/tmp/r\xC3\xA9sum\xC3\xA9.ps", 0).getPath(path));
    EXPECT_STREQ(path, "/tmp/r\xC3\xA9sum\xC3\xA9.ps");
    std::strcpy(path, "keep");
    EXPECT_FALSE(MyStr(std::string(600, 'p').c_str(), 0).getPath(path));
    EXPECT_STREQ(path, "keep");
}

TEST(Utf8Cuts, EveryCutEndsAtACharacter)
{
    const std::string text = "a\xC3\xA4\xE2\x80\xA6\xF0\x9F\x98\x80"; // 1 + 2 + 3 + 4 bytes
    const std::size_t expect[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10};
    for (std::size_t max = 0; max <= text.size(); ++max) {
        SCOPED_TRACE(max);
        EXPECT_EQ(utf8Fit(text.data(), text.size(), max), expect[max]);
        // A text already cut at a byte count loses its broken end.
        EXPECT_EQ(utf8Complete(text.data(), max), expect[max]);
        EXPECT_EQ(cutUTF8(text, max), text.substr(0, expect[max]));
        char out[16];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(copyUTF8(out, max + 1, text.c_str()), expect[max]);
        EXPECT_EQ(std::string(out), text.substr(0, expect[max]));
        EXPECT_EQ(formatUTF8(out, max + 1, "%s", text.c_str()), static_cast<int>(expect[max]));
        EXPECT_EQ(std::string(out), text.substr(0, expect[max]));
    }
    // Stray continuation bytes are cut where the limit falls.
    EXPECT_EQ(utf8Fit("\x80\x80\x80\x80\x80\x80", 6, 5), 5u);
    EXPECT_EQ(utf8Complete("\x80\x80\x80\x80\x80", 5), 5u);
    EXPECT_EQ(utf8Fit("\xC3\xA4\x80\x80", 4, 2), 2u);
}

TEST(Allocation, ZeroFilledAndOverflowSafe)
{
    unsigned char* p = static_cast<unsigned char*>(myalloc(16, 4));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 64), std::string(64, '\0'));
    myfree(p);
    EXPECT_EQ(myalloc(SIZE_MAX / 2, 4), nullptr);
}
