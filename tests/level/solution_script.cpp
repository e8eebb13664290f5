// solution_script.cpp — see solution_script.h.
#include "solution_script.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "framework/game.h"
#include "game/tarn_game.h"
#include "support/allocation_counter.h"
#include "support/scripted_platform.h"

namespace solution {

namespace {

int GlfwKeyOf(const std::string& name) {
    static const struct {
        const char* name;
        int key;
    } kKeys[] = {{"Left", GLFW_KEY_LEFT}, {"Right", GLFW_KEY_RIGHT}, {"Up", GLFW_KEY_UP},
                 {"Down", GLFW_KEY_DOWN}, {"Space", GLFW_KEY_SPACE}, {"Enter", GLFW_KEY_ENTER}};
    for (const auto& k : kKeys)
        if (name == k.name) return k.key;
    return 0;
}

}  // namespace

bool Read(const std::filesystem::path& file, std::vector<Event>& events, std::string& error) {
    events.clear();
    std::ifstream in(file);
    if (!in) {
        error = file.string() + ": cannot be read";
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream fields(line);
        Event e;
        std::string direction, rest;
        const std::string at = file.filename().string() + " line " + std::to_string(number) + ": ";
        if (!(fields >> e.update >> direction >> e.key) || (fields >> rest) || e.update < 0 ||
            (direction != "down" && direction != "up")) {
            error = at + "expected \"UPDATE down|up KEY\", got \"" + line + "\"";
            return false;
        }
        e.down = direction == "down";
        e.glfwKey = GlfwKeyOf(e.key);
        if (e.glfwKey == 0) {
            error = at + "unknown key \"" + e.key + "\"";
            return false;
        }
        if (!events.empty() && e.update < events.back().update) {
            error = at + "update " + std::to_string(e.update) + " comes before the previous event's";
            return false;
        }
        events.push_back(e);
    }
    return true;
}

std::filesystem::path FileOfLevel(int level) {
    return std::filesystem::path(ORBEL_SOURCE_DIR) / "assets" / "levels" / "solutions" /
           ("level" + std::to_string(level) + ".txt");
}

Outcome Play(ScriptedHost& host, c_TarnGame& game, const Ref<c_TarnStage>& stage, const std::vector<Event>& events,
             const std::function<bool()>& done, int grace, const std::function<void()>& runFrame,
             const std::function<void()>& drawn) {
    Outcome outcome;
    std::set<std::string> held;
    std::set<int> heldKeys;
    std::size_t next = 0;
    ScriptedPlatform& platform = host.Platform();
    // A pass of the loop draws, swaps, polls the window and then updates;
    // once the frame is drawn it is known whether that update reaches the
    // stage (the fade-in ends in the drawing), so the events go in then.
    platform.OnSwap([&](int) {
        struct AfterQueueing {
            const std::function<void()>& call;
            ~AfterQueueing() {
                if (call) call();
            }
        } after{drawn};
        if (game.stage != stage || game.nextStage != kNoStage || game.loadProgress < 100 || game.settleCount > 0 ||
            game.fadeStart >= 0)
            return;
        AllocationCounter::Exempt bookkeeping;
        for (; next < events.size() && events[next].update <= stage->updateCount; ++next) {
            const Event& e = events[next];
            if (e.down) {
                platform.KeyDown(e.glfwKey);
                held.insert(e.key);
                heldKeys.insert(e.glfwKey);
            } else {
                platform.KeyUp(e.glfwKey);
                held.erase(e.key);
                heldKeys.erase(e.glfwKey);
            }
        }
    });
    const int end = (events.empty() ? 0 : events.back().update) + grace;
    // The fade-in takes about a second of frames without updates; a stage
    // that stops counting for longer than that has been left.
    int idle = 0;
    while (!(outcome.done = done()) && stage->updateCount <= end && idle < 150) {
        const int before = stage->updateCount;
        if (runFrame) {
            runFrame();
        } else {
            host.Frames(1);
        }
        idle = stage->updateCount == before ? idle + 1 : 0;
    }
    platform.OnSwap(nullptr);
    outcome.lastUpdate = stage->updateCount;
    outcome.where = Describe(*stage, held);
    for (int key : heldKeys) platform.KeyUp(key);
    return outcome;
}

std::string Describe(const c_TarnStage& stage, const std::set<std::string>& held) {
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    auto character = [&](const char* name, const c_PlayerChar* p, const c_TileMap* layer) {
        if (!p) return;
        out << name << " at (" << p->position.x << ", " << p->position.y << ")";
        if (layer && layer->tileWidth > 0 && layer->tileHeight > 0) {
            // Map cells count from the top-left corner; the layer is centred.
            const float cx = (p->position.x + static_cast<float>(layer->tileWidth * layer->tilesWide) / 2) /
                             static_cast<float>(layer->tileWidth);
            const float cy = (p->position.y + static_cast<float>(layer->tileHeight * layer->tilesHigh) / 2) /
                             static_cast<float>(layer->tileHeight);
            out << " = cell column " << std::floor(cx) << " row " << std::floor(cy);
        }
        out << ", speed (" << p->velocity.x << ", " << p->velocity.y << ")"
            << (p->grounded ? ", standing" : ", in the air") << (p->hasKey ? ", has a key" : ", no key")
            << (p->active ? "" : ", waiting") << "\n";
    };
    character("world 1's character", stage.player1.get(), stage.solidLayer1.get());
    character("world 2's character", stage.player2.get(), stage.solidLayer2.get());
    out << "keys held:";
    if (held.empty()) out << " none";
    for (const std::string& key : held) out << " " << key;
    out << "\nlast update: " << stage.updateCount << "\n";
    return out.str();
}

}  // namespace solution
