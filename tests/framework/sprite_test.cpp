// Textures, tile sets, sprites and static images.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "framework/events.h"
#include "framework/sprite.h"
#include "framework/static_image.h"
#include "framework/tile_set.h"
#include "host/files.h"
#include "host/scramble.h"
#include "image_files.h"
#include "render_fixture.h"
#include "support/child_process.h"

namespace {

// A frame collection that needs no texture.
class Cells final : public Object, public c_DrawableCollection {
public:
    int selected = -1;
    bool IsVisible() override { return true; }
    void Draw() override {}
    float GetWidth() override { return 16; }
    float GetHeight() override { return 24; }
    int GetFrameCount() override { return 8; }
    void SelectFrame(int index) override { selected = index; }
};

class EndLog final : public Object, public c_EventListener {
public:
    std::vector<String> names;
    void OnEvent(Object*, int id, Object* data) override {
        if (id == kSpriteSequenceEnded) names.push_back(static_cast<c_StringObject*>(data)->value);
    }
};

// Cell (column, row) of a sheet is coloured (40·column, 40·row, 200).
std::uint32_t SheetColour(int x, int y) {
    return (std::uint32_t(x / 16 * 40) << 24) | (std::uint32_t(y / 16 * 40) << 16) | (200u << 8) | 255u;
}

class Sprites : public ::testing::Test {
protected:
    void SetUp() override { ClearListeners(); }
    void TearDown() override {
        ClearListeners();
        EnableScrambledImages(false);
    }
};

}  // namespace

TEST_F(Sprites, TileSetCutsCellsWithSpacingAndMargin) {
    RecordedFrame frame;
    ImageFolder folder;
    auto sheet = GetTexture(folder.Write("sheet.png", ImageFolder::Png(64, 32, SheetColour)));
    ASSERT_NE(sheet->image, nullptr);
    auto tiles = New<c_TileSet>(sheet, 16, 16);
    EXPECT_EQ(tiles->columns, 4);
    EXPECT_EQ(tiles->rows, 2);
    EXPECT_EQ(tiles->GetFrameCount(), 8);
    struct Case {
        int index, tile, x, y;
    };
    for (const Case& c : {Case{5, 5, 16, 16}, Case{12, 7, 48, 16}, Case{-3, 0, 0, 0}, Case{3, 3, 48, 0}}) {
        tiles->SelectFrame(c.index);
        EXPECT_EQ(tiles->currentTile, c.tile) << c.index;
        EXPECT_EQ(tiles->sourceX, c.x) << c.index;
        EXPECT_EQ(tiles->sourceY, c.y) << c.index;
    }

    // 16-pixel cells, 1 pixel apart and 1 pixel in from the edge.
    auto spaced = GetTexture(folder.Write("spaced.png", ImageFolder::Png(35, 18, SheetColour)));
    auto margin = New<c_TileSet>(spaced, 16, 16, 1, 1, true);
    EXPECT_EQ(margin->tileCount, 2);
    margin->SelectFrame(0);
    EXPECT_EQ(margin->sourceX, 1);
    EXPECT_EQ(margin->sourceY, 1);
    margin->SelectFrame(1);
    EXPECT_EQ(margin->sourceX, 18);

    // A cell size that cuts nothing selects and draws nothing.
    auto none = New<c_TileSet>(sheet, 0, 0, 0, 0, false);
    none->SelectFrame(3);
    EXPECT_EQ(none->tileCount, 0);
    frame.Begin();
    none->Draw();
    frame.End();
    EXPECT_TRUE(frame.gl.draws.empty());
}

