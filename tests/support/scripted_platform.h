// scripted_platform.h — a platform for tests and tools: a clock that moves
// only when the script (or the loop's own sleeping) moves it, and a window
// whose key, character, mouse, focus and close events the script queues,
// with joysticks and gamepads the script plugs in and out.
// The host runs its real loop on it (RtGlfwGame::BeginRun/RunFrame), so
// catch-up, suspend/resume and event translation are the production code.
//
//   ScriptedHost host;                    // RtCobaltGame on a ScriptedPlatform
//   host.Game().SetDelegate(myDelegate);  // or construct the application
//   host.Start();                         // opens the window, StartGame
//   host.Game().SetUpdateRate(60);
//   host.Platform().KeyDown(GLFW_KEY_LEFT);
//   host.Frames(10);                      // ten passes of the main loop
//   host.Platform().KeyUp(GLFW_KEY_LEFT);
//
// Sleeping advances the clock by the time asked for and returns at once;
// each buffer swap advances it by the frame time (0 by default). So with an
// update rate of 60 and no frame time, every frame runs exactly one update
// and 1/60 s passes per frame. Queued events are delivered, in order, at the
// next PollEvents or WaitEvents, as the window system would deliver them.
// WaitEvents with nothing queued returns at once (it advances the clock by
// the idle time, 0 by default) so a suspended host never blocks a test.
// The window keeps the size it was made with until the script resizes it or
// the host turns fullscreen on (the desktop mode's size); either reaches the
// host as a resize event at the next poll, as GLFW's would.
//
// With Options::glContext the platform also makes a real (unpolled) GLFW
// window and keeps its GL context current, for tests that draw real pixels
// under Xvfb; its own window-system events are drained and dropped. GLFW is
// initialised for it and left initialised for the rest of the process.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/platform.h"
#include "host/settings.h"

struct GLFWwindow;
class RtCobaltGame;

class ScriptedPlatform final : public HostPlatform {
public:
    struct Options {
        // Also make a real GL context (needs a display; for drawing tests).
        bool glContext = false;
        // The clock's reading at the start. Not 0: the loop treats a due
        // time of 0 as "not scheduled".
        double startTime = 1.0;
    };

    ScriptedPlatform();
    explicit ScriptedPlatform(Options options);
    ~ScriptedPlatform() override;
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    // ---- script: time
    void Advance(double seconds) { now_ += seconds; }
    // Clock advance at every buffer swap: how long a frame takes to draw.
    void SetFrameTime(double seconds) { frameTime_ = seconds; }
    // Clock advance when WaitEvents finds nothing queued.
    void SetIdleTime(double seconds) { idleTime_ = seconds; }
    // A platform whose frames come from outside, as a browser's do: Sleep
    // returns at once without moving the clock, and CanSleep says so.
    void SetCanSleep(bool can) { canSleep_ = can; }
    // Called at the start of every buffer swap with the frame's number
    // (1, 2, ...), before the clock moves; a script can queue events here.
    void OnSwap(std::function<void(int frame)> hook) { onSwap_ = std::move(hook); }

    // ---- script: events (GLFW key constants and mouse buttons 0-2)
    void KeyDown(int glfwKey);
    void KeyRepeat(int glfwKey);
    void KeyUp(int glfwKey);
    void Char(unsigned codepoint);
    void MouseDown(int button);
    void MouseUp(int button);
    void MouseMove(double x, double y);
    // Gaining or losing the input focus.
    void Focus(bool active);
    // The window's close box.
    void RequestClose();
    // The window goes away (the loop in Run ends after this frame).
    void CloseWindow();
    // The player drags the window to a new framebuffer size.
    void Resize(int width, int height);
    // Closes the window after this many buffer swaps (0: never).
    void CloseAfterFrames(int frames) { closeAfter_ = frames; }

    // ---- script: devices
    void SetVideoModes(std::vector<RtGlfwVideoMode> modes) { videoModes_ = std::move(modes); }
    void SetDesktopMode(RtGlfwVideoMode mode) { desktop_ = mode; }
    void SetJoystick(int port, std::vector<float> axes, std::vector<unsigned char> buttons);
    // A mapped gamepad on `port` (its raw joystick reading is SetJoystick's).
    void SetGamepad(int port, const GamepadState& pad) { gamepads_[port] = pad; }
    // Unplugs whatever is on `port`, raw joystick and gamepad alike.
    void RemoveJoystick(int port) {
        joysticks_.erase(port);
        gamepads_.erase(port);
    }
    void SetGlVersion(std::string version) { glVersion_ = std::move(version); }
    void SetSwapControl(bool offered) { swapControl_ = offered; }

