// The built game binary itself: it opens its window from any working
// directory and exits with 0 when the window manager asks it to close, ends
// at once naming where it looked when it has no data, and installs as a
// desktop program that runs from anywhere and saves in the player's folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/x11_window.h"

namespace {

namespace fs = std::filesystem;

// Waits up to `seconds` for the child; its exit code, or -1 (killed then).
int WaitForExit(pid_t pid, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// The game started as a player starts it: in `cwd`, with the extra
// environment, its standard input a pipe held open (as a terminal's is) and
// its output kept in `log` for failure messages.
struct Started {
    pid_t pid = -1;
    int input = -1;  // the write end of the game's standard input
};
Started Start(const std::string& binary, const std::string& cwd, const std::string& log,
              const std::vector<std::pair<std::string, std::string>>& env = {}) {
    int in[2];
    if (::pipe(in) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::close(in[0]);
        ::close(in[1]);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        if (::chdir(cwd.c_str()) != 0) ::_exit(126);
        if (!freopen(log.c_str(), "w", stdout) || ::dup2(1, 2) < 0) ::_exit(126);
        ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    return {pid, in[1]};
}

// Starts the game, waits for its window (the size it opens at, 960 x 540),
// lets the loop run and closes it: the game must end with 0.
void RunToWindowAndClose(const std::string& binary, const std::string& cwd,
                         const std::vector<std::pair<std::string, std::string>>& env = {}) {
    SCOPED_TRACE("started in " + cwd);
    ScopedTempDir logDir;
    std::string log = (logDir.Path() / "orbel.log").string();
    Started game = Start(binary, cwd, log, env);
    ASSERT_GT(game.pid, 0);
    unsigned long window = WaitForX11Window("Orbel DEMO", game.pid, 120);
    if (!window) {
        int code = WaitForExit(game.pid, 0);
        ::close(game.input);
        FAIL() << "no window titled \"Orbel DEMO\" appeared (exit code " << code << ")\n" << logDir.Read("orbel.log");
    }
    X11Rect rect = X11WindowRect(window);
    EXPECT_EQ(rect.width, 960);
    EXPECT_EQ(rect.height, 540);
    // Let the loop run a little before closing.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(SendX11DeleteRequest(window));
    EXPECT_EQ(WaitForExit(game.pid, 60), 0) << logDir.Read("orbel.log");
    ::close(game.input);
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.insert(entry.path().filename().string());
    return names;
}

bool HaveTool(const std::string& name) { return RunProgram({"/bin/sh", "-c", "command -v " + name}).exitCode == 0; }

}  // namespace

// The game as shipped: opens its window, runs, and ends with 0 when the
// window manager asks the window to close, whether started beside its data
// (the build folder), or from anywhere else (it finds the data beside
// itself).
TEST(OrbelBinary, OpensItsWindowFromAnyFolderAndExitsZeroOnCloseRequest) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const std::string binary = std::string(ORBEL_BINARY_DIR) + "/orbel";
    ScopedTempDir home;
    // Saves made away from the build folder go to a throwaway home.
    const std::vector<std::pair<std::string, std::string>> env = {{"HOME", home.Path().string()},
                                                                  {"XDG_DATA_HOME", (home.Path() / "xdg").string()}};
    for (const char* cwd : {ORBEL_BINARY_DIR, ORBEL_SOURCE_DIR, "/"}) RunToWindowAndClose(binary, cwd, env);
}

// With no data anywhere it looks, the game says where it looked and ends
// with 1 at once: it neither opens a window nor waits on its input.
TEST(OrbelBinary, WithoutDataEndsAtOnceNamingTheFoldersItTried) {
    ScopedTempDir programDir;
    fs::copy_file(fs::path(ORBEL_BINARY_DIR) / "orbel", programDir.Path() / "orbel");
    ScopedTempDir cwd;
    std::string log = (programDir.Path() / "orbel.log").string();
    const auto start = std::chrono::steady_clock::now();
    Started game = Start((programDir.Path() / "orbel").string(), cwd.Path().string(), log);
    ASSERT_GT(game.pid, 0);
    EXPECT_EQ(WaitForExit(game.pid, 1.0), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ::close(game.input);
    const std::string out = programDir.Read("orbel.log");
    EXPECT_NE(out.find("./data"), std::string::npos) << out;
    EXPECT_NE(out.find((programDir.Path() / "data").string()), std::string::npos) << out;
    EXPECT_NE(out.find("share/orbel/data"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
}

// `cmake --install` lays the game out as a desktop program: the binary, its
// data, a valid menu entry and AppStream metadata, and the icons; the
// installed game runs from any folder and writes nothing there.
TEST(OrbelBinary, InstallsAsADesktopProgramThatRunsFromAnywhere) {
    ScopedTempDir prefix;
    ChildResult install =
        RunProgram({ORBEL_CMAKE_COMMAND, "--install", ORBEL_BINARY_DIR, "--prefix", prefix.Path().string()}, 120);
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    const fs::path p = prefix.Path();
    const fs::path desktop = p / "share/applications/orbel.desktop";
    const fs::path metainfo = p / "share/metainfo/orbel.metainfo.xml";
    for (const fs::path& file : {p / "bin/orbel", p / "share/orbel/data/trans_desktop.txt", desktop, metainfo})
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path icon = p / "share/icons/hicolor" / dim / "apps/orbel.png";
        // A plain PNG of its size (not scrambled like the game's textures).
        ChildResult identify = RunProgram({"identify", "-format", "%m %wx%h", icon.string()});
        EXPECT_EQ(identify.out, "PNG " + dim) << icon << identify.err;
    }
    if (HaveTool("desktop-file-validate")) {
        ChildResult r = RunProgram({"desktop-file-validate", desktop.string()});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    } else {
        std::printf("desktop-file-validate missing: the menu entry is not validated\n");
    }
    if (HaveTool("appstreamcli")) {
        ChildResult r = RunProgram({"appstreamcli", "validate", "--no-net", metainfo.string()});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    } else {
        std::printf("appstreamcli missing: the AppStream metadata is not validated\n");
    }

    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "running the installed game needs an X display (run under xvfb-run)";
    ScopedTempDir home;
    const std::set<std::string> rootBefore = Entries("/");
    RunToWindowAndClose((p / "bin/orbel").string(), "/",
                        {{"HOME", home.Path().string()}, {"XDG_DATA_HOME", (home.Path() / "xdg").string()}});
    EXPECT_EQ(Entries("/"), rootBefore) << "the game wrote into its working directory";
}
