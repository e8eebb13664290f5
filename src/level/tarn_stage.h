// tarn_stage.h — c_TarnStage, the stage that plays one level: two worlds
// built from one map, each with its own character and window, linked or
// switched play, boxes falling from one world into the other, the pause
// menu, the exit fade and progress saving. Level 0 is the hub.
//
// Layout of the display tree: world 1's container at (0, 0) and world 2's at
// (0, kWorldGap) under `root`; each holds its parallax background (first),
// its tile layers and, inside its solid layer, the character and the
// objects. Everything that belongs to the screen rather than to a world (the
// noise overlays, the HUDs, "DISCONNECTED!", the fade and the pause menu)
// sits in `windows` after the two views and is drawn over them in order.
//
// Ownership: the stage owns both worlds (through `root`), the engine, snow
// and particles (through `cogs`) and the screen objects (through
// `windows`); the fields below are extra references for quick access. The
// boxes it places hold it as their world crossing by a raw pointer: they
// live in its tree and go with it.
//
// The class is written in one file per job: tarn_stage.cpp (update order,
// input, events, world crossing), level_build.cpp (the load steps),
// level_views.cpp (cameras, backgrounds, window slides, noise, markers,
// bubbles, footsteps and snow dust), level_exit.cpp (exit fade, restart,
// pause-menu actions); the characters' motion after the engine is
// ApplyTwinMotion (twin_motion.h). What both worlds do is written once, for
// the fields of one world (WorldParts).
#pragma once

#include "effects/parallax.h"
#include "effects/particle_engine.h"
#include "effects/snow.h"
#include "framework/collapsible_panel.h"
#include "framework/game_menu.h"
#include "framework/label.h"
#include "framework/stage.h"
#include "framework/tile_map.h"
#include "framework/tween.h"
#include "framework/xml_parser.h"
#include "level/basic_box_engine.h"
#include "level/hud.h"
#include "level/key_item.h"
#include "level/level_host.h"
#include "level/level_settings.h"
#include "level/player_char.h"
#include "level/twin_motion.h"
#include "level/world_crossing.h"

class c_TarnStage final : public c_Stage, public c_GameMenuActions, public c_WorldCrossing, public c_LevelHost {
public:
    static constexpr int kLoadSteps = 8;
    // World 2 lies this far below world 1 in the one display tree.
    static constexpr float kWorldGap = 2000;
    // The limit markers' centres lie this far from the partner.
    static constexpr float kLimitOffset = 498;
    // A window's camera looks at a point this far above its character's
    // centre.
    static constexpr float kCameraLift = 8;
    static constexpr int kFixedStepMs = 16;
    static constexpr int kSlideMs = 2000;
    static constexpr int kRestartFadeMs = 666;
    static constexpr int kTriggerEvent = 12321;

    int exitFadeTotal = 0;
    // Fixed updates the level has run (each call of Update counts, the
    // ones of the exit fade too). Recorded solutions time their key presses
    // by this count: update 0 is the level's first.
    int updateCount = 0;
    Ref<c_LevelSettings> levelSettings = New<c_LevelSettings>();
    Ref<c_Tween> slideTween1;
    Ref<c_Tween> slideTween2;
    Ref<c_TileMap> solidLayer1;
    Ref<c_TileMap> solidLayer2;
    Ref<c_BasicBoxEngine> boxEngine;
    Ref<c_PlayerChar> player1;
    Ref<c_PlayerChar> player2;
    Ref<c_RectangleGDO> fadeRect;
    int exitFadeElapsed = 0;
    Ref<c_ParallaxBackground> background1;
    Ref<c_ParallaxBackground> background2;
    Ref<c_Window> window1;
    Ref<c_Window> window2;
    Ref<c_Sprite> noise1;
    Ref<c_Sprite> noise2;
    Ref<c_BlinkingLabel> disconnectedLabel;
    Ref<c_GameMenu> pauseMenu;
    // The panel that opens and closes the pause menu.
    Ref<c_CollapsiblePanel> pausePanel;
    Ref<c_SnowManager> snow;
    Ref<c_ParticleEngine> particles;

    // The world containers and the HUDs.
    Ref<c_GDO> world1;
    Ref<c_GDO> world2;
    Ref<c_HUD> hud1;
    Ref<c_HUD> hud2;
    // "LIMIT_L" and "LIMIT_R" of each solid layer (null when it has none).
    Ref<c_RectangleGDO> limits1[2];
    Ref<c_RectangleGDO> limits2[2];

