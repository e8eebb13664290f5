// The forms the map editor saves a map in, read from the hand-made maps in
// tests/level/fixtures/tiled: one 4 x 2 layer of flipped and plain cells in
// every layer data encoding and through external tile sets, the decoders'
// checks on damaged Base64, zlib and gzip data, and each map the game refuses,
// with the error that names its file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/tile_data.h"
#include "framework/tile_map.h"
#include "framework/xml_parser.h"
#include "host/files.h"
#include "host/runtime_error.h"
#include "level/level_world.h"
#include "level/movable_object.h"
#include "level/stub_level_host.h"
#include "level/tiled_loader.h"
#include "support/child_process.h"

using namespace level_test;

namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(ORBEL_SOURCE_DIR) / "tests/level/fixtures/tiled";

// A level world whose data folder also holds the hand-made maps.
struct FixtureMaps : LevelWorld {
    FixtureMaps() {
        fs::copy(kFixtures, dir.Path() / "data", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        stage->engine = engine;
        player = AddCharacter(0, 0);
    }
    ~FixtureMaps() {
        for (auto& world : worlds) world->Discard();
    }
    // Loads a map of the data folder, as the level stage does.
    Ref<c_EmptyGDOContainer> Load(const String& file) { return Parse(LoadText(file), file); }
    Ref<c_EmptyGDOContainer> Parse(const String& xml, const String& file) {
        auto world = LoadTiledMap(*stage, 0, 0, u"", u"", player, c_XMLParser().Parse(xml), file);
        if (world) worlds.push_back(world);
        return world;
    }

    Ref<StubLevelHost> stage = New<StubLevelHost>();
    Ref<c_PlayerChar> player;
    std::vector<Ref<c_EmptyGDOContainer>> worlds;
};

constexpr std::uint8_t kH = c_TileMap::kFlipHorizontal, kV = c_TileMap::kFlipVertical, kD = c_TileMap::kFlipDiagonal;

// The cells every fixture holds: gids 1, 0, 2, then 1 and 2 with the flip
// bits H, V, D and H+V+D, and 1 with the hexagonal turn, which is masked off
// like the flips but changes nothing on an orthogonal map.
const std::vector<std::uint32_t> kGids = {1, 0, 2, 0x80000001, 0x40000002, 0x20000001, 0xE0000002, 0x10000001};
const std::vector<int> kTiles = {0, -1, 1, 0, 1, 0, 1, 0};
const std::vector<std::uint8_t> kFlips = {0, 0, 0, kH, kV, kD, kH | kV | kD, 0};

std::string ReadFixture(const std::string& name) {
    std::ifstream in(kFixtures / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The decoded Base64 of a fixture's layer.
std::vector<std::uint8_t> PayloadOf(const std::string& name) {
    Ref<c_XMLNode> root = c_XMLParser().Parse(FromUtf8(ReadFixture(name)));
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(DecodeBase64(root->GetChild(u"layer")->GetChild(u"data")->value, 1 << 20, bytes), Base64Result::kOk);
    return bytes;
}

std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint32_t>& gids) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t gid : gids)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(gid >> shift));
    return bytes;
}

// A 4 x 2 map with one layer of `data` and its tile set in the file.
std::string SmallMap(const std::string& data, const std::string& after = "", const std::string& image = "tiles.png") {
    return R"(<map orientation="orthogonal" width="4" height="2" tilewidth="16" tileheight="16">
<tileset firstgid="1" name="tiles" tilewidth="16" tileheight="16"><image source=")" +
           image + R"("/></tileset>
<layer name="solid_1" width="4" height="2">)" +
           data + "</layer>" + after + "</map>";
}

}  // namespace

