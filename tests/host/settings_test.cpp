// The settings file: its text round trip, damaged values falling back to
// their defaults, and the atomic save beside the state file.
#include <gtest/gtest.h>

#include <fstream>

#include "host/settings.h"
#include "support/temp_dir.h"

TEST(Settings, RoundTripAndDamagedValuesTakeTheirDefaults) {
    const GameSettings custom{true, 1280, 720, false};
    const GameSettings back = ParseSettings(SettingsText(custom));
    EXPECT_TRUE(back.fullscreen);
    EXPECT_EQ(back.windowWidth, 1280);
    EXPECT_EQ(back.windowHeight, 720);
    EXPECT_FALSE(back.soundOn);

    struct Case {
        const char* text;
        GameSettings expected;
    };
    const GameSettings d;
    const Case cases[] = {
        {"", d},
        {"fullscreen=yes\nsound=2\n", d},
        {"window_width=-5\nwindow_height=99999999999\n", d},
        {"window_width=12ab\nwindow_height=\n", d},
        {"window_width=1280\r\nwindow_height=720\r\n", {false, 1280, 720, true}},
        {"colour=blue\nfullscreen=1\n=\n\n", {true, 960, 540, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const GameSettings s = ParseSettings(c.text);
        EXPECT_EQ(s.fullscreen, c.expected.fullscreen);
        EXPECT_EQ(s.windowWidth, c.expected.windowWidth);
        EXPECT_EQ(s.windowHeight, c.expected.windowHeight);
        EXPECT_EQ(s.soundOn, c.expected.soundOn);
    }
}

TEST(Settings, SavedAndLoadedInTheWorkingDirectory) {
    ScopedTempDir dir;
    EXPECT_EQ(LoadSettings().windowWidth, 960) << "no file: the defaults";
    ASSERT_TRUE(SaveSettings({true, 1000, 600, true}));
    EXPECT_TRUE(LoadSettings().fullscreen);
    EXPECT_EQ(LoadSettings().windowHeight, 600);
}
