// scripted_platform.cpp — see scripted_platform.h.
#include "support/scripted_platform.h"

#include <GLFW/glfw3.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "host/glfw_platform.h"
#include "host/rt_glfw_game.h"

ScriptedPlatform::ScriptedPlatform() : ScriptedPlatform(Options{}) {}

ScriptedPlatform::ScriptedPlatform(Options options) : options_(options), now_(options.startTime) {
    if (options_.glContext) {
        // LeakSanitizer's exit-time scan can crash on the thread-local
        // storage of Mesa's driver, depending on heap layout: a process that
        // is about to load the driver runs its leak check now and skips the
        // one at exit (tests/graphics/graphics_test_support.h says more).
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
        glfwInit();
    }
}

// GLFW stays initialised after a GL platform goes: terminating unloads the
// GL driver, whose remaining allocations would then read as leaks.
ScriptedPlatform::~ScriptedPlatform() { DestroyWindow(); }

void ScriptedPlatform::Sleep(double seconds) {
    if (seconds <= 0 || !canSleep_) return;
    now_ += seconds;
    slept_ += seconds;
}

// ---- script -------------------------------------------------------------------

void ScriptedPlatform::KeyDown(int glfwKey) {
    queue_.push_back([this, glfwKey] { events_->OnKey(glfwKey, GLFW_PRESS); });
}

void ScriptedPlatform::KeyRepeat(int glfwKey) {
    queue_.push_back([this, glfwKey] { events_->OnKey(glfwKey, GLFW_REPEAT); });
}

void ScriptedPlatform::KeyUp(int glfwKey) {
    queue_.push_back([this, glfwKey] { events_->OnKey(glfwKey, GLFW_RELEASE); });
}

void ScriptedPlatform::Char(unsigned codepoint) {
    queue_.push_back([this, codepoint] { events_->OnChar(codepoint); });
}

void ScriptedPlatform::MouseDown(int button) {
    queue_.push_back([this, button] { events_->OnMouseButton(button, GLFW_PRESS); });
}

void ScriptedPlatform::MouseUp(int button) {
    queue_.push_back([this, button] { events_->OnMouseButton(button, GLFW_RELEASE); });
}

void ScriptedPlatform::MouseMove(double x, double y) {
    queue_.push_back([this, x, y] {
        cursorX_ = x;
        cursorY_ = y;
        events_->OnCursorPos(x, y);
    });
}

void ScriptedPlatform::Focus(bool active) {
    queue_.push_back([this, active] { active_ = active; });
}

void ScriptedPlatform::RequestClose() {
    queue_.push_back([this] { events_->OnCloseRequest(); });
}

void ScriptedPlatform::Resize(int width, int height) {
    queue_.push_back([this, width, height] {
        width_ = width;
        height_ = height;
        FollowSize();
        events_->OnFramebufferResize(width, height);
    });
}

void ScriptedPlatform::CloseWindow() { DestroyWindow(); }

void ScriptedPlatform::SetJoystick(int port, std::vector<float> axes, std::vector<unsigned char> buttons) {
    joysticks_[port] = {std::move(axes), std::move(buttons)};
}

// ---- window -------------------------------------------------------------------

bool ScriptedPlatform::CreateWindow(const WindowRequest& request, PlatformEvents& events) {
    DestroyWindow();
    if (options_.glContext) {
        GlfwPlatform::HintBits(request);
        // Titled apart from the game's window so a search for the real one
        // never finds it.
        glWindow_ = glfwCreateWindow(request.width, request.height, "Orbel scripted", nullptr, nullptr);
        if (!glWindow_) return false;
        glfwMakeContextCurrent(glWindow_);
    }
    request_ = request;
    width_ = request.width;
    height_ = request.height;
    fullscreen_ = false;
    events_ = &events;
    open_ = true;
    active_ = true;
    ++windowsOpened_;
    return true;
}

void ScriptedPlatform::DestroyWindow() {
    if (glWindow_) {
        glfwDestroyWindow(glWindow_);
        glWindow_ = nullptr;
    }
    open_ = false;
}

