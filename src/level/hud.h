// hud.h — c_HUD, one character's heads-up display: a key icon that is lit
// while the character carries a key.
//
// The stage names the HUDs "HUD_1" and "HUD_2", places them on the screen
// and keeps them on their windows. The HUD does not own its character (the
// character belongs to its world); it only reads `hasKey`.
#pragma once

#include "framework/sprite.h"

class c_PlayerChar;

class c_HUD final : public c_GDO {
public:
    static constexpr float kIconX = 144;
    static constexpr float kIconY = -35;

    WeakRef<c_PlayerChar> player;
    // "key_icon.png" in 18 x 18 frames: "OFF" (frame 0) and "ON" (frame 1).
    Ref<c_Sprite> keyIcon;

    String ToString() const override { return u"c_HUD"; }

    // Makes the key icon, a child at (144, -35), for `character`.
    void Init(const Ref<c_PlayerChar>& character);
    // "ON" while the character carries a key, else "OFF"; then the children.
    void Update(int elapsedMs) override;
};
