// tarn_stage.cpp — the level stage's core: the order of one update, the
// player's controls (pause, switching characters), the events it listens to
// (body contacts, broken boxes, the window-slide trigger) and the deferred
// crossing of boxes between the worlds. The load steps, the views and the
// exit live in level_build.cpp, level_views.cpp and level_exit.cpp.
#include "level/tarn_stage.h"

#include "framework/events.h"
#include "host/input_device.h"
#include "level/character_contact.h"
#include "level/key_item.h"
#include "level/movable_object.h"

c_TarnStage::c_TarnStage(int level) : c_Stage(kLoadSteps), level_(level) {}

c_TarnStage::~c_TarnStage() { RemoveListener(this); }

c_TarnStage::WorldParts c_TarnStage::Parts(int world) {
    if (world == 2)
        return {2, world2, solidLayer2, background2, player2, player1, window2, noise2, hud2, slideTween2, limits2};
    return {1, world1, solidLayer1, background1, player1, player2, window1, noise1, hud1, slideTween1, limits1};
}

void c_TarnStage::Update(int elapsedMs) {
    ++updateCount;
    if (AdvanceExitFade(elapsedMs)) return;
    updatingTree_ = true;
    c_Stage::Update(kFixedStepMs);
    updatingTree_ = false;
    FinishCrossings();
    for (int w = 1; w <= Worlds(); ++w) UpdateView(Parts(w), elapsedMs);
    UpdateFootsteps();
    UpdateSnowDust();
    for (int w = 1; w <= Worlds(); ++w) PlaceBubble(Parts(w));
    ApplyMotion();
    HandleControls();
}

void c_TarnStage::ApplyMotion() {
    if (!player1) return;
    ApplyTwinMotion(*player1, player2.get());
    if (!player2) return;
    for (int w = 1; w <= Worlds(); ++w) PlaceMarkers(Parts(w));
}

// ---- controls -----------------------------------------------------------------

void c_TarnStage::HandleControls() {
    if (pausePanel && pausePanel->visible) return;
    if (ActionHit(kActionPause) && exitFadeTotal == 0) {
        OpenPauseMenu();
    } else if (ActionHit(kActionSwitch)) {
        SwitchCharacters();
    }
    RestartOnFall();
    if (player1 && player2 && !player1->active && !player2->active) player1->active = true;
    ShowDisconnected();
}

void c_TarnStage::OpenPauseMenu() {
    if (!pausePanel || pausePanel->panelState != c_CollapsiblePanel::kIdle) return;
    pausePanel->visible = true;
    pausePanel->enabled = true;
    pausePanel->SetPanelState(c_CollapsiblePanel::kOpeningHeight);
    EnableInput(false);
}

void c_TarnStage::SwitchCharacters() {
    // Only standing characters switch: linked, then world 1's alone, then
    // world 2's alone, then linked again.
    if (levelSettings->forcedSync || !player1 || !player2 || !player1->grounded || !player2->grounded) return;
    if (player1->active && player2->active) {
        player2->active = false;
    } else if (player1->active) {
        player1->active = false;
        player2->active = true;
    } else {
        player1->active = true;
        player2->active = true;
    }
}

void c_TarnStage::EnableInput(bool enabled) {
    if (player1) player1->inputEnabled = enabled;
    if (player2) player2->inputEnabled = enabled;
}

// ---- events -------------------------------------------------------------------

void c_TarnStage::OnEvent(Object* source, int eventId, Object* data) {
    if (eventId == kTriggerEvent && source == this) {
        if (slideTween1 && slideTween2) {
            slideTween1->Start();
            slideTween2->Start();
        }
        return;
    }
    if (eventId == kBoxBrokeEvent) {
        auto* box = dynamic_cast<c_GDO*>(source);
        if (!box || !box->parent) return;
        if (box->parent != solidLayer1.get() && box->parent != solidLayer2.get()) return;
        Ref<c_KeyItem> key;
        if (spareKeys_.empty()) {
            key = New<c_KeyItem>();
            key->Prepare();
        } else {
            key = std::move(spareKeys_.back());
            spareKeys_.pop_back();
        }
        key->Place(boxEngine);
        key->position.Set(box->position.x, box->position.y - 4);
        box->parent->AddChild(key);
        key->StartBobbing();
        return;
    }
    if (eventId == kCollisionEventObstacle && data) {
        auto* contact = static_cast<c_CollisionData*>(data);
        for (int w = 1; w <= Worlds(); ++w) {
            const WorldParts parts = Parts(w);
            if (parts.player && source == parts.player->bodyBox.get()) {
                HandleCharacterContact(*this, *parts.player, parts.partner.get(), *contact);
                return;
            }
        }
    }
}

// ---- worlds -------------------------------------------------------------------

void c_TarnStage::CrossWorld(c_GDO& object) {
    // Moved at once, an object leaving world 1 would land among world 2's
    // children, which the tree update has yet to reach, and take a second
    // step (and a second pull of gravity) in the same update.
    if (updatingTree_) {
        pendingCrossings_.push_back(object.Self<c_GDO>());
        return;
    }
    CrossBetweenLayers(object, solidLayer1.get(), solidLayer2.get());
}

void c_TarnStage::FinishCrossings() {
    for (const Ref<c_GDO>& object : pendingCrossings_) {
        CrossBetweenLayers(*object, solidLayer1.get(), solidLayer2.get());
        if (auto* movable = dynamic_cast<c_MovableObject*>(object.get()); movable && movable->absPosition)
            movable->absPosition->Refresh();
    }
    pendingCrossings_.clear();
}

void c_TarnStage::Discard() {
    RemoveListener(this);
    c_Stage::Discard();
}
