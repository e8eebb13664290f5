// The generated level maps (build/data/levelN.tmx): the game's XML reader
// accepts them, they have the structure the map loader reads, their content
// holds together (spawn, doors, keys, triggers), every text they show has its
// Spanish entry, and the Tiled editor opens them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

#include "framework/translation.h"
#include "framework/xml_parser.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(ORBEL_BINARY_DIR) / "data";
constexpr int kLevelCount = 7;  // the hub and six levels
constexpr int kTileSize = 16;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path LevelPath(int n) { return kData / ("level" + std::to_string(n) + ".tmx"); }

// A custom property as the loader reads it: the first matching property of
// the element's first "properties" child; empty when missing.
String PropertyOf(const Ref<c_XMLNode>& node, StringView name) {
    return node->GetChild(u"properties")->GetChild(u"property", u"name", String(name))->GetAttribute(u"value");
}

int IntOf(StringView text) { return static_cast<int>(StringToInt(text, 63)); }

// One object as the game will see it.
struct MapObject {
    String key;    // "ObjectSet_2" ...
    String layer;  // the layer its group is bound to
    int world;     // 1 or 2
    int x, y;      // Tiled position: bottom-left corner, map pixels
    int setWidth;  // tile width of its set (the game centres the object half of it right of x)
    Ref<c_XMLNode> node;
};

// The parts of a parsed map the checks below look at.
struct Map {
    Ref<c_XMLNode> root;
    int width = 0, height = 0;  // tiles
    int gameMode = 0;
    std::map<String, std::vector<int>> layers;  // name -> cells (gid, 0 empty)
    std::set<String> world1, world2;            // names of the layers each world loads
    std::vector<MapObject> objects;

    // Solid cell of a world's collision layer; outside the map is open.
    bool Solid(int world, int col, int row) const {
        if (col < 0 || row < 0 || col >= width || row >= height) return false;
        auto it = layers.find(world == 1 ? u"solid_1" : u"solid_2");
        return it != layers.end() && it->second[static_cast<std::size_t>(row) * width + col] != 0;
    }
    int Count(StringView key, int world = 0) const {
        int n = 0;
        for (auto& o : objects) n += o.key == key && (world == 0 || o.world == world);
        return n;
    }
};

// The layers one world loads: the loader's rule, in file order.
std::set<String> LoadedLayers(const Ref<c_XMLNode>& root, StringView excluded) {
    std::set<String> loaded;
    for (auto& layer : root->GetChildren(u"layer")) {
        String name = layer->GetAttribute(u"name"), required = PropertyOf(layer, u"requires");
        if (name == excluded || (!required.empty() && !loaded.count(required))) continue;
        loaded.insert(name);
    }
    return loaded;
}

