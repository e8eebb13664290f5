// The data generator's level part: a faulty level source stops the build
// with its file, line and fault, and the maps come out the same on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs the generator's level part from `assets` into `out`/data.
ChildResult GenerateLevels(const fs::path& assets, const fs::path& out) {
    return RunProgram({"/usr/bin/env", "ORBEL_DATAGEN_ONLY=levels", std::string(ORBEL_BINARY_DIR) + "/orbel_datagen",
                       assets.string(), (out / "data").string(), (out / "preview").string()},
                      120);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(LevelGenerator, SourceFaultsNameTheFileAndLine) {
    struct Case {
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {"gameMode: 1\nworld 1:\n  |=@=|\n  |==|\n", "level0.txt:4: row is 2 cells wide, the rows above are 3"},
        {"gameMode: 1\nworld 1:\n  |=@?|\n", "level0.txt:3: unknown grid character '?'"},
        {"gameMode: 1\nworld 1:\n  |=@q|\n", "level0.txt:3: 'q' is not defined under \"objects:\""},
        {"gameMode: 1\nworld 1:\n  |=..|\n", "level0.txt: world 1 needs exactly one spawn point"},
        {"gameMode: 0\nworld 1:\n  |=@.|\nworld 2:\n  |=@.|\n", "level0.txt:5: the spawn point belongs to world 1"},
        {"gameMode: 2\nworld 1:\n  |=@.|\nworld 2:\n  |=..|\n",
         "level0.txt: a sliding game mode needs exactly one trigger"},
        {"gameMode: 1\nworld 1:\n  |=@.|\nworld 2:\n  |=..|\n", "level0.txt: game mode 1 has one world"},
        {"gamemode: 1\n", "level0.txt:1: unknown property \"gamemode\""},
        {"gameMode: 1\nworld 1:\n  |=@a|\nobjects:\n  a = door\n", "level0.txt:5: a door needs its level number"},
        {"gameMode: 1\nworld 1:\n  |=@a|\nobjects:\n  a = sign \"x==y\"\n", "level0.txt:5: texts cannot hold \"==\""},
        {"gameMode: 1\nworld 1:\n  |=@a|\nobjects:\n  a = sign \"<b>\"\n",
         "level0.txt:5: texts cannot hold '&', '<' or '>'"},
        {"gameMode: 1\nworld 1:\n  |=@a|\nobjects:\n  a = sign \"Hi \"\n", "level0.txt:5: texts cannot begin or end"},
        {"gameMode: 1\nworld 1:\n  |=@.|\nobjects:\n  a = flower\n", "level0.txt: 'a' is defined but not placed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        ScopedTempDir dir;
        dir.Write("assets/levels/level0.txt", c.source);
        dir.Write("assets/text/trans_desktop.txt", "");
        ChildResult run = GenerateLevels(dir.Path() / "assets", dir.Path());
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(LevelGenerator, SecondRunGivesIdenticalMaps) {
    ScopedTempDir dir;
    ChildResult run = GenerateLevels(fs::path(ORBEL_SOURCE_DIR) / "assets", dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int maps = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(ORBEL_BINARY_DIR) / "data")) {
        if (entry.path().extension() != ".tmx") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++maps;
        EXPECT_EQ(ReadFile(dir.Path() / "data" / entry.path().filename()), ReadFile(entry.path()));
    }
    EXPECT_GT(maps, 0);
}
