// Bitmap fonts: reading the description, measuring, drawing with kerning and
// colour codes, and the runtime errors of broken fonts and texts.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "font_fixture.h"
#include "framework/color_stack.h"
#include "render_fixture.h"
#include "support/child_process.h"

namespace {

constexpr std::size_t kQuad = 6;

// The glyph quads drawn, one box each.
std::vector<Box> GlyphBoxes(const RecordedFrame& frame) {
    auto v = frame.Vertices();
    std::vector<Box> boxes;
    for (std::size_t i = 0; i + kQuad <= v.size(); i += kQuad) boxes.push_back(BoundsOf(v, i, kQuad));
    return boxes;
}

String Coloured(int r, int g, int b, StringView text) {
    String s{kColorCode, char16_t(r), char16_t(g), char16_t(b)};
    return s + String(text);
}

}  // namespace

TEST(Font, ReadsTheDescriptionWithAQuotedPageName) {
    RecordedFrame frame;
    TinyFontFolder folder;
    auto font = LoadFont(u"tiny.fnt");
    EXPECT_EQ(font->path, u"tiny.fnt");
    EXPECT_EQ(font->common.lineHeight, 10);
    EXPECT_EQ(font->common.base, 8);
    EXPECT_EQ(font->common.scaleW, 64);
    EXPECT_EQ(font->common.pages, 1);
    ASSERT_EQ(font->pages.size(), 1u);
    EXPECT_EQ(font->pages[0]->path, u"tiny_0.png");  // quotes and CR gone
    ASSERT_NE(font->pages[0]->image, nullptr);
    EXPECT_EQ(font->chars.size(), 8u);
    const c_CharInfo& a = font->chars.at('A');
    EXPECT_EQ(a.width, 7);
    EXPECT_EQ(a.xoffset, 1);
    EXPECT_EQ(a.yoffset, 2);
    EXPECT_EQ(a.xadvance, 8);
    EXPECT_EQ(font->GetKerning('A', 'V'), -2);
    EXPECT_EQ(font->GetKerning('V', 'A'), 0);
    font->Discard();
}

