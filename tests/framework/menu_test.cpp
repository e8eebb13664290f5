// Keyboard menus: the rules and their order, the cursor's glide, the pause
// menu's actions and sound check box, the language menu's choices.
#include <gtest/gtest.h>

#include "font_fixture.h"
#include "framework/audio_manager.h"
#include "framework/game_menu.h"
#include "framework/lang_menu.h"
#include "framework/translation.h"
#include "host/input_device.h"
#include "render_fixture.h"

namespace {

class ActionLog final : public c_GameMenuActions {
public:
    void OnMenuResume() override { log += "resume "; }
    void OnMenuResetStage() override { log += "reset "; }
    void OnMenuToggleSound() override { log += "sound "; }
    void OnMenuTitleScreen() override { log += "title "; }
    std::string log;
};

class Menus : public testing::Test {
protected:
    void SetUp() override {
        SetInputDevice(input);
        AudioManager::Init();
        // 5 × 2 cells of 16 × 14.
        folder.Write("flags.png", ImageFolder::Png(80, 28, [](int x, int y) {
                         return y < 14 ? 0xC00000FFu : 0x0000C0FFu + std::uint32_t(x / 16);
                     }));
    }
    void TearDown() override {
        SetInputDevice(nullptr);
        AudioManager::Shutdown();
        SetLanguage(kLanguageEnglish);
        font->Discard();
    }

    // One update of `menu` during which `keys` were pressed.
    void Press(c_GDO& menu, std::initializer_list<int> keys, int elapsedMs = 16) {
        for (int key : keys) input->KeyEvent(kEventKeyDown, key);
        menu.Update(elapsedMs);
        input->EndUpdate();
        for (int key : keys) input->KeyEvent(kEventKeyUp, key);
    }

    RecordedFrame frame;
    Ref<c_InputDevice> input = New<c_InputDevice>();
    TinyFontFolder folder;
    Ref<c_Font> font = LoadFont(u"tiny.fnt");
    ActionLog actions;
};

}  // namespace

TEST_F(Menus, PauseMenuIsBuiltWithTitleOptionsAndCheckBox) {
    auto menu = New<c_GameMenu>(font, &actions);
    EXPECT_EQ(menu->width, 120);
    EXPECT_EQ(menu->height, 100);
    EXPECT_EQ(menu->tint, (c_RGB{0, 0, 0}));
    EXPECT_EQ(menu->children.front(), menu->cursor);
    EXPECT_EQ(menu->cursor->tint, (c_RGB{96, 96, 96}));
    ASSERT_EQ(menu->options.size(), 4u);
    const char16_t* texts[] = {u"RESUME GAME", u"RESET STAGE", u"SOUND", u"TITLE SCREEN"};
    for (std::size_t i = 0; i < 4; ++i) {
        auto& option = static_cast<c_Label&>(*menu->options[i]);
        EXPECT_EQ(option.text, texts[i]);
        EXPECT_EQ(option.position, (c_Vector{0, -16.0f + 16 * float(i)}));
        EXPECT_EQ(option.box, (c_Vector{110, 16}));
        EXPECT_EQ(option.layoutMode, c_Label::kShrink);
    }
    auto& title = static_cast<c_Label&>(*menu->children[1]);
    EXPECT_EQ(title.text, u"- PAUSE -");
    EXPECT_EQ(title.position, (c_Vector{0, -34}));
    EXPECT_EQ(title.tint, (c_RGB{255, 180, 0}));
    EXPECT_EQ(title.fontScale, (c_Vector{0.4f, 0.5f}));
    auto checkBox = menu->soundTick->parent;
    EXPECT_EQ(checkBox->position, (c_Vector{-36, 16}));
    EXPECT_EQ(checkBox->tint, (c_RGB{60, 60, 60}));
    EXPECT_EQ(menu->soundTick->GetWidth(), 10);
}

TEST_F(Menus, KeysMoveWrapSelectAndCancelInTheirOrder) {
    struct Case {
        const char* name;
        int from;
        std::initializer_list<int> keys;
        int selected;
        const char* log;
    };
    const Case cases[] = {
        {"Up on the first selects the last", 0, {kKeyUp}, 3, ""},
        {"W is Up", 2, {kKeyW}, 1, ""},
        {"Down on the last selects the first", 3, {kKeyDown}, 0, ""},
        {"S is Down", 1, {kKeyS}, 2, ""},
        {"Up and Enter together only move", 1, {kKeyUp, kKeyEnter}, 0, ""},
        {"Down wins over Escape", 1, {kKeyEscape, kKeyDown}, 2, ""},
        {"Enter selects", 1, {kKeyEnter}, 1, "reset "},
        {"Space selects", 2, {kKeySpace}, 2, "sound "},
        {"the last option", 3, {kKeyEnter}, 3, "title "},
        {"Escape resumes", 3, {kKeyEscape}, 3, "resume "},
        {"Space before Escape", 0, {kKeyEscape, kKeySpace}, 0, "resume "},
    };
    for (const auto& c : cases) {
        auto menu = New<c_GameMenu>(font, &actions);
        menu->selected = c.from;
        actions.log.clear();
        Press(*menu, c.keys);
        EXPECT_EQ(menu->selected, c.selected) << c.name;
        EXPECT_EQ(actions.log, c.log) << c.name;
    }

    // A disabled menu ignores the keyboard.
    auto menu = New<c_GameMenu>(font, &actions);
    menu->enabled = false;
    actions.log.clear();
    Press(*menu, {kKeyEnter});
    Press(*menu, {kKeyDown});
    EXPECT_EQ(actions.log, "");
    EXPECT_EQ(menu->selected, 0);
}

