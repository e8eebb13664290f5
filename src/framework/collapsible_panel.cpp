// collapsible_panel.cpp — see collapsible_panel.h.
#include "framework/collapsible_panel.h"

#include <algorithm>
#include <cmath>

#include "framework/audio_manager.h"
#include "framework/ease.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"

c_CollapsiblePanel::c_CollapsiblePanel(Ref<c_GDO> panelContent)
    : content(std::move(panelContent)),
      tweenY(New<c_Tween>(c_QuarticEaseInOut::Shared(), 0.0f, 1.0f, kStepMs)),
      tweenX(New<c_Tween>(c_QuarticEaseInOut::Shared(), 0.0f, 1.0f, kStepMs)) {
    visible = false;
    enabled = false;
    AddChild(content);
}

void c_CollapsiblePanel::Animate(c_Tween& tween, float from, float to) {
    tween.from = from;
    tween.to = to;
    tween.Start();
}

// The side that does not move in a phase stays where the phase put it: its
// tween is parked at that value, so reading both tweens gives the scale.
void c_CollapsiblePanel::Hold(c_Tween& tween, float value) {
    tween.from = value;
    tween.to = value;
    tween.segmentStart = value;
    tween.segmentEnd = value;
    tween.value = value;
    tween.Stop();
}

void c_CollapsiblePanel::SetPanelState(int state) {
    switch (state) {
        case kOpeningHeight:
            scale.Set(kCollapsed, kCollapsed);
            Animate(*tweenY, kCollapsed, 1);
            Hold(*tweenX, scale.x);
            break;
        case kOpeningWidth:
            scale.Set(kCollapsed, 1);
            Animate(*tweenX, kCollapsed, 1);
            Hold(*tweenY, scale.y);
            break;
        case kClosingWidth:
            scale.Set(1, 1);
            Animate(*tweenX, 1, kCollapsed);
            Hold(*tweenY, scale.y);
            break;
        case kClosingHeight:
            scale.Set(kCollapsed, 1);
            Animate(*tweenY, 1, kCollapsed);
            Hold(*tweenX, scale.x);
            break;
        case kIdle: break;
        default: return;
    }
    panelState = state;
}

void c_CollapsiblePanel::Close(bool immediately) {
    if (immediately) {
        visible = false;
        enabled = false;
        scale.Set(kCollapsed, kCollapsed);
        panelState = kIdle;
        return;
    }
    visible = true;
    enabled = true;
    scale.Set(1, 1);
    SetPanelState(kClosingWidth);
}

void c_CollapsiblePanel::Update(int elapsedMs) {
    if (!enabled) return;
    c_GDO::Update(elapsedMs);
    if (!tweenX->running && !tweenY->running) {
        const bool open = scale.x == 1 && scale.y == 1;
        visible = open;
        enabled = open;
        panelState = kIdle;
        return;
    }
    tweenX->Update(elapsedMs);
    tweenY->Update(elapsedMs);
    scale.Set(tweenX->value, tweenY->value);
    if (panelState == kOpeningHeight && scale.y == 1) SetPanelState(kOpeningWidth);
    if (panelState == kClosingWidth && scale.x == kCollapsed) SetPanelState(kClosingHeight);
    scale.Set(tweenX->value, tweenY->value);
}

c_BubbleFrame::c_BubbleFrame(Ref<c_Texture> picture) : texture(std::move(picture)) {
    // The parts are placed by their top-left corners.
    if (c_Image* image = texture ? texture->image.get() : nullptr) image->SetImageHandle(0, 0);
}

float c_BubbleFrame::TailHeight() const {
    const c_Image* image = texture ? texture->image.get() : nullptr;
    return image && image->Height() > kTailRows ? static_cast<float>(kTailRows) : 0.0f;
}

float c_BubbleFrame::BodyLeft() const { return -std::floor(bodySize.x / 2); }

float c_BubbleFrame::TipDrop() const {
    const c_Image* image = texture ? texture->image.get() : nullptr;
    return image ? std::floor(static_cast<float>(image->Height()) / 2) : 0.0f;
}

float c_BubbleFrame::BodyTop() const { return TipDrop() - TailHeight() - bodySize.y; }

