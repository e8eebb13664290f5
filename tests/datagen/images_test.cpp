// The generated pictures and fonts in build/data: every image the game asks
// for exists in the form it reads (scrambled, or plain for the default font
// strip), decodes, and has the frame size and count the game cuts it into;
// both fonts describe a readable page and cover every character the game's
// texts use; and the generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/render_fixture.h"
#include "framework/texture.h"
#include "framework/tile_set.h"
#include "graphics/image.h"
#include "host/scramble.h"
#include "host/text.h"
#include "working_directory.h"

namespace {
namespace fs = std::filesystem;
const fs::path kBuild = ORBEL_BINARY_DIR;
const fs::path kData = kBuild / "data";
const fs::path kPreview = kBuild / "preview";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Size {
    int w = 0, h = 0;
};

// Loads images the way the game does: through the texture cache with
// scrambled images on, from the build folder's data folder.
class GameImages : public ::testing::Test {
protected:
    void SetUp() override { EnableScrambledImages(true); }
    void TearDown() override { EnableScrambledImages(false); }

    // The whole picture (one frame), or nothing when it does not load.
    std::optional<Size> Load(const std::string& pngName) {
        // A missing scrambled file ends the game's run; here it fails the test.
        if (!fs::exists(kData / ToUtf8(ScrambledImagePath(FromUtf8(pngName))))) return std::nullopt;
        auto texture = GetTexture(FromUtf8(pngName), 1);
        if (!texture->image) return std::nullopt;
        return Size{texture->image->Width(), texture->image->Height()};
    }

