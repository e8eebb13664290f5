// Levels saved again by the real map editor still play to their exit. Each
// generated level (its editor copy, whose images let the editor number the
// tile sets as the game does) is converted into one of the forms a designer
// may pick in the editor, re-saved by Tiled itself (tiled --export-map tmx),
// and played by its recorded solution from that file: CSV, the editor's
// default; Base64 with zlib; Base64 with gzip; and every tile set in a .tsx
// file of its own beside plain Base64 data. The converter writes the
// compressed forms as stored deflate blocks, which the editor reads and then
// writes back truly compressed. Skipped when the editor is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/tile_data.h"
#include "level_stage_harness.h"
#include "solution_script.h"
#include "support/child_process.h"
#include "support/test_maps.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBuildData = fs::path(ORBEL_BINARY_DIR) / "data";
// As in level_solutions_test.cpp.
constexpr int kGraceUpdates = 600;

enum class Form { kCsv, kZlib, kGzip, kExternalSets };

struct FormInfo {
    const char* name;
    // What the re-saved file must say, or the editor did not keep the form.
    const char* marker;
};
constexpr FormInfo kForms[] = {
    {"csv", "<data encoding=\"csv\">"},
    {"zlib", "<data encoding=\"base64\" compression=\"zlib\">"},
    {"gzip", "<data encoding=\"base64\" compression=\"gzip\">"},
    {"tsx", "<tileset firstgid=\"1\" source=\"tiles.tsx\"/>"},
};

Form FormOfLevel(int level) { return static_cast<Form>(level % 4); }

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t chunk = std::uint32_t(bytes[i]) << 16 |
                                    (i + 1 < bytes.size() ? std::uint32_t(bytes[i + 1]) << 8 : 0) |
                                    (i + 2 < bytes.size() ? std::uint32_t(bytes[i + 2]) : 0);
        out += kAlphabet[chunk >> 18];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i)));
}

// Deflate without compression: stored blocks of at most 65535 bytes.
std::vector<std::uint8_t> StoredDeflate(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, bytes.size() - at);
        out.push_back(at + length == bytes.size() ? 1 : 0);
        for (std::uint16_t v : {std::uint16_t(length), std::uint16_t(~length)}) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        out.insert(out.end(), bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + length));
        at += length;
    } while (at < bytes.size());
    return out;
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    const std::vector<std::uint8_t> body = StoredDeflate(bytes);
    out.insert(out.end(), body.begin(), body.end());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Put32(out, b << 16 | a, true);
    return out;
}

std::vector<std::uint8_t> Gzip(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3};
    const std::vector<std::uint8_t> body = StoredDeflate(bytes);
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, Crc32(bytes), false);
    Put32(out, static_cast<std::uint32_t>(bytes.size()), false);
    return out;
}

// The gids of one <data> block of <tile/> elements.
std::vector<std::uint32_t> GidsOf(const std::string& block) {
    std::vector<std::uint32_t> gids;
    for (std::size_t at = block.find("<tile"); at != std::string::npos; at = block.find("<tile", at + 1)) {
        const std::size_t end = block.find("/>", at);
        const std::size_t gid = block.find("gid=\"", at);
        gids.push_back(gid < end ? static_cast<std::uint32_t>(std::stoul(block.substr(gid + 5))) : 0);
    }
    return gids;
}

std::string EncodeData(const std::vector<std::uint32_t>& gids, Form form) {
    if (form == Form::kCsv) {
        std::string csv;
        for (std::size_t i = 0; i < gids.size(); ++i) csv += (i ? "," : "") + std::to_string(gids[i]);
        return "<data encoding=\"csv\">\n" + csv + "\n</data>";
    }
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t gid : gids) Put32(bytes, gid, false);
    if (form == Form::kZlib) return "<data encoding=\"base64\" compression=\"zlib\">" + Base64(Zlib(bytes)) + "</data>";
    if (form == Form::kGzip) return "<data encoding=\"base64\" compression=\"gzip\">" + Base64(Gzip(bytes)) + "</data>";
    return "<data encoding=\"base64\">" + Base64(bytes) + "</data>";
}

