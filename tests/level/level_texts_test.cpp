// level_texts_test.cpp — every text a level can show, in English and in
// Spanish, stays inside its window and clear of every other text: the signs
// and door labels where the character sees them, and the speech bubbles
// (dialogs, key messages, the door lines) where they open and wherever the
// character carries them. Rectangles come from the built level: the labels'
// own layout and the bubble's own frame, the window's own camera limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/game.h"
#include "framework/translation.h"
#include "graphics/graphics_context.h"
#include "level/character_contact.h"
#include "level/closeness_triggers.h"
#include "level/door.h"
#include "level/key_item.h"
#include "level/level_stage_harness.h"
#include "stb_image_write.h"

namespace {

struct Rect {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Inside(const Rect& o) const {
        return left >= o.left && right <= o.right && top >= o.top && bottom <= o.bottom;
    }
};

std::string Narrow(StringView s) {
    std::string out;
    for (char16_t c : s) out += c == u'\n' ? '|' : (c < 128 ? static_cast<char>(c) : '?');
    return out;
}

std::string Describe(const Rect& r) {
    std::ostringstream o;
    o << "[" << r.left << ".." << r.right << " x " << r.top << ".." << r.bottom << "]";
    return o.str();
}

c_Vector AbsoluteOf(c_GDO& object) {
    c_SimpleAbsoluteGDOVector at(&object);
    return {at.x, at.y};
}

void Walk(c_GDO& node, const std::function<void(c_GDO&)>& visit) {
    visit(node);
    for (const Ref<c_GDO>& child : node.children)
        if (child) Walk(*child, visit);
}

// Where a character can stand: every few pixels along the world, the top of
// each solid run with two free cells above it (absolute centre positions).
std::vector<c_Vector> StandingSpots(c_TileMap& solid, float characterHeight) {
    std::vector<c_Vector> spots;
    const c_Vector origin = AbsoluteOf(solid);
    const float w = solid.GetWidth(), h = static_cast<float>(solid.tileHeight) * solid.tilesHigh;
    auto solidAt = [&](float x, float y) {
        int column = 0, row = 0;
        return y >= -h / 2 && solid.CellAt(x, y, column, row) && solid.TileAt(column, row) >= 0;
    };
    for (float x = -w / 2 + 8; x < w / 2 - 8; x += 4) {
        for (float y = -h / 2 + 1; y < h / 2; y += 1) {
            if (solidAt(x, y) && !solidAt(x, y - 1) && !solidAt(x, y - 2 * solid.tileHeight)) {
                spots.push_back({origin.x + x, origin.y + y - characterHeight / 2});
            }
        }
    }
    return spots;
}

struct Sign {
    std::string text;
    c_Vector at;
    Rect rect;
    bool givesWay = false;
    bool SeenFrom(c_Vector spot) const {
        return std::fabs(at.x - spot.x) <= kTriggerRangeX && std::fabs(at.y - spot.y) <= kTriggerRangeY;
    }
};

struct Bubble {
    std::string text;
    int durationMs = 0;
    // Where it opens: spots within this box around `at`.
    c_Vector at;
    c_Vector reach;
    float bodyLeft = 0, bodyTop = 0, bodyWidth = 0, bodyHeight = 0;
    bool OpensAt(c_Vector spot) const {
        return std::fabs(at.x - spot.x) < reach.x && std::fabs(at.y - spot.y) < reach.y;
    }
};

struct World {
    std::vector<c_Vector> spots;
    std::vector<Sign> signs;
    std::vector<Bubble> bubbles;
    float lift = 0;  // bubble origin above the character's centre
    c_Vector windowSize;
    Ref<c_WindowLimits> limits;
    Ref<c_DialogBubble> bubble;  // the character's, to place with

