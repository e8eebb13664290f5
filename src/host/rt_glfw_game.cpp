// rt_glfw_game.cpp — see rt_glfw_game.h.
#include "host/rt_glfw_game.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cerrno>

#include "host/audio_data.h"
#include "host/files.h"
#include "host/gl_context.h"
#include "host/glfw_keys.h"
#include "host/image_data.h"
#include "host/open_url.h"

RtGlfwGame* RtGlfwGame::glfwInstance_ = nullptr;

RtGlfwGame::RtGlfwGame(std::unique_ptr<HostPlatform> platform)
    : platform_(std::move(platform)), loadSettings_(LoadSettings), saveSettings_(SaveSettings) {
    glfwInstance_ = this;
    SetImageDataLoader([this](StringView path) { return LoadImageData(path); });
}

RtGlfwGame::~RtGlfwGame() {
    // A window size the player left just before the end is still kept.
    if (windowSizeUnsaved_) SaveWindowSettings();
    platform_->DestroyWindow();
    if (glfwInstance_ == this) {
        glfwInstance_ = nullptr;
        SetImageDataLoader({});
    }
}

double RtGlfwGame::Now() { return platform_->Now(); }

void RtGlfwGame::SetUpdateRate(int rate) {
    RtGame::SetUpdateRate(rate);
    if (rate != 0) updatePeriod_ = 1.0 / rate;
    nextUpdate_ = 0;
}

int RtGlfwGame::ElapsedMilliseconds() { return static_cast<int>(Now() * 1000.0); }

// ---- joysticks ------------------------------------------------------------

void MapJoystick(const std::vector<float>& axes, const std::vector<unsigned char>& buttons, JoyAxes& x, JoyAxes& y,
                 JoyAxes& z, JoyButtons& out) {
    auto axis = [&](std::size_t i) { return i < axes.size() ? axes[i] : 0.0f; };
    x = {axis(0), axis(3)};
    y = {axis(1), axis(4)};
    z = {axis(2), axis(5)};

    int n = static_cast<int>(std::min<std::size_t>(buttons.size(), out.size()));
    auto down = [&](int i) { return buttons[static_cast<std::size_t>(i)] == GLFW_PRESS; };
    out.fill(false);
    if (n <= 12) {
        for (int i = 0; i < n; ++i) out[i] = down(i);
    } else {
        // Pads with many buttons keep their face and shoulder buttons on
        // 0-7, their last four (start, select, stick clicks) on 8-11, and
        // the rest after those.
        for (int i = 0; i < 8; ++i) out[i] = down(i);
        for (int i = 0; i < 4; ++i) out[8 + i] = down(n - 4 + i);
        for (int i = 8; i < n - 4; ++i) out[12 + (i - 8)] = down(i);
    }
    if (axes.size() == 5 && buttons.size() == 14) {
        x[1] = axis(4);
        y[1] = -axis(3);
    } else if (axes.size() == 4 && buttons.size() == 18) {
        y[1] = -z[0];
    }
}

bool RtGlfwGame::PollJoystick(int port, JoyAxes& x, JoyAxes& y, JoyAxes& z, JoyButtons& buttons) {
    std::vector<float> axes;
    std::vector<unsigned char> pressed;
    if (!platform_->ReadJoystick(port, axes, pressed)) return false;
    MapJoystick(axes, pressed, x, y, z, buttons);
    return true;
}

bool RtGlfwGame::PollGamepad(int port, GamepadState& pad) { return platform_->ReadGamepad(port, pad); }

// ---- services ---------------------------------------------------------------

void RtGlfwGame::OpenUrl(StringView url) { LaunchUrl(ToUtf8(url)); }

void RtGlfwGame::SetMouseVisible(bool visible) { platform_->SetCursorVisible(visible); }

int RtGlfwGame::GetDeviceWidth() {
    int w = 0, h = 0;
    platform_->GetWindowSize(w, h);
    return w;
}

int RtGlfwGame::GetDeviceHeight() {
    int w = 0, h = 0;
    platform_->GetWindowSize(w, h);
    return h;
}

void RtGlfwGame::SetDeviceWindow(int width, int height, int flags) {
    OpenWindow(width, height, 8, 8, 8, 0, 32, 0, (flags & 1) != 0);
}

std::vector<RtDisplayMode> RtGlfwGame::GetDisplayModes() {
    std::vector<RtDisplayMode> modes;
    for (const RtGlfwVideoMode& m : GetVideoModes()) modes.push_back({m.width, m.height});
    return modes;
}

std::optional<RtDisplayMode> RtGlfwGame::GetDesktopMode() {
    RtGlfwVideoMode m = GetDesktopVideoMode();
    // Without a monitor GLFW has no desktop mode to report.
    if (m.width <= 0 || m.height <= 0) return std::nullopt;
    return RtDisplayMode{m.width, m.height};
}

