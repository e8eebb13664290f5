// The game from its first screen through the front end, on the scripted
// host with the real data: language choice, intro, title, ending, credits.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "framework/label.h"
#include "framework/stage.h"
#include "graphics/graphics_context.h"
#include "level/solution_script.h"
#include "level/tarn_stage.h"
#include "stages/credits_stage.h"
#include "stages/ending_stage.h"
#include "support/child_process.h"
#include "support/scripted_game.h"

#include "stb_image_write.h"

namespace {

// A few entries of the Spanish table, so the test does not depend on the
// shipped one.
constexpr const char* kSpanishTable =
    "PRESS ENTER TO START == PULSA ENTER PARA EMPEZAR\n"
    "PRESS ENTER == PULSA ENTER\n"
    "Thanks for playing this Demo! == ¡Gracias por jugar esta demo!\n";

// The game with the build's data files and the table above in its ./data.
struct FrontEndTest : ScriptedGameTest<> {
    void SetUp() override {
        UseTestMaps({});  // links to every file of the build's data, no test map
        std::filesystem::remove(dir.Path() / "data/trans_desktop.txt");  // a link into the build's data
        dir.Write("data/trans_desktop.txt", kSpanishTable);
        StartGame();
    }
    // The first blinking label on the stage's root.
    Ref<c_BlinkingLabel> Prompt(c_GDO& parent) {
        for (const Ref<c_GDO>& child : parent.children) {
            if (auto label = std::dynamic_pointer_cast<c_BlinkingLabel>(child)) return label;
            if (auto inner = Prompt(*child)) return inner;
        }
        return nullptr;
    }
};

// The game with the build's data, drawing with real OpenGL.
struct OnScreenTest : ScriptedGameTest<> {
    OnScreenTest() : ScriptedGameTest(ScriptedPlatform::Options{.glContext = true}) {}
    void SetUp() override {
        LinkBuildData();
        StartGame();
    }
};
struct LanguageMenuOnScreen : OnScreenTest {};
struct WholeGameOnScreen : OnScreenTest {};

}  // namespace

TEST_F(FrontEndTest, EitherLanguageLeadsToTheIntroAndEnglishEmptiesTheTable) {
    RunUntilRunning(kStageLanguage);
    Press(GLFW_KEY_DOWN);
    Press(GLFW_KEY_ENTER);
    host.Frames(1);
    EXPECT_EQ(game->stageId, kStageIntro);
    EXPECT_EQ(CurrentLanguage(), kLanguageSpanish);
    EXPECT_EQ(TranslateText(u"PRESS ENTER TO START"), u"PULSA ENTER PARA EMPEZAR");

    game->nextStage = kStageLanguage;
    RunUntilRunning(kStageLanguage);
    Press(GLFW_KEY_ENTER);  // the cursor starts on English
    host.Frames(1);
    EXPECT_EQ(game->stageId, kStageIntro);
    EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
    EXPECT_EQ(TranslateText(u"PRESS ENTER TO START"), u"PRESS ENTER TO START");
}

