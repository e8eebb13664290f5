// Text helpers (UTF conversion, leading numbers, split, trim, replace) and
// the shared random sequence.
#include <gtest/gtest.h>

#include "host/rnd.h"
#include "host/text.h"

TEST(Text, Utf8RoundTrip) {
    String s = u"a\u00f1\u20ac\U0001F600\U0010FFFF";
    EXPECT_EQ(ToUtf8(s), "a\xc3\xb1\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf");
    bool ok = false;
    EXPECT_EQ(FromUtf8(ToUtf8(s), &ok), s);
    EXPECT_TRUE(ok);
    // A surrogate without its partner has no UTF-8 form.
    EXPECT_EQ(ToUtf8(String(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00)), "x\xef\xbf\xbdy\xef\xbf\xbd");
}

TEST(Text, InvalidUtf8BecomesOneReplacementPerBadStretch) {
    struct Case {
        std::string bytes;
        String text;
    };
    const Case cases[] = {
        {"\xc3"
         "A",
         u"\uFFFDA"},  // cut-off two-byte sequence
        {"a\x80\xbf"
         "b",
         u"a\uFFFD\uFFFDb"},                                // stray continuation bytes
        {"\xc0\xaf", u"\uFFFD\uFFFD"},                      // overlong '/'
        {"\xe0\x80\xaf", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xf0\x9f\x98"
         "x",
         u"\uFFFDx"},  // cut-off four-byte sequence
        {"\xf8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"end\xf0\x9f", u"end\uFFFD"},
    };
    for (const Case& c : cases) {
        bool ok = true;
        EXPECT_EQ(FromUtf8(c.bytes, &ok), c.text) << c.bytes;
        EXPECT_FALSE(ok) << c.bytes;
    }
}

TEST(Text, LeadingNumberReads) {
    struct Case {
        const char16_t* in;
        long long want;
    } cases[] = {{u"42", 42}, {u"  -7x", -7}, {u"abc", 0}, {u"+3|", 3}, {u"", 0}};
    for (auto& c : cases) EXPECT_EQ(StringToInt(c.in), c.want) << ToUtf8(c.in);
    EXPECT_DOUBLE_EQ(StringToFloat(u"2.5e1z"), 25.0);
}

TEST(Text, SplitTrimReplace) {
    auto parts = Split(u"a==b==", u"==");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2], u"");
    EXPECT_EQ(Trim(u" \t x y \r\n"), u"x y");
    EXPECT_EQ(Replace(u"a\\nb", u"\\n", u"\n"), u"a\nb");
}

TEST(Rnd, FollowsTheSharedSequence) {
    rnd::Seed() = 1234;
    std::uint32_t s = 1234;
    for (int i = 0; i < 5; ++i) {
        s = s * 1664525u + 1013904223u;
        EXPECT_DOUBLE_EQ(Rnd(), (s >> 8) / 16777216.0);
    }
    rnd::Seed() = 1234;
    double v = Rnd(2.0, 4.0);
    EXPECT_GE(v, 2.0);
    EXPECT_LT(v, 4.0);
}
