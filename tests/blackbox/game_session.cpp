// game_session.cpp — see game_session.h.
#include "blackbox/game_session.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "stb_image_write.h"
#include "support/child_process.h"
#include "support/test_maps.h"
#include "support/x11_window.h"

namespace fs = std::filesystem;

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds * Slow())); }

std::string GameBuildDir() {
    const char* other = std::getenv("ORBEL_BLACKBOX_BUILD");
    return other && *other ? other : ORBEL_BINARY_DIR;
}

namespace {

[[maybe_unused]] bool OtherBuild() {
    const char* other = std::getenv("ORBEL_BLACKBOX_BUILD");
    return other && *other;
}

}  // namespace

bool HasFrontEnd() {
#ifdef ORBEL_HAS_FRONT_END
    return true;
#else
    return OtherBuild();
#endif
}

bool HasLevelStage() {
#ifdef ORBEL_HAS_LEVEL_STAGE
    return true;
#else
    return OtherBuild();
#endif
}

double Slow() {
    const char* s = std::getenv("ORBEL_BLACKBOX_SLOW");
    double v = s ? std::atof(s) : 1.0;
    return v >= 1.0 ? v : 1.0;
}

// ---- X server ---------------------------------------------------------------

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

// ---- measures ---------------------------------------------------------------

namespace {

template <typename F>
void ForEach(const Frame& f, Zone r, F&& fn) {
    int x1 = std::clamp(r.x + r.width, 0, f.width), y1 = std::clamp(r.y + r.height, 0, f.height);
    for (int y = std::max(r.y, 0); y < y1; ++y)
        for (int x = std::max(r.x, 0); x < x1; ++x) fn(x, y, f.At(x, y));
}

double Area(const Frame& f, Zone r) {
    int w = std::clamp(r.x + r.width, 0, f.width) - std::max(r.x, 0);
    int h = std::clamp(r.y + r.height, 0, f.height) - std::max(r.y, 0);
    return w > 0 && h > 0 ? double(w) * h : 1.0;
}

bool Near(const unsigned char* p, int r, int g, int b, int tol) {
    return std::abs(p[0] - r) <= tol && std::abs(p[1] - g) <= tol && std::abs(p[2] - b) <= tol;
}

}  // namespace

double LitShare(const Frame& f, Zone r) {
    long n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) { n += (p[0] + p[1] + p[2]) > 48; });
    return n / Area(f, r);
}

double ColourShare(const Frame& f, Zone r, int red, int green, int blue, int tolerance) {
    long n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) { n += Near(p, red, green, blue, tolerance); });
    return n / Area(f, r);
}

int ColourExtent(const Frame& f, Zone r, int red, int green, int blue, int tolerance) {
    int lo = 1 << 30, hi = -1;
    ForEach(f, r, [&](int x, int, const unsigned char* p) {
        if (Near(p, red, green, blue, tolerance)) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    });
    return hi < 0 ? 0 : hi - lo + 1;
}

double ChangedShare(const Frame& a, const Frame& b, Zone r, int threshold) {
    if (a.width != b.width || a.height != b.height) return 1.0;
    long n = 0;
    ForEach(a, r, [&](int x, int y, const unsigned char* p) {
        const unsigned char* q = b.At(x, y);
        n +=
            std::abs(p[0] - q[0]) > threshold || std::abs(p[1] - q[1]) > threshold || std::abs(p[2] - q[2]) > threshold;
    });
    return n / Area(a, r);
}

int ColourCount(const Frame& f, Zone r) {
    std::vector<bool> seen(4096);
    int n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) {
        int key = (p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4);
        if (!seen[key]) {
            seen[key] = true;
            ++n;
        }
    });
    return n;
}

