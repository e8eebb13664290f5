// solution_script.h — reading a level's recorded solution and playing it on
// the scripted host.
//
// A solution (assets/levels/solutions/levelN.txt) is one key event per line,
// "UPDATE down|up KEY", KEY one of Left, Right, Up, Down, Space, Enter;
// '#' starts a comment line. An event of update k is queued just before the
// level stage runs its update k (c_TarnStage::updateCount == k; update 0 is
// the level's first), so the stage sees it in that update.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "level/tarn_stage.h"

class ScriptedHost;
class c_TarnGame;

namespace solution {

struct Event {
    int update = 0;
    bool down = false;
    std::string key;  // as written: "Left", "Space" ...
    int glfwKey = 0;
};

// Reads a solution file. Returns false, with `error` naming the file and
// line, when it is missing or a line is malformed, or when the events are
// not in order of their update.
bool Read(const std::filesystem::path& file, std::vector<Event>& events, std::string& error);

// Where the recorded solutions of the game's levels are.
std::filesystem::path FileOfLevel(int level);

struct Outcome {
    bool done = false;
    // The stage's update count when play stopped.
    int lastUpdate = 0;
    // Where the characters were and which keys were held when it stopped.
    std::string where;
};

// Plays `events` on `stage`, the current stage of `game` on `host`, one
// frame at a time, and stops as soon as `done` holds (checked after every
// frame), or when `grace` updates have passed after the last event, or when
// the stage stops taking updates. Events are handed to the window just
// before a frame whose update reaches the stage (not while it fades in), so
// a press is never spent on an update the level does not see. Keys still
// held at the end are released. `runFrame`, when given, runs each frame in
// place of host.Frames(1) (to watch it), and `drawn` is called in each frame
// once it is drawn, after the events are queued and before its updates; the
// queueing is exempt from the allocation counter.
Outcome Play(ScriptedHost& host, c_TarnGame& game, const Ref<c_TarnStage>& stage, const std::vector<Event>& events,
             const std::function<bool()>& done, int grace, const std::function<void()>& runFrame = nullptr,
             const std::function<void()>& drawn = nullptr);

// The characters' positions (pixels and map cells), speeds, ground contact,
// keys and activity, and the held keys, for a failure message.
std::string Describe(const c_TarnStage& stage, const std::set<std::string>& held);

}  // namespace solution