TEST_F(Sprites, AnImageSmallerThanOneCellCutsNoCells) {
    RecordedFrame frame;
    ImageFolder folder;
    struct Case {
        const char* what;
        int width, height;
        int columns, rows;
    };
    for (const Case& c : {Case{"narrower", 8, 40, 0, 2}, Case{"shorter", 40, 8, 2, 0}}) {
        SCOPED_TRACE(c.what);
        auto tiles = New<c_TileSet>(
            GetTexture(folder.Write(std::string(c.what) + ".png", ImageFolder::Png(c.width, c.height, SheetColour))),
            16, 16);
        EXPECT_EQ(tiles->columns, c.columns);
        EXPECT_EQ(tiles->rows, c.rows);
        EXPECT_EQ(tiles->GetFrameCount(), 0);
        for (int index : {0, 3, -1}) tiles->SelectFrame(index);
        EXPECT_EQ(tiles->sourceX, 0);
        EXPECT_EQ(tiles->sourceY, 0);
        // Even with a frame count that disagrees with the cut, selecting
        // never divides by the missing columns.
        tiles->tileCount = 4;
        tiles->SelectFrame(2);
        EXPECT_EQ(tiles->sourceX, 0);

        auto sprite = New<c_Sprite>(tiles, 10);
        sprite->AddSequence(u"idle", {1}, false);
        sprite->Play(u"idle");
        EXPECT_TRUE(frame.RenderOnce(*sprite).empty());
    }
}

TEST_F(Sprites, SpriteDrawsItsCellCentredThroughTheTree) {
    RecordedFrame frame;
    ImageFolder folder;
    auto tiles = New<c_TileSet>(GetTexture(folder.Write("sheet.png", ImageFolder::Png(64, 32, SheetColour))), 16, 16);
    auto sprite = New<c_Sprite>(tiles, 10);
    sprite->AddSequence(u"idle", {6}, false);
    sprite->Play(u"idle");
    sprite->position.Set(100, 100);
    auto v = frame.RenderOnce(*sprite);
    ASSERT_EQ(v.size(), 6u);
    Box b = BoundsOf(v, 0, 6);
    EXPECT_EQ(b.x0, 92);
    EXPECT_EQ(b.y1, 108);
    // Cell 6 is column 2, row 1: texture coordinates 32..48 of 64, 16..32 of 32.
    Box uv{1e9f, 1e9f, -1e9f, -1e9f};
    for (const auto& p : v) {
        uv.x0 = std::min(uv.x0, p.u);
        uv.x1 = std::max(uv.x1, p.u);
        uv.y0 = std::min(uv.y0, p.v);
        uv.y1 = std::max(uv.y1, p.v);
    }
    EXPECT_FLOAT_EQ(uv.x0, 0.5f);
    EXPECT_FLOAT_EQ(uv.x1, 0.75f);
    EXPECT_FLOAT_EQ(uv.y0, 0.5f);
    EXPECT_FLOAT_EQ(uv.y1, 1.0f);
    EXPECT_EQ(sprite->GetWidth(), 16);
}

TEST_F(Sprites, LoopingSequenceAtFiveFramesPerSecond) {
    auto sprite = New<c_Sprite>(New<Cells>(), 5);
    EXPECT_EQ(sprite->frameDuration, 200);
    auto log = New<EndLog>();
    AddListener(log, sprite.get(), kSpriteSequenceEnded);
    sprite->AddSequence(u"walk", {0, 1, 2, 1}, true);
    sprite->Play(u"walk");
    // Cell shown after each 100 ms step.
    const int expected[] = {0, 1, 1, 2, 2, 1, 1, 0};
    for (int step = 0; step < 8; ++step) {
        sprite->Update(100);
        EXPECT_EQ(sprite->currentTile, expected[step]) << "step " << step + 1;
        EXPECT_EQ(log->names.size(), step == 7 ? 1u : 0u) << "step " << step + 1;
    }
    EXPECT_EQ(log->names[0], u"walk");
    EXPECT_EQ(sprite->state, c_Sprite::kPlaying);

    // With 16 ms steps a frame lasts 13 steps (208 ms): the remainder is
    // dropped.
    auto slow = New<c_Sprite>(New<Cells>(), 5);
    slow->AddSequence(u"walk", {0, 1, 2, 1}, true);
    slow->Play(u"walk");
    int steps = 0;
    while (slow->currentTile == 0) {
        slow->Update(16);
        ++steps;
    }
    EXPECT_EQ(steps, 13);
    // A long update still advances one frame only.
    slow->Update(5000);
    EXPECT_EQ(slow->frameIndex, 2);
}

