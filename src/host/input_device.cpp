// input_device.cpp — see input_device.h.
#include "host/input_device.h"

#include <cmath>

c_InputDevice::c_InputDevice() {
    for (auto& joy : joysticks_) joy = New<c_JoyState>();
}

bool c_InputDevice::KeyDown(int code) const { return ValidCode(code) && keyDown_[code]; }

int c_InputDevice::KeyHit(int code) const { return ValidCode(code) ? keyHits_[code] : 0; }

int c_InputDevice::GetChar() {
    if (charGet_ >= charPut_) return 0;
    return charQueue_[charGet_++];
}

void c_InputDevice::CountHit(int code) {
    if (hitCount_ >= kHitQueueSize) return;
    keyHits_[code] += 1;
    hitQueue_[hitCount_++] = code;
}

void c_InputDevice::Press(int code) {
    if (!ValidCode(code) || keyDown_[code]) return;  // auto-repeat is not a new press
    keyDown_[code] = true;
    CountHit(code);
    // The left button and the first touch are one input seen two ways.
    int mirror = code == kMouseLeft ? kTouchBase : code == kTouchBase ? kMouseLeft : 0;
    if (mirror) {
        keyDown_[mirror] = true;
        CountHit(mirror);
    }
}

void c_InputDevice::Release(int code) {
    if (!ValidCode(code) || !keyDown_[code]) return;
    keyDown_[code] = false;
    if (code == kMouseLeft) keyDown_[kTouchBase] = false;
    if (code == kTouchBase) keyDown_[kMouseLeft] = false;
}

void c_InputDevice::StorePosition(float x, float y) {
    mouseX_ = x;
    mouseY_ = y;
    touchX_[0] = x;
    touchY_[0] = y;
}

void c_InputDevice::KeyEvent(int event, int data) {
    switch (event) {
        case kEventKeyDown: Press(data); break;
        case kEventKeyUp: Release(data); break;
        case kEventChar:
            if (charPut_ < kCharQueueSize) charQueue_[charPut_++] = data;
            break;
        default: break;
    }
}

void c_InputDevice::MouseEvent(int event, int data, float x, float y) {
    bool button = data >= 0 && data <= 2;
    switch (event) {
        case kEventMouseDown:
            if (!button) return;
            Press(kMouseLeft + data);
            StorePosition(x, y);
            break;
        case kEventMouseUp:
            if (button) Release(kMouseLeft + data);
            break;
        case kEventMouseMove: StorePosition(x, y); break;
        default: break;
    }
}

void c_InputDevice::TouchEvent(int event, int data, float x, float y) {
    if (!ValidTouch(data)) return;
    switch (event) {
        case kEventTouchDown:
            Press(kTouchBase + data);
            touchX_[data] = x;
            touchY_[data] = y;
            break;
        case kEventTouchUp: Release(kTouchBase + data); break;
        case kEventTouchMove:
            touchX_[data] = x;
            touchY_[data] = y;
            break;
        default: break;
    }
}

void c_InputDevice::SetAccel(float x, float y, float z) {
    accelX_ = x;
    accelY_ = y;
    accelZ_ = z;
}

void c_InputDevice::Hold(int code, bool down) {
    if (!down) {
        keyDown_[code] = false;
    } else if (!keyDown_[code]) {
        keyDown_[code] = true;
        CountHit(code);
    }
}

void c_InputDevice::PollJoysticks(RtGame& host) {
    for (int port = 0; port < kJoystickPorts; ++port) {
        c_JoyState& joy = *joysticks_[port];
        if (!host.PollJoystick(port, joy.x, joy.y, joy.z, joy.buttons)) break;
        for (int b = 0; b < kJoystickButtons; ++b) Hold(kJoystickBase + kJoystickButtons * port + b, joy.buttons[b]);
    }
    PollGamepads(host);
}

namespace {
// The left stick leaves its dead zone past 30% of its travel and comes back
// inside 25%, so a stick resting near the edge does not flicker a walk on
// and off (and a menu cursor with it).
constexpr float kStickEngage = 0.3f;
constexpr float kStickRelease = 0.25f;

// The pad control the left stick points at (0 for none): the axis it leans
// along further, so each direction owns a 90 degree sector.
int StickControl(float x, float y, bool& engaged) {
    const float limit = engaged ? kStickRelease : kStickEngage;
    const float r2 = x * x + y * y;
    engaged = engaged ? r2 >= limit * limit : r2 > limit * limit;  // NaN reads as released
    if (!engaged) return 0;
    if (std::fabs(x) >= std::fabs(y)) return x < 0 ? kPadLeft : kPadRight;
    return y < 0 ? kPadUp : kPadDown;
}
}  // namespace

