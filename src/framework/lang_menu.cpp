// lang_menu.cpp — see lang_menu.h.
#include "framework/lang_menu.h"

#include "framework/tile_set.h"
#include "framework/translation.h"

namespace {

constexpr float kWidth = 150;
constexpr float kHeight = 100;
// A flag's centre lies this far in from the option's ends.
constexpr float kFlagInset = 16;

}  // namespace

c_Flag::c_Flag(StringView waving) : c_Sprite(New<c_TileSet>(GetTexture(u"flags.png", 1, false), 16, 14), 10) {
    AddSequenceRange(u"spain", 0, 4, true);
    AddSequenceRange(u"uk", 5, 9, true);
    Play(waving);
}

c_LangMenu::c_LangMenu(Ref<c_Font> menuFont, std::function<void()> chosen)
    : c_MenuWithOptions(kWidth, kHeight, std::move(menuFont)), chosen_(std::move(chosen)) {
    struct Choice {
        const char16_t* text;
        const char16_t* flag;
        float y;
    };
    for (const Choice& choice : {Choice{u"ENGLISH", u"uk", -8}, Choice{u"ESPA\u00f1OL", u"spain", 8}}) {
        auto option = AddOption(choice.text);
        for (float x : {kFlagInset - width / 2, width / 2 - kFlagInset}) {
            auto flag = New<c_Flag>(choice.flag);
            flag->position.Set(x, 0);
            option->AddChild(flag);
        }
        PlaceOption(option, 0, choice.y);
    }
    MoveCursorTo(options.front());
}

void c_LangMenu::OnSelect(int index) {
    if (index == kEnglish)
        SetLanguage(kLanguageEnglish);
    else if (index == kSpanish)
        SetLanguage(kLanguageSpanish);
    if (chosen_) chosen_();
}
