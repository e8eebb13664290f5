// front_end.cpp — see front_end.h.
#include "stages/front_end.h"

void AddFallingLeaf(c_GDO&, float, float) {
    // FALLING-LEAF HOOK: the leaf of the scenery effects is added here once
    // it exists.
}
