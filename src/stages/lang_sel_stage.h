// lang_sel_stage.h — c_LangSelStage, the first screen: English or Spanish.
// The choice sets the translation table and asks for the intro.
#pragma once

#include "framework/stage.h"

class c_LangSelStage final : public c_Stage {
public:
    c_LangSelStage() : c_Stage(1) {}
    String ToString() const override { return u"c_LangSelStage"; }
    void LoadStep(int index) override;
};
