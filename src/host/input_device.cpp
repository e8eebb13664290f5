// input_device.cpp — see input_device.h.
#include "host/input_device.h"

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

void c_InputDevice::PollJoysticks(RtGame& host) {
    for (int port = 0; port < kJoystickPorts; ++port) {
        c_JoyState& joy = *joysticks_[port];
        if (!host.PollJoystick(port, joy.x, joy.y, joy.z, joy.buttons)) return;
        for (int b = 0; b < kJoystickButtons; ++b) {
            int code = kJoystickBase + kJoystickButtons * port + b;
            if (!joy.buttons[b]) {
                keyDown_[code] = false;
            } else if (!keyDown_[code]) {
                keyDown_[code] = true;
                CountHit(code);
            }
        }
    }
}

void c_InputDevice::EndUpdate() {
    for (int i = 0; i < hitCount_; ++i) keyHits_[hitQueue_[i]] = 0;
    hitCount_ = 0;
    charGet_ = 0;
    charPut_ = 0;
}

namespace {
struct Binding {
    int first, second;
};
// Key pairs of the actions, in GameAction order (0 where there is no second key).
constexpr Binding kBindings[] = {
    {kKeyUp, kKeyW}, {kKeyDown, kKeyS}, {kKeyLeft, kKeyA}, {kKeyRight, kKeyD},     {kKeySpace, 0},
    {kKeyEnter, 0},  {kKeyEscape, 0},   {kKeyUp, kKeyW},   {kKeySpace, kKeyEnter},
};
static_assert(std::size(kBindings) == kActionConfirm + 1, "one binding per action");

template <class Query>
bool AnyKey(int action, Query query) {
    if (action < 0 || action >= static_cast<int>(std::size(kBindings))) return false;
    const Binding& b = kBindings[action];
    return query(b.first) || (b.second && query(b.second));
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