    // ---- observation
    int FrameCount() const { return frames_; }
    int WindowsOpened() const { return windowsOpened_; }
    int WaitCount() const { return waits_; }
    double SleptTime() const { return slept_; }
    int WindowX() const { return windowX_; }
    int WindowY() const { return windowY_; }
    const std::string& Title() const { return title_; }
    const WindowRequest& LastWindowRequest() const { return request_; }
    bool CursorVisible() const { return cursorVisible_; }
    // The interval last applied to the driver (-1 before any).
    int DriverSwapInterval() const { return swapInterval_; }
    std::size_t PendingEvents() const { return queue_.size(); }
    int FullscreenSwitches() const { return fullscreenSwitches_; }

    // ---- HostPlatform
    double Now() override { return now_; }
    void Sleep(double seconds) override;
    bool CanSleep() override { return canSleep_; }
    bool CreateWindow(const WindowRequest& request, PlatformEvents& events) override;
    void DestroyWindow() override;
    bool IsWindowOpen() override { return open_; }
    void ShowWindow() override {}
    void SetWindowPos(int x, int y) override;
    void SetWindowTitle(const char* utf8) override { title_ = utf8; }
    void GetWindowSize(int& width, int& height) override;
    void SetFullscreen(bool on) override;
    bool IsFullscreen() override { return open_ && fullscreen_; }
    void GetCursorPos(double& x, double& y) override;
    void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
    bool IsWindowActive() override { return open_ && active_; }
    void SwapBuffers() override;
    void PollEvents() override;
    void WaitEvents() override;
    const char* GlVersion() override;
    void* GetProcAddress(const char* name) override;
    bool HasSwapControl() override { return open_ && swapControl_; }
    void SetSwapInterval(int interval) override;
    std::vector<RtGlfwVideoMode> VideoModes() override { return videoModes_; }
    RtGlfwVideoMode DesktopMode() override { return desktop_; }
    bool ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) override;
    bool ReadGamepad(int port, GamepadState& pad) override;

private:
    void Deliver();
    void FollowSize();

    Options options_;
    double now_;
    double frameTime_ = 0;
    double idleTime_ = 0;
    double slept_ = 0;
    bool canSleep_ = true;
    std::function<void(int)> onSwap_;
    std::deque<std::function<void()>> queue_;
    PlatformEvents* events_ = nullptr;
    bool open_ = false;
    bool active_ = true;
    int frames_ = 0;
    int closeAfter_ = 0;
    int windowsOpened_ = 0;
    int waits_ = 0;
    WindowRequest request_;
    int windowX_ = 0, windowY_ = 0;
    int width_ = 0, height_ = 0;
    bool fullscreen_ = false;
    int windowedWidth_ = 0, windowedHeight_ = 0;
    int fullscreenSwitches_ = 0;
    std::string title_;
    double cursorX_ = 0, cursorY_ = 0;
    bool cursorVisible_ = true;
    int swapInterval_ = -1;
    bool swapControl_ = true;
    std::string glVersion_ = "2.1 scripted";
    std::vector<RtGlfwVideoMode> videoModes_ = {{640, 480, 8, 8, 8}, {1280, 720, 8, 8, 8}, {1920, 1080, 8, 8, 8}};
    RtGlfwVideoMode desktop_ = {1920, 1080, 8, 8, 8};
    std::map<int, std::pair<std::vector<float>, std::vector<unsigned char>>> joysticks_;
    std::map<int, GamepadState> gamepads_;
    GLFWwindow* glWindow_ = nullptr;
};

// An RtCobaltGame on its own ScriptedPlatform: the usual way for a test to
// drive the host (and, through the delegate, the whole game) frame by frame.
// Its settings live in memory, never in a file: a test sets what the
// "saved" settings are before Start and reads what the host saved.
class ScriptedHost {
public:
    explicit ScriptedHost(ScriptedPlatform::Options options = {});
    ~ScriptedHost();

    ScriptedPlatform& Platform() { return *platform_; }
    GameSettings& Settings() { return settings_; }
    int SettingsSaves() const { return settingsSaves_; }
    RtCobaltGame& Game() { return *game_; }
    // Opens the window and starts the game (RtGlfwGame::BeginRun).
    bool Start();
    // Runs `count` passes of the main loop.
    void Frames(int count = 1);

private:
    GameSettings settings_;
    int settingsSaves_ = 0;
    ScriptedPlatform* platform_;
    std::unique_ptr<RtCobaltGame> game_;
};
