// Labels: line layout (wrap, cut, shrink to fit), sizes, alignment in and
// without a box, named properties, shadow and blinking.
#include <gtest/gtest.h>

#include "font_fixture.h"
#include "framework/label.h"
#include "render_fixture.h"

namespace {

constexpr std::size_t kQuad = 6;

String Red() { return String{kColorCode, 255, 0, 0}; }

class Labels : public testing::Test {
protected:
    void TearDown() override { font->Discard(); }

    Ref<c_Label> Make(StringView text, c_Vector box = {}, int mode = c_Label::kWrap, float scale = 1) {
        auto label = New<c_Label>(font, scale);
        label->box = box;
        label->layoutMode = mode;
        label->SetText(text);
        return label;
    }

    // The glyph quads drawn by rendering `node`, one box each.
    std::vector<Box> Drawn(c_GDO& node) {
        frame.Begin();
        node.Render();
        frame.End();
        auto v = frame.Vertices();
        std::vector<Box> boxes;
        for (std::size_t i = 0; i + kQuad <= v.size(); i += kQuad) boxes.push_back(BoundsOf(v, i, kQuad));
        return boxes;
    }

    RecordedFrame frame;
    TinyFontFolder folder;
    Ref<c_Font> font = LoadFont(u"tiny.fnt");
};

}  // namespace

TEST_F(Labels, ShrinkToFitScalesTheOneLineDownToTheBox) {
    struct Case {
        c_Vector box;
        bool uniform;
        c_Vector scale2;
    };
    // "WWWWWWWWWW" is 100 pixels wide and 10 high at scale 1.
    const Case cases[] = {
        {{50, 0}, false, {0.5f, 1}},     {{50, 0}, true, {0.5f, 0.5f}}, {{0, 5}, false, {1, 0.5f}},
        {{25, 8}, true, {0.25f, 0.25f}}, {{200, 40}, false, {1, 1}},
    };
    for (const auto& c : cases) {
        auto label = New<c_Label>(font, 1.0f);
        label->layoutMode = c_Label::kShrink;
        label->box = c.box;
        label->uniformScale = c.uniform;
        label->SetText(u"WWWWWWWWWW");
        EXPECT_FLOAT_EQ(label->scale2.x, c.scale2.x) << c.box.x << "," << c.box.y;
        EXPECT_FLOAT_EQ(label->scale2.y, c.scale2.y) << c.box.x << "," << c.box.y;
        EXPECT_EQ(label->lines, std::vector<String>{u"WWWWWWWWWW"});
        EXPECT_FLOAT_EQ(label->textSize.x, 100 * c.scale2.x);
    }
}

TEST_F(Labels, LayoutBreaksLines) {
    struct Case {
        const char* name;
        String text;
        float boxWidth;
        int mode;
        bool wordWrap;
        std::vector<String> lines;
    };
    const Case cases[] = {
        {"three words at box 40 drop the break spaces",
         u"aaaa bbbb cccc",
         40,
         c_Label::kWrap,
         true,
         {u"aaaa", u"bbbb", u"cccc"}},
        {"no box width: one line", u"aaaa bbbb cccc", 0, c_Label::kWrap, true, {u"aaaa bbbb cccc"}},
        {"newlines", u"ab\ncd", 0, c_Label::kWrap, true, {u"ab", u"cd"}},
        {"CR LF adds an empty line", u"ab\r\ncd", 0, c_Label::kWrap, true, {u"ab", u"", u"cd"}},
        {"no empty last line", u"ab\n", 0, c_Label::kWrap, true, {u"ab"}},
        {"empty text", u"", 40, c_Label::kWrap, true, {}},
        {"without word wrap anywhere", u"aaaaaaaaa", 40, c_Label::kWrap, false, {u"aaaaaa", u"aaa"}},
        {"a word wider than the box", u"ab aaaaaaaaa", 40, c_Label::kWrap, true, {u"ab", u"aaaaaa", u"aaa"}},
        {"a colour carries to the next line",
         u"aa" + Red() + u"aa bbbb",
         40,
         c_Label::kWrap,
         true,
         {u"aa" + Red() + u"aa", Red() + u"bbbb"}},
        {"cut to the box", u"aaaaaaaaa", 40, c_Label::kCut, true, {u"aaaaaa"}},
        {"cut without a box", u"aaaa\naaaaa", 0, c_Label::kCut, true, {u"aaaa\naaaaa"}},
    };
    for (const auto& c : cases) {
        auto label = New<c_Label>(font, 1.0f);
        label->box.Set(c.boxWidth, 0);
        label->layoutMode = c.mode;
        label->wordWrap = c.wordWrap;
        label->SetText(c.text);
        EXPECT_EQ(label->lines, c.lines) << c.name;
    }
}

TEST_F(Labels, SizesFollowTheLinesAndTheSpacing) {
    auto label = Make(u"aaaa bbbb ab", {30, 0}, c_Label::kWrap, 0.5f);
    // The box is measured against the scaled text: 66 font pixels are 33.
    EXPECT_EQ(label->lines, (std::vector<String>{u"aaaa bbbb", u"ab"}));
    label->box.Set(20, 0);
    label->lineSpacing = 1.5f;
    label->Refresh();
    ASSERT_EQ(label->lines, (std::vector<String>{u"aaaa", u"bbbb", u"ab"}));
    EXPECT_EQ(label->lineWidths, (std::vector<int>{12, 12, 6}));
    EXPECT_FLOAT_EQ(label->textSize.x, 12);
    EXPECT_FLOAT_EQ(label->textSize.y, 5 + 5 * 2 * 1.5f);
    EXPECT_FLOAT_EQ(label->GetWidth(), 20);   // the box
    EXPECT_FLOAT_EQ(label->GetHeight(), 20);  // the text
}

