// The real game's window dragged to other sizes and switched to fullscreen
// from outside: where the title's picture lands and how big it is, the
// black bars around it, and the fullscreen keys leaving the title alone.
#include <gtest/gtest.h>

#include <string>

#include "blackbox/game_session.h"
#include "blackbox/x_display.h"
#include "support/child_process.h"

namespace {

// To the screen's top-left corner first: with no window manager to keep it
// on screen, a grown window would stick out, and the X server reads back
// only what is on screen.
void ResizeWindow(unsigned long window, int width, int height) {
    RunProgram({"xdotool", "windowmove", std::to_string(window), "0", "0"}, 20);
    RunProgram({"xdotool", "windowsize", std::to_string(window), std::to_string(width), std::to_string(height)}, 20);
}

// The letterbox bars: black to the last pixel (the clear colour).
bool Black(const Frame& f, Zone r) { return r.width <= 0 || r.height <= 0 || LitShare(f, r) == 0; }

// A frame of the given size whose title picture covers exactly `picture`:
// lit along each of its edges (the picture's outermost art pixels) and
// black all around it.
bool TitleAt(const Frame& f, int width, int height, Zone picture) {
    if (f.width != width || f.height != height) return false;
    const int right = picture.x + picture.width, bottom = picture.y + picture.height;
    return LitShare(f, picture) > 0.8 && LitShare(f, {picture.x, picture.y, 2, picture.height}) > 0.5 &&
           LitShare(f, {right - 2, picture.y, 2, picture.height}) > 0.5 &&
           LitShare(f, {picture.x, picture.y, picture.width, 2}) > 0.5 &&
           LitShare(f, {picture.x, bottom - 2, picture.width, 2}) > 0.5 && Black(f, {0, 0, width, picture.y}) &&
           Black(f, {0, bottom, width, height - bottom}) && Black(f, {0, picture.y, picture.x, picture.height}) &&
           Black(f, {right, picture.y, width - right, picture.height});
}

}  // namespace

TEST(Window, AnySizeLetterboxesTheTitleInWholePixelsAndTheFullscreenKeysLeaveItOnScreen) {
    XvfbServer x;  // 1280 x 1024
    ASSERT_TRUE(x.Ok()) << "could not start Xvfb";
    GameSession game("window");
    ASSERT_TRUE(game.Start()) << game.Log();
    Frame f;
    ASSERT_TRUE(game.WaitFor(LooksLikeMenu, 20, &f)) << game.Log();
    game.Key("Return");
    ASSERT_TRUE(game.WaitFor(LooksLikeTitle, 30, &f)) << game.Log();
    Pause(1.5);  // the fade-in

    // 1280 x 720: four screen pixels an art pixel, no border.
    ResizeWindow(game.Window(), 1280, 720);
    EXPECT_TRUE(game.WaitFor([](const Frame& g) { return TitleAt(g, 1280, 720, {0, 0, 1280, 720}); }, 10, &f));
    game.Save(f, "1-1280x720");
    // 700 x 700: twice, a 640 x 360 picture in the middle.
    ResizeWindow(game.Window(), 700, 700);
    EXPECT_TRUE(game.WaitFor([](const Frame& g) { return TitleAt(g, 700, 700, {30, 170, 640, 360}); }, 10, &f));
    game.Save(f, "2-700x700");

    // Alt+Enter: the whole screen, the title still on it (Enter alone would
    // have left it), four times over with bars above and below.
    const auto fullscreen = [](const Frame& g) { return TitleAt(g, 1280, 1024, {0, 152, 1280, 720}); };
    const auto windowed = [](const Frame& g) { return TitleAt(g, 700, 700, {30, 170, 640, 360}); };
    game.Key("alt+Return");
    EXPECT_TRUE(game.WaitFor(fullscreen, 10, &f));
    game.Save(f, "3-fullscreen");
    Pause(1);
    EXPECT_TRUE(fullscreen(game.Grab())) << "the title did not stay";
    game.Key("alt+Return");
    EXPECT_TRUE(game.WaitFor(windowed, 10, &f)) << "not back to the window's size";
    // F11 the same way.
    game.Key("F11");
    EXPECT_TRUE(game.WaitFor(fullscreen, 10, &f));
    game.Key("F11");
    EXPECT_TRUE(game.WaitFor(windowed, 10, &f));
    game.Save(f, "4-windowed-again");
    Pause(1);
    EXPECT_TRUE(windowed(game.Grab())) << "the title did not stay";

    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(20), 0) << game.Log();
}
