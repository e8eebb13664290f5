// rt_game.h — RtGame, the host: the one object between the operating system
// and the game. It owns the delegate, guards every callback into the game
// (started/suspended state, error report, collection step) and offers the
// game its services: clock, date, files, state file, joysticks, display
// modes. RtGlfwGame (rt_glfw_game.h) fills in the window system.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "host/audio_data.h"
#include "host/image_data.h"
#include "host/object.h"
#include "host/rt_game_delegate.h"
#include "host/text.h"

class ThrowableObject;

// Event codes of KeyEvent and MouseEvent.
inline constexpr int kEventKeyDown = 1;
inline constexpr int kEventKeyUp = 2;
inline constexpr int kEventChar = 3;
inline constexpr int kEventMouseDown = 4;
inline constexpr int kEventMouseUp = 5;
inline constexpr int kEventMouseMove = 6;
inline constexpr int kEventTouchDown = 7;
inline constexpr int kEventTouchUp = 8;
inline constexpr int kEventTouchMove = 9;
inline constexpr int kEventAccel = 10;

// Pseudo key codes beside the keyboard's.
inline constexpr int KEY_BACK = 416;
inline constexpr int KEY_CLOSE = 432;

// A display mode as the host reports it; the last three fields are always 0.
struct RtDisplayMode {
    int width = 0;
    int height = 0;
    int format = 0;
    int depth = 0;
    int hertz = 0;
};

// One joystick's reading: two sticks (x, y, z each) and 32 buttons.
using JoyAxes = std::array<float, 2>;
using JoyButtons = std::array<bool, 32>;
struct GamepadState;  // platform.h

class RtGame {
public:
    RtGame();
    virtual ~RtGame();
    RtGame(const RtGame&) = delete;
    RtGame& operator=(const RtGame&) = delete;

    // The one host (null before it is made and after it is gone).
    static RtGame* Instance() { return instance_; }

    virtual void SetDelegate(Ref<RtGameDelegate> delegate);
    virtual RtGameDelegate* GetDelegate();
    virtual void SetKeyboardEnabled(bool enabled);
    virtual bool IsKeyboardEnabled();
    virtual void SetUpdateRate(int rate);
    virtual int GetUpdateRate();
    virtual bool IsStarted();
    virtual bool IsSuspended();
    virtual int ElapsedMilliseconds();
    // Fills as many of year, month, day, hour, minute, second, milliseconds
    // (always 0) as the array holds, from the local time.
    virtual void GetDate(std::span<int> date);
    virtual int SaveState(StringView text);
    virtual String LoadState();
    virtual String LoadString(StringView path);
    virtual bool PollJoystick(int port, JoyAxes& x, JoyAxes& y, JoyAxes& z, JoyButtons& buttons);
    // Port `port` (0-15) as a mapped gamepad; false without one.
    virtual bool PollGamepad(int port, GamepadState& pad);
    virtual void OpenUrl(StringView url);
    virtual void SetMouseVisible(bool visible);
    virtual int GetDeviceWidth();
    virtual int GetDeviceHeight();
    virtual void SetDeviceWindow(int width, int height, int flags);
    virtual std::vector<RtDisplayMode> GetDisplayModes();
    virtual std::optional<RtDisplayMode> GetDesktopMode();
    virtual void SetSwapInterval(int interval);
    virtual String MapDataPath(StringView path);
    virtual std::FILE* OpenFile(StringView path, const char* mode);
    virtual std::optional<std::vector<std::uint8_t>> LoadData(StringView path);
    // Decoded pixels with their size and depth (empty when the file is
    // missing or does not decode).
    virtual ImageData LoadImageData(StringView path);
    // Decoded samples with their length, channels, format and rate, or
    // nothing.
    virtual std::optional<AudioData> LoadAudioData(StringView path);
    // Opens a sound for streaming (music); null when it cannot be had.
    virtual std::unique_ptr<AudioStream> OpenAudioStream(StringView path);
    [[noreturn]] virtual void ReportUncaughtError(const Ref<ThrowableObject>& error);
    virtual void CollectGarbage();

    // The delegate callbacks, each guarded by the host's state.
    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int event, int data);
    virtual void MouseEvent(int event, int data, float x, float y);
    virtual void TouchEvent(int event, int data, float x, float y);
    virtual void MotionEvent(int event, int data, float x, float y, float z);
    virtual void DiscardGraphics();

protected:
    // Runs a delegate callback inside the game-error handler, then one
    // collection step.
    template <class F>
    void CallDelegate(F&& call);

    Ref<RtGameDelegate> delegate_;
    bool keyboardEnabled_ = false;
    int updateRate_ = 0;
    bool started_ = false;
    bool suspended_ = false;

private:
    static RtGame* instance_;
};
