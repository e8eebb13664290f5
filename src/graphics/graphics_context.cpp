// graphics_context.cpp — the drawing API over the one process-wide context.
#include "graphics/graphics_context.h"

#include <cmath>
#include <utility>

#include "host/files.h"

namespace {

Ref<c_GraphicsContext> context;

constexpr float kDegreesToRadians = 0.01745329238474369f;

// Sends the matrix to the renderer if it changed since the last draw and
// answers the renderer to draw to (null outside the frame bracket).
gxtkGraphics* DrawTarget() {
    c_GraphicsContext* ctx = context.get();
    if (!ctx || !ctx->targetDevice) return nullptr;
    if (ctx->matrixPending) {
        ctx->targetDevice->SetMatrix(ctx->a, ctx->b, ctx->c, ctx->d, ctx->e, ctx->f);
        ctx->matrixPending = false;
    }
    return ctx->targetDevice;
}

gxtkGraphics* StateTarget() { return context ? context->targetDevice : nullptr; }

Ref<c_Image> ImageFromSurface(Ref<gxtkSurface> surface, int frameCount, int flags) {
    if (!surface) return nullptr;
    Ref<c_Image> image = New<c_Image>();
    image->Init(std::move(surface), frameCount, flags);
    return image;
}

const c_Frame* FrameOf(const c_Image* image, int frame) {
    if (!image || !image->surface || frame < 0 || frame >= image->Frames()) return nullptr;
    return &image->frames[std::size_t(frame)];
}

}  // namespace

c_GraphicsContext::c_GraphicsContext() : matrixStack(192) {}

// ---- set-up and frame bracket ----------------------------------------------

void SetGraphicsDevice(Ref<gxtkGraphics> device) {
    if (!device) {
        context.reset();
        return;
    }
    if (!context) context = New<c_GraphicsContext>();
    context->device = std::move(device);
    context->targetDevice = nullptr;
}

gxtkGraphics* GetGraphicsDevice() { return context ? context->device.get() : nullptr; }

c_GraphicsContext* GetGraphicsContext() { return context.get(); }

void BeginDrawing() {
    if (!context || !context->device) return;
    gxtkGraphics* device = context->device.get();
    context->targetDevice = device;
    context->stackTop = 0;
    SetMatrix(1, 0, 0, 1, 0, 0);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetBlendMode(0);
    SetScissor(0, 0, float(device->Width()), float(device->Height()));
}

void EndDrawing() {
    if (context) context->targetDevice = nullptr;
}

// ---- state ------------------------------------------------------------------

void SetColor(float r, float g, float b) {
    if (!context) return;
    context->red = r;
    context->green = g;
    context->blue = b;
    if (gxtkGraphics* target = StateTarget()) target->SetColor(r, g, b);
}

std::array<float, 3> GetColor() {
    if (!context) return {255, 255, 255};
    return {context->red, context->green, context->blue};
}

void SetAlpha(float alpha) {
    if (!context) return;
    context->alpha = alpha;
    if (gxtkGraphics* target = StateTarget()) target->SetAlpha(alpha);
}

float GetAlpha() { return context ? context->alpha : 1.0f; }

void SetBlendMode(int mode) {
    if (!context) return;
    context->blendMode = mode;
    if (gxtkGraphics* target = StateTarget()) target->SetBlendMode(mode);
}

int GetBlendMode() { return context ? context->blendMode : 0; }

void SetScissor(float x, float y, float w, float h) {
    if (!context) return;
    context->scissorX = x;
    context->scissorY = y;
    context->scissorWidth = w;
    context->scissorHeight = h;
    if (gxtkGraphics* target = StateTarget()) {
        target->SetScissor(int(std::trunc(x)), int(std::trunc(y)), int(std::trunc(w)), int(std::trunc(h)));
    }
}

std::array<float, 4> GetScissor() {
    if (!context) return {0, 0, 0, 0};
    return {context->scissorX, context->scissorY, context->scissorWidth, context->scissorHeight};
}

void Clear(float r, float g, float b) {
    if (gxtkGraphics* target = StateTarget()) target->Clear(r, g, b);
}

