// level_build.cpp — the level stage's eight load steps (one per frame, so the
// loading bar moves): the two worlds from the map, the characters and their
// ghosts, the windows and noise overlays, the leash markers and
// "DISCONNECTED!", the HUDs and the fade, the pause menu, the weather, and
// the sounds. What both worlds build is written once, for one world's parts.
#include "framework/audio_manager.h"
#include "framework/events.h"
#include "framework/game.h"
#include "framework/rectangle_gdo.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/tile_set.h"
#include "framework/translation.h"
#include "host/files.h"
#include "host/runtime_error.h"
#include "level/character_contact.h"
#include "level/movable_object.h"
#include "level/tarn_stage.h"
#include "level/tiled_loader.h"
#include "level/window_limits.h"

namespace {

constexpr float kScreenW = 320;
constexpr float kScreenH = 180;
constexpr float kHalfScreenH = 90;
constexpr float kGhostAlpha = 0.3f;
constexpr float kMarkerAlpha = 0.8f;

// What differs between the two worlds when they are built (index 0 for
// world 1).
struct WorldLook {
    const char16_t* excludedLayer;  // the other world's base layer
    const char16_t* imagePrefix;
    const char16_t* solidName;
    const char16_t* sheet;
    const char16_t* windowName;
    const char16_t* hudName;
    // The window's (and HUD's) centre while both windows show, and where
    // its window starts in a level whose windows slide into place.
    float restY;
    float slideFromY;
};
constexpr WorldLook kLooks[2] = {
    {u"base_2", u"", u"solid_1", u"char1_spritesheet.png", u"WINDOW_1", u"HUD_1", 45, 90},
    {u"base_1", u"alt_", u"solid_2", u"char2_spritesheet.png", u"WINDOW_2", u"HUD_2", 135, 225},
};

const WorldLook& LookOf(int world) { return kLooks[world == 2 ? 1 : 0]; }

}  // namespace

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

    const String file = u"level" + IntToString(level_) + u".tmx";
    // The map's refusals (the parser's and the loader's) name the file.
    ReadingFile reading(FixDataPath(file));
    String text = LoadText(file);
    if (text.empty()) {
        // Nothing to play: say so and go back to the title rather than show
        // an empty screen.
        Print(u"Level file missing: " + file);
        GoToTitle();
        return;
    }
    auto parser = New<c_XMLParser>();
    Ref<c_XMLNode> mapRoot = parser->Parse(text);

    levelSettings->bgType = static_cast<int>(StringToInt(GetMapProperty(mapRoot, u"bgType"), 63));
    levelSettings->gameMode = static_cast<int>(StringToInt(GetMapProperty(mapRoot, u"gameMode"), 63));
    levelSettings->weather = GetMapProperty(mapRoot, u"weather1");
    levelSettings->forcedSync = StringToInt(GetMapProperty(mapRoot, u"forcedSync"), 63) != 0;

    const bool switchable = TwoCharacters() && !levelSettings->forcedSync;
    for (int w = 1; w <= Worlds(); ++w) {
        Ref<c_PlayerChar>& player = Parts(w).player;
        player = New<c_PlayerChar>();
        player->Setup(LookOf(w).sheet, 16, 25, switchable);
    }
    for (int w = 1; w <= Worlds(); ++w) BuildWorld(Parts(w), mapRoot, file);
}

void c_TarnStage::BuildWorld(const WorldParts& parts, const Ref<c_XMLNode>& mapRoot, StringView mapFile) {
    const WorldLook& look = LookOf(parts.number);
    const float y = parts.number == 2 ? kWorldGap : 0;
    parts.world = LoadTiledMap(*this, 0, y, look.excludedLayer, look.imagePrefix, parts.player, mapRoot, mapFile);
    if (!parts.world) return;
    parts.solid = std::dynamic_pointer_cast<c_TileMap>(parts.world->FindChildByName(look.solidName));
    root->AddChild(parts.world);
    if (parts.solid) {
        BuildStaticBoxes(*boxEngine, *parts.solid, 0, y);
        parts.background = New<c_ParallaxBackground>();
        CreateParallaxBackground(*parts.background, levelSettings->bgType, parts.solid->GetWidth(),
                                 parts.solid->GetHeight(), look.imagePrefix);
        parts.world->AddChild(parts.background, 0);
    }
    if (parts.player->bubble) parts.world->AddChild(parts.player->bubble);
}

void c_TarnStage::PlaceCharacters() {
    for (int w = 1; w <= Worlds(); ++w) PlaceCharacter(Parts(w));
    if (!TwoCharacters()) return;
    // Each world shows the other world's character faintly where it stands.
    for (int w = 1; w <= Worlds(); ++w) {
        const WorldParts parts = Parts(w);
        if (!parts.partner || !parts.solid) continue;
        auto ghost = New<c_SpriteGhost>(parts.partner->frames, 10, parts.partner);
        ghost->alpha = kGhostAlpha;
        parts.solid->AddChild(ghost, 0);
    }
}

void c_TarnStage::PlaceCharacter(const WorldParts& parts) {
    const Ref<c_PlayerChar>& player = parts.player;
    if (!player || !parts.solid) return;
    player->position = levelSettings->spawn;
    parts.solid->AddChild(player);
    // Triggers placed before the character in the layer update first and
    // read this: it must say where the character stands from the start,
    // not the origin it had before it was placed.
    if (player->absPosition) player->absPosition->Refresh();
    boxEngine->AddMover(player->bodyBox);
    boxEngine->AddMover(player->groundProbe);
    AddListener(Self<c_TarnStage>(), player->bodyBox.get(), kAnyEvent);
}

