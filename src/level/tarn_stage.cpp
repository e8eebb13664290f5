// tarn_stage.cpp — see tarn_stage.h.
#include "level/tarn_stage.h"

#include <algorithm>
#include <cmath>

#include "framework/audio_manager.h"
#include "framework/events.h"
#include "framework/game.h"
#include "framework/rectangle_gdo.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/tile_set.h"
#include "framework/translation.h"
#include "host/files.h"
#include "host/input_device.h"
#include "host/progress.h"
#include "host/rnd.h"
#include "host/runtime_error.h"
#include "level/character_contact.h"
#include "level/key_item.h"
#include "level/movable_object.h"
#include "level/tiled_loader.h"
#include "level/window_limits.h"

namespace {

constexpr float kScreenW = 320;
constexpr float kScreenH = 180;
constexpr float kHalfScreenH = 90;
// How a window's camera chases its character.
constexpr float kFollowFactor = 0.5f;
constexpr float kFollowMaxStep = 20;
constexpr float kFollowDeadZone = 0.1f;
// The camera looks at a point this far above the character's centre.
constexpr float kCameraLift = 8;
constexpr float kGhostAlpha = 0.3f;
constexpr float kMarkerAlpha = 0.8f;

float Sign(float v) { return v > 0 ? 1.0f : (v < 0 ? -1.0f : 0.0f); }

}  // namespace

c_TarnStage::c_TarnStage(int level) : c_Stage(kLoadSteps), level_(level) {}

c_TarnStage::~c_TarnStage() { RemoveListener(this); }

// ---- loading ----------------------------------------------------------------

void c_TarnStage::LoadStep(int index) {
    switch (index) {
        case 0: BuildWorlds(); break;
        case 1: PlaceCharacters(); break;
        case 2: MakeWindows(); break;
        case 3: MakeMarkersAndLabel(); break;
        case 4: MakeHud(); break;
        case 5: MakePauseMenu(); break;
        case 6: MakeWeather(); break;
        case 7: LoadSounds(); break;
        default: break;
    }
}

void c_TarnStage::BuildWorlds() {
    boxEngine = New<c_BasicBoxEngine>();
    boxEngine->Init(u"BASIC_BOX_ENGINE");
    cogs.push_back(boxEngine);

    const int level = level_;
    String text = LoadText(u"level" + IntToString(level) + u".tmx");
    if (text.empty()) {
        // Nothing to play: say so and go back to the title rather than show
        // an empty screen.
        Print(u"Level file missing: level" + IntToString(level) + u".tmx");
        GoToTitle();
        return;
    }
    auto parser = New<c_XMLParser>();
    Ref<c_XMLNode> mapRoot = parser->Parse(text);

    levelSettings->bgType = static_cast<int>(StringToInt(GetMapProperty(mapRoot, u"bgType"), 63));
    levelSettings->gameMode = static_cast<int>(StringToInt(GetMapProperty(mapRoot, u"gameMode"), 63));
    levelSettings->weather = GetMapProperty(mapRoot, u"weather1");
    levelSettings->forcedSync = StringToInt(GetMapProperty(mapRoot, u"forcedSync"), 63) != 0;

    const bool two = TwoCharacters();
    const bool switchable = two && !levelSettings->forcedSync;
    player1 = New<c_PlayerChar>();
    player1->Setup(u"char1_spritesheet.png", 16, 25, switchable);
    if (two) {
        player2 = New<c_PlayerChar>();
        player2->Setup(u"char2_spritesheet.png", 16, 25, switchable);
    }

    auto buildWorld = [&](float y, StringView excluded, StringView prefix, const Ref<c_PlayerChar>& player,
                          StringView solidName, Ref<c_TileMap>& solid, Ref<c_ParallaxBackground>& background) {
        Ref<c_GDO> world = LoadTiledMap(*this, 0, y, excluded, prefix, player, mapRoot);
        if (!world) return world;
        solid = std::dynamic_pointer_cast<c_TileMap>(world->FindChildByName(solidName));
        root->AddChild(world);
        if (solid) {
            BuildStaticBoxes(*boxEngine, *solid, 0, y);
            background = New<c_ParallaxBackground>();
            CreateParallaxBackground(*background, levelSettings->bgType, solid->GetWidth(), solid->GetHeight(), prefix);
            world->AddChild(background, 0);
        }
        if (player->bubble) world->AddChild(player->bubble);
        return world;
    };
    world1 = buildWorld(0, u"base_2", u"", player1, u"solid_1", solidLayer1, background1);
    if (two) world2 = buildWorld(kWorldGap, u"base_1", u"alt_", player2, u"solid_2", solidLayer2, background2);
}