TEST_F(Sprites, OneShotFinishesOnItsLastFrameWithOneEvent) {
    auto sprite = New<c_Sprite>(New<Cells>(), 10);
    auto log = New<EndLog>();
    AddListener(log, sprite.get(), kAnyEvent);
    sprite->AddSequenceRange(u"open", 3, 5, false);
    sprite->Play(u"open");
    for (int i = 0; i < 10; ++i) sprite->Update(100);
    EXPECT_EQ(sprite->state, c_Sprite::kFinished);
    EXPECT_EQ(sprite->currentTile, 5);
    EXPECT_EQ(log->names, (std::vector<String>{u"open"}));
    sprite->Play(u"open");  // finished, not restarted
    EXPECT_EQ(sprite->state, c_Sprite::kFinished);
}

TEST_F(Sprites, PlayDoesNotRestartTheCurrentSequence) {
    auto sprite = New<c_Sprite>(New<Cells>(), 10);
    sprite->AddSequence(u"walk", {4, 5, 6}, true);
    sprite->AddSequence(u"jump", {7}, false);
    sprite->Play(u"walk");
    sprite->Update(100);
    sprite->Play(u"walk");
    EXPECT_EQ(sprite->currentTile, 5);
    sprite->Update(50);
    sprite->Play(u"walk");
    EXPECT_EQ(sprite->frameTimer, 50);

    sprite->Play(u"jump");
    EXPECT_EQ(sprite->currentTile, 7);
    sprite->Play(u"walk");
    EXPECT_EQ(sprite->currentTile, 4);
    EXPECT_EQ(sprite->frameIndex, 0);

    sprite->Play(u"missing");  // stops and stays stopped
    EXPECT_EQ(sprite->state, c_Sprite::kStopped);
    EXPECT_EQ(sprite->sequenceName, u"");
    EXPECT_EQ(sprite->sequence, nullptr);
    sprite->Update(1000);
    EXPECT_EQ(sprite->state, c_Sprite::kStopped);

    // Frame rates: below 1 never advances; above 1000 counts as 1000.
    EXPECT_EQ(New<c_Sprite>(nullptr, 0)->frameDuration, 0);
    EXPECT_EQ(New<c_Sprite>(nullptr, 3)->frameDuration, 333);
    EXPECT_EQ(New<c_Sprite>(nullptr, 5000)->frameDuration, 1);
    auto frozen = New<c_Sprite>(New<Cells>(), 0);
    frozen->AddSequence(u"a", {1, 2}, true);
    frozen->Play(u"a");
    frozen->Update(10000);
    EXPECT_EQ(frozen->currentTile, 1);
}

TEST_F(Sprites, GhostMovesAndPosesWithItsSource) {
    auto source = New<c_Sprite>(New<Cells>(), 10);
    source->AddSequence(u"walk", {0, 1, 2, 3}, true);
    source->Play(u"walk");
    auto ghostCells = New<Cells>();
    auto ghost = New<c_SpriteGhost>(ghostCells, 10, source);
    ghost->AddSequence(u"pose", {10, 11, 12}, true);
    ghost->Play(u"pose");
    source->position.Set(30, 40);
    source->scale.Set(-1, 1);
    for (int i = 0; i < 3; ++i) source->Update(100);  // the source shows cell 3
    ghost->Update(16);
    EXPECT_EQ(ghost->position, c_Vector(30, 40));
    EXPECT_EQ(ghost->scale, c_Vector(-1, 1));
    EXPECT_EQ(ghost->frameIndex, 2);  // index 3 clamped to the last
    EXPECT_EQ(ghost->currentTile, 12);
}

