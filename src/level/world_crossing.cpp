// world_crossing.cpp — see world_crossing.h.
#include "level/world_crossing.h"

#include "framework/game.h"
#include "framework/stage.h"

namespace {

std::function<c_WorldCrossing*()>& Source() {
    static std::function<c_WorldCrossing*()> source;
    return source;
}

bool MoveIfBelow(c_GDO& object, c_GDO* layer, c_GDO* other) {
    if (!layer || !other || object.parent != layer) return false;
    if (!(object.position.y > layer->GetHeight() / 2)) return false;
    other->AddChild(object.Self<c_GDO>());
    object.position.y = -other->GetHeight() / 2;
    return true;
}

}  // namespace

c_WorldCrossing* CurrentWorldCrossing() {
    if (auto& source = Source()) return source();
    c_Game* game = GameInstance();
    return game ? dynamic_cast<c_WorldCrossing*>(game->stage.get()) : nullptr;
}

void SetWorldCrossingSource(std::function<c_WorldCrossing*()> source) { Source() = std::move(source); }

bool CrossBetweenLayers(c_GDO& object, c_GDO* from, c_GDO* to) {
    if (from == to) return false;
    return MoveIfBelow(object, from, to) || MoveIfBelow(object, to, from);
}
