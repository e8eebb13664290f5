// Every level is solved by its recorded solution, played through the
// deterministic driver from the level's first update: the hub's enters the
// first door, each numbered level's opens both exit doors (saving the
// progress) and the last one leads to the ending. A change to a level or to
// the physics that breaks its solution fails here, with where the
// characters got stuck.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/progress.h"
#include "level_stage_harness.h"
#include "solution_script.h"
#include "support/temp_dir.h"

namespace {

struct LevelSolution : LevelStageTest, testing::WithParamInterface<int> {};

// Enough for the last walk to a door and the exit fade after the last key.
constexpr int kGraceUpdates = 600;

TEST_P(LevelSolution, RecordedSolutionFinishesTheLevel) {
    const int level = GetParam();
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(solution::FileOfLevel(level), events, error)) << error;

    Ref<c_TarnStage> stage = Build(level);
    ASSERT_NE(stage, nullptr);
    ASSERT_EQ(stage->updateCount, 0);

    // The hub is left through its first door; the last level leads to the
    // ending; every other one to the next.
    const int next = level + 1;
    const int nextStage = level == 6 ? kStageEnding : kStageLevel;
    const solution::Outcome outcome = solution::Play(
        host, *game, stage, events, [&] { return game->nextStage == nextStage && Game().currentLevel == next; },
        kGraceUpdates);
    ASSERT_TRUE(outcome.done) << "level " << level << " was not finished by its recorded solution (" << events.size()
                              << " key events, the last at update " << (events.empty() ? 0 : events.back().update)
                              << ")\n"
                              << outcome.where;
    if (level > 0) {
        EXPECT_GE(Game().levelProgress, level);
        EXPECT_GE(LoadProgress(), level) << "the progress was not saved";
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelSolution, testing::Range(0, 7), [](const testing::TestParamInfo<int>& level) {
    return level.param == 0 ? std::string("Hub") : "Level" + std::to_string(level.param);
});

TEST(SolutionScript, ReadsEventsAndNamesTheLineOfAMalformedOne) {
    ScopedTempDir dir;
    dir.Write("ok.txt", "# comment\n\n3 down Right\n3 down Up\n5 up Up\n");
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(dir.Path() / "ok.txt", events, error)) << error;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].update, 3);
    EXPECT_TRUE(events[1].down);
    EXPECT_EQ(events[2].key, "Up");
    EXPECT_FALSE(events[2].down);

    const struct {
        const char* text;
        const char* says;
    } kBad[] = {
        {"3 down Right\n4 press Up\n", "line 2"},
        {"3 down Jump\n", "unknown key"},
        {"5 down Right\n4 up Right\n", "comes before"},
        {"5 down Right extra\n", "line 1"},
        {"-1 down Right\n", "line 1"},
    };
    for (const auto& bad : kBad) {
        dir.Write("bad.txt", bad.text);
        EXPECT_FALSE(solution::Read(dir.Path() / "bad.txt", events, error)) << bad.text;
        EXPECT_NE(error.find(bad.says), std::string::npos) << error;
    }
    EXPECT_FALSE(solution::Read(dir.Path() / "missing.txt", events, error));
}

}  // namespace
