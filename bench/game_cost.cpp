// game_cost.cpp — the real game binary's CPU and memory, read from /proc
// while it runs on a private Xvfb and is driven with xdotool as the
// black-box tests drive it, beside the same figures of the floor program
// (orbel_floor_window, bare and with one OpenAL source) measured in the same
// run. Sound goes to openal-soft's wave backend, for the game and the floor
// alike. CPU is the process's user and system time (all its threads) over a
// stretch of wall time, as a share of one core; memory is VmHWM, the peak
// resident set. Results go to stdout as "key value" lines for bench.sh.
//
//   orbel_game_cost [SECONDS] [LEVEL...]   (default 10 s; hub, 1 and 5)
//
// Numbered levels are entered from a one-door hub (bench/maps) with the
// progress that opens the door written to the state file first.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "blackbox/game_session.h"
#include "blackbox/hub_walk.h"
#include "blackbox/x_display.h"
#include "host/progress.h"
#include "working_directory.h"

namespace fs = std::filesystem;

namespace {

// User + system CPU seconds of a process, or -1 when it is gone.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return -1;
    // Fields after the command name, which may hold spaces: state is the
    // third field, utime the 14th and stime the 15th.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::atof(field.c_str());
        if (i == 15) stime = std::atof(field.c_str());
    }
    return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Peak resident set in MB (VmHWM), or -1.
double PeakRssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

// Percent of one core used over `seconds` of wall time.
double CpuPercent(pid_t pid, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    const double before = CpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double after = CpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (before < 0 || after < 0) return -1;
    return 100.0 * (after - before) / wall;
}

// The game started by a GameSession of this process.
pid_t GameChild() {
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        if (line.substr(open + 1, close - open - 1) != "orbel") continue;
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid()) return pid_t(std::atoi(name.c_str()));
    }
    return -1;
}

void Put(const std::string& key, double value) {
    std::printf("%s %.1f\n", key.c_str(), value);
    std::fflush(stdout);
}

// The floor program, started with the game's sound set-up, measured after
// a moment to settle.
void MeasureFloor(const std::string& variant, const fs::path& conf, double seconds) {
    const std::string binary = std::string(ORBEL_BINARY_DIR) + "/bench/orbel_floor_window";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("ALSOFT_CONF", conf.c_str(), 1);
        ::execl(binary.c_str(), binary.c_str(), variant.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid < 0) return;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Put("floor_" + variant + "_cpu", CpuPercent(pid, seconds));
    Put("floor_" + variant + "_rss_mb", PeakRssMb(pid));
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// A level on screen: neither faded out nor dark, in both halves.
bool LevelShown(const Frame& f) {
    return !WhiteOut(f) && LitShare(f, {0, 0, 960, 270}) > 0.5 && LitShare(f, {0, 270, 960, 270}) > 0.5;
}

bool MeasureTitleAndHub(double seconds) {
    GameSession game("bench-title");
    if (!game.Start() || !game.WaitFor(LooksLikeMenu, 20)) return false;
    game.Key("Return");
    Frame title;
    if (!game.WaitFor(LooksLikeTitle, 30, &title)) return false;
    const pid_t pid = GameChild();
    Pause(1.5);  // the title's fade-in
    Put("title_cpu", CpuPercent(pid, seconds));
    Put("title_rss_mb", PeakRssMb(pid));
    title = game.Grab();
    game.Key("Return");
    if (!game.WaitFor([&](const Frame& f) { return ChangedShare(title, f, kWhole) > 0.3 && LitShare(f, kWhole) > 0.5; },
                      30))
        return false;
    Pause(3);
    Put("hub_rss_mb", PeakRssMb(pid));
    return true;
}

bool MeasureLevel(int level, double seconds, bool cpu) {
    GameSession game("bench-level" + std::to_string(level));
    game.UseTestMaps({{0, "door_hub_" + std::to_string(level)}});
    {
        WorkingDirectory here(game.Dir());
        SaveProgress(level - 1);
    }
    auto fail = [&](const char* what) {
        std::fprintf(stderr, "game_cost: level %d: %s\n%s\n", level, what, game.Log().c_str());
        return false;
    };
    EnterHub(game);
    if (!game.Running()) return fail("the game ended on the way to the hub");
    const pid_t pid = GameChild();
    // The door's white fade is short and a busy machine's grabs can miss
    // it: the level counts as entered once the picture is no longer the hub.
    const Frame hub = game.Grab();
    auto left = [&](const Frame& f) { return WhiteOut(f) || ChangedShare(hub, f, kWhole) > 0.5; };
    bool entered = false;
    for (int attempt = 0; attempt < 3 && !entered; ++attempt) {
        game.KeyDown("Down");
        entered = game.WaitFor(left, 5);
        game.KeyUp("Down");
    }
    if (!entered) return fail("the door did not open");
    if (!game.WaitFor([&](const Frame& f) { return LevelShown(f) && ChangedShare(hub, f, kWhole) > 0.5; }, 30))
        return fail("the level did not show");
    Pause(3);  // the fade-in, and the level's first steps
    if (cpu) Put("level" + std::to_string(level) + "_cpu", CpuPercent(pid, seconds));
    Put("level" + std::to_string(level) + "_rss_mb", PeakRssMb(pid));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    std::vector<int> levels;
    for (int i = 2; i < argc; ++i) levels.push_back(std::atoi(argv[i]));
    if (levels.empty()) levels = {1, 5};

    XvfbServer x;
    if (!x.Ok()) {
        std::fprintf(stderr, "game_cost: no Xvfb\n");
        return 1;
    }
    char pattern[] = "/tmp/orbel-bench-floor-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) return 1;
    const fs::path dir = made;
    {
        std::ofstream conf(dir / "alsoft.conf");
        conf << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\nfrequency = 44100\n"
             << "[wave]\nfile = " << (dir / "sound.wav").string() << "\n";
    }
    MeasureFloor("bare", dir / "alsoft.conf", seconds);
    MeasureFloor("openal", dir / "alsoft.conf", seconds);
    std::error_code ec;
    fs::remove_all(dir, ec);

    bool ok = MeasureTitleAndHub(seconds);
    if (!ok) std::fprintf(stderr, "game_cost: the title or the hub did not come\n");
    for (int level : levels) {
        if (!MeasureLevel(level, seconds, level == 5)) {
            std::fprintf(stderr, "game_cost: level %d did not come\n", level);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
