// Text helpers (UTF conversion, leading numbers, split, trim, replace) and
// the shared random sequence.
#include <gtest/gtest.h>

#include "host/rnd.h"
#include "host/text.h"

TEST(Text, Utf8RoundTripAndInvalidFallsBackToBytes) {
    String s = u"a\u00f1\u20ac";
    EXPECT_EQ(ToUtf8(s), "a\xc3\xb1\xe2\x82\xac");
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    bool ok = true;
    EXPECT_EQ(FromUtf8("\xc3"
                       "A",
                       &ok),
              String(u"\u00c3A"));
    EXPECT_FALSE(ok);
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
