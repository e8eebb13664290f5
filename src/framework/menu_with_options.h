// menu_with_options.h — c_MenuWithOptions, a keyboard menu: a filled
// rectangle holding a vertical list of option labels and a c_Cursor, a grey
// rectangle that glides and resizes to the selected option.
//
// The menu reads the keyboard itself (HandleInput, from Update) and reports
// a choice through its own OnSelect / OnCancel, which concrete menus
// override. Keys are taken as hit in this update, and only the first
// matching rule applies:
//
//   Up (38) or W (87)        select the previous option (the first wraps to the last)
//   Down (40) or S (83)      select the next option (the last wraps to the first)
//   Space (32) or Enter (13) OnSelect(selected)
//   Escape (27)              OnCancel(selected)
//
// A disabled menu ignores the keyboard.
//
//   class MyMenu : public c_MenuWithOptions { … OnSelect … };
//   auto menu = New<MyMenu>(120, 100, font);
//   auto play = menu->AddOption(u"PLAY");    // translated, shrunk to fit
//   menu->PlaceOption(play, 0, -8);
//   menu->MoveCursorTo(play);
#pragma once

#include <vector>

#include "framework/font.h"
#include "framework/label.h"
#include "framework/rectangle_gdo.h"
#include "framework/tween.h"

class c_Cursor : public c_RectangleGDO {
public:
    static constexpr int kMoveMs = 100;

    // Where the current move started.
    c_Vector fromPosition;
    c_Vector fromSize;
    // 0 → 1 over 100 ms, accelerating (cubic ease-in).
    Ref<c_Tween> moveTween;
    // The option moved to; the menu owns it.
    WeakRef<c_GDO> target;

    c_Cursor();
    String ToString() const override { return u"c_Cursor"; }
    // While a move runs: position and size go from where they were toward
    // the target's position and size.
    void Update(int elapsedMs) override;
};

class c_MenuWithOptions : public c_RectangleGDO {
public:
    // Width of an option's box: the menu's width less this.
    static constexpr float kOptionMargin = 10;
    static constexpr float kOptionHeight = 16;
    static constexpr float kOptionScale = 0.4f;

    // Top to bottom.
    std::vector<Ref<c_GDO>> options;
    // The menu's first child.
    Ref<c_Cursor> cursor;
    int selected = 0;
    // The font of the option labels.
    Ref<c_Font> font;

    // A black width × height rectangle centred on its position, with a grey
    // cursor.
    c_MenuWithOptions(float menuWidth, float menuHeight, Ref<c_Font> menuFont);

    String ToString() const override { return u"c_MenuWithOptions"; }

    // The children, then the keyboard.
    void Update(int elapsedMs) override;

    // A new option label (not placed yet): centred, shrunk to fit a box of
    // (menu width − 10) × 16, at scale 0.4, showing the translation of text.
    Ref<c_Label> AddOption(StringView text);
    // Appends the label to the options and to the menu's children at (x, y).
    void PlaceOption(const Ref<c_GDO>& label, float x, float y);
    // Starts the cursor's glide to `option`.
    void MoveCursorTo(const Ref<c_GDO>& option);
    // The keyboard rules above; nothing while the menu is disabled.
    void HandleInput();

    virtual void OnSelect(int) {}
    virtual void OnCancel(int) {}
};
