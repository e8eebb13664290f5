// game_menu.h — c_GameMenu, the pause menu of a level: "RESUME GAME",
// "RESET STAGE", "SOUND" (with a check box showing the sound switch) and
// "TITLE SCREEN"; and c_GameMenuActions, what choosing them does.
//
// The menu only reports the choice: the level stage that shows it (inside a
// c_CollapsiblePanel) implements c_GameMenuActions and is handed to the menu
// when it builds it. Escape acts as "RESUME GAME".
//
//   pauseMenu = New<c_GameMenu>(menuFont, this);   // this: the level stage
#pragma once

#include "framework/menu_with_options.h"

class c_GameMenuActions {
public:
    virtual ~c_GameMenuActions() = default;
    // "RESUME GAME" (and Escape): the characters take input again and the
    // menu closes with its two-step animation.
    virtual void OnMenuResume() = 0;
    // "RESET STAGE": the menu is hidden at once and the level restarts.
    virtual void OnMenuResetStage() = 0;
    // "SOUND": the game's sound switch is toggled, then as OnMenuResume.
    virtual void OnMenuToggleSound() = 0;
    // "TITLE SCREEN": the music fades from 0.5 to 0 over 1000 ms and the
    // title stage is requested.
    virtual void OnMenuTitleScreen() = 0;
};

class c_GameMenu : public c_MenuWithOptions {
public:
    enum Option : int { kResume = 0, kResetStage = 1, kSound = 2, kTitleScreen = 3 };

    // The white square inside the sound check box, shown while sound is on.
    Ref<c_RectangleGDO> soundTick;
    // The stage that shows the menu (it owns the menu); may be null.
    c_GameMenuActions* actions = nullptr;

    c_GameMenu(Ref<c_Font> menuFont, c_GameMenuActions* stageActions);

    String ToString() const override { return u"c_GameMenu"; }
    // While enabled: the children, the check box from the sound switch, the
    // keyboard.
    void Update(int elapsedMs) override;
    void OnSelect(int index) override;
    void OnCancel(int index) override;
};
