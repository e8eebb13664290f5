// gxtk_graphics.h — the batched renderer and its textures.
//
// gxtkGraphics turns every draw of a frame into vertices in one client-side
// array of 1024 vertices and hands them to fixed-function OpenGL (through the
// GL seam, graphics/gl_api.h) in as few draw calls as it can. Consecutive
// primitives of the same kind and the same surface share a batch; the batch
// is drawn when the kind or surface changes, when it is full, on a change of
// blend mode, scissor, pixel reads/writes and EndFrame, and when a large run
// of opaque primitives meets one that needs blending. Colour, alpha and matrix changes
// never break a batch: colours are stored per vertex and the 2D matrix is
// applied on the CPU before vertices are stored. GL always sees an identity
// model-view and a y-down, one-unit-per-pixel projection.
//
// Colours are premultiplied by alpha everywhere: vertex colours, texture
// pixels (premultiplied when loaded) and the blend function (ONE,
// ONE_MINUS_SRC_ALPHA; mode 1 is additive ONE, ONE). A batch of opaque
// primitives only (opaque colour, and texels the surface's opacity cells
// vouch for) is drawn with blending off, which gives the same pixels without
// reading the target. Texturing, the bound texture and blending are set only
// when a batch needs them changed.
//
// Callers: the drawing API (graphics/graphics_context.h) is the only caller
// of the drawing and state operations; the application layer creates the one
// gxtkGraphics after the window is open and brackets each frame with
// BeginFrame / EndFrame (with BeginDrawing / EndDrawing of the drawing API
// inside). Main thread only.
//
// gxtkSurface is a texture with its pixels kept in memory (premultiplied), so
// that it can be re-created after the window (and so the GL context) is
// re-opened: a surface made under an older context generation re-uploads
// itself at its next use. Surfaces release their texture and pixels in
// Discard or when destroyed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/gl_api.h"
#include "host/image_data.h"
#include "host/object.h"

class gxtkSurface : public Object {
public:
    gxtkSurface() = default;
    ~gxtkSurface() override;

    String ToString() const override { return u"gxtkSurface"; }

    // Deletes the texture (if it belongs to the current context) and frees
    // the pixels. Safe to call more than once.
    virtual int Discard();
    virtual int Width() const { return width; }
    virtual int Height() const { return height; }
    virtual bool IsLoaded() const { return true; }
    // Uploads the texture at once.
    virtual void OnLoadComplete();

    // Makes the texture current, creating it (and uploading the kept pixels)
    // when it is missing or stale. Does nothing while no context exists.
    void BindTexture();
    // Takes decoded pixels: sets the format from the depth and premultiplies
    // the colour channels of grey + alpha and RGBA images in place.
    void SetData(ImageData image);

    // Pixels (width × height × depth bytes, premultiplied) or null.
    std::uint8_t* Data() const { return data.get(); }

    // Whether every pixel of the w × h block at (x, y) is fully opaque, so
    // that drawing it needs no blending. Answered from 8 × 8 cells of the
    // kept pixels: a block is opaque when every cell it touches is.
    bool RegionOpaque(int x, int y, int w, int h) const;
    // Works out `opaque` and the opaque cells from the kept pixels (SetData
    // does this; WritePixels forgets it).
    void FindOpacity();
    void ForgetOpacity();

    std::unique_ptr<std::uint8_t[], ImageData::FreeDeleter> data;
    int width = 0;
    int height = 0;
    int depth = 0;
    gl::Enum format = 0;
    int generation = -1;
    unsigned int texture = 0;
    float uPerPixel = 0;
    float vPerPixel = 0;
    // Every pixel has alpha 255 (or the format has no alpha).
    bool opaque = false;
    static constexpr int kOpacityCell = 8;
    // One byte per cell, row-major, 1 when all its pixels are opaque; empty
    // when the surface is wholly opaque or has no opaque cell.
    std::vector<std::uint8_t> opaqueCells;
    int cellsWide = 0;
};

class gxtkGraphics : public Object {
public:
    static constexpr int kMaxVertices = 1024;
    static constexpr int kMaxQuads = kMaxVertices / 4;

    // Batch kinds: 0 none, 1 points, 2 lines, 3 triangles, 4 quads, n > 4
    // polygons (fans) of n vertices.
    enum : int { kNone = 0, kPoints = 1, kLines = 2, kTriangles = 3, kQuads = 4 };

    struct Vertex {
        float x, y, u, v;
        std::uint32_t color;  // bytes R, G, B, A in memory order, premultiplied
    };
    static_assert(sizeof(Vertex) == 20);

    gxtkGraphics();
    ~gxtkGraphics() override;
    String ToString() const override { return u"gxtkGraphics"; }