// Parses a level with the game's reader. A rejected file ends the reader with
// a runtime error, so the first parse runs in a child where that shows as a
// failed expectation instead of taking the test run down.
bool LoadMap(int n, Map& map) {
    const String text = FromUtf8(ReadFile(LevelPath(n)));
    EXPECT_EXIT(
        {
            dup2(2, 1);
            if (std::freopen("/dev/null", "r", stdin)) New<c_XMLParser>()->Parse(text);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "")
        << "level" << n;
    if (testing::Test::HasFailure()) return false;
    map.root = New<c_XMLParser>()->Parse(text);
    map.width = IntOf(map.root->GetAttribute(u"width"));
    map.height = IntOf(map.root->GetAttribute(u"height"));
    map.gameMode = IntOf(PropertyOf(map.root, u"gameMode"));
    for (auto& layer : map.root->GetChildren(u"layer")) {
        auto& cells = map.layers[layer->GetAttribute(u"name")];
        for (auto& tile : layer->GetChild(u"data")->GetChildren(u"tile"))
            cells.push_back(IntOf(tile->GetAttribute(u"gid")));
    }
    map.world1 = LoadedLayers(map.root, u"base_2");
    map.world2 = LoadedLayers(map.root, u"base_1");

    // Object kinds: the set with the highest first gid not above the object's.
    std::vector<std::pair<int, Ref<c_XMLNode>>> sets;
    for (auto& set : map.root->GetChildren(u"tileset")) sets.emplace_back(IntOf(set->GetAttribute(u"firstgid")), set);
    for (auto& group : map.root->GetChildren(u"objectgroup")) {
        String layer = PropertyOf(group, u"layer");
        int world = map.world1.count(layer) ? 1 : map.world2.count(layer) && map.gameMode != 1 ? 2 : 0;
        for (auto& obj : group->GetChildren(u"object")) {
            int gid = IntOf(obj->GetAttribute(u"gid"));
            MapObject o{u"_" + IntToString(gid),        layer, world, IntOf(obj->GetAttribute(u"x")),
                        IntOf(obj->GetAttribute(u"y")), 0,     obj};
            for (auto& [first, set] : sets)
                if (first <= gid) {
                    o.key = set->GetAttribute(u"name") + u"_" + IntToString(gid - first);
                    o.setWidth = IntOf(set->GetAttribute(u"tilewidth"));
                }
            map.objects.push_back(o);
        }
    }
    return true;
}

// The Spanish table loaded the way the game loads it, for the length of a
// test; the table is process-wide, so it is emptied again afterwards.
class SpanishTable {
public:
    SpanishTable() { EXPECT_TRUE(LoadTranslations(FromUtf8(ReadFile(kData / "trans_desktop.txt")), u"==")); }
    ~SpanishTable() { LoadTranslations(u"\n", u"=="); }
    bool Has(StringView english) const { return TranslateText(english) != english; }
};

}  // namespace

TEST(LevelMaps, TheGameReaderAcceptsThemWithTheStructureTheLoaderNeeds) {
    const std::vector<String> setOrder = {u"ObjectSet", u"FlowerSet", u"WaterSet", u"TreeSet"};
    const std::set<String> knownKeys = {u"ObjectSet_0", u"ObjectSet_1", u"ObjectSet_2", u"ObjectSet_3", u"ObjectSet_4",
                                        u"ObjectSet_5", u"ObjectSet_6", u"ObjectSet_7", u"ObjectSet_8", u"FlowerSet_0",
                                        u"WaterSet_0",  u"WaterSet_1",  u"WaterSet_2",  u"TreeSet_0",   u"TreeSet_1",
                                        u"TreeSet_2",   u"TreeSet_3"};
    for (int n = 0; n < kLevelCount; ++n) {
        SCOPED_TRACE("level" + std::to_string(n));
        ASSERT_TRUE(fs::exists(LevelPath(n)));
        Map map;
        ASSERT_TRUE(LoadMap(n, map));
        ASSERT_EQ(map.root->name, u"map");

        // Tile sets: the tile graphics first, with the map's tile size and one
        // image; then the object sets in the loader's order, gids ascending.
        auto sets = map.root->GetChildren(u"tileset");
        ASSERT_EQ(sets.size(), 1 + setOrder.size());
        EXPECT_EQ(sets[0]->GetAttribute(u"tilewidth"), map.root->GetAttribute(u"tilewidth"));
        EXPECT_EQ(sets[0]->GetAttribute(u"tileheight"), map.root->GetAttribute(u"tileheight"));
        EXPECT_EQ(IntOf(map.root->GetAttribute(u"tilewidth")), kTileSize);
        EXPECT_EQ(sets[0]->GetChildren(u"image").size(), 1u);
        EXPECT_FALSE(sets[0]->GetChild(u"image")->GetAttribute(u"source").empty());
        for (std::size_t i = 0; i < setOrder.size(); ++i) {
            EXPECT_EQ(sets[i + 1]->GetAttribute(u"name"), setOrder[i]);
            EXPECT_LT(IntOf(sets[i]->GetAttribute(u"firstgid")), IntOf(sets[i + 1]->GetAttribute(u"firstgid")));
        }
        const int firstObjectGid = IntOf(sets[1]->GetAttribute(u"firstgid"));

        // Map properties, all present.
        for (const char16_t* p : {u"bgType", u"gameMode", u"weather1", u"forcedSync"})
            EXPECT_FALSE(map.root->GetChild(u"properties")->GetChild(u"property", u"name", p)->name.empty())
                << ToUtf8(p);

        // Each world gets its own geometry: world 1 all but base_2, world 2 all
        // but base_1; the solid layers the stage looks for are among them.
        EXPECT_TRUE(map.world1.count(u"solid_1"));
        EXPECT_FALSE(map.world1.count(u"solid_2"));
        if (map.gameMode != 1) {
            EXPECT_TRUE(map.world2.count(u"solid_2"));
            EXPECT_FALSE(map.world2.count(u"solid_1"));
        }
        for (auto& [name, cells] : map.layers) {
            SCOPED_TRACE(ToUtf8(name));
            EXPECT_EQ(cells.size(), static_cast<std::size_t>(map.width) * map.height);
            for (int gid : cells) EXPECT_TRUE(gid == 0 || (gid >= 1 && gid < firstObjectGid)) << gid;
        }

        // Every object group feeds a loaded layer; every object is a kind the
        // loader makes.
        for (auto& obj : map.objects) {
            EXPECT_NE(obj.world, 0) << "object bound to " << ToUtf8(obj.layer);
            EXPECT_TRUE(knownKeys.count(obj.key)) << ToUtf8(obj.key);
        }
    }
}

