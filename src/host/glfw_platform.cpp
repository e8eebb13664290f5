// glfw_platform.cpp — see glfw_platform.h.
#include "host/glfw_platform.h"

#include <GLFW/glfw3.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace {

PlatformEvents* SinkOf(GLFWwindow* window) { return static_cast<PlatformEvents*>(glfwGetWindowUserPointer(window)); }

void OnKey(GLFWwindow* w, int key, int, int action, int) { SinkOf(w)->OnKey(key, action); }
void OnChar(GLFWwindow* w, unsigned codepoint) { SinkOf(w)->OnChar(codepoint); }
void OnMouseButton(GLFWwindow* w, int button, int action, int) { SinkOf(w)->OnMouseButton(button, action); }
void OnCursorPos(GLFWwindow* w, double x, double y) { SinkOf(w)->OnCursorPos(x, y); }
void OnFramebufferSize(GLFWwindow* w, int width, int height) { SinkOf(w)->OnFramebufferResize(width, height); }
void OnClose(GLFWwindow* w) {
    // The application decides whether the program ends; the window stays.
    glfwSetWindowShouldClose(w, GLFW_FALSE);
    SinkOf(w)->OnCloseRequest();
}

RtGlfwVideoMode FromGlfw(const GLFWvidmode& m) { return {m.width, m.height, m.redBits, m.greenBits, m.blueBits}; }

void PrintGlfwError(int code, const char* description) {
    std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

// The pad layout of platform.h is GLFW's.
static_assert(kGamepadA == GLFW_GAMEPAD_BUTTON_A && kGamepadB == GLFW_GAMEPAD_BUTTON_B &&
              kGamepadStart == GLFW_GAMEPAD_BUTTON_START && kGamepadDpadLeft == GLFW_GAMEPAD_BUTTON_DPAD_LEFT &&
              kGamepadButtonCount == GLFW_GAMEPAD_BUTTON_LAST + 1);
static_assert(kGamepadLeftX == GLFW_GAMEPAD_AXIS_LEFT_X && kGamepadLeftY == GLFW_GAMEPAD_AXIS_LEFT_Y &&
              kGamepadAxisCount == GLFW_GAMEPAD_AXIS_LAST + 1);
static_assert(kGamepadPorts == GLFW_JOYSTICK_LAST + 1);

bool IsMappingLine(std::string_view line) {
    constexpr std::size_t kGuidLength = 32;
    if (line.size() <= kGuidLength || line[kGuidLength] != ',') return false;
    for (std::size_t i = 0; i < kGuidLength; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    std::string_view rest = line.substr(kGuidLength + 1);
    const std::size_t nameEnd = rest.find(',');
    if (nameEnd == 0 || nameEnd == std::string_view::npos) return false;
    rest.remove_prefix(nameEnd + 1);
    bool anyPair = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find(',');
        const std::string_view field = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (field.empty() && rest.empty()) break;  // the usual trailing comma
        const std::size_t colon = field.find(':');
        if (colon == 0 || colon == std::string_view::npos || colon + 1 == field.size()) return false;
        anyPair = true;
    }
    return anyPair;
}

// GLFW reports each line it cannot parse through the error callback; while
// it reads the mappings the callback only notes that something failed.
bool g_mappingRejected = false;

// The monitor the window's centre lies on; the primary one when the centre
// is on none (a window dragged half off every screen).
GLFWmonitor* MonitorUnder(GLFWwindow* window) {
    int x = 0, y = 0, width = 0, height = 0;
    glfwGetWindowPos(window, &x, &y);
    glfwGetWindowSize(window, &width, &height);
    const int cx = x + width / 2, cy = y + height / 2;
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; monitors && i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (!mode) continue;
        int mx = 0, my = 0;
        glfwGetMonitorPos(monitors[i], &mx, &my);
        if (cx >= mx && cx < mx + mode->width && cy >= my && cy < my + mode->height) return monitors[i];
    }
    return glfwGetPrimaryMonitor();
}

}  // namespace

