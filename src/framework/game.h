// game.h — c_Game, the stage manager: the application object that owns the
// current stage, switches to a requested one at the start of an update,
// loads it one step per rendered frame behind a plain overlay, waits for the
// frame times to settle and then updates and draws it through a letterboxed
// virtual resolution. c_TarnGame (tarn_game.h) is the game's own manager.
//
// Stages leave by name: GoToLevel(n), GoToTitle() and the others below ask
// the game for its next screen, and the game's stage table (c_TarnGame,
// src/game) says which stage each one builds. The switch happens at the
// start of the next update, never mid-update.
//
// Also here: the game's process-wide values (GameValues), the virtual
// resolution and the frames-per-second count.
#pragma once

#include "app/app.h"
#include "framework/geometry.h"
#include "framework/screen.h"
#include "host/object.h"

class c_Stage;
class c_Font;

// No stage requested / no stage yet.
inline constexpr int kNoStage = -99999;
// An update slower than this many audio steps restarts the settle wait.
inline constexpr int kSettleSlowSteps = 3;

// The game's screens, by what they are rather than by stage number.
enum class Transition { Language, Intro, Title, Level, Ending, Credits };

class c_Game : public c_App {
public:
    int updateRate = 60;
    // Milliseconds handed to the sound manager's step each update.
    int audioStep = 16;
    Ref<c_Stage> stage;
    int stageId = kNoStage;
    int nextStage = kNoStage;
    // Percent of the stage's load steps done.
    int loadProgress = 0;
    // Milliseconds between the last two updates.
    int elapsed = 0;
    // Updates still to wait before the stage counts as ready.
    int settleCount = 0;
    c_RGB clearColor{0, 0, 0};
    // Host milliseconds at the last update.
    int lastUpdateTime = 0;
    int settleFrames = 25;

    // Raises "Only one instance of Game is allowed!" when a game exists.
    c_Game();
    ~c_Game() override;
    c_Game(const c_Game&) = delete;
    c_Game& operator=(const c_Game&) = delete;

    String ToString() const override { return u"c_Game"; }

    int OnCreate() override;
    int OnUpdate() override;
    int OnRender() override;
    int OnLoading() override;

    // Draws the loading screen, one load step and the settle screen, or the
    // ready stage.
    virtual void RenderStage();
    // The stage numbered `id`, or null when there is none.
    virtual Ref<c_Stage> CreateStage(int id);
    // Called once when the stage has loaded and settled.
    virtual void OnStageReady();
    // The stage a named transition requests; kNoStage (the base manager has
    // no screens of its own) ignores it.
    virtual int StageFor(Transition transition);

protected:
    // Discards the current stage and creates the one requested.
    void SwitchStage(int id);
    // A rectangle in `clearColor` over the whole virtual screen.
    void DrawLoadingOverlay();
};

// The game instance (null when there is none).
c_Game* GameInstance();
// Sets the instance's nextStage; nothing without a game.
void RequestStage(int id);

// Named transitions: each requests the stage the game builds for it.
// GoToLevel is the one writer of GameValues::currentLevel: the level stage is
// made for that number (0 the hub), and a number past the last level goes
// to the ending instead.
void GoToLevel(int level);
void GoToTitle();
void GoToEnding();
void GoToCredits();
void GoToIntro();
// The last numbered level; finishing it leads to the ending.
inline constexpr int kLastLevel = 6;

// The host clock in milliseconds (0 without a host).
int HostMillisecs();

// ---- process-wide values ------------------------------------------------------

struct GameValues {
    // The level being played (0 = the hub).
    int currentLevel = 0;
    // The highest level finished, as saved in the state file.
    int levelProgress = 0;
    // "moder_dos_437.fnt" (titles, menus) and "v5_loxica.fnt" (text); loaded
    // when the first stage is created.
    Ref<c_Font> titleFont;
    Ref<c_Font> textFont;
    // Updates per second, as handed to the host.
    int updateRate = 0;
};
GameValues& Game();

// Letterboxes a width × height virtual screen into the device, centred, by
// the given fit (Screen() and FitVirtualScreen in framework/screen.h). The
// fit is kept and applied again on every update and frame.
void SetVirtualResolution(float width, float height, ScreenFit fit = ScreenFit::Fractional);
// Fits the virtual screen into the device as it is now (nothing before a
// virtual resolution is set).
void RefitVirtualScreen();
// The virtual screen's size; (-1, -1) until set.
const c_Vector& VirtualSize();

// Frames per second over the last full second (0 until one has passed).
int FramesPerSecond();

// Forgets the process-wide values of this file (the instance excepted):
// screen mapping, virtual size, frame count and the GameValues. Tests that
// run several games in one process call it between them.
void ResetGameValues();