TEST(TiledFormats, EveryEncodingReadsTheSameCellsAndFlips) {
    for (const char* name : {"xml.tmx", "csv.tmx", "base64.tmx", "base64_zlib.tmx", "base64_gzip.tmx",
                             "base64_gzip_header.tmx", "external.tmx"}) {
        SCOPED_TRACE(name);
        FixtureMaps maps;
        auto world = maps.Load(S(name));
        ASSERT_TRUE(world);
        ASSERT_EQ(world->children.size(), 1u);
        auto layer = std::dynamic_pointer_cast<c_TileMap>(world->children[0]);
        ASSERT_TRUE(layer);
        EXPECT_EQ(layer->tiles, kTiles);
        EXPECT_EQ(layer->flips, kFlips);
        // The external set's image is named from its own folder (sets/).
        EXPECT_EQ(layer->tileSet->texture->path, u"tiles.png");
    }
}

TEST(TiledFormats, ExternalTileSetsKeyTheObjectsWithTheMapsFirstGids) {
    FixtureMaps maps;
    auto world = maps.Load(u"external.tmx");
    ASSERT_TRUE(world);
    // gid 4 is ObjectSet_1 from the map's firstgid 3; the second box's gid
    // carries the horizontal flip bit, which does not change its kind.
    int boxes = 0;
    for (auto& child : world->children[0]->children)
        boxes += std::dynamic_pointer_cast<c_MovableObject>(child) != nullptr;
    EXPECT_EQ(boxes, 2);
}

