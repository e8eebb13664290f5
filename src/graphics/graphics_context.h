// graphics_context.h — the immediate-mode drawing API.
//
// All game and framework code draws through these free functions. They keep
// the current state in the one process-wide c_GraphicsContext (colour, alpha,
// blend mode, scissor, a 2D affine matrix with a stack, the font) and forward
// every draw to the renderer (gxtkGraphics).
//
// Set-up and the frame bracket (the application layer does this):
//
//   SetGraphicsDevice(New<gxtkGraphics>());   // once, after the window opens
//   UseFont(nullptr);                         // loads "vela_font.png"
//   each frame:
//     if (device->BeginFrame() != 0) BeginDrawing();
//     ... OnRender ...
//     EndDrawing();
//     device->EndFrame();
//
// BeginDrawing resets the state every frame: empty matrix stack, identity
// matrix, colour (255, 255, 255), alpha 1, blend mode 0 and the scissor to
// the whole target. Between EndDrawing and the next BeginDrawing (and before
// any device is set) draws do nothing.
//
// Matrix: a point (x, y) maps to (x·a + y·c + e, x·b + y·d + f). Transform
// post-multiplies, so the last call applies first to what is drawn:
// Translate(x, y); Rotate(r); DrawImage(img, 0, 0) turns the image about its
// handle and puts it at (x, y). Positive angles (degrees) turn anticlockwise
// on the y-down screen. Matrix changes are cheap: the renderer is told the
// matrix once, right before the next draw, and changing it never breaks a
// batch. Keep PushMatrix / PopMatrix balanced within a frame (a pop of an
// empty stack is ignored).
//
// Colours are 0..255, alpha 0..1; the renderer premultiplies. Blend mode 0
// is alpha blending, 1 additive. The scissor rectangle is in target pixels
// with a top-left origin; it is not transformed by the matrix.
//
// Inside a class with a member of the same name (Translate, Scale, Rotate,
// SetColor, …) call these as ::Translate etc.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/gxtk_graphics.h"
#include "graphics/image.h"
#include "host/object.h"
#include "host/text.h"

class c_GraphicsContext : public Object {
public:
    c_GraphicsContext();
    String ToString() const override { return u"c_GraphicsContext"; }

    Ref<c_Image> builtinFont;
    Ref<c_Image> currentFont;
    int fontFirstCode = 32;
    int stackTop = 0;
    float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    bool hasTransform = false;
    bool matrixPending = true;
    float red = 255, green = 255, blue = 255;
    float alpha = 1;
    int blendMode = 0;
    float scissorX = 0, scissorY = 0, scissorWidth = 0, scissorHeight = 0;
    std::vector<float> matrixStack;

    // The renderer of the whole run, and the one drawn to inside the frame
    // bracket (null outside it).
    Ref<gxtkGraphics> device;
    gxtkGraphics* targetDevice = nullptr;
};

// ---- set-up and frame bracket ----------------------------------------------

// Makes `device` the graphics device, creating the context on first use.
// Null releases the device and the context (and with them the fonts).
void SetGraphicsDevice(Ref<gxtkGraphics> device);
gxtkGraphics* GetGraphicsDevice();
// The process-wide context, or null before SetGraphicsDevice.
c_GraphicsContext* GetGraphicsContext();
void BeginDrawing();
void EndDrawing();

// ---- state ------------------------------------------------------------------

void SetColor(float r, float g, float b);
// The current colour as {r, g, b}.
std::array<float, 3> GetColor();
void SetAlpha(float alpha);
float GetAlpha();
void SetBlendMode(int mode);
int GetBlendMode();
void SetScissor(float x, float y, float w, float h);
// The current scissor as {x, y, w, h}.
std::array<float, 4> GetScissor();
// Clears the target (the draws batched so far this frame are dropped).
void Clear(float r, float g, float b);

void SetMatrix(float a, float b, float c, float d, float e, float f);
// The current matrix as {a, b, c, d, e, f}.
std::array<float, 6> GetMatrix();
void Transform(float a, float b, float c, float d, float e, float f);
void Translate(float x, float y);
void Scale(float sx, float sy);
void Rotate(float degrees);
void PushMatrix();
void PopMatrix();

// ---- primitives ---------------------------------------------------------------

void DrawPoint(float x, float y);
void DrawRect(float x, float y, float w, float h);
void DrawLine(float x1, float y1, float x2, float y2);
void DrawOval(float x, float y, float w, float h);
// x, y pairs (a filled convex polygon; 1..1024 vertices).
void DrawPoly(std::span<const float> xy);

// ---- images ---------------------------------------------------------------

// Frame indices outside the image draw nothing; so does a null or discarded
// image.
void DrawImage(const c_Image* image, float x, float y, int frame = 0);
// Rotation (degrees) and scale turn about the image's handle.
void DrawImage(const c_Image* image, float x, float y, float rotation, float scaleX, float scaleY, int frame = 0);
// The srcW × srcH part at (srcX, srcY) of the frame.
void DrawImagePart(const c_Image* image, float x, float y, int srcX, int srcY, int srcW, int srcH, int frame = 0);
void DrawImagePart(const c_Image* image, float x, float y, int srcX, int srcY, int srcW, int srcH, float rotation,
                   float scaleX, float scaleY, int frame = 0);

// `path` follows the data-path rule: a name without a scheme ("title.png")
// is read from the data folder; "./x", "/x" and "cobalt://…" stay as they
// are. Null when the file is missing or does not decode.
Ref<c_Image> LoadImage(StringView path, int frameCount = 1, int flags = DefaultImageFlags());
// Decodes an image file held in memory; null when it does not decode.
Ref<c_Image> LoadImageFromMemory(const std::uint8_t* bytes, std::size_t length, int frameCount = 1,
                                 int flags = DefaultImageFlags());
// A blank RGBA image whose pixels come from WritePixels.
Ref<c_Image> CreateImage(int width, int height, int frameCount = 1, int flags = DefaultImageFlags());

// See gxtkGraphics::ReadPixels / WritePixels; a pitch of 0 means w. These
// work outside the frame bracket too (on the graphics device).
void ReadPixels(std::span<int> pixels, int x, int y, int w, int h, int offset = 0, int pitch = 0);
void WritePixels(c_Image* image, std::span<const int> pixels, int x, int y, int w, int h, int offset = 0,
                 int pitch = 0);

// ---- the default font -----------------------------------------------------------

// Makes `font` (a strip of glyph cells, the first for character
// `firstChar`) the current font. Null selects the built-in font, loading
// "vela_font.png" (96 cells for codes 32..127, PadX) on first use.
void UseFont(Ref<c_Image> font, int firstChar = 32);
c_Image* GetFont();
// Draws one line of text with the current font, one cell per character;
// characters outside the font are skipped (they still advance). xalign and
// yalign 0 put the top-left at (x, y), 0.5 centres, 1 right/bottom aligns.
void DrawText(StringView text, float x, float y, float xalign = 0, float yalign = 0);
float TextWidth(StringView text);
float TextHeight();
