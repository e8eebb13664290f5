// stub_level_host.h — a stand-in for the level stage: it hands out the test
// world's engine and solid layers, is the world crossing of the boxes the
// loader makes (it records what asks it), and records exits and the events
// it receives.
#pragma once

#include <vector>

#include "framework/events.h"
#include "framework/tile_map.h"
#include "level/level_host.h"
#include "level/level_settings.h"
#include "level/world_crossing.h"

namespace level_test {

struct ExitRequest {
    int durationMs, red, green, blue, nextLevel;
};

class StubLevelHost final : public Object, public c_LevelHost, public c_WorldCrossing {
public:
    Ref<c_BasicBoxEngine> engine;
    c_LevelSettings settings;
    c_TileMap* solid1 = nullptr;
    c_TileMap* solid2 = nullptr;
    // The level being played, as the stage would report it.
    int level = 0;
    std::vector<ExitRequest> exits;
    // (sender, id) of every event received.
    std::vector<std::pair<Object*, int>> events;
    // Every object that asked to cross (it never moves one).
    std::vector<c_GDO*> crossings;

    Ref<c_BasicBoxEngine> BoxEngine() override { return engine; }
    c_LevelSettings& Settings() override { return settings; }
    c_TileMap* SolidLayer(int world) override { return world == 1 ? solid1 : world == 2 ? solid2 : nullptr; }
    c_WorldCrossing* WorldCrossing() override { return this; }
    void CrossWorld(c_GDO& object) override { crossings.push_back(&object); }
    int Level() const override { return level; }
    void StartExit(int durationMs, int red, int green, int blue, int nextLevel) override {
        exits.push_back({durationMs, red, green, blue, nextLevel});
    }
    Object* EventSource() override { return this; }
    Ref<c_EventListener> ListenerRef() override { return Self<StubLevelHost>(); }
    void OnEvent(Object* source, int eventId, Object*) override { events.emplace_back(source, eventId); }
};

}  // namespace level_test
