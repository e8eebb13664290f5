// rnd.cpp — the shared generator: state = state * 1664525 + 1013904223.
#include "host/rnd.h"

namespace rnd {
std::uint32_t& Seed() {
    static std::uint32_t state = kInitialSeed;
    return state;
}
}  // namespace rnd

double Rnd() {
    std::uint32_t& s = rnd::Seed();
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0;
}

double Rnd(double range) { return Rnd() * range; }

double Rnd(double low, double high) { return low + (high - low) * Rnd(); }
