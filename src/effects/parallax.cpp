// parallax.cpp — see parallax.h.
#include "effects/parallax.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "framework/screen.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/rnd.h"

namespace {

// Whether the box (device pixels) meets what the frame shows: the game's
// visible rectangle while that is in force, else the whole device; touching
// counts as meeting, as in the bounding-circle cull.
bool BoxMeetsScreen(float left, float top, float right, float bottom) {
    const GameScreen& screen = Screen();
    float x = 0, y = 0, w = 0, h = 0;
    if (screen.visibleInForce) {
        x = screen.visibleX;
        y = screen.visibleY;
        w = screen.visibleWidth;
        h = screen.visibleHeight;
    } else if (const gxtkGraphics* device = GetGraphicsDevice()) {
        w = static_cast<float>(device->Width());
        h = static_cast<float>(device->Height());
    } else {
        return true;
    }
    return left <= x + w && right >= x && top <= y + h && bottom >= y;
}

Ref<c_ParallaxLayer> MakeLayer(float width, float factor) {
    auto layer = New<c_ParallaxLayer>();
    layer->scrollRange = width * factor;
    layer->coveredWidth = static_cast<int>(std::ceil(layer->scrollRange) + kParallaxViewWidth);
    return layer;
}

// Places a picture with its left edge at x, its bottom on the level's bottom.
// Returns its width.
float PlacePicture(c_ParallaxLayer& layer, StringView file, float x, float height) {
    auto image = New<c_StaticImage>(GetTexture(file));
    float w = image->GetWidth(), h = image->GetHeight();
    // Pictures are placed by their centres.
    if (image->texture && image->texture->image) image->texture->image->SetImageHandle(w / 2, h / 2);
    image->position.Set(x + w / 2, (height - h) / 2);
    layer.AddChild(image);
    return w;
}

void AddImageLayer(c_ParallaxBackground& bg, StringView file, float width, float height, float factor) {
    auto layer = MakeLayer(width, factor);
    float x = 0;
    while (x <= static_cast<float>(layer->coveredWidth)) {
        float w = PlacePicture(*layer, file, x, height);
        if (w <= 0) break;  // a missing picture would never cover the view
        x += w;
    }
    bg.AddChild(layer);
}

void AddTreeLayer(c_ParallaxBackground& bg, StringView name, int first, int last, float width, float height,
                  float factor) {
    auto layer = MakeLayer(width, factor);
    const float covered = static_cast<float>(layer->coveredWidth);
    float x = 0;
    while (x <= covered) {
        double r = Rnd(0, 100);
        if (r >= 60) {
            x += static_cast<float>(Rnd(0, covered * 0.1));
            continue;
        }
        int variant = static_cast<int>(Rnd(first, last + 1));
        String file = String(name) + IntToString(variant) + u".png";
        float w = PlacePicture(*layer, file, x, height);
        // A missing picture still has to move the row on.
        x += w > 0 ? w : 1;
    }
    bg.AddChild(layer);
}

}  // namespace

void c_SkyGDO::Draw() {
    const std::array<float, 6> m = GetMatrix();
    if (m[1] == 0 && m[2] == 0) {
        const float x0 = -width / 2 * m[0] + m[4], x1 = width / 2 * m[0] + m[4];
        const float y0 = -height / 2 * m[3] + m[5], y1 = height / 2 * m[3] + m[5];
        if (!BoxMeetsScreen(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1))) return;
    }
    c_RectangleGDO::Draw();
}

void c_ParallaxBackground::SetProgress(float p) {
    p = std::clamp(p, 0.0f, 1.0f);
    for (auto& child : children) {
        if (auto* layer = dynamic_cast<c_ParallaxLayer*>(child.get())) {
            layer->progress = p;
            layer->position.x = -p * layer->scrollRange;
        }
    }
}

void CreateParallaxBackground(c_ParallaxBackground& background, int kind, float width, float height,
                              StringView prefix) {
    background.alwaysDraw = true;
    if (kind != 1) return;
    String pre(prefix);

    auto sky = New<c_ParallaxLayer>();
    sky->scrollRange = width;
    sky->coveredWidth = static_cast<int>(std::ceil(width) + kParallaxViewWidth);
    auto rect = New<c_SkyGDO>(static_cast<float>(sky->coveredWidth), height);
    rect->position.Set(static_cast<float>(sky->coveredWidth) / 2, 0);
    if (pre.empty())
        rect->tint.Set(187, 218, 232);
    else
        rect->tint.Set(251, 236, 163);
    sky->AddChild(rect);
    background.AddChild(sky);

    AddImageLayer(background, pre + u"background1_parallax.png", width, height, 0);
    AddImageLayer(background, pre + u"background2_parallax.png", width, height, 0.02f);
    background.children.back()->position.Set(0, 32);
    AddTreeLayer(background, pre + u"parallaxtree", 1, 4, width, height, 0.05f);
    AddTreeLayer(background, pre + u"parallaxtree", 2, 4, width, height, 0.1f);
}
