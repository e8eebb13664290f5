// Snow, falling leaves and parallax backgrounds, with the game's own pictures.
#include <gtest/gtest.h>

#include "../framework/render_fixture.h"
#include "effects/falling_leaf.h"
#include "effects/parallax.h"
#include "effects/snow.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/tile_set.h"
#include "graphics/image.h"
#include "host/rnd.h"

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

// A map's size is read from its file: one that would need more flakes than
// the limit gets none (nothing added beside the map), and says so.
TEST_F(Scenery, AMapOverTheFlakeLimitGetsNoSnow) {
    struct Case {
        int wide, high;
        std::size_t flakes;  // 0: refused
    };
    // 14-pixel grid over the width and the upper half: 80 x 250 = 20000
    // flakes fit, one column more does not.
    const Case cases[] = {{70, 437, 20000}, {71, 437, 0}, {4096, 64, 0}};
    for (const Case& c : cases) {
        world = New<c_EmptyGDOContainer>();
        auto map = MakeMap(c.wide, c.high);
        testing::internal::CaptureStdout();
        auto snow = CreateSnow(map);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(snow->flakes.size(), c.flakes) << c.wide << " x " << c.high;
        if (c.flakes == 0) {
            EXPECT_EQ(out.rfind("SNOW: the map needs ", 0), 0u) << out;
            EXPECT_NE(out.find(", over the limit of 20000; no snow falls\n"), std::string::npos) << out;
            EXPECT_EQ(world->children.size(), 1u);
            snow->Update(16);
        }
        snow->Discard();
        world->Discard();
    }
}

TEST_F(Scenery, FlakesTakeTheirRandomDrawsInOrder) {
    auto map = MakeMap(40, 20);  // 640 × 320
    testing::internal::CaptureStdout();
    auto snow = CreateSnow(map);
    testing::internal::GetCapturedStdout();
    // Replay the shared generator: per flake the y then the x offset of its
    // origin, its speed, size and alpha (on respawn), then its start height.
    rnd::Seed() = rnd::kInitialSeed;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto& flake = *snow->flakes[static_cast<std::size_t>(i)];
        const double dy = Rnd(0, 7), dx = Rnd(0, 7);
        const double speed = 15 + 10 * Rnd(), size = 0.5 + 0.5 * Rnd(), alpha = 0.5 + 0.5 * Rnd();
        const double startY = -160 + Rnd() * 320;
        // Flakes go down the first column before the next column starts.
        EXPECT_FLOAT_EQ(flake.origin.x, static_cast<float>(-320 + dx));
        EXPECT_FLOAT_EQ(flake.origin.y, static_cast<float>(-320 + 14 * i - dy));
        EXPECT_FLOAT_EQ(flake.velocity.y, static_cast<float>(speed));
        EXPECT_FLOAT_EQ(flake.scale.x, static_cast<float>(size));
        EXPECT_FLOAT_EQ(flake.scale.y, static_cast<float>(size));
        EXPECT_FLOAT_EQ(flake.alpha, static_cast<float>(alpha));
        EXPECT_FLOAT_EQ(flake.position.y, static_cast<float>(startY));
        EXPECT_EQ(flake.phase, static_cast<int>(flake.origin.x * 10));
    }
}

TEST_F(Scenery, SnowAlreadyLiesWhereFlakesStartOnTheGround) {
    auto map = MakeMap(40, 20);  // 640 × 320, y from -160
    // Ground along the bottom row; in the first ten columns it is two tiles
    // deep, so there only the upper row is a surface.
    for (int c = 0; c < 40; ++c) map->tiles[static_cast<std::size_t>(19 * 40 + c)] = 0;
    for (int c = 0; c < 10; ++c) map->tiles[static_cast<std::size_t>(18 * 40 + c)] = 0;
    testing::internal::CaptureStdout();
    auto snow = CreateSnow(map);
    testing::internal::GetCapturedStdout();
    int capped = 0;
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 40; ++column) {
            const int cap = snow->capLayer->TileAt(column, row);
            if (cap == -1) continue;
            ++capped;
            const bool surface = (row == 19 && column >= 10) || (row == 18 && column < 10);
            EXPECT_TRUE(surface) << "cap at " << column << ", " << row;
            EXPECT_LE(cap, 8);
        }
    }
    // Flakes start spread over the whole height: about one in ten starts
    // inside a ground tile.
    EXPECT_GT(capped, 10);
    for (auto& flake : snow->flakes) EXPECT_TRUE(flake->falling) << "the pre-fall leaves the flakes alone";
}