    // The window's rectangle once its camera has caught up with a character
    // standing at `spot`.
    Rect WindowAt(c_Vector spot) const {
        float cx = spot.x, cy = spot.y - c_TarnStage::kCameraLift;
        if (limits) {
            cx = std::clamp(cx, limits->minX, std::max(limits->minX, limits->maxX));
            cy = std::clamp(cy, limits->minY, std::max(limits->minY, limits->maxY));
        }
        return {cx - windowSize.x / 2, cy - windowSize.y / 2, cx + windowSize.x / 2, cy + windowSize.y / 2};
    }
    // Where the stage puts the bubble: over the head, kept in the window.
    Rect BubbleAt(const Bubble& b, c_Vector spot) const {
        const Rect view = WindowAt(spot);
        bubble->Frame().bodySize.Set(b.bodyWidth, b.bodyHeight);
        bubble->PlaceWithin({spot.x, spot.y - lift}, view.left, view.top, view.right, view.bottom);
        const float x = bubble->position.x + b.bodyLeft, y = bubble->position.y + b.bodyTop;
        return {x, y, x + b.bodyWidth, y + b.bodyHeight};
    }
};

// The sign's rectangle over its whole bob, its shadow included.
Rect SignRect(c_ClosenessTriggeredText& sign, c_Vector at) {
    const float halfW = sign.textSize.x / 2, halfH = sign.textSize.y / 2;
    return {at.x - halfW, at.y - halfH - c_ClosenessTriggeredText::kBob, at.x + halfW + sign.shadowOffset.x,
            at.y + halfH + c_ClosenessTriggeredText::kBob + sign.shadowOffset.y};
}

void Measure(c_PlayerChar& player, Bubble& b, StringView text) {
    c_DialogBubble& bubble = *player.bubble;
    bubble.Show(text, 1);
    const c_BubbleFrame& frame = bubble.Frame();
    b.bodyLeft = frame.BodyLeft();
    b.bodyTop = frame.BodyTop();
    b.bodyWidth = frame.bodySize.x;
    b.bodyHeight = frame.bodySize.y;
    bubble.Close(true);
    bubble.hideTimer = 0;
    b.text = Narrow(text);
}

World Survey(c_TarnStage& stage, int number) {
    World world;
    c_PlayerChar& player = number == 2 ? *stage.player2 : *stage.player1;
    c_TileMap& solid = number == 2 ? *stage.solidLayer2 : *stage.solidLayer1;
    c_Window& window = number == 2 ? *stage.window2 : *stage.window1;
    world.windowSize = window.size;
    world.limits = window.limits;
    world.lift = 0.75f * player.GetHeight();
    world.bubble = player.bubble;
    world.spots = StandingSpots(solid, player.GetHeight());
    const float halfChar = player.GetWidth() / 2;
    Walk(solid, [&](c_GDO& node) {
        if (auto* sign = dynamic_cast<c_ClosenessTriggeredText*>(&node)) {
            const c_Vector at = AbsoluteOf(*sign);
            world.signs.push_back({Narrow(sign->text), at, SignRect(*sign, at), !sign->giveWayTo.expired()});
        } else if (auto* dialog = dynamic_cast<c_ClosenessTriggeredDialog*>(&node)) {
            Bubble b;
            b.at = AbsoluteOf(*dialog);
            b.reach = {kTriggerRangeX, kTriggerRangeY};
            b.durationMs = dialog->duration;
            Measure(player, b, dialog->text);
            world.bubbles.push_back(b);
        } else if (auto* key = dynamic_cast<c_KeyItem*>(&node)) {
            Bubble b;
            b.at = AbsoluteOf(*key);
            b.reach = {halfChar + key->GetWidth() / 2 + 2, player.GetHeight() / 2 + key->GetHeight() / 2 + 2};
            b.durationMs = 4000;
            for (const String& text : {key->message, TranslateText(kAlreadyHaveKeyText)}) {
                if (text.empty()) continue;
                Measure(player, b, text);
                world.bubbles.push_back(b);
            }
        } else if (auto* door = dynamic_cast<c_Door*>(&node); door && door->level < 0) {
            Bubble b;
            b.at = AbsoluteOf(*door);
            b.reach = {halfChar + door->GetWidth() / 2 + 2, player.GetHeight() / 2 + door->GetHeight() / 2 + 2};
            b.durationMs = 1000;
            for (const char16_t* text : {kNeedKeyText, kNotOpeningText}) {
                // Only a character with a partner waits for the other key.
                if (text == kNotOpeningText && !stage.TwoCharacters()) continue;
                Measure(player, b, TranslateText(text));
                world.bubbles.push_back(b);
            }
        }
    });
    return world;
}

// What collides in one world, one line each.
std::vector<std::string> Collisions(const World& world) {
    std::vector<std::string> found;
    std::vector<std::string> seen;
    // One line per pair of texts, with the first place it happens.
    auto report = [&](const std::string& what, const std::string& where = "") {
        if (std::find(seen.begin(), seen.end(), what) != seen.end()) return;
        seen.push_back(what);
        found.push_back(what + where);
    };
    for (const c_Vector& spot : world.spots) {
        const Rect view = world.WindowAt(spot);
        for (std::size_t i = 0; i < world.signs.size(); ++i) {
            const Sign& s = world.signs[i];
            if (!s.SeenFrom(spot)) continue;
            if (!s.rect.Inside(view))
                report("sign \"" + s.text + "\" leaves the window", " " + Describe(s.rect) + " in " + Describe(view));
            for (std::size_t j = i + 1; j < world.signs.size(); ++j) {
                const Sign& t = world.signs[j];
                if (t.SeenFrom(spot) && s.rect.Overlaps(t.rect))
                    report("sign \"" + s.text + "\" and sign \"" + t.text + "\" overlap");
            }
        }
        for (const Bubble& b : world.bubbles) {
            const Rect body = world.BubbleAt(b, spot);
            if (b.OpensAt(spot) && !body.Inside(view))
                report("bubble \"" + b.text + "\" leaves the window", " " + Describe(body) + " in " + Describe(view));
            // An open bubble goes wherever its character walks; a sign
            // seen from there must make room for it.
            for (const Sign& s : world.signs) {
                if (s.SeenFrom(spot) && !s.givesWay && body.Overlaps(s.rect))
                    report("bubble \"" + b.text + "\" covers sign \"" + s.text + "\"");
            }
        }
    }
    return found;
}

struct LevelCase {
    int level;
    int language;
    int progress;
};

class LevelTextsTest : public LevelStageTest, public testing::WithParamInterface<LevelCase> {};

TEST_P(LevelTextsTest, NoTextLeavesItsWindowOrCoversAnother) {
    const LevelCase c = GetParam();
    SetLanguage(c.language);
    Game().levelProgress = c.progress;
    Ref<c_TarnStage> stage = Play(c.level);
    ASSERT_TRUE(stage);
    for (int number = 1; number <= (stage->TwoCharacters() ? 2 : 1); ++number) {
        const World world = Survey(*stage, number);
        ASSERT_FALSE(world.spots.empty());
        for (const std::string& line : Collisions(world)) ADD_FAILURE() << "world " << number << ": " << line;
    }
}

std::vector<LevelCase> AllCases() {
    std::vector<LevelCase> cases;
    for (int language : {kLanguageEnglish, kLanguageSpanish}) {
        // The hub's door labels read differently before and after the levels.
        cases.push_back({0, language, 0});
        cases.push_back({0, language, 6});
        for (int level = 1; level <= 6; ++level) cases.push_back({level, language, 6});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, LevelTextsTest, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<LevelCase>& param) {
                             return "Level" + std::to_string(param.param.level) +
                                    (param.param.language == kLanguageSpanish ? "Es" : "En") + "Progress" +
                                    std::to_string(param.param.progress);
                         });

// The game itself, not the model above: a two-line bubble opened in a half
// window stays inside it, and a sign the bubble passes over is gone.
TEST_F(LevelStageTest, BubblesStayInTheirWindowAndSignsMakeRoom) {
    Ref<c_TarnStage> stage = Play(2);
    ASSERT_TRUE(stage);
    RunUntil([&] { return stage->updateCount > 150; });  // the windows slide in
    stage->player1->Say(TranslateText(kNotOpeningText), 1000);
    host.Frames(30);
    c_DialogBubble& bubble = *stage->player1->bubble;
    ASSERT_TRUE(bubble.visible);
    const c_Vector at = AbsoluteOf(bubble);
    const c_BubbleFrame& frame = bubble.Frame();
    const Rect body{at.x + frame.BodyLeft(), at.y + frame.BodyTop(), at.x + frame.BodyLeft() + frame.bodySize.x,
                    at.y + frame.BodyTop() + frame.bodySize.y};
    const c_Window& w = *stage->window1;
    const Rect view{std::floor(w.camera.x) - w.size.x / 2, std::floor(w.camera.y) - w.size.y / 2,
                    std::floor(w.camera.x) + w.size.x / 2, std::floor(w.camera.y) + w.size.y / 2};
    EXPECT_TRUE(body.Inside(view)) << Describe(body) << " in " << Describe(view);
}

// The hub's first dialog is still open when the character walks on to door
// 1: its label must not show under the bubble, not even while fading out.
TEST_F(LevelStageTest, TheHubsFirstDialogNeverShowsOverADoorLabel) {
    Ref<c_TarnStage> stage = Play(0);
    ASSERT_TRUE(stage);
    c_PlayerChar& player = *stage->player1;
    std::vector<c_ClosenessTriggeredText*> signs;
    Walk(*stage->solidLayer1, [&](c_GDO& node) {
        if (auto* sign = dynamic_cast<c_ClosenessTriggeredText*>(&node)) signs.push_back(sign);
    });
    platform.KeyDown(GLFW_KEY_RIGHT);
    bool opened = false;
    for (int frame = 0; frame < 600; ++frame) {
        host.Frames(1);
        // The step before door 1 needs a jump.
        if (frame % 40 == 0) Tap(GLFW_KEY_UP);
        c_DialogBubble& bubble = *player.bubble;
        if (!bubble.visible) continue;
        opened = true;
        const c_Vector at = AbsoluteOf(bubble);
        const c_BubbleFrame& shape = bubble.Frame();
        // As drawn: scaled about its origin while it opens or closes.
        const float sx = bubble.scale.x, sy = bubble.scale.y;
        const Rect body{at.x + sx * shape.BodyLeft(), at.y + sy * shape.BodyTop(),
                        at.x + sx * (shape.BodyLeft() + shape.bodySize.x),
                        at.y + sy * (shape.BodyTop() + shape.bodySize.y)};
        for (c_ClosenessTriggeredText* sign : signs) {
            if (sign->alpha > 0.01f && SignRect(*sign, AbsoluteOf(*sign)).Overlaps(body))
                ADD_FAILURE() << "frame " << frame << ": \"" << Narrow(sign->text) << "\" at alpha " << sign->alpha
                              << " under \"" << Narrow(bubble.label->text) << "\"";
        }
    }
    platform.KeyUp(GLFW_KEY_RIGHT);
    EXPECT_TRUE(opened);
}

// The cases above drawn with real OpenGL, kept in build/screen-gallery/ for
// people to look at: the two-line door line in a half window, in both
// languages, and the hub's first dialog on the way to door 1.
struct OnScreen : ScriptedGameTest<> {
    OnScreen() : ScriptedGameTest(ScriptedPlatform::Options{.glContext = true}) {}
    void SetUp() override {
        LinkBuildData();
        StartGame();
    }
    void Shot(const std::string& name) {
        std::vector<int> pixels(960 * 540);
        bool wanted = true;
        host.Platform().OnSwap([&](int) {
            if (!wanted) return;
            ReadPixels(pixels, 0, 0, 960, 540);
            wanted = false;
        });
        host.Frames(1);
        // The hook reads this function's locals: it must not outlive them.
        host.Platform().OnSwap({});
        std::vector<std::uint8_t> rgb(960 * 540 * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const auto v = static_cast<std::uint32_t>(pixels[i]);
            rgb[i * 3] = v >> 16 & 255, rgb[i * 3 + 1] = v >> 8 & 255, rgb[i * 3 + 2] = v & 255;
        }
        const std::filesystem::path gallery = std::filesystem::path(ORBEL_BINARY_DIR) / "screen-gallery";
        std::filesystem::create_directories(gallery);
        ASSERT_TRUE(stbi_write_png((gallery / (name + ".png")).c_str(), 960, 540, 3, rgb.data(), 960 * 3));
    }
    Ref<c_TarnStage> Play(int n) {
        EXPECT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
        GoToLevel(n);
        EXPECT_TRUE(RunUntil([&] { return StageRunning(*game, kStageLevel); }));
        return StageAs<c_TarnStage>();
    }
};

TEST_F(OnScreen, TheDoorLineInAHalfWindow) {
    for (int language : {kLanguageEnglish, kLanguageSpanish}) {
        SetLanguage(language);
        Ref<c_TarnStage> stage = Play(2);
        ASSERT_TRUE(stage);
        RunUntil([&] { return stage->updateCount > 150; });
        stage->player1->Say(TranslateText(kNotOpeningText), 5000);
        stage->player2->Say(TranslateText(kNeedKeyText), 5000);
        host.Frames(30);
        Shot(language == kLanguageSpanish ? "texts-door-line-es" : "texts-door-line-en");
    }
}

TEST_F(OnScreen, TheHubsFirstDialogOnTheWayToDoor1) {
    Ref<c_TarnStage> stage = Play(0);
    ASSERT_TRUE(stage);
    platform.KeyDown(GLFW_KEY_RIGHT);
    for (int frame = 0; frame < 200; ++frame) {
        host.Frames(1);
        if (frame % 40 == 0) Tap(GLFW_KEY_UP);
        if (frame == 60 || frame == 110 || frame == 150) Shot("texts-hub-walk-" + std::to_string(frame));
    }
    platform.KeyUp(GLFW_KEY_RIGHT);
}

}  // namespace