    WorkingDirectory cwd{kBuild};
    RecordedFrame frame;
};

struct ExpectedImage {
    const char* name;
    int frameW, frameH, frames;  // frames 0: a picture of free size
};

// Frame sizes and counts the game cuts each image into.
const ExpectedImage kImages[] = {
    {"char1_spritesheet.png", 16, 25, 21},
    {"char2_spritesheet.png", 16, 25, 21},
    {"arrow_mark.png", 9, 9, 4},
    {"box.png", 16, 16, 1},
    {"box_break.png", 77, 23, 9},
    {"door.png", 28, 44, 11},
    {"key.png", 19, 17, 8},
    {"key_icon.png", 18, 18, 2},
    {"noise.png", 320, 90, 4},
    {"flower_1.png", 9, 10, 3},
    {"waterfall_top.png", 16, 16, 5},
    {"waterfall_body.png", 16, 16, 5},
    {"waterfall_bottom.png", 16, 16, 5},
    {"leaf_1.png", 26, 39, 33},
    {"flags.png", 16, 14, 10},
    {"title.png", 320, 180, 1},
    {"outro.png", 320, 180, 1},
    {"oxbrook.png", 0, 0, 0},
    {"vintor.png", 0, 0, 0},
    {"bubble.png", 0, 0, 0},
    {"snow.png", 0, 0, 0},
    {"snowdust.png", 0, 0, 0},
    {"background1_parallax.png", 0, 0, 0},
    {"background2_parallax.png", 0, 0, 0},
    {"alt_background1_parallax.png", 0, 0, 0},
    {"alt_background2_parallax.png", 0, 0, 0},
};

TEST_F(GameImages, EveryImageLoadsScrambledWithItsFrames) {
    for (const ExpectedImage& want : kImages) {
        SCOPED_TRACE(want.name);
        auto whole = Load(want.name);
        ASSERT_TRUE(whole);
        EXPECT_GT(whole->w, 0);
        EXPECT_GT(whole->h, 0);
        if (want.frames == 0) continue;
        // the frames lie side by side in one strip, nothing left over
        EXPECT_EQ(whole->w, want.frameW * want.frames);
        EXPECT_EQ(whole->h, want.frameH);
        auto texture = GetTexture(FromUtf8(want.name), want.frames);  // as the game cuts it
        ASSERT_TRUE(texture->image);
        EXPECT_EQ(texture->image->Frames(), want.frames);
        EXPECT_EQ(texture->image->Width(), want.frameW);
        EXPECT_EQ(texture->image->Height(), want.frameH);
    }
}

TEST_F(GameImages, WorldVariantsAndTileGridsHaveTheirShapes) {
    for (const std::string prefix : {"", "alt_"}) {
        SCOPED_TRACE(prefix);
        // the indices documented for the maps
        auto tiles = New<c_TileSet>(GetTexture(FromUtf8(prefix + "tileset.png")), 16, 16);
        EXPECT_EQ(tiles->columns, 8);
        EXPECT_GE(tiles->tileCount, 40);
        for (int i = 1; i <= 4; ++i) {
            // the map objects of one tree set share one tile size
            auto tree = Load(prefix + "tree" + std::to_string(i) + ".png");
            ASSERT_TRUE(tree);
            EXPECT_EQ(tree->w, 40);
            EXPECT_EQ(tree->h, 56);
            EXPECT_TRUE(Load(prefix + "parallaxtree" + std::to_string(i) + ".png"));
        }
    }
    // 3 x 3 map tiles: three snow depths per half tile
    EXPECT_EQ(New<c_TileSet>(GetTexture(u"snowset.png"), 16, 16)->tileCount, 9);
}

TEST_F(GameImages, AtlasPicturesAreThePixelsOfTheirOwnFiles) {
    std::istringstream index(ReadFile(kData / "atlas.txt"));
    std::string line;
    int pictures = 0;
    while (std::getline(index, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, atlas;
        int x = -1, y = -1, w = 0, h = 0;
        ASSERT_TRUE(fields >> name >> atlas >> x >> y >> w >> h) << line;
        SCOPED_TRACE(name);
        ++pictures;
        // The picture as the generator drew it, and as the game cuts it.
        const std::string png = ReadFile(kPreview / name);
        Ref<gxtkSurface> own =
            frame.device->LoadSurfaceMemory(reinterpret_cast<const std::uint8_t*>(png.data()), png.size());
        ASSERT_TRUE(own);
        auto texture = GetTexture(FromUtf8(name));
        ASSERT_TRUE(texture->image);
        const c_Image& part = *texture->image;
        ASSERT_EQ(part.Width(), own->width);
        ASSERT_GE(own->height, part.Height());
        ASSERT_EQ(part.surface->depth, 4);
        ASSERT_EQ(own->depth, 4);
        // The atlas may leave out clear rows at the top (the pictures stand
        // on their bottom edge), keeping one clear row above the drawing.
        const int dropped = own->height - part.Height();
        const int clearRows = dropped > 0 ? dropped + 1 : 0;
        int drawnAbove = 0;
        for (std::size_t i = 3; i < std::size_t(clearRows) * std::size_t(w) * 4; i += 4)
            drawnAbove += own->Data()[i] != 0;
        EXPECT_EQ(drawnAbove, 0);
        int differing = 0;
        for (int row = 0; row < h; ++row) {
            const std::uint8_t* a = own->Data() + std::size_t(row + dropped) * std::size_t(w) * 4;
            const std::uint8_t* b =
                part.surface->Data() + (std::size_t(part.frames[0].y + row) * std::size_t(part.surface->width) +
                                        std::size_t(part.frames[0].x)) *
                                           4;
            differing += std::memcmp(a, b, std::size_t(w) * 4) != 0;
        }
        EXPECT_EQ(differing, 0);
    }
    // Both styles: two far layers and four tree silhouettes each; and the
    // 22 pictures of level objects (eight map trees among them).
    EXPECT_EQ(pictures, 12 + 22);
}

TEST(GeneratedImages, ScrambledFilesRoundTripToTheirPngAndRefuseAWrongCheck) {
    for (const char* name : {"door.png", "noise.png", "title.png", "tileset.png"}) {
        SCOPED_TRACE(name);
        std::string png = ReadFile(kPreview / name);
        std::string file = ReadFile(kData / (std::string(name, std::strlen(name) - 3) + "imx"));
        ASSERT_FALSE(png.empty());
        auto plain = UnscrambleFile(file);
        ASSERT_TRUE(plain);
        EXPECT_EQ(*plain, png);
        file[2] = static_cast<char>(file[2] ^ 0x01);
        EXPECT_FALSE(UnscrambleFile(file));
    }
    // No preview and no plain PNG of a texture lands in the data folder.
    for (const auto& entry : fs::directory_iterator(kData)) {
        if (entry.path().extension() == ".png") {
            EXPECT_EQ(entry.path().filename(), "vela_font.png");
        }
    }
}

TEST_F(GameImages, DefaultFontStripIsPlainWith96Cells) {
    std::string bytes = ReadFile(kData / "vela_font.png");
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    // as the drawing layer loads it at start-up
    auto strip = LoadImage(u"vela_font.png", 96, c_Image::PadX);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->Frames(), 96);
    EXPECT_GE(strip->Width(), 5);  // a glyph cell with the spare columns taken off
    EXPECT_EQ(strip->Height(), 10);
}

// ---- fonts ------------------------------------------------------------

struct FntChar {
    int x, y, w, h, xadvance;
};

struct Fnt {
    int lineHeight = 0, scaleW = 0, scaleH = 0;
    std::string page;
    std::map<int, FntChar> chars;
    std::map<std::pair<int, int>, int> kernings;
};

// The BMFont text format as the game reads it: tag, then key=value tokens.
Fnt ParseFnt(const std::string& text) {
    Fnt f;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream tokens(line);
        std::string tag, token;
        tokens >> tag;
        std::map<std::string, std::string> kv;
        while (tokens >> token) {
            auto eq = token.find('=');
            if (eq != std::string::npos) kv[token.substr(0, eq)] = token.substr(eq + 1);
        }
        auto num = [&](const char* k) { return std::atoi(kv[k].c_str()); };
        if (tag == "common") {
            f.lineHeight = num("lineHeight");
            f.scaleW = num("scaleW");
            f.scaleH = num("scaleH");
        } else if (tag == "page") {
            f.page = kv["file"];
            if (f.page.size() >= 2 && f.page.front() == '"' && f.page.back() == '"')
                f.page = f.page.substr(1, f.page.size() - 2);
        } else if (tag == "char") {
            f.chars[num("id")] = {num("x"), num("y"), num("width"), num("height"), num("xadvance")};
        } else if (tag == "kerning") {
            f.kernings[{num("first"), num("second")}] = num("amount");
        }
    }
    return f;
}