void c_TarnStage::PlaceCharacters() {
    auto place = [&](const Ref<c_PlayerChar>& player, const Ref<c_TileMap>& layer) {
        if (!player || !layer) return;
        player->position = levelSettings->spawn;
        layer->AddChild(player);
        // Triggers placed before the character in the layer update first and
        // read this: it must say where the character stands from the start,
        // not the origin it had before it was placed.
        if (player->absPosition) player->absPosition->Refresh();
        boxEngine->AddMover(player->bodyBox);
        boxEngine->AddMover(player->groundProbe);
        AddListener(Self<c_TarnStage>(), player->bodyBox.get(), kAnyEvent);
    };
    place(player1, solidLayer1);
    if (!TwoCharacters()) return;
    place(player2, solidLayer2);
    auto ghost = [](const Ref<c_PlayerChar>& of, const Ref<c_TileMap>& into) {
        if (!of || !into) return;
        auto g = New<c_SpriteGhost>(of->frames, 10, of);
        g->alpha = kGhostAlpha;
        into->AddChild(g, 0);
    };
    ghost(player1, solidLayer2);
    ghost(player2, solidLayer1);
}

void c_TarnStage::MakeWindows() {
    // The level shows its own views; the stage's default one stays unused.
    if (window) window->visible = false;
    auto aimAtSpawn = [&](c_Window& w, const Ref<c_TileMap>& layer) {
        if (layer) MakeWindowLimits(w, *layer);
        c_Vector at = levelSettings->spawn;
        if (layer) {
            c_SimpleAbsoluteGDOVector origin(layer.get());
            at.x += origin.x;
            at.y += origin.y;
        }
        w.SetCameraX(at.x);
        w.SetCameraY(at.y - kCameraLift);
    };
    if (!TwoCharacters()) {
        window1 = New<c_Window>(kScreenW, kScreenH);
        window1->name = u"WINDOW_1";
        window1->position.Set(kScreenW / 2, kHalfScreenH);
        aimAtSpawn(*window1, solidLayer1);
        windows.push_back(window1);
        return;
    }
    window1 = New<c_Window>(kScreenW, kScreenH / 2);
    window2 = New<c_Window>(kScreenW, kScreenH / 2);
    window1->name = u"WINDOW_1";
    window2->name = u"WINDOW_2";
    if (levelSettings->gameMode == 0) {
        window1->position.Set(kScreenW / 2, 45);
        window2->position.Set(kScreenW / 2, 135);
    } else {
        window1->position.Set(kScreenW / 2, 90);
        window2->position.Set(kScreenW / 2, 225);
        slideTween1 = New<c_Tween>(c_QuadraticEaseInOut::Shared(), 90, 45, kSlideMs);
        slideTween2 = New<c_Tween>(c_QuadraticEaseInOut::Shared(), 225, 135, kSlideMs);
    }
    aimAtSpawn(*window1, solidLayer1);
    aimAtSpawn(*window2, solidLayer2);
    windows.push_back(window1);
    windows.push_back(window2);

    auto makeNoise = [&](const Ref<c_Window>& w) {
        auto tex = GetTexture(u"noise.png");
        Ref<c_DrawableCollection> frames;
        if (tex && tex->image) frames = New<c_TileSet>(tex, 320, 90);
        auto noise = New<c_Sprite>(frames, 10);
        noise->AddSequenceRange(u"noise-y", 0, 3, true);
        noise->Play(u"noise-y");
        noise->alpha = 0.5f;
        noise->visible = false;
        noise->position = w->position;
        windows.push_back(noise);
        return noise;
    };
    noise1 = makeNoise(window1);
    noise2 = makeNoise(window2);
}

