// game_reset.h — what a test that ran the whole game puts back once it has
// let go of its game object, so the next test starts as a fresh process
// would: no application layer, the game's shared values, no audio device,
// plain image files and the English text.
#pragma once

#include "app/app.h"
#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/texture.h"
#include "framework/translation.h"

inline void ResetAfterWholeGame() {
    ResetAppLayer();
    ResetGameValues();
    AudioManager::Shutdown();
    EnableScrambledImages(false);
    SetLanguage(kLanguageEnglish);
}