    virtual int Width() const { return width; }
    virtual int Height() const { return height; }
    // Starts a frame: refreshes the size from the window, sets viewport,
    // projection and client arrays, alpha blending, no texturing, and empties
    // the batch. Always answers 1 (render).
    virtual int BeginFrame();
    // Draws whatever is still batched.
    virtual int EndFrame();
    virtual int DiscardDeviceResources() { return 0; }

    // Loads an image file (a game path, see image_data.h) into a new surface
    // and uploads it; null when the file is missing or does not decode.
    virtual Ref<gxtkSurface> LoadSurfaceFile(StringView path);
    // A w × h RGBA surface without pixels (they come with WritePixels).
    virtual Ref<gxtkSurface> MakeSurface(int width, int height);
    virtual bool LoadSurfaceData(gxtkSurface& surface, StringView path);

    // Empties the batch without drawing it, then clears the target to the
    // colour (0..255, alpha 1).
    virtual int Clear(float clearRed, float clearGreen, float clearBlue);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    // 1 additive, anything else alpha blending. Flushes.
    virtual int SetBlendMode(int mode);
    // Top-left origin; the whole target turns scissoring off. Flushes.
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float a, float b, float c, float d, float e, float f);

    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    // x, y pairs; 1..1024 vertices, otherwise nothing is drawn.
    virtual int DrawPolygon(std::span<const float> xy);
    // x, y, u, v quadruples with u, v in pixels of the surface, offset by
    // (srcX, srcY); 1..1024 vertices, otherwise nothing is drawn.
    virtual int DrawTexturedPolygon(std::span<const float> xyuv, gxtkSurface* surface, int srcX, int srcY);
    virtual int DrawWholeSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurfaceRegion(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW, int srcH);
    // Reads the w × h block at (x, y) (top-left origin) as ARGB integers,
    // premultiplied, top row first, into pixels[offset + row·pitch + column].
    // Nothing happens when the block does not fit into `pixels`.
    virtual int ReadPixels(std::span<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    // Writes a w × h block of ARGB integers (straight alpha) into an RGBA
    // surface at (x, y), premultiplying it. Nothing happens for other formats
    // or when the block does not fit into the surface or into `pixels`.
    virtual int WritePixels(gxtkSurface* surface, std::span<const int> pixels, int x, int y, int w, int h, int offset,
                            int pitch);

    // Not one of the device's classic operations: decodes an image file held
    // in memory into a new uploaded surface; null when it does not decode.
    Ref<gxtkSurface> LoadSurfaceMemory(const std::uint8_t* bytes, std::size_t length);
    // A surface from already decoded pixels; null for empty data.
    Ref<gxtkSurface> MakeSurfaceFromData(ImageData image);

    // Draws the batch now (used by the operations above; public for tools).
    void FlushBatch();

    // Called by a surface that is discarded or destroyed: its pending
    // vertices are drawn now, and the batch forgets it.
    static void SurfaceGone(gxtkSurface* surface);

    // Read access for tests and the drawing API.
    int BatchKind() const { return batchKind; }
    int BatchVertexCount() const { return batchVertexCount; }
    std::uint32_t Color() const { return color; }

private:
    // `opaque`: the primitive covers what is under it completely (opaque
    // colour, and opaque texels when textured), so it may be drawn without
    // blending; `area` is about how many target pixels it covers.
    Vertex* BeginPrimitive(int kind, int count, gxtkSurface* surface, bool opaque = false, float area = 0);
    void SetBlending(bool on);
    void SetTexturing(bool on);
    bool ColorOpaque() const { return (color >> 24) == 255; }
    float AreaOf(float w, float h) const;
    void Put(Vertex* v, float x, float y) const;
    void Put(Vertex* v, float x, float y, float u, float w) const;
    void UpdateColor();
    void Quad(gxtkSurface* surface, bool opaque, float x, float y, float w, float h, float u0, float v0, float u1,
              float v1);

    int width = 0;
    int height = 0;
    std::uint32_t color = 0;
    float red = 0, green = 0, blue = 0;
    float alpha = 0;
    float a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
    bool hasTransform = false;
    std::array<Vertex, kMaxVertices> vertices{};
    std::array<std::uint16_t, kMaxQuads * 6> quadIndexTable{};
    int batchKind = kNone;
    int batchVertexCount = 0;
    gxtkSurface* batchSurface = nullptr;
    // Every primitive of the batch so far is opaque, and the pixels they cover.
    bool batchOpaque = true;
    float batchOpaqueArea = 0;
    bool additive = false;
    // GL state as last set by this renderer in this frame, so that batches
    // sharing it do not set it again.
    bool blendOn = false;
    bool textureOn = false;
};
