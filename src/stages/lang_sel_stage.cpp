// lang_sel_stage.cpp — see lang_sel_stage.h.
#include "stages/lang_sel_stage.h"

#include "framework/game.h"
#include "framework/lang_menu.h"

void c_LangSelStage::LoadStep(int index) {
    if (index != 0) return;
    // The menu sets the language itself; the game only hears that it is
    // time for the intro.
    root->AddChild(New<c_LangMenu>(Game().titleFont, [] { GoToIntro(); }));
}
