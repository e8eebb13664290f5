// level_exit.cpp — how the level stage is left: the fade that ends in the
// next stage (a door, a fall or a restart from the pause menu), the restart
// when a character falls out of its world, and the pause menu's actions.
#include <algorithm>

#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/rectangle_gdo.h"
#include "host/settings.h"
#include "level/tarn_stage.h"

void c_TarnStage::StartExit(int durationMs, int r, int g, int b, int nextLevel) {
    if (exitFadeTotal > 0) return;
    AudioManager::FadeMusicVolume(0.5f, 0.5f, 1000);
    if (fadeRect) fadeRect->tint.Set(r, g, b);
    exitNextLevel_ = nextLevel;
    exitFadeTotal = std::max(1, durationMs);
    exitFadeElapsed = 0;
    EnableInput(false);
}

bool c_TarnStage::AdvanceExitFade(int elapsedMs) {
    if (exitFadeTotal <= 0) return false;
    exitFadeElapsed += elapsedMs;
    fadeRect->visible = true;
    fadeRect->alpha = std::clamp(static_cast<float>(exitFadeElapsed) / static_cast<float>(exitFadeTotal), 0.0f, 1.0f);
    if (exitFadeElapsed < exitFadeTotal) return false;
    GoToLevel(exitNextLevel_);
    return true;
}

void c_TarnStage::RestartOnFall() {
    for (int w = 1; w <= Worlds(); ++w) {
        const WorldParts parts = Parts(w);
        if (parts.player && parts.solid &&
            parts.player->position.y > parts.solid->position.y + parts.solid->GetHeight() / 2) {
            Restart();
            return;
        }
    }
}

void c_TarnStage::Restart() {
    if (pausePanel) pausePanel->Close(true);
    StartExit(kRestartFadeMs, 0, 0, 0, level_);
}

// ---- pause menu ---------------------------------------------------------------

void c_TarnStage::OnMenuResume() {
    EnableInput(true);
    if (pausePanel) pausePanel->Close(false);
}

void c_TarnStage::OnMenuResetStage() { Restart(); }

void c_TarnStage::OnMenuToggleSound() {
    AudioManager::SetSoundOn(!AudioManager::IsSoundOn());
    // Kept for the next run; the other settings stay as saved.
    GameSettings settings = LoadSettings();
    settings.soundOn = AudioManager::IsSoundOn();
    SaveSettings(settings);
    OnMenuResume();
}

void c_TarnStage::OnMenuTitleScreen() {
    AudioManager::FadeMusicVolume(0.5f, 0, 1000);
    GoToTitle();
}