void c_InputDevice::PollGamepads(RtGame& host) {
    constexpr int kControls = kPadStart - kPadLeft + 1;
    std::array<bool, kControls> held{};
    auto hold = [&](int code) { held[code - kPadLeft] = true; };
    for (int port = 0; port < kGamepadPorts; ++port) {
        GamepadState pad;
        if (!host.PollGamepad(port, pad)) {
            stickEngaged_[port] = false;
            continue;
        }
        if (int stick = StickControl(pad.axes[kGamepadLeftX], pad.axes[kGamepadLeftY], stickEngaged_[port])) {
            hold(stick);
        }
        const auto& b = pad.buttons;
        if (b[kGamepadDpadLeft]) hold(kPadLeft);
        if (b[kGamepadDpadRight]) hold(kPadRight);
        if (b[kGamepadDpadUp]) hold(kPadUp);
        if (b[kGamepadDpadDown]) hold(kPadDown);
        if (b[kGamepadA]) hold(kPadSouth);
        if (b[kGamepadB]) hold(kPadEast);
        if (b[kGamepadX]) hold(kPadWest);
        if (b[kGamepadY]) hold(kPadNorth);
        if (b[kGamepadStart]) hold(kPadStart);
    }
    for (int i = 0; i < kControls; ++i) Hold(kPadLeft + i, held[i]);
}

void c_InputDevice::EndUpdate() {
    for (int i = 0; i < hitCount_; ++i) keyHits_[hitQueue_[i]] = 0;
    hitCount_ = 0;
    charGet_ = 0;
    charPut_ = 0;
}

namespace {
// The codes of each action, in GameAction order (0 ends a shorter list).
using Binding = std::array<int, 4>;
constexpr Binding kBindings[] = {
    {kKeyUp, kKeyW, kPadUp},
    {kKeyDown, kKeyS, kPadDown},
    {kKeyLeft, kKeyA, kPadLeft},
    {kKeyRight, kKeyD, kPadRight},
    {kKeySpace, kPadWest, kPadNorth},
    {kKeyEnter, kPadStart},
    {kKeyEscape, kPadEast},
    {kKeyUp, kKeyW, kPadSouth},
    {kKeySpace, kKeyEnter, kPadSouth, kPadStart},
    {kKeyDown, kKeyS, kPadDown, kPadEast},
};
static_assert(std::size(kBindings) == kActionCrouch + 1, "one binding per action");

template <class Query>
bool AnyKey(int action, Query query) {
    if (action < 0 || action >= static_cast<int>(std::size(kBindings))) return false;
    for (int code : kBindings[action]) {
        if (code && query(code)) return true;
    }
    return false;
}
}  // namespace

bool ActionDown(const c_InputDevice& input, int action) {
    return AnyKey(action, [&](int code) { return input.KeyDown(code); });
}

bool ActionHit(const c_InputDevice& input, int action) {
    return AnyKey(action, [&](int code) { return input.KeyHit(code) != 0; });
}

// ---- the game's input device --------------------------------------------------

namespace {
Ref<c_InputDevice>& Device() {
    static Ref<c_InputDevice> device;
    return device;
}
}  // namespace

void SetInputDevice(Ref<c_InputDevice> device) { Device() = std::move(device); }
c_InputDevice* GetInputDevice() { return Device().get(); }
bool KeyDown(int code) { return Device() && Device()->KeyDown(code); }
int KeyHit(int code) { return Device() ? Device()->KeyHit(code) : 0; }
int GetChar() { return Device() ? Device()->GetChar() : 0; }
float MouseX() { return Device() ? Device()->MouseX() : 0.0f; }
float MouseY() { return Device() ? Device()->MouseY() : 0.0f; }
bool ActionDown(int action) { return Device() && ActionDown(*Device(), action); }
bool ActionHit(int action) { return Device() && ActionHit(*Device(), action); }