void c_TarnStage::AddMarkers(const Ref<c_TileMap>& layer, Ref<c_RectangleGDO> (&markers)[2]) {
    if (!layer) return;
    const char16_t* names[2] = {u"LIMIT_L", u"LIMIT_R"};
    for (int side = 0; side < 2; ++side) {
        auto marker = New<c_RectangleGDO>(kScreenW, layer->GetHeight());
        marker->name = names[side];
        markers[side] = marker;
        marker->alpha = kMarkerAlpha;
        marker->visible = false;
        layer->AddChild(marker);
    }
}

void c_TarnStage::MakeMarkersAndLabel() {
    AddMarkers(solidLayer1, limits1);
    if (!TwoCharacters()) return;
    AddMarkers(solidLayer2, limits2);
    disconnectedLabel = New<c_BlinkingLabel>(Game().titleFont, 0.5f);
    disconnectedLabel->SetText(TranslateText(u"DISCONNECTED!"));
    disconnectedLabel->tint.Set(255, 192, 0);
    disconnectedLabel->position.Set(kScreenW / 2, kHalfScreenH);
    disconnectedLabel->visible = false;
    disconnectedLabel->blinking = false;
    windows.push_back(disconnectedLabel);
}

void c_TarnStage::MakeHud() {
    hud1 = New<c_HUD>();
    hud1->name = u"HUD_1";
    hud1->Init(player1);
    hud1->position.Set(kScreenW / 2, 45);
    windows.push_back(hud1);
    if (TwoCharacters()) {
        hud2 = New<c_HUD>();
        hud2->name = u"HUD_2";
        hud2->Init(player2);
        hud2->position.Set(kScreenW / 2, 135);
        windows.push_back(hud2);
    }
    FollowCameras();
    // The fade-in shows the level before its first update: the backgrounds
    // must already stand behind the views.
    UpdateBackground(background1.get(), window1.get(), world1.get());
    UpdateBackground(background2.get(), window2.get(), world2.get());
    fadeRect = New<c_RectangleGDO>(kScreenW, kScreenH);
    fadeRect->position.Set(kScreenW / 2, kHalfScreenH);
    fadeRect->tint.Set(255, 255, 255);
    fadeRect->visible = false;
    windows.push_back(fadeRect);
}

void c_TarnStage::MakePauseMenu() {
    pauseMenu = New<c_GameMenu>(Game().titleFont, this);
    pausePanel = New<c_CollapsiblePanel>(pauseMenu);
    pausePanel->position.Set(kScreenW / 2, kHalfScreenH);
    pausePanel->visible = false;
    windows.push_back(pausePanel);
}

void c_TarnStage::MakeWeather() {
    if (levelSettings->weather != u"snow" || !solidLayer1) return;
    snow = CreateSnow(solidLayer1);
    cogs.push_back(snow);
    particles = New<c_ParticleEngine>();
    particles->Init(u"PARTICLE_ENGINE");
    auto emitter = New<c_ParticleEmitter>();
    emitter->Init(solidLayer1);
    auto dust = GetTexture(u"snowdust.png");
    for (int i = 0; i < kParticlePoolSize; ++i) emitter->SetParticleDisplay(i, New<c_StaticImage>(dust));
    emitter->acceleration.Set(0, 700);
    emitter->AddTween(u"alpha", 1, 0, 1, c_CubicEaseInOut::Shared());
    particles->AddEmitter(u"SNOWDUST_EMITTER1", emitter);
    cogs.push_back(particles);
}

void c_TarnStage::LoadSounds() {
    static const struct {
        const char16_t* id;
        const char16_t* file;
    } kSounds[] = {
        {u"STEPS", u"sfx/steps.wav"},   {u"BOXFALL", u"sfx/boxfall.wav"}, {u"BOXBREAK", u"sfx/boxbreak.wav"},
        {u"BUBBLE", u"sfx/bubble.wav"}, {u"DOOR", u"sfx/door.wav"},       {u"KEY", u"sfx/key.wav"},
        {u"PUSH", u"sfx/boxpush.wav"},  {u"JUMP", u"sfx/jump.wav"},
    };
    for (const auto& s : kSounds) AudioManager::PreloadSFX(s.file, s.id, false);
    AudioManager::PlayMusicById(level_ < 1 ? u"INTRO_BGM" : u"LEVEL_BGM");
}