TEST_F(Labels, NamedPropertiesLayTheTextOutAgain) {
    auto label = Make(u"aaaa bbbb", {}, c_Label::kWrap, 1);
    ASSERT_FLOAT_EQ(label->textSize.x, 54);
    EXPECT_TRUE(label->SetFloat(u"fontscale", 0.5f));
    EXPECT_EQ(label->scale2, (c_Vector{0.5f, 0.5f}));
    EXPECT_FLOAT_EQ(label->textSize.x, 27);
    EXPECT_FLOAT_EQ(label->textSize.y, 5);
    EXPECT_EQ(label->lineWidths, std::vector<int>{27});

    EXPECT_TRUE(label->SetFloat(u"fontscale.x", 2));
    EXPECT_EQ(label->fontScale, (c_Vector{2, 0.5f}));
    EXPECT_TRUE(label->SetFloat(u"fontscale.y", 1));
    EXPECT_EQ(label->fontScale, (c_Vector{2, 1}));

    // Each sets its own side of the box and leaves the other free, so a
    // narrower box wraps into lines that all draw.
    EXPECT_TRUE(label->SetFloat(u"width", 60));  // wraps at 60 now: two lines
    EXPECT_EQ(label->box, (c_Vector{60, 0}));
    EXPECT_EQ(label->lines.size(), 2u);
    EXPECT_EQ(Drawn(*label).size(), 8u);
    EXPECT_TRUE(label->SetFloat(u"height", 33));
    EXPECT_EQ(label->box, (c_Vector{60, 33}));

    auto tall = Make(u"aaaa", {}, c_Label::kWrap, 1);
    EXPECT_TRUE(tall->SetFloat(u"height", 40));
    EXPECT_EQ(tall->box, (c_Vector{0, 40}));
    tall->SetText(u"aaaa bbbb");  // longer than the first text: still one line
    EXPECT_EQ(tall->lines, std::vector<String>{u"aaaa bbbb"});

    EXPECT_TRUE(label->SetFloat(u"alpha", 0.25f));  // c_GDO's names still work
    EXPECT_FLOAT_EQ(label->alpha, 0.25f);
    EXPECT_FALSE(label->SetFloat(u"FontScale", 3));
}

TEST_F(Labels, AlignmentPlacesTheBlockAboutThePosition) {
    struct Case {
        const char* name;
        c_Vector box;
        int hAlign, vAlign;
        float x, y;  // where the first line's pen starts
        std::size_t glyphs;
    };
    // Two lines "bb" (12 wide) of height 10: a block 12 × 20.
    const Case cases[] = {
        {"no box: centred", {}, 0, 0, -6, -10, 4},
        {"box, centred", {40, 40}, 0, 0, -6, -10, 4},
        {"bottom", {40, 40}, 0, 1, -6, 0, 4},
        {"top", {40, 40}, 0, 2, -6, -20, 4},
        {"left", {40, 40}, -1, 2, -20, -20, 4},
        {"right", {40, 40}, 1, 2, 8, -20, 4},
        {"taller than the box, centred: from the top, one line", {40, 15}, 0, 0, -6, -7, 2},
        {"taller than the box, bottom: from the top", {40, 15}, 0, 1, -6, -7, 2},
    };
    for (const auto& c : cases) {
        auto label = Make(u"bb\nbb", c.box);
        label->hAlign = c.hAlign;
        label->vAlign = c.vAlign;
        label->position.Set(100, 100);
        auto glyphs = Drawn(*label);
        ASSERT_EQ(glyphs.size(), c.glyphs) << c.name;
        EXPECT_FLOAT_EQ(glyphs[0].x0, 100 + c.x) << c.name;
        EXPECT_FLOAT_EQ(glyphs[0].y0, 100 + c.y + 2) << c.name;  // 'b' sits 2 below the pen
        if (c.glyphs == 4) {
            EXPECT_FLOAT_EQ(glyphs[2].y0, glyphs[0].y0 + 10) << c.name;
        }
    }
}

TEST_F(Labels, ShadowIsDrawnFirstOffsetAndInItsColour) {
    auto label = New<c_LabelWithShadow>(font, 1.0f);
    label->SetText(u"b");
    label->tint = {200, 100, 50};
    label->shadowOffset.Set(2, 3);
    label->shadowColor = {0, 0, 255};
    label->position.Set(100, 100);
    Drawn(*label);
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 2 * kQuad);
    Box shadow = BoundsOf(v, 0, kQuad), text = BoundsOf(v, kQuad, kQuad);
    EXPECT_FLOAT_EQ(shadow.x0, text.x0 + 2);
    EXPECT_FLOAT_EQ(shadow.y0, text.y0 + 3);
    EXPECT_EQ((std::array<int, 3>{v[0].r, v[0].g, v[0].b}), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ((std::array<int, 3>{v[kQuad].r, v[kQuad].g, v[kQuad].b}), (std::array<int, 3>{200, 100, 50}));
}

TEST_F(Labels, BlinkingShowsTheFirstHalfOfEachPeriod) {
    auto label = New<c_BlinkingLabel>(font, 1.0f);
    label->blinkPeriod = 200;
    std::vector<bool> shown;
    for (int i = 0; i < 6; ++i) {
        label->Update(50);
        shown.push_back(label->visible);
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, true, true}));
    label->blinking = false;
    label->Update(50);
    label->Update(50);
    EXPECT_TRUE(label->visible);
}