void SetMatrix(float a, float b, float c, float d, float e, float f) {
    if (!context) return;
    c_GraphicsContext& ctx = *context;
    ctx.a = a;
    ctx.b = b;
    ctx.c = c;
    ctx.d = d;
    ctx.e = e;
    ctx.f = f;
    ctx.hasTransform = !(a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0);
    ctx.matrixPending = true;
}

std::array<float, 6> GetMatrix() {
    if (!context) return {1, 0, 0, 1, 0, 0};
    const c_GraphicsContext& ctx = *context;
    return {ctx.a, ctx.b, ctx.c, ctx.d, ctx.e, ctx.f};
}

void Transform(float p, float q, float r, float s, float t, float u) {
    if (!context) return;
    const c_GraphicsContext& ctx = *context;
    SetMatrix(p * ctx.a + q * ctx.c, p * ctx.b + q * ctx.d, r * ctx.a + s * ctx.c, r * ctx.b + s * ctx.d,
              t * ctx.a + u * ctx.c + ctx.e, t * ctx.b + u * ctx.d + ctx.f);
}

void Translate(float x, float y) { Transform(1, 0, 0, 1, x, y); }

void Scale(float sx, float sy) { Transform(sx, 0, 0, sy, 0, 0); }

void Rotate(float degrees) {
    const float theta = degrees * kDegreesToRadians;
    const float cosine = std::cos(theta), sine = std::sin(theta);
    Transform(cosine, -sine, sine, cosine, 0, 0);
}

void PushMatrix() {
    if (!context) return;
    c_GraphicsContext& ctx = *context;
    if (std::size_t(ctx.stackTop) >= ctx.matrixStack.size()) {
        ctx.matrixStack.resize(std::max<std::size_t>(6, std::size_t(ctx.stackTop) * 2));
    }
    float* slot = &ctx.matrixStack[std::size_t(ctx.stackTop)];
    slot[0] = ctx.a;
    slot[1] = ctx.b;
    slot[2] = ctx.c;
    slot[3] = ctx.d;
    slot[4] = ctx.e;
    slot[5] = ctx.f;
    ctx.stackTop += 6;
}

void PopMatrix() {
    if (!context || context->stackTop < 6) return;
    c_GraphicsContext& ctx = *context;
    const float* slot = &ctx.matrixStack[std::size_t(ctx.stackTop - 6)];
    SetMatrix(slot[0], slot[1], slot[2], slot[3], slot[4], slot[5]);
    ctx.stackTop -= 6;
}

// ---- primitives ---------------------------------------------------------------

void DrawPoint(float x, float y) {
    if (gxtkGraphics* target = DrawTarget()) target->DrawPoint(x, y);
}

void DrawRect(float x, float y, float w, float h) {
    if (gxtkGraphics* target = DrawTarget()) target->DrawRect(x, y, w, h);
}

void DrawLine(float x1, float y1, float x2, float y2) {
    if (gxtkGraphics* target = DrawTarget()) target->DrawLine(x1, y1, x2, y2);
}

void DrawOval(float x, float y, float w, float h) {
    if (gxtkGraphics* target = DrawTarget()) target->DrawOval(x, y, w, h);
}

void DrawPoly(std::span<const float> xy) {
    if (gxtkGraphics* target = DrawTarget()) target->DrawPolygon(xy);
}

// ---- images ---------------------------------------------------------------

namespace {

// Pushes the matrix that puts the image's handle at (x, y), turned and
// scaled about it, and answers the draw target with that matrix sent. The
// caller pops it.
gxtkGraphics* PushImageTransform(const c_Image& image, float x, float y, float rotation, float scaleX, float scaleY) {
    PushMatrix();
    Translate(x, y);
    Rotate(rotation);
    Scale(scaleX, scaleY);
    Translate(-image.handleX, -image.handleY);
    return DrawTarget();
}

}  // namespace

void DrawImage(const c_Image* image, float x, float y, int frame) {
    const c_Frame* cell = FrameOf(image, frame);
    if (!cell) return;
    gxtkGraphics* target = DrawTarget();
    if (!target) return;
    if (image->flags & c_Image::WholeSurface) {
        target->DrawWholeSurface(image->surface.get(), x - image->handleX, y - image->handleY);
    } else {
        target->DrawSurfaceRegion(image->surface.get(), x - image->handleX, y - image->handleY, cell->x, cell->y,
                                  image->width, image->height);
    }
}

