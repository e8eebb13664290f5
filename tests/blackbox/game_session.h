// game_session.h — drives the real game binary from outside: a private Xvfb
// display, the game started in a fresh working directory (its ./data linked
// to the build's data, sound written by openal-soft's wave backend), keys
// sent with xdotool, and the window read back as pixels.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A private X server for one test (-displayfd picks a free display), so
// focus and key events never cross with another test's windows. DISPLAY
// points at it while it lives.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Ok() const { return pid_ > 0 && !display_.empty(); }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string previous_;
    bool hadPrevious_ = false;
};

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3, top row first

    bool Empty() const { return rgb.empty(); }
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

struct Zone {
    int x = 0, y = 0, width = 0, height = 0;
};

// Tolerant measures of a frame.
// Share of the region's pixels brighter than near-black.
double LitShare(const Frame& f, Zone r);
// Share of the region's pixels within `tolerance` (per channel) of a colour.
double ColourShare(const Frame& f, Zone r, int red, int green, int blue, int tolerance);
// Horizontal extent (in pixels) of the pixels near a colour, 0 when none.
int ColourExtent(const Frame& f, Zone r, int red, int green, int blue, int tolerance);
// Share of the region's pixels that differ by more than `threshold` in any channel.
double ChangedShare(const Frame& a, const Frame& b, Zone r, int threshold = 24);
// Number of distinct colours (quantised to 4 bits a channel) in the region.
int ColourCount(const Frame& f, Zone r);
// How far the scenery moved from frame a to frame b: the offset (dx, dy),
// in window pixels and in steps of `step`, for which b(x, y) looks most like
// a(x + dx, y + dy) over the region, searched within the given ranges. A
// camera that moved right by n pixels gives dx = n.
struct Shift {
    int dx = 0, dy = 0;
    double error = 0;  // share of samples that differ at the best offset
};
Shift SceneryShift(const Frame& a, const Frame& b, Zone r, int minDx, int maxDx, int minDy, int maxDy, int step);

// RMS (0..1 of full scale) of the 16-bit samples that openal-soft's wave
// writer added to `path` between byte offsets; the header sizes are written
// only when the device closes, so the data chunk is found by walking the
// RIFF chunks and taken to the end of the file. -1 when nothing was written.
struct WaveData {
    long dataOffset = -1;  // file offset where samples begin
    int channels = 0, sampleRate = 0, bitsPerSample = 0;
};
WaveData ReadWaveLayout(const std::string& path);
long FileSize(const std::string& path);
double WaveRms(const std::string& path, long fromByte, long toByte);
// The same stretch as mono samples (the channels averaged), -1..1.
std::vector<float> WaveSamples(const std::string& path, long fromByte, long toByte);
// A whole 16-bit PCM WAV file (a sound of the game's data) as mono samples;
// empty when it cannot be read.
std::vector<float> LoadWave(const std::string& path, int* sampleRate = nullptr);
// How clearly `sound` is heard somewhere in `recording`: the best normalised
// cross-correlation over all offsets, 0..1. A sound played at full volume
// over quieter music scores well above what the music alone reaches.
double BestMatch(const std::vector<float>& recording, const std::vector<float>& sound);

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

    void Key(const std::string& key);  // press and release
    void KeyDown(const std::string& key);
    void KeyUp(const std::string& key);

    Frame Grab();
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

// The game's window area in its 960 x 540 client frame.
constexpr Zone kWhole{0, 0, 960, 540};
// Sleeps for a while, in seconds.
void Pause(double seconds);
// The build whose orbel and data are run: this build, or the folder named
// by ORBEL_BLACKBOX_BUILD (a sanitizer build, for one).
std::string GameBuildDir();
// What the built game contains; a game from ORBEL_BLACKBOX_BUILD is taken
// to be complete.
bool HasFrontEnd();
bool HasLevelStage();
// The scale of waits: ORBEL_BLACKBOX_SLOW=3 triples them (sanitizer builds).
double Slow();

// A plain window of the test's own on the same display, to take the focus
// away from the game the way another application would.
class OtherWindow {
public:
    OtherWindow();
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    // Gives the keyboard focus to this window, or to `window`.
    void TakeFocus();
    static void GiveFocus(unsigned long window);

private:
    struct _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};

// The game's screens as the checks recognise them.
// The language menu: a small lit panel with its flags in the middle of a
// black screen.
bool LooksLikeMenu(const Frame& f);
// The title: a full, colourful picture.
bool LooksLikeTitle(const Frame& f);
// A door opening fades the whole screen to white.
bool WhiteOut(const Frame& f);

// Language menu → English → intro → title, then Enter, and waits for the
// hub to fade in. `title`, when given, gets the title as it stood before
// Enter. Fails the calling test (check with ASSERT_NO_FATAL_FAILURE) when a
// screen does not come.
void EnterHub(GameSession& game, Frame* title = nullptr);
