// game_delegate.cpp — see game_delegate.h.
#include "app/game_delegate.h"

#include <map>

#include "app/app.h"
#include "audio/gxtk_audio.h"
#include "graphics/gl_api.h"
#include "graphics/graphics_context.h"
#include "graphics/gxtk_graphics.h"
#include "host/input_device.h"
#include "host/rt_game.h"
#include "host/runtime_error.h"

std::vector<Ref<c_DisplayMode>> DistinctDisplayModes(const std::vector<std::pair<int, int>>& modes) {
    std::map<long long, std::pair<int, int>> byKey;
    for (auto [w, h] : modes) byKey.emplace((static_cast<long long>(w) << 16) | h, std::pair{w, h});
    std::vector<Ref<c_DisplayMode>> list;
    for (const auto& [key, size] : byKey) list.push_back(New<c_DisplayMode>(size.first, size.second));
    return list;
}

void c_GameDelegate::ValidateDeviceWindow() {
    RtGame* host = RtGame::Instance();
    if (!host) return;
    int w = host->GetDeviceWidth(), h = host->GetDeviceHeight();
    if (w != DeviceWidth() || h != DeviceHeight()) SetDeviceSize(w, h);
}

void c_GameDelegate::EnumerateDisplayModes() {
    RtGame* host = RtGame::Instance();
    std::vector<std::pair<int, int>> sizes;
    std::optional<RtDisplayMode> desktop;
    if (host) {
        for (const RtDisplayMode& m : host->GetDisplayModes()) sizes.emplace_back(m.width, m.height);
        desktop = host->GetDesktopMode();
    }
    auto desktopMode = desktop ? New<c_DisplayMode>(desktop->width, desktop->height)
                               : New<c_DisplayMode>(DeviceWidth(), DeviceHeight());
    SetDisplayModes(DistinctDisplayModes(sizes), std::move(desktopMode));
}

void c_GameDelegate::StartGame() {
    // The window and its context exist now; nothing has been drawn yet.
    UseRendererFromEnvironment();
    graphics = New<gxtkGraphics>();
    SetGraphicsDevice(graphics);
    UseFont(nullptr);
    // A failing OpenAL prints its line and leaves a silent device.
    audio = New<gxtkAudio>(
        [](StringView path) -> std::optional<AudioData> {
            RtGame* host = RtGame::Instance();
            return host ? host->LoadAudioData(path) : std::nullopt;
        },
        nullptr, 0,
        [](StringView path) -> std::unique_ptr<AudioStream> {
            RtGame* host = RtGame::Instance();
            return host ? host->OpenAudioStream(path) : nullptr;
        });
    input = New<c_InputDevice>();
    SetInputDevice(input);
    ValidateDeviceWindow();
    EnumerateDisplayModes();
    if (c_App* app = GetApp()) app->OnCreate();
}

void c_GameDelegate::SuspendGame() {
    if (audio) audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
    if (audio) audio->Resume();
    if (c_App* app = GetApp()) app->OnResume();
}

void c_GameDelegate::UpdateGame() {
    ValidateDeviceWindow();
    if (input) {
        if (RtGame* host = RtGame::Instance()) input->PollJoysticks(*host);
    }
    if (c_App* app = GetApp()) app->OnUpdate();
    if (input) input->EndUpdate();
}

void c_GameDelegate::RenderGame() {
    ValidateDeviceWindow();
    if (!graphics) return;
    // 0: cannot draw, 1: draw, 2: still loading (this renderer always
    // answers 1).
    int mode = graphics->BeginFrame();
    if (mode != 0) BeginDrawing();
    if (c_App* app = GetApp()) {
        if (mode == 2) {
            app->OnLoading();
        } else {
            app->OnRender();
        }
    }
    if (mode != 0) EndDrawing();
    graphics->EndFrame();
}

void c_GameDelegate::KeyEvent(int event, int data) {
    if (input) input->KeyEvent(event, data);
    if (event == kEventKeyDown && (data == KEY_CLOSE || data == KEY_BACK)) EndApp();
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
    if (input) input->MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
    if (input) input->TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int, float x, float y, float z) {
    if (event == kEventAccel && input) input->SetAccel(x, y, z);
}

void c_GameDelegate::DiscardGraphics() {
    if (graphics) graphics->DiscardDeviceResources();
}
