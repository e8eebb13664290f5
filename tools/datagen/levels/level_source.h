// level_source.h — the readable level format under assets/levels/ and its
// reader. assets/levels/FORMAT.md describes the format for designers.
//
// A level file holds the map properties ("gameMode: 2"), one character grid
// per world ("world 1:" then rows written between bars "|...|") and the
// definitions of the lower-case letters used in the grids ("objects:" then
// "a = sign \"text\""). Terrain characters become tiles, object characters
// become tile objects of the object sets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace datagen {

enum class ObjectKind {
    Spawn,
    Box,
    Key,
    ExitDoor,
    Breakable,
    Sign,
    LevelDoor,
    Dialog,
    Trigger,  // object set, in frame order
    Flower,
    WaterTop,
    WaterBody,
    WaterBottom,
    Tree,  // scenery
};

// Scenery goes to the background layer's object group, the rest to the solid
// layer's, where the characters live.
bool IsScenery(ObjectKind kind);
// The object's name in the editor ("key", "sign", ...).
const char* ObjectKindName(ObjectKind kind);

struct PlacedObject {
    ObjectKind kind = ObjectKind::Box;
    int world = 1;          // 1 or 2
    int col = 0, row = 0;   // grid cell; the object stands on the cell's bottom edge, centred on it
    int dx = 0, dy = 0;     // extra offset in pixels
    std::string text;       // sign, dialog and key messages ("\n" written as backslash-n)
    int level = 0;          // level door: the level it leads to
    int duration = 0;       // dialog: milliseconds (0: the game's default)
    int variant = 1;        // tree: 1..4
    bool signPost = false;  // sign: a post tile is drawn in its cell
};

struct LevelSource {
    std::string name;   // file stem, "level3"
    std::string title;  // for designers only
    int gameMode = 0;
    int bgType = 1;
    int forcedSync = 0;
    std::string weather;                // "snow" or empty
    int width = 0, height = 0;          // in tiles
    std::vector<std::string> grid[2];   // rows of world 1 and world 2 (world 2 empty in game mode 1)
    std::vector<PlacedObject> objects;  // in grid order, world 1 first

    bool HasWorld2() const { return !grid[1].empty(); }
};

// Reads a level file. On failure returns false with `error` set to
// "file:line: what is wrong".
bool ParseLevelSource(std::string_view text, const std::string& fileName, LevelSource& out, std::string& error);

// Tile frame per cell (row-major, -1 = empty) of one world's three layers.
struct WorldTiles {
    std::vector<int> base;   // behind everything, not solid
    std::vector<int> solid;  // the collision layer the characters stand on
    std::vector<int> front;  // drawn over the characters, not solid
};
WorldTiles BuildWorldTiles(const LevelSource& level, int world);

}  // namespace datagen
