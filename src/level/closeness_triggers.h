// closeness_triggers.h — objects that react when their world's character
// comes near: dialogs make the character speak once, event raisers send the
// level stage an event once, signs fade their text in and out.
//
// "Near" is a box, not a circle: |dx| < 38 and |dy| < 48 between the two
// absolute positions (the sign also counts the edges as near).
//
// Ownership: triggers live in the world's tree beside the character they
// watch and hold it weakly; the event raiser holds the stage weakly.
#pragma once

#include "framework/absolute_gdo_vector.h"
#include "framework/collapsible_panel.h"
#include "framework/label.h"
#include "framework/tween.h"

class c_PlayerChar;

inline constexpr float kTriggerRangeX = 38;
inline constexpr float kTriggerRangeY = 48;
// Raised by event raisers, with the level stage as the sender.
inline constexpr int kTriggerEvent = 12321;

class c_ClosenessTriggeredEmptyObject : public c_EmptyGDOContainer {
public:
    Ref<c_SimpleAbsoluteGDOVector> absPosition;
    WeakRef<c_PlayerChar> target;

    String ToString() const override { return u"c_ClosenessTriggeredEmptyObject"; }

    // Watches `watched`. Call once, on an object made by New.
    void Init(const Ref<c_PlayerChar>& watched);
    // The children; then, once the character comes near, OnTrigger and the
    // object leaves its parent (so it fires once).
    void Update(int elapsedMs) override;
    virtual void OnTrigger() {}
};

class c_ClosenessTriggeredDialog final : public c_ClosenessTriggeredEmptyObject {
public:
    static constexpr int kDefaultDurationMs = 4000;

    String text;
    int duration = kDefaultDurationMs;  // ms

    String ToString() const override { return u"c_ClosenessTriggeredDialog"; }

    // A duration of 0 (or less) shows the text for 4000 ms.
    void InitDialog(StringView line, int durationMs);
    // The character says the text.
    void OnTrigger() override;
};

class c_ClosenessTriggeredEventRaiser final : public c_ClosenessTriggeredEmptyObject {
public:
    // The sender of the event (the level stage).
    WeakRef<Object> listener;
    int eventId = kTriggerEvent;
    Ref<Object> eventData;

    String ToString() const override { return u"c_ClosenessTriggeredEventRaiser"; }

    void InitRaiser(const Ref<Object>& stage);
    // Raises eventId in the stage's name.
    void OnTrigger() override;
};

// A sign: a shadowed label that bobs (drawn displaced, its position never
// changes) and fades in while the watched character is near, out when it
// leaves, by 5 % of the remaining distance per update.
class c_ClosenessTriggeredText final : public c_LabelWithShadow {
public:
    static constexpr float kFadeRate = 0.05f;
    static constexpr float kBob = 2;
    static constexpr int kBobMs = 500;
    // How near an open bubble may come before the text makes room.
    static constexpr float kBubbleMargin = 8;

    Ref<c_SimpleAbsoluteGDOVector> absPosition;
    // The watched character's absolute position (its own vector, shared).
    Ref<c_Vector> targetPosition;
    Ref<c_Tween> bobTween;
    // The watched character's speech bubble: while it is open over the
    // text, the text is hidden, so that the two never show one over the
    // other (held weakly; none = never).
    WeakRef<c_DialogBubble> giveWayTo;

    // Invisible (alpha 0) shadowed text at that scale.
    c_ClosenessTriggeredText(Ref<c_Font> font, float scale);

    String ToString() const override { return u"c_ClosenessTriggeredText"; }

    // Watches `watchedPosition` and starts bobbing. Call once, on a sign made
    // by New.
    void Init(Ref<c_Vector> watchedPosition);
    // The label update, the bob, then the fade (none under the bubble: the
    // text is hidden there at once).
    void Update(int elapsedMs) override;
    // Whether `giveWayTo` is open and its body overlaps the text.
    bool UnderBubble();
    // Draws with the bob added to y, then puts y back.
    bool Render() override;
};
