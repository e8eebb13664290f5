// Progress across runs: a state file written in the game's own format opens
// the next door of the hub; a damaged one starts from the beginning.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "blackbox/hub_walk.h"
#include "blackbox/x_display.h"
#include "host/progress.h"
#include "working_directory.h"

namespace {

// The hub as the level file lays it out (16-pixel cells): the character
// starts in cell 2, the first door stands in cell 19 and the second in cell
// 33, each behind a one-cell step. The window shows 320 x 180 of it at a
// scale of 3, and its camera rests on the character once it is more than
// half a screen from the left wall.
constexpr int kScale = 3;
constexpr int kFirstDoorX = 19 * 16 + 8;
constexpr int kSecondDoorX = 33 * 16 + 8;
constexpr int kCameraStartX = 160;
// The ground and what stands on it; the sky above moves at its own pace.
constexpr Zone kScenery{0, 150, 960, 390};

// Walks the hub's character to a place by watching the scenery scroll: it
// moves, waits until the camera stands still, and adds up how far the
// picture moved; the camera's place is the character's once it follows it.
// Timing only sets how long a key is held, so a slow machine costs extra
// steps rather than a wrong place.
class HubWalker {
public:
    explicit HubWalker(GameSession& game) : game_(game) { Settle(&last_); }

    int CameraX() const { return cameraX_; }

    // Brings the camera (and so the character) to within `tolerance`
    // pixels of x; false when it could not.
    bool GoTo(int x, int tolerance = 4) {
        bool blocked = false;
        for (int step = 0; step < 30; ++step) {
            int remaining = x - cameraX_;
            if (std::abs(remaining) <= tolerance) {
                // A game held up by a busy machine may still be moving:
                // look again a little later before trusting the place.
                Pause(0.5);
                Frame now;
                if (!Settle(&now)) return false;
                Shift s =
                    SceneryShift(last_, now, kScenery, -40 * kScale, 40 * kScale, -16 * kScale, 16 * kScale, kScale);
                last_ = std::move(now);
                if (s.dx == 0) return true;
                cameraX_ += s.dx / kScale;
                std::printf("walk: drifted %d more, camera %d\n", s.dx / kScale, cameraX_);
                continue;
            }
            int direction = remaining > 0 ? 1 : -1;
            // From standing, a held key covers about 110 t^2 pixels in the
            // first second (then 220 a second); hold for somewhat less.
            // A third of a screen at a time, so that the pictures before
            // and after overlap well.
            double distance = std::min(std::abs(remaining), 100);
            double seconds = distance <= 110 ? std::sqrt(distance / 110) : 1 + (distance - 110) / 220;
            seconds = std::clamp(0.75 * seconds, 0.06, 1.6);
            // Jump the steps on the way: always on long walks, and when the
            // last move made no way.
            bool jump = seconds > 0.5 || blocked;
            int before = cameraX_;
            if (!Move(direction, seconds, jump)) return false;
            blocked = std::abs(cameraX_ - before) < 2;
        }
        return std::abs(x - cameraX_) <= tolerance;
    }

    const Frame& Last() const { return last_; }

private:
    bool Move(int direction, double seconds, bool jump) {
        const char* key = direction > 0 ? "Right" : "Left";
        game_.KeyDown(key);
        auto start = std::chrono::steady_clock::now();
        auto held = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
        if (jump) {
            while (held() < seconds) {
                game_.Key("Up");
                // A jump lasts about 0.4 s; the next Up lands on the ground.
                Pause(std::min(0.4, std::max(0.0, seconds - held())));
            }
        } else {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        }
        game_.KeyUp(key);
        double pressed = held();
        Frame now;
        if (!Settle(&now)) return false;
        // The scenery moves against the camera: a move to the right shows
        // the scenery further right, within what such a move can cover.
        int reach = kScale * static_cast<int>(40 + 240 * pressed);
        int minDx = direction > 0 ? -8 * kScale : -reach, maxDx = direction > 0 ? reach : 8 * kScale;
        Shift s = SceneryShift(last_, now, kScenery, minDx, maxDx, -16 * kScale, 16 * kScale, kScale);
        cameraX_ += s.dx / kScale;
        std::printf("walk: held %.2fs jump %d -> moved %d (dy %d, misses %.3f), camera %d\n", pressed, jump,
                    s.dx / kScale, s.dy / kScale, s.error, cameraX_);
        last_ = std::move(now);
        return true;
    }

    // Waits until three frames in a row, over half a second or more, show
    // the scenery in the same place.
    bool Settle(Frame* out) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(20 * Slow());
        Frame previous = game_.Grab();
        int still = 0;
        while (std::chrono::steady_clock::now() < deadline && game_.Running()) {
            Pause(0.25);
            Frame now = game_.Grab();
            Shift s = SceneryShift(previous, now, kScenery, -12 * kScale, 12 * kScale, -8 * kScale, 8 * kScale, kScale);
            still = s.dx == 0 && s.dy == 0 && !now.Empty() ? still + 1 : 0;
            previous = std::move(now);
            if (still == 2) {
                *out = std::move(previous);
                return true;
            }
        }
        return false;
    }

    GameSession& game_;
    Frame last_;
    int cameraX_ = kCameraStartX;
};

// The white letters of a door's text (its shadow is black) in the region
// above the character, as a mask of the window's pixels.
struct TextMask {
    int width = 0, height = 0;
    std::vector<bool> on;
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // bounding box of the set pixels
};

constexpr Zone kAboveCharacter{240, 0, 480, 270};