void RtGlfwGame::SetSwapInterval(int interval) {
    swapInterval_ = interval;
    if (interval >= 0) ApplyDriverSwapInterval(interval);
}

bool RtGlfwGame::ApplyDriverSwapInterval(int interval) {
    if (!platform_->IsWindowOpen() || !platform_->HasSwapControl()) return false;
    platform_->SetSwapInterval(interval);
    return true;
}

String RtGlfwGame::MapDataPath(StringView path) { return ::MapDataPath(path); }

ImageData RtGlfwGame::LoadImageData(StringView path) {
    String mapped = MapDataPath(path);
    if (mapped.empty()) return {};
    ImageData image = DecodeImageFile(ToUtf8(mapped));
    if (image) LoadedByteCount().fetch_add(static_cast<long long>(image.ByteSize()));
    return image;
}

std::optional<AudioData> RtGlfwGame::LoadAudioData(StringView path) { return LoadAudioFile(path); }

std::unique_ptr<AudioStream> RtGlfwGame::OpenAudioStream(StringView path) { return ::OpenAudioStream(path); }

RtGlfwVideoMode RtGlfwGame::GetDesktopVideoMode() { return platform_->DesktopMode(); }
std::vector<RtGlfwVideoMode> RtGlfwGame::GetVideoModes() { return platform_->VideoModes(); }

// ---- window -------------------------------------------------------------------

bool RtGlfwGame::OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                            int depthBits, int stencilBits, bool fullscreen) {
    platform_->DestroyWindow();
    WindowRequest request{width, height, redBits, greenBits, blueBits, alphaBits, depthBits, stencilBits, fullscreen};
    bool opened = platform_->CreateWindow(request, *this);
    BumpContextGeneration();
    if (!opened) return false;
    // Centred even when it goes fullscreen at once: that picks the monitor,
    // and leaving fullscreen comes back here.
    RtGlfwVideoMode desktop = platform_->DesktopMode();
    platform_->SetWindowPos((desktop.width - width) / 2, (desktop.height - height) / 2);
    platform_->SetWindowTitle(kWindowTitle);
    platform_->ShowWindow();
    windowedWidth_ = width;
    windowedHeight_ = height;
    if (fullscreen) platform_->SetFullscreen(true);

    int version = GlVersionNumber(platform_->GlVersion());
    GlProcs() = LookUpGlEntryPoints(version, [&](const char* name) { return platform_->GetProcAddress(name); });

    if (swapInterval_ >= 0) ApplyDriverSwapInterval(swapInterval_);

    double x = 0, y = 0;
    platform_->GetCursorPos(x, y);
    MouseEvent(kEventMouseMove, -1, static_cast<float>(x), static_cast<float>(y));
    return true;
}

bool RtGlfwGame::IsWindowOpen() { return platform_->IsWindowOpen(); }

// ---- main loop ---------------------------------------------------------------

void RtGlfwGame::UseSettingsStore(SettingsLoader load, SettingsSaver save) {
    loadSettings_ = std::move(load);
    saveSettings_ = std::move(save);
}

void RtGlfwGame::SaveWindowSettings() {
    windowSizeUnsaved_ = false;
    if (!loadSettings_ || !saveSettings_) return;
    GameSettings settings = loadSettings_();
    settings.fullscreen = platform_->IsFullscreen();
    settings.windowWidth = windowedWidth_;
    settings.windowHeight = windowedHeight_;
    saveSettings_(settings);
}

void RtGlfwGame::ToggleFullscreen() {
    if (!platform_->IsWindowOpen()) return;
    platform_->SetFullscreen(!platform_->IsFullscreen());
    SaveWindowSettings();
}

bool RtGlfwGame::BeginRun() {
    const GameSettings settings = loadSettings_ ? loadSettings_() : GameSettings{};
    if (!OpenWindow(settings.windowWidth, settings.windowHeight, 8, 8, 8, 0, 32, 0, settings.fullscreen)) return false;
    StartGame();
    return true;
}

bool RtGlfwGame::Run() {
    if (!BeginRun()) return false;
    while (IsWindowOpen()) RunFrame();
    return true;
}

void RtGlfwGame::RunFrame() {
    RenderGame();
    platform_->SwapBuffers();

    if (nextUpdate_ != 0) {
        double delay = nextUpdate_ - Now();
        if (delay > 0) platform_->Sleep(delay);
    }

    PollWindowEvents();
    if (!suspended_ && UpdatesDue()) RunUpdates();
    if (windowSizeUnsaved_ && Now() - windowSizeChangedAt_ >= kWindowSizeSaveDelay) SaveWindowSettings();
}

