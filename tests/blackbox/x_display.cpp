// x_display.cpp — see x_display.h.
#include "blackbox/x_display.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

XvfbServer::XvfbServer() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(fds[0]);
        int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
                 "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // The server writes its display number once it accepts connections.
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    if (const char* old = std::getenv("DISPLAY")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    ::setenv("DISPLAY", display_.c_str(), 1);
}

XvfbServer::~XvfbServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    if (hadPrevious_)
        ::setenv("DISPLAY", previous_.c_str(), 1);
    else
        ::unsetenv("DISPLAY");
}

OtherWindow::OtherWindow() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(display_, window_);
    XSync(display_, False);
}

OtherWindow::~OtherWindow() {
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

void OtherWindow::TakeFocus() {
    if (!display_) return;
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
}

void OtherWindow::GiveFocus(unsigned long window) {
    ::Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
    XSync(d, False);
    XCloseDisplay(d);
}