// Every text the game shows by itself (menus, prompts, what the characters
// say, door labels), before translation.
const char* const kGameTexts[] = {"PRESS ENTER TO START",
                                  "PRESS ENTER",
                                  "Thanks for playing this Demo!",
                                  "DEVELOPED BY",
                                  "GAME DESIGN",
                                  "LEVEL DESIGN",
                                  "ART",
                                  "ENVIRONMENTAL AND VISUAL EFFECTS",
                                  "PROGRAMMING",
                                  "MUSIC & SFX",
                                  "MODER DOS 437 FONT",
                                  "COBALT-X",
                                  "SPECIAL THANKS",
                                  "THANKS FOR PLAYING",
                                  "- PAUSE -",
                                  "RESUME GAME",
                                  "RESET STAGE",
                                  "SOUND",
                                  "TITLE SCREEN",
                                  "ENGLISH",
                                  "ESPA\xc3\xb1OL",
                                  "DISCONNECTED!",
                                  "I already have a key...",
                                  "I need the key...",
                                  "It's not opening.\nAm I missing something?",
                                  "- Level 0123456789 -\nPress DOWN to enter",
                                  "Beat Lv 0123456789 to unlock"};

// The texts of the level maps ("msg" properties) and both sides of the
// translation table, when the data folder has them.
std::vector<std::string> DataTexts() {
    std::vector<std::string> texts;
    std::string table = ReadFile(kData / "trans_desktop.txt");
    if (!table.empty()) texts.push_back(table);
    for (const auto& entry : fs::directory_iterator(kData))
        if (entry.path().extension() == ".tmx") {
            std::string map = ReadFile(entry.path());
            for (std::size_t at = map.find("value=\""); at != std::string::npos; at = map.find("value=\"", at + 1)) {
                auto end = map.find('"', at + 7);
                if (end != std::string::npos) texts.push_back(map.substr(at + 7, end - at - 7));
            }
        }
    return texts;
}

