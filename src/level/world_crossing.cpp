// world_crossing.cpp — the crossing rule between two solid layers (see
// world_crossing.h).
#include "level/world_crossing.h"

namespace {

bool MoveIfBelow(c_GDO& object, c_GDO* layer, c_GDO* other) {
    if (!layer || !other || object.parent != layer) return false;
    if (!(object.position.y > layer->GetHeight() / 2)) return false;
    other->AddChild(object.Self<c_GDO>());
    object.position.y = -other->GetHeight() / 2;
    return true;
}

}  // namespace

bool CrossBetweenLayers(c_GDO& object, c_GDO* from, c_GDO* to) {
    if (from == to) return false;
    return MoveIfBelow(object, from, to) || MoveIfBelow(object, to, from);
}
