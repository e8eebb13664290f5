// web_platform.cpp — see web_platform.h.
#include "host/web_platform.h"

#include <GLFW/glfw3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "host/standard_gamepad.h"

namespace {

PlatformEvents* SinkOf(GLFWwindow* window) { return static_cast<PlatformEvents*>(glfwGetWindowUserPointer(window)); }

void OnKey(GLFWwindow* w, int key, int, int action, int) { SinkOf(w)->OnKey(key, action); }
void OnChar(GLFWwindow* w, unsigned codepoint) { SinkOf(w)->OnChar(codepoint); }
void OnMouseButton(GLFWwindow* w, int button, int action, int) { SinkOf(w)->OnMouseButton(button, action); }
void OnCursorPos(GLFWwindow* w, double x, double y) { SinkOf(w)->OnCursorPos(x, y); }

constexpr const char* kCanvas = "#canvas";

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void* self) {
    auto* platform = static_cast<WebPlatform*>(self);
    platform->SetPageState(event->hidden != 0, platform->PageFocused());
    return EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* self) {
    auto* platform = static_cast<WebPlatform*>(self);
    platform->SetPageState(platform->PageHidden(), false);
    return EM_FALSE;
}

EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void* self) {
    auto* platform = static_cast<WebPlatform*>(self);
    platform->SetPageState(platform->PageHidden(), true);
    return EM_FALSE;
}

}  // namespace

WebPlatform::WebPlatform() {
    EmscriptenVisibilityChangeEvent visibility{};
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) hidden_ = visibility.hidden != 0;
    // The window's own blur and focus only (not those of the page's
    // elements): the page loses the focus when another window or tab takes it.
    emscripten_set_visibilitychange_callback(this, EM_FALSE, OnVisibility);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, OnBlur);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, OnFocus);
}

WebPlatform::~WebPlatform() {
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, nullptr);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
    DestroyWindow();
}

void WebPlatform::SetPageState(bool hidden, bool focused) {
    const bool wasActive = IsWindowActive();
    hidden_ = hidden;
    focused_ = focused;
    if (IsWindowActive() != wasActive && activityListener_) activityListener_();
}

double WebPlatform::Now() { return emscripten_get_now() / 1000.0; }

// The browser's next frame is the wait.
void WebPlatform::Sleep(double) {}

bool WebPlatform::CreateWindow(const WindowRequest& request, PlatformEvents& events) {
    DestroyWindow();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, request.redBits);
    glfwWindowHint(GLFW_GREEN_BITS, request.greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, request.blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, request.alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, request.stencilBits);
    window_ = glfwCreateWindow(request.width, request.height, "", nullptr, nullptr);
    if (!window_) return false;
    events_ = &events;
    glfwSetWindowUserPointer(window_, events_);
    glfwMakeContextCurrent(window_);
    glfwSetKeyCallback(window_, OnKey);
    glfwSetCharCallback(window_, OnChar);
    glfwSetMouseButtonCallback(window_, OnMouseButton);
    glfwSetCursorPosCallback(window_, OnCursorPos);
    // Creating the window sized the canvas to the request: the page puts
    // back the size it wants.
    EM_ASM({
        if (Module.orbelFitCanvas) Module.orbelFitCanvas();
    });
    FollowCanvasSize();
    return true;
}

bool WebPlatform::FollowCanvasSize() {
    int width = 0, height = 0;
    GetWindowSize(width, height);
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    // GLFW keeps a size of its own, which the renderer asks for: it follows
    // the canvas. Setting it lays the canvas out anew, so the page puts its
    // on-screen size back.
    int glfwWidth = 0, glfwHeight = 0;
    glfwGetFramebufferSize(window_, &glfwWidth, &glfwHeight);
    if (glfwWidth != width || glfwHeight != height) {
        glfwSetWindowSize(window_, width, height);
        EM_ASM({
            if (Module.orbelFitCanvas) Module.orbelFitCanvas();
        });
    }
    return true;
}