TEST_F(Menus, CursorGlidesToTheOptionIn100MsAccelerating) {
    auto menu = New<c_GameMenu>(font, &actions);
    auto& cursor = *menu->cursor;
    menu->Update(100);
    EXPECT_EQ(cursor.position, (c_Vector{0, -16}));  // on "RESUME GAME" from (0, 0)
    EXPECT_FLOAT_EQ(cursor.width, 110);
    EXPECT_FLOAT_EQ(cursor.height, 16);

    // To a 30 × 8 option 64 further down: one eighth of the way at half time.
    auto narrow = New<c_GDOWithSize>();
    narrow->width = 30;
    narrow->height = 8;
    menu->PlaceOption(narrow, 0, 48);
    menu->selected = 3;
    Press(*menu, {kKeyDown});
    ASSERT_EQ(menu->selected, 4);
    menu->Update(50);
    EXPECT_FLOAT_EQ(cursor.position.y, -16 + 64.0f / 8);
    EXPECT_FLOAT_EQ(cursor.width, 110 - 80.0f / 8);
    EXPECT_FLOAT_EQ(cursor.height, 16 - 8.0f / 8);
    menu->Update(50);
    EXPECT_EQ(cursor.position, (c_Vector{0, 48}));
    EXPECT_FLOAT_EQ(cursor.width, 30);
    EXPECT_FLOAT_EQ(cursor.height, 8);
}

TEST_F(Menus, SoundTickFollowsTheSoundSwitch) {
    auto menu = New<c_GameMenu>(font, &actions);
    AudioManager::SetSoundOn(false);
    menu->Update(16);
    EXPECT_FALSE(menu->soundTick->visible);
    AudioManager::SetSoundOn(true);
    menu->Update(16);
    EXPECT_TRUE(menu->soundTick->visible);
}

TEST_F(Menus, OptionsAreTranslatedAndShrunkToTheirBox) {
    ASSERT_TRUE(LoadTranslations(u"RESUME GAME == WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", u"=="));
    auto menu = New<c_GameMenu>(font, &actions);
    auto& option = static_cast<c_Label&>(*menu->options[0]);
    EXPECT_EQ(option.text, u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    // 300 font pixels are 120 at scale 0.4: squeezed into 110 across only.
    EXPECT_FLOAT_EQ(option.scale2.x, 110.0f / 300);
    EXPECT_FLOAT_EQ(option.scale2.y, 0.4f);
    EXPECT_FLOAT_EQ(option.textSize.x, 110);
    LoadTranslations(u"-", u"==");  // empties the table
}

TEST_F(Menus, LanguageMenuChoosesTheTableAndMovesOn) {
    folder.Write("trans_desktop.txt", "ENGLISH == INGLES\nRESUME GAME == CONTINUAR\n");
    int chosen = 0;
    auto menu = New<c_LangMenu>(font, [&] { ++chosen; });
    EXPECT_EQ(menu->width, 150);
    ASSERT_EQ(menu->options.size(), 2u);
    auto& english = static_cast<c_Label&>(*menu->options[0]);
    auto& spanish = static_cast<c_Label&>(*menu->options[1]);
    EXPECT_EQ(english.text, u"ENGLISH");
    EXPECT_EQ(spanish.text, u"ESPA\u00f1OL");
    EXPECT_EQ(english.position, (c_Vector{0, -8}));
    EXPECT_EQ(spanish.position, (c_Vector{0, 8}));
    struct FlagCase {
        c_Label* option;
        int firstCell;
    };
    for (const FlagCase& f : {FlagCase{&english, 5}, FlagCase{&spanish, 0}}) {
        ASSERT_EQ(f.option->children.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            auto* flag = dynamic_cast<c_Flag*>(f.option->children[i].get());
            ASSERT_NE(flag, nullptr);
            EXPECT_EQ(flag->position, (c_Vector{i == 0 ? -59.0f : 59.0f, 0}));
            EXPECT_EQ(flag->currentTile, f.firstCell);
            EXPECT_EQ(flag->frameDuration, 100);
        }
    }
    menu->Update(100);  // the flags wave
    EXPECT_EQ(static_cast<c_Flag&>(*english.children[0]).currentTile, 6);

    Press(*menu, {kKeyEscape});
    EXPECT_EQ(chosen, 0);
    Press(*menu, {kKeyDown});
    Press(*menu, {kKeyEnter});
    EXPECT_EQ(TranslateText(u"RESUME GAME"), u"CONTINUAR");
    Press(*menu, {kKeyUp});
    Press(*menu, {kKeySpace});
    EXPECT_EQ(TranslateText(u"RESUME GAME"), u"RESUME GAME");
    EXPECT_EQ(chosen, 2);
    menu->Discard();
}
