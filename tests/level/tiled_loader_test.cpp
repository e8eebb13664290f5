// Map loader on small maps written by the tests: layers, object keys and
// their placement, the level-door texts, the runtime errors, and the real
// level files once.
#include <gtest/gtest.h>

#include <climits>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/game.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "framework/xml_parser.h"
#include "host/files.h"
#include "host/runtime_error.h"
#include "level/closeness_triggers.h"
#include "level/door.h"
#include "level/key_item.h"
#include "level/level_world.h"
#include "level/movable_object.h"
#include "level/stub_level_host.h"
#include "level/tiled_loader.h"
#include "support/child_process.h"

using namespace level_test;

namespace {

// A 4 x 2 map of 16-pixel tiles (64 x 32 pixels, so object coordinates are
// shifted by (-32, -16)). Tile sets: "tiles" from gid 1, then, listed out of
// order, "ObjectSet" from 200 and "TreeSet" (32 wide) from 100.
constexpr char kThreeSets[] =
    R"(<tileset firstgid="1" name="tiles" tilewidth="16" tileheight="16"><image source="tiles.png"/></tileset>
       <tileset firstgid="200" name="ObjectSet" tilewidth="16" tileheight="16"/>
       <tileset firstgid="100" name="TreeSet" tilewidth="32" tileheight="48"/>)";

std::string Map(const std::string& body, const std::string& tilesets = kThreeSets) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<map version="1.0" orientation="orthogonal" width="4" height="2" tilewidth="16" tileheight="16">)" +
           tilesets + body + "</map>";
}

std::string Layer(const std::string& name, const std::vector<int>& gids, const std::string& required = "") {
    std::string xml = "<layer name=\"" + name + "\" width=\"4\" height=\"2\">";
    if (!required.empty()) xml += R"(<properties><property name="requires" value=")" + required + "\"/></properties>";
    xml += "<data>";
    for (int gid : gids) xml += "<tile gid=\"" + std::to_string(gid) + "\"/>";
    return xml + "</data></layer>";
}

const std::vector<int> kEmpty(8, 0);

std::string Group(const std::string& layer, const std::string& objects) {
    std::string xml = "<objectgroup name=\"things\">";
    if (!layer.empty()) xml += R"(<properties><property name="layer" value=")" + layer + "\"/></properties>";
    return xml + objects + "</objectgroup>";
}

std::string MapObject(int gid, const std::string& x, const std::string& y, const std::string& properties = "") {
    std::string xml = "<object gid=\"" + std::to_string(gid) + "\" x=\"" + x + "\" y=\"" + y + "\"";
    if (properties.empty()) return xml + "/>";
    return xml + "><properties>" + properties + "</properties></object>";
}

std::string Property(const std::string& name, const std::string& value) {
    return "<property name=\"" + name + "\" value=\"" + value + "\"/>";
}

// A level world with the loader's images and a stand-in stage.
struct LoaderFixture : LevelWorld {
    LoaderFixture() {
        dir.Write("data/door.png", Sheet(28, 44, 11, 1));
        dir.Write("data/key.png", Sheet(19, 17, 8, 1));
        dir.Write("data/alt_tiles.png", Sheet(16, 16, 2, 1));
        dir.Write("data/flower_1.png", Sheet(9, 10, 3, 1));
        dir.Write("data/alt_tree2.png", Sheet(32, 48, 1, 1));
        stage->engine = engine;
        player = AddCharacter(0, 0);
        Game().levelProgress = 0;
    }
    ~LoaderFixture() {
        for (auto& world : worlds) world->Discard();
        Game().levelProgress = 0;
    }
    Ref<c_EmptyGDOContainer> Load(const std::string& xml, StringView excluded = u"", StringView prefix = u"") {
        auto world = LoadTiledMap(*stage, 5, 7, excluded, prefix, player, c_XMLParser().Parse(FromUtf8(xml)));
        if (world) worlds.push_back(world);
        return world;
    }

    Ref<StubLevelHost> stage = New<StubLevelHost>();
    Ref<c_PlayerChar> player;
    std::vector<Ref<c_EmptyGDOContainer>> worlds;
};

std::vector<String> ChildNames(const c_GDO& node) {
    std::vector<String> names;
    for (auto& child : node.children) names.push_back(child->name);
    return names;
}