TEST_F(Sprites, TextureCacheSharesByPathAndFrameCount) {
    RecordedFrame frame;
    ImageFolder folder;
    String path = folder.Write("strip.png", ImageFolder::Png(32, 8, SheetColour));
    auto a = GetTexture(path, 4);
    EXPECT_EQ(GetTexture(path, 4), a);
    auto b = GetTexture(path, 2);
    EXPECT_NE(b, a);
    EXPECT_EQ(a->image->Width(), 8);
    EXPECT_EQ(b->image->Width(), 16);
    EXPECT_EQ(GetTexture(path, 0), GetTexture(path, 1));  // at least one frame
    EXPECT_EQ(TextureCache().size(), 3u);

    // New textures are drawn once, frame by frame, to reach the device.
    frame.Begin();
    WarmUpNewTextures();
    frame.End();
    EXPECT_EQ(frame.gl.drawCalls, 3);  // one batch per texture: 4 + 2 + 1 frames
    EXPECT_EQ(frame.Vertices().size(), 6u * 7u);
    EXPECT_FALSE(a->loaded);
    frame.Begin();
    WarmUpNewTextures();
    frame.End();
    EXPECT_EQ(frame.gl.drawCalls, 0);

    a->keep = true;
    a->Discard();
    EXPECT_NE(a->image, nullptr);
    a->keep = false;
    a->Discard();
    EXPECT_EQ(a->image, nullptr);
    EXPECT_NE(GetTexture(path, 4), a);  // loaded afresh

    // A missing file in the plain mode gives a texture without an image.
    auto missing = GetTexture(folder.PathOf("none.png"));
    EXPECT_EQ(missing->image, nullptr);
    auto picture = New<c_StaticImage>(missing);
    EXPECT_EQ(picture->GetWidth(), 0);
}

TEST_F(Sprites, ScrambledModeReadsTheScrambledFile) {
    RecordedFrame frame;
    ImageFolder folder;
    EXPECT_EQ(ScrambledImagePath(u"a.b/title.png"), u"a.b/title.imx");
    EXPECT_EQ(ScrambledImagePath(u"photo.jpg"), u"photo.imy");
    EXPECT_EQ(ScrambledImagePath(u"font.PNG"), u"font.PNG");

    std::string png = ImageFolder::Png(20, 10, SheetColour);
    folder.Write("logo.imx", ScrambleFile(png));  // no logo.png exists
    std::string broken = ScrambleFile(png);
    broken[2] = static_cast<char>(broken[2] + 1);
    folder.Write("broken.imx", broken);
    folder.Write("junk.imx", ScrambleFile("not an image at all"));

    EnableScrambledImages(true);
    auto logo = GetTexture(folder.PathOf("logo.png"));
    ASSERT_NE(logo->image, nullptr);
    EXPECT_EQ(logo->image->Width(), 20);
    EXPECT_EQ(GetTexture(folder.PathOf("broken.png"))->image, nullptr);
    EXPECT_EQ(GetTexture(folder.PathOf("junk.png"))->image, nullptr);

    EnableScrambledImages(false);
    EXPECT_EQ(GetTexture(folder.PathOf("logo.png"), 2)->image, nullptr);  // plain file: none
}