void c_TarnStage::MakeWindows() {
    // The level shows its own views; the stage's default one stays unused.
    if (window) window->visible = false;
    if (!TwoCharacters()) {
        MakeWindow(Parts(1), kScreenH, kHalfScreenH);
        return;
    }
    // In game mode 0 both windows show from the start; otherwise world 1's
    // fills the middle of the screen, world 2's waits below it, and both
    // slide into their halves when the level's event raiser fires.
    const bool sliding = levelSettings->gameMode != 0;
    for (int w = 1; w <= Worlds(); ++w) {
        const WorldParts parts = Parts(w);
        const WorldLook& look = LookOf(w);
        MakeWindow(parts, kScreenH / 2, sliding ? look.slideFromY : look.restY);
        if (sliding) parts.slide = New<c_Tween>(c_QuadraticEaseInOut::Shared(), look.slideFromY, look.restY, kSlideMs);
    }
    for (int w = 1; w <= Worlds(); ++w) MakeNoise(Parts(w));
}

void c_TarnStage::MakeWindow(const WorldParts& parts, float height, float y) {
    parts.window = New<c_Window>(kScreenW, height);
    c_Window& w = *parts.window;
    w.name = LookOf(parts.number).windowName;
    w.position.Set(kScreenW / 2, y);
    if (parts.solid) MakeWindowLimits(w, *parts.solid);
    c_Vector at = levelSettings->spawn;
    if (parts.solid) {
        c_SimpleAbsoluteGDOVector origin(parts.solid.get());
        at.x += origin.x;
        at.y += origin.y;
    }
    w.SetCameraX(at.x);
    w.SetCameraY(at.y - kCameraLift);
    windows.push_back(parts.window);
}

void c_TarnStage::MakeNoise(const WorldParts& parts) {
    auto tex = GetTexture(u"noise.png");
    Ref<c_DrawableCollection> frames;
    if (tex && tex->image) frames = New<c_TileSet>(tex, 320, 90);
    parts.noise = New<c_Sprite>(frames, 10);
    c_Sprite& noise = *parts.noise;
    noise.AddSequenceRange(u"noise-y", 0, 3, true);
    noise.Play(u"noise-y");
    noise.alpha = 0.5f;
    noise.visible = false;
    noise.position = parts.window->position;
    windows.push_back(parts.noise);
}

void c_TarnStage::AddMarkers(const WorldParts& parts) {
    if (!parts.solid) return;
    const char16_t* names[2] = {u"LIMIT_L", u"LIMIT_R"};
    for (int side = 0; side < 2; ++side) {
        auto marker = New<c_RectangleGDO>(kScreenW, parts.solid->GetHeight());
        marker->name = names[side];
        parts.limits[side] = marker;
        marker->alpha = kMarkerAlpha;
        marker->visible = false;
        parts.solid->AddChild(marker);
    }
}

void c_TarnStage::MakeMarkersAndLabel() {
    for (int w = 1; w <= Worlds(); ++w) AddMarkers(Parts(w));
    if (!TwoCharacters()) return;
    disconnectedLabel = New<c_BlinkingLabel>(Game().titleFont, 0.5f);
    disconnectedLabel->SetText(TranslateText(u"DISCONNECTED!"));
    disconnectedLabel->tint.Set(255, 192, 0);
    disconnectedLabel->position.Set(kScreenW / 2, kHalfScreenH);
    disconnectedLabel->visible = false;
    disconnectedLabel->blinking = false;
    windows.push_back(disconnectedLabel);
}

void c_TarnStage::MakeHud() {
    for (int w = 1; w <= Worlds(); ++w) {
        const WorldParts parts = Parts(w);
        parts.hud = New<c_HUD>();
        parts.hud->name = LookOf(w).hudName;
        parts.hud->Init(parts.player);
        parts.hud->position.Set(kScreenW / 2, LookOf(w).restY);
        windows.push_back(parts.hud);
    }
    for (int w = 1; w <= Worlds(); ++w) FollowCamera(Parts(w));
    // The fade-in shows the level before its first update: the backgrounds
    // must already stand behind the views.
    for (int w = 1; w <= Worlds(); ++w) UpdateBackground(Parts(w));
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
    // The snow is sized from the map: a refusal names its file.
    ReadingFile reading(FixDataPath(u"level" + IntToString(level_) + u".tmx"));
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
    AudioManager::WarmUp();
    PrepareKeys();
}

void c_TarnStage::PrepareKeys() {
    // A broken box stays in its layer, hidden, and its key joins it there.
    for (c_TileMap* layer : {solidLayer1.get(), solidLayer2.get()}) {
        if (!layer) continue;
        int boxes = 0;
        for (const Ref<c_GDO>& child : layer->children) {
            if (dynamic_cast<c_BreakableBox*>(child.get())) ++boxes;
        }
        layer->children.reserve(layer->children.size() + static_cast<std::size_t>(2 * boxes));
        for (int i = 0; i < boxes; ++i) {
            spareKeys_.push_back(New<c_KeyItem>());
            spareKeys_.back()->Prepare();
        }
    }
    pendingCrossings_.reserve(64);
    PrepareContactTexts();
}