void RtGlfwGame::PollWindowEvents() {
    // Time spent away is not caught up: both transitions restart the
    // update schedule.
    if (!suspended_) {
        platform_->PollEvents();
        if (platform_->IsWindowActive()) return;
        // Keys held while the focus goes are released elsewhere, unseen.
        leftAltDown_ = rightAltDown_ = false;
        SuspendGame();
        nextUpdate_ = 0;
    } else {
        platform_->WaitEvents();
        if (!platform_->IsWindowActive()) return;
        ResumeGame();
        nextUpdate_ = 0;
    }
}

bool RtGlfwGame::UpdatesDue() {
    // Half an update early is on time: frames that come at the update rate
    // then run one update each, whatever their phase against the schedule,
    // rather than none and two by turns.
    if (platform_->CanSleep() || updateRate_ == 0 || nextUpdate_ == 0) return true;
    return Now() >= nextUpdate_ - updatePeriod_ / 2;
}

void RtGlfwGame::RunUpdates() {
    if (updateRate_ == 0) {
        UpdateGame();
        return;
    }
    if (nextUpdate_ == 0) nextUpdate_ = Now();
    int count = 0;
    for (;;) {
        UpdateGame();
        if (nextUpdate_ == 0) break;  // the rate changed during the update
        nextUpdate_ += updatePeriod_;
        if (Now() < nextUpdate_) break;
        if (++count == kMaxCatchUpUpdates) break;
    }
    // Still behind after the bound: drop the backlog and restart the
    // schedule from the next frame.
    if (count == kMaxCatchUpUpdates) nextUpdate_ = 0;
}

// ---- window events -----------------------------------------------------------

bool RtGlfwGame::TakeWindowKey(int glfwKey, int action) {
    if (glfwKey == GLFW_KEY_LEFT_ALT) leftAltDown_ = action != GLFW_RELEASE;
    if (glfwKey == GLFW_KEY_RIGHT_ALT) rightAltDown_ = action != GLFW_RELEASE;
    auto held = std::find(heldWindowKeys_.begin(), heldWindowKeys_.end(), glfwKey);
    if (held != heldWindowKeys_.end()) {
        if (action == GLFW_RELEASE) heldWindowKeys_.erase(held);
        return true;
    }
    if (action != GLFW_PRESS) return false;
    const bool altEnter = glfwKey == GLFW_KEY_ENTER && (leftAltDown_ || rightAltDown_);
    if (glfwKey != GLFW_KEY_F11 && !altEnter) return false;
    heldWindowKeys_.push_back(glfwKey);
    ToggleFullscreen();
    return true;
}

void RtGlfwGame::OnKey(int glfwKey, int action) {
    if (TakeWindowKey(glfwKey, action)) return;
    int code = TranslateGlfwKey(glfwKey);
    if (code == 0) return;
    if (action == GLFW_RELEASE) {
        KeyEvent(kEventKeyUp, code);
        return;
    }
    // A held key repeats as further presses, as the input device expects.
    if (action != GLFW_PRESS && action != GLFW_REPEAT) return;
    KeyEvent(kEventKeyDown, code);
    // Editing and navigation keys also arrive as characters, the
    // navigation ones with bit 16 set so they cannot be mistaken for text.
    if ((code >= 33 && code <= 40) || code == 45) {
        KeyEvent(kEventChar, code | 0x10000);
    } else if (code == 8 || code == 9 || code == 13 || code == 27) {
        KeyEvent(kEventChar, code);
    } else if (code == 46) {
        KeyEvent(kEventChar, 127);
    }
}

void RtGlfwGame::OnChar(unsigned codepoint) { KeyEvent(kEventChar, static_cast<int>(codepoint)); }

void RtGlfwGame::OnMouseButton(int button, int action) {
    if (button < 0 || button > 2) return;
    double x = 0, y = 0;
    platform_->GetCursorPos(x, y);
    if (action == GLFW_PRESS) {
        MouseEvent(kEventMouseDown, button, static_cast<float>(x), static_cast<float>(y));
    } else if (action == GLFW_RELEASE) {
        MouseEvent(kEventMouseUp, button, static_cast<float>(x), static_cast<float>(y));
    }
}

void RtGlfwGame::OnCursorPos(double x, double y) {
    MouseEvent(kEventMouseMove, -1, static_cast<float>(x), static_cast<float>(y));
}

void RtGlfwGame::OnFramebufferResize(int width, int height) {
    // Fullscreen's size is the monitor's, and a minimised window has none:
    // neither is a size to come back to.
    if (platform_->IsFullscreen() || width <= 0 || height <= 0) return;
    if (width == windowedWidth_ && height == windowedHeight_) return;
    windowedWidth_ = width;
    windowedHeight_ = height;
    windowSizeUnsaved_ = true;
    windowSizeChangedAt_ = Now();
}

void RtGlfwGame::OnCloseRequest() {
    KeyEvent(kEventKeyDown, KEY_CLOSE);
    KeyEvent(kEventKeyUp, KEY_CLOSE);
}
