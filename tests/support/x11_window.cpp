// x11_window.cpp — see x11_window.h.
#include "support/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr Open() { return DisplayPtr(XOpenDisplay(nullptr)); }

long WindowPid(Display* d, Window w) {
    Atom pidAtom = XInternAtom(d, "_NET_WM_PID", True);
    if (pidAtom == None) return -1;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
}

std::string WindowTitle(Display* d, Window w) {
    XTextProperty text{};
    std::string title;
    if (XGetWMName(d, w, &text) && text.value) {
        title.assign(reinterpret_cast<char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return title;
}

}  // namespace

std::vector<unsigned long> FindX11Windows(const std::string& title, pid_t pid) {
    std::vector<unsigned long> found;
    DisplayPtr d = Open();
    if (!d) return found;
    Window root = DefaultRootWindow(d.get()), parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d.get(), root, &root, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i)
        if (WindowPid(d.get(), children[i]) == pid && WindowTitle(d.get(), children[i]) == title)
            found.push_back(children[i]);
    if (children) XFree(children);
    return found;
}

unsigned long WaitForX11Window(const std::string& title, pid_t pid, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        auto windows = FindX11Windows(title, pid);
        if (!windows.empty()) return windows.front();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

X11Rect X11WindowRect(unsigned long window) {
    X11Rect rect;
    DisplayPtr d = Open();
    XWindowAttributes attrs{};
    if (!d || !XGetWindowAttributes(d.get(), window, &attrs)) return rect;
    Window child;
    XTranslateCoordinates(d.get(), window, DefaultRootWindow(d.get()), 0, 0, &rect.x, &rect.y, &child);
    rect.width = attrs.width;
    rect.height = attrs.height;
    return rect;
}

X11Rect X11ScreenRect() {
    DisplayPtr d = Open();
    if (!d) return {};
    return {0, 0, DisplayWidth(d.get(), DefaultScreen(d.get())), DisplayHeight(d.get(), DefaultScreen(d.get()))};
}

bool SendX11DeleteRequest(unsigned long window) {
    DisplayPtr d = Open();
    if (!d) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status ok = XSendEvent(d.get(), window, False, NoEventMask, &event);
    XSync(d.get(), False);
    return ok != 0;
}