TEST_F(GameImages, BothFontsDescribeTheirPageAndCoverTheGamesTexts) {
    std::vector<std::string> texts(std::begin(kGameTexts), std::end(kGameTexts));
    for (const auto& t : DataTexts()) texts.push_back(t);
    std::set<char16_t> needed;
    for (char16_t c = 32; c < 127; ++c) needed.insert(c);
    for (char16_t c : std::u16string(u"áéíóúüñÁÉÍÓÚÜÑ¿¡")) needed.insert(c);
    for (const auto& t : texts)
        for (char16_t c : FromUtf8(t))
            if (c >= 32) needed.insert(c);

    for (const char* name : {"moder_dos_437.fnt", "v5_loxica.fnt"}) {
        SCOPED_TRACE(name);
        std::string text = ReadFile(kData / name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find('\r'), std::string::npos);  // lines end in "\n" only
        Fnt f = ParseFnt(text);
        EXPECT_GT(f.lineHeight, 0);
        // the page is read through the texture path, so it is scrambled
        ASSERT_FALSE(f.page.empty());
        auto page = Load(f.page);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->w, f.scaleW);
        EXPECT_EQ(page->h, f.scaleH);
        for (char16_t c : needed) {
            auto it = f.chars.find(c);
            ASSERT_NE(it, f.chars.end()) << "no glyph for code " << static_cast<int>(c);
            const FntChar& g = it->second;
            EXPECT_GT(g.xadvance, 0);
            EXPECT_LE(g.x + g.w, page->w);
            EXPECT_LE(g.y + g.h, page->h);
            if (c != u' ') {
                EXPECT_GT(g.w * g.h, 0) << "empty glyph for code " << static_cast<int>(c);
            }
        }
        EXPECT_GE(f.kernings.size(), 3u);
        for (const auto& [pair, amount] : f.kernings) {
            EXPECT_TRUE(f.chars.count(pair.first) && f.chars.count(pair.second));
            EXPECT_LT(amount, 0);
        }
    }
}

// ---- determinism --------------------------------------------------------

std::map<std::string, std::string> ReadTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
    return files;
}

// The build has run the generator once already; a second run must write
// the very same files.
TEST(DataGenerator, ASecondRunWritesIdenticalFiles) {
    fs::path work = kBuild / "datagen_again";
    fs::remove_all(work);
    std::string cmd = "\"" + (kBuild / "orbel_datagen").string() + "\" \"" +
                      (fs::path(ORBEL_SOURCE_DIR) / "assets").string() + "\" \"" + (work / "data").string() + "\" \"" +
                      (work / "preview").string() + "\" > /dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    auto again = ReadTree(work);
    EXPECT_GT(again.size(), 40u);
    for (const auto& [name, bytes] : again) EXPECT_EQ(ReadFile(kBuild / name), bytes) << name << " differs";
    // and nothing in the data folder comes from anywhere else
    auto built = ReadTree(kData);
    built.erase(".stamp");
    for (const auto& [name, bytes] : built)
        EXPECT_TRUE(again.count("data/" + name)) << name << " was not written again";
    fs::remove_all(work);
}

}  // namespace
