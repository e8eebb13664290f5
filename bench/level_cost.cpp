// level_cost.cpp — what each level costs a frame, measured while the whole
// game plays the level's recorded solution on the scripted host with the GL
// recorder in place of the GPU: draw calls and blended pixels per frame,
// main-thread CPU of the update and of the whole frame (update and drawing
// into the recorder), heap allocations per update, and the wall time of
// each step the level stage is built in. One fresh game per level; results
// go to stdout as "level N key value" lines for bench.sh.
//
// Frames are split at the buffer swap: a pass of the host's loop draws,
// swaps, polls and then updates, so drawing is start to swap and the update
// swap to end. Key events are queued in the swap hook before the update's
// clocks and counters start, so the driver's own queueing is not counted.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "level/solution_script.h"
#include "level/tarn_stage.h"
#include "support/allocation_counter.h"
#include "support/scripted_game.h"

namespace {

// The fixture is a test class; here it only lends its set-up.
struct WholeGame : ScriptedGameTest<> {
    ~WholeGame() override {
        if (game) TearDown();
    }
    void TestBody() override {}
};

double ThreadMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

double WallMillis() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The steps of c_TarnStage::LoadStep as they stand, by index; a step added
// later is still measured, under its number.
std::string StepName(int index) {
    static const char* const kNames[] = {"worlds", "characters", "windows", "markers",
                                         "hud",    "pause_menu", "weather", "sounds"};
    if (index >= 0 && index < int(std::size(kNames))) return kNames[index];
    return "step" + std::to_string(index);
}

// Enough for the last walk to a door and the exit fade after the last key,
// as the solutions' check allows.
constexpr int kGraceUpdates = 600;

bool Measure(int level) {
    std::vector<solution::Event> events;
    std::string error;
    if (!solution::Read(solution::FileOfLevel(level), events, error)) {
        std::fprintf(stderr, "level_cost: %s\n", error.c_str());
        return false;
    }
    WholeGame run;
    run.gl.keepDraws = false;
    run.gl.targetWidth = 960;
    run.gl.targetHeight = 540;
    run.LinkBuildData();
    run.StartGame();
    if (!run.game) return false;
    c_TarnGame& game = *run.game;
    ScriptedPlatform& platform = run.platform;
    if (!run.RunUntil([&] { return game.fadeStart < 0 && game.nextStage == kNoStage; })) return false;
    GoToLevel(level);

    // ---- building: each frame runs at most one step (the switch to the new
    // stage in an update, or one LoadStep in a drawing).
    double construct = 0, settle = 0;
    double steps[c_TarnStage::kLoadSteps] = {}, stepsCpu[c_TarnStage::kLoadSteps] = {};
    for (int frame = 0; !StageLoaded(game, kStageLevel); ++frame) {
        if (frame > 3000) return false;
        const c_Stage* before = game.stage.get();
        const int loaded = game.stage ? game.stage->loadedSteps : 0;
        const double start = WallMillis(), startCpu = ThreadMicros();
        run.host.Frames(1);
        const double took = WallMillis() - start, cpu = (ThreadMicros() - startCpu) / 1000;
        if (game.stage.get() != before) {
            construct += took;
        } else if (game.stage && game.stage->loadedSteps > loaded && loaded < c_TarnStage::kLoadSteps) {
            steps[loaded] += took;
            stepsCpu[loaded] += cpu;
        } else {
            settle += took;
        }
    }
    Ref<c_TarnStage> stage = run.StageAs<c_TarnStage>();
    if (!stage) return false;

    // ---- playing
    std::vector<double> updateCpu, frameCpu, drawCalls, blended;
    updateCpu.reserve(20000), frameCpu.reserve(20000), drawCalls.reserve(20000), blended.reserve(20000);
    long allocatingUpdates = 0, allocations = 0, saveAllocations = 0, drawingAllocations = 0;
    std::size_t next = 0;
    std::vector<int> held;
    held.reserve(16);
    std::optional<AllocationCounter> counter;
    long drawingAllocs = 0;
    double swapAt = 0;
    platform.OnSwap([&](int) {
        drawingAllocs = counter ? counter->Stop() : 0;
        counter.reset();
        if (game.stage == stage && game.nextStage == kNoStage && game.loadProgress >= 100 && game.settleCount <= 0 &&
            game.fadeStart < 0) {
            for (; next < events.size() && events[next].update <= stage->updateCount; ++next) {
                const solution::Event& e = events[next];
                if (e.down) {
                    platform.KeyDown(e.glfwKey);
                    held.push_back(e.glfwKey);
                } else {
                    platform.KeyUp(e.glfwKey);
                    held.erase(std::remove(held.begin(), held.end(), e.glfwKey), held.end());
                }
            }
        }
        swapAt = ThreadMicros();
        if (AllocationCounter::Available()) counter.emplace();
    });
    const int nextStage = level == kLastLevel ? kStageEnding : kStageLevel;
    auto done = [&] { return game.nextStage == nextStage && Game().currentLevel == level + 1; };
    const int end = (events.empty() ? 0 : events.back().update) + kGraceUpdates;
    int idle = 0;
    while (!done() && stage->updateCount <= end && idle < 150) {
        const int updatesBefore = stage->updateCount;
        const int progressBefore = Game().levelProgress;
        run.gl.ResetCounters();
        if (AllocationCounter::Available()) counter.emplace();
        const double start = ThreadMicros();
        run.host.Frames(1);
        const double finish = ThreadMicros();
        const long updateAllocs = counter ? counter->Stop() : 0;
        counter.reset();
        drawCalls.push_back(run.gl.drawCalls);
        blended.push_back(run.gl.blendedPixels / (960.0 * 540.0));
        drawingAllocations += drawingAllocs;
        if (stage->updateCount == updatesBefore) {
            ++idle;
            continue;
        }
        idle = 0;
        updateCpu.push_back(finish - swapAt);
        frameCpu.push_back(finish - start);
        if (Game().levelProgress != progressBefore) {
            // The update that saved the progress: the state file's write.
            saveAllocations += updateAllocs;
        } else if (updateAllocs > 0) {
            ++allocatingUpdates;
            allocations += updateAllocs;
        }
    }
    platform.OnSwap(nullptr);
    for (int key : held) platform.KeyUp(key);
    const bool finished = done();

    auto put = [&](const char* key, double value) { std::printf("level %d %s %.3f\n", level, key, value); };
    put("finished", finished);
    put("frames", double(drawCalls.size()));
    put("updates", double(updateCpu.size()));
    put("draws_max", drawCalls.empty() ? 0 : *std::max_element(drawCalls.begin(), drawCalls.end()));
    put("draws_median", Median(drawCalls));
    put("blend_max", blended.empty() ? 0 : *std::max_element(blended.begin(), blended.end()));
    put("blend_median", Median(blended));
    put("update_us", Median(updateCpu));
    put("frame_us", Median(frameCpu));
    put("alloc_counted", AllocationCounter::Available());
    put("alloc_updates", double(allocatingUpdates));
    put("alloc_total", double(allocations));
    put("alloc_save", double(saveAllocations));
    put("alloc_drawing", double(drawingAllocations));
    put("load_switch_ms", construct);
    double total = construct, slowest = 0;
    int slowestStep = 0;
    for (int i = 0; i < c_TarnStage::kLoadSteps; ++i) {
        std::printf("level %d load_step_%s_ms %.3f\n", level, StepName(i).c_str(), steps[i]);
        std::printf("level %d load_step_%s_cpu_ms %.3f\n", level, StepName(i).c_str(), stepsCpu[i]);
        total += steps[i];
        if (steps[i] > slowest) slowest = steps[i], slowestStep = i;
    }
    put("load_settle_ms", settle);
    put("load_total_ms", total + settle);
    put("load_slowest_ms", std::max(slowest, construct));
    std::printf("level %d load_slowest_step %s\n", level,
                construct > slowest ? "switch" : StepName(slowestStep).c_str());
    std::fflush(stdout);
    return finished;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 0, last = kLastLevel;
    if (argc > 1) first = last = std::atoi(argv[1]);
    bool ok = true;
    for (int level = first; level <= last; ++level) {
        if (!Measure(level)) {
            std::fprintf(stderr, "level_cost: level %d was not played to its end\n", level);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
