// twin_motion.h — the part of a character's motion that comes after the
// collision engine: gravity from its ground probe, the engine's push and, in
// a two-world level, the link and the leash between the two characters.
//
// The level stage and the test world both run one update as
//
//   root->Update(16);     // characters move sideways, boxes fall and slide
//   engine->Update(16);   // resolves bodies, ground probes and boxes
//   ApplyTwinMotion(*player1, player2.get());   // player2 null: one world
//
// so what a test world shows of a character's fall, landing or push is what
// the level does.
#pragma once

#include "level/player_char.h"

// Two characters may be at most this far apart horizontally.
inline constexpr float kTwinLeash = 330;

// One update's vertical motion and collision response of `first` and, when
// given, of its twin `second` in the other world. Linked twins (both active)
// share their ground (either standing holds both up) and their push (the
// larger one on each axis moves both, so a wall or a step in either world
// stops or lifts both). Twins more than kTwinLeash apart are put back at the
// leash and both stop sideways. Without a twin, `first` simply falls or
// stands and takes its own push.
void ApplyTwinMotion(c_PlayerChar& first, c_PlayerChar* second);