// The lower of the text's two lines: the rows below the widest gap between
// rows that hold letters.
TextMask SecondLine(const Frame& f) {
    TextMask m;
    m.width = kAboveCharacter.width;
    m.height = kAboveCharacter.height;
    m.on.assign(static_cast<size_t>(m.width) * m.height, false);
    std::vector<int> rows(static_cast<size_t>(m.height), 0);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const unsigned char* p = f.At(kAboveCharacter.x + x, kAboveCharacter.y + y);
            if (std::min({p[0], p[1], p[2]}) >= 248) {
                m.on[static_cast<size_t>(y) * m.width + x] = true;
                ++rows[static_cast<size_t>(y)];
            }
        }
    int top = -1, bottom = -1;
    for (int y = 0; y < m.height; ++y)
        if (rows[static_cast<size_t>(y)]) {
            if (top < 0) top = y;
            bottom = y;
        }
    if (top < 0) return m;
    int gapEnd = top, gapLength = 0;
    for (int y = top, run = 0; y <= bottom; ++y) {
        run = rows[static_cast<size_t>(y)] ? 0 : run + 1;
        if (run > gapLength) {
            gapLength = run;
            gapEnd = y + 1;
        }
    }
    m.y0 = gapLength > 0 ? gapEnd : top;
    m.y1 = bottom;
    m.x0 = m.width;
    m.x1 = -1;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            size_t i = static_cast<size_t>(y) * m.width + x;
            if (y < m.y0 || y > m.y1) {
                m.on[i] = false;
            } else if (m.on[i]) {
                m.x0 = std::min(m.x0, x);
                m.x1 = std::max(m.x1, x);
            }
        }
    return m;
}

// Overlap (intersection over union) of two lines of text, their boxes laid
// on each other and nudged a few pixels for the best fit.
double Likeness(const TextMask& a, const TextMask& b) {
    if (a.x1 < 0 || b.x1 < 0) return 0;
    double best = 0;
    for (int ny = -4; ny <= 4; ++ny)
        for (int nx = -4; nx <= 4; ++nx) {
            int ox = b.x0 - a.x0 + nx, oy = b.y0 - a.y0 + ny;
            long both = 0, either = 0;
            for (int y = 0; y < a.height; ++y)
                for (int x = 0; x < a.width; ++x) {
                    bool pa = a.on[static_cast<size_t>(y) * a.width + x];
                    int bx = x + ox, by = y + oy;
                    bool pb = bx >= 0 && by >= 0 && bx < b.width && by < b.height &&
                              b.on[static_cast<size_t>(by) * b.width + bx];
                    both += pa && pb;
                    either += pa || pb;
                }
            if (either) best = std::max(best, double(both) / either);
        }
    return best;
}

// Standing at a door, its text fades in over about a second. On the way to
// the first door the character says a line for four seconds in a bubble
// just where the door's text shows, so that text is read after it.
TextMask DoorText(GameSession& game, const std::string& name, double wait) {
    Pause(wait);
    return SecondLine(game.Shot(name));
}

// What the first two doors say, read standing at each in turn, and how
// alike their second lines are.
struct DoorTexts {
    TextMask first, second;
    double likeness = 0;
};

void ReadFirstTwoDoors(GameSession& game, DoorTexts* doors) {
    HubWalker walker(game);
    ASSERT_TRUE(walker.GoTo(kFirstDoorX)) << "could not reach the first door";
    doors->first = DoorText(game, "1-first-door", 4.5);
    ASSERT_TRUE(walker.GoTo(kSecondDoorX)) << "could not reach the second door";
    doors->second = DoorText(game, "2-second-door", 1.5);
    doors->likeness = Likeness(doors->first, doors->second);
}

}  // namespace

TEST(Progress, SavedProgressOpensTheNextDoorAndADamagedFileStartsAtZero) {
    XvfbServer x;
    ASSERT_TRUE(x.Ok());
    // With level 1 beaten, the second door reads as the first one does
    // ("Press DOWN to enter"), and Down there goes in.
    {
        GameSession game("progress-1");
        {
            WorkingDirectory here(game.Dir());
            SaveProgress(1);
        }
        ASSERT_NO_FATAL_FAILURE(EnterHub(game));
        DoorTexts doors;
        ASSERT_NO_FATAL_FAILURE(ReadFirstTwoDoors(game, &doors));
        std::printf("progress 1: second door's text matches the first's by %.2f\n", doors.likeness);
        EXPECT_GT(doors.likeness, 0.8) << "the second door does not read \"Press DOWN to enter\"";
        game.Key("Down");
        EXPECT_TRUE(game.WaitFor(WhiteOut, 8)) << "Down at the second door did not go in";
        game.Shot("3-entered");
    }
    // A damaged state file: progress 0, so the second door stays shut and
    // says so in other words.
    {
        GameSession game("progress-damaged");
        std::ofstream(game.Dir() / ".cobaltstate") << "not*base64\n";
        ASSERT_NO_FATAL_FAILURE(EnterHub(game));
        DoorTexts doors;
        ASSERT_NO_FATAL_FAILURE(ReadFirstTwoDoors(game, &doors));
        std::printf("damaged: second door's text matches the first's by %.2f\n", doors.likeness);
        EXPECT_GT(doors.second.x1, 0) << "the second door shows no text";
        EXPECT_LT(doors.likeness, 0.6) << "the second door reads as an open one";
        game.Key("Down");
        EXPECT_FALSE(game.WaitFor(WhiteOut, 3)) << "a damaged state file opened the second door";
        EXPECT_TRUE(game.Running()) << game.Log();
        game.Shot("3-still-shut");
    }
}