c_Vector c_BubbleFrame::BodyCentre() const { return c_Vector(BodyLeft() + bodySize.x / 2, BodyTop() + bodySize.y / 2); }

void c_BubbleFrame::Draw() {
    const c_Image* image = texture ? texture->image.get() : nullptr;
    if (!image) return;
    const int iw = image->Width();
    const int bh = image->Height() - static_cast<int>(TailHeight());
    // Too small to cut: nothing sensible to draw.
    if (iw < 3 || bh < 3) return;
    const float w = std::max(bodySize.x, 2.0f), h = std::max(bodySize.y, 2.0f);
    const float left = BodyLeft(), top = BodyTop(), right = left + w - 1, bottom = top + h - 1;
    const float sx = (w - 2) / static_cast<float>(iw - 2), sy = (h - 2) / static_cast<float>(bh - 2);
    auto part = [&](float x, float y, int srcX, int srcY, int srcW, int srcH, float scaleX, float scaleY) {
        DrawImagePart(image, x, y, srcX, srcY, srcW, srcH, 0, scaleX, scaleY);
    };
    part(left + 1, top + 1, 1, 1, iw - 2, bh - 2, sx, sy);  // middle
    part(left + 1, top, 1, 0, iw - 2, 1, sx, 1);            // top rim
    part(left + 1, bottom, 1, bh - 1, iw - 2, 1, sx, 1);    // bottom edge
    part(left, top + 1, 0, 1, 1, bh - 2, 1, sy);            // left edge
    part(right, top + 1, iw - 1, 1, 1, bh - 2, 1, sy);      // right edge
    part(left, top, 0, 0, 1, 1, 1, 1);                      // corners
    part(right, top, iw - 1, 0, 1, 1, 1, 1);
    part(left, bottom, 0, bh - 1, 1, 1, 1, 1);
    part(right, bottom, iw - 1, bh - 1, 1, 1, 1, 1);
    const float tail = TailHeight();
    if (tail > 0)
        part(-std::floor(static_cast<float>(iw) / 2), TipDrop() - tail, 0, bh, iw, static_cast<int>(tail), 1, 1);
}

void c_BubbleFrame::Discard() {
    c_GDO::Discard();
    if (texture) texture->Discard();
}

c_DialogBubble::c_DialogBubble(Ref<c_Font> font)
    : c_CollapsiblePanel(New<c_BubbleFrame>(GetTexture(u"bubble.png"))),
      label(New<c_Label>(std::move(font), kTextScale)) {
    AddChild(label);
}

void c_DialogBubble::Update(int elapsedMs) {
    if (!enabled) return;
    c_CollapsiblePanel::Update(elapsedMs);
    if (hideTimer > 0) {
        hideTimer -= elapsedMs;
        if (hideTimer < 1) Close(false);
    }
}

void c_DialogBubble::Show(StringView text, int durationMs) {
    label->SetText(text);
    // Whole pixels, so the cut parts of the picture meet without seams.
    c_BubbleFrame& frame = Frame();
    frame.bodySize.Set(std::ceil(label->GetWidth()) + kPadding, std::ceil(label->GetHeight()) + kPadding);
    label->position = frame.BodyCentre();
    // A bubble on its way closed opens again too, or the new text would be
    // lost with it.
    if (!visible || panelState == kClosingWidth || panelState == kClosingHeight) {
        visible = true;
        enabled = true;
        SetPanelState(kOpeningHeight);
        AudioManager::PlaySFX(u"BUBBLE");
    }
    hideTimer = durationMs;
}

void c_DialogBubble::PlaceWithin(c_Vector at, float left, float top, float right, float bottom) {
    const c_BubbleFrame& frame = Frame();
    // Whole pixels, like the body, so that its rim stays sharp.
    auto keepIn = [](float origin, float bodyStart, float bodySize, float low, float high) {
        const float start = origin + bodyStart;
        if (start + bodySize > high) origin -= std::ceil(start + bodySize - high);
        if (origin + bodyStart < low) origin += std::ceil(low - (origin + bodyStart));
        return origin;
    };
    position.Set(keepIn(at.x, frame.BodyLeft(), frame.bodySize.x, left, right),
                 keepIn(at.y, frame.BodyTop(), frame.bodySize.y, top, bottom));
}
