// collapsible_panel.cpp — see collapsible_panel.h.
#include "framework/collapsible_panel.h"

#include "audio/audio_manager.h"
#include "framework/ease.h"
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
    case kIdle:
        break;
    default:
        return;
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

c_DialogBubble::c_DialogBubble(Ref<c_Font> font)
    : c_CollapsiblePanel(New<c_StaticImage>(GetTexture(u"bubble.png"))), label(New<c_Label>(std::move(font), kTextScale)) {
    AddChild(label);
    // The picture is stretched about its centre to frame the text, which is
    // centred on the same point.
    if (c_Image* picture = Image().texture ? Image().texture->image.get() : nullptr) {
        picture->SetImageHandle(static_cast<float>(picture->Width()) * 0.5f, static_cast<float>(picture->Height()) * 0.5f);
    }
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
    c_StaticImage& image = Image();
    const float imageWidth = image.GetWidth();
    const float imageHeight = image.GetHeight();
    if (imageWidth > 0 && imageHeight > 0) {
        image.scale.Set((label->GetWidth() + kPadding) / imageWidth, (label->GetHeight() + kPadding) / imageHeight);
    }
    image.position.y = -imageHeight / 2;
    label->position.y = -imageHeight / 2;
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
