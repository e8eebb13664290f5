// platform.h — the seam between the host loop and the window system.
//
// RtGlfwGame runs its main loop, timing and event translation against this
// interface only. GlfwPlatform (glfw_platform.h) is the real window, clock
// and joysticks; ScriptedPlatform (scripted_platform.h) is a clock that moves
// only when told and a window whose events a test queues, so the same loop
// and catch-up code runs frame by frame in tests without sleeping.
//
// Events are raw window-system events (GLFW key codes and actions); the
// platform delivers them to its PlatformEvents sink from inside PollEvents
// and WaitEvents, as GLFW does.
#pragma once

#include <array>
#include <vector>

// A gamepad's reading through the window system's mapping database, in the
// standard pad layout (GLFW's order): face buttons by position, so A is the
// south button and B the east one on every pad. Sticks read -1..1 with +y
// down; triggers -1 (released) to 1.
enum GamepadButton : int {
    kGamepadA,
    kGamepadB,
    kGamepadX,
    kGamepadY,
    kGamepadLeftBumper,
    kGamepadRightBumper,
    kGamepadBack,
    kGamepadStart,
    kGamepadGuide,
    kGamepadLeftThumb,
    kGamepadRightThumb,
    kGamepadDpadUp,
    kGamepadDpadRight,
    kGamepadDpadDown,
    kGamepadDpadLeft,
    kGamepadButtonCount,
};
enum GamepadAxis : int {
    kGamepadLeftX,
    kGamepadLeftY,
    kGamepadRightX,
    kGamepadRightY,
    kGamepadLeftTrigger,
    kGamepadRightTrigger,
    kGamepadAxisCount,
};
struct GamepadState {
    std::array<bool, kGamepadButtonCount> buttons{};
    std::array<float, kGamepadAxisCount> axes{};
};
inline constexpr int kGamepadPorts = 16;

// A video mode: size and colour bits.
struct RtGlfwVideoMode {
    int width = 0;
    int height = 0;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
};

// What the host asks for when it opens a window.
struct WindowRequest {
    int width = 0;
    int height = 0;
    int redBits = 8, greenBits = 8, blueBits = 8, alphaBits = 0;
    int depthBits = 32, stencilBits = 0;
    // The window is always made as a window of width x height; the host
    // turns fullscreen on (SetFullscreen) once it shows, so leaving it
    // comes back to that size.
    bool fullscreen = false;
    // The player may drag the window to any size.
    bool resizable = true;
};

// Receives the window's events; actions are GLFW_PRESS, GLFW_RELEASE and
// GLFW_REPEAT.
class PlatformEvents {
public:
    virtual void OnKey(int glfwKey, int action) = 0;
    virtual void OnChar(unsigned codepoint) = 0;
    virtual void OnMouseButton(int button, int action) = 0;
    virtual void OnCursorPos(double x, double y) = 0;
    virtual void OnCloseRequest() = 0;
    // The framebuffer took a new size, in pixels (resized by the player,
    // or going into or out of fullscreen).
    virtual void OnFramebufferResize(int width, int height) = 0;

protected:
    ~PlatformEvents() = default;
};

class HostPlatform {
public:
    virtual ~HostPlatform() = default;

    // Clock: seconds, monotonic.
    virtual double Now() = 0;
    virtual void Sleep(double seconds) = 0;
    // False where Sleep cannot wait because something outside drives the
    // frames (a browser calls one each time it paints): the loop then starts
    // a frame's updates only once they are due, give or take half an update,
    // instead of sleeping until they are.
    virtual bool CanSleep() { return true; }

    // Window. CreateWindow makes it hidden and with its GL context current;
    // ShowWindow maps it once placed. Events go to `events` from then on.
    virtual bool CreateWindow(const WindowRequest& request, PlatformEvents& events) = 0;
    virtual void DestroyWindow() = 0;
    virtual bool IsWindowOpen() = 0;
    virtual void ShowWindow() = 0;
    virtual void SetWindowPos(int x, int y) = 0;
    virtual void SetWindowTitle(const char* utf8) = 0;
    // The framebuffer's size in pixels as it is now (0 x 0 without a
    // window).
    virtual void GetWindowSize(int& width, int& height) = 0;
    // Borderless fullscreen at the desktop's own resolution on the monitor
    // the window's centre lies on; off puts the window back at the size and
    // place it had before. Nothing without a window.
    virtual void SetFullscreen(bool on) = 0;
    virtual bool IsFullscreen() = 0;
    virtual void GetCursorPos(double& x, double& y) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // True while the window has the input focus.
    virtual bool IsWindowActive() = 0;
    virtual void SwapBuffers() = 0;
    // Delivers pending events and returns.
    virtual void PollEvents() = 0;
    // Blocks until an event arrives, then delivers pending events.
    virtual void WaitEvents() = 0;

    // OpenGL: the GL_VERSION text (null without a context), entry-point
    // lookup and swap control.
    virtual const char* GlVersion() = 0;
    virtual void* GetProcAddress(const char* name) = 0;
    virtual bool HasSwapControl() = 0;
    virtual void SetSwapInterval(int interval) = 0;

    // Displays and joysticks (ports 0-15; false when nothing is attached).
    virtual std::vector<RtGlfwVideoMode> VideoModes() = 0;
    virtual RtGlfwVideoMode DesktopMode() = 0;
    virtual bool ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) = 0;
    // The same port read as a gamepad; false when nothing is attached or the
    // joystick has no gamepad mapping (it is still a raw joystick then).
    virtual bool ReadGamepad(int port, GamepadState& pad) = 0;
};