template <class T>
std::vector<Ref<T>> ChildrenOf(const c_GDO& node) {
    std::vector<Ref<T>> found;
    for (auto& child : node.children) {
        if (auto typed = std::dynamic_pointer_cast<T>(child)) found.push_back(typed);
    }
    return found;
}

}  // namespace

TEST(TiledLoader, LayersFollowExclusionRequirementsAndTileOffsets) {
    LoaderFixture world;
    auto map = world.Load(Map(Layer("base_1", {0, 1, 2, 3, 0, 0, 0, 7}) +             //
                              Layer("needs_late", kEmpty, "late") +                   // "late" comes later
                              Layer("base_2", kEmpty) +                               // excluded
                              Layer("solid_1", {1, 0, 0, 0, 0, 0, 0, 0}) +            //
                              Layer("needs_base", kEmpty, "base_1") +                 //
                              Layer("late", kEmpty) +                                 //
                              Layer("solid_1", {2, 2, 2, 2, 2, 2, 2, 2}, "base_2")),  // its requirement was excluded
                          u"base_2");
    ASSERT_TRUE(map);
    EXPECT_EQ(ChildNames(*map), (std::vector<String>{u"base_1", u"solid_1", u"needs_base", u"late"}));
    EXPECT_EQ(map->position.x, 5);
    EXPECT_EQ(map->position.y, 7);
    auto base = std::dynamic_pointer_cast<c_TileMap>(map->children[0]);
    ASSERT_TRUE(base);
    EXPECT_EQ(base->tiles, (std::vector<int>{-1, 0, 1, 2, -1, -1, -1, 6}));
    EXPECT_EQ(base->GetWidth(), 64);
    EXPECT_EQ(base->tileSet->texture->path, u"tiles.png");

    // The second world's art carries the prefix.
    auto alt = world.Load(Map(Layer("solid_2", kEmpty)), u"", u"alt_");
    ASSERT_TRUE(alt);
    EXPECT_EQ(std::dynamic_pointer_cast<c_TileMap>(alt->children[0])->tileSet->texture->path, u"alt_tiles.png");
}

