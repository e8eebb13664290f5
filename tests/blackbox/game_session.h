// game_session.h — the real game binary run from outside: started in a
// fresh working directory (its ./data linked to the build's data, sound
// written by openal-soft's wave backend) on the test's display, keys sent
// to its window, its window read back as pictures, and its end awaited.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "blackbox/frames.h"
#include "blackbox/key_input.h"

class GameSession {
public:
    // Prepares a fresh working directory; the game is not started yet.
    explicit GameSession(const std::string& galleryPrefix);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    std::string WavePath() const { return (dir_ / "sound.wav").string(); }
    std::string Log() const;
    // Before Start: ./data becomes a folder of links to the build's data in
    // which "levelN.tmx" is the compiled test map named for N.
    void UseTestMaps(const std::map<int, std::string>& levels);

    // Starts the game and waits for its window; false when none appeared.
    bool Start(double seconds = 60);
    unsigned long Window() const { return window_; }
    bool Running();

    void Key(const std::string& key) { SendKey(window_, key); }  // press and release
    void KeyDown(const std::string& key) { SendKeyDown(window_, key); }
    void KeyUp(const std::string& key) { SendKeyUp(window_, key); }

    Frame Grab() { return GrabWindow(window_); }
    // Grabs and stores the frame as build/blackbox-gallery/<prefix>-<name>.png.
    Frame Shot(const std::string& name);
    void Save(const Frame& f, const std::string& name) const;
    // Grabs frames until `test` holds or `seconds` pass; the last frame
    // (empty if the window is gone) and whether the condition held.
    bool WaitFor(const std::function<bool(const Frame&)>& test, double seconds, Frame* last = nullptr);

    // Waits for the game to end; its exit code, -1 when it was killed by a
    // signal or did not end in time (it is then killed).
    int WaitExit(double seconds);
    void SendCloseRequest();

private:
    std::filesystem::path dir_;
    std::string prefix_;
    pid_t pid_ = -1;
    unsigned long window_ = 0;
    int exitCode_ = -2;
};

// Sleeps for a while, in seconds.
void Pause(double seconds);
// The build whose orbel and data are run: this build, or the folder named
// by ORBEL_BLACKBOX_BUILD (a sanitizer build, for one).
std::string GameBuildDir();
// The scale of waits: ORBEL_BLACKBOX_SLOW=3 triples them (sanitizer builds).
double Slow();
