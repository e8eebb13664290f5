// character_contact.h — what happens when a character's body box touches a
// box, a key or a door (the level stage's handling of contact event 100).
//
// The stage listens to each character's body box and, for every contact,
// calls HandleCharacterContact with that character as the actor and the
// other character (null with one character) as its partner:
//
//   void c_TarnStage::OnEvent(Object* source, int id, Object* data) {
//       if (id == kCollisionEventObstacle && source == player1->bodyBox.get())
//           HandleCharacterContact(*this, *player1, player2.get(),
//                                  static_cast<c_CollisionData&>(*data));
//       ...
//   }
#pragma once

#include "level/collision_box.h"
#include "level/level_host.h"

class c_PlayerChar;

// Texts the characters say (translated when said).
inline constexpr char16_t kAlreadyHaveKeyText[] = u"I already have a key...";
inline constexpr char16_t kNeedKeyText[] = u"I need the key...";
inline constexpr char16_t kNotOpeningText[] = u"It's not opening.\nAm I missing something?";

// A standing actor pushes a movable or breakable box; a key is picked up
// (unless the actor holds one already); a hub door opens for a crouching
// actor whose progress allows its level; the exit doors of both worlds open
// when every character holds a key and touches its door in this update,
// which saves the progress and starts the exit to the next level.
void HandleCharacterContact(c_LevelHost& stage, c_PlayerChar& actor, c_PlayerChar* partner,
                            const c_CollisionData& contact);
// Translates the lines a character says at doors and keys in advance (a
// level's load), so saying them in play allocates nothing.
void PrepareContactTexts();