TEST(TiledLoader, ObjectsAreCreatedByKeyAndPlacedInTheirLayer) {
    LoaderFixture world;
    const std::string objects = MapObject(200, "40.9", "32") +                                // spawn
                                MapObject(201, "16", "32") +                                  // movable box
                                MapObject(202, "0", "16", Property("msg", "Got it\\nnow")) +  // key
                                MapObject(203, "-10.7", "32", Property("level", "4")) +       // exit door
                                MapObject(204, "48", "32") +                                  // breakable box
                                MapObject(205, "8", "32", Property("msg", "Hello")) +         // sign
                                MapObject(207, "24", "32", Property("msg", "Hi")) +           // dialog, no duration
                                MapObject(207, "24", "32", Property("duration", "1500ms")) +  // dialog, 1500 ms
                                MapObject(208, "0", "0") +                                    // event raiser
                                MapObject(101, "16", "32") +                                  // TreeSet_1
                                MapObject(150, "0", "0") + MapObject(199, "0", "0") +
                                MapObject(5, "0", "0") +  // unknown keys
                                MapObject(0, "0", "0");
    auto map = world.Load(
        Map(Layer("solid_1", kEmpty) + Layer("solid_1", kEmpty) + Group("solid_1", objects) +  // the first "solid_1"
            Group("", MapObject(200, "0", "0")) +                                              // no layer: skipped
            Group("missing", MapObject(200, "0", "0"))),                                       // no such layer
        u"", u"alt_");
    ASSERT_TRUE(map);
    auto& layer = static_cast<c_TileMap&>(*map->children[0]);
    EXPECT_TRUE(map->children[1]->children.empty());

    // x: truncated, minus half the map, plus half the tile set's tile width.
    EXPECT_FLOAT_EQ(world.stage->settings.spawn.x, 40 - 32 + 8);
    EXPECT_FLOAT_EQ(world.stage->settings.spawn.y, 32 - 16 - 12.5f);

    auto boxes = ChildrenOf<c_MovableObject>(layer);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_FLOAT_EQ(boxes[0]->position.x, 16 - 32 + 8);
    EXPECT_FLOAT_EQ(boxes[0]->position.y, 16 - 8);  // centred on its 16-pixel height
    EXPECT_TRUE(std::dynamic_pointer_cast<c_BreakableBox>(boxes[1]));
    // Both kinds ask the host that placed them to cross worlds.
    for (auto& box : boxes) EXPECT_EQ(box->worldCrossing, static_cast<c_WorldCrossing*>(world.stage.get()));
    boxes[1]->Update(16);
    EXPECT_EQ(world.stage->crossings, std::vector<c_GDO*>{boxes[1].get()});

    auto keys = ChildrenOf<c_KeyItem>(layer);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_FLOAT_EQ(keys[0]->position.x, -24);
    EXPECT_FLOAT_EQ(keys[0]->position.y, -8.5f);
    EXPECT_EQ(keys[0]->message, u"Got it\nnow");
    ASSERT_TRUE(keys[0]->bobTween);
    EXPECT_TRUE(keys[0]->bobTween->running);
    EXPECT_FLOAT_EQ(keys[0]->bobTween->from, -11.5f);
    EXPECT_FLOAT_EQ(keys[0]->bobTween->to, -5.5f);

    auto doors = ChildrenOf<c_Door>(layer);
    ASSERT_EQ(doors.size(), 1u);
    EXPECT_EQ(doors[0]->name, u"THE_DOOR");
    EXPECT_EQ(doors[0]->level, -1);
    EXPECT_FLOAT_EQ(doors[0]->position.x, -10 - 32 + 8);  // truncated toward zero
    EXPECT_FLOAT_EQ(doors[0]->position.y, 16 - 22);

    auto signs = ChildrenOf<c_ClosenessTriggeredText>(layer);
    ASSERT_EQ(signs.size(), 1u);
    EXPECT_EQ(signs[0]->text, u"Hello");
    EXPECT_FLOAT_EQ(signs[0]->position.x, 8 - 32 + 8);
    EXPECT_FLOAT_EQ(signs[0]->position.y, 16 - 12.5f);
    EXPECT_EQ(signs[0]->alpha, 0);
    EXPECT_EQ(signs[0]->targetPosition, world.player->absPosition);

    auto dialogs = ChildrenOf<c_ClosenessTriggeredDialog>(layer);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0]->text, u"Hi");
    EXPECT_EQ(dialogs[0]->duration, 4000);
    EXPECT_EQ(dialogs[1]->duration, 1500);
    EXPECT_EQ(dialogs[0]->target.lock(), world.player);

    auto trees = ChildrenOf<c_StaticImage>(layer);
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0]->texture->path, u"alt_tree2.png");
    EXPECT_FLOAT_EQ(trees[0]->position.x, 16 - 32 + 16);
    EXPECT_FLOAT_EQ(trees[0]->position.y, 16 - 24);

    // Nothing else was made: the unknown keys created nothing.
    EXPECT_EQ(layer.children.size(), 9u);

    // The stage hears its breakable boxes and its own event raisers.
    RaiseEvent(boxes[1].get(), kBoxBrokeEvent);
    RaiseEvent(world.stage.get(), kTriggerEvent);
    RaiseEvent(boxes[0].get(), kBoxBrokeEvent);
    EXPECT_EQ(world.stage->events, (std::vector<std::pair<Object*, int>>{{boxes[1].get(), kBoxBrokeEvent},
                                                                         {world.stage.get(), kTriggerEvent}}));
}

TEST(TiledLoader, ASingleTileSetLoadsLayersButNoObjects) {
    LoaderFixture world;
    world.stage->settings.spawn.Set(3, 4);
    auto map = world.Load(Map(
        Layer("solid_1", {1, 1, 1, 1, 0, 0, 0, 0}) +
            Group("solid_1", MapObject(1, "0", "0") + MapObject(2, "16", "16") + MapObject(200, "0", "0")),
        R"(<tileset firstgid="1" name="ObjectSet" tilewidth="16" tileheight="16"><image source="tiles.png"/></tileset>)"));
    ASSERT_TRUE(map);
    ASSERT_EQ(map->children.size(), 1u);
    EXPECT_TRUE(map->children[0]->children.empty());
    EXPECT_EQ(world.stage->settings.spawn.x, 3);
    EXPECT_EQ(world.stage->settings.spawn.y, 4);
}

