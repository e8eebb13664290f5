// static_image.cpp — see static_image.h.
#include "framework/static_image.h"

#include "graphics/graphics_context.h"

float c_StaticImage::GetWidth() { return texture && texture->image ? static_cast<float>(texture->image->Width()) : 0; }

float c_StaticImage::GetHeight() {
    return texture && texture->image ? static_cast<float>(texture->image->Height()) : 0;
}

bool c_StaticImage::SetFloat(StringView propertyName, float value) {
    if (propertyName != u"textureframe") return c_GDO::SetFloat(propertyName, value);
    frame = TruncToInt(value);
    if (frame < 0)
        frame = 0;
    else if (texture && frame > texture->frameCount - 1)
        frame = texture->frameCount - 1;
    return true;
}

void c_StaticImage::Draw() {
    if (texture && texture->image) DrawImage(texture->image.get(), 0, 0, frame);
}

void c_StaticImage::Discard() {
    c_GDO::Discard();
    if (texture) texture->Discard();
    texture = nullptr;
}
