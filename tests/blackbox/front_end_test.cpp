// The real game, started as a player starts it, through its front end:
// language menu, intro, title and the two ways to leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "blackbox/game_session.h"
#include "blackbox/x_display.h"

namespace {

// The title's blinking prompt stands right of the picture's centre; the
// falling leaf stays on the left, so the columns that change there over a
// couple of blinks are the prompt's.
Zone PromptArea() { return {330, 400, 630, 110}; }

int BlinkingWidth(GameSession& game, Frame* sample) {
    Frame first = game.Grab();
    std::vector<bool> changed(static_cast<size_t>(first.width), false);
    for (int i = 0; i < 16; ++i) {
        Pause(0.1);
        Frame f = game.Grab();
        if (f.Empty() || f.width != first.width) break;
        Zone r = PromptArea();
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) {
                const unsigned char* p = first.At(x, y);
                const unsigned char* q = f.At(x, y);
                if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 60) changed[x] = true;
            }
        if (sample && i == 3) *sample = f;
        if (std::getenv("ORBEL_BLACKBOX_DEBUG")) game.Save(f, "blink-" + std::to_string(i));
    }
    auto lo = std::find(changed.begin(), changed.end(), true);
    auto hi = std::find(changed.rbegin(), changed.rend(), true);
    if (lo == changed.end()) return 0;
    return static_cast<int>((changed.rend() - hi) - (lo - changed.begin()));
}

}  // namespace

TEST(FrontEnd, LanguageMenuLeadsThroughIntroToTitleInEitherLanguageAndBothExitsEndCleanly) {
    XvfbServer x;
    ASSERT_TRUE(x.Ok()) << "could not start Xvfb";

    // English: the menu comes up after the first second; Enter takes the
    // first option; Escape on the title ends the program with 0.
    int englishWidth = 0;
    {
        GameSession game("english");
        ASSERT_TRUE(game.Start()) << game.Log();
        Frame f;
        ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20, &f)) << "no language menu\n" << game.Log();
        game.Save(f, "1-language-menu");
        game.Key("Return");
        ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, &f)) << "never reached the title\n" << game.Log();
        Pause(1.5);  // the title fades in over a second
        Frame prompt;
        englishWidth = BlinkingWidth(game, &prompt);
        game.Save(prompt, "2-title");
        EXPECT_GT(englishWidth, 60) << "no blinking prompt on the title";
        game.Key("Escape");
        EXPECT_EQ(game.WaitExit(20), 0) << game.Log();
    }

    // Spanish: Down then Enter; the intro's two logos show on black before
    // the title, whose prompt is the longer Spanish text; the close box ends the
    // program with 0.
    {
        GameSession game("spanish");
        ASSERT_TRUE(game.Start()) << game.Log();
        Frame menu;
        ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20, &menu)) << game.Log();
        game.Key("Down");
        Frame moved;
        // The cursor glides to the second option.
        EXPECT_TRUE(game.WaitFor(
            [&](const Frame& f) {
                return ChangedShare(menu, f, {300, 200, 360, 140}) > 0.05;
            },
            5, &moved));
        game.Save(moved, "1-language-menu-down");
        game.Key("Return");
        Frame intro;
        ASSERT_TRUE(game.WaitFor(
            [&](const Frame& f) {
                return ChangedShare(moved, f, kWhole) > 0.01 && !LooksLikeMenu(f) && LitShare(f, kWhole) > 0.005 &&
                       LitShare(f, kWhole) < 0.5;
            },
            20, &intro))
            << "no intro logo\n"
            << game.Log();
        game.Save(intro, "2-intro");
        // The second studio's logo follows: its grapes are the only purple
        // of the front end.
        Frame second;
        EXPECT_TRUE(
            game.WaitFor([](const Frame& f) { return ColourShare(f, kWhole, 122, 74, 184, 40) > 0.002; }, 20, &second))
            << "no second logo\n"
            << game.Log();
        game.Save(second, "3-second-logo");
        Frame f;
        ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, &f)) << game.Log();
        Pause(1.5);
        Frame prompt;
        int spanishWidth = BlinkingWidth(game, &prompt);
        game.Save(prompt, "4-title");
        EXPECT_GT(spanishWidth, englishWidth + 30) << "the prompt is not the Spanish text";
        game.SendCloseRequest();
        EXPECT_EQ(game.WaitExit(20), 0) << game.Log();
    }
}
