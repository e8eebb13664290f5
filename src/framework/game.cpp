// game.cpp — see game.h.
#include "framework/game.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "framework/async_events.h"
#include "framework/audio_manager.h"
#include "framework/screen.h"
#include "framework/stage.h"
#include "framework/texture.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"
#include "host/runtime_error.h"

namespace {

struct ManagerState {
    c_Game* instance = nullptr;
    GameValues values;
    c_Vector virtualSize{-1, -1};
    ScreenFit fit = ScreenFit::Fractional;
    int frameCount = 0;
    int framesPerSecond = 0;
    int fpsTimer = 0;
};

ManagerState& State() {
    static ManagerState state;
    return state;
}

bool VirtualSizeSet() {
    const c_Vector& size = State().virtualSize;
    return size.x > 0 && size.y > 0;
}

// ORBEL_LOAD_TIMES=1 prints what each load step cost, wall clock and this
// thread's processor time, so a slow step can be found without a profiler.
bool LoadTimesWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("ORBEL_LOAD_TIMES");
        return value && *value && *value != '0';
    }();
    return wanted;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void TimedLoadStep(c_Stage& stage, int stageId) {
    if (!LoadTimesWanted()) {
        stage.LoadStep(stage.loadedSteps);
        return;
    }
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    stage.LoadStep(stage.loadedSteps);
    const double cpu = ThreadCpuMs() - cpuStart;
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    char line[128];
    std::snprintf(line, sizeof line, "load stage %d level %d step %d: %.2f ms wall, %.2f ms cpu", stageId,
                  State().values.currentLevel, stage.loadedSteps, wall, cpu);
    Print(FromUtf8(line));
}

float DeviceW() { return static_cast<float>(DeviceWidth()); }
float DeviceH() { return static_cast<float>(DeviceHeight()); }

}  // namespace

c_Game* GameInstance() { return State().instance; }

void RequestStage(int id) {
    if (c_Game* game = GameInstance()) game->nextStage = id;
}

namespace {

void GoTo(Transition transition) {
    if (c_Game* game = GameInstance()) {
        const int id = game->StageFor(transition);
        if (id != kNoStage) game->nextStage = id;
    }
}

}  // namespace

void GoToLevel(int level) {
    Game().currentLevel = level;
    GoTo(level > kLastLevel ? Transition::Ending : Transition::Level);
}
void GoToTitle() { GoTo(Transition::Title); }
void GoToEnding() { GoTo(Transition::Ending); }
void GoToCredits() { GoTo(Transition::Credits); }
void GoToIntro() { GoTo(Transition::Intro); }

int HostMillisecs() {
    RtGame* host = RtGame::Instance();
    return host ? host->ElapsedMilliseconds() : 0;
}

GameValues& Game() { return State().values; }

const c_Vector& VirtualSize() { return State().virtualSize; }

int FramesPerSecond() { return State().framesPerSecond; }

void SetVirtualResolution(float width, float height, ScreenFit fit) {
    State().virtualSize.Set(width, height);
    State().fit = fit;
    RefitVirtualScreen();
}

void RefitVirtualScreen() {
    if (!VirtualSizeSet()) return;
    const ManagerState& state = State();
    const ScreenPlacement placement =
        FitVirtualScreen(DeviceW(), DeviceH(), state.virtualSize.x, state.virtualSize.y, state.fit);
    GameScreen& screen = Screen();
    screen.offset.Set(placement.offsetX, placement.offsetY);
    screen.scale.Set(placement.scale, placement.scale);
}

void ResetGameValues() {
    ManagerState& state = State();
    state.values = GameValues{};
    state.virtualSize.Set(-1, -1);
    state.fit = ScreenFit::Fractional;
    state.frameCount = 0;
    state.framesPerSecond = 0;
    state.fpsTimer = 0;
    Screen() = GameScreen{};
}

// ---- c_Game -----------------------------------------------------------------------

c_Game::c_Game() {
    ManagerState& state = State();
    if (state.instance) RuntimeError(u"Only one instance of Game is allowed!");
    state.instance = this;
    state.frameCount = 0;
    state.framesPerSecond = 0;
    // The first rate then covers a whole second of this game's frames.
    state.fpsTimer = HostMillisecs();
    state.virtualSize.Set(-1, -1);
    Screen().offset.Set(0, 0);
    Screen().scale.Set(1, 1);
}

c_Game::~c_Game() {
    if (State().instance == this) State().instance = nullptr;
}

int c_Game::OnCreate() {
    Game().updateRate = updateRate;
    if (RtGame* host = RtGame::Instance()) host->SetUpdateRate(updateRate);
    AudioManager::Init();
    return 0;
}

void c_Game::SwitchStage(int id) {
    settleCount = settleFrames;
    loadProgress = 0;
    lastUpdateTime = 0;
    stageId = id;
    // The old stage goes before the new one loads, so its textures and
    // sounds are not held twice.
    if (stage) {
        Ref<c_Stage> old = std::move(stage);
        old->Discard();
    }
    stage = CreateStage(id);
}

