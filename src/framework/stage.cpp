// stage.cpp — see stage.h.
#include "framework/stage.h"

#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/screen.h"

c_Stage::c_Stage(int steps) {
    const c_Vector& virtualSize = VirtualSize();
    if (virtualSize.x <= 0 || virtualSize.y <= 0) {
        window = New<c_Window>(static_cast<float>(DeviceWidth()), static_cast<float>(DeviceHeight()));
    } else {
        window = New<c_Window>(virtualSize.x, virtualSize.y);
    }
    window->position.Set(window->size.x * 0.5f, window->size.y * 0.5f);
    windows.push_back(window);
    loadSteps = steps;
    root = New<c_EmptyGDOContainer>();
    root->alwaysDraw = true;
    root->name = u"_STAGE";
}

c_Stage::~c_Stage() = default;

void c_Stage::LoadStep(int) {}

void c_Stage::Update(int elapsedMs) {
    if (root->IsEnabled()) root->Update(elapsedMs);
    // By index against the live count: an update may add a view or a cog.
    for (std::size_t i = 0; i < windows.size(); ++i) {
        Ref<c_GDOBase> view = windows[i];
        if (view && view->IsEnabled()) view->Update(elapsedMs);
    }
    for (std::size_t i = 0; i < cogs.size(); ++i) {
        Ref<c_Cog> cog = cogs[i];
        if (cog && cog->IsEnabled()) cog->Update(elapsedMs);
    }
}

void c_Stage::Discard() {
    root->Discard();
    for (const Ref<c_GDOBase>& view : windows) {
        if (auto* resource = dynamic_cast<c_Resource*>(view.get())) resource->Discard();
    }
    for (const Ref<c_Cog>& cog : cogs) {
        if (cog) cog->Discard();
    }
    AudioManager::ReleaseStageSFX();
}

void c_Stage::Render() {
    for (std::size_t i = 0; i < windows.size(); ++i) {
        Ref<c_GDOBase> view = windows[i];
        if (!view || !view->IsVisible()) continue;
        if (auto* w = dynamic_cast<c_Window*>(view.get())) {
            w->BeginView();
            // A view wholly off the screen (one waiting to slide in) shows
            // nothing: its world is not drawn at all.
            if (Screen().visibleWidth <= 0 || Screen().visibleHeight <= 0) {
                w->EndView();
                continue;
            }
            root->Render();
            for (const Ref<c_Cog>& cog : cogs) {
                auto* drawable = dynamic_cast<c_Drawable*>(cog.get());
                if (drawable && drawable->IsVisible()) drawable->Draw();
            }
            w->EndView();
        } else if (auto* node = dynamic_cast<c_GDO*>(view.get())) {
            node->Render();
        } else {
            view->Draw();
        }
    }
}