TEST_F(Sprites, PicturesListedInTheAtlasIndexAreBlocksOfOneSharedSurface) {
    ImageFolder folder;
    std::filesystem::create_directories(ToUtf8(folder.PathOf("data")));
    std::filesystem::create_directories(ToUtf8(folder.PathOf("big")));
    folder.Write("data/atlas.png", ImageFolder::Png(12, 6, SheetColour));
    folder.Write("data/own.png", ImageFolder::Png(2, 2, SheetColour));
    folder.Write("data/atlas.txt",
                 "# picture atlas x y width height\n"
                 "left.png atlas.png 0 0 4 6\n"
                 "  right.png   atlas.png 4 1 8 5  \n"
                 "own.png atlas.png 0 x 4 4\n"       // does not parse: its own file
                 "outside.png atlas.png 10 0 4 4\n"  // past the atlas
                 "atlas.png atlas.png 0 0 1 1\n"     // never itself
                 "short.png atlas.png 0 0 4\n");
    folder.Write("big/atlas.txt", std::string(70 * 1024, '#') + "\nleft.png atlas.png 0 0 4 6\n");
    ChildResult child = RunInChild([&] {
        RecordedFrame frame;
        UseDataFolder(ToUtf8(folder.PathOf("data")), true);
        auto left = GetTexture(u"left.png"), right = GetTexture(u"right.png", 2);
        const c_Image &l = *left->image, &r = *right->image;
        std::printf("%d %d %d %d|%d %d %d %d %d|%d|", l.Width(), l.Height(), l.frames[0].x, l.frames[0].y, r.Width(),
                    r.Height(), r.frames[1].x, r.frames[1].y, l.flags & c_Image::WholeSurface,
                    l.surface == r.surface && l.sharedFrom != nullptr);
        std::printf("%d %d|", GetTexture(u"own.png")->image->Width(), GetTexture(u"short.png")->image != nullptr);
        // One picture going leaves the atlas to the other.
        left->Discard();
        std::printf("%d|", r.surface->texture != 0 && r.surface->Data() != nullptr);
        UseDataFolder(ToUtf8(folder.PathOf("big")), true);
        std::printf("%d|", GetTexture(u"left.png")->image != nullptr);
        std::fflush(stdout);
        // A block past the atlas loads nothing and says which picture.
        UseDataFolder(ToUtf8(folder.PathOf("data")), true);
        std::printf("%d", GetTexture(u"outside.png")->image != nullptr);
    });
    EXPECT_EQ(child.exitCode, 0) << child.err;
    EXPECT_EQ(child.out,
              "4 6 0 0|4 5 8 1 0|1|2 0|1|0|Picture outside.png lies outside its atlas atlas.png (atlas.txt)\n0");
}

TEST_F(Sprites, MissingImagesEndTheRunWhereTheyMust) {
    ChildResult tileSet = RunInChild([] {
        RecordedFrame frame;
        New<c_TileSet>(GetTexture(u"/nonexistent/tiles.png"), 16, 16);
    });
    EXPECT_EQ(tileSet.exitCode, 255);
    EXPECT_TRUE(StartsWith(
        FromUtf8(tileSet.out),
        u"Cobalt Runtime Error : TileSet::Couldn't retrieve texture's image\nFile: /nonexistent/tiles.png\n"))
        << tileSet.out;

    ChildResult scrambled = RunInChild([] {
        RecordedFrame frame;
        EnableScrambledImages(true);
        GetTexture(u"/nonexistent/tiles.png");
    });
    EXPECT_EQ(scrambled.exitCode, 255);
    EXPECT_TRUE(StartsWith(FromUtf8(scrambled.out),
                           u"Cobalt Runtime Error : Failed to open stream\nFile: /nonexistent/tiles.imx\n"))
        << scrambled.out;
}

TEST_F(Sprites, StaticImageFrameByName) {
    RecordedFrame frame;
    ImageFolder folder;
    auto strip = GetTexture(folder.Write("strip.png", ImageFolder::Png(32, 8, SheetColour)), 4);
    auto picture = New<c_StaticImage>(strip);
    struct Case {
        float value;
        int frame;
    };
    for (const Case& c : {Case{2.9f, 2}, Case{-1, 0}, Case{7, 3}, Case{3, 3}}) {
        EXPECT_TRUE(picture->SetFloat(u"textureframe", c.value));
        EXPECT_EQ(picture->frame, c.frame) << c.value;
    }
    EXPECT_TRUE(picture->SetFloat(u"alpha", 0.5f));
    EXPECT_FALSE(picture->SetFloat(u"frame", 1));
    EXPECT_EQ(picture->GetWidth(), 8);
    EXPECT_EQ(picture->GetHeight(), 8);

    picture->SetFloat(u"textureframe", 1);
    picture->position.Set(10, 10);
    auto v = frame.RenderOnce(*picture);
    ASSERT_EQ(v.size(), 6u);
    Box b = BoundsOf(v, 0, 6);
    EXPECT_EQ(b.x0, 10);  // the handle is the top-left by default
    float u0 = 1;
    for (const auto& p : v) u0 = std::min(u0, p.u);
    EXPECT_FLOAT_EQ(u0, 0.25f);

    picture->Discard();
    EXPECT_EQ(picture->texture, nullptr);
    EXPECT_EQ(strip->image, nullptr);
}
