// Collapsible panels (the two-step opening and closing) and speech bubbles
// (sizing to the text, the "BUBBLE" sound, the hide timer, showing again).
#include <gtest/gtest.h>

#include <cmath>

#include "audio/audio_fixtures.h"
#include "audio/gxtk_audio.h"
#include "font_fixture.h"
#include "framework/audio_manager.h"
#include "framework/collapsible_panel.h"
#include "framework/rectangle_gdo.h"
#include "render_fixture.h"

namespace {

constexpr float kC = c_CollapsiblePanel::kCollapsed;

struct Step {
    float scaleX, scaleY;
    int state;
    bool visible;
};

void ExpectStep(c_CollapsiblePanel& panel, const Step& s, const char* when) {
    EXPECT_FLOAT_EQ(panel.scale.x, s.scaleX) << when;
    EXPECT_FLOAT_EQ(panel.scale.y, s.scaleY) << when;
    EXPECT_EQ(panel.panelState, s.state) << when;
    EXPECT_EQ(panel.visible, s.visible) << when;
    EXPECT_EQ(panel.enabled, s.visible) << when;
}

int ChannelsPlaying(StringView id) {
    int count = 0;
    for (int c = 0; c < AudioManager::kManagedChannels; ++c) count += AudioManager::ChannelId(c) == id;
    return count;
}

}  // namespace

TEST(CollapsiblePanel, OpensAndClosesInTwoStepsOf150Ms) {
    auto content = New<c_RectangleGDO>(120, 100);
    auto panel = New<c_CollapsiblePanel>(content);
    EXPECT_EQ(panel->children.front(), content);
    EXPECT_FLOAT_EQ(panel->GetWidth(), 120);
    ExpectStep(*panel, {1, 1, 0, false}, "made");

    panel->visible = panel->enabled = true;
    panel->SetPanelState(1);
    ExpectStep(*panel, {kC, kC, 1, true}, "opening");
    panel->Update(75);
    EXPECT_GT(panel->scale.y, kC);
    EXPECT_LT(panel->scale.y, 1);
    EXPECT_FLOAT_EQ(panel->scale.x, kC);
    panel->Update(75);
    ExpectStep(*panel, {kC, 1, 2, true}, "height grown");
    panel->Update(150);
    ExpectStep(*panel, {1, 1, 2, true}, "width grown");
    panel->Update(16);
    panel->Update(16);
    ExpectStep(*panel, {1, 1, 0, true}, "open");

    // A phase ends when its side reaches the end value exactly: at the
    // update after the 150 ms when the curve rounds short of it.
    panel->Close(false);
    ExpectStep(*panel, {1, 1, 3, true}, "closing");
    panel->Update(160);
    ExpectStep(*panel, {kC, 1, 4, true}, "width shrunk");
    panel->Update(160);
    ExpectStep(*panel, {kC, kC, 4, true}, "height shrunk");
    panel->Update(16);
    ExpectStep(*panel, {kC, kC, 0, false}, "closed");

    panel->visible = panel->enabled = true;
    panel->SetPanelState(1);
    panel->Close(true);
    ExpectStep(*panel, {kC, kC, 0, false}, "closed at once");
}

class Bubbles : public testing::Test {
protected:
    void SetUp() override {
        AudioManager::Init();
        folder.Write("bubble.png", ImageFolder::Png(16, 12, [](int, int) { return 0x202030E0u; }));
        bubble = New<c_DialogBubble>(font);
        AudioManager::PreloadSFX(
            S(audio_test::WriteTempFile(
                "bubble.wav", audio_test::MakeWav({1, 1, 16, 22050, 16, {}, audio_test::SinePcm16(1, 22050, 300)}))),
            u"BUBBLE", false);
    }
    void TearDown() override {
        bubble->Discard();
        font->Discard();
        AudioManager::Shutdown();
    }

    RecordedFrame frame;
    gxtkAudio audio;
    TinyFontFolder folder;
    Ref<c_Font> font = LoadFont(u"tiny.fnt");
    Ref<c_DialogBubble> bubble;
};

