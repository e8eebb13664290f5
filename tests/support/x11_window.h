// x11_window.h — a few direct X11 looks at real windows, for tests that run
// under Xvfb: finding a process's window by title, its place on the screen,
// and the window manager's close request (WM_DELETE_WINDOW), which is what
// a close box sends (xdotool's windowclose destroys the window instead).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct X11Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Top-level windows titled exactly `title` that belong to process `pid`.
std::vector<unsigned long> FindX11Windows(const std::string& title, pid_t pid);
// Waits up to `seconds` for such a window; 0 when none appeared.
unsigned long WaitForX11Window(const std::string& title, pid_t pid, double seconds);
// The window's client area in root coordinates.
X11Rect X11WindowRect(unsigned long window);
// The root window's size.
X11Rect X11ScreenRect();
// Sends the window manager's close request to the window.
bool SendX11DeleteRequest(unsigned long window);
