// Playing a level allocates nothing: every level's recorded solution is
// replayed with the counting allocator armed over the updates of each frame
// (the stage, the music's refills, effects starting, boxes breaking, texts
// shown), from the first frame after the load to the one that asks for the
// next stage. Drawing is left to the frame check of the renderer. The
// one exception is the save at an exit door, which writes a file: the frame
// that saves may allocate what a save on its own does.
//
// The load's warm-up of the OpenAL sources is given the real time the game
// gives it (see below). Sanitizer builds own operator new and skip this test. When it fails,
// ORBEL_ALLOC_TRACE=1 prints the call stack of every counted allocation.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <thread>

#include "host/progress.h"
#include "level_stage_harness.h"
#include "solution_script.h"
#include "support/allocation_counter.h"

namespace {

struct UpdateAllocation : LevelStageTest, testing::WithParamInterface<int> {};

// What one save costs on its own, once the save path has been worked out
// (as it has by the time a player reaches an exit door).
long AllocationsOfASave(int progress) {
    SaveProgress(progress);
    AllocationCounter counter;
    SaveProgress(progress);
    return counter.Stop();
}

TEST_P(UpdateAllocation, ReplayingTheSolutionAllocatesOnlyToSave) {
    if (!AllocationCounter::Available()) GTEST_SKIP() << "the sanitizer owns operator new";
    const int level = GetParam();
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(solution::FileOfLevel(level), events, error)) << error;

    Ref<c_TarnStage> stage = Build(level);
    ASSERT_NE(stage, nullptr);
    gl.keepDraws = false;  // the recorder's own list of draws would grow
    // In the game the settling updates and the fade-in give OpenAL's mixer
    // most of a second of real time after the load's warm-up; the scripted
    // clock gives none. The mixer recycles what the warm-up used only as it
    // runs, so it is given that time here.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long saveCost = level > 0 ? AllocationsOfASave(level) : 0;
    SaveProgress(0);

    std::ostringstream found;
    int savesSeen = 0;
    int progress = LoadProgress();
    std::optional<AllocationCounter> counter;
    auto countedFrame = [&] {
        const int update = stage->updateCount;
        long allocations = 0, elsewhere = 0;
        host.Frames(1);  // armed by `drawn` below, once the frame is drawn
        if (counter) {
            allocations = counter->Stop();
            elsewhere = AllocationCounter::OnOtherThreads();
            counter.reset();
        }
        const int now = LoadProgress();
        const bool saved = now != progress;
        progress = now;
        if (saved) ++savesSeen;
        if (allocations > (saved ? saveCost : 0)) {
            found << "  update " << update << ": " << allocations << " allocations" << (saved ? " (with the save)" : "")
                  << ", " << elsewhere << " of them on other threads\n";
        }
    };
    const int next = level + 1;
    const int nextStage = level == 6 ? kStageEnding : kStageLevel;
    const solution::Outcome outcome = solution::Play(
        host, *game, stage, events, [&] { return game->nextStage == nextStage && Game().currentLevel == next; }, 600,
        countedFrame, [&] { counter.emplace(); });
    ASSERT_TRUE(outcome.done) << outcome.where;
    EXPECT_EQ(savesSeen, level > 0 ? 1 : 0);
    EXPECT_EQ(found.str(), "") << "level " << level << " allocated in these frames (ORBEL_ALLOC_TRACE=1 shows where)";
}

INSTANTIATE_TEST_SUITE_P(Levels, UpdateAllocation, testing::Range(0, 7), [](const testing::TestParamInfo<int>& level) {
    return level.param == 0 ? std::string("Hub") : "Level" + std::to_string(level.param);
});

}  // namespace