bool IsGamepadMappingText(const char* text) {
    if (!text) return false;
    std::string_view rest = text;
    bool any = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (!IsMappingLine(line)) return false;
        any = true;
    }
    return any;
}

bool AddGamepadMappings(const char* text, const std::function<bool(const char*)>& update, std::FILE* log) {
    if (!text || !*text) return true;
    if (!IsGamepadMappingText(text)) {
        std::fprintf(log, "SDL_GAMECONTROLLERCONFIG ignored: not gamepad mappings (GUID,name,key:value,...)\n");
        return false;
    }
    if (!update(text)) {
        std::fprintf(log, "SDL_GAMECONTROLLERCONFIG ignored: the gamepad mappings were rejected\n");
        return false;
    }
    return true;
}

bool GlfwPlatform::Init() {
    glfwSetErrorCallback(PrintGlfwError);
    if (glfwInit() != GLFW_TRUE) return false;
    AddGamepadMappings(
        std::getenv("SDL_GAMECONTROLLERCONFIG"),
        [](const char* text) {
            g_mappingRejected = false;
            glfwSetErrorCallback([](int, const char*) { g_mappingRejected = true; });
            const bool taken = glfwUpdateGamepadMappings(text) == GLFW_TRUE;
            glfwSetErrorCallback(PrintGlfwError);
            return taken && !g_mappingRejected;
        },
        stderr);
    return true;
}

void GlfwPlatform::Terminate() { glfwTerminate(); }

GlfwPlatform::~GlfwPlatform() { DestroyWindow(); }

double GlfwPlatform::Now() { return glfwGetTime(); }

void GlfwPlatform::Sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void GlfwPlatform::HintBits(const WindowRequest& request) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, request.redBits);
    glfwWindowHint(GLFW_GREEN_BITS, request.greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, request.blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, request.alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, request.depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, request.stencilBits);
}

bool GlfwPlatform::CreateWindow(const WindowRequest& request, PlatformEvents& events) {
    DestroyWindow();
    HintBits(request);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, request.resizable ? GLFW_TRUE : GLFW_FALSE);
    window_ = glfwCreateWindow(request.width, request.height, "", nullptr, nullptr);
    if (!window_) return false;
    events_ = &events;
    glfwSetWindowUserPointer(window_, events_);
    glfwMakeContextCurrent(window_);
    glfwSetKeyCallback(window_, OnKey);
    glfwSetCharCallback(window_, OnChar);
    glfwSetMouseButtonCallback(window_, OnMouseButton);
    glfwSetCursorPosCallback(window_, OnCursorPos);
    glfwSetWindowCloseCallback(window_, OnClose);
    glfwSetFramebufferSizeCallback(window_, OnFramebufferSize);
    return true;
}

void GlfwPlatform::DestroyWindow() {
    if (!window_) return;
    glfwDestroyWindow(window_);
    window_ = nullptr;
    events_ = nullptr;
}

void GlfwPlatform::ShowWindow() {
    if (window_) glfwShowWindow(window_);
}

void GlfwPlatform::SetWindowPos(int x, int y) {
    if (window_) glfwSetWindowPos(window_, x, y);
}

void GlfwPlatform::SetWindowTitle(const char* utf8) {
    if (window_) glfwSetWindowTitle(window_, utf8);
}

void GlfwPlatform::GetWindowSize(int& width, int& height) {
    width = height = 0;
    if (window_) glfwGetFramebufferSize(window_, &width, &height);
}

