// front_end.cpp — see front_end.h.
#include "stages/front_end.h"

#include "effects/falling_leaf.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "graphics/image.h"

Ref<c_StaticImage> CentredImage(StringView path) {
    Ref<c_Texture> texture = GetTexture(path);
    if (c_Image* image = texture->image.get()) {
        image->SetImageHandle(static_cast<float>(image->Width()) * 0.5f, static_cast<float>(image->Height()) * 0.5f);
    }
    return New<c_StaticImage>(std::move(texture));
}

void AddFallingLeaf(c_GDO& parent, float x, float y) {
    Ref<c_FallingLeaf> leaf = CreateFallingLeaf();
    leaf->position.Set(x, y);
    parent.AddChild(leaf);
}