Shift SceneryShift(const Frame& a, const Frame& b, Zone r, int minDx, int maxDx, int minDy, int maxDy, int step) {
    Shift best;
    best.error = 2;
    if (a.Empty() || b.Empty() || step <= 0) return best;
    // Samples on the centres of the virtual pixels, every other one. The
    // camera moves by whole pixels, so the scenery that moved with it
    // matches exactly; counting close matches (rather than adding up
    // differences) keeps the sky's layers, which move at their own pace,
    // from pulling the answer.
    const int spacing = 2 * step, first = step / 2;
    const int x1 = std::min(r.x + r.width, b.width), y1 = std::min(r.y + r.height, b.height);
    long samples = 0;
    for (int y = std::max(r.y, 0) + first; y < y1; y += spacing)
        for (int x = std::max(r.x, 0) + first; x < x1; x += spacing) ++samples;
    for (int dy = minDy; dy <= maxDy; dy += step)
        for (int dx = minDx; dx <= maxDx; dx += step) {
            long misses = 0, n = 0;
            for (int y = std::max(r.y, 0) + first; y < y1; y += spacing) {
                int ay = y + dy;
                if (ay < 0 || ay >= a.height) continue;
                for (int x = std::max(r.x, 0) + first; x < x1; x += spacing) {
                    int ax = x + dx;
                    if (ax < 0 || ax >= a.width) continue;
                    const unsigned char* p = b.At(x, y);
                    const unsigned char* q = a.At(ax, ay);
                    misses += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 12;
                    ++n;
                }
            }
            // Offsets that leave too little overlap say nothing.
            if (n * 3 < samples) continue;
            double error = double(misses) / n;
            if (error < best.error) best = {dx, dy, error};
        }
    return best;
}

// ---- sound ------------------------------------------------------------------

namespace {

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

long FileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : static_cast<long>(n);
}

