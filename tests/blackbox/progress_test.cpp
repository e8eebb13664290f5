// Progress across runs: a state file written in the game's own format opens
// the next door of the hub; a damaged one starts from the beginning.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "blackbox/game_session.h"
#include "host/progress.h"
#include "working_directory.h"

namespace {

bool LooksLikeMenu(const Frame& f) {
    return LitShare(f, {0, 0, 960, 150}) < 0.01 && LitShare(f, {300, 200, 360, 140}) > 0.2;
}
bool LooksLikeTitle(const Frame& f) { return LitShare(f, kWhole) > 0.8 && ColourCount(f, kWhole) > 40; }
// A door opening fades the whole screen to white.
bool WhiteOut(const Frame& f) { return ColourShare(f, kWhole, 255, 255, 255, 20) > 0.9; }

void EnterHub(GameSession& game) {
    ASSERT_TRUE(game.Start()) << game.Log();
    ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20)) << game.Log();
    game.Key("Return");
    Frame title;
    ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, &title)) << game.Log();
    Pause(1.5);
    title = game.Grab();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(
        [&](const Frame& f) { return ChangedShare(title, f, kWhole) > 0.3 && LitShare(f, kWhole) > 0.5; }, 30))
        << game.Log();
    Pause(2);
}

// Walks from the start past the first door (jumping the step before it)
// towards the second, then steps on in small nudges pressing Down at each:
// true when a door let the character in.
bool TryNextDoor(GameSession& game) {
    game.KeyDown("Right");
    for (int i = 0; i < 7; ++i) {
        Pause(0.45);
        game.Key("Up");
    }
    game.KeyUp("Right");
    Pause(0.5);
    game.Shot("near-second-door");
    for (int step = 0; step < 14; ++step) {
        game.Key("Down");
        if (game.WaitFor(WhiteOut, 1.2)) return true;
        game.KeyDown("Right");
        Pause(0.12);
        game.KeyUp("Right");
        game.Key("Up");
        Pause(0.4);
    }
    return false;
}

}  // namespace

TEST(Progress, SavedProgressOpensTheNextDoorAndADamagedFileStartsAtZero) {
    if (!HasFrontEnd() || !HasLevelStage()) GTEST_SKIP() << "the game has no front end and hub yet";
    if (!std::getenv("ORBEL_BLACKBOX_WALKS"))
        GTEST_SKIP() << "the walk to the second door is timed by hand; set ORBEL_BLACKBOX_WALKS=1 to run it";
    XvfbServer x;
    ASSERT_TRUE(x.Ok());
    {
        GameSession game("progress-1");
        {
            WorkingDirectory here(game.Dir());
            SaveProgress(1);
        }
        ASSERT_NO_FATAL_FAILURE(EnterHub(game));
        EXPECT_TRUE(TryNextDoor(game)) << "the second door stayed shut with level 1 beaten";
        game.Shot("entered");
    }
    {
        GameSession game("progress-damaged");
        std::ofstream(game.Dir() / ".cobaltstate") << "not*base64\n";
        ASSERT_NO_FATAL_FAILURE(EnterHub(game));
        EXPECT_FALSE(TryNextDoor(game)) << "a damaged state file opened the second door";
        EXPECT_TRUE(game.Running()) << game.Log();
        game.Shot("still-shut");
    }
}
