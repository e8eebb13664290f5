// lang_menu.h — c_LangMenu, the language menu of the first screen:
// "ENGLISH" and "ESPAñOL", each with a waving flag at both ends; and
// c_Flag, the flag sprite.
//
// Choosing English drops any translation table, Spanish loads it; either
// choice then calls the function given at construction, which moves the
// game on (the language stage passes GoToIntro). Escape does nothing.
//
//   auto menu = New<c_LangMenu>(menuFont, [] { GoToIntro(); });
#pragma once

#include <functional>

#include "framework/menu_with_options.h"
#include "framework/sprite.h"

// A flag of "flags.png" (16 × 14 cells): "spain" waves in cells 0-4, "uk"
// in cells 5-9, at 10 frames per second.
class c_Flag : public c_Sprite {
public:
    // A flag waving `sequence` ("spain" or "uk").
    explicit c_Flag(StringView sequence);
    String ToString() const override { return u"c_Flag"; }
};

class c_LangMenu : public c_MenuWithOptions {
public:
    enum Option : int { kEnglish = 0, kSpanish = 1 };
    c_LangMenu(Ref<c_Font> menuFont, std::function<void()> chosen);

    String ToString() const override { return u"c_LangMenu"; }
    void OnSelect(int index) override;

private:
    std::function<void()> chosen_;
};
