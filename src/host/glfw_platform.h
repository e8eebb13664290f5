// glfw_platform.h — the real platform: a GLFW 3 window with its GL context,
// GLFW's clock and joysticks, and real sleeping.
#pragma once

#include <cstdio>
#include <functional>

#include "host/platform.h"

struct GLFWwindow;

// True when `text` is one or more gamepad mappings in the SDL text form, a
// line each: 32 hex digits of joystick GUID, a name, then key:value pairs,
// all comma-separated (blank lines and # comments allowed).
bool IsGamepadMappingText(const char* text);
// Adds the mappings in `text` (SDL_GAMECONTROLLERCONFIG's value, null when it
// is unset) to the window system's database through `update`
// (glfwUpdateGamepadMappings in the real platform, after glfwInit). Text that
// is not mappings, or that `update` rejects, is dropped with one line on
// `log`. False when something was dropped.
bool AddGamepadMappings(const char* text, const std::function<bool(const char*)>& update, std::FILE* log);

class GlfwPlatform final : public HostPlatform {
public:
    // glfwInit with an error callback that prints GLFW's complaints to
    // standard error, then the gamepad mappings of SDL_GAMECONTROLLERCONFIG
    // on top of GLFW's own; false when the window system cannot be reached.
    static bool Init();
    static void Terminate();
    // Resets GLFW's window hints and asks for the request's colour, depth
    // and stencil bits (the scripted platform's real context asks the same).
    static void HintBits(const WindowRequest& request);

    GlfwPlatform() = default;
    ~GlfwPlatform() override;
    GlfwPlatform(const GlfwPlatform&) = delete;
    GlfwPlatform& operator=(const GlfwPlatform&) = delete;

    double Now() override;
    void Sleep(double seconds) override;

    bool CreateWindow(const WindowRequest& request, PlatformEvents& events) override;
    void DestroyWindow() override;
    bool IsWindowOpen() override { return window_ != nullptr; }
    void ShowWindow() override;
    void SetWindowPos(int x, int y) override;
    void SetWindowTitle(const char* utf8) override;
    void GetWindowSize(int& width, int& height) override;
    void SetFullscreen(bool on) override;
    bool IsFullscreen() override;
    void GetCursorPos(double& x, double& y) override;
    void SetCursorVisible(bool visible) override;
    bool IsWindowActive() override;
    void SwapBuffers() override;
    void PollEvents() override;
    void WaitEvents() override;

    const char* GlVersion() override;
    void* GetProcAddress(const char* name) override;
    bool HasSwapControl() override;
    void SetSwapInterval(int interval) override;

    std::vector<RtGlfwVideoMode> VideoModes() override;
    RtGlfwVideoMode DesktopMode() override;
    bool ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) override;
    bool ReadGamepad(int port, GamepadState& pad) override;

    GLFWwindow* Window() const { return window_; }

private:
    GLFWwindow* window_ = nullptr;
    PlatformEvents* events_ = nullptr;
    // The window's place and size before it went fullscreen.
    int windowedX_ = 0, windowedY_ = 0, windowedWidth_ = 0, windowedHeight_ = 0;
};
