// static_image.h — c_StaticImage, a display object that draws one whole
// frame of a texture at its origin (the image's own handle applies). The
// frame can be animated by name ("textureframe").
#pragma once

#include "framework/gdo.h"
#include "framework/texture.h"

class c_StaticImage : public c_GDO {
public:
    Ref<c_Texture> texture;
    int frame = 0;

    explicit c_StaticImage(Ref<c_Texture> picture = nullptr) : texture(std::move(picture)) {}

    String ToString() const override { return u"c_StaticImage"; }
    // The frame size; 0 without an image.
    float GetWidth() override;
    float GetHeight() override;
    // "textureframe" (truncated and clamped to the texture's frames), then
    // the names of c_GDO.
    bool SetFloat(StringView name, float value) override;
    void Draw() override;
    // The children, then the texture.
    void Discard() override;
};
