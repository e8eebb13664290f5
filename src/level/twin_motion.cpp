// twin_motion.cpp — gravity, engine push, link and leash of a level's one or
// two characters after each collision run (see twin_motion.h).
#include "level/twin_motion.h"

#include <cmath>

#include "framework/geometry.h"

namespace {

float Larger(float a, float b) { return std::fabs(a) > std::fabs(b) ? a : b; }

void HoldOnLeash(c_PlayerChar& first, c_PlayerChar& second) {
    const float dx = first.position.x - second.position.x;
    if (std::fabs(dx) <= kTwinLeash) return;
    // The first is put back when it moves sideways faster than the second
    // moves up or down. A standing second has no vertical speed, so it is
    // the walker that is put back and the one waiting keeps its place.
    if (std::fabs(first.velocity.x) > std::fabs(second.velocity.y))
        first.position.x = second.position.x + Sign(dx) * kTwinLeash;
    else
        second.position.x = first.position.x - Sign(dx) * kTwinLeash;
    first.velocity.x = 0;
    second.velocity.x = 0;
}

}  // namespace

void ApplyTwinMotion(c_PlayerChar& first, c_PlayerChar* second) {
    if (!second) {
        first.ApplyGravity(first.StandsOnGround());
        first.ApplyCorrection(first.bodyBox->correction);
        return;
    }
    const bool g1 = first.StandsOnGround(), g2 = second->StandsOnGround();
    const bool linked = first.active && second->active;
    first.ApplyGravity(linked ? (g1 || g2) : g1);
    second->ApplyGravity(linked ? (g1 || g2) : g2);
    const c_Vector c1 = first.bodyBox->correction, c2 = second->bodyBox->correction;
    if (linked) {
        const c_Vector both(Larger(c1.x, c2.x), Larger(c1.y, c2.y));
        first.ApplyCorrection(both);
        second->ApplyCorrection(both);
    } else {
        first.ApplyCorrection(c1);
        second->ApplyCorrection(c2);
    }
    HoldOnLeash(first, *second);
}
