// game_fonts.cpp — see game_fonts.h.
#include "stages/game_fonts.h"

#include "framework/font.h"
#include "framework/game.h"

void LoadGameFonts() {
    Game().titleFont = LoadFont(kTitleFontFile);
    Game().textFont = LoadFont(kTextFontFile);
}
