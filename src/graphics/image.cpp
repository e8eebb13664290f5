// image.cpp — cutting a surface into frames.
#include "graphics/image.h"

#include <utility>

namespace {
int defaultFlags = 0;
}

int DefaultImageFlags() { return defaultFlags; }
void SetDefaultImageFlags(int flags) { defaultFlags = flags; }

c_Image* c_Image::Init(Ref<gxtkSurface> newSurface, int frameCount, int newFlags) {
    surface = std::move(newSurface);
    if (frameCount < 1) frameCount = 1;
    const int surfaceWidth = surface ? surface->width : 0;
    const int surfaceHeight = surface ? surface->height : 0;
    width = surfaceWidth / frameCount;
    height = surfaceHeight;
    frames.assign(std::size_t(frameCount), c_Frame{});
    for (int i = 0; i < frameCount; ++i) frames[std::size_t(i)].x = width * i;

    // WholeSurface is the image's own finding, never taken from the caller.
    flags = newFlags & ~WholeSurface;
    if (flags & PadX) {
        for (c_Frame& frame : frames) frame.x += 1;
        width -= 2;
    }
    if (flags & PadY) {
        for (c_Frame& frame : frames) frame.y += 1;
        height -= 2;
    }
    if (flags & HandleAtCentre) {
        flags &= ~HandleAtCentre;
        handleX = float(width) * 0.5f;
        handleY = float(height) * 0.5f;
    }
    if (frames.size() == 1 && frames[0].x == 0 && frames[0].y == 0 && width == surfaceWidth &&
        height == surfaceHeight) {
        flags |= WholeSurface;
    }
    return this;
}

c_Image* c_Image::InitRegion(Ref<c_Image> source, int x, int y, int w, int h, int frameCount, int newFlags) {
    surface = source ? source->surface : nullptr;
    sharedFrom = std::move(source);
    frames.clear();
    width = height = 0;
    flags = newFlags & ~(WholeSurface | HandleAtCentre);
    if (!surface || x < 0 || y < 0 || w <= 0 || h <= 0 || x > surface->width - w || y > surface->height - h) {
        return this;
    }
    if (frameCount < 1) frameCount = 1;
    width = w / frameCount;
    height = h;
    frames.assign(std::size_t(frameCount), c_Frame{x, y});
    for (int i = 0; i < frameCount; ++i) frames[std::size_t(i)].x += width * i;
    if (flags & PadX) {
        for (c_Frame& frame : frames) frame.x += 1;
        width -= 2;
    }
    if (flags & PadY) {
        for (c_Frame& frame : frames) frame.y += 1;
        height -= 2;
    }
    if (newFlags & HandleAtCentre) {
        handleX = float(width) * 0.5f;
        handleY = float(height) * 0.5f;
    }
    return this;
}

void c_Image::SetImageHandle(float x, float y) {
    handleX = x;
    handleY = y;
    flags &= ~HandleAtCentre;
}

void c_Image::Discard() {
    if (sharedFrom || !surface) return;
    surface->Discard();
    surface = nullptr;
}
