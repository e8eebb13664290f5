// tile_table.h — which frame of the level tile set each kind of terrain uses.
//
// This is the one place to edit when the tile set's layout changes: the level
// sources name terrain by legend characters (level_source.h), and only the
// functions here turn them into frame indices of the tile image.
//
// Layout of the tile image (8 columns of 16 x 16 frames):
//   0..15   earth with grass on open tops, by neighbour mask (see Mask below)
//   16..31  stone blocks, by neighbour mask
//   32..35  wooden bridge: left end, middle, right end, single
//   40      earth wall seen behind the level (not solid)
//   41      stone wall behind the level (not solid)
//   48      sign post            49  grass tuft      50  bush
//   51      rock                 52  fence           53  mushrooms
//   56      water surface        57  water below the surface
// The second world uses the same frames from the "alt_" image.
#pragma once

#include <string_view>

namespace datagen::tiles {

// The tile image; world 2 reads it with the "alt_" prefix.
inline constexpr std::string_view kImage = "tileset.png";
inline constexpr int kSize = 16;     // frame width and height, also the map's tile size
inline constexpr int kColumns = 8;
inline constexpr int kCount = 64;    // frames in the image (8 x 8)

// Neighbour mask bits of a terrain cell: set where the neighbour is the same
// family of solid terrain (outside the map counts as solid, so ground runs on
// past the map's edges).
inline constexpr int kUp = 1, kRight = 2, kDown = 4, kLeft = 8;

inline constexpr int kEarthFirst = 0;   // + mask
inline constexpr int kStoneFirst = 16;  // + mask
inline constexpr int kBridgeLeft = 32, kBridgeMiddle = 33, kBridgeRight = 34, kBridgeSingle = 35;
inline constexpr int kEarthWallBack = 40, kStoneWallBack = 41;
inline constexpr int kSignPost = 48, kGrass = 49, kBush = 50, kRock = 51, kFence = 52, kMushrooms = 53;
inline constexpr int kWaterTop = 56, kWater = 57;

}  // namespace datagen::tiles