// ---- playing ------------------------------------------------------------------

c_TileMap* c_TarnStage::LayerOf(const c_PlayerChar& player) const {
    return &player == player1.get() ? solidLayer1.get() : solidLayer2.get();
}

void c_TarnStage::FollowCameras() {
    auto follow = [](c_Window* w, c_PlayerChar* p) {
        if (!w || !p) return;
        // The character keeps its absolute position current as it moves.
        const c_SimpleAbsoluteGDOVector& at = *p->absPosition;
        w->Follow(at.x, at.y - kCameraLift, kFollowFactor, kFollowMaxStep, kFollowDeadZone);
    };
    follow(window1.get(), player1.get());
    follow(window2.get(), player2.get());
    auto placeHud = [](c_HUD* hud, c_Window* w) {
        if (hud && w) hud->position.y = w->position.y - w->size.y / 2 + 45;
    };
    placeHud(hud1.get(), window1.get());
    placeHud(hud2.get(), window2.get());
}

void c_TarnStage::UpdateFootsteps() {
    auto walking = [](const c_PlayerChar* p) { return p && p->velocity.x != 0 && p->grounded; };
    if (walking(player1.get()) || walking(player2.get())) {
        if (AudioManager::ChannelId(1).empty()) AudioManager::PlaySFX(u"STEPS", 1, true);
    } else if (AudioManager::ChannelId(1) == u"STEPS") {
        // The free-channel search starts at channel 1 too: a jump or a door
        // played while nobody walks may be there, and must not be cut off.
        AudioManager::StopSFX(1);
    }
}

void c_TarnStage::UpdateBackground(c_ParallaxBackground* background, c_Window* w, c_GDO* world) {
    if (!background || !w || !world) return;
    // The background travels with the view; its layers slide by how far
    // through the level the camera is.
    background->position.x = w->camera.x - world->position.x - w->size.x / 2;
    float progress = 0;
    if (w->limits && w->limits->maxX > w->limits->minX)
        progress = (w->camera.x - w->limits->minX) / (w->limits->maxX - w->limits->minX);
    background->SetProgress(progress);
}

void c_TarnStage::UpdateSnowDust() {
    if (!particles || !player1 || !solidLayer1) return;
    if (!player1->grounded || player1->velocity.x == 0 || player1->currentTile % 3 != 2) return;
    auto emitter = particles->GetEmitter(u"SNOWDUST_EMITTER1");
    if (!emitter) return;
    float x = player1->position.x + static_cast<float>(Rnd(-5, 5));
    float y = player1->position.y + player1->GetHeight() / 2;
    emitter->position.Set(x, y);
    int tx = 0, ty = 0;
    if (solidLayer1->CellAt(x, y, tx, ty) && solidLayer1->TileAt(tx, ty) > 0) {
        float vx = -Sign(player1->velocity.x) * static_cast<float>(Rnd(7, 14));
        float vy = -static_cast<float>(Rnd(30, 70));
        emitter->Emit(vx, vy);
    }
}

void c_TarnStage::PlaceBubbles() {
    auto place = [](c_PlayerChar* p, c_TileMap* layer) {
        if (!p || !p->bubble) return;
        c_Vector origin = layer ? layer->position : c_Vector{};
        p->bubble->position.Set(origin.x + p->position.x, origin.y + p->position.y - 0.75f * p->GetHeight());
    };
    place(player1.get(), solidLayer1.get());
    place(player2.get(), solidLayer2.get());
}

