// level_world.h — one level world for tests, stepped as the level stage
// steps it.
//
//   LevelWorld world;                     // data folder, devices, engine
//   world.Ground(0, 9, 20, 1);            // solid cells (column, row, w, h)
//   auto hero = world.AddCharacter(-100, 40);
//   world.Hold(39);                       // Right held from the next step
//   world.Steps(30);                      // 30 updates of 16 ms
//
// The world is a solid tile layer (20 x 10 cells of 16 pixels, centred on
// its origin like a level's "solid_1") under a root, the collision engine
// with the static boxes merged from the layer's cells at the first step, the keyboard, and an audio device with the
// level's sound ids registered, so that Played() tells which effects the
// code started. Each Step is one stage update: the tree (characters and
// boxes move), the engine, then for every character the level's own motion
// after the engine (ApplyTwinMotion: each character on its own, gravity from
// its ground probe and the engine's push, or two as linked twins when
// `twins` is set); a standing character that walks into a box pushes it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/audio_fixtures.h"
#include "audio/gxtk_audio.h"
#include "framework/audio_manager.h"
#include "framework/events.h"
#include "framework/image_files.h"
#include "framework/render_fixture.h"
#include "framework/tile_map.h"
#include "framework/tile_set.h"
#include "host/input_device.h"
#include "level/basic_box_engine.h"
#include "level/movable_object.h"
#include "level/player_char.h"
#include "level/twin_motion.h"
#include "support/temp_dir.h"

namespace level_test {

inline constexpr int kCell = 16;
inline constexpr int kColumns = 20;
inline constexpr int kRows = 10;

// A sheet of `columns` x `rows` frames of w x h; every frame is opaque.
inline std::string Sheet(int w, int h, int columns, int rows) {
    return ImageFolder::Png(w * columns, h * rows, [](int, int) { return 0xC08040FFu; });
}

// Writes the level's images into ./data of the current directory.
inline void WriteLevelImages(const ScopedTempDir& dir) {
    dir.Write("data/char1_spritesheet.png", Sheet(16, 25, 7, 3));
    dir.Write("data/char2_spritesheet.png", Sheet(16, 25, 7, 3));
    dir.Write("data/arrow_mark.png", Sheet(9, 9, 4, 1));
    dir.Write("data/box.png", Sheet(16, 16, 1, 1));
    dir.Write("data/box_break.png", Sheet(77, 23, 9, 1));
    dir.Write("data/key_icon.png", Sheet(18, 18, 2, 1));
    dir.Write("data/tiles.png", Sheet(16, 16, 2, 1));
    dir.Write("data/bubble.png", Sheet(16, 16, 1, 1));
}

// The contacts of a character's body, answered as the level stage answers
// a box: a standing character pushes it.
class BoxPusher final : public Object, public c_EventListener {
public:
    c_PlayerChar* character = nullptr;
    int contacts = 0;
    void OnEvent(Object*, int eventId, Object* data) override {
        if (eventId != kCollisionEventObstacle || !character) return;
        ++contacts;
        auto* contact = static_cast<c_CollisionData*>(data);
        if (Ref<c_MovableObject> box = ContactBox(*contact); box && character->grounded) {
            PushBox(*box, -contact->push.x);
        }
    }
};

class LevelWorld {
public:
    LevelWorld() {
        WriteLevelImages(dir);
        dir.Write("data/sfx/blip.wav",
                  audio_test::MakeWav({1, 1, 16, 22050, 16, {}, audio_test::SinePcm16(1, 22050, 20)}));
        ClearListeners();
        AudioManager::Init();
        for (const char16_t* id : {u"STEPS", u"BOXFALL", u"BOXBREAK", u"BUBBLE", u"DOOR", u"KEY", u"PUSH", u"JUMP"}) {
            AudioManager::PreloadSFX(u"sfx/blip.wav", id, false);
        }
        input = New<c_InputDevice>();
        SetInputDevice(input);
        engine = New<c_BasicBoxEngine>();
        engine->Init(u"BASIC_BOX_ENGINE");
        layer = New<c_TileMap>();
        layer->name = u"solid_1";
        layer->Setup(New<c_TileSet>(GetTexture(u"tiles.png"), kCell, kCell), kColumns, kRows);
        root->AddChild(layer);
    }
    ~LevelWorld() {
        SetInputDevice(nullptr);
        // The device reports every sample it frees.
        testing::internal::CaptureStdout();
        AudioManager::Shutdown();
        audio.reset();
        testing::internal::GetCapturedStdout();
        root->Discard();
        engine->Clear();
        ClearListeners();
    }
    LevelWorld(const LevelWorld&) = delete;
    LevelWorld& operator=(const LevelWorld&) = delete;

