// falling_leaf.h — c_FallingLeaf, a leaf that plays its one-shot fall, fades
// out, waits and falls again (scenery of the title screen).
#pragma once

#include "framework/sprite.h"

class c_FallingLeaf : public c_Sprite {
public:
    static constexpr int kFrameWidth = 26;
    static constexpr int kFrameHeight = 39;
    static constexpr int kFramesPerSecond = 10;
    static constexpr int kFrameCount = 33;

    int waitTime = 0;  // ms hidden before falling again
    int waitLeft = 0;

    explicit c_FallingLeaf(Ref<c_DrawableCollection> frameSet);
    String ToString() const override { return u"c_FallingLeaf"; }
    void Restart();
    void Update(int elapsedMs) override;
};

// A leaf cut from "leaf_1.png", already falling.
Ref<c_FallingLeaf> CreateFallingLeaf();