void c_TarnStage::ApplyMotion() {
    if (!player1) return;
    if (!player2) {
        player1->ApplyGravity(player1->StandsOnGround());
        player1->ApplyCorrection(player1->bodyBox->correction);
        return;
    }
    const bool g1 = player1->StandsOnGround(), g2 = player2->StandsOnGround();
    const bool linked = player1->active && player2->active;
    player1->ApplyGravity(linked ? (g1 || g2) : g1);
    player2->ApplyGravity(linked ? (g1 || g2) : g2);
    const c_Vector c1 = player1->bodyBox->correction, c2 = player2->bodyBox->correction;
    if (!linked) {
        player1->ApplyCorrection(c1);
        player2->ApplyCorrection(c2);
    } else {
        // The bigger push on each axis moves both, so a wall or a step in
        // either world stops or lifts both characters.
        c_Vector both(std::fabs(c1.x) > std::fabs(c2.x) ? c1.x : c2.x, std::fabs(c1.y) > std::fabs(c2.y) ? c1.y : c2.y);
        player1->ApplyCorrection(both);
        player2->ApplyCorrection(both);
    }

    float dx = player1->position.x - player2->position.x;
    if (std::fabs(dx) > kLeash) {
        if (std::fabs(player1->velocity.x) > std::fabs(player2->velocity.y))
            player1->position.x = player2->position.x + Sign(dx) * kLeash;
        else
            player2->position.x = player1->position.x - Sign(dx) * kLeash;
        player1->velocity.x = 0;
        player2->velocity.x = 0;
    }
    PlaceMarkers(limits1, player2.get(), player1->active);
    PlaceMarkers(limits2, player1.get(), player2->active);
}

void c_TarnStage::PlaceMarkers(Ref<c_RectangleGDO> (&markers)[2], const c_PlayerChar* partner, bool show) {
    if (!partner) return;
    const float offsets[2] = {-kLimitOffset, kLimitOffset};
    for (int side = 0; side < 2; ++side) {
        if (!markers[side]) continue;
        markers[side]->position.x = partner->position.x + offsets[side];
        markers[side]->visible = show;
    }
}

void c_TarnStage::HandleControls() {
    if (pausePanel && pausePanel->visible) return;
    if (KeyHit(kKeyEnter) && exitFadeTotal == 0) {
        if (pausePanel && pausePanel->panelState == c_CollapsiblePanel::kIdle) {
            pausePanel->visible = true;
            pausePanel->enabled = true;
            pausePanel->SetPanelState(c_CollapsiblePanel::kOpeningHeight);
            if (player1) player1->inputEnabled = false;
            if (player2) player2->inputEnabled = false;
        }
    } else if (KeyHit(kKeySpace) && !levelSettings->forcedSync && player1 && player2 && player1->grounded &&
               player2->grounded) {
        if (player1->active && player2->active) {
            player2->active = false;
        } else if (player1->active) {
            player1->active = false;
            player2->active = true;
        } else {
            player1->active = true;
            player2->active = true;
        }
    }
    auto fell = [](const c_PlayerChar* p, c_TileMap* layer) {
        return p && layer && p->position.y > layer->position.y + layer->GetHeight() / 2;
    };
    if (fell(player1.get(), solidLayer1.get()) || fell(player2.get(), solidLayer2.get())) {
        if (pausePanel) pausePanel->Close(true);
        StartExit(kRestartFadeMs, 0, 0, 0, level_);
    }
    if (player1 && player2) {
        if (!player1->active && !player2->active) player1->active = true;
        if (disconnectedLabel) {
            if (player1->active != player2->active) {
                disconnectedLabel->blinking = true;
            } else {
                disconnectedLabel->blinking = false;
                disconnectedLabel->visible = false;
            }
        }
    }
}