    // Solid cells of the layer (row 0 at the top), before the first step.
    void Ground(int column, int row, int columns, int rows) {
        EXPECT_FALSE(built_) << "the static boxes are built already";
        for (int r = row; r < row + rows; ++r) {
            for (int c = column; c < column + columns; ++c)
                layer->tiles[static_cast<std::size_t>(r * kColumns + c)] = 0;
        }
    }
    // The y (in the layer) at which something of height h stands on row.
    static float StandingY(int row, float h) { return -kRows * kCell / 2.0f + static_cast<float>(row * kCell) - h / 2; }

    Ref<c_PlayerChar> AddCharacter(float x, float y, bool withMarker = false) {
        auto character = New<c_PlayerChar>();
        character->Setup(u"char1_spritesheet.png", 16, 25, withMarker);
        character->position.Set(x, y);
        layer->AddChild(character);
        character->absPosition->Refresh();
        engine->AddMover(character->bodyBox);
        engine->AddMover(character->groundProbe);
        auto pusher = New<BoxPusher>();
        pusher->character = character.get();
        AddListener(pusher, character->bodyBox.get(), kAnyEvent);
        pushers.push_back(pusher);
        characters.push_back(character);
        return character;
    }
    Ref<c_MovableObject> AddBox(float x, float y) {
        auto box = New<c_MovableObject>();
        box->Init(New<c_TileSet>(GetTexture(u"box.png"), 16, 16), engine);
        return Place(box, x, y);
    }
    Ref<c_BreakableBox> AddBreakableBox(float x, float y) {
        auto box = New<c_BreakableBox>();
        box->Init(engine);
        return Place(box, x, y);
    }

    void Hold(int key) { input->KeyEvent(kEventKeyDown, key); }
    void Release(int key) { input->KeyEvent(kEventKeyUp, key); }
    void Tap(int key) {
        Hold(key);
        Release(key);
    }

    // One update of the level stage.
    void Step() {
        if (!built_) {
            BuildStaticBoxes(*engine, *layer, 0, 0);
            built_ = true;
        }
        root->Update(16);
        engine->Update(16);
        if (twins && characters.size() == 2) {
            ApplyTwinMotion(*characters[0], characters[1].get());
        } else {
            for (auto& character : characters) ApplyTwinMotion(*character, nullptr);
        }
        input->EndUpdate();
    }
    void Steps(int count) {
        for (int i = 0; i < count; ++i) Step();
    }
    // Steps until `done` holds (at most `limit` updates); false if it never did.
    template <class F>
    bool StepUntil(F done, int limit = 600) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            Step();
        }
        return done();
    }

    // The effects started since the last call (in channel order), which are
    // then forgotten.
    std::vector<String> Played() {
        std::vector<String> ids;
        for (int c = 1; c < AudioManager::kManagedChannels; ++c) {
            String id = AudioManager::ChannelId(c);
            if (id.empty()) continue;
            ids.push_back(id);
            AudioManager::StopSFX(c);
        }
        return ids;
    }
    int CountPlayed(StringView id) {
        auto ids = Played();
        return static_cast<int>(std::count(ids.begin(), ids.end(), String(id)));
    }

    ScopedTempDir dir;
    RecordedFrame frame;
    Ref<gxtkAudio> audio = New<gxtkAudio>();
    Ref<c_InputDevice> input;
    Ref<c_BasicBoxEngine> engine;
    Ref<c_EmptyGDOContainer> root = New<c_EmptyGDOContainer>();
    Ref<c_TileMap> layer;
    std::vector<Ref<c_PlayerChar>> characters;
    std::vector<Ref<BoxPusher>> pushers;
    // Two characters stepped as the twins of a two-world level (here in one
    // world; characters never block each other) instead of each on its own.
    bool twins = false;

private:
    bool built_ = false;

    template <class T>
    Ref<T> Place(Ref<T> box, float x, float y) {
        box->position.Set(x, y);
        layer->AddChild(box);
        box->absPosition->Refresh();
        return box;
    }
};

}  // namespace level_test
