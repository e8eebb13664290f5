// tarn_game.h — c_TarnGame, Orbel's stage manager: the stage table, the
// start at the language selection, the one-second fade-in of the title,
// level, ending and credits stages, and the set-up of the game's values
// when the first stage is made.
#pragma once

#include "framework/game.h"

// Stage numbers.
inline constexpr int kStageTitle = 0;
inline constexpr int kStageLevel = 1;
inline constexpr int kStageEnding = 2;
inline constexpr int kStageCredits = 3;
inline constexpr int kStageIntro = 4;
inline constexpr int kStageLanguage = 5;

// Length of a stage's fade-in from the clear colour.
inline constexpr int kFadeInMs = 1000;

class c_TarnGame : public c_Game {
public:
    // Whether the current stage fades in when it is ready.
    bool fadeIn = false;
    // Host milliseconds at which the fade-in began; negative when none runs.
    // 0 at start, so nothing updates before the host clock passes 1 s.
    int fadeStart = 0;

    c_TarnGame() = default;
    String ToString() const override { return u"c_TarnGame"; }

    int OnCreate() override;
    int OnResume() override;
    int OnUpdate() override;
    void RenderStage() override;
    Ref<c_Stage> CreateStage(int id) override;
    void OnStageReady() override;
    int StageFor(Transition transition) override;

private:
    bool firstStage_ = true;
};
