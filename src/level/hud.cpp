// hud.cpp — see hud.h.
#include "level/hud.h"

#include "framework/tile_set.h"
#include "level/player_char.h"

void c_HUD::Init(const Ref<c_PlayerChar>& character) {
    player = character;
    keyIcon = New<c_Sprite>(New<c_TileSet>(GetTexture(u"key_icon.png"), 18, 18), 10);
    keyIcon->AddSequence(u"OFF", {0}, false);
    keyIcon->AddSequence(u"ON", {1}, false);
    keyIcon->position.Set(kIconX, kIconY);
    AddChild(keyIcon);
}

void c_HUD::Update(int elapsedMs) {
    if (keyIcon) {
        Ref<c_PlayerChar> character = player.lock();
        keyIcon->Play(character && character->hasKey ? u"ON" : u"OFF");
    }
    c_GDO::Update(elapsedMs);
}
