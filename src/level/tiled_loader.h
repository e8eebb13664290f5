// tiled_loader.h — builds one world of a level from a parsed Tiled map.
//
// What the editor saves is read, within what the game can play: orthogonal,
// fixed-size maps of 16 x 16 tiles; layer data as <tile> elements, CSV or
// Base64 (plain, zlib or gzip; see framework/tile_data.h); tile sets in the
// map or in .tsx files of the data folder; the flip bits of a cell (drawn
// flipped; tile objects ignore theirs); tile objects identified by gid, and
// custom properties. The level stage calls LoadTiledMap twice, once per
// world, on the same document:
//
//   Ref<c_XMLNode> root = c_XMLParser().Parse(LoadText(u"level1.tmx"));
//   int gameMode = TiledInt(GetMapProperty(root, u"gameMode"));
//   auto world1 = LoadTiledMap(*this, 0, 0, u"base_2", u"", player1, root, u"level1.tmx");
//   auto world2 = LoadTiledMap(*this, 0, 2000, u"base_1", u"alt_", player2, root, u"level1.tmx");
//
// Broken files and what the game cannot play end the program with a
// "TILED_LOADER: " runtime error that names the map file; a document whose
// root is not a map gives null.
#pragma once

#include <vector>

#include "framework/gdo.h"
#include "framework/xml_parser.h"
#include "level/level_host.h"

class c_PlayerChar;

// One <tileset> of a map.
class c_TilesetInfo final : public Object {
public:
    String name;
    int tileWidth = 0;
    int tileHeight = 0;
    int firstGid = 0;

    String ToString() const override { return u"c_TilesetInfo"; }
};

// The map's tile sets in ascending firstGid order.
class c_TileSetStack final : public Object {
public:
    std::vector<Ref<c_TilesetInfo>> entries;

    String ToString() const override { return u"c_TileSetStack"; }

    // Before the first entry with a greater firstGid (after equal ones).
    void Insert(const Ref<c_TilesetInfo>& info);
    // The last entry whose firstGid is not above `gid`; null when none is.
    Ref<c_TilesetInfo> Find(int gid) const;
};

// The rule every number of a map file is read by: the first 63 characters,
// the low byte of each, a leading decimal integer; 0 when there is none.
// Values beyond the int range are clamped to it.
int TiledInt(StringView text);
// The coordinate rule: the first 255 characters, the low byte of each, a
// leading decimal number; 0 when there is none or it is not finite.
double TiledNumber(StringView text);

// The custom property `name` of an element (its <properties>' first
// <property> of that name): its "value", or empty.
String GetTiledProperty(const Ref<c_XMLNode>& element, StringView name);
// A property of the map itself ("gameMode", "bgType", "weather1",
// "forcedSync").
inline String GetMapProperty(const Ref<c_XMLNode>& root, StringView name) { return GetTiledProperty(root, name); }

// One world: a container at (x, y) holding a c_TileMap per loaded layer
// (every layer except the one named `excludedLayer`, and those whose
// "requires" layer did not load before them), with the objects of each
// object group inside the layer the group names. `imagePrefix` goes in
// front of the tile graphics and the tree images. Triggers watch `player`.
// The stage receives the spawn point, hands out its engine and its world
// crossing (every box gets it) and listens to breakable boxes (101010) and
// to its own event raisers (12321). `mapFile`, the map's name in the data
// folder, goes into the errors, and the paths of its external tile sets
// start from its folder (the data folder itself when it is empty).
Ref<c_EmptyGDOContainer> LoadTiledMap(c_LevelHost& stage, float x, float y, StringView excludedLayer,
                                      StringView imagePrefix, const Ref<c_PlayerChar>& player,
                                      const Ref<c_XMLNode>& root, StringView mapFile = u"");