TEST(TiledLoader, LevelDoorsShowWhetherTheirLevelIsOpen) {
    struct Case {
        int progress;
        int level;
        const char16_t* text;
    };
    for (const Case& c :
         {Case{0, 1, u"- Level 1 -\nPress DOWN to enter"}, Case{1, 3, u"- Level 3 -\nBeat Lv 2 to unlock"},
          Case{2, 3, u"- Level 3 -\nPress DOWN to enter"},
          // A hostile number: nothing may overflow on the way to its text.
          Case{0, INT_MIN, u"- Level -2147483648 -\nPress DOWN to enter"},
          Case{6, INT_MAX, u"- Level 2147483647 -\nBeat Lv 2147483646 to unlock"}}) {
        LoaderFixture world;
        Game().levelProgress = c.progress;
        auto map =
            world.Load(Map(Layer("solid_1", kEmpty) +
                           Group("solid_1", MapObject(206, "32", "32", Property("level", std::to_string(c.level))))));
        ASSERT_TRUE(map);
        auto doors = ChildrenOf<c_Door>(*map->children[0]);
        ASSERT_EQ(doors.size(), 1u);
        EXPECT_EQ(doors[0]->level, c.level);
        EXPECT_EQ(doors[0]->name, u"DOOR_" + IntToString(c.level));
        auto signs = ChildrenOf<c_ClosenessTriggeredText>(*doors[0]);
        ASSERT_EQ(signs.size(), 1u);
        EXPECT_EQ(signs[0]->text, c.text) << c.progress << " " << c.level;
        EXPECT_FLOAT_EQ(signs[0]->position.y, -22 - 8);
    }
}

TEST(TiledLoader, FlowersAndWaterfallsAnimateInPlace) {
    LoaderFixture world;
    for (const char* part : {"top", "body", "bottom"})
        world.dir.Write(std::string("data/waterfall_") + part + ".png", Sheet(16, 16, 5, 1));
    const std::string sets = std::string(kThreeSets) +
                             R"(<tileset firstgid="300" name="FlowerSet" tilewidth="9" tileheight="10"/>
                                <tileset firstgid="400" name="WaterSet" tilewidth="16" tileheight="16"/>)";
    auto map = world.Load(
        Map(Layer("solid_1", kEmpty) + Group("solid_1", MapObject(300, "10", "32") + MapObject(400, "16", "16") +
                                                            MapObject(401, "16", "32") + MapObject(402, "32", "32") +
                                                            MapObject(403, "0", "0")),  // no fourth waterfall piece
            sets),
        u"", u"alt_");
    ASSERT_TRUE(map);
    auto sprites = ChildrenOf<c_Sprite>(*map->children[0]);
    struct Want {
        const char16_t* image;
        const char16_t* animation;
        std::vector<int> frames;
        int frameMs;
        float x, y;
    };
    // The flower and the waterfalls carry no prefix in either world.
    const Want want[] = {
        {u"flower_1.png", u"dance", {0, 1, 2, 1}, 200, 10 - 32 + 4.5f, 16 - 5},
        {u"waterfall_top.png", u"fall", {0, 1, 2, 3, 4}, 100, 16 - 32 + 8, 0 - 8},
        {u"waterfall_body.png", u"fall", {0, 1, 2, 3, 4}, 100, 16 - 32 + 8, 16 - 8},
        {u"waterfall_bottom.png", u"fall", {0, 1, 2, 3, 4}, 100, 32 - 32 + 8, 16 - 8},
    };
    ASSERT_EQ(sprites.size(), std::size(want));
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        SCOPED_TRACE(ToUtf8(want[i].image));
        const c_Sprite& sprite = *sprites[i];
        auto* tiles = dynamic_cast<c_TileSet*>(sprite.frames.get());
        ASSERT_NE(tiles, nullptr);
        EXPECT_EQ(tiles->texture->path, want[i].image);
        EXPECT_EQ(sprite.sequenceName, want[i].animation);
        EXPECT_EQ(sprite.state, c_Sprite::kPlaying);
        ASSERT_NE(sprite.sequence, nullptr);
        EXPECT_EQ(sprite.sequence->frames, want[i].frames);
        EXPECT_TRUE(sprite.sequence->loop);
        EXPECT_EQ(sprite.frameDuration, want[i].frameMs);
        EXPECT_FLOAT_EQ(sprite.position.x, want[i].x);
        EXPECT_FLOAT_EQ(sprite.position.y, want[i].y);
    }
}

