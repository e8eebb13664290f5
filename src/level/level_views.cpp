// level_views.cpp — what the level stage shows and plays around its worlds
// each update: the cameras chasing their characters, the HUDs riding on
// their windows, the parallax backgrounds, the windows sliding into place,
// the noise over an inactive character's window, the leash markers,
// "DISCONNECTED!", the speech bubbles, the footsteps and the snow dust.
// What both worlds show is written once, for one world's parts.
#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/geometry.h"
#include "host/rnd.h"
#include "level/tarn_stage.h"

namespace {

// How a window's camera chases its character.
constexpr float kFollowFactor = 0.5f;
constexpr float kFollowMaxStep = 20;
constexpr float kFollowDeadZone = 0.1f;
// A HUD sits this far below the top of its window.
constexpr float kHudDrop = 45;

}  // namespace

void c_TarnStage::FollowCamera(const WorldParts& parts) {
    c_Window* w = parts.window.get();
    if (w && parts.player) {
        // The character keeps its absolute position current as it moves.
        const c_SimpleAbsoluteGDOVector& at = *parts.player->absPosition;
        w->Follow(at.x, at.y - kCameraLift, kFollowFactor, kFollowMaxStep, kFollowDeadZone);
    }
    if (parts.hud && w) parts.hud->position.y = w->position.y - w->size.y / 2 + kHudDrop;
}

void c_TarnStage::UpdateBackground(const WorldParts& parts) {
    c_ParallaxBackground* background = parts.background.get();
    c_Window* w = parts.window.get();
    if (!background || !w || !parts.world) return;
    // The background travels with the view; its layers slide by how far
    // through the level the camera is.
    background->position.x = w->camera.x - parts.world->position.x - w->size.x / 2;
    float progress = 0;
    if (w->limits && w->limits->maxX > w->limits->minX)
        progress = (w->camera.x - w->limits->minX) / (w->limits->maxX - w->limits->minX);
    background->SetProgress(progress);
}

bool c_TarnStage::CoversScreen() {
    const c_Vector& screen = VirtualSize();
    // Only the parallax backgrounds have a sky, an opaque rectangle over
    // the whole view.
    if (levelSettings->bgType != 1) return false;
    struct Span {
        float top, bottom;
    };
    Span spans[2];
    int count = 0;
    for (int w = 1; w <= Worlds(); ++w) {
        const WorldParts parts = Parts(w);
        const c_Window* view = parts.window.get();
        if (!view || !view->visible || !parts.background || !parts.background->visible) continue;
        if (view->position.x - view->size.x / 2 > 0 || view->position.x + view->size.x / 2 < screen.x) continue;
        spans[count++] = {view->position.y - view->size.y / 2, view->position.y + view->size.y / 2};
    }
    if (count == 2 && spans[1].top < spans[0].top) std::swap(spans[0], spans[1]);
    float reach = 0;
    for (int i = 0; i < count; ++i) {
        if (spans[i].top > reach) return false;
        reach = std::max(reach, spans[i].bottom);
    }
    return reach >= screen.y;
}

void c_TarnStage::UpdateView(const WorldParts& parts, int elapsedMs) {
    FollowCamera(parts);
    UpdateBackground(parts);
    c_Window* w = parts.window.get();
    if (!w) return;
    if (c_Tween* slide = parts.slide.get(); slide && slide->IsEnabled()) {
        slide->Update(elapsedMs);
        w->position.y = slide->value;
    }
    if (parts.noise && parts.player) {
        parts.noise->position = w->position;
        parts.noise->visible = !parts.player->active;
    }
}

void c_TarnStage::PlaceMarkers(const WorldParts& parts) {
    // A world's markers stand around the other world's character, where
    // this world's character would reach the leash.
    if (!parts.partner || !parts.player) return;
    const float offsets[2] = {-kLimitOffset, kLimitOffset};
    for (int side = 0; side < 2; ++side) {
        if (!parts.limits[side]) continue;
        parts.limits[side]->position.x = parts.partner->position.x + offsets[side];
        parts.limits[side]->visible = parts.player->active;
    }
}

void c_TarnStage::ShowDisconnected() {
    if (!player1 || !player2 || !disconnectedLabel) return;
    if (player1->active != player2->active) {
        disconnectedLabel->blinking = true;
    } else {
        disconnectedLabel->blinking = false;
        disconnectedLabel->visible = false;
    }
}

void c_TarnStage::PlaceBubble(const WorldParts& parts) {
    c_PlayerChar* p = parts.player.get();
    if (!p || !p->bubble) return;
    // The bubble lives in the world container, beside the solid layer.
    const c_Vector origin = parts.solid ? parts.solid->position : c_Vector{};
    const c_Vector overHead(origin.x + p->position.x, origin.y + p->position.y - 0.75f * p->GetHeight());
    c_Window* w = parts.window.get();
    if (!w || !parts.world) {
        p->bubble->position = overHead;
        return;
    }
    // The window's view in the world container's coordinates, as drawn (the
    // camera is rounded down to whole pixels).
    const c_SimpleAbsoluteGDOVector world(parts.world.get());
    const float left = std::floor(w->camera.x) - w->size.x / 2 - world.x;
    const float top = std::floor(w->camera.y) - w->size.y / 2 - world.y;
    p->bubble->PlaceWithin(overHead, left, top, left + w->size.x, top + w->size.y);
}

void c_TarnStage::UpdateFootsteps() {
    auto walking = [](const c_PlayerChar* p) { return p && p->velocity.x != 0 && p->grounded; };
    constexpr int steps = AudioManager::kFootstepsChannel;
    if (walking(player1.get()) || walking(player2.get())) {
        if (AudioManager::ChannelId(steps).empty()) AudioManager::PlaySFX(u"STEPS", steps, true);
    } else if (AudioManager::ChannelId(steps) == u"STEPS") {
        // Only the footsteps themselves: anything else on the channel was
        // asked for there and must not be cut off.
        AudioManager::StopSFX(steps);
    }
}

void c_TarnStage::UpdateSnowDust() {
    if (!particles || !player1 || !solidLayer1) return;
    if (!player1->grounded || player1->velocity.x == 0 || player1->currentTile % 3 != 2) return;
    auto emitter = particles->GetEmitter(u"SNOWDUST_EMITTER1");
    if (!emitter) return;
    float x = player1->position.x + static_cast<float>(Rnd(-5, 5));
    float y = player1->position.y + player1->GetHeight() / 2;
    emitter->position.Set(x, y);
    int tx = 0, ty = 0;
    if (solidLayer1->CellAt(x, y, tx, ty) && solidLayer1->TileAt(tx, ty) > 0) {
        float vx = -Sign(player1->velocity.x) * static_cast<float>(Rnd(7, 14));
        float vy = -static_cast<float>(Rnd(30, 70));
        emitter->Emit(vx, vy);
    }
}