void DrawImage(const c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame) {
    const c_Frame* cell = FrameOf(image, frame);
    if (!cell || !StateTarget()) return;
    gxtkGraphics* target = PushImageTransform(*image, x, y, rotation, scaleX, scaleY);
    if (image->flags & c_Image::WholeSurface) {
        target->DrawWholeSurface(image->surface.get(), 0, 0);
    } else {
        target->DrawSurfaceRegion(image->surface.get(), 0, 0, cell->x, cell->y, image->width, image->height);
    }
    PopMatrix();
}

void DrawImagePart(const c_Image* image, float x, float y, int srcX, int srcY, int srcW, int srcH, int frame) {
    const c_Frame* cell = FrameOf(image, frame);
    if (!cell) return;
    if (gxtkGraphics* target = DrawTarget()) {
        target->DrawSurfaceRegion(image->surface.get(), x - image->handleX, y - image->handleY, cell->x + srcX,
                                  cell->y + srcY, srcW, srcH);
    }
}

void DrawImagePart(const c_Image* image, float x, float y, int srcX, int srcY, int srcW, int srcH, float rotation,
                   float scaleX, float scaleY, int frame) {
    const c_Frame* cell = FrameOf(image, frame);
    if (!cell || !StateTarget()) return;
    gxtkGraphics* target = PushImageTransform(*image, x, y, rotation, scaleX, scaleY);
    target->DrawSurfaceRegion(image->surface.get(), 0, 0, cell->x + srcX, cell->y + srcY, srcW, srcH);
    PopMatrix();
}

Ref<c_Image> LoadImage(StringView path, int frameCount, int flags) {
    gxtkGraphics* device = GetGraphicsDevice();
    if (!device) return nullptr;
    return ImageFromSurface(device->LoadSurfaceFile(FixDataPath(path)), frameCount, flags);
}

Ref<c_Image> LoadImageFromMemory(const std::uint8_t* bytes, std::size_t length, int frameCount, int flags) {
    gxtkGraphics* device = GetGraphicsDevice();
    if (!device) return nullptr;
    return ImageFromSurface(device->LoadSurfaceMemory(bytes, length), frameCount, flags);
}

Ref<c_Image> CreateImage(int width, int height, int frameCount, int flags) {
    gxtkGraphics* device = GetGraphicsDevice();
    if (!device) return nullptr;
    return ImageFromSurface(device->MakeSurface(width, height), frameCount, flags);
}

void ReadPixels(std::span<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (gxtkGraphics* device = GetGraphicsDevice()) {
        device->ReadPixels(pixels, x, y, w, h, offset, pitch > 0 ? pitch : w);
    }
}

void WritePixels(c_Image* image, std::span<const int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    gxtkGraphics* device = GetGraphicsDevice();
    if (!device || !image || !image->surface) return;
    device->WritePixels(image->surface.get(), pixels, x, y, w, h, offset, pitch > 0 ? pitch : w);
}

// ---- the default font -----------------------------------------------------------

void UseFont(Ref<c_Image> font, int firstChar) {
    if (!context) return;
    if (!font) {
        if (!context->builtinFont) {
            context->builtinFont = LoadImage(u"vela_font.png", 96, c_Image::PadX);
        }
        context->currentFont = context->builtinFont;
        context->fontFirstCode = 32;
        return;
    }
    context->currentFont = std::move(font);
    context->fontFirstCode = firstChar;
}

c_Image* GetFont() { return context ? context->currentFont.get() : nullptr; }

float TextWidth(StringView text) {
    const c_Image* font = GetFont();
    return font ? float(text.size()) * float(font->width) : 0.0f;
}

float TextHeight() {
    const c_Image* font = GetFont();
    return font ? float(font->height) : 0.0f;
}

void DrawText(StringView text, float x, float y, float xalign, float yalign) {
    const c_Image* font = GetFont();
    if (!font) return;
    x -= TextWidth(text) * xalign;
    y -= TextHeight() * yalign;
    const int first = context->fontFirstCode;
    for (std::size_t i = 0; i < text.size(); ++i) {
        DrawImage(font, x + float(i) * float(font->width), y, int(text[i]) - first);
    }
}
