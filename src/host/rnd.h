// rnd.h — the one pseudo-random generator that all game code shares.
//
// A 32-bit linear congruential state, 1234 at start-up. Every random draw in
// the game comes from here, in a fixed order, so runs are repeatable.
#pragma once

#include <cstdint>

namespace rnd {
inline constexpr std::uint32_t kInitialSeed = 1234;
// The generator's state; tests may set it.
std::uint32_t& Seed();
}  // namespace rnd

// A value in [0, 1).
double Rnd();
// A value in [0, range).
double Rnd(double range);
// A value in [low, high).
double Rnd(double low, double high);
