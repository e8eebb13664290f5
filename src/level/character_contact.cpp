// character_contact.cpp — a character's touch of a box (a standing one
// pushes it), a key (picked up unless it holds one) or a door (a hub door
// opens for a crouch; the exit doors open when both characters hold keys and
// touch their doors, which saves the progress and starts the exit).
#include "level/character_contact.h"

#include <algorithm>
#include <array>

#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/tile_map.h"
#include "framework/translation.h"
#include "host/progress.h"
#include "level/door.h"
#include "level/key_item.h"
#include "level/movable_object.h"
#include "level/player_char.h"

namespace {

// A character leaning on a locked door says its line again every update, so
// each line is translated once per language rather than into a new string
// each time.
const String& Translated(const char16_t* line) {
    struct Entry {
        const char16_t* line = nullptr;
        int language = -1;
        String text;
    };
    static std::array<Entry, 4> cache;
    for (Entry& entry : cache) {
        if (entry.line == line || entry.line == nullptr) {
            if (entry.line != line || entry.language != CurrentLanguage()) {
                entry.line = line;
                entry.language = CurrentLanguage();
                entry.text = TranslateText(line);
            }
            return entry.text;
        }
    }
    static String uncached;
    uncached = TranslateText(line);
    return uncached;
}

}  // namespace

void PrepareContactTexts() {
    for (const char16_t* line : {kAlreadyHaveKeyText, kNeedKeyText, kNotOpeningText}) Translated(line);
}

namespace {

constexpr int kShortLineMs = 1000;
constexpr int kKeyMessageMs = 4000;
constexpr int kExitFadeMs = 2000;

void TouchKey(c_PlayerChar& actor, c_KeyItem& key) {
    if (actor.hasKey) {
        actor.Say(Translated(kAlreadyHaveKeyText), kShortLineMs);
        return;
    }
    // The key leaves the tree here; keep it for the message.
    Ref<c_KeyItem> keep = key.Self<c_KeyItem>();
    key.PickUp();
    actor.hasKey = true;
    if (!key.message.empty()) actor.Say(key.message, kKeyMessageMs);
}

void OpenExitDoorOf(c_TileMap* layer) {
    if (!layer) return;
    if (auto door = std::dynamic_pointer_cast<c_Door>(layer->FindChildByName(u"THE_DOOR"))) door->OpenDoor();
}

void TouchDoor(c_LevelHost& stage, c_PlayerChar& actor, c_PlayerChar* partner, c_Door& door) {
    actor.touchingDoor = true;
    GameValues& game = Game();
    if (door.level >= 0) {
        // Crouching is how the player says "enter". An open door has already
        // started the exit.
        if (!door.open && actor.animState == c_PlayerChar::kCrouch && game.levelProgress >= door.level - 1) {
            door.OpenDoor();
            AudioManager::PlaySFX(u"DOOR");
            stage.StartExit(kExitFadeMs, 255, 255, 255, door.level);
        }
        return;
    }
    if (!actor.hasKey && !door.open) {
        actor.Say(Translated(kNeedKeyText), kShortLineMs);
    } else if (partner && !partner->hasKey && !door.open) {
        actor.Say(Translated(kNotOpeningText), kShortLineMs);
    } else if (actor.hasKey && (!partner || partner->hasKey) && actor.touchingDoor &&
               (!partner || partner->touchingDoor)) {
        OpenExitDoorOf(stage.SolidLayer(1));
        OpenExitDoorOf(stage.SolidLayer(2));
        actor.hasKey = false;
        if (partner) partner->hasKey = false;
        AudioManager::PlaySFX(u"DOOR");
        // Replaying an earlier level never lowers the saved progress.
        game.levelProgress = std::max(game.levelProgress, stage.Level());
        SaveProgress(game.levelProgress);
        stage.StartExit(kExitFadeMs, 255, 255, 255, stage.Level() + 1);
    }
}

}  // namespace

void HandleCharacterContact(c_LevelHost& stage, c_PlayerChar& actor, c_PlayerChar* partner,
                            const c_CollisionData& contact) {
    if (!contact.other) return;
    if (Ref<c_MovableObject> box = ContactBox(contact)) {
        if (actor.grounded) PushBox(*box, -contact.push.x);
        return;
    }
    Ref<Object> owner = contact.other->owner.lock();
    if (!owner) return;
    if (auto key = std::dynamic_pointer_cast<c_KeyItem>(owner)) {
        TouchKey(actor, *key);
    } else if (auto door = std::dynamic_pointer_cast<c_Door>(owner)) {
        TouchDoor(stage, actor, partner, *door);
    }
}
