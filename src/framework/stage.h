// stage.h — c_Stage, one screen of the game (language choice, intro, title,
// a level, ending, credits).
//
// A stage owns its display tree (`root`, named "_STAGE"), the views onto it
// (`windows`, starting with the default `window`) and its components
// (`cogs`). The stage manager (game.h) builds it one LoadStep per rendered
// frame, then calls Update once per game update until another stage is
// requested, and finally Discards it.
#pragma once

#include <vector>

#include "framework/cog.h"
#include "framework/gdo.h"
#include "framework/interfaces.h"
#include "framework/window.h"
#include "host/object.h"

class c_Stage : public Object, public c_Resource {
public:
    int loadSteps = 0;
    int loadedSteps = 0;
    // Views onto the stage, drawn in order: c_Windows show `root` and the
    // drawable cogs; any other display object is drawn as it is.
    std::vector<Ref<c_GDOBase>> windows;
    Ref<c_EmptyGDOContainer> root;
    std::vector<Ref<c_Cog>> cogs;
    Ref<c_Window> window;

    // The default window covers the virtual screen (the device when no
    // virtual size is set), so world point (0, 0) shows at its centre.
    explicit c_Stage(int steps);
    ~c_Stage() override;
    c_Stage(const c_Stage&) = delete;
    c_Stage& operator=(const c_Stage&) = delete;

    String ToString() const override { return u"c_Stage"; }

    // Builds part `index` (0-based) of the stage.
    virtual void LoadStep(int index);
    // Updates the root, then the windows, then the cogs (enabled ones only).
    virtual void Update(int elapsedMs);
    // Releases the tree, the windows and cogs, then the stage's
    // non-persistent sound effects. Stages that keep display objects in
    // lists of their own release those too (and call this).
    void Discard() override;

    // Draws every visible view (the manager calls this once the stage is
    // ready).
    void Render();
    // Whether Render covers the whole virtual screen with opaque pixels
    // before anything else, so that the manager clears only the letterbox
    // bars around it. False unless the stage knows better.
    virtual bool CoversScreen() { return false; }
};
