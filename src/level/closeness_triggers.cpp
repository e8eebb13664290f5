// closeness_triggers.cpp — the nearness test against the watched
// character's absolute position, and what each trigger does with it: a
// dialog speaks once, an event raiser sends its event once, a sign fades its
// text in and out and gives way to its character's open bubble.
#include "level/closeness_triggers.h"

#include <cmath>

#include "framework/ease.h"
#include "framework/events.h"
#include "level/player_char.h"

namespace {

// The character's absolute position: its own vector when it keeps one.
c_Vector AbsoluteOf(c_PlayerChar& character) {
    if (character.absPosition) return *character.absPosition;
    c_Vector at = character.position;
    for (c_GDO* up = character.parent; up; up = up->parent) {
        at.x += up->position.x;
        at.y += up->position.y;
    }
    return at;
}

}  // namespace

void c_ClosenessTriggeredEmptyObject::Init(const Ref<c_PlayerChar>& watched) {
    absPosition = New<c_SimpleAbsoluteGDOVector>();
    absPosition->SetTarget(this);
    target = watched;
}

void c_ClosenessTriggeredEmptyObject::Update(int elapsedMs) {
    c_EmptyGDOContainer::Update(elapsedMs);
    if (absPosition) absPosition->Refresh();
    Ref<c_PlayerChar> watched = target.lock();
    if (!watched || !absPosition) return;
    const c_Vector other = AbsoluteOf(*watched);
    if (std::fabs(absPosition->x - other.x) < kTriggerRangeX && std::fabs(absPosition->y - other.y) < kTriggerRangeY) {
        // Keep this object alive while it leaves its parent.
        Ref<c_GDO> keep = Self<c_GDO>();
        OnTrigger();
        RemoveFromParent();
    }
}

void c_ClosenessTriggeredDialog::InitDialog(StringView line, int durationMs) {
    text = String(line);
    duration = durationMs > 0 ? durationMs : kDefaultDurationMs;
}

void c_ClosenessTriggeredDialog::OnTrigger() {
    if (Ref<c_PlayerChar> watched = target.lock()) watched->Say(text, duration);
}

void c_ClosenessTriggeredEventRaiser::InitRaiser(const Ref<Object>& stage) {
    listener = stage;
    eventId = kTriggerEvent;
    eventData = nullptr;
}

void c_ClosenessTriggeredEventRaiser::OnTrigger() {
    if (Ref<Object> stage = listener.lock()) RaiseEvent(stage.get(), eventId, eventData.get());
}

c_ClosenessTriggeredText::c_ClosenessTriggeredText(Ref<c_Font> textFont, float textScale)
    : c_LabelWithShadow(std::move(textFont), textScale) {
    shadowOffset.Set(1, 1);
    shadowColor = c_RGB{0, 0, 0};
    alpha = 0;
}

void c_ClosenessTriggeredText::Init(Ref<c_Vector> watchedPosition) {
    absPosition = New<c_SimpleAbsoluteGDOVector>();
    absPosition->SetTarget(this);
    targetPosition = std::move(watchedPosition);
    bobTween = New<c_Tween>(c_QuadraticEaseInOut::Shared(), -kBob, kBob, kBobMs, true, true);
    bobTween->Start();
}

void c_ClosenessTriggeredText::Update(int elapsedMs) {
    c_LabelWithShadow::Update(elapsedMs);
    if (bobTween) bobTween->Update(elapsedMs);
    if (absPosition) absPosition->Refresh();
    float wanted = 0;
    if (targetPosition && absPosition && std::fabs(absPosition->x - targetPosition->x) <= kTriggerRangeX &&
        std::fabs(absPosition->y - targetPosition->y) <= kTriggerRangeY) {
        wanted = 1;
    }
    // A fade under the bubble would show the two texts one over the other
    // for most of a second: the text makes room at once, and fades back in
    // once the bubble has gone.
    if (UnderBubble()) {
        alpha = 0;
        return;
    }
    alpha += (wanted - alpha) * kFadeRate;
}

bool c_ClosenessTriggeredText::UnderBubble() {
    Ref<c_DialogBubble> bubble = giveWayTo.lock();
    if (!bubble || !bubble->visible || !absPosition) return false;
    const c_SimpleAbsoluteGDOVector at(bubble.get());
    const c_BubbleFrame& frame = bubble->Frame();
    const float left = at.x + frame.BodyLeft(), top = at.y + frame.BodyTop();
    // The text block is centred on the sign's position (the bob aside). The
    // bubble follows its character after the signs have updated: the margin
    // covers one update of the fastest fall, so the text is gone before the
    // bubble gets there.
    const float halfW = textSize.x / 2 + kBob + kBubbleMargin, halfH = textSize.y / 2 + kBob + kBubbleMargin;
    return absPosition->x + halfW > left && absPosition->x - halfW < left + frame.bodySize.x &&
           absPosition->y + halfH > top && absPosition->y - halfH < top + frame.bodySize.y;
}

bool c_ClosenessTriggeredText::Render() {
    const float restingY = position.y;
    if (bobTween) position.y += bobTween->value;
    const bool drawn = c_LabelWithShadow::Render();
    position.y = restingY;
    return drawn;
}
