// game_delegate.h — c_GameDelegate, which turns the host's callbacks into
// the application's life cycle and owns the three devices: graphics,
// audio and input. They are created in StartGame, in that order, and live
// for the rest of the run.
#pragma once

#include <vector>

#include "host/rt_game_delegate.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;
class c_DisplayMode;

class c_GameDelegate final : public RtGameDelegate {
public:
    String ToString() const override { return u"GameDelegate"; }

    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    // Passes the event to the input device; a key-down of the close box
    // (432) or the back key (416) then ends the program (exit code 0).
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
    void TouchEvent(int event, int data, float x, float y) override;
    void MotionEvent(int event, int data, float x, float y, float z) override;
    void DiscardGraphics() override;

    Ref<gxtkGraphics> graphics;
    Ref<gxtkAudio> audio;
    Ref<c_InputDevice> input;

private:
    void ValidateDeviceWindow();
    void EnumerateDisplayModes();
};

// The distinct (width, height) pairs of `modes` in ascending key order
// (key = width << 16 | height).
std::vector<Ref<c_DisplayMode>> DistinctDisplayModes(const std::vector<std::pair<int, int>>& modes);
