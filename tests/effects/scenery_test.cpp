// Snow, falling leaves and parallax backgrounds, with the game's own pictures.
#include <gtest/gtest.h>

#include "effects/falling_leaf.h"
#include "effects/parallax.h"
#include "effects/snow.h"
#include "framework/texture.h"
#include "framework/tile_set.h"
#include "host/rnd.h"
#include "../framework/render_fixture.h"

namespace {

class Scenery : public ::testing::Test {
protected:
    void SetUp() override {
        EnableScrambledImages(true);
        rnd::Seed() = rnd::kInitialSeed;
    }
    void TearDown() override { EnableScrambledImages(false); }

    // A map of tiles 16 × 16 pixels, all open, inside a container.
    Ref<c_TileMap> MakeMap(int wide, int high) {
        auto map = New<c_TileMap>();
        map->Setup(New<c_TileSet>(GetTexture(u"snowset.png"), 16, 16), wide, high);
        world->AddChild(map);
        return map;
    }
    RecordedFrame frame;
    Ref<c_EmptyGDOContainer> world = New<c_EmptyGDOContainer>();
};

}  // namespace

TEST_F(Scenery, SnowFillsTheUpperHalfOfTheMapAndSaysHowMany) {
    auto map = MakeMap(40, 20);  // 640 × 320
    testing::internal::CaptureStdout();
    auto snow = CreateSnow(map);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(snow->flakes.size(), 552u);
    EXPECT_EQ(out, "552 SNOW FLAKES CREATED FOR A 640 PIXELS WIDE MAP\n");
    EXPECT_EQ(snow->snowLevels, 3);
    ASSERT_EQ(world->children.size(), 3u);
    EXPECT_EQ(world->children[0], snow->flakeLayer) << "flakes behind the tiles";
    EXPECT_EQ(world->children[1], map);
    EXPECT_EQ(world->children[2], snow->capLayer) << "caps over them";
    for (auto& f : snow->flakes) {
        EXPECT_GE(f->position.y, -160.0f);
        EXPECT_LT(f->position.y, 160.0f);
        EXPECT_LT(f->origin.y, -160.0f + 1e-3);
    }
}

TEST_F(Scenery, CapsGrowPerHalfUpToTwoLevels) {
    auto map = MakeMap(4, 4);  // 64 × 64, centred: x from -32
    map->tiles[2 * 4 + 1] = 0;  // a surface tile at column 1, row 2
    map->tiles[3 * 4 + 1] = 0;  // and a tile under it
    auto snow = CreateSnow(map);
    std::fill(snow->capLayer->tiles.begin(), snow->capLayer->tiles.end(), -1);
    const float left = -32 + 16 + 3, right = -32 + 16 + 12;
    std::vector<int> seen;
    for (float x : {left, left, left, right}) {
        snow->Deposit(1, 2, x);
        seen.push_back(snow->capLayer->TileAt(1, 2));
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 2, 5}));
    snow->Deposit(1, 3, left);
    EXPECT_EQ(snow->capLayer->TileAt(1, 3), -1) << "no snow under another tile";
}

TEST_F(Scenery, LandedFlakeStopsGrowsFadesAndRespawns) {
    auto map = MakeMap(4, 4);
    map->tiles[3 * 4 + 1] = 0;
    map->tiles[2 * 4 + 1] = 0;
    auto snow = CreateSnow(map);
    std::fill(snow->capLayer->tiles.begin(), snow->capLayer->tiles.end(), -1);
    auto flake = snow->flakes[0];
    flake->position.Set(-32 + 16 + 4, -32 + 48 + 4);  // inside the covered tile
    flake->alpha = 1;
    snow->Update(16);
    EXPECT_FALSE(flake->falling);
    EXPECT_EQ(flake->scale.x, 1.5f);
    EXPECT_EQ(snow->capLayer->TileAt(1, 3), -1);
    for (int i = 0; i < 22; ++i) flake->Update(16);
    EXPECT_NEAR(flake->alpha, 0.098f, 0.001f);
    EXPECT_TRUE(flake->visible);
    flake->Update(16);
    EXPECT_FALSE(flake->visible);
    EXPECT_FALSE(flake->enabled);
    snow->Update(16);
    EXPECT_TRUE(flake->falling);
    EXPECT_EQ(flake->position.y, flake->origin.y);
}

TEST_F(Scenery, ParallaxLayersSlideByTheirShare) {
    auto bg = New<c_ParallaxBackground>();
    CreateParallaxBackground(*bg, 1, 2000, 180, u"");
    ASSERT_EQ(bg->children.size(), 5u);
    auto* sky = static_cast<c_ParallaxLayer*>(bg->children[0].get());
    EXPECT_EQ(sky->coveredWidth, 2320);
    EXPECT_EQ(static_cast<c_GDO*>(sky->children[0].get())->tint, (c_RGB{187, 218, 232}));
    EXPECT_EQ(bg->children[2]->position.y, 32);
    EXPECT_FALSE(bg->children[1]->children.empty()) << "the hills picture is found";
    bg->SetProgress(1.5f);
    auto* trees = static_cast<c_ParallaxLayer*>(bg->children[3].get());
    EXPECT_EQ(trees->progress, 1.0f);
    EXPECT_FLOAT_EQ(trees->position.x, -100.0f);

    auto other = New<c_ParallaxBackground>();
    CreateParallaxBackground(*other, 2, 2000, 180, u"alt_");
    EXPECT_TRUE(other->children.empty());
}

TEST_F(Scenery, LeafFadesForTwoSecondsThenWaitsFive) {
    auto leaf = CreateFallingLeaf();
    ASSERT_GT(leaf->GetWidth(), 0);
    int t = 0;
    while (leaf->state != c_Sprite::kFinished && t < 10000) {
        leaf->Update(100);
        t += 100;
    }
    ASSERT_EQ(leaf->state, c_Sprite::kFinished);
    EXPECT_EQ(t, 3300) << "33 frames at 10 per second";
    // The update that ends the fall already fades, and the one that restarts
    // it still counts: 20 updates of fading,
    // then 50 of waiting.
    int inFinishedState = 100;
    while (leaf->state == c_Sprite::kFinished && t < 20000) {
        leaf->Update(100);
        t += 100;
        inFinishedState += 100;
        if (inFinishedState == 2000) {
            EXPECT_EQ(leaf->alpha, 0);
        }
    }
    EXPECT_EQ(inFinishedState, 7000);
    EXPECT_EQ(leaf->alpha, 1);
}
