// rt_glfw_game.h — the host on a window system: the window, the paced main
// loop with its bounded catch-up, suspend and resume on focus changes, and
// the translation of window events into the game's key and mouse events,
// and the window's own keys: F11 and Alt+Enter switch fullscreen, and the
// game never sees them. The window's size and fullscreen are the player's
// settings (settings.h): the window opens as it was last left.
//
// Everything that touches the outside world (clock, sleeping, window,
// events, GL lookup, joysticks) goes through a HostPlatform, so the loop
// below runs unchanged on the real GLFW window and on a scripted platform in
// tests (scripted_platform.h).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "host/platform.h"
#include "host/rt_game.h"
#include "host/settings.h"

// The window the game opens.
inline constexpr int kWindowWidth = 960;
inline constexpr int kWindowHeight = 540;
inline constexpr const char* kWindowTitle = "Orbel DEMO";
// Updates a single frame may run before the backlog is dropped.
inline constexpr int kMaxCatchUpUpdates = 4;
// Seconds a new window size must hold before it is saved: dragging a border
// sends a stream of sizes, and only where it stops is worth a file write.
inline constexpr double kWindowSizeSaveDelay = 1.0;

class RtGlfwGame : public RtGame, private PlatformEvents {
public:
    explicit RtGlfwGame(std::unique_ptr<HostPlatform> platform);
    ~RtGlfwGame() override;

    // The one host, typed for the window system (null when there is none).
    static RtGlfwGame* GlfwInstance() { return glfwInstance_; }

    void SetUpdateRate(int rate) override;
    int ElapsedMilliseconds() override;
    bool PollJoystick(int port, JoyAxes& x, JoyAxes& y, JoyAxes& z, JoyButtons& buttons) override;
    bool PollGamepad(int port, GamepadState& pad) override;
    // Hands the URL to the desktop's handler (xdg-open) as one argument;
    // no shell ever sees it.
    void OpenUrl(StringView url) override;
    void SetMouseVisible(bool visible) override;
    int GetDeviceWidth() override;
    int GetDeviceHeight() override;
    void SetDeviceWindow(int width, int height, int flags) override;
    std::vector<RtDisplayMode> GetDisplayModes() override;
    std::optional<RtDisplayMode> GetDesktopMode() override;
    void SetSwapInterval(int interval) override;
    String MapDataPath(StringView path) override;
    // Decode files of the mapped path; the renderer's image loading goes
    // through LoadImageData while this host exists.
    ImageData LoadImageData(StringView path) override;
    std::optional<AudioData> LoadAudioData(StringView path) override;
    std::unique_ptr<AudioStream> OpenAudioStream(StringView path) override;

    // Opens (or re-opens) the window, centred on the desktop when windowed,
    // and installs the event callbacks. False when no window could be made.
    virtual bool OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                            int depthBits, int stencilBits, bool fullscreen);
    virtual RtGlfwVideoMode GetDesktopVideoMode();
    virtual std::vector<RtGlfwVideoMode> GetVideoModes();
    // The main loop: opens the window at the saved size (960 x 540 at
    // first) or fullscreen as last left, starts the game and runs frames
    // while the window is open. False when the window could not be opened.
    virtual bool Run();

    // Run in pieces, for drivers that step the loop themselves (a browser
    // calls RunFrame as it paints): BeginRun opens the window and starts
    // the game; RunFrame is one pass of the loop (render and swap, sleep
    // until the next update is due, poll events with the focus rule, up to
    // four updates, save a window size that has settled).
    bool BeginRun();
    void RunFrame();
    bool IsWindowOpen();

    // Sets the driver's swap interval directly when a window is open and
    // the driver offers swap control, leaving the stored interval alone.
    // True when applied.
    bool ApplyDriverSwapInterval(int interval);

    // Switches between the window and borderless fullscreen, and saves the
    // choice.
    void ToggleFullscreen();
    // Where the settings are read and written; the settings file
    // (LoadSettings, SaveSettings) unless replaced, as tests do.
    using SettingsLoader = std::function<GameSettings()>;
    using SettingsSaver = std::function<bool(const GameSettings&)>;
    void UseSettingsStore(SettingsLoader load, SettingsSaver save);

    // The time in seconds on the host clock.
    double Now();
    HostPlatform& Platform() { return *platform_; }
    // When the next update is due (0: not scheduled).
    double NextUpdate() const { return nextUpdate_; }

private:
    void OnKey(int glfwKey, int action) override;
    void OnChar(unsigned codepoint) override;
    void OnMouseButton(int button, int action) override;
    void OnCursorPos(double x, double y) override;
    void OnCloseRequest() override;
    void OnFramebufferResize(int width, int height) override;
    // True when the key is the window's own (F11, Alt+Enter) and must not
    // reach the game: its press toggles fullscreen, and its repeats and
    // release go the same way.
    bool TakeWindowKey(int glfwKey, int action);
    void PollWindowEvents();
    // Whether this frame runs updates: always after a sleep, and on a
    // platform that cannot sleep only once the next one is due.
    bool UpdatesDue();
    void RunUpdates();
    // Writes the window's size and fullscreen into the settings, keeping
    // what else the file holds.
    void SaveWindowSettings();

    static RtGlfwGame* glfwInstance_;
    std::unique_ptr<HostPlatform> platform_;
    double updatePeriod_ = 0;
    double nextUpdate_ = 0;
    int swapInterval_ = -1;

    SettingsLoader loadSettings_;
    SettingsSaver saveSettings_;
    // The window's size when not fullscreen, as last seen.
    int windowedWidth_ = kWindowWidth;
    int windowedHeight_ = kWindowHeight;
    // A windowed size not saved yet, and when it last changed.
    bool windowSizeUnsaved_ = false;
    double windowSizeChangedAt_ = 0;
    bool leftAltDown_ = false;
    bool rightAltDown_ = false;
    // Keys whose press was the window's: their release is too.
    std::vector<int> heldWindowKeys_;
};

// The concrete host that main constructs.
class RtCobaltGame final : public RtGlfwGame {
public:
    using RtGlfwGame::RtGlfwGame;
};

// Fills one joystick reading from GLFW's axes and buttons: axes 0-2 are the
// first stick, 3-5 the second; up to 32 buttons, with pads of more than 12
// buttons reordered so their last four land on 8-11; two known pads have
// their second stick corrected.
void MapJoystick(const std::vector<float>& axes, const std::vector<unsigned char>& buttons, JoyAxes& x, JoyAxes& y,
                 JoyAxes& z, JoyButtons& out);