void ScriptedPlatform::SetWindowPos(int x, int y) {
    windowX_ = x;
    windowY_ = y;
}

void ScriptedPlatform::GetWindowSize(int& width, int& height) {
    width = open_ ? width_ : 0;
    height = open_ ? height_ : 0;
}

// The real GL window, if any, takes the scripted size, so what is drawn
// into it has the framebuffer the host believes in.
void ScriptedPlatform::FollowSize() {
    if (glWindow_) glfwSetWindowSize(glWindow_, width_, height_);
}

void ScriptedPlatform::SetFullscreen(bool on) {
    if (!open_ || on == fullscreen_) return;
    ++fullscreenSwitches_;
    fullscreen_ = on;
    if (on) {
        windowedWidth_ = width_;
        windowedHeight_ = height_;
        width_ = desktop_.width;
        height_ = desktop_.height;
    } else {
        width_ = windowedWidth_;
        height_ = windowedHeight_;
    }
    FollowSize();
    queue_.push_back([this, w = width_, h = height_] { events_->OnFramebufferResize(w, h); });
}

void ScriptedPlatform::GetCursorPos(double& x, double& y) {
    x = cursorX_;
    y = cursorY_;
}

void ScriptedPlatform::SwapBuffers() {
    ++frames_;
    if (onSwap_) onSwap_(frames_);
    if (glWindow_) glfwSwapBuffers(glWindow_);
    now_ += frameTime_;
    if (closeAfter_ > 0 && frames_ >= closeAfter_) CloseWindow();
}

void ScriptedPlatform::Deliver() {
    if (glWindow_) glfwPollEvents();  // drain the real window; its events are not the script's
    // Events queued while delivering (by a callback) wait for the next poll.
    std::size_t n = queue_.size();
    for (std::size_t i = 0; i < n && !queue_.empty(); ++i) {
        auto event = std::move(queue_.front());
        queue_.pop_front();
        if (events_) event();
    }
}

void ScriptedPlatform::PollEvents() { Deliver(); }

void ScriptedPlatform::WaitEvents() {
    ++waits_;
    if (queue_.empty()) now_ += idleTime_;
    Deliver();
}

// ---- GL, displays, joysticks -----------------------------------------------

const char* ScriptedPlatform::GlVersion() {
    if (!open_) return nullptr;
    if (glWindow_) {
        using GetString = const unsigned char* (*)(unsigned);
        auto getString = reinterpret_cast<GetString>(glfwGetProcAddress("glGetString"));
        return getString ? reinterpret_cast<const char*>(getString(0x1F02)) : nullptr;
    }
    return glVersion_.c_str();
}

void* ScriptedPlatform::GetProcAddress(const char* name) {
    return glWindow_ ? reinterpret_cast<void*>(glfwGetProcAddress(name)) : nullptr;
}

void ScriptedPlatform::SetSwapInterval(int interval) {
    swapInterval_ = interval;
    if (glWindow_) glfwSwapInterval(interval);
}

bool ScriptedPlatform::ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) {
    auto it = joysticks_.find(port);
    if (it == joysticks_.end()) return false;
    axes = it->second.first;
    buttons = it->second.second;
    return true;
}

bool ScriptedPlatform::ReadGamepad(int port, GamepadState& pad) {
    auto it = gamepads_.find(port);
    if (it == gamepads_.end()) return false;
    pad = it->second;
    return true;
}

// ---- ScriptedHost ---------------------------------------------------------------

ScriptedHost::ScriptedHost(ScriptedPlatform::Options options) {
    auto platform = std::make_unique<ScriptedPlatform>(options);
    platform_ = platform.get();
    game_ = std::make_unique<RtCobaltGame>(std::move(platform));
    game_->UseSettingsStore([this] { return settings_; },
                            [this](const GameSettings& settings) {
                                settings_ = settings;
                                ++settingsSaves_;
                                return true;
                            });
}

ScriptedHost::~ScriptedHost() = default;

bool ScriptedHost::Start() { return game_->BeginRun(); }

void ScriptedHost::Frames(int count) {
    for (int i = 0; i < count; ++i) game_->RunFrame();
}