TEST(Font, TextWidthCountsKerningMissingGlyphsAsSpacesAndNotColourCodes) {
    RecordedFrame frame;
    TinyFontFolder folder;
    auto font = LoadFont(u"tiny.fnt");
    struct Case {
        String text;
        int width;
    };
    const Case cases[] = {
        {u"AV", 15},
        {u"VA", 17},
        {u"A V", 23},
        {u"?", 6},  // no glyph: a space
        {Coloured(255, 0, 0, u"AV"), 15},
        {u"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(font->TextWidth(c.text), c.width) << ToUtf8(c.text);
    font->Discard();
}

// Numbers from the file are held to the font limits, so no text measures
// past the int range however long it is or whatever the file claims.
TEST(Font, MetricsFromTheFileAreClampedToTheFontLimits) {
    RecordedFrame frame;
    TinyFontFolder folder;
    folder.Write("wide.fnt",
                 "common lineHeight=2147483647 base=-5 scaleW=99999 pages=4000\n"
                 "page id=0 file=tiny_0.png\n"
                 "char id=65 x=-3 y=9999999999 width=2147483647 height=-1 xoffset=-2147483648 "
                 "yoffset=99999999999999999999 xadvance=2147483647 page=0\n"
                 "char id=66 xadvance=-2147483648 page=0\n"
                 "kerning first=65 second=65 amount=2147483647\n"
                 "kerning first=66 second=66 amount=-2147483648\n");
    auto font = LoadFont(u"wide.fnt");
    const c_CharInfo& a = font->chars.at(65);
    EXPECT_EQ(
        (std::vector<int>{a.x, a.y, a.width, a.height, a.xoffset, a.yoffset, a.xadvance}),
        (std::vector<int>{0, kMaxFontMetric, kMaxFontMetric, 0, -kMaxFontMetric, kMaxFontMetric, kMaxFontMetric}));
    EXPECT_EQ(font->chars.at(66).xadvance, -kMaxFontMetric);
    EXPECT_EQ(font->GetKerning(65, 65), kMaxFontMetric);
    EXPECT_EQ(font->GetKerning(66, 66), -kMaxFontMetric);
    EXPECT_EQ((std::vector<int>{font->LineHeight(), font->common.base, font->common.scaleW, font->common.pages}),
              (std::vector<int>{kMaxFontMetric, 0, kMaxFontMetric, kMaxFontPages}));
    EXPECT_EQ(font->TextWidth(u"AAA"), 5 * kMaxFontMetric);
    // 2 * 4096 a character: past INT_MAX after 262144 of them.
    EXPECT_EQ(font->TextWidth(String(300000, u'A')), INT_MAX);
    EXPECT_EQ(font->TextWidth(String(300000, u'B')), INT_MIN);
    frame.Begin();
    font->DrawText(u"AB", 0, 0);
    frame.End();
    for (const auto& v : frame.Vertices()) EXPECT_LE(std::abs(v.x), 2 * kMaxFontMetric + 1);
    font->Discard();
}

TEST(Font, DrawMovesThePenByScaledAdvanceAndKerning) {
    RecordedFrame frame;
    TinyFontFolder folder;
    auto font = LoadFont(u"tiny.fnt");
    frame.Begin();
    font->DrawText(u"AVA", 100, 50, false, 2, 2);
    font->DrawText(u"A", 10, 100, true, 1, 3);
    frame.End();
    auto boxes = GlyphBoxes(frame);
    ASSERT_EQ(boxes.size(), 4u);
    // A at 100 + 1·2; the pen moves 16, then −4: V at 112; then 18: A at 130.
    EXPECT_FLOAT_EQ(boxes[0].x0, 102);
    EXPECT_FLOAT_EQ(boxes[0].x1, 102 + 7 * 2);
    EXPECT_FLOAT_EQ(boxes[0].y0, 54);
    EXPECT_FLOAT_EQ(boxes[0].y1, 54 + 8 * 2);
    EXPECT_FLOAT_EQ(boxes[1].x0, 112);
    EXPECT_FLOAT_EQ(boxes[2].x0, 132);
    // Centred: up by half the line height (5), scaled by 3.
    EXPECT_FLOAT_EQ(boxes[3].x0, 11);
    EXPECT_FLOAT_EQ(boxes[3].y0, 100 - 15 + 2 * 3);
    font->Discard();
}

TEST(Font, ColourCodeChangesTheColourForTheRestOfTheTextOnly) {
    RecordedFrame frame;
    TinyFontFolder folder;
    auto font = LoadFont(u"tiny.fnt");
    frame.Begin();
    colorstack::SetColor(10, 200, 30);
    font->DrawText(u"a" + Coloured(255, 0, 0, u"bc"), 0, 0);
    EXPECT_EQ(colorstack::CurrentColor(), (c_RGB{10, 200, 30}));
    EXPECT_EQ(colorstack::Depth(), 0);
    frame.End();
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 3 * kQuad);
    EXPECT_EQ((std::array<int, 3>{v[0].r, v[0].g, v[0].b}), (std::array<int, 3>{10, 200, 30}));
    for (std::size_t i = kQuad; i < v.size(); ++i) {
        EXPECT_EQ((std::array<int, 3>{v[i].r, v[i].g, v[i].b}), (std::array<int, 3>{255, 0, 0})) << i;
    }
    font->Discard();
}

TEST(Font, BrokenFontsAndTextsAreRuntimeErrors) {
    struct Case {
        const char* name;
        std::function<void(TinyFontFolder&)> body;
        const char* message;
        // The line that names the file being read, if any.
        const char* fileLine = "";
    };
    const Case cases[] = {
        {"missing page",
         [](TinyFontFolder& folder) {
             folder.Write("broken.fnt", "common lineHeight=10\npage id=0 file=\"missing.png\"\n");
             LoadFont(u"broken.fnt");
         },
         "Font:: Couldn't load page texture from 'missing.png'", "File: ./data/broken.fnt\n"},
        {"page id over the limit",
         [](TinyFontFolder& folder) {
             folder.Write("pages.fnt", "page id=0 file=tiny_0.png\npage id=16 file=tiny_0.png\n");
             LoadFont(u"pages.fnt");
         },
         "Font:: Page id 16 is outside 0 to 15!", "File: ./data/pages.fnt\n"},
        {"negative page id",
         [](TinyFontFolder& folder) {
             folder.Write("pages.fnt", "page id=-1 file=tiny_0.png\n");
             LoadFont(u"pages.fnt");
         },
         "Font:: Page id -1 is outside 0 to 15!", "File: ./data/pages.fnt\n"},
        {"glyph on a page that is not loaded",
         [](TinyFontFolder& folder) {
             folder.Write("two.fnt", "page id=0 file=tiny_0.png\nchar id=65 xadvance=8 page=1\n");
             LoadFont(u"two.fnt")->DrawText(u"A", 0, 0);
         },
         "Font:: Charset page 1 not found!"},
        {"short colour code",
         [](TinyFontFolder&) {
             String text = u"ab";
             text += {kColorCode, 1, 2};
             LoadFont(u"tiny.fnt")->DrawText(text, 0, 0);
         },
         "Font:: Not Enough color information at position 2!"},
    };
    for (const auto& c : cases) {
        ChildResult result = RunInChild([&] {
            RecordedFrame frame;
            TinyFontFolder folder;
            frame.Begin();
            c.body(folder);
        });
        EXPECT_EQ(result.exitCode, 255) << c.name;
        EXPECT_TRUE(StartsWith(FromUtf8(result.out), u"Cobalt Runtime Error : " + S(c.message) + u"\n" + S(c.fileLine)))
            << c.name << ": " << result.out;
    }
}

TEST(Font, AMissingDescriptionGivesAFontWithoutGlyphs) {
    RecordedFrame frame;
    ScopedTempDir dir;
    auto font = LoadFont(u"nothing.fnt");
    EXPECT_TRUE(font->chars.empty());
    EXPECT_EQ(font->TextWidth(u"abc"), 0);
    frame.Begin();
    font->DrawText(u"abc", 0, 0);
    frame.End();
    EXPECT_TRUE(frame.Vertices().empty());
}

TEST(Font, TheGameFontsLoadFromTheDataFolder) {
    RecordedFrame frame;  // the tests run in the build folder, beside ./data
    struct Scrambled {
        Scrambled() { EnableScrambledImages(true); }
        ~Scrambled() { EnableScrambledImages(false); }
    } scrambled;
    struct Case {
        const char16_t* file;
        int lineHeight;
    };
    for (const Case& c : {Case{u"moder_dos_437.fnt", 30}, Case{u"v5_loxica.fnt", 40}}) {
        auto font = LoadFont(c.file);
        EXPECT_EQ(font->common.lineHeight, c.lineHeight) << ToUtf8(c.file);
        ASSERT_EQ(font->pages.size(), 1u) << ToUtf8(c.file);
        EXPECT_NE(font->pages.begin()->second->image, nullptr) << ToUtf8(c.file);
        // Every character of the language menu has a glyph of its own.
        for (char16_t ch : StringView(u"ENGLISH ESPAñOL")) EXPECT_EQ(font->chars.count(ch), 1u) << int(ch);
        EXPECT_GT(font->TextWidth(u"ESPAñOL"), font->TextWidth(u"ESPAOL"));
        frame.Begin();
        font->DrawText(u"ESPAñOL", 0, 0);
        frame.End();
        EXPECT_EQ(frame.Vertices().size(), 7 * kQuad) << ToUtf8(c.file);
        font->Discard();
    }
}
