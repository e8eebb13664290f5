// image.h — images: a renderer surface cut into frames.
//
// An image's frames lie side by side in one horizontal strip on its surface:
// a surface W wide loaded with n frames gives frames W/n wide at x = 0, W/n,
// 2·W/n … Flags adjust the frames (PadX / PadY: a one-pixel border around
// each cell that is not drawn) and the handle (HandleAtCentre). The handle is
// the point of the frame that lands on the drawing position.
//
// Images are made by LoadImage / LoadImageFromMemory / CreateImage of the
// drawing API (graphics/graphics_context.h) and drawn with DrawImage /
// DrawImagePart. They live while referenced; Discard frees the surface early.
#pragma once

#include <vector>

#include "graphics/gxtk_graphics.h"
#include "host/object.h"

// The top-left pixel of a frame on the surface (a plain value record).
struct c_Frame {
    int x = 0;
    int y = 0;
};

class c_Image : public Object {
public:
    enum Flag : int {
        HandleAtCentre = 1,
        PadX = 2,
        PadY = 4,
        // Set by the image itself: one frame at (0, 0) covering the whole
        // surface, drawn with the renderer's whole-surface quad.
        WholeSurface = 0x10000,
    };

    c_Image() = default;
    String ToString() const override { return u"c_Image"; }

    // Cuts `surface` into frameCount frames (fewer than 1 counts as 1) and
    // applies `flags` (see the top of this file). Returns this.
    c_Image* Init(Ref<gxtkSurface> surface, int frameCount, int flags);

    // Like Init, but cuts the w × h block at (x, y) of `source`'s surface,
    // which the image shares (and keeps alive through `sharedFrom`). Returns
    // this; an image without frames when the block does not lie inside the
    // surface.
    c_Image* InitRegion(Ref<c_Image> source, int x, int y, int w, int h, int frameCount, int flags);

    // Sets the handle and clears HandleAtCentre.
    void SetImageHandle(float x, float y);
    // Frees the surface if this image owns it; drawing it afterwards draws
    // nothing.
    void Discard();

    int Width() const { return width; }
    int Height() const { return height; }
    int Frames() const { return int(frames.size()); }
    float HandleX() const { return handleX; }
    float HandleY() const { return handleY; }

    Ref<gxtkSurface> surface;
    int width = 0;
    int height = 0;
    std::vector<c_Frame> frames;
    int flags = 0;
    float handleX = 0;
    float handleY = 0;
    Ref<c_Image> sharedFrom;
};

// Flags used by loaders that take "the default flags" (0 at start-up).
int DefaultImageFlags();
void SetDefaultImageFlags(int flags);
