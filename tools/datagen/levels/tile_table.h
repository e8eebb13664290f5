// tile_table.h — which frame of the level tile set each kind of terrain uses.
//
// The one place to edit when the tile set's layout changes: the level sources
// name terrain by legend characters (level_source.cpp), and only the
// constants here turn them into frame indices of the tile image. The layout
// is the art's (docs/ARCHITECTURE.md, "Level tile set"): 16 x 16 frames,
// eight to a row; world 2 reads the same frames from the "alt_" image.
#pragma once

#include <string_view>

namespace datagen::tiles {

inline constexpr std::string_view kImage = "tileset.png";
inline constexpr int kSize = 16;  // frame width and height, also the map's tile size
inline constexpr int kColumns = 8;
inline constexpr int kCount = 40;

// Earth, by which sides face open air.
inline constexpr int kTopLeft = 1, kTop = 2, kTopRight = 3;      // grass on top
inline constexpr int kColumnTop = 4;                             // one tile wide, grass on top
inline constexpr int kWallLeft = 8, kFill = 9, kWallRight = 10;  // open to the left / none / right
inline constexpr int kColumnMiddle = 11;                         // open left and right
inline constexpr int kInnerTopLeft = 12, kInnerTopRight = 13;    // fill below a corner of open air
inline constexpr int kFillVariantA = 14, kFillVariantB = 15;
inline constexpr int kUnderLeft = 16, kUnder = 17, kUnderRight = 18;  // open below
inline constexpr int kColumnBottom = 19;
inline constexpr int kBlock = 20;  // open all round
// Bridges (stone ledges one tile thick).
inline constexpr int kLedgeLeft = 5, kLedgeMiddle = 6, kLedgeRight = 7, kLedgeSingle = 21;
// Dressed stone.
inline constexpr int kStoneBlock = 22, kStoneWall = 23;
// Decoration, never in a solid layer; each stands on its cell's bottom row.
inline constexpr int kGrassTuft = 24, kTallGrass = 25, kFlowers = 26, kRock = 27;
inline constexpr int kBush = 28, kBushOther = 29, kFence = 30, kSignPost = 31, kMushrooms = 32;
inline constexpr int kLog = 33, kVines = 34, kVineEnd = 35;
inline constexpr int kRockFace = 36, kRockFaceDark = 37, kArrowSign = 38, kLantern = 39;

}  // namespace datagen::tiles