// Moves each tile set into `folder`/<name>.tsx and names that file instead.
std::string MoveTileSetsOut(const std::string& map, const fs::path& folder) {
    std::string out;
    std::size_t at = 0;
    const std::string open = "<tileset firstgid=\"", close = "</tileset>";
    for (std::size_t start; (start = map.find(open, at)) != std::string::npos;) {
        const std::size_t gidEnd = map.find('"', start + open.size());
        const std::size_t end = map.find(close, start) + close.size();
        const std::string firstGid = map.substr(start + open.size(), gidEnd - start - open.size());
        const std::string rest = map.substr(gidEnd + 2, end - gidEnd - 2);  // name="..." ... </tileset>
        const std::size_t nameAt = rest.find("name=\"") + 6;
        const std::string name = rest.substr(nameAt, rest.find('"', nameAt) - nameAt);
        WriteFile(folder / (name + ".tsx"),
                  std::string(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" tiledversion=\"1.8.2\" ") +
                      rest + "\n");
        out += map.substr(at, start - at) + open + firstGid + "\" source=\"" + name + ".tsx\"/>";
        at = end;
    }
    return out + map.substr(at);
}

struct ResavedLevel : LevelStageTest, testing::WithParamInterface<int> {
    void SetUp() override {
        if (std::system("command -v tiled >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "the Tiled editor is not installed (bash scripts/setup.sh --tests installs it)";
        ASSERT_NO_FATAL_FAILURE(Resave());
        StartGame();
    }

    // The level in its form, re-saved by the editor, as ./data's level file.
    void Resave() {
        const int level = GetParam();
        const Form form = FormOfLevel(level);
        const std::string file = "level" + std::to_string(level) + ".tmx";
        const fs::path work = dir.Path() / "editor";
        fs::create_directory(work);
        for (const auto& entry : fs::directory_iterator(kBuildData / "editor"))
            if (entry.path().extension() == ".png") fs::copy_file(entry.path(), work / entry.path().filename());

        std::string map = ReadFile(kBuildData / "editor" / file);
        ASSERT_FALSE(map.empty()) << "run from the build folder";
        std::string converted;
        std::size_t at = 0;
        for (std::size_t start; (start = map.find("<data>", at)) != std::string::npos;) {
            const std::size_t end = map.find("</data>", start) + 7;
            converted += map.substr(at, start - at) + EncodeData(GidsOf(map.substr(start, end - start)), form);
            at = end;
        }
        converted += map.substr(at);
        if (form == Form::kExternalSets) converted = MoveTileSetsOut(converted, work);
        WriteFile(work / "converted.tmx", converted);

        ChildResult saved = RunProgram({"env", "QT_QPA_PLATFORM=offscreen", "tiled", "--export-map", "tmx",
                                        (work / "converted.tmx").string(), (work / file).string()},
                                       60);
        ASSERT_EQ(saved.exitCode, 0) << saved.out << saved.err;
        const std::string resaved = ReadFile(work / file);
        ASSERT_NE(resaved.find(kForms[static_cast<int>(form)].marker), std::string::npos) << resaved.substr(0, 2000);
        ASSERT_EQ(resaved.find("<tile gid"), std::string::npos);

        LinkDataWithTestMaps(dir.Path() / "data", kBuildData, {});
        fs::remove(dir.Path() / "data" / file);
        fs::copy_file(work / file, dir.Path() / "data" / file);
        for (const auto& entry : fs::directory_iterator(work))
            if (entry.path().extension() == ".tsx")
                fs::copy_file(entry.path(), dir.Path() / "data" / entry.path().filename());
    }
};

TEST_P(ResavedLevel, RecordedSolutionFinishesIt) {
    const int level = GetParam();
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(solution::FileOfLevel(level), events, error)) << error;
    Ref<c_TarnStage> stage = Build(level);
    ASSERT_NE(stage, nullptr);
    const int next = level + 1;
    const int nextStage = level == 6 ? kStageEnding : kStageLevel;
    const solution::Outcome outcome = solution::Play(
        host, *game, stage, events, [&] { return game->nextStage == nextStage && Game().currentLevel == next; },
        kGraceUpdates);
    ASSERT_TRUE(outcome.done) << "level " << level << " saved by the editor as "
                              << kForms[static_cast<int>(FormOfLevel(level))].name
                              << " was not finished by its recorded solution\n"
                              << outcome.where;
}

INSTANTIATE_TEST_SUITE_P(Levels, ResavedLevel, testing::Range(0, 7), [](const testing::TestParamInfo<int>& level) {
    const std::string form = kForms[static_cast<int>(FormOfLevel(level.param))].name;
    return (level.param == 0 ? std::string("Hub") : "Level" + std::to_string(level.param)) + "_" + form;
});

}  // namespace
