// credits_stage.h — c_CreditsStage: a column of headings and names that
// scrolls up over the credits music. Space or Enter held scrolls four times
// as fast; Escape leaves for the title at once; at the end the closing line
// stays until one of those keys is held.
#pragma once

#include "framework/stage.h"

class c_CreditsStage final : public c_Stage {
public:
    // The y of the column (the root's y is its ceiling).
    float scroll = 0;
    // The y of the last line added.
    float contentHeight = 0;

    c_CreditsStage() : c_Stage(1) {}
    String ToString() const override { return u"c_CreditsStage"; }
    void LoadStep(int index) override;
    // Runs at a fixed 16 ms per update.
    void Update(int elapsedMs) override;

    // The scroll position at which the column stops.
    float ScrollEnd() const;

private:
    void AddHeading(StringView text);
    void AddName(StringView text);
    void Leave();
};