TEST(TiledLoader, TextsAreTranslatedWholeAfterTheLineBreaks) {
    LoaderFixture world;
    // A backslash and "n" stand for a line break in a table line, as in a "msg".
    ASSERT_TRUE(
        LoadTranslations(u"Got it\\nnow == Ya\\nla tengo\n"
                         u"Read me == Leeme\n"
                         u"Wait == Espera\n"
                         u"- Level 2 -\\nBeat Lv 1 to unlock == - Nivel 2 -\\nGana el Nv 1\n",
                         u"=="));
    auto map = world.Load(
        Map(Layer("solid_1", kEmpty) + Group("solid_1", MapObject(202, "0", "16", Property("msg", "Got it\\nnow")) +
                                                            MapObject(205, "8", "32", Property("msg", "Read me")) +
                                                            MapObject(207, "8", "32", Property("msg", "Wait")) +
                                                            MapObject(206, "32", "32", Property("level", "2")))));
    LoadTranslations(u"\n", u"==");  // an empty table again
    ASSERT_TRUE(map);
    const c_GDO& layer = *map->children[0];
    ASSERT_EQ(ChildrenOf<c_KeyItem>(layer).size(), 1u);
    EXPECT_EQ(ChildrenOf<c_KeyItem>(layer)[0]->message, u"Ya\nla tengo");
    ASSERT_EQ(ChildrenOf<c_ClosenessTriggeredText>(layer).size(), 1u);
    EXPECT_EQ(ChildrenOf<c_ClosenessTriggeredText>(layer)[0]->text, u"Leeme");
    ASSERT_EQ(ChildrenOf<c_ClosenessTriggeredDialog>(layer).size(), 1u);
    EXPECT_EQ(ChildrenOf<c_ClosenessTriggeredDialog>(layer)[0]->text, u"Espera");
    auto doors = ChildrenOf<c_Door>(layer);
    ASSERT_EQ(doors.size(), 1u);
    auto doorSigns = ChildrenOf<c_ClosenessTriggeredText>(*doors[0]);
    ASSERT_EQ(doorSigns.size(), 1u);
    EXPECT_EQ(doorSigns[0]->text, u"- Nivel 2 -\nGana el Nv 1");
}

TEST(TiledLoader, NumbersReadALeadingValueFromTheLowBytes) {
    struct Case {
        String text;
        int integer;
        double number;
    };
    const String padded = String(63, u'0') + u"7";  // the 7 lies past the 63 read characters
    for (const Case& c : {Case{u"12", 12, 12}, Case{u" -3.75px", -3, -3.75}, Case{u"abc", 0, 0}, Case{u"", 0, 0},
                          Case{u"\u01345", 45, 45},  // the low byte of U+0134 is "4"
                          Case{u"99999999999", 2147483647, 99999999999.0}, Case{padded, 0, 7}, Case{u"inf", 0, 0}}) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(TiledInt(c.text), c.integer);
        EXPECT_DOUBLE_EQ(TiledNumber(c.text), std::min(c.number, 1e9));
    }
}

TEST(TiledLoader, ANonMapRootGivesNothing) {
    LoaderFixture world;
    EXPECT_FALSE(world.Load("<level width=\"4\"><layer name=\"solid_1\"/></level>"));
    auto root = c_XMLParser().Parse(FromUtf8(Map("")));
    EXPECT_EQ(GetMapProperty(root, u"gameMode"), u"");
    auto withProperties = c_XMLParser().Parse(FromUtf8(Map(
        R"(<properties><property name="gameMode" value="1"/><property name="weather1" value="snow"/></properties>)")));
    EXPECT_EQ(TiledInt(GetMapProperty(withProperties, u"gameMode")), 1);
    EXPECT_EQ(GetMapProperty(withProperties, u"weather1"), u"snow");
}