TEST_F(Bubbles, FitsTheBodyToTheTextAboveTheTailsTip) {
    ASSERT_EQ(bubble->children.size(), 2u);
    EXPECT_EQ(bubble->children[1], bubble->label);
    EXPECT_FLOAT_EQ(bubble->label->fontScale.x, 0.4f);
    const c_BubbleFrame& shape = bubble->Frame();
    // (text width, text height) for one line and for two: the body grows
    // with the text, always in whole pixels with 6 of bubble around it, and
    // stays above the tail (3 rows of the 16 x 12 picture), whose tip lies
    // 6 pixels below the bubble's origin; the text is centred in the body.
    const struct {
        const char16_t* text;
        float width, height;
    } kCases[] = {{u"aa", 4.8f, 4}, {u"aa\nbbb", 7.2f, 8}};
    for (const auto& c : kCases) {
        bubble->Show(c.text, 1000);
        EXPECT_FLOAT_EQ(bubble->label->GetWidth(), c.width) << "text measured";
        EXPECT_FLOAT_EQ(bubble->label->GetHeight(), c.height) << "text measured";
        EXPECT_FLOAT_EQ(shape.bodySize.x, std::ceil(c.width) + 6);
        EXPECT_FLOAT_EQ(shape.bodySize.y, c.height + 6);
        EXPECT_FLOAT_EQ(shape.BodyTop() + shape.bodySize.y, 6 - 3) << "the body ends where the tail starts";
        EXPECT_FLOAT_EQ(bubble->label->position.x, shape.BodyCentre().x);
        EXPECT_FLOAT_EQ(bubble->label->position.y, shape.BodyCentre().y);
        // The text block lies inside the body with the padding on each side.
        EXPECT_GE(bubble->label->position.y - c.height / 2, shape.BodyTop() + 3 - 0.01f);
        EXPECT_LE(bubble->label->position.y + c.height / 2, shape.BodyTop() + shape.bodySize.y - 3 + 0.01f);
        EXPECT_GE(bubble->label->position.x - c.width / 2, shape.BodyLeft() + 3 - 0.01f);
    }
    EXPECT_FLOAT_EQ(bubble->GetHeight(), 8 + 6 + 3);
}

TEST_F(Bubbles, ShownForAWhileOpensPlaysOnceStaysAndCloses) {
    EXPECT_FALSE(bubble->visible);
    bubble->Show(u"ab", 3000);
    ExpectStep(*bubble, {kC, kC, 1, true}, "shown");
    EXPECT_EQ(ChannelsPlaying(u"BUBBLE"), 1);
    bubble->Update(150);
    ExpectStep(*bubble, {kC, 1, 2, true}, "first step");
    bubble->Update(150);
    ExpectStep(*bubble, {1, 1, 2, true}, "second step");

    // Showing it again while open takes the new text and restarts the timer,
    // nothing else.
    bubble->Update(1000);
    bubble->Update(16);
    ExpectStep(*bubble, {1, 1, 0, true}, "open");
    bubble->Show(u"abc", 3000);
    EXPECT_EQ(bubble->label->text, u"abc");
    EXPECT_EQ(bubble->hideTimer, 3000);
    ExpectStep(*bubble, {1, 1, 0, true}, "shown again");
    EXPECT_EQ(ChannelsPlaying(u"BUBBLE"), 1);

    bubble->Update(2999);
    ExpectStep(*bubble, {1, 1, 0, true}, "1 ms left");
    bubble->Update(1);
    ExpectStep(*bubble, {1, 1, 3, true}, "time up");
    for (int i = 0; i < 21; ++i) bubble->Update(16);
    ExpectStep(*bubble, {kC, kC, 0, false}, "closed");
    bubble->Update(5000);  // a closed bubble stays closed
    ExpectStep(*bubble, {kC, kC, 0, false}, "still closed");
}

TEST_F(Bubbles, ShowingWhileClosingOpensAgain) {
    bubble->Show(u"ab", 100);
    for (int i = 0; i < 5; ++i) bubble->Update(100);
    ASSERT_EQ(bubble->panelState, 4);
    bubble->Show(u"abc", 0);
    ExpectStep(*bubble, {kC, kC, 1, true}, "reopening");
    EXPECT_EQ(ChannelsPlaying(u"BUBBLE"), 2);  // the first is still on its channel
    for (int i = 0; i < 10; ++i) bubble->Update(100);
    ExpectStep(*bubble, {1, 1, 0, true}, "open without a timer");
}