void c_TarnStage::Update(int elapsedMs) {
    ++updateCount;
    if (exitFadeTotal > 0) {
        exitFadeElapsed += elapsedMs;
        fadeRect->visible = true;
        fadeRect->alpha =
            std::clamp(static_cast<float>(exitFadeElapsed) / static_cast<float>(exitFadeTotal), 0.0f, 1.0f);
        if (exitFadeElapsed >= exitFadeTotal) {
            GoToLevel(exitNextLevel_);
            return;
        }
    }
    updatingTree_ = true;
    c_Stage::Update(kFixedStepMs);
    updatingTree_ = false;
    for (const Ref<c_GDO>& object : pendingCrossings_) {
        CrossBetweenLayers(*object, solidLayer1.get(), solidLayer2.get());
        if (auto* movable = dynamic_cast<c_MovableObject*>(object.get()); movable && movable->absPosition)
            movable->absPosition->Refresh();
    }
    pendingCrossings_.clear();
    FollowCameras();
    UpdateFootsteps();
    UpdateBackground(background1.get(), window1.get(), world1.get());
    UpdateBackground(background2.get(), window2.get(), world2.get());
    auto slide = [elapsedMs](c_Tween* tween, c_Window* w) {
        if (!tween || !w || !tween->IsEnabled()) return;
        tween->Update(elapsedMs);
        w->position.y = tween->value;
    };
    slide(slideTween1.get(), window1.get());
    slide(slideTween2.get(), window2.get());
    if (noise1 && window1 && player1) {
        noise1->position = window1->position;
        noise1->visible = !player1->active;
    }
    if (noise2 && window2 && player2) {
        noise2->position = window2->position;
        noise2->visible = !player2->active;
    }
    UpdateSnowDust();
    PlaceBubbles();
    ApplyMotion();
    HandleControls();
}

void c_TarnStage::StartExit(int durationMs, int r, int g, int b, int nextLevel) {
    if (exitFadeTotal > 0) return;
    AudioManager::FadeMusicVolume(0.5f, 0.5f, 1000);
    if (fadeRect) fadeRect->tint.Set(r, g, b);
    exitNextLevel_ = nextLevel;
    exitFadeTotal = std::max(1, durationMs);
    exitFadeElapsed = 0;
    if (player1) player1->inputEnabled = false;
    if (player2) player2->inputEnabled = false;
}

void c_TarnStage::OnEvent(Object* source, int eventId, Object* data) {
    if (eventId == kTriggerEvent && source == this) {
        if (slideTween1 && slideTween2) {
            slideTween1->Start();
            slideTween2->Start();
        }
        return;
    }
    if (eventId == kBoxBrokeEvent) {
        auto* box = dynamic_cast<c_GDO*>(source);
        if (!box || !box->parent) return;
        if (box->parent != solidLayer1.get() && box->parent != solidLayer2.get()) return;
        auto key = New<c_KeyItem>();
        key->Init(boxEngine);
        key->position.Set(box->position.x, box->position.y - 4);
        box->parent->AddChild(key);
        key->StartBobbing();
        return;
    }
    if (eventId == kCollisionEventObstacle && data) {
        auto* contact = static_cast<c_CollisionData*>(data);
        c_PlayerChar* actor = nullptr;
        c_PlayerChar* partner = nullptr;
        if (player1 && source == player1->bodyBox.get()) {
            actor = player1.get();
            partner = player2.get();
        } else if (player2 && source == player2->bodyBox.get()) {
            actor = player2.get();
            partner = player1.get();
        }
        if (actor) HandleCharacterContact(*this, *actor, partner, *contact);
    }
}

// ---- pause menu ---------------------------------------------------------------

void c_TarnStage::OnMenuResume() {
    if (player1) player1->inputEnabled = true;
    if (player2) player2->inputEnabled = true;
    if (pausePanel) pausePanel->Close(false);
}

void c_TarnStage::OnMenuResetStage() {
    if (pausePanel) pausePanel->Close(true);
    StartExit(kRestartFadeMs, 0, 0, 0, level_);
}

void c_TarnStage::OnMenuToggleSound() {
    AudioManager::SetSoundOn(!AudioManager::IsSoundOn());
    OnMenuResume();
}

void c_TarnStage::OnMenuTitleScreen() {
    AudioManager::FadeMusicVolume(0.5f, 0, 1000);
    GoToTitle();
}

// ---- worlds -------------------------------------------------------------------

void c_TarnStage::CrossWorld(c_GDO& object) {
    // Moved at once, an object leaving world 1 would land among world 2's
    // children, which the tree update has yet to reach, and take a second
    // step (and a second pull of gravity) in the same update.
    if (updatingTree_) {
        pendingCrossings_.push_back(object.Self<c_GDO>());
        return;
    }
    CrossBetweenLayers(object, solidLayer1.get(), solidLayer2.get());
}

void c_TarnStage::Discard() {
    RemoveListener(this);
    c_Stage::Discard();
}