WaveData ReadWaveLayout(const std::string& path) {
    WaveData w;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    size_t n = static_cast<size_t>(in.gcount());
    if (n < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0) return w;
    size_t at = 12;
    while (at + 8 <= n) {
        uint32_t size = Le32(&head[at + 4]);
        if (std::memcmp(&head[at], "fmt ", 4) == 0 && at + 8 + 16 <= n) {
            w.channels = Le16(&head[at + 10]);
            w.sampleRate = static_cast<int>(Le32(&head[at + 12]));
            w.bitsPerSample = Le16(&head[at + 22]);
        } else if (std::memcmp(&head[at], "data", 4) == 0) {
            // Its size may still be the placeholder: the samples run to the
            // end of the file.
            w.dataOffset = static_cast<long>(at + 8);
            return w;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

namespace {

// The raw 16-bit samples (all channels interleaved) between two byte
// offsets, cut to whole sample frames.
std::vector<int16_t> ReadSamples(const std::string& path, long fromByte, long toByte, WaveData* layout) {
    WaveData w = ReadWaveLayout(path);
    if (layout) *layout = w;
    if (w.dataOffset < 0 || w.bitsPerSample != 16) return {};
    fromByte = std::max(fromByte, w.dataOffset);
    long frameBytes = 2L * std::max(w.channels, 1);
    fromByte = w.dataOffset + (fromByte - w.dataOffset) / frameBytes * frameBytes;
    toByte = std::min(toByte, FileSize(path));
    toByte = fromByte + (toByte - fromByte) / frameBytes * frameBytes;
    if (toByte - fromByte < frameBytes) return {};
    std::ifstream in(path, std::ios::binary);
    in.seekg(fromByte);
    std::vector<unsigned char> bytes(static_cast<size_t>(toByte - fromByte));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::vector<int16_t> samples(static_cast<size_t>(in.gcount()) / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(Le16(&bytes[i * 2]));
    return samples;
}

std::vector<float> Mono(const std::vector<int16_t>& samples, int channels) {
    size_t n = static_cast<size_t>(std::max(channels, 1));
    std::vector<float> mono(samples.size() / n);
    for (size_t i = 0; i < mono.size(); ++i) {
        float sum = 0;
        for (size_t c = 0; c < n; ++c) sum += samples[i * n + c];
        mono[i] = sum / (n * 32768.0f);
    }
    return mono;
}

}  // namespace

double WaveRms(const std::string& path, long fromByte, long toByte) {
    std::vector<int16_t> samples = ReadSamples(path, fromByte, toByte, nullptr);
    if (samples.empty()) return -1;
    double sum = 0;
    for (int16_t v : samples) sum += (v / 32768.0) * (v / 32768.0);
    return std::sqrt(sum / samples.size());
}

std::vector<float> WaveSamples(const std::string& path, long fromByte, long toByte) {
    WaveData w;
    std::vector<int16_t> samples = ReadSamples(path, fromByte, toByte, &w);
    return Mono(samples, w.channels);
}

std::vector<float> LoadWave(const std::string& path, int* sampleRate) {
    WaveData w;
    // A finished file: its data chunk runs to the end like the recording's.
    std::vector<int16_t> samples = ReadSamples(path, 0, FileSize(path), &w);
    if (sampleRate) *sampleRate = w.sampleRate;
    return Mono(samples, w.channels);
}

double BestMatch(const std::vector<float>& recording, const std::vector<float>& sound) {
    // Pairs of samples averaged: a quarter of the work, and the game's
    // effects keep their character well below 11 kHz.
    auto halve = [](const std::vector<float>& v) {
        std::vector<float> h(v.size() / 2);
        for (size_t i = 0; i < h.size(); ++i) h[i] = 0.5f * (v[2 * i] + v[2 * i + 1]);
        return h;
    };
    std::vector<float> x = halve(recording), t = halve(sound);
    if (t.empty() || x.size() < t.size()) return 0;
    double soundEnergy = 0;
    for (float v : t) soundEnergy += double(v) * v;
    if (soundEnergy <= 0) return 0;
    double windowEnergy = 0;
    for (size_t i = 0; i < t.size(); ++i) windowEnergy += double(x[i]) * x[i];
    double best = 0;
    for (size_t k = 0; k + t.size() <= x.size(); ++k) {
        if (k > 0) {
            double in = x[k + t.size() - 1], out = x[k - 1];
            windowEnergy = std::max(0.0, windowEnergy + in * in - out * out);
        }
        if (windowEnergy <= 1e-12) continue;
        double dot = 0;
        for (size_t i = 0; i < t.size(); ++i) dot += double(x[k + i]) * t[i];
        best = std::max(best, dot / std::sqrt(windowEnergy * soundEnergy));
    }
    return best;
}

// ---- the game ---------------------------------------------------------------

GameSession::GameSession(const std::string& galleryPrefix) : prefix_(galleryPrefix) {
    // A run's pictures from an earlier run (a timed-out frame above all)
    // would otherwise pass for this run's.
    std::error_code ec;
    std::vector<fs::path> stale;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(ORBEL_BINARY_DIR) / "blackbox-gallery", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix_ + "-") && name.ends_with(".png")) stale.push_back(entry.path());
    }
    for (const fs::path& file : stale) fs::remove(file, ec);
    char pattern[] = "/tmp/orbel-blackbox-XXXXXX";
    if (char* made = ::mkdtemp(pattern)) dir_ = made;
    fs::create_directory_symlink(fs::path(GameBuildDir()) / "data", dir_ / "data");
    std::ofstream conf(dir_ / "alsoft.conf");
    conf << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\nfrequency = 44100\n"
         << "[wave]\nfile = " << WavePath() << "\n";
}

GameSession::~GameSession() {
    if (pid_ > 0 && exitCode_ == -2) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
}

std::string GameSession::Log() const {
    std::ifstream in(dir_ / "game.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void GameSession::UseTestMaps(const std::map<int, std::string>& levels) {
    LinkDataWithTestMaps(dir_ / "data", fs::path(GameBuildDir()) / "data", levels);
}

bool GameSession::Start(double seconds) {
    std::string binary = GameBuildDir() + "/orbel";
    std::string log = (dir_ / "game.log").string();
    std::string conf = (dir_ / "alsoft.conf").string();
    pid_ = ::fork();
    if (pid_ == 0) {
        if (::chdir(dir_.c_str()) != 0) ::_exit(126);
        if (!std::freopen(log.c_str(), "w", stdout) || ::dup2(1, 2) < 0) ::_exit(126);
        ::setenv("ALSOFT_CONF", conf.c_str(), 1);
        ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0) return false;
    window_ = WaitForX11Window("Orbel DEMO", pid_, seconds * Slow());
    return window_ != 0;
}

bool GameSession::Running() {
    if (exitCode_ != -2) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

namespace {

void Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    RunProgram(argv, 20);
}

}  // namespace

void GameSession::Key(const std::string& key) { Xdotool({"key", "--window", std::to_string(window_), key}); }
void GameSession::KeyDown(const std::string& key) { Xdotool({"keydown", "--window", std::to_string(window_), key}); }
void GameSession::KeyUp(const std::string& key) { Xdotool({"keyup", "--window", std::to_string(window_), key}); }

Frame GameSession::Grab() {
    Frame f;
    ::Display* d = XOpenDisplay(nullptr);
    if (!d) return f;
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(d, window_, &attrs) && attrs.map_state == IsViewable) {
        XImage* image = XGetImage(d, window_, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
        if (image) {
            f.width = attrs.width;
            f.height = attrs.height;
            f.rgb.resize(static_cast<size_t>(f.width) * f.height * 3);
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x) {
                    unsigned long p = XGetPixel(image, x, y);
                    unsigned char* o = &f.rgb[(static_cast<size_t>(y) * f.width + x) * 3];
                    o[0] = (p >> 16) & 0xff;
                    o[1] = (p >> 8) & 0xff;
                    o[2] = p & 0xff;
                }
            XDestroyImage(image);
        }
    }
    XCloseDisplay(d);
    return f;
}

void GameSession::Save(const Frame& f, const std::string& name) const {
    if (f.Empty()) return;
    fs::path gallery = fs::path(ORBEL_BINARY_DIR) / "blackbox-gallery";
    std::error_code ec;
    fs::create_directories(gallery, ec);
    std::string file = (gallery / (prefix_ + "-" + name + ".png")).string();
    stbi_write_png(file.c_str(), f.width, f.height, 3, f.rgb.data(), f.width * 3);
}

Frame GameSession::Shot(const std::string& name) {
    Frame f = Grab();
    Save(f, name);
    return f;
}

bool GameSession::WaitFor(const std::function<bool(const Frame&)>& test, double seconds, Frame* last) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * Slow());
    Frame f;
    bool held = false;
    while (true) {
        f = Grab();
        if (!f.Empty() && test(f)) {
            held = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline || !Running()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!held) Save(f, "timed-out");
    if (last) *last = std::move(f);
    return held;
}

