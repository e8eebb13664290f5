// game_session.cpp — see game_session.h.
#include "blackbox/game_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "support/test_maps.h"
#include "support/x11_window.h"

namespace fs = std::filesystem;

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds * Slow())); }

std::string GameBuildDir() {
    const char* other = std::getenv("ORBEL_BLACKBOX_BUILD");
    return other && *other ? other : ORBEL_BINARY_DIR;
}

double Slow() {
    const char* s = std::getenv("ORBEL_BLACKBOX_SLOW");
    double v = s ? std::atof(s) : 1.0;
    return v >= 1.0 ? v : 1.0;
}

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

void GameSession::Save(const Frame& f, const std::string& name) const {
    if (f.Empty()) return;
    fs::path gallery = fs::path(ORBEL_BINARY_DIR) / "blackbox-gallery";
    std::error_code ec;
    fs::create_directories(gallery, ec);
    SavePng(f, (gallery / (prefix_ + "-" + name + ".png")).string());
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
