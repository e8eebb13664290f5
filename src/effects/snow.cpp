// snow.cpp — see snow.h.
#include "effects/snow.h"

#include <cmath>
#include <string>

#include "framework/texture.h"
#include "framework/tile_set.h"
#include "host/rnd.h"
#include "host/runtime_error.h"

namespace {
// Map size in whole pixels.
int MapWidth(c_TileMap& map) { return static_cast<int>(map.GetWidth()); }
int MapHeight(c_TileMap& map) { return static_cast<int>(map.GetHeight()); }
}  // namespace

// ---- flake ----------------------------------------------------------------

c_SnowFlake::c_SnowFlake() : c_StaticImage(GetTexture(u"snow.png")) {}

void c_SnowFlake::Init(float ox, float oy) {
    phase = static_cast<int>(ox * 10);
    origin.Set(ox, oy);
    velocity.Set(0, 0);
    Respawn();
}

void c_SnowFlake::Respawn() {
    position = origin;
    visible = true;
    enabled = true;
    falling = true;
    velocity.y = static_cast<float>(15 + 10 * Rnd());
    float s = static_cast<float>(0.5 + 0.5 * Rnd());
    scale.Set(s, s);
    alpha = static_cast<float>(0.5 + 0.5 * Rnd());
}

void c_SnowFlake::Update(int elapsedMs) {
    if (!enabled) return;
    phase += elapsedMs;
    if (falling) {
        const float degToRad = 3.14159265f / 180.0f;
        position.x = origin.x + 8 * std::sin(static_cast<float>(phase / 30) * degToRad);
        position.y += velocity.y * static_cast<float>(elapsedMs) / 1000.0f;
    } else if (alpha <= 0.1f) {
        visible = false;
        alpha = 0;
        enabled = false;
    } else {
        alpha *= 0.9f;
    }
}

// ---- snow maker -----------------------------------------------------------

void c_SnowManager::Deposit(int tx, int ty, float x) {
    if (!map || !capLayer || snowLevels < 1) return;
    if (tx < 0 || ty < 0 || tx >= map->tilesWide || ty >= map->tilesHigh) return;
    // Snow only settles on a surface: the cell above must be open.
    if (map->TileAt(tx, ty - 1) != -1) return;
    const int W = MapWidth(*map);
    const int tw = map->tileWidth;
    if (tw <= 0) return;
    int t = capLayer->TileAt(tx, ty);
    if (t < 0) t = 0;
    const int n = snowLevels;
    int left = t % n, right = t / n;
    bool rightHalf = std::fmod(x + static_cast<float>(W / 2), static_cast<float>(tw)) > static_cast<float>(tw / 2);
    if (rightHalf) {
        if (right < n - 1) ++right;
    } else if (left < n - 1) {
        ++left;
    }
    capLayer->tiles[static_cast<std::size_t>(ty) * capLayer->tilesWide + tx] = right * n + left;
}

void c_SnowManager::Update(int) {
    if (!map) return;
    const int W = MapWidth(*map), H = MapHeight(*map);
    for (auto& flake : flakes) {
        c_Vector& p = flake->position;
        if (!flake->enabled || p.y > static_cast<float>(H / 2) || p.x < static_cast<float>(-(W / 2)) ||
            p.x > static_cast<float>(W / 2)) {
            flake->Respawn();
            continue;
        }
        int tx = 0, ty = 0;
        if (flake->falling && map->CellAt(p.x, p.y, tx, ty) && map->TileAt(tx, ty) != -1) {
            flake->scale.Set(1.5f, 1.5f);
            flake->falling = false;
            Deposit(tx, ty, p.x);
        }
    }
}

void c_SnowManager::Discard() {
    if (capLayer) capLayer->Discard();
    if (flakeLayer) flakeLayer->Discard();
    flakes.clear();
}

Ref<c_SnowManager> CreateSnow(const Ref<c_TileMap>& tileMap) {
    auto snow = New<c_SnowManager>();
    snow->name = u"SNOW_MAKER";
    snow->enabled = true;
    snow->map = tileMap;
    if (!tileMap) return snow;

    const int W = MapWidth(*tileMap), H = MapHeight(*tileMap);
    // One flake per grid cell of the upper half: counted before any is made.
    const long long columns = W > 0 ? (W + kSnowGridStep - 1) / kSnowGridStep : 0;
    const long long rows = H > 0 ? (H - H / 2 + kSnowGridStep - 1) / kSnowGridStep : 0;
    if (columns * rows > kMaxSnowFlakes) {
        const std::string file = ReportedFile();
        Print(u"SNOW: " + (file.empty() ? String(u"the map") : FromUtf8(file)) + u" needs " +
              IntToString(columns * rows) + u" snow flakes, over the limit of " + IntToString(kMaxSnowFlakes) +
              u"; no snow falls");
        snow->map = nullptr;
        return snow;
    }

    auto capTiles = New<c_TileSet>(GetTexture(u"snowset.png"), tileMap->tileWidth, tileMap->tileHeight);
    snow->snowLevels = static_cast<int>(std::sqrt(static_cast<double>(capTiles->GetFrameCount())));
    snow->capLayer = New<c_TileMap>();
    snow->capLayer->Setup(capTiles, tileMap->tilesWide, tileMap->tilesHigh);
    snow->capLayer->position = tileMap->position;
    snow->flakeLayer = New<c_EmptyGDOContainer>();
    snow->flakeLayer->position = tileMap->position;

    for (int x = 0; x < W; x += kSnowGridStep) {
        for (int y = -H; y < -(H / 2); y += kSnowGridStep) {
            auto flake = New<c_SnowFlake>();
            double dy = Rnd(0, 7);
            double dx = Rnd(0, 7);
            flake->Init(static_cast<float>(x - W / 2 + dx), static_cast<float>(y - dy));
            snow->flakes.push_back(flake);
            snow->flakeLayer->AddChild(flake);
            flake->position.y = static_cast<float>(-(H / 2) + Rnd() * (H / 2 - (-(H / 2))));
        }
    }

    // Pre-fall: the snow that would have settled before the level began.
    for (auto& flake : snow->flakes) {
        const c_Vector& p = flake->position;
        int tx = 0, ty = 0;
        if (tileMap->CellAt(p.x, p.y, tx, ty) && tileMap->TileAt(tx, ty) != -1) snow->Deposit(tx, ty, p.x);
    }

    if (c_GDO* parent = tileMap->parent) {
        int index = 0;
        while (index < static_cast<int>(parent->children.size()) && parent->children[index] != tileMap) ++index;
        parent->AddChild(snow->flakeLayer, index);
        parent->AddChild(snow->capLayer, index + 2);
    }

    Print(IntToString(static_cast<long long>(snow->flakes.size())) + u" SNOW FLAKES CREATED FOR A " + IntToString(W) +
          u" PIXELS WIDE MAP");
    return snow;
}
