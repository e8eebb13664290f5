// The HUD's key icon and the limits of a level window's camera.
#include <gtest/gtest.h>

#include "level/hud.h"
#include "level/window_limits.h"
#include "level_world.h"

using namespace level_test;

TEST(HUD, KeyIconFollowsTheCharacter) {
    LevelWorld world;
    auto hero = world.AddCharacter(0, 0);
    auto hud = New<c_HUD>();
    hud->Init(hero);
    ASSERT_NE(hud->keyIcon, nullptr);
    EXPECT_EQ(hud->keyIcon->parent, hud.get());
    EXPECT_EQ(hud->keyIcon->position, (c_Vector{144, -35}));
    for (bool hasKey : {false, true, false}) {
        hero->hasKey = hasKey;
        hud->Update(16);
        EXPECT_EQ(hud->keyIcon->sequenceName, hasKey ? u"ON" : u"OFF");
        EXPECT_EQ(hud->keyIcon->currentTile, hasKey ? 1 : 0);
    }
    // A HUD does not keep its character alive.
    world.layer->Discard();
    world.characters.clear();
    hero.reset();
    hud->Update(16);
    EXPECT_EQ(hud->keyIcon->sequenceName, u"OFF");
}

TEST(WindowLimits, CameraStaysOverTheWorld) {
    struct Case {
        const char* what;
        float areaW, areaH, areaY, parentY;
        float minX, maxX, minY, maxY;
        float cameraX, cameraY;
    };
    const Case cases[] = {
        // A 640 x 320 layer of world 2 (container at y 2000), 320 x 90 window.
        {"world 2", 640, 320, 0, 2000, -160, 160, 1885, 2115, 0, 1885},
        {"layer offset", 640, 320, -40, 0, -160, 160, -155, 75, 0, 0},
        // Narrower than the window: min > max, the clamp takes the minimum.
        {"narrow", 200, 320, 0, 0, 60, -60, -115, 115, 60, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto container = New<c_EmptyGDOContainer>();
        container->position.Set(0, c.parentY);
        auto layer = New<c_GDOWithSize>();
        layer->width = c.areaW;
        layer->height = c.areaH;
        layer->position.Set(0, c.areaY);
        container->AddChild(layer);
        c_Window window(320, 90);
        window.camera.Set(500, 500);
        Ref<c_WindowLimits> limits = MakeWindowLimits(window, *layer);
        ASSERT_EQ(window.limits, limits);
        EXPECT_FLOAT_EQ(limits->minX, c.minX);
        EXPECT_FLOAT_EQ(limits->maxX, c.maxX);
        EXPECT_FLOAT_EQ(limits->minY, c.minY);
        EXPECT_FLOAT_EQ(limits->maxY, c.maxY);
        EXPECT_FLOAT_EQ(window.camera.x, c.cameraX);
        EXPECT_FLOAT_EQ(window.camera.y, c.cameraY);
    }
}
