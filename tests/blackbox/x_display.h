// x_display.h — the X side of a black-box test: a private Xvfb server and a
// plain window of the test's own on it.
#pragma once

#include <sys/types.h>

#include <string>

// A private X server for one test (-displayfd picks a free display), so
// focus and key events never cross with another test's windows. DISPLAY
// points at it while it lives.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Ok() const { return pid_ > 0 && !display_.empty(); }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// A plain window of the test's own on the same display, to take the focus
// away from the game the way another application would.
class OtherWindow {
public:
    OtherWindow();
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    // Gives the keyboard focus to this window, or to `window`.
    void TakeFocus();
    static void GiveFocus(unsigned long window);

private:
    struct _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};