TEST(TiledLoader, BrokenMapsEndWithTheLoadersMessage) {
    struct Case {
        std::string xml;
        const char* message;
    };
    const Case cases[] = {
        {Map(Layer("solid_1", kEmpty),
             R"(<tileset firstgid="1" name="tiles" tilewidth="16" tileheight="8"><image source="tiles.png"/></tileset>)"),
         "TILED_LOADER: Mismatching tileheight or tilewidth between global map and tileset!"},
        {Map(Layer("solid_1", kEmpty),
             R"(<tileset firstgid="1" name="tiles" tilewidth="16" tileheight="16"><image source="tiles.png"/><image source="b.png"/></tileset>)"),
         "TILED_LOADER: We only support tilesets with 1 image source!"},
        {Map(Layer("solid_1", {1, 1, 1})),
         "TILED_LOADER: Mismatching tile data count for layer solid_1 (Expected width x height entries)!"},
        // A size far beyond its data fails the same way instead of sizing a huge layer.
        {Map(R"(<layer name="big" width="100000" height="100000"><data><tile gid="1"/></data></layer>)"),
         "TILED_LOADER: Mismatching tile data count for layer big (Expected width x height entries)!"},
        // Sizes that agree with their (empty) data but would size the world without bound.
        {Map(R"(<layer name="wide" width="2000000000" height="0"><data></data></layer>)"),
         "TILED_LOADER: Layer wide is 2000000000 x 0 cells, over the limit of 4096 x 4096!"},
        {R"(<map width="4" height="2" tilewidth="100000" tileheight="100000"><tileset firstgid="1" name="tiles" tilewidth="100000" tileheight="100000"><image source="tiles.png"/></tileset></map>)",
         "TILED_LOADER: Tile size 100000 x 100000 is over the limit of 256!"},
        {R"(<map width="4" height="-3" tilewidth="16" tileheight="16"></map>)",
         "TILED_LOADER: The map is 4 x -3 cells, over the limit of 4096 x 4096!"},
    };
    for (const Case& c : cases) {
        ChildResult result = RunInChild([&] {
            LoaderFixture world;
            world.Load(c.xml);
            Print("loaded");
        });
        EXPECT_EQ(result.exitCode, 255) << c.message;
        EXPECT_TRUE(StartsWith(FromUtf8(result.out), u"Cobalt Runtime Error : " + S(c.message) + u"\n"))
            << c.message << ": " << result.out;
    }
}

// The level designer's maps, as built into ./data: the worlds of every
// level load, and each world has its solid layer and its doors.
TEST(TiledLoader, EveryShippedLevelLoadsItsWorlds) {
    ASSERT_TRUE(std::filesystem::exists("data/level0.tmx")) << "run from the build folder";
    ChildResult result = RunInChild([] {
        EnableScrambledImages(true);
        RecordedFrame frame;
        for (int level = 0; level <= 6; ++level) {
            auto stage = New<StubLevelHost>();
            stage->engine = New<c_BasicBoxEngine>();
            Ref<c_XMLNode> root = c_XMLParser().Parse(LoadText(u"level" + IntToString(level) + u".tmx"));
            String line = u"level " + IntToString(level) + u":";
            // One-character levels have no second world.
            const int worlds = TiledInt(GetMapProperty(root, u"gameMode")) == 1 ? 1 : 2;
            for (int world = 1; world <= worlds; ++world) {
                auto player = New<c_PlayerChar>();
                player->Setup(world == 1 ? u"char1_spritesheet.png" : u"char2_spritesheet.png", 16, 25, false);
                auto map = LoadTiledMap(*stage, 0, world == 1 ? 0 : 2000, world == 1 ? u"base_2" : u"base_1",
                                        world == 1 ? u"" : u"alt_", player, root);
                if (!map) continue;
                auto solid = map->FindChildByName(u"solid_" + IntToString(world));
                line += u" solid_" + IntToString(world) + (solid ? u"" : u" missing");
                int doors = 0;
                bool exit = false;
                if (solid) {
                    for (auto& child : solid->children) {
                        if (auto door = std::dynamic_pointer_cast<c_Door>(child)) {
                            ++doors;
                            exit = exit || door->name == u"THE_DOOR";
                        }
                    }
                }
                line += u" doors=" + IntToString(doors) + (exit ? u" exit" : u"");
                map->Discard();
            }
            Print(line);
        }
    });
    ASSERT_EQ(result.exitCode, 0) << result.out;
    const String out = FromUtf8(result.out);
    EXPECT_TRUE(Contains(out, u"level 0: solid_1 doors=")) << result.out;
    for (int level = 1; level <= 6; ++level) {
        EXPECT_TRUE(Contains(out, u"level " + IntToString(level) + u": solid_1 doors=1 exit")) << result.out;
    }
    EXPECT_FALSE(Contains(out, u"missing")) << result.out;
}