    // The stage that builds and plays level `level` (0 the hub).
    explicit c_TarnStage(int level);
    ~c_TarnStage() override;
    String ToString() const override { return u"c_TarnStage"; }

    void LoadStep(int index) override;
    void Update(int elapsedMs) override;
    void Discard() override;
    // True while the views, each with its sky behind it, leave no part of
    // the screen uncovered (not while a window slides into place).
    bool CoversScreen() override;

    // Begins the fade to (r, g, b) after which level `nextLevel` is built
    // (or the ending after the last level). Only one fade runs at a time.
    void StartExit(int durationMs, int r, int g, int b, int nextLevel) override;
    int Level() const override { return level_; }

    void OnEvent(Object* source, int eventId, Object* data) override;

    void OnMenuResume() override;
    void OnMenuResetStage() override;
    void OnMenuToggleSound() override;
    void OnMenuTitleScreen() override;

    void CrossWorld(c_GDO& object) override;

    // What the map loader and the contact handling use.
    c_WorldCrossing* WorldCrossing() override { return this; }
    c_LevelSettings& Settings() override { return *levelSettings; }
    Ref<c_BasicBoxEngine> BoxEngine() override { return boxEngine; }
    c_TileMap* SolidLayer(int world) override { return world == 2 ? solidLayer2.get() : solidLayer1.get(); }
    Ref<c_EventListener> ListenerRef() override { return Self<c_TarnStage>(); }
    Object* EventSource() override { return this; }
    bool TwoCharacters() const { return levelSettings->gameMode != 1; }

private:
    // The fields of world 1 or 2 and its partner character, so that what
    // both worlds do is written once. References into the stage: use it
    // at once, never keep it.
    struct WorldParts {
        int number;
        Ref<c_GDO>& world;
        Ref<c_TileMap>& solid;
        Ref<c_ParallaxBackground>& background;
        Ref<c_PlayerChar>& player;
        Ref<c_PlayerChar>& partner;
        Ref<c_Window>& window;
        Ref<c_Sprite>& noise;
        Ref<c_HUD>& hud;
        Ref<c_Tween>& slide;
        Ref<c_RectangleGDO> (&limits)[2];
    };
    WorldParts Parts(int world);
    // 2 with two characters, else 1.
    int Worlds() const { return TwoCharacters() ? 2 : 1; }

    // Load steps (level_build.cpp).
    void BuildWorlds();
    void BuildWorld(const WorldParts& parts, const Ref<c_XMLNode>& mapRoot, StringView mapFile);
    void PlaceCharacters();
    void PlaceCharacter(const WorldParts& parts);
    void MakeWindows();
    void MakeWindow(const WorldParts& parts, float height, float y);
    void MakeNoise(const WorldParts& parts);
    void MakeMarkersAndLabel();
    void AddMarkers(const WorldParts& parts);
    void MakeHud();
    void MakePauseMenu();
    void MakeWeather();
    void LoadSounds();

    // Views (level_views.cpp).
    void FollowCamera(const WorldParts& parts);
    void UpdateBackground(const WorldParts& parts);
    void UpdateView(const WorldParts& parts, int elapsedMs);
    void PlaceBubble(const WorldParts& parts);
    void PlaceMarkers(const WorldParts& parts);
    void ShowDisconnected();
    void UpdateFootsteps();
    void UpdateSnowDust();

    // Playing (tarn_stage.cpp).
    void FinishCrossings();
    void ApplyMotion();
    void HandleControls();
    void OpenPauseMenu();
    void SwitchCharacters();
    void EnableInput(bool enabled);

    // Leaving (level_exit.cpp). True once the fade has ended and the next
    // stage is asked for: the update stops there.
    bool AdvanceExitFade(int elapsedMs);
    void RestartOnFall();
    void Restart();

    // Objects that fell out of their world during the tree update; they
    // change worlds once it is over (see CrossWorld).
    bool updatingTree_ = false;
    std::vector<Ref<c_GDO>> pendingCrossings_;
    // One key made at the load for each breakable box, handed out as boxes break.
    std::vector<Ref<c_KeyItem>> spareKeys_;
    void PrepareKeys();
    const int level_;
    // The level the running exit fade leads to.
    int exitNextLevel_ = 0;
};
