// game_fonts.cpp — see game_fonts.h.
#include "stages/game_fonts.h"

#include "stages/game.h"

void LoadGameFonts() {
    // Filled in once the bitmap fonts are in the framework.
}