TEST(LevelMaps, ContentHoldsTogether) {
    SpanishTable spanish;
    std::set<int> hubDoors;
    for (int n = 0; n < kLevelCount; ++n) {
        SCOPED_TRACE("level" + std::to_string(n));
        Map map;
        ASSERT_TRUE(LoadMap(n, map));
        const int worlds = map.gameMode == 1 ? 1 : 2;

        // One spawn, in world 1; both characters start there, so neither may
        // start inside solid ground, and the first stands on something.
        ASSERT_EQ(map.Count(u"ObjectSet_0"), 1);
        for (auto& obj : map.objects) {
            if (obj.key != u"ObjectSet_0") continue;
            EXPECT_EQ(obj.world, 1);
            const int centre = obj.x + obj.setWidth / 2, feet = obj.y;
            for (int w = 1; w <= worlds; ++w)
                for (int px : {centre - 5, centre + 4})
                    for (int py = feet - 25; py < feet; py += 8)
                        EXPECT_FALSE(map.Solid(w, px / kTileSize, py / kTileSize)) << "spawn inside world " << w;
            EXPECT_TRUE(map.Solid(1, centre / kTileSize, feet / kTileSize)) << "spawn not on the ground";
        }

        // The windows slide in once: one trigger exactly when the mode slides.
        const bool sliding = map.gameMode != 0 && map.gameMode != 1;
        EXPECT_EQ(map.Count(u"ObjectSet_8"), sliding ? 1 : 0);

        if (n == 0) {
            EXPECT_EQ(map.Count(u"ObjectSet_3"), 0);
            for (auto& obj : map.objects)
                if (obj.key == u"ObjectSet_6") hubDoors.insert(IntOf(PropertyOf(obj.node, u"level")));
        } else {
            // An exit door in every world, and a key for every character:
            // lying keys or breakable boxes (which may drop into the other world).
            for (int w = 1; w <= worlds; ++w) EXPECT_EQ(map.Count(u"ObjectSet_3", w), 1) << "world " << w;
            EXPECT_GE(map.Count(u"ObjectSet_2") + map.Count(u"ObjectSet_4"), worlds);
            EXPECT_EQ(map.Count(u"ObjectSet_6"), 0);
        }

        // Every text the level shows has its Spanish entry: messages, and the
        // door texts as the whole composed strings.
        std::vector<String> texts;
        for (auto& obj : map.objects) {
            String msg = Replace(PropertyOf(obj.node, u"msg"), u"\\n", u"\n");
            if (!msg.empty()) texts.push_back(msg);
            if (obj.key == u"ObjectSet_6") {
                String level = IntToString(IntOf(PropertyOf(obj.node, u"level")));
                texts.push_back(u"- Level " + level + u" -\nPress DOWN to enter");
                if (level != u"1")
                    texts.push_back(u"- Level " + level + u" -\nBeat Lv " + IntToString(IntOf(level) - 1) +
                                    u" to unlock");
            }
        }
        for (auto& text : texts) EXPECT_TRUE(spanish.Has(text)) << "no Spanish for \"" << ToUtf8(text) << "\"";
    }
    // The hub leads to every level, each once.
    std::set<int> want;
    for (int n = 1; n < kLevelCount; ++n) want.insert(n);
    EXPECT_EQ(hubDoors, want);
}

