// app.cpp — see app.h.
#include "app/app.h"

#include "app/game_delegate.h"
#include "audio/gxtk_audio.h"
#include "graphics/graphics_context.h"
#include "host/input_device.h"
#include "host/rt_game.h"
#include "host/runtime_error.h"

namespace {

struct Layer {
    c_App* app = nullptr;
    Ref<c_GameDelegate> delegate;
    int deviceWidth = 0;
    int deviceHeight = 0;
    std::vector<Ref<c_DisplayMode>> displayModes;
    Ref<c_DisplayMode> desktopMode;
};

Layer& State() {
    static Layer layer;
    return layer;
}

}  // namespace

c_App::c_App() {
    Layer& layer = State();
    if (layer.app) RuntimeError(u"App has already been created");
    layer.app = this;
    layer.delegate = New<c_GameDelegate>();
    if (RtGame* host = RtGame::Instance()) host->SetDelegate(layer.delegate);
}

c_App::~c_App() {
    if (State().app == this) State().app = nullptr;
}

c_App* GetApp() { return State().app; }
c_GameDelegate* GetGameDelegate() { return State().delegate.get(); }
int DeviceWidth() { return State().deviceWidth; }
int DeviceHeight() { return State().deviceHeight; }
const std::vector<Ref<c_DisplayMode>>& DisplayModes() { return State().displayModes; }
c_DisplayMode* DesktopMode() { return State().desktopMode.get(); }

void SetDeviceSize(int width, int height) {
    State().deviceWidth = width;
    State().deviceHeight = height;
}

void SetDisplayModes(std::vector<Ref<c_DisplayMode>> modes, Ref<c_DisplayMode> desktop) {
    State().displayModes = std::move(modes);
    State().desktopMode = std::move(desktop);
}

void ResetAppLayer() {
    Layer& layer = State();
    if (RtGame* host = RtGame::Instance(); host && host->GetDelegate() == layer.delegate.get())
        host->SetDelegate(nullptr);
    layer.delegate.reset();
    layer.deviceWidth = layer.deviceHeight = 0;
    layer.displayModes.clear();
    layer.desktopMode.reset();
    SetInputDevice(nullptr);
    SetGraphicsDevice(nullptr);
}
