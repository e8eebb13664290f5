// rt_game.cpp — see rt_game.h.
#include "host/rt_game.h"

#include <ctime>

#include "host/files.h"
#include "host/runtime_error.h"

RtGame* RtGame::instance_ = nullptr;

RtGame::RtGame() { instance_ = this; }

RtGame::~RtGame() {
    if (instance_ == this) instance_ = nullptr;
}

void RtGame::SetDelegate(Ref<RtGameDelegate> delegate) { delegate_ = std::move(delegate); }
RtGameDelegate* RtGame::GetDelegate() { return delegate_.get(); }
void RtGame::SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }
bool RtGame::IsKeyboardEnabled() { return keyboardEnabled_; }
void RtGame::SetUpdateRate(int rate) { updateRate_ = rate; }
int RtGame::GetUpdateRate() { return updateRate_; }
bool RtGame::IsStarted() { return started_; }
bool RtGame::IsSuspended() { return suspended_; }
int RtGame::ElapsedMilliseconds() { return 0; }

void RtGame::GetDate(std::span<int> date) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int fields[] = {
        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0};
    for (std::size_t i = 0; i < date.size() && i < std::size(fields); ++i) date[i] = fields[i];
}

int RtGame::SaveState(StringView text) { return ::SaveState(text); }
String RtGame::LoadState() { return ::LoadState(); }
String RtGame::LoadString(StringView path) { return ::LoadString(path); }
bool RtGame::PollJoystick(int, JoyAxes&, JoyAxes&, JoyAxes&, JoyButtons&) { return false; }
bool RtGame::PollGamepad(int, GamepadState&) { return false; }
void RtGame::OpenUrl(StringView) {}
void RtGame::SetMouseVisible(bool) {}
int RtGame::GetDeviceWidth() { return 0; }
int RtGame::GetDeviceHeight() { return 0; }
void RtGame::SetDeviceWindow(int, int, int) {}
std::vector<RtDisplayMode> RtGame::GetDisplayModes() { return {}; }
std::optional<RtDisplayMode> RtGame::GetDesktopMode() { return std::nullopt; }
void RtGame::SetSwapInterval(int) {}
String RtGame::MapDataPath(StringView path) { return String(path); }
std::FILE* RtGame::OpenFile(StringView path, const char* mode) { return ::OpenFile(path, mode); }
std::optional<std::vector<std::uint8_t>> RtGame::LoadData(StringView path) { return ::LoadData(path); }

ImageData RtGame::LoadImageData(StringView) { return {}; }
std::optional<AudioData> RtGame::LoadAudioData(StringView) { return std::nullopt; }

std::unique_ptr<AudioStream> RtGame::OpenAudioStream(StringView) { return nullptr; }

void RtGame::ReportUncaughtError(const Ref<ThrowableObject>&) { ::ReportUncaughtError(); }

// Objects are reference counted and freed as soon as they become
// unreachable, so there is no separate collection work to do here.
void RtGame::CollectGarbage() {}

template <class F>
void RtGame::CallDelegate(F&& call) {
    // A local reference keeps the delegate alive even if the callback
    // replaces it.
    Ref<RtGameDelegate> delegate = delegate_;
    try {
        if (delegate) call(*delegate);
    } catch (const Ref<ThrowableObject>& error) {
        ReportUncaughtError(error);
    } catch (...) {
        // Anything else (std::bad_alloc, std::out_of_range from .at(), ...)
        // would otherwise end in std::terminate with no report.
        ::ReportUncaughtCppException();
    }
    CollectGarbage();
}

void RtGame::StartGame() {
    if (started_) return;
    started_ = true;
    CallDelegate([&](RtGameDelegate& d) { d.StartGame(); });
}

void RtGame::SuspendGame() {
    if (!started_ || suspended_) return;
    suspended_ = true;
    CallDelegate([&](RtGameDelegate& d) { d.SuspendGame(); });
}

void RtGame::ResumeGame() {
    if (!started_ || !suspended_) return;
    suspended_ = false;
    CallDelegate([&](RtGameDelegate& d) { d.ResumeGame(); });
}

void RtGame::UpdateGame() {
    if (!started_ || suspended_) return;
    CallDelegate([&](RtGameDelegate& d) { d.UpdateGame(); });
}

void RtGame::RenderGame() {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.RenderGame(); });
}

void RtGame::KeyEvent(int event, int data) {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.KeyEvent(event, data); });
}

void RtGame::MouseEvent(int event, int data, float x, float y) {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.MouseEvent(event, data, x, y); });
}

void RtGame::TouchEvent(int event, int data, float x, float y) {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.TouchEvent(event, data, x, y); });
}

void RtGame::MotionEvent(int event, int data, float x, float y, float z) {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.MotionEvent(event, data, x, y, z); });
}

void RtGame::DiscardGraphics() {
    if (!started_) return;
    CallDelegate([&](RtGameDelegate& d) { d.DiscardGraphics(); });
}