TEST(TiledFormats, Base64DecodesWithWhitespaceAndPaddingAndStopsAtItsLimit) {
    struct Case {
        const char16_t* text;
        std::size_t limit;
        Base64Result result;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {u"AQID", 3, Base64Result::kOk, {1, 2, 3}},
        {u"\n  AQ\r\n\tID  ", 3, Base64Result::kOk, {1, 2, 3}},
        {u"AQI=", 3, Base64Result::kOk, {1, 2}},
        {u"AQ==\n", 3, Base64Result::kOk, {1}},
        {u"AQ", 3, Base64Result::kOk, {1}},
        {u"", 0, Base64Result::kOk, {}},
        {u"+/8=", 3, Base64Result::kOk, {0xFB, 0xFF}},
        {u"A", 3, Base64Result::kInvalid, {}},
        {u"AQ=D", 3, Base64Result::kInvalid, {}},
        {u"A*ID", 3, Base64Result::kInvalid, {}},
        {u"AQIDBA==", 3, Base64Result::kTooLong, {}},
        {u"AQID", 2, Base64Result::kTooLong, {}},
        {u"AQI=", 1, Base64Result::kTooLong, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        std::vector<std::uint8_t> out;
        EXPECT_EQ(DecodeBase64(c.text, c.limit, out), c.result);
        if (c.result == Base64Result::kOk) {
            EXPECT_EQ(out, c.bytes);
        }
        EXPECT_LE(out.size(), c.limit);
    }
}

TEST(TiledFormats, DamagedCompressedDataIsRefusedWithItsReason) {
    const std::vector<std::uint8_t> zlib = PayloadOf("base64_zlib.tmx");
    // Extra field, name, comment and header checksum, as RFC 1952 allows.
    const std::vector<std::uint8_t> gzip = PayloadOf("base64_gzip_header.tmx");
    ASSERT_FALSE(zlib.empty());
    ASSERT_GT(gzip.size(), 60u);
    const std::size_t bodyStart = 10 + 2 + 6 + sizeof("cells.bin") + sizeof("made by hand") + 2;
    const std::size_t n = gzip.size();
    using Edit = std::function<void(std::vector<std::uint8_t>&)>;
    struct Case {
        const char* what;
        bool isGzip;
        std::size_t size;
        Edit edit;
        const char* says;  // empty: inflates to the layer's gids
    };
    const Edit none = [](std::vector<std::uint8_t>&) {};
    const Case cases[] = {
        {"zlib", false, 32, none, ""},
        {"zlib, one byte more than the layer", false, 31, none,
         "has zlib data that inflates to more than the layer's 31 bytes"},
        {"zlib, short of the layer", false, 33, none, "has zlib data that inflates to 32 bytes, not the layer's 33"},
        {"zlib header", false, 32, [](auto& b) { b[1] ^= 1; }, "has zlib data that is damaged"},
        {"zlib, far more than the layer", false, 4, none,
         "has zlib data that is damaged or inflates to more than the layer's 4 bytes"},
        {"gzip", true, 32, none, ""},
        {"signature", true, 32, [](auto& b) { b[0] = 0; }, "without the gzip signature"},
        {"method", true, 32, [](auto& b) { b[2] = 9; }, "of the compression method 9, not deflate"},
        {"reserved flag", true, 32, [](auto& b) { b[3] |= 0x20; }, "reserved flags set"},
        {"name changed under the header checksum", true, 32, [](auto& b) { b[19] ^= 1; }, "checksum is wrong"},
        {"cut inside the name", true, 32, [](auto& b) { b.resize(20); }, "header that is cut off"},
        {"too short", true, 32, [](auto& b) { b.resize(12); }, "too short to be gzip"},
        {"stated length", true, 32, [n](auto& b) { b[n - 1] = 1; }, "says it holds 16777248 bytes"},
        {"layer of another size", true, 16, none, "says it holds 32 bytes, not the layer's 16"},
        {"CRC-32", true, 32, [n](auto& b) { b[n - 8] ^= 1; }, "fails its CRC-32 check"},
        {"deflate body", true, 32, [bodyStart](auto& b) { b[bodyStart] = 0xFF; }, "has gzip data that is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> in = c.isGzip ? gzip : zlib, out;
        c.edit(in);
        const String error = c.isGzip ? InflateGzip(in, c.size, out) : InflateZlib(in, c.size, out);
        if (*c.says == 0) {
            EXPECT_EQ(ToUtf8(error), "");
            EXPECT_EQ(out, LittleEndian(kGids));
        } else {
            EXPECT_NE(ToUtf8(error).find(c.says), std::string::npos) << ToUtf8(error);
            EXPECT_TRUE(out.empty());
        }
    }
}

TEST(TiledFormats, CellDataIsCheckedAgainstTheLayer) {
    struct Case {
        std::string data;
        bool wrongCount;
        const char* error;
    };
    const Case cases[] = {
        {"<data encoding=\"csv\">1,2,3,4,5,6,7,8,</data>", false, ""},  // a closing comma is harmless
        {"<data encoding=\"csv\">1,2,3,4,5,6,7</data>", true, ""},
        {"<data encoding=\"csv\">1,2,3,4,5,6,7,8,9</data>", true, ""},
        {"<data encoding=\"csv\">1,2,3,4,5,6,7,,8</data>", false, "has ',' where its CSV data needs a number"},
        {"<data encoding=\"csv\">1,2,3,4,5,6,7,8x</data>", false, "has 'x' where its CSV data needs a comma"},
        {"<data encoding=\"csv\">1,2,3,4,5,6,7,4294967296</data>", false, "has a tile gid past 32 bits"},
        {"<data><tile gid=\"4294967296\"/></data>", false, "has the tile gid 4294967296, past 32 bits"},
        {"<data encoding=\"base64\">AQAAAA==</data>", true, ""},
        {"<data encoding=\"base64\">" + std::string(48, 'A') + "</data>", true, ""},
        {"<data encoding=\"base64\">AQ*A</data>", false, "has data that is not Base64"},
        {"<data compression=\"zlib\"><tile/></data>", false, "names the compression zlib without Base64 encoding"},
        {"<data encoding=\"csv\"><chunk x=\"0\" y=\"0\"/></data>", false, "is stored in chunks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        Ref<c_XMLNode> data = c_XMLParser().Parse(FromUtf8(c.data));
        const TileLayerData cells = ReadTileLayerData(*data, 4, 2);
        EXPECT_EQ(cells.wrongCount, c.wrongCount);
        EXPECT_EQ(ToUtf8(cells.error).find(c.error), 0u) << ToUtf8(cells.error);
        if (*c.error == 0) {
            EXPECT_EQ(cells.error, u"");
        }
        // Never more cells than the layer has, whatever the data holds.
        EXPECT_LE(cells.gids.size(), 8u);
    }
}

TEST(TiledFormats, MapsTheGameCannotPlayEndWithAnErrorNamingTheFile) {
    std::string manyObjects = "<objectgroup name=\"things\">";
    for (int i = 0; i < 4097; ++i) manyObjects += "<object gid=\"0\" x=\"0\" y=\"0\"/>";
    manyObjects += "</objectgroup>";
    const std::string empty = "<data encoding=\"csv\">0,0,0,0,0,0,0,0</data>";
    struct Case {
        std::string file;
        std::string xml;  // empty: the fixture of that name
        std::string message;
    };
    const Case cases[] = {
        {"zstd.tmx", "",
         "Layer solid_1 uses the compression zstd, which the game cannot read (none, zlib or gzip only; save the map "
         "without it)!"},
        {"unknown_encoding.tmx", "",
         "Layer solid_1 uses the encoding hex, which the game cannot read (csv or base64 "
         "only)!"},
        {"infinite.tmx", "",
         "The map is infinite; the game reads fixed-size maps only (turn Infinite off in the editor)!"},
        {"isometric.tmx", "", "The map's orientation is isometric; the game draws orthogonal maps only!"},
        {"tiles_32.tmx", "", "Tile size 32 x 32 is not the game's 16 x 16!"},
        {"no_image.tmx", "", "Tileset tiles has no image source; the game draws its tiles from one image!"},
        {"empty_image.tmx", "", "Tileset tiles has no image source; the game draws its tiles from one image!"},
        {"tsx_outside.tmx", "",
         "Tileset file ../../tiles.tsx is outside the data folder; name it relative to the map, without leaving the "
         "data folder!"},
        {"tsx_absolute.tmx", "",
         "Tileset file /usr/share/tiles.tsx is outside the data folder; name it relative to the map, without leaving "
         "the data folder!"},
        {"tsx_missing.tmx", "", "Tileset file sets/missing.tsx is missing or empty!"},
        {"sets/tiles.tsx", "", ""},  // not a map: nothing loads, nothing fails
        {"objects.tmx", SmallMap(empty, manyObjects), "The map has 4097 objects, over the limit of 4096!"},
        {"chunks.tmx", SmallMap("<data encoding=\"csv\"><chunk x=\"0\" y=\"0\" width=\"4\" height=\"2\"/></data>"),
         "Layer solid_1 is stored in chunks, as infinite maps are; the game reads fixed-size maps only!"},
        {"short.tmx", SmallMap("<data encoding=\"base64\" compression=\"zlib\">eJxjZGBgYAJiAAAYAAQ=</data>"),
         "Layer solid_1 has zlib data that inflates to 8 bytes, not the layer's 32!"},
        {"base64.tmx", SmallMap("<data encoding=\"base64\">AQAAAA==</data>"),
         "Mismatching tile data count for layer solid_1 (Expected width x height entries)!"},
        {"image.tmx", SmallMap(empty, "", "nowhere.png"), "Tileset tiles's image nowhere.png cannot be loaded!"},
        {"up.tmx", SmallMap(empty, "", "../tiles.png"),
         "Tileset tiles's image ../tiles.png is outside the data folder!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ChildResult result = RunInChild([&] {
            FixtureMaps maps;
            if (c.xml.empty())
                maps.Load(S(c.file));
            else
                maps.Parse(S(c.xml), S(c.file));
            Print("loaded");
        });
        if (c.message.empty()) {
            EXPECT_EQ(result.exitCode, 0) << result.out;
            continue;
        }
        EXPECT_EQ(result.exitCode, 255);
        EXPECT_TRUE(StartsWith(FromUtf8(result.out), S("Cobalt Runtime Error : TILED_LOADER: " + c.message + "\n")))
            << result.out;
        EXPECT_NE(result.out.find("File: "), std::string::npos) << result.out;
        EXPECT_NE(result.out.find(c.file), std::string::npos) << result.out;
    }
}
