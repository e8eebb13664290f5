// The real game in the hub: walking, the pause menu, the sound switch, the
// way back to the title, and what losing the focus does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "blackbox/hub_walk.h"
#include "blackbox/wave_capture.h"
#include "blackbox/x_display.h"

namespace {

// The pause menu: a black 120 x 100 panel in the middle of the screen
// (360 x 300 pixels at the window's scale of 3).
constexpr Zone kPausePanel{330, 150, 300, 240};
bool PauseMenuShown(const Frame& f) { return ColourShare(f, kPausePanel, 0, 0, 0, 12) > 0.45; }

// Enter opens the pause menu once its closing animation has ended; a
// player simply presses again, and so does this.
bool OpenPauseMenu(GameSession& game) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        game.Key("Return");
        if (game.WaitFor(PauseMenuShown, 3)) {
            Pause(0.5);  // let the panel finish opening
            return true;
        }
    }
    return false;
}

// RMS of what the game played over the next `seconds`.
double ListenFor(GameSession& game, double seconds) {
    long from = FileSize(game.WavePath());
    Pause(seconds);
    return WaveRms(game.WavePath(), from, FileSize(game.WavePath()));
}

}  // namespace

TEST(Hub, WalksJumpsPausesSuspendsSilencesAndReturnsToTitle) {
    XvfbServer x;
    ASSERT_TRUE(x.Ok());
    GameSession game("hub");
    Frame title;
    ASSERT_NO_FATAL_FAILURE(EnterHub(game, &title));
    game.Save(title, "title");
    game.Shot("1-arrived");

    // The hub's music is heard.
    double music = ListenFor(game, 2);
    EXPECT_GT(music, 0.01) << "the hub's music is not audible";

    // A jump is heard over the music: the jump sound itself turns up in
    // what is played right after Up, and not in a stretch just before.
    std::vector<float> jump = LoadWave(GameBuildDir() + "/data/sfx/jump.wav");
    ASSERT_FALSE(jump.empty());
    long quietFrom = FileSize(game.WavePath());
    Pause(1.2);
    long upAt = FileSize(game.WavePath());
    game.Key("Up");
    double quiet = BestMatch(WaveSamples(game.WavePath(), quietFrom, upAt), jump);
    // A busy machine may be late with the key: listen on in stretches that
    // overlap by the sound's length.
    double jumped = 0;
    long from = upAt, overlap = static_cast<long>(jump.size()) * 4;
    for (int stretch = 0; stretch < 4 && !(jumped > 0.3 && jumped > quiet + 0.2); ++stretch) {
        Pause(1.2);
        long to = FileSize(game.WavePath());
        jumped = std::max(jumped, BestMatch(WaveSamples(game.WavePath(), from, to), jump));
        from = std::max(upAt, to - overlap);
    }
    std::printf("hub: jump sound match %.3f after Up, %.3f before\n", jumped, quiet);
    EXPECT_GT(jumped, 0.3) << "no jump sound after Up";
    EXPECT_GT(jumped, quiet + 0.2) << "the jump sound is not told apart from the music";
    Pause(0.5);

    // Standing still, only small things change; holding Right moves the
    // character and its camera.
    Frame a = game.Grab();
    Pause(1);
    Frame b = game.Grab();
    double still = ChangedShare(a, b, kWhole);
    game.KeyDown("Right");
    Pause(1.2);
    game.KeyUp("Right");
    Pause(0.3);
    Frame c = game.Shot("2-walked");
    double walked = ChangedShare(b, c, kWhole);
    std::printf("hub: music rms %.4f, still change %.4f, walked change %.4f\n", music, still, walked);
    EXPECT_GT(walked, 2 * still + 0.005) << "holding Right moved nothing";

    // Enter opens the pause menu; Escape closes it.
    Frame before = game.Grab();
    ASSERT_FALSE(PauseMenuShown(before));
    EXPECT_TRUE(OpenPauseMenu(game)) << "Enter opened no pause menu";
    game.Shot("3-pause-menu");
    game.Key("Escape");
    EXPECT_TRUE(game.WaitFor([](const Frame& f) { return !PauseMenuShown(f); }, 10)) << "Escape did not resume";
    Pause(0.5);
    game.Shot("4-resumed");

    // Focus away: the game stops (frames stand still, the music pauses
    // while the device goes on writing silence); focus back: the music goes
    // on, the picture takes up where it stood rather than catching up the
    // time away, and the keys work again.
    {
        OtherWindow other;
        other.TakeFocus();
        Pause(0.5);
        Frame s1 = game.Grab();
        double away = ListenFor(game, 1.5);
        Frame s2 = game.Grab();
        game.Save(s2, "5-suspended");
        double stood = ChangedShare(s1, s2, kWhole);
        std::printf("hub: suspended change %.5f, rms %.5f\n", stood, away);
        EXPECT_LT(stood, 0.0005) << "the game kept moving without the focus";
        // The device itself runs on and writes silence.
        EXPECT_GE(away, 0) << "nothing was written while the game was suspended";
        EXPECT_LT(away, 0.002) << "the music went on without the focus";
        OtherWindow::GiveFocus(game.Window());
        Pause(0.3);
        Frame r1 = game.Grab();
        double back = ListenFor(game, 1.5);
        double resumed = ChangedShare(s2, r1, kWhole);
        std::printf("hub: resumed change %.5f, rms %.4f\n", resumed, back);
        EXPECT_GT(back, 0.01) << "the music did not come back with the focus";
        EXPECT_LT(resumed, still + 0.02) << "the picture jumped on resuming";
        // Back the way it came (it may stand against the step on the right).
        game.KeyDown("Left");
        Pause(0.8);
        game.KeyUp("Left");
        Pause(0.3);
        EXPECT_GT(ChangedShare(r1, game.Grab(), kWhole), 2 * still + 0.005) << "the keys do nothing after resuming";
    }

    // "SOUND" (the third option) switches everything off and resumes.
    ASSERT_TRUE(OpenPauseMenu(game));
    game.Key("Down");
    Pause(0.3);
    game.Key("Down");
    Pause(0.3);
    game.Shot("6-sound-option");
    game.Key("Return");
    EXPECT_TRUE(game.WaitFor([](const Frame& f) { return !PauseMenuShown(f); }, 10));
    Pause(0.5);
    double muted = ListenFor(game, 2);
    std::printf("hub: rms with sound off %.5f\n", muted);
    EXPECT_GE(muted, 0) << "nothing was written with the sound switched off";
    EXPECT_LT(muted, 0.002) << "the music plays on with the sound switched off";

    // "TITLE SCREEN" (the fourth option; the menu keeps its selection).
    ASSERT_TRUE(OpenPauseMenu(game));
    game.Key("Down");
    Pause(0.3);
    game.Shot("7-title-option");
    game.Key("Return");
    Frame back;
    EXPECT_TRUE(game.WaitFor(
        [&](const Frame& f) {
            return LooksLikeTitle(f) && ChangedShare(title, f, {0, 0, 960, 380}) < 0.05;
        },
        30, &back))
        << "TITLE SCREEN did not return to the title";
    Pause(1.5);
    game.Shot("8-back-at-title");
    game.Key("Escape");
    EXPECT_EQ(game.WaitExit(20), 0) << game.Log();
}
