// movable_object.cpp — a box's fall, landing, friction and world crossing
// each update, the breakable box's break, and a character's push (see
// movable_object.h).
#include "level/movable_object.h"

#include <algorithm>
#include <cmath>

#include "framework/audio_manager.h"
#include "framework/events.h"
#include "framework/tile_set.h"

void c_MovableObject::Init(Ref<c_DrawableCollection> tiles, const Ref<c_BasicBoxEngine>& boxEngine,
                           c_WorldCrossing* crossing) {
    frames = std::move(tiles);
    worldCrossing = crossing;
    frameDuration = 100;
    velocity = c_Vector();
    absPosition = New<c_SimpleAbsoluteGDOVector>(this);
    box = MakeObjectBox(0, 0, GetWidth(), GetHeight(), absPosition);
    box->owner = weak_from_this();
    box->raisesEvents = false;
    engine = boxEngine;
    if (engine) {
        engine->AddObstacle(box);
        engine->AddMover(box);
    }
    AddSequence(u"idle", {0}, false);
    Play(u"idle");
}

void c_MovableObject::Update(int elapsedMs) {
    const float dt = static_cast<float>(elapsedMs) / 1000.0f;
    c_Sprite::Update(elapsedMs);
    const c_Vector push = box ? box->correction : c_Vector();
    if (push.x == 0 && push.y == 0) {
        velocity.y = std::min(velocity.y + kGravity * dt, kMaxFallSpeed);
    } else {
        // Any contact, from any side, counts as standing for this update.
        if (velocity.y > kHardLanding) OnLand();
        velocity.y = 1;
    }
    // Driven sideways into something solid (the engine pushed it back), the
    // box stops there, flush, instead of sliding on into it.
    if (push.x * velocity.x < 0) velocity.x = 0;
    velocity.x *= kFriction;
    if (std::fabs(velocity.x) < kStopSpeed) velocity.x = 0;
    position.x += velocity.x * dt + push.x;
    position.y += velocity.y * dt + push.y;
    if (absPosition) absPosition->Refresh();
    if (worldCrossing) {
        worldCrossing->CrossWorld(*this);
        // The engine resolves this update's position in the world the box
        // is now in.
        if (absPosition) absPosition->Refresh();
    }
}

bool c_MovableObject::BlockedTowards(float direction) const {
    if (!box || !engine || direction == 0) return false;
    c_Rectangle probe;
    probe.halfWidth = box->halfWidth;
    probe.halfHeight = box->halfHeight;
    probe.centre = box->AbsoluteCentre();
    probe.centre.x += direction > 0 ? kBlockProbe : -kBlockProbe;
    // A runaway box has no cells to look in (and nothing it could lean on).
    if (!std::isfinite(probe.centre.x) || !std::isfinite(probe.centre.y) || !std::isfinite(probe.halfHeight) ||
        !std::isfinite(probe.halfWidth))
        return false;
    c_Vector overlap;
    // Only what overlaps it well up its side counts: the ground it sinks into
    // a little every update, and the seam where two ground boxes meet, do not
    // hold it back.
    auto blocks = [&](const c_Rectangle& other) {
        return (other.centre.x - probe.centre.x) * direction > 0 && probe.Collide(other, nullptr, &overlap) &&
               overlap.y > kBlockOverlap;
    };
    const int row0 = engine->RowOf(probe.centre.y - probe.halfHeight);
    const int row1 = engine->RowOf(probe.centre.y + probe.halfHeight);
    const int col0 = engine->ColumnOf(probe.centre.x - probe.halfWidth);
    const int col1 = engine->ColumnOf(probe.centre.x + probe.halfWidth);
    for (int row = row0; row <= row1; ++row) {
        for (int col = col0; col <= col1; ++col) {
            for (const Ref<c_StaticBox>& other : engine->StaticBoxesInCell(row, col))
                if (other && blocks(*other)) return true;
        }
    }
    for (const Ref<c_CollisionBox>& other : engine->obstacles) {
        if (!other || other == box || !other->solid) continue;
        c_Rectangle placed;
        placed.halfWidth = other->halfWidth;
        placed.halfHeight = other->halfHeight;
        placed.centre = other->AbsoluteCentre();
        if (blocks(placed)) return true;
    }
    return false;
}

void c_MovableObject::OnLand() { AudioManager::PlaySFX(u"BOXFALL"); }

void c_BreakableBox::Init(const Ref<c_BasicBoxEngine>& boxEngine, c_WorldCrossing* crossing) {
    auto sheet = New<c_TileSet>(GetTexture(u"box_break.png"), kFrameWidth, kFrameHeight);
    c_MovableObject::Init(sheet, boxEngine, crossing);
    AddSequenceRange(u"break", 1, 8, false);
    AddListener(Self<c_BreakableBox>(), this, kSpriteSequenceEnded);
    box->halfWidth = 8;
    box->halfHeight = 8;
    box->centre.x -= 2;
    box->centre.y += 4;
}

void c_BreakableBox::OnLand() {
    if (broken) return;
    broken = true;
    Play(u"break");
    if (engine) engine->RemoveObstacle(box.get());
    AudioManager::PlaySFX(u"BOXBREAK");
    RaiseEvent(this, kBoxBrokeEvent, nullptr);
}

void c_BreakableBox::OnEvent(Object* source, int eventId, Object* data) {
    if (source != this || eventId != kSpriteSequenceEnded) return;
    auto* ended = dynamic_cast<c_StringObject*>(data);
    if (ended && ended->value == u"break") visible = false;
}

void PushBox(c_MovableObject& target, float amount) {
    if (amount == 0) return;
    const float direction = amount > 0 ? 1.0f : -1.0f;
    // Leaning on a box that cannot move is no push at all.
    if (target.BlockedTowards(direction)) return;
    // A box still sliding this way is the same push going on: one sound.
    if (target.velocity.x * direction <= 0) AudioManager::PlaySFX(u"PUSH");
    target.velocity.x = direction * c_MovableObject::kPushSpeed;
}

Ref<c_MovableObject> ContactBox(const c_CollisionData& contact) {
    if (!contact.other) return nullptr;
    return std::dynamic_pointer_cast<c_MovableObject>(contact.other->owner.lock());
}
