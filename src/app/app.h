// app.h — the application layer: the application object, the display modes
// and the globals of this layer (the delegate and the devices it creates;
// game_delegate.h).
//
// An application (c_App, subclassed by the game) is created once; its
// construction creates the c_GameDelegate and hands it to the host, which
// from then on calls the application's OnCreate/OnUpdate/OnRender/OnResume
// through it. Whoever constructs the application keeps it alive (main does,
// for the whole run); the layer only remembers it.
#pragma once

#include <vector>

#include "host/object.h"

class c_GameDelegate;

class c_App : public Object {
public:
    // Raises "App has already been created" when an application exists.
    c_App();
    ~c_App() override;
    String ToString() const override { return u"App"; }

    virtual int OnCreate() { return 0; }
    virtual int OnResume() { return 0; }
    virtual int OnUpdate() { return 0; }
    virtual int OnLoading() { return 0; }
    virtual int OnRender() { return 0; }
};

class c_DisplayMode final : public Object {
public:
    c_DisplayMode(int w, int h) : width(w), height(h) {}
    String ToString() const override { return u"DisplayMode"; }
    int width;
    int height;
};

// ---- globals of the layer ---------------------------------------------------------

// The application (null before one is constructed and after it is gone).
c_App* GetApp();
c_GameDelegate* GetGameDelegate();
// The window's client size as last read by the delegate.
int DeviceWidth();
int DeviceHeight();
// Distinct display modes in ascending (width, height) order, and the desktop
// mode (the window's size when the host has none); filled at start-up.
const std::vector<Ref<c_DisplayMode>>& DisplayModes();
c_DisplayMode* DesktopMode();

// Set by the delegate.
void SetDeviceSize(int width, int height);
void SetDisplayModes(std::vector<Ref<c_DisplayMode>> modes, Ref<c_DisplayMode> desktop);

// Drops the layer's globals: the delegate, the devices and the lists (and
// the host's reference to the delegate). The program never does this; tests
// that run several applications in one process do it between them.
void ResetAppLayer();