TEST_F(Scenery, CapsGrowPerHalfUpToTwoLevels) {
    auto map = MakeMap(4, 4);   // 64 × 64, centred: x from -32
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

TEST_F(Scenery, TreeLayersDrawGapsAndVariantsInOrder) {
    auto bg = New<c_ParallaxBackground>();
    CreateParallaxBackground(*bg, 1, 2000, 180, u"");
    ASSERT_EQ(bg->children.size(), 5u);
    // The first tree layer (factor 0.05) covers 100 + 320 pixels. Replay its
    // draws: a roll of 0..100, then either a gap of up to a tenth of the
    // covered width or a tree of variant 1 to 4.
    auto& trees = static_cast<c_ParallaxLayer&>(*bg->children[3]);
    ASSERT_EQ(trees.coveredWidth, 420);
    rnd::Seed() = rnd::kInitialSeed;
    std::vector<std::pair<String, float>> want;
    for (float x = 0; x <= 420;) {
        if (Rnd(0, 100) >= 60) {
            x += static_cast<float>(Rnd(0, 420.0f * 0.1));
            continue;
        }
        const String file = u"parallaxtree" + IntToString(static_cast<int>(Rnd(1, 5))) + u".png";
        const float w = static_cast<float>(GetTexture(file)->image->Width());
        want.emplace_back(file, x + w / 2);
        x += w;
    }
    ASSERT_FALSE(want.empty());
    ASSERT_EQ(trees.children.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        auto& tree = static_cast<c_StaticImage&>(*trees.children[i]);
        EXPECT_EQ(tree.texture->path, want[i].first) << i;
        EXPECT_FLOAT_EQ(tree.position.x, want[i].second) << i;
        EXPECT_FLOAT_EQ(tree.position.y, (180 - tree.GetHeight()) / 2) << i;
    }
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

TEST(SkyGdo, StaysOutOfAViewItLiesWhollyAboveOrBelow) {
    // 2000 × 100: its bounding circle reaches every point of the 640 × 480
    // device, wherever the sky lies above or below it.
    struct Case {
        float y;
        bool visibleRectInForce;
        bool drawn;
    };
    const Case cases[] = {
        {-51, false, false},  // wholly above the device
        {-50, false, true},   // touching its top edge
        {240, false, true},   // across it
        {531, false, false},  // wholly below
        {149, true, false},   // above the visible rectangle, which starts at y = 200
        {150, true, true},    // touching it
    };
    for (const auto& c : cases) {
        RecordedFrame frame;
        auto wide = New<c_SkyGDO>(2000, 100);
        wide->position.Set(320, c.y);
        auto child = New<c_RectangleGDO>(6, 8);
        child->position.Set(0, 240 - c.y);  // on screen on its own
        wide->AddChild(child);
        frame.Begin();
        if (c.visibleRectInForce) {
            Screen().SetVisibleRect(0, 200, 640, 280);
            Screen().visibleInForce = true;
        }
        wide->Render();
        frame.End();
        EXPECT_EQ(frame.Vertices().size(), c.drawn ? 12u : 6u) << c.y;  // a rectangle is two triangles
    }

    // Turned, its box is not upright: the sky is drawn.
    RecordedFrame frame;
    auto turned = New<c_SkyGDO>(2000, 100);
    turned->position.Set(320, -300);
    turned->rotation = 1;
    EXPECT_EQ(frame.RenderOnce(*turned).size(), 6u);
}
