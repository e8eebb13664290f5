// A small test level played from start to exit in the real window: a hub
// with one door leads to it, holding Right carries both characters over
// their keys into their doors, the level's progress is saved and the next
// level loads.
#include <gtest/gtest.h>

#include "blackbox/hub_walk.h"
#include "blackbox/x_display.h"
#include "host/progress.h"
#include "working_directory.h"

namespace {

// A level on screen: neither faded out nor dark, in both halves.
bool LevelShown(const Frame& f) {
    return !WhiteOut(f) && LitShare(f, {0, 0, 960, 270}) > 0.5 && LitShare(f, {0, 270, 960, 270}) > 0.5;
}

}  // namespace

TEST(TestLevel, PlayedFromTheHubToItsExitSavesProgress) {
    XvfbServer x;
    ASSERT_TRUE(x.Ok());
    GameSession game("test-level");
    game.UseTestMaps({{0, "hub"}, {1, "exit"}, {2, "exit"}});
    ASSERT_NO_FATAL_FAILURE(EnterHub(game));
    game.Shot("1-hub");

    // The hub's only door stands beside the spawn point: Down enters it.
    game.KeyDown("Down");
    const bool entered = game.WaitFor(WhiteOut, 10);
    game.KeyUp("Down");
    ASSERT_TRUE(entered) << "the door to level 1 did not open\n" << game.Log();
    ASSERT_TRUE(game.WaitFor(LevelShown, 30)) << game.Log();
    Pause(2);
    Frame start = game.Shot("2-level-start");
    EXPECT_TRUE(LevelShown(start));

    game.KeyDown("Right");
    Pause(1);
    game.Shot("3-walking");
    const bool finished = game.WaitFor(WhiteOut, 30);
    game.KeyUp("Right");
    ASSERT_TRUE(finished) << "the exit doors did not open\n" << game.Log();
    game.Shot("4-finished");
    {
        WorkingDirectory here(game.Dir());
        EXPECT_EQ(LoadProgress(), 1);
    }
    Frame next;
    EXPECT_TRUE(game.WaitFor(LevelShown, 30, &next)) << "the next level did not load\n" << game.Log();
    game.Save(next, "5-next-level");
    EXPECT_TRUE(game.Running()) << game.Log();
}
