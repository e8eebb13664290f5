// tarn_game.cpp — see tarn_game.h.
#include "game/tarn_game.h"

#include <algorithm>

#include "framework/audio_manager.h"
#include "framework/stage.h"
#include "framework/texture.h"
#include "graphics/graphics_context.h"
#include "host/progress.h"
#include "host/rt_game.h"
#include "host/rt_glfw_game.h"
#include "host/scramble.h"
#include "host/settings.h"
#include "level/tarn_stage.h"
#include "stages/credits_stage.h"
#include "stages/ending_stage.h"
#include "stages/game_fonts.h"
#include "stages/intro_stage.h"
#include "stages/lang_sel_stage.h"
#include "stages/title_stage.h"

int c_TarnGame::OnCreate() {
    // Vertical sync on for this run only: the host's stored interval stays
    // as it is.
    if (RtGlfwGame* host = RtGlfwGame::GlfwInstance()) host->ApplyDriverSwapInterval(1);
    Game().updateRate = updateRate;
    EnableScrambledImages(true, kScrambleSeed);
    if (RtGame* host = RtGame::Instance()) host->SetUpdateRate(updateRate);
    AudioManager::Init();
    nextStage = kStageLanguage;
    return 0;
}

int c_TarnGame::OnResume() {
    AudioManager::ResumeAll();
    return 0;
}

int c_TarnGame::OnUpdate() {
    if (fadeStart >= 0) return 0;
    return c_Game::OnUpdate();
}

void c_TarnGame::RenderStage() {
    c_Game::RenderStage();
    if (fadeStart < 0) return;
    const float raw = static_cast<float>(HostMillisecs() - fadeStart) / kFadeInMs;
    const float t = std::clamp(raw, 0.0f, 1.0f);
    const float previousAlpha = GetAlpha();
    SetAlpha(1 - t);
    DrawLoadingOverlay();
    SetAlpha(previousAlpha);
    // Only once a whole fade has shown: the last frame drew the stage plain.
    // The stage was not updated while it faded in, so its clock starts now;
    // otherwise its first update would receive the whole fade.
    if (raw > 1) {
        fadeStart = -1;
        lastUpdateTime = HostMillisecs();
    }
}

Ref<c_Stage> c_TarnGame::CreateStage(int id) {
    if (firstStage_) {
        firstStage_ = false;
        GameValues& values = Game();
        LoadGameFonts();
        values.levelProgress = LoadProgress();
        // The pause menu's sound switch is kept between runs.
        AudioManager::SetSoundOn(LoadSettings().soundOn);
    }
    AudioManager::StopSFX(0);
    AudioManager::StopSFX(1);
    // The pixel-art screens keep every art pixel the same size; the intro's
    // finer pictures fill the window instead.
    if (id == kStageIntro) {
        SetVirtualResolution(640, 360);
    } else {
        SetVirtualResolution(320, 180, ScreenFit::WholePixels);
    }
    fadeIn = true;
    switch (id) {
        case kStageTitle: return New<c_TitleStage>();
        case kStageEnding: return New<c_EndingStage>();
        case kStageCredits: return New<c_CreditsStage>();
        case kStageIntro: fadeIn = false; return New<c_IntroStage>();
        case kStageLanguage: fadeIn = false; return New<c_LangSelStage>();
        case kStageLevel: return New<c_TarnStage>(Game().currentLevel);
        default: return nullptr;
    }
}

int c_TarnGame::StageFor(Transition transition) {
    switch (transition) {
        case Transition::Language: return kStageLanguage;
        case Transition::Intro: return kStageIntro;
        case Transition::Title: return kStageTitle;
        case Transition::Level: return kStageLevel;
        case Transition::Ending: return kStageEnding;
        case Transition::Credits: return kStageCredits;
    }
    return kNoStage;
}

void c_TarnGame::OnStageReady() {
    if (fadeIn) fadeStart = HostMillisecs();
}