TEST_F(FrontEndTest, SpanishRunFromLanguageChoiceThroughIntroTitleAndHubToTheEnding) {
    RunUntilRunning(kStageLanguage);
    Press(GLFW_KEY_DOWN);
    Press(GLFW_KEY_ENTER);

    // The intro: no fade-in by the manager, no key skips it.
    ASSERT_TRUE(RunUntil([&] { return game->stageId == kStageIntro && game->settleCount < 1; }));
    const int introStart = HostMillisecs();
    host.Frames(30);
    Press(GLFW_KEY_ESCAPE);
    Press(GLFW_KEY_ENTER);
    EXPECT_EQ(game->stageId, kStageIntro);
    ASSERT_TRUE(RunUntil([&] { return game->nextStage == kStageTitle || game->stageId == kStageTitle; }));
    const int introLength = HostMillisecs() - introStart;
    EXPECT_GE(introLength, 5900);
    EXPECT_LE(introLength, 6300);

    RunUntilRunning(kStageTitle);
    Ref<c_BlinkingLabel> prompt = Prompt(*game->stage->root);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->text, u"PULSA ENTER PARA EMPEZAR");

    Game().currentLevel = 5;
    Press(GLFW_KEY_ENTER);
    EXPECT_EQ(game->stageId, kStageLevel);
    EXPECT_EQ(Game().currentLevel, 0);

    // The hub runs; from it to the last level, which its recorded solution
    // finishes, and that leads to the ending, in Spanish.
    RunUntilRunning(kStageLevel);
    auto hub = StageAs<c_TarnStage>();
    ASSERT_NE(hub, nullptr);
    hub->StartExit(500, 0, 0, 0, 6);
    ASSERT_TRUE(RunUntil([&] { return game->stage != hub && StageLoaded(*game, kStageLevel); }));
    auto last = StageAs<c_TarnStage>();
    ASSERT_NE(last, nullptr);
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(solution::FileOfLevel(6), events, error)) << error;
    const solution::Outcome outcome = solution::Play(
        host, *game, last, events, [&] { return game->nextStage == kStageEnding; }, 600);
    ASSERT_TRUE(outcome.done) << "the last level was not finished\n" << outcome.where;
    RunUntilRunning(kStageEnding);
    auto ending = StageAs<c_EndingStage>();
    EXPECT_EQ(Prompt(*ending->root)->text, u"PULSA ENTER");
    EXPECT_EQ(ending->thanksLabel->text, u"¡Gracias por jugar esta demo!");
}

TEST_F(FrontEndTest, EndingWaitsForTheThanksTextThenCreditsScrollAndReturnToTitle) {
    game->nextStage = kStageEnding;  // as finishing the last level does
    RunUntilRunning(kStageEnding);
    // Held from the start, and pressed early: the text is not half visible.
    Press(GLFW_KEY_ENTER);
    host.Frames(20);
    Press(GLFW_KEY_SPACE);
    EXPECT_EQ(game->stageId, kStageEnding);
    EXPECT_EQ(game->nextStage, kNoStage);
    ASSERT_LT(StageAs<c_EndingStage>()->thanksGroup->alpha, 0.5f);
    host.Frames(45);
    ASSERT_GE(StageAs<c_EndingStage>()->thanksGroup->alpha, 0.5f);
    Press(GLFW_KEY_ENTER);
    EXPECT_EQ(game->nextStage == kStageCredits || game->stageId == kStageCredits, true);

    RunUntilRunning(kStageCredits);
    EXPECT_EQ(AudioManager::MusicInfo().id, AudioManager::MusicFile(u"CREDITS_BGM"));
    auto credits = StageAs<c_CreditsStage>();
    float before = credits->scroll;
    host.Frames(10);
    EXPECT_NEAR(before - credits->scroll, 3.2f, 0.01f);
    before = credits->scroll;
    platform.KeyDown(GLFW_KEY_SPACE);
    host.Frames(10);
    platform.KeyUp(GLFW_KEY_SPACE);
    host.Frames(1);
    EXPECT_NEAR(before - credits->scroll, 10 * 1.28f + 0.32f, 0.05f);

    // At the end the column stops and waits for a key.
    credits->scroll = credits->ScrollEnd() + 0.5f;
    host.Frames(120);
    EXPECT_FLOAT_EQ(credits->scroll, credits->ScrollEnd());
    EXPECT_EQ(game->stageId, kStageCredits);
    platform.KeyDown(GLFW_KEY_ENTER);
    host.Frames(2);
    platform.KeyUp(GLFW_KEY_ENTER);
    EXPECT_EQ(game->stageId, kStageTitle);
}

TEST_F(FrontEndTest, EscapeLeavesTheCreditsAtOnceWithAMusicFade) {
    game->nextStage = kStageCredits;
    RunUntilRunning(kStageCredits);
    platform.KeyDown(GLFW_KEY_ESCAPE);
    host.Frames(1);
    EXPECT_EQ(game->nextStage, kStageTitle);
    const c_BasicPlaybackInfo& music = AudioManager::MusicInfo();
    ASSERT_NE(music.volumeTween, nullptr);
    EXPECT_EQ(music.volumeTween->to, 0);
    EXPECT_EQ(music.volumeTween->duration, 1000);
    platform.KeyUp(GLFW_KEY_ESCAPE);
}

