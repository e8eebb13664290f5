// hub_walk.cpp — see hub_walk.h.
#include "blackbox/hub_walk.h"

#include <gtest/gtest.h>

void EnterHub(GameSession& game, Frame* title) {
    Frame shown;
    if (!title) title = &shown;
    ASSERT_TRUE(game.Start()) << game.Log();
    ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20)) << game.Log();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, title)) << game.Log();
    Pause(1.5);  // the title fades in over a second
    *title = game.Grab();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(
        [&](const Frame& f) { return ChangedShare(*title, f, kWhole) > 0.3 && LitShare(f, kWhole) > 0.5; }, 30))
        << "never reached the hub\n"
        << game.Log();
    Pause(2);  // the one-second fade-in
}