void GlfwPlatform::SetFullscreen(bool on) {
    if (!window_ || on == IsFullscreen()) return;
    if (on) {
        GLFWmonitor* monitor = MonitorUnder(window_);
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!mode) return;
        glfwGetWindowPos(window_, &windowedX_, &windowedY_);
        glfwGetWindowSize(window_, &windowedWidth_, &windowedHeight_);
        // The monitor's current mode: the desktop keeps its resolution and
        // the window merely covers it.
        glfwSetWindowMonitor(window_, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    } else {
        glfwSetWindowMonitor(window_, nullptr, windowedX_, windowedY_, windowedWidth_, windowedHeight_, GLFW_DONT_CARE);
    }
}

bool GlfwPlatform::IsFullscreen() { return window_ && glfwGetWindowMonitor(window_) != nullptr; }

void GlfwPlatform::GetCursorPos(double& x, double& y) {
    x = y = 0;
    if (window_) glfwGetCursorPos(window_, &x, &y);
}

void GlfwPlatform::SetCursorVisible(bool visible) {
    if (window_) glfwSetInputMode(window_, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

bool GlfwPlatform::IsWindowActive() { return window_ && glfwGetWindowAttrib(window_, GLFW_FOCUSED) == GLFW_TRUE; }

void GlfwPlatform::SwapBuffers() {
    if (window_) glfwSwapBuffers(window_);
}

void GlfwPlatform::PollEvents() { glfwPollEvents(); }
void GlfwPlatform::WaitEvents() { glfwWaitEvents(); }

const char* GlfwPlatform::GlVersion() {
    if (!window_) return nullptr;
    // glGetString is OpenGL 1.0 and exported by every libGL, but going
    // through the lookup keeps this file free of GL headers.
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(glfwGetProcAddress("glGetString"));
    constexpr unsigned kGlVersion = 0x1F02;
    return getString ? reinterpret_cast<const char*>(getString(kGlVersion)) : nullptr;
}

void* GlfwPlatform::GetProcAddress(const char* name) {
    return window_ ? reinterpret_cast<void*>(glfwGetProcAddress(name)) : nullptr;
}

bool GlfwPlatform::HasSwapControl() {
    if (!window_) return false;
    return glfwExtensionSupported("GLX_EXT_swap_control") || glfwExtensionSupported("GLX_MESA_swap_control") ||
           glfwExtensionSupported("GLX_SGI_swap_control");
}

void GlfwPlatform::SetSwapInterval(int interval) {
    if (window_) glfwSwapInterval(interval);
}

std::vector<RtGlfwVideoMode> GlfwPlatform::VideoModes() {
    std::vector<RtGlfwVideoMode> modes;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    int count = 0;
    const GLFWvidmode* list = monitor ? glfwGetVideoModes(monitor, &count) : nullptr;
    for (int i = 0; list && i < count; ++i) modes.push_back(FromGlfw(list[i]));
    return modes;
}

RtGlfwVideoMode GlfwPlatform::DesktopMode() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    return mode ? FromGlfw(*mode) : RtGlfwVideoMode{};
}

bool GlfwPlatform::ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) {
    if (port < GLFW_JOYSTICK_1 || port > GLFW_JOYSTICK_LAST || !glfwJoystickPresent(port)) return false;
    int axisCount = 0, buttonCount = 0;
    const float* a = glfwGetJoystickAxes(port, &axisCount);
    const unsigned char* b = glfwGetJoystickButtons(port, &buttonCount);
    axes.assign(a, a + (a ? axisCount : 0));
    buttons.assign(b, b + (b ? buttonCount : 0));
    return true;
}

bool GlfwPlatform::ReadGamepad(int port, GamepadState& pad) {
    if (port < GLFW_JOYSTICK_1 || port > GLFW_JOYSTICK_LAST || !glfwJoystickIsGamepad(port)) return false;
    GLFWgamepadstate state;
    if (glfwGetGamepadState(port, &state) != GLFW_TRUE) return false;
    for (int b = 0; b < kGamepadButtonCount; ++b) pad.buttons[b] = state.buttons[b] == GLFW_PRESS;
    for (int a = 0; a < kGamepadAxisCount; ++a) pad.axes[a] = state.axes[a];
    return true;
}
