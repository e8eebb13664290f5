// parallax.h — parallax backgrounds: a sky and layers of hills and trees
// behind a world, each layer sliding left by its own share of the level's
// width as the camera moves through the level.
#pragma once

#include "framework/gdo.h"
#include "framework/rectangle_gdo.h"

// The width of the view: a layer slid to its full range still covers it.
inline constexpr int kParallaxViewWidth = 320;

class c_ParallaxLayer : public c_EmptyGDOContainer {
public:
    // How far to the right of the layer's origin its pictures reach.
    int coveredWidth = 0;
    // How far the layer moves left over the whole level.
    float scrollRange = 0;
    float progress = 0;
    String ToString() const override { return u"c_ParallaxLayer"; }
};

// The sky: a filled rectangle as wide and tall as the level. Its bounding
// circle reaches into every view of the stage, the other world's too, so it
// also tests its own box (while upright) and stays out of a view it misses.
class c_SkyGDO : public c_RectangleGDO {
public:
    using c_RectangleGDO::c_RectangleGDO;
    String ToString() const override { return u"c_SkyGDO"; }
    void Draw() override;
};

class c_ParallaxBackground : public c_EmptyGDOContainer {
public:
    String ToString() const override { return u"c_ParallaxBackground"; }
    // p (clamped to 0..1) is how far through the level the camera is.
    void SetProgress(float p);
};

// Fills `background` with the layers of `kind` (only kind 1 has layers) for
// a level of width × height pixels; `prefix` picks the world's pictures
// ("" or "alt_").
void CreateParallaxBackground(c_ParallaxBackground& background, int kind, float width, float height, StringView prefix);
