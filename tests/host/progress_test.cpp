// The progress record in the state file: round trip, tampering, and a
// missing file.
#include <gtest/gtest.h>

#include "host/files.h"
#include "host/progress.h"
#include "support/temp_dir.h"

TEST(Base64, EncodesAndDecodes) {
    struct Case {
        String plain, encoded;
    };
    const Case cases[] = {
        {u"", u""},        {u"f", u"Zg=="},          {u"fo", u"Zm8="},
        {u"foo", u"Zm9v"}, {u"foobar", u"Zm9vYmFy"}, {String(u"\u00FF\u0000\u0080", 3), u"/wCA"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StringToBase64(c.plain), c.encoded);
        if (!c.encoded.empty()) {
            EXPECT_EQ(Base64ToString(c.encoded).substr(0, c.plain.size()), c.plain);
        }
    }
    // Padding leaves code-0 characters behind; only the low byte is encoded.
    EXPECT_EQ(Base64ToString(u"Zm8="), String(u"fo\0", 3));
    EXPECT_EQ(Base64ToString(u"Zg=="), String(u"f\0\0", 3));
    EXPECT_EQ(StringToBase64(u"\u0166"), u"Zg==");

    testing::internal::CaptureStdout();
    EXPECT_EQ(Base64ToString(u"abc"), u"");
    EXPECT_EQ(Base64ToString(u""), u"");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Base64ToString: Data length must be divisible by 4\n"
              "Base64ToString: Data length must be divisible by 4\n");
}

TEST(Progress, RoundTripsAndRejectsTampering) {
    ScopedTempDir dir;
    EXPECT_EQ(kProgressKey.size(), 27u);
    for (int p : {0, 3, 6}) {
        ASSERT_EQ(SaveProgress(p), 0);
        EXPECT_EQ(LoadProgress(), p);
    }
    ASSERT_EQ(SaveProgress(3), 0);
    String saved = LoadState();
    EXPECT_EQ(saved.find(u'3'), String::npos) << "the record is stored enciphered";

    // A changed character yields 0, except where it only touches bits the
    // record does not use (or, rarely, makes another value that passes the
    // check).
    int zeros = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        String tampered = saved;
        tampered[i] = tampered[i] == u'A' ? u'B' : u'A';
        ASSERT_EQ(SaveState(tampered), 0);
        if (LoadProgress() == 0) ++zeros;
    }
    EXPECT_GE(zeros, static_cast<int>(saved.size()) - 1);

    SaveState(u"not base64 at all!");
    EXPECT_EQ(LoadProgress(), 0);
}

TEST(Progress, BlanksAroundTheRecordAndOutOfRangeValues) {
    ScopedTempDir dir;
    ASSERT_EQ(SaveProgress(4), 0);
    const String record = LoadState();
    struct Case {
        String text;
        int progress;
    };
    const Case cases[] = {
        {record + u"\n", 4},
        {record + u"\r\n", 4},
        {u"  \t" + record + u" \n\n", 4},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SaveState(c.text), 0);
        EXPECT_EQ(LoadProgress(), c.progress) << ToUtf8(c.text);
    }
    // Records past either end of the levels that exist are clamped to them.
    const std::pair<int, int> ranges[] = {{7, kMaxProgress}, {999, kMaxProgress}, {-1, 0}, {-5, 0}};
    for (auto [saved, loaded] : ranges) {
        ASSERT_EQ(SaveProgress(saved), 0);
        EXPECT_EQ(LoadProgress(), loaded) << saved;
    }
}

TEST(Progress, MissingStateFileIsZeroWithOneMessage) {
    ScopedTempDir dir;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadProgress(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Base64ToString: Data length must be divisible by 4\n");
}
