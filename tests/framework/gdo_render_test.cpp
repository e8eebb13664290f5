// Drawing display trees through the GL recorder: transform order, colour,
// alpha, visibility and culling; and the colour stack's limits.
#include <gtest/gtest.h>

#include "framework/rectangle_gdo.h"
#include "host/runtime_error.h"
#include "render_fixture.h"
#include "support/child_process.h"

namespace {

constexpr std::size_t kQuad = 6;  // a rectangle reaches GL as two triangles

Ref<c_RectangleGDO> Rect(float w, float h, c_RGB tint = {255, 255, 255}) {
    auto r = New<c_RectangleGDO>(w, h);
    r->tint = tint;
    r->alwaysDraw = false;
    return r;
}

}  // namespace

TEST(GdoRender, TransformIsTranslateScaleRotate) {
    RecordedFrame frame;
    auto node = Rect(10, 4);
    node->position.Set(100, 50);
    node->scale.Set(2, 2);
    node->rotation = 90;  // anticlockwise on the y-down screen
    bool drawn = false;
    auto v = frame.RenderOnce(*node, &drawn);
    EXPECT_TRUE(drawn);
    ASSERT_EQ(v.size(), kQuad);
    Box b = BoundsOf(v, 0, kQuad);
    EXPECT_NEAR(b.x0, 96, 1e-3);
    EXPECT_NEAR(b.x1, 104, 1e-3);
    EXPECT_NEAR(b.y0, 40, 1e-3);
    EXPECT_NEAR(b.y1, 60, 1e-3);
}

TEST(GdoRender, AlphaMultipliesDownTheTreeAndIsClamped) {
    struct Case {
        float parentAlpha, childAlpha;
        int expectedByte;  // the child's vertex alpha
    };
    const Case cases[] = {{0.5f, 0.5f, 64}, {1, 1.5f, 255}, {0.5f, 1.5f, 191}, {1, -1, 0}};
    for (const auto& c : cases) {
        RecordedFrame frame;
        auto parent = New<c_EmptyGDOContainer>();
        parent->alpha = c.parentAlpha;
        auto child = Rect(10, 10);
        child->position.Set(50, 50);
        child->alpha = c.childAlpha;
        parent->AddChild(child);
        frame.Begin();
        parent->Render();
        EXPECT_EQ(GetAlpha(), 1);  // restored after the subtree
        frame.End();
        auto v = frame.Vertices();
        ASSERT_EQ(v.size(), kQuad);
        EXPECT_NEAR(v[0].a, c.expectedByte, 1) << c.parentAlpha << " x " << c.childAlpha;
    }
}

TEST(GdoRender, TintReplacesTheInheritedColourAndIsRestored) {
    RecordedFrame frame;
    auto parent = Rect(20, 20, {0, 0, 255});
    parent->position.Set(100, 100);
    auto red = Rect(4, 4, {255, 0, 0});
    auto plain = Rect(4, 4, {10, 20, 30});
    parent->AddChild(red);
    parent->AddChild(plain);
    frame.Begin();
    colorstack::SetColor(7, 8, 9);
    parent->Render();
    EXPECT_EQ(colorstack::CurrentColor(), (c_RGB{7, 8, 9}));
    EXPECT_EQ(GetColor()[0], 7);
    EXPECT_EQ(colorstack::Depth(), 0);
    frame.End();
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 3 * kQuad);
    auto rgb = [&](std::size_t quad) {
        const auto& x = v[quad * kQuad];
        return c_RGB{x.r, x.g, x.b};
    };
    EXPECT_EQ(rgb(0), (c_RGB{0, 0, 255}));
    EXPECT_EQ(rgb(1), (c_RGB{255, 0, 0}));  // pure red, not mixed with blue
    EXPECT_EQ(rgb(2), (c_RGB{10, 20, 30}));
}

