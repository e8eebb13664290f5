// hub_walk.h — the way into the hub every black-box run of a level takes:
// from the language menu through the intro and the title.
#pragma once

#include "blackbox/game_session.h"

// Language menu → English → intro → title, then Enter, and waits for the
// hub to fade in. `title`, when given, gets the title as it stood before
// Enter. Fails the calling test (check with ASSERT_NO_FATAL_FAILURE) when a
// screen does not come.
void EnterHub(GameSession& game, Frame* title = nullptr);
