// falling_leaf.cpp — see falling_leaf.h.
#include "effects/falling_leaf.h"

#include <algorithm>

#include "framework/texture.h"
#include "framework/tile_set.h"

namespace {
// Fully faded after two seconds.
constexpr float kFadePerSecond = 0.5f;
constexpr int kWaitMs = 5000;
// Below this the leaf counts as gone (float steps never land on 0 exactly).
constexpr float kInvisibleAlpha = 1e-4f;
}  // namespace

c_FallingLeaf::c_FallingLeaf(Ref<c_DrawableCollection> frameSet) : c_Sprite(std::move(frameSet), kFramesPerSecond) {}

void c_FallingLeaf::Restart() {
    Stop();
    Play(u"fall");
    alpha = 1;
    waitLeft = waitTime;
}

void c_FallingLeaf::Update(int elapsedMs) {
    c_Sprite::Update(elapsedMs);
    if (state != kFinished) return;
    if (alpha > 0) {
        alpha = std::max(0.0f, alpha - kFadePerSecond * static_cast<float>(elapsedMs) / 1000.0f);
        if (alpha < kInvisibleAlpha) alpha = 0;
        return;
    }
    waitLeft -= elapsedMs;
    if (waitLeft < 1) Restart();
}

Ref<c_FallingLeaf> CreateFallingLeaf() {
    Ref<c_DrawableCollection> frames;
    auto texture = GetTexture(u"leaf_1.png");
    if (texture && texture->image)
        frames = New<c_TileSet>(texture, c_FallingLeaf::kFrameWidth, c_FallingLeaf::kFrameHeight);
    auto leaf = New<c_FallingLeaf>(frames);
    leaf->AddSequenceRange(u"fall", 0, c_FallingLeaf::kFrameCount - 1, false);
    leaf->waitTime = kWaitMs;
    leaf->Restart();
    return leaf;
}