TEST(GdoRender, InvisibleSkipsItsSubtreeAndDisabledStillDraws) {
    RecordedFrame frame;
    auto root = New<c_EmptyGDOContainer>();
    auto hidden = Rect(10, 10);
    hidden->position.Set(50, 50);
    hidden->AddChild(Rect(10, 10));
    auto disabled = Rect(10, 10);
    disabled->position.Set(80, 50);
    disabled->enabled = false;
    disabled->AddChild(Rect(4, 4));
    root->AddChild(hidden);
    root->AddChild(disabled);
    hidden->visible = false;
    hidden->boundingCircle.radius = -1;  // untouched: an invisible node is not culled either
    frame.Begin();
    EXPECT_FALSE(hidden->Render());
    root->Render();
    frame.End();
    EXPECT_EQ(frame.Vertices().size(), 2 * kQuad);
    EXPECT_EQ(hidden->boundingCircle.radius, -1);
}

TEST(GdoRender, CullingByBoundingCircle) {
    // A 6 × 8 node has a bounding radius of 5.
    struct Case {
        float x;
        bool visibleRectInForce;
        bool drawn;
    };
    const Case cases[] = {
        {-5, false, true},                         // touching the left edge of the device
        {-5.5f, false, false},                     // wholly outside
        {645, false, true},                        // touching the right edge
        {645.5f, false, false}, {95, true, true},  // the visible rectangle starts at x = 100
        {94, true, false},
    };
    for (const auto& c : cases) {
        RecordedFrame frame;
        auto node = Rect(6, 8);
        node->position.Set(c.x, 240);
        auto child = Rect(6, 8);
        child->position.Set(c.x < 320 ? 200.0f : -200.0f, 0);  // on screen on its own
        node->AddChild(child);
        frame.Begin();
        if (c.visibleRectInForce) {
            Screen().SetVisibleRect(100, 0, 400, 480);
            Screen().visibleInForce = true;
        }
        EXPECT_EQ(node->Render(), c.drawn) << c.x;
        frame.End();
        EXPECT_EQ(frame.Vertices().size(), c.drawn ? 2 * kQuad : 0) << c.x;
        EXPECT_FLOAT_EQ(node->boundingCircle.radius, 5);
    }

    // alwaysDraw nodes are never culled.
    RecordedFrame frame;
    auto far = Rect(6, 8);
    far->position.Set(-1000, -1000);
    far->alwaysDraw = true;
    bool drawn = false;
    EXPECT_EQ(frame.RenderOnce(*far, &drawn).size(), kQuad);
    EXPECT_TRUE(drawn);
}

TEST(GdoRender, OutlineRectangleDrawsFourEdges) {
    RecordedFrame frame;
    auto outline = New<c_RectangleGDO>(10, 6);
    outline->position.Set(50, 50);
    outline->outlineOnly = true;
    auto v = frame.RenderOnce(*outline);
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(frame.gl.draws[0].mode, gl::kLines);
    Box b = BoundsOf(v, 0, v.size());
    EXPECT_NEAR(b.x0, 45, 1e-4);
    EXPECT_NEAR(b.y1, 53, 1e-4);
    EXPECT_EQ(v[0].r, 0);  // black unless tinted
}

TEST(ColorStack, OverflowAndUnderflowEndTheRun) {
    ChildResult overflow = RunInChild([] {
        for (int i = 0; i < colorstack::kCapacity; ++i) colorstack::PushColor();
        Print("32 pushes fit");
        colorstack::PushColor();
    });
    EXPECT_EQ(overflow.exitCode, 255);
    EXPECT_TRUE(StartsWith(FromUtf8(overflow.out), u"32 pushes fit\nCobalt Runtime Error : RGB Stack overflow!\n"))
        << overflow.out;

    ChildResult underflow = RunInChild([] {
        colorstack::PushColor();
        colorstack::PopColor();
        colorstack::PopColor();
    });
    EXPECT_EQ(underflow.exitCode, 255);
    EXPECT_TRUE(StartsWith(FromUtf8(underflow.out), u"Cobalt Runtime Error : RGB Stack is empty. Nothing to Pop()!\n"))
        << underflow.out;
}

TEST(ColorStack, ClampsAndRestores) {
    colorstack::SetColor(300, -5, 128);
    EXPECT_EQ(colorstack::CurrentColor(), (c_RGB{255, 0, 128}));
    colorstack::PushColor();
    colorstack::SetColor(1, 2, 3);
    colorstack::PopColor();
    EXPECT_EQ(colorstack::CurrentColor(), (c_RGB{255, 0, 128}));
    EXPECT_EQ(colorstack::Depth(), 0);
}