// The game is started in the child: a parent with OpenAL's mixer thread
// running may fork while that thread holds a lock the child then waits on.
struct FrontEndInChildTest : FrontEndTest {
    void SetUp() override {
        UseTestMaps({});
        std::filesystem::remove(dir.Path() / "data/trans_desktop.txt");
        dir.Write("data/trans_desktop.txt", kSpanishTable);
    }
};

TEST_F(FrontEndInChildTest, EscapeOnTheTitleEndsTheProgramWithExitCodeZero) {
    ChildResult result = RunInChild([&] {
        StartGame();
        game->nextStage = kStageTitle;
        RunUntilRunning(kStageTitle);
        Press(GLFW_KEY_ESCAPE);
        std::_Exit(3);  // still running: the title did not end the program
    });
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
}

// The language menu on real OpenGL: both options carry their flag at both
// ends (blue in the British flag, yellow in the Spanish one).
TEST_F(LanguageMenuOnScreen, ShowsBothOptionsWithTheirFlags) {
    // The frame is read before its buffers swap.
    std::vector<int> pixels;
    host.Platform().OnSwap([&](int) {
        if (game->stageId == kStageLanguage && game->settleCount < 1 && pixels.empty()) {
            pixels.resize(960 * 540);
            ReadPixels(pixels, 0, 0, 960, 540);
        }
    });
    for (int i = 0; i < 300 && pixels.empty(); ++i) host.Frames(1);
    ASSERT_FALSE(pixels.empty()) << "the language menu never showed";

    // Counts the pixels near (cx, cy) (device pixels) that pass `test`.
    auto count = [&](int cx, int cy, auto test) {
        int n = 0;
        for (int y = cy - 21; y < cy + 21; ++y)
            for (int x = cx - 24; x < cx + 24; ++x) {
                const auto v = static_cast<std::uint32_t>(pixels[static_cast<std::size_t>(y * 960 + x)]);
                if (test(int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255))) ++n;
            }
        return n;
    };
    auto blue = [](int r, int g, int b) { return b > 100 && r < 100 && g < 100; };
    auto yellow = [](int r, int g, int b) { return r > 200 && g > 150 && b < 100; };
    // Flags stand 59 virtual pixels either side of the centre, English 8
    // above it and Spanish 8 below, at scale 3.
    for (int x : {480 - 177, 480 + 177}) {
        EXPECT_GT(count(x, 270 - 24, blue), 20) << "British flag at x " << x;
        EXPECT_GT(count(x, 270 + 24, yellow), 20) << "Spanish flag at x " << x;
        EXPECT_EQ(count(x, 270 + 24, blue), 0) << "Spanish flag at x " << x;
    }
    // The option labels between the flags are lit.
    auto white = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
    EXPECT_GT(count(480, 270 - 24, white), 50);
    EXPECT_GT(count(480, 270 + 24, white), 50);
}

