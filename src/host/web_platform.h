// web_platform.h — the platform in a web browser: Emscripten's GLFW window on
// the page's canvas with its WebGL context, the page's clock, the browser's
// gamepads, and the page's own fullscreen and focus.
//
// The browser drives the frames (it calls one each time it paints), so Sleep
// cannot wait and WaitEvents cannot block: the loop's paced-update rule runs a
// frame's updates once they are due instead (CanSleep). The canvas's size is
// the page's to choose (it fits the window in whole multiples of the virtual
// screen); the window request only opens the GL context, and a size the page
// sets reaches the loop as a framebuffer resize (the page draws the game at
// its virtual screen's size and scales that up on screen). A hidden tab or a blurred
// page is a window without the focus, so the loop suspends and resumes the
// game as it does on the desktop; since a hidden tab gets no frames, the
// platform runs one frame itself on each change (SetActivityListener) so the
// suspension happens at once.
#pragma once

#include <functional>

#include "host/platform.h"

struct GLFWwindow;

class WebPlatform final : public HostPlatform {
public:
    WebPlatform();
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    // Called after the page is hidden or shown, or loses or gains the focus.
    void SetActivityListener(std::function<void()> listener) { activityListener_ = std::move(listener); }

    double Now() override;
    void Sleep(double seconds) override;
    bool CanSleep() override { return false; }

    bool CreateWindow(const WindowRequest& request, PlatformEvents& events) override;
    void DestroyWindow() override;
    bool IsWindowOpen() override { return window_ != nullptr; }
    void ShowWindow() override {}
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char* utf8) override;
    void GetWindowSize(int& width, int& height) override;
    // Asks the page for fullscreen: it takes effect when the browser allows
    // it (from a key press or a click), and the page may leave it itself.
    void SetFullscreen(bool on) override;
    bool IsFullscreen() override;
    void GetCursorPos(double& x, double& y) override;
    void SetCursorVisible(bool visible) override;
    bool IsWindowActive() override;
    void SwapBuffers() override {}
    void PollEvents() override;
    void WaitEvents() override { PollEvents(); }

    const char* GlVersion() override;
    void* GetProcAddress(const char* name) override;
    bool HasSwapControl() override { return false; }
    void SetSwapInterval(int) override {}

    std::vector<RtGlfwVideoMode> VideoModes() override;
    RtGlfwVideoMode DesktopMode() override;
    bool ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) override;
    // Pads the browser reports in its standard mapping (standard_gamepad.h).
    bool ReadGamepad(int port, GamepadState& pad) override;

    // The page's state as the browser reports it (its listeners call this).
    void SetPageState(bool hidden, bool focused);
    // Takes in a canvas size the page has changed; true when it changed.
    bool FollowCanvasSize();
    bool PageHidden() const { return hidden_; }
    bool PageFocused() const { return focused_; }

private:
    GLFWwindow* window_ = nullptr;
    PlatformEvents* events_ = nullptr;
    bool hidden_ = false;
    bool focused_ = true;
    // The canvas size last reported to the loop.
    int width_ = 0, height_ = 0;
    // Bit n: the browser's gamepad n is in the standard mapping.
    unsigned standardPads_ = 0;
    std::function<void()> activityListener_;
};
