// Windows: the camera setters, following, and the view bracket.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/absolute_gdo_vector.h"
#include "framework/rectangle_gdo.h"
#include "framework/window.h"
#include "render_fixture.h"

TEST(WindowCamera, SettersFloorWithoutLimitsAndClampWithThem) {
    struct Case {
        bool limited;
        float lo, hi;
        float in;
        float stored;
        bool unchanged;
    };
    const Case cases[] = {
        {false, 0, 0, 10.7f, 10, false}, {false, 0, 0, 10, 10, true},       {false, 0, 0, -0.5f, -1, false},
        {true, 0, 5, 10.7f, 5, false},   {true, 0, 20, 10.7f, 10.7f, true}, {true, 0, 20, -3, 0, false},
        {true, 10, 4, 7, 10, false},  // an empty range holds the camera at its minimum
    };
    for (const auto& c : cases) {
        auto window = New<c_Window>(320, 90);
        if (c.limited) window->limits = New<c_WindowLimits>(c.lo, c.hi, c.lo, c.hi);
        EXPECT_EQ(window->SetCameraX(c.in), c.unchanged) << c.in;
        EXPECT_EQ(window->camera.x, c.stored) << c.in;
        EXPECT_EQ(window->SetCameraY(c.in), c.unchanged) << c.in;
        EXPECT_EQ(window->camera.y, c.stored) << c.in;
    }
}

TEST(WindowCamera, FollowInBothModes) {
    auto window = New<c_Window>(320, 90);
    window->followMode = 1;
    EXPECT_TRUE(window->Follow(5, 0, 0.1f, 4, 8));  // inside the dead zone
    EXPECT_EQ(window->camera, c_Vector(0, 0));
    EXPECT_FALSE(window->Follow(100, 0, 0.1f, 4, 8));  // 10 wanted, 4 allowed
    EXPECT_EQ(window->camera, c_Vector(4, 0));
    EXPECT_FALSE(window->Follow(4 + 30, 40, 2, 100, 1));  // factor clamped to 1: arrives
    EXPECT_EQ(window->camera, c_Vector(34, 40));
    // On the target with no dead zone there is no direction: it stays put.
    EXPECT_TRUE(window->Follow(34, 40, 0.5f, 10, 0));
    EXPECT_EQ(window->camera, c_Vector(34, 40));

    // Per axis: each axis moves by its own share, capped by the step.
    auto axes = New<c_Window>(320, 90);
    EXPECT_TRUE(axes->Follow(0.5f, -0.5f, 0.5f, 20, 1));
    EXPECT_FALSE(axes->Follow(100, -10, 0.5f, 20, 1));
    EXPECT_EQ(axes->camera, c_Vector(20, -5));
    EXPECT_FALSE(axes->Follow(20, 5, 0.5f, 20, 1));  // x sits still (sign 0)
    EXPECT_EQ(axes->camera, c_Vector(20, 0));

    // Update chases the follow target with the window's own settings.
    auto node = New<c_GDO>();
    node->position.Set(100, 0);
    auto target = New<c_SimpleAbsoluteGDOVector>(node.get());
    auto chaser = New<c_Window>(320, 90);
    chaser->followTarget = target;
    chaser->followFactor = 0.5f;
    chaser->followMaxStep = 20;
    chaser->deadZone = 0.1f;
    chaser->Update(16);
    EXPECT_EQ(chaser->camera, c_Vector(20, 0));
}

TEST(WindowView, ClipsToItsViewportAndCentresTheCamera) {
    RecordedFrame frame(960, 540);
    Screen().scale.Set(3, 3);
    Screen().SetVisibleRect(0, 0, 960, 540);
    auto window = New<c_Window>(320, 90);
    window->position.Set(160, 135);  // the lower half
    window->camera.Set(100.4f, 50);
    auto world = New<c_EmptyGDOContainer>();
    auto marker = New<c_RectangleGDO>(2, 2);
    marker->position.Set(100, 50);
    world->AddChild(marker);

    frame.Begin();
    Scale(3, 3);  // what the stage manager does around the stage
    window->BeginView();
    auto scissor = GetScissor();
    EXPECT_EQ(scissor[0], 0);
    EXPECT_EQ(scissor[1], 270);
    EXPECT_EQ(scissor[2], 960);
    EXPECT_EQ(scissor[3], 270);
    world->Render();
    window->EndView();
    EXPECT_EQ(GetScissor()[3], 540);
    EXPECT_TRUE(Screen().visibleInForce);
    auto m = GetMatrix();
    EXPECT_EQ(m[0], 3);  // the view matrix is gone again
    EXPECT_EQ(m[4], 0);
    frame.End();

    // The camera point lands on the viewport's centre (camera offsets are
    // whole pixels: ceil(-100.4) = -100).
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 6u);
    Box b = BoundsOf(v, 0, 6);
    EXPECT_NEAR((b.x0 + b.x1) / 2, 160 * 3, 1e-3);
    EXPECT_NEAR((b.y0 + b.y1) / 2, 135 * 3, 1e-3);
    EXPECT_EQ(window->savedMatrix[4], 3 * (160 - 100));
}

namespace {

class Invert final : public c_IntBufferProcessor {
public:
    int calls = 0;
    void Process(std::int32_t* pixels, int width, int height) override {
        ++calls;
        for (int i = 0; i < width * height; ++i)
            pixels[i] = static_cast<std::int32_t>(0xFF000000u | (~static_cast<std::uint32_t>(pixels[i]) & 0xFFFFFF));
    }
};

}  // namespace

TEST(WindowView, EffectsProcessTheViewAndDrawItBack) {
    RecordedFrame frame(64, 32);
    Screen().SetVisibleRect(0, 0, 64, 32);
    auto window = New<c_Window>(16, 8);
    window->position.Set(8, 4);
    auto invert = std::make_shared<Invert>();
    window->effects.push_back(invert);
    frame.Begin();
    window->BeginView();
    window->EndView();  // effects off: nothing read
    EXPECT_EQ(invert->calls, 0);
    window->effectsEnabled = true;
    window->effectAlpha = 0.5f;
    window->BeginView();
    window->EndView();
    EXPECT_EQ(GetAlpha(), 1);
    frame.End();
    EXPECT_EQ(invert->calls, 1);
    EXPECT_EQ(frame.gl.readPixelsCalls, 1);
    ASSERT_NE(window->effectImage, nullptr);
    EXPECT_EQ(window->effectImage->Width(), 16);
    ASSERT_EQ(window->pixels.size(), 16u * 8u);
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_NEAR(v[0].a, 128, 1);  // drawn with the effect alpha
    Box b = BoundsOf(v, 0, 6);
    EXPECT_EQ(b.x1, 16);
    EXPECT_EQ(b.y1, 8);
}