int GameSession::WaitExit(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * Slow());
    while (Running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            exitCode_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return exitCode_;
}

void GameSession::SendCloseRequest() { SendX11DeleteRequest(window_); }

// ---- another window -------------------------------------------------------------

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

// ---- screens ----------------------------------------------------------------

bool LooksLikeMenu(const Frame& f) {
    return LitShare(f, {0, 0, 960, 150}) < 0.01 && LitShare(f, {300, 200, 360, 140}) > 0.2 &&
           ColourCount(f, {300, 200, 360, 140}) >= 6;
}

bool LooksLikeTitle(const Frame& f) { return LitShare(f, kWhole) > 0.8 && ColourCount(f, kWhole) > 40; }

bool WhiteOut(const Frame& f) { return ColourShare(f, kWhole, 255, 255, 255, 20) > 0.9; }

void EnterHub(GameSession& game, Frame* title) {
    Frame shown;
    if (!title) title = &shown;
    ASSERT_TRUE(game.Start()) << game.Log();
    ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20)) << game.Log();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, title)) << game.Log();
    Pause(1.5);  // the title fades in over a second
    *title = game.Grab();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(
        [&](const Frame& f) { return ChangedShare(*title, f, kWhole) > 0.3 && LitShare(f, kWhole) > 0.5; }, 30))
        << "never reached the hub\n"
        << game.Log();
    Pause(2);  // the one-second fade-in
}
