// input_device.h — the state of every key-like input in one table of 512
// game key codes: keyboard keys, mouse buttons, joystick buttons, touches and
// the two pseudo keys. Presses are counted per update (KeyHit) so a press
// that arrives between two updates is seen by exactly one of them.
//
// Codes: 1-3 mouse buttons; 8-222 keyboard keys; 256 + 32 * port + button
// joystick buttons; 384 + index touches; 416 KEY_BACK; 432 KEY_CLOSE; 448-456
// the gamepad controls of game_keys.h, held while any mapped pad holds them. Code 1
// (left button) and 384 (first touch) mirror each other. Anything outside
// its table is ignored, whatever event carries it.
#pragma once

#include <array>

#include "host/game_keys.h"
#include "host/object.h"
#include "host/platform.h"
#include "host/rt_game.h"

inline constexpr int kKeyCodeCount = 512;
inline constexpr int kJoystickPorts = 4;
inline constexpr int kJoystickButtons = 32;
inline constexpr int kTouchCount = 32;
inline constexpr int kHitQueueSize = 33;
inline constexpr int kCharQueueSize = 32;
inline constexpr int kMouseLeft = 1;
inline constexpr int kJoystickBase = 256;
inline constexpr int kTouchBase = 384;

class c_JoyState final : public Object {
public:
    JoyAxes x{}, y{}, z{};
    JoyButtons buttons{};
    String ToString() const override { return u"JoyState"; }
};

class c_InputDevice final : public Object {
public:
    c_InputDevice();

    // keyDown/keyHits of a code in 1..511; false/0 for any other code.
    bool KeyDown(int code) const;
    int KeyHit(int code) const;
    // The next character typed during this update, 0 when there is none.
    int GetChar();

    void KeyEvent(int event, int data);
    void MouseEvent(int event, int data, float x, float y);
    void TouchEvent(int event, int data, float x, float y);
    void SetAccel(float x, float y, float z);
    // Fills the joystick states from the host, port by port, until a port
    // has no joystick; presses of their buttons count as key presses. Then
    // reads every port as a gamepad and holds the pad controls (kPadLeft...)
    // that any of them holds; a pad that is gone holds nothing.
    void PollJoysticks(RtGame& host);
    // Ends an update: the hits counted during it return to 0 and the
    // character queue empties.
    void EndUpdate();

    float MouseX() const { return mouseX_; }
    float MouseY() const { return mouseY_; }
    float TouchX(int index) const { return ValidTouch(index) ? touchX_[index] : 0.0f; }
    float TouchY(int index) const { return ValidTouch(index) ? touchY_[index] : 0.0f; }
    float AccelX() const { return accelX_; }
    float AccelY() const { return accelY_; }
    float AccelZ() const { return accelZ_; }
    const c_JoyState& Joystick(int port) const { return *joysticks_.at(static_cast<std::size_t>(port)); }

    String ToString() const override { return u"InputDevice"; }

private:
    static bool ValidCode(int code) { return code >= 1 && code < kKeyCodeCount; }
    static bool ValidTouch(int index) { return index >= 0 && index < kTouchCount; }
    void CountHit(int code);
    void Press(int code);
    void Release(int code);
    void StorePosition(float x, float y);
    void PollGamepads(RtGame& host);
    void Hold(int code, bool down);

    std::array<Ref<c_JoyState>, kJoystickPorts> joysticks_;
    // Per pad: its left stick is out of the dead zone (see PollGamepads).
    std::array<bool, kGamepadPorts> stickEngaged_{};
    std::array<bool, kKeyCodeCount> keyDown_{};
    int hitCount_ = 0;
    std::array<int, kHitQueueSize> hitQueue_{};
    std::array<int, kKeyCodeCount> keyHits_{};
    int charGet_ = 0;
    int charPut_ = 0;
    std::array<int, kCharQueueSize> charQueue_{};
    float mouseX_ = 0, mouseY_ = 0;
    std::array<float, kTouchCount> touchX_{}, touchY_{};
    float accelX_ = 0, accelY_ = 0, accelZ_ = 0;
};

// The game's control bindings (GameAction, game_keys.h); any other action
// is never down.
bool ActionDown(const c_InputDevice& input, int action);
bool ActionHit(const c_InputDevice& input, int action);

// ---- the game's input device --------------------------------------------------
// The application layer makes the one device at start-up; game code reads it
// through these (false/0 while there is none).
void SetInputDevice(Ref<c_InputDevice> device);
c_InputDevice* GetInputDevice();
bool KeyDown(int code);
int KeyHit(int code);
int GetChar();
float MouseX();
float MouseY();
bool ActionDown(int action);
bool ActionHit(int action);