TEST(LevelMaps, TheSpanishTableCoversTheGamesOwnTexts) {
    SpanishTable spanish;
    // Front end, pause menu, level screen and what the characters say at
    // keys and doors; names and web addresses stay untranslated.
    const char16_t* texts[] = {
        u"PRESS ENTER TO START",
        u"PRESS ENTER",
        u"Thanks for playing this Demo!",
        u"DEVELOPED BY",
        u"GAME DESIGN",
        u"LEVEL DESIGN",
        u"ART",
        u"ENVIRONMENTAL AND VISUAL EFFECTS",
        u"PROGRAMMING",
        u"MUSIC & SFX",
        u"MODER DOS 437 FONT",
        u"SPECIAL THANKS",
        u"THANKS FOR PLAYING",
        u"- PAUSE -",
        u"RESUME GAME",
        u"RESET STAGE",
        u"SOUND",
        u"TITLE SCREEN",
        u"DISCONNECTED!",
        u"I already have a key...",
        u"I need the key...",
        u"It's not opening.\nAm I missing something?",
    };
    for (const char16_t* text : texts) EXPECT_TRUE(spanish.Has(text)) << "no Spanish for \"" << ToUtf8(text) << "\"";
}

TEST(LevelMaps, TheTiledEditorOpensThem) {
    if (std::system("command -v tiled >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the Tiled editor is not installed (bash scripts/setup.sh --tests installs it)";
    // One file per process: test runs of other build trees may export at the same time.
    const fs::path out =
        fs::path(testing::TempDir()) / ("orbel_tiled_export." + std::to_string(::getpid()) + ".json");
    auto exportMap = [&](const fs::path& map) {
        fs::remove(out);
        // Offscreen: the editor needs no display to load and export a map.
        std::string command = "QT_QPA_PLATFORM=offscreen tiled --export-map json '" + map.string() + "' '" +
                              out.string() + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? ReadFile(out) : std::string();
    };
    const std::regex firstGid("firstgid=\"([0-9]+)\"|\"firstgid\":\\s*([0-9]+)");
    auto gids = [&](const std::string& text) {
        std::vector<std::string> found;
        for (std::sregex_iterator it(text.begin(), text.end(), firstGid), end; it != end; ++it)
            found.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
        return found;
    };
    // The editor copy is the game's map with other image paths.
    const std::regex imagePathsAndNote("source=\"[^\"]*\"|<!--[^>]*-->");
    for (int n = 0; n < kLevelCount; ++n) {
        SCOPED_TRACE("level" + std::to_string(n));
        const fs::path game = LevelPath(n), editor = kData / "editor" / LevelPath(n).filename();
        EXPECT_FALSE(exportMap(game).empty());
        // The editor renumbers the tile sets by the frames it finds in their
        // images, so equal first gids show that every image was found whole.
        std::string json = exportMap(editor);
        ASSERT_FALSE(json.empty());
        EXPECT_EQ(gids(json), gids(ReadFile(editor)));
        EXPECT_EQ(std::regex_replace(ReadFile(editor), imagePathsAndNote, ""),
                  std::regex_replace(ReadFile(game), imagePathsAndNote, ""));
    }
    fs::remove(out);
}
