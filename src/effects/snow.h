// snow.h — snow for snowy levels: flakes that fall and sway, land on solid
// tiles and build up caps on the ground, the left and right half of each
// tile separately.
//
// The snow maker is a component (c_Cog) of the level; its flakes are display
// objects in `flakeLayer` (drawn behind the map's tiles) and the caps are a
// tile layer over the map. All flakes are made at set-up; they cycle
// forever: falling → landed (fading) → hidden → respawned at their origin.
// Random draws come from the shared generator, in a fixed order.
#pragma once

#include <vector>

#include "framework/cog.h"
#include "framework/static_image.h"
#include "framework/tile_map.h"

// Flakes are placed one per kSnowGridStep × kSnowGridStep cell of the upper
// half of the map's height.
inline constexpr int kSnowGridStep = 14;
// The most flakes one map gets (the snowy level has about 500). A map whose
// grid would need more gets a snow maker without flakes, as a missing map
// does, and a printed line naming the map's file and the limit.
inline constexpr long long kMaxSnowFlakes = 20000;

class c_SnowFlake : public c_StaticImage {
public:
    int phase = 0;  // ms; drives the sway
    c_Vector origin;
    c_Vector velocity;  // only y is used
    bool falling = false;

    c_SnowFlake();
    String ToString() const override { return u"c_SnowFlake"; }
    void Init(float ox, float oy);
    void Respawn();
    void Update(int elapsedMs) override;
};

class c_SnowManager : public c_Cog {
public:
    Ref<c_TileMap> map;
    int snowLevels = 0;
    Ref<c_TileMap> capLayer;
    Ref<c_EmptyGDOContainer> flakeLayer;
    std::vector<Ref<c_SnowFlake>> flakes;

    String ToString() const override { return u"c_SnowManager"; }
    void Update(int elapsedMs) override;
    // Adds one level of snow to the half of cell (tx, ty) under local x.
    void Deposit(int tx, int ty, float x);
    void Discard() override;
};

// Builds the snow maker for `tileMap` and puts its two layers into the map's
// parent (flakes behind the map, caps over it). Prints the flake count, or
// the refusal of a map over kMaxSnowFlakes.
Ref<c_SnowManager> CreateSnow(const Ref<c_TileMap>& tileMap);