int c_Game::OnUpdate() {
    // The window may have changed size since the last frame; what an update
    // maps to the screen uses the new fit.
    RefitVirtualScreen();
    ProcessAsyncEvents();
    if (nextStage != kNoStage) {
        const int id = nextStage;
        nextStage = kNoStage;
        SwitchStage(id);
        return 0;
    }
    if (!stage) return 0;
    const int now = HostMillisecs();
    elapsed = now - lastUpdateTime;
    lastUpdateTime = now;
    AudioManager::Update(audioStep);
    if (loadProgress > 99) {
        if (settleCount < 1) {
            stage->Update(elapsed);
        } else {
            if (elapsed < kSettleSlowSteps * audioStep) {
                --settleCount;
            } else {
                settleCount = settleFrames;
            }
            if (settleCount < 1) {
                OnStageReady();
                ProcessAsyncEvents();
                return 0;
            }
        }
    }
    ProcessAsyncEvents();
    return 0;
}

int c_Game::OnLoading() {
    Clear(0, 0, 0);
    return 0;
}

int c_Game::OnRender() {
    ManagerState& state = State();
    const int now = HostMillisecs();
    ++state.frameCount;
    if (now - state.fpsTimer >= 1000) {
        state.framesPerSecond = static_cast<int>(1000.0 * state.frameCount / (now - state.fpsTimer));
        state.frameCount = 0;
        state.fpsTimer = now;
    }

    // Fitted to the device as it is now, before anything draws: a resized
    // window never shows a frame laid out for its old size.
    RefitVirtualScreen();
    GameScreen& screen = Screen();
    PushMatrix();
    Translate(screen.offset.x, screen.offset.y);
    Scale(screen.scale.x, screen.scale.y);
    if (VirtualSizeSet()) {
        screen.SetVisibleRect(screen.offset.x, screen.offset.y, screen.scale.x * state.virtualSize.x,
                              screen.scale.y * state.virtualSize.y);
    } else {
        screen.SetVisibleRect(screen.offset.x, screen.offset.y, DeviceW(), DeviceH());
    }
    SetScissor(screen.visibleX, screen.visibleY, screen.visibleWidth, screen.visibleHeight);
    screen.visibleInForce = true;

    RenderStage();

    SetScissor(0, 0, DeviceW(), DeviceH());
    screen.visibleInForce = false;
    PopMatrix();
    return 0;
}

void c_Game::DrawLoadingOverlay() {
    SetColor(static_cast<float>(clearColor.r), static_cast<float>(clearColor.g), static_cast<float>(clearColor.b));
    if (VirtualSizeSet()) {
        const c_Vector& size = State().virtualSize;
        DrawRect(-1, -1, size.x + 2, size.y + 2);
    } else {
        DrawRect(-1, -1, DeviceW() + 2, DeviceH() + 2);
    }
}

void c_Game::RenderStage() {
    // Every pixel of the device is set on every frame, not only once the
    // stage shows: letterbox bars and the screen before the first stage would
    // otherwise keep whatever the buffer held. The whole device is cleared,
    // unless the stage paints the virtual screen itself.
    GameScreen& screen = Screen();
    SetScissor(0, 0, DeviceW(), DeviceH());
    screen.visibleInForce = false;
    const float r = static_cast<float>(clearColor.r), g = static_cast<float>(clearColor.g),
                b = static_cast<float>(clearColor.b);
    if (stage && loadProgress >= 100 && settleCount <= 0 && VirtualSizeSet() && stage->CoversScreen()) {
        // The stage paints every pixel of the virtual screen: only the bars
        // around it need the colour. Each bar reaches one pixel into the
        // picture, which a fractional fit leaves partly covered.
        const float left = std::ceil(screen.visibleX), top = std::ceil(screen.visibleY);
        const float right = std::floor(screen.visibleX + screen.visibleWidth);
        const float bottom = std::floor(screen.visibleY + screen.visibleHeight);
        const float bars[4][4] = {{0, 0, DeviceW(), top},
                                  {0, bottom, DeviceW(), DeviceH() - bottom},
                                  {0, top, left, bottom - top},
                                  {right, top, DeviceW() - right, bottom - top}};
        for (const auto& bar : bars) {
            if (bar[2] <= 0 || bar[3] <= 0) continue;
            SetScissor(bar[0], bar[1], bar[2], bar[3]);
            Clear(r, g, b);
        }
    } else {
        Clear(r, g, b);
    }
    // Back inside the letterbox: the overlay, views that are not windows,
    // and culling keep to the virtual screen.
    SetScissor(screen.visibleX, screen.visibleY, screen.visibleWidth, screen.visibleHeight);
    screen.visibleInForce = true;
    if (!stage) return;

    if (loadProgress < 100) {
        WarmUpNewTextures();
        DrawLoadingOverlay();
        if (stage->loadSteps < 1) {
            loadProgress = 100;
        } else if (stage->loadedSteps < stage->loadSteps) {
            Ref<c_Stage> loading = stage;
            TimedLoadStep(*loading, stageId);
            ++loading->loadedSteps;
            loadProgress = 100 * loading->loadedSteps / loading->loadSteps;
        } else {
            loadProgress = 100;
        }
        if (loadProgress >= 100) lastUpdateTime = HostMillisecs();
        return;
    }
    if (settleCount > 0) {
        WarmUpNewTextures();
        DrawLoadingOverlay();
        return;
    }
    stage->Render();
}

Ref<c_Stage> c_Game::CreateStage(int) { return nullptr; }

void c_Game::OnStageReady() {}

int c_Game::StageFor(Transition) { return kNoStage; }
