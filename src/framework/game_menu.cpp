// game_menu.cpp — see game_menu.h.
#include "framework/game_menu.h"

#include "framework/audio_manager.h"
#include "framework/translation.h"

namespace {

constexpr float kWidth = 120;
constexpr float kHeight = 100;

}  // namespace

c_GameMenu::c_GameMenu(Ref<c_Font> menuFont, c_GameMenuActions* stageActions)
    : c_MenuWithOptions(kWidth, kHeight, std::move(menuFont)), actions(stageActions) {
    auto title = New<c_Label>(font, kOptionScale);
    title->hAlign = 0;
    title->tint.Set(255, 180, 0);
    title->fontScale.Set(0.4f, 0.5f);
    title->box.Set(0, 18);
    title->SetText(TranslateText(u"- PAUSE -"));
    title->position.Set(0, 16 - kHeight / 2);
    AddChild(title);

    const char16_t* const names[] = {u"RESUME GAME", u"RESET STAGE", u"SOUND", u"TITLE SCREEN"};
    float y = -16;
    for (const char16_t* option : names) {
        PlaceOption(AddOption(option), 0, y);
        y += 16;
    }

    auto checkBox = New<c_RectangleGDO>(14, 14);
    checkBox->tint.Set(60, 60, 60);
    checkBox->position.Set(-36, 16);
    soundTick = New<c_RectangleGDO>(10, 10);
    soundTick->tint.Set(255, 255, 255);
    soundTick->visible = AudioManager::IsSoundOn();
    checkBox->AddChild(soundTick);
    AddChild(checkBox);

    MoveCursorTo(options.front());
}

void c_GameMenu::Update(int elapsedMs) {
    if (!enabled) return;
    c_GDO::Update(elapsedMs);
    soundTick->visible = AudioManager::IsSoundOn();
    HandleInput();
}

void c_GameMenu::OnSelect(int index) {
    if (!actions) return;
    switch (index) {
        case kResume: actions->OnMenuResume(); break;
        case kResetStage: actions->OnMenuResetStage(); break;
        case kSound: actions->OnMenuToggleSound(); break;
        case kTitleScreen: actions->OnMenuTitleScreen(); break;
        default: break;
    }
}

void c_GameMenu::OnCancel(int) { OnSelect(kResume); }