// The whole game on real OpenGL, from the language menu through both logos,
// the title, the hub and the last level (played by its recorded solution) to
// the ending and the credits. Each screen is kept as a picture in
// build/screen-gallery/ for people to look at; the checks only ask that
// every screen shows a picture of its own rather than a blank or stale one.
TEST_F(WholeGameOnScreen, EveryScreenFromTheLanguageMenuToTheCreditsIsDrawn) {
    namespace fs = std::filesystem;
    const fs::path gallery = fs::path(ORBEL_BINARY_DIR) / "screen-gallery";
    fs::create_directories(gallery);

    std::vector<int> pixels(960 * 540);
    bool wanted = false;
    auto watchFrames = [&] {
        host.Platform().OnSwap([&](int) {
            if (!wanted) return;
            ReadPixels(pixels, 0, 0, 960, 540);  // before the buffers swap
            wanted = false;
        });
    };
    watchFrames();
    auto runUntilRunning = [&](int id) { return RunUntil([&] { return StageRunning(*game, id); }, 2000); };
    // Saves the next frame as `name`.png and answers the share of its
    // pixels that differ from its most common colour (to 4 bits a channel).
    std::vector<std::uint8_t> previous;
    auto shot = [&](const std::string& name, double* changed) {
        wanted = true;
        host.Frames(1);
        std::vector<std::uint8_t> rgb(960 * 540 * 3);
        std::vector<int> counts(4096);
        for (int y = 0; y < 540; ++y)
            for (int x = 0; x < 960; ++x) {
                const auto v = static_cast<std::uint32_t>(pixels[static_cast<std::size_t>(y * 960 + x)]);
                std::uint8_t* out = &rgb[static_cast<std::size_t>(y * 960 + x) * 3];
                out[0] = v >> 16 & 255, out[1] = v >> 8 & 255, out[2] = v & 255;
                const int key = (out[0] >> 4) << 8 | (out[1] >> 4) << 4 | out[2] >> 4;
                ++counts[static_cast<std::size_t>(key)];
            }
        stbi_write_png((gallery / (name + ".png")).c_str(), 960, 540, 3, rgb.data(), 960 * 3);
        int differing = 0;
        if (previous.size() == rgb.size())
            for (std::size_t i = 0; i < rgb.size(); i += 3)
                differing += std::abs(rgb[i] - previous[i]) + std::abs(rgb[i + 1] - previous[i + 1]) +
                                 std::abs(rgb[i + 2] - previous[i + 2]) >
                             48;
        *changed = double(differing) / (960 * 540);
        previous = std::move(rgb);
        return 1 - double(*std::max_element(counts.begin(), counts.end())) / (960 * 540);
    };
    struct Screen {
        std::string name;
        double drawn;
        double changed;
    };
    std::vector<Screen> screens;
    auto take = [&](const std::string& name) {
        Screen s{name, 0, 0};
        s.drawn = shot(name, &s.changed);
        screens.push_back(s);
    };

    ASSERT_TRUE(runUntilRunning(kStageLanguage));
    take("1-language-menu");
    Press(GLFW_KEY_DOWN);
    Press(GLFW_KEY_ENTER);
    ASSERT_TRUE(RunUntil([&] { return game->stageId == kStageIntro && game->settleCount < 1; }, 300));
    host.Frames(90);  // each logo is on screen for about three seconds
    take("2-first-logo");
    host.Frames(180);
    take("3-second-logo");
    ASSERT_TRUE(runUntilRunning(kStageTitle));
    host.Frames(30);
    take("4-title");
    Press(GLFW_KEY_ENTER);
    ASSERT_TRUE(runUntilRunning(kStageLevel));
    take("5-hub");

    auto hub = std::dynamic_pointer_cast<c_TarnStage>(game->stage);
    ASSERT_NE(hub, nullptr);
    hub->StartExit(500, 0, 0, 0, 6);  // as door 6 does
    ASSERT_TRUE(RunUntil([&] { return game->stage != hub && game->stageId == kStageLevel; }, 600));
    ASSERT_TRUE(runUntilRunning(kStageLevel));
    auto last = std::dynamic_pointer_cast<c_TarnStage>(game->stage);
    take("6-last-level");
    std::vector<solution::Event> events;
    std::string error;
    ASSERT_TRUE(solution::Read(solution::FileOfLevel(6), events, error)) << error;
    const solution::Outcome outcome = solution::Play(
        host, *game, last, events, [&] { return game->nextStage == kStageEnding; }, 600);
    ASSERT_TRUE(outcome.done) << outcome.where;
    watchFrames();  // the player watched the frames in its own way
    last.reset();
    hub.reset();
    ASSERT_TRUE(runUntilRunning(kStageEnding));
    host.Frames(150);  // the thanks text has faded in
    take("7-ending");
    Press(GLFW_KEY_ENTER);
    ASSERT_TRUE(runUntilRunning(kStageCredits));
    host.Frames(400);
    take("8-credits");
    platform.KeyDown(GLFW_KEY_ESCAPE);
    host.Frames(1);
    platform.KeyUp(GLFW_KEY_ESCAPE);
    ASSERT_TRUE(runUntilRunning(kStageTitle));

    for (const Screen& s : screens) {
        EXPECT_GT(s.drawn, 0.01) << s.name << " looks blank";
        if (&s != &screens.front()) {
            EXPECT_GT(s.changed, 0.01) << s.name << " looks like the screen before it";
        }
    }
}