void WebPlatform::DestroyWindow() {
    if (!window_) return;
    glfwDestroyWindow(window_);
    window_ = nullptr;
    events_ = nullptr;
}

void WebPlatform::SetWindowTitle(const char* utf8) {
    EM_ASM({ document.title = UTF8ToString($0); }, utf8);
}

void WebPlatform::GetWindowSize(int& width, int& height) {
    width = height = 0;
    if (window_) emscripten_get_canvas_element_size(kCanvas, &width, &height);
}

void WebPlatform::SetFullscreen(bool on) {
    if (!window_) return;
    EM_ASM(
        {
            if (Module.orbelSetFullscreen) Module.orbelSetFullscreen($0 != 0);
        },
        on);
}

bool WebPlatform::IsFullscreen() {
    return window_ && EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
}

void WebPlatform::GetCursorPos(double& x, double& y) {
    x = y = 0;
    if (window_) glfwGetCursorPos(window_, &x, &y);
}

void WebPlatform::SetCursorVisible(bool visible) {
    EM_ASM(
        {
            if (Module.canvas) Module.canvas.style.cursor = $0 ? "" : "none";
        },
        visible);
}

bool WebPlatform::IsWindowActive() { return window_ && !hidden_ && focused_; }

void WebPlatform::PollEvents() {
    // Key and mouse events arrive as the browser delivers them; what is left
    // to notice is the pads in the standard mapping (asked once a frame, not
    // for each of the sixteen ports) and a canvas the page has resized.
    standardPads_ = static_cast<unsigned>(EM_ASM_INT({
        var pads = navigator.getGamepads ? navigator.getGamepads() : [];
        var mask = 0;
        for (var i = 0; i < pads.length && i < 16; ++i)
            if (pads[i] && pads[i].mapping == "standard") mask |= 1 << i;
        return mask;
    }));
    if (window_ && FollowCanvasSize()) events_->OnFramebufferResize(width_, height_);
}

const char* WebPlatform::GlVersion() {
    if (!window_) return nullptr;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(glfwGetProcAddress("glGetString"));
    constexpr unsigned kGlVersion = 0x1F02;
    return getString ? reinterpret_cast<const char*>(getString(kGlVersion)) : nullptr;
}

void* WebPlatform::GetProcAddress(const char* name) {
    return window_ ? reinterpret_cast<void*>(glfwGetProcAddress(name)) : nullptr;
}

std::vector<RtGlfwVideoMode> WebPlatform::VideoModes() { return {DesktopMode()}; }

RtGlfwVideoMode WebPlatform::DesktopMode() {
    RtGlfwVideoMode mode;
    mode.width = EM_ASM_INT({ return screen.width | 0; });
    mode.height = EM_ASM_INT({ return screen.height | 0; });
    mode.redBits = mode.greenBits = mode.blueBits = 8;
    return mode;
}

bool WebPlatform::ReadJoystick(int port, std::vector<float>& axes, std::vector<unsigned char>& buttons) {
    if (port < GLFW_JOYSTICK_1 || port > GLFW_JOYSTICK_LAST || !glfwJoystickPresent(port)) return false;
    int axisCount = 0, buttonCount = 0;
    const float* a = glfwGetJoystickAxes(port, &axisCount);
    const unsigned char* b = glfwGetJoystickButtons(port, &buttonCount);
    axes.assign(a, a + (a ? axisCount : 0));
    buttons.assign(b, b + (b ? buttonCount : 0));
    return true;
}

bool WebPlatform::ReadGamepad(int port, GamepadState& pad) {
    // GLFW numbers the joysticks as the browser's gamepad list does.
    if (port < 0 || port >= kGamepadPorts || (standardPads_ & (1u << port)) == 0) return false;
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
    if (!ReadJoystick(port, axes, buttons)) return false;
    MapStandardGamepad(axes, buttons, pad);
    return true;
}
