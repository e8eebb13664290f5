// Updating and drawing a whole display tree allocates nothing per frame.
//
// Allocations are counted by the test program's counting operator new
// (support/allocation_counter.h); sanitizer builds skip this test.
#include <gtest/gtest.h>

#include "framework/absolute_gdo_vector.h"
#include "framework/events.h"
#include "framework/gdo_with_tween.h"
#include "framework/rectangle_gdo.h"
#include "framework/sprite.h"
#include "framework/static_image.h"
#include "framework/tile_set.h"
#include "framework/window.h"
#include "image_files.h"
#include "render_fixture.h"
#include "support/allocation_counter.h"

namespace {

class Counter final : public Object, public c_EventListener {
public:
    int heard = 0;
    void OnEvent(Object*, int, Object*) override { ++heard; }
};

}  // namespace

TEST(FrameAllocation, UpdateAndRenderOfATreeAllocateNothing) {
    if (!AllocationCounter::Available()) GTEST_SKIP() << "the sanitizer owns operator new";
    RecordedFrame frame(960, 540);
    frame.gl.keepDraws = false;
    ClearListeners();
    ImageFolder folder;
    auto sheet = GetTexture(folder.Write(
        "sheet.png", ImageFolder::Png(64, 32, [](int x, int y) { return 0xFF0000FFu ^ std::uint32_t(x * 4 + y); })));
    Screen().scale.Set(3, 3);
    Screen().SetVisibleRect(0, 0, 960, 540);

    auto root = New<c_EmptyGDOContainer>();
    root->name = u"_STAGE";
    auto counter = New<Counter>();
    for (int i = 0; i < 40; ++i) {
        auto group = New<c_GDOWithTween>();
        group->position.Set(float(i * 8), float(i % 10) * 9);
        group->propertyName = u"position.y";
        group->tween = New<c_Tween>(c_QuadraticEaseInOut::Shared(), -3, 3, 900, true, true);
        group->tween->raiseEvents = true;
        group->tween->Start();
        AddListener(counter, group->tween.get(), kAnyEvent);
        auto sprite = New<c_Sprite>(New<c_TileSet>(sheet, 16, 16), 10);
        sprite->AddSequence(u"walk", {0, 1, 2, 3, 2, 1}, true);
        sprite->Play(u"walk");
        sprite->tint.Set(255, 128, 0);
        sprite->alpha = 0.5f;
        sprite->rotation = float(i);
        AddListener(counter, sprite.get(), kSpriteSequenceEnded);
        group->AddChild(sprite);
        auto box = New<c_RectangleGDO>(10, 10);
        box->alwaysDraw = false;
        box->outlineOnly = i % 2 == 0;
        group->AddChild(box);
        auto picture = New<c_StaticImage>(sheet);
        picture->SetFloat(u"textureframe", 0);
        group->AddChild(picture);
        root->AddChild(group);
    }
    auto offscreen = New<c_RectangleGDO>(4, 4);
    offscreen->alwaysDraw = false;
    offscreen->position.Set(-5000, 0);
    offscreen->AddChild(New<c_RectangleGDO>(4, 4));
    root->AddChild(offscreen);

    auto window = New<c_Window>(320, 180);
    window->position.Set(160, 90);
    window->followTarget = New<c_SimpleAbsoluteGDOVector>(root->children[20].get());
    window->followFactor = 0.5f;
    window->followMaxStep = 20;
    window->deadZone = 0.1f;

    auto runFrame = [&] {
        root->Update(16);
        window->Update(16);
        frame.device->BeginFrame();
        BeginDrawing();
        PushMatrix();
        Scale(3, 3);
        window->BeginView();
        root->Render();
        window->EndView();
        PopMatrix();
        EndDrawing();
        frame.device->EndFrame();
    };
    // Warm up: first frames size the renderer's buffers, the matrix stack and
    // each sprite's event data.
    for (int i = 0; i < 120; ++i) runFrame();
    ASSERT_GT(counter->heard, 0);
    const int heardBefore = counter->heard;
    ASSERT_GT(frame.gl.drawCalls, 0);

    AllocationCounter allocations;
    for (int i = 0; i < 300; ++i) runFrame();
    EXPECT_EQ(allocations.Stop(), 0);
    EXPECT_GT(counter->heard, heardBefore);  // events were raised meanwhile
    ClearListeners();
}
