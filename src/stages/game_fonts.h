// game_fonts.h — the two fonts every stage draws its text with.
#pragma once

// The bitmap fonts of the game's titles and menus.
inline constexpr char16_t kTitleFontFile[] = u"moder_dos_437.fnt";
// The bitmap font of the game's running text.
inline constexpr char16_t kTextFontFile[] = u"v5_loxica.fnt";

// Loads both into Game().titleFont and Game().textFont.
void LoadGameFonts();
