// gxtk_graphics.cpp — the batched renderer.
#include "graphics/gxtk_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Every live renderer, so that a dying surface can leave their batches.
std::vector<gxtkGraphics*>& LiveRenderers() {
    static std::vector<gxtkGraphics*> renderers;
    return renderers;
}

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

// A colour channel as a byte: truncated toward zero, kept inside 0..255 so
// that out-of-range input cannot wrap.
std::uint8_t ToByte(float value) {
    if (!(value > 0)) return 0;
    if (value >= 255) return 255;
    return std::uint8_t(value);
}

std::uint32_t PackColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    const std::uint8_t bytes[4] = {r, g, b, a};
    std::uint32_t packed;
    std::memcpy(&packed, bytes, 4);
    return packed;
}

gl::Enum FormatForDepth(int depth) {
    switch (depth) {
        case 1: return gl::kLuminance;
        case 2: return gl::kLuminanceAlpha;
        case 3: return gl::kRgb;
        case 4: return gl::kRgba;
        default: return 0;
    }
}

// Whether the elements offset + row·pitch + column (row < h, column < w) all
// lie inside an array of `size` elements.
bool BlockFits(std::size_t size, int w, int h, int offset, int pitch) {
    if (w <= 0 || h <= 0 || offset < 0) return false;
    const long long lastRow = static_cast<long long>(h - 1) * pitch;
    const long long first = offset + std::min(0LL, lastRow);
    const long long last = offset + std::max(0LL, lastRow) + w - 1;
    return first >= 0 && last < static_cast<long long>(size);
}

constexpr int kMaxSurfaceSide = 16384;

// An opaque batch covering at least this many target pixels is drawn on its
// own, unblended, rather than joined by a primitive that needs blending: the
// extra draw call costs less than blending that many pixels.
constexpr float kOpaqueRunArea = 128 * 128;

// The texture GL has bound, as far as this file knows (every bind of the
// renderer goes through here); a generation of -1 means unknown.
struct BoundTexture {
    unsigned int name = 0;
    int generation = -1;
};
BoundTexture bound;

void BindName(unsigned int name, int generation) {
    if (bound.name == name && bound.generation == generation) return;
    Gl().BindTexture(gl::kTexture2D, name);
    bound = {name, generation};
}

}  // namespace

// ---- gxtkSurface ------------------------------------------------------------

gxtkSurface::~gxtkSurface() { gxtkSurface::Discard(); }

int gxtkSurface::Discard() {
    gxtkGraphics::SurfaceGone(this);
    if (generation > 0 && generation == ContextGeneration()) {
        // GL falls back to texture 0 when the bound one goes, and may hand
        // the name out again.
        if (bound.name == texture) bound = {};
        Gl().DeleteTextures(1, &texture);
    }
    generation = -1;
    texture = 0;
    data.reset();
    ForgetOpacity();
    return 0;
}

void gxtkSurface::ForgetOpacity() {
    opaque = false;
    opaqueCells.clear();
    cellsWide = 0;
}

void gxtkSurface::FindOpacity() {
    ForgetOpacity();
    if (!data || width <= 0 || height <= 0) return;
    if (depth == 1 || depth == 3) {
        opaque = true;
        return;
    }
    if (depth != 2 && depth != 4) return;
    const int alphaAt = depth - 1;
    cellsWide = (width + kOpacityCell - 1) / kOpacityCell;
    const int cellsHigh = (height + kOpacityCell - 1) / kOpacityCell;
    opaqueCells.assign(std::size_t(cellsWide) * std::size_t(cellsHigh), 1);
    bool all = true, any = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = data.get() + std::size_t(y) * std::size_t(width) * std::size_t(depth) + alphaAt;
        std::uint8_t* cells = &opaqueCells[std::size_t(y / kOpacityCell) * std::size_t(cellsWide)];
        for (int x = 0; x < width; ++x, p += depth) {
            if (*p != 255) cells[x / kOpacityCell] = 0;
        }
    }
    for (std::uint8_t cell : opaqueCells) {
        all = all && cell;
        any = any || cell;
    }
    if (all || !any) {
        opaque = all;
        opaqueCells.clear();
        cellsWide = 0;
    }
}

bool gxtkSurface::RegionOpaque(int x, int y, int w, int h) const {
    // Outside the image a padded texture holds transparent texels.
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x > width - w || y > height - h) return false;
    if (opaque) return true;
    if (opaqueCells.empty()) return false;
    const int col0 = x / kOpacityCell, col1 = (x + w - 1) / kOpacityCell;
    const int row0 = y / kOpacityCell, row1 = (y + h - 1) / kOpacityCell;
    for (int row = row0; row <= row1; ++row) {
        const std::uint8_t* cells = &opaqueCells[std::size_t(row) * std::size_t(cellsWide)];
        for (int col = col0; col <= col1; ++col) {
            if (!cells[col]) return false;
        }
    }
    return true;
}

void gxtkSurface::OnLoadComplete() { BindTexture(); }

void gxtkSurface::SetData(ImageData image) {
    Discard();
    width = image.width;
    height = image.height;
    depth = image.depth;
    format = FormatForDepth(depth);
    data = std::move(image.pixels);
    if (!data) return;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::uint8_t* p = data.get();
    if (depth == 2) {
        for (std::size_t i = 0; i < count; ++i, p += 2) p[0] = std::uint8_t(p[0] * p[1] / 255);
    } else if (depth == 4) {
        for (std::size_t i = 0; i < count; ++i, p += 4) {
            const unsigned alpha = p[3];
            p[0] = std::uint8_t(p[0] * alpha / 255);
            p[1] = std::uint8_t(p[1] * alpha / 255);
            p[2] = std::uint8_t(p[2] * alpha / 255);
        }
    }
    FindOpacity();
}

void gxtkSurface::BindTexture() {
    const int current = ContextGeneration();
    if (current == 0) return;
    GlApi& gl = Gl();
    if (generation == current) {
        BindName(texture, current);
        return;
    }
    generation = current;
    gl.GenTextures(1, &texture);
    bound = {};
    BindName(texture, current);
    gl.TexParameteri(gl::kTexture2D, gl::kTextureMagFilter, int(gl::kNearest));
    gl.TexParameteri(gl::kTexture2D, gl::kTextureMinFilter, int(gl::kNearest));
    gl.TexParameteri(gl::kTexture2D, gl::kTextureWrapS, int(gl::kClampToEdge));
    gl.TexParameteri(gl::kTexture2D, gl::kTextureWrapT, int(gl::kClampToEdge));

    // An error left over from earlier calls must not be taken for a refused
    // size below.
    for (int i = 0; i < 8 && gl.GetError() != gl::kNoError; ++i) {}
    int texWidth = width, texHeight = height;
    gl.TexImage2D(gl::kTexture2D, 0, int(format), width, height, 0, format, gl::kUnsignedByte, nullptr);
    if (gl.GetError() != gl::kNoError) {
        texWidth = NextPowerOfTwo(width);
        texHeight = NextPowerOfTwo(height);
        gl.TexImage2D(gl::kTexture2D, 0, int(format), texWidth, texHeight, 0, format, gl::kUnsignedByte, nullptr);
    }
    uPerPixel = 1.0f / float(std::max(texWidth, 1));
    vPerPixel = 1.0f / float(std::max(texHeight, 1));
    if (data) {
        gl.PixelStorei(gl::kUnpackAlignment, 1);
        gl.TexSubImage2D(gl::kTexture2D, 0, 0, 0, width, height, format, gl::kUnsignedByte, data.get());
    }
}

// ---- gxtkGraphics: frame and state --------------------------------------------

gxtkGraphics::gxtkGraphics() {
    int w = 0, h = 0;
    if (Gl().TargetSize(w, h)) {
        width = w;
        height = h;
    }
    for (int q = 0; q < kMaxQuads; ++q) {
        const std::uint16_t base = std::uint16_t(q * 4);
        std::uint16_t* entry = &quadIndexTable[std::size_t(q) * 6];
        entry[0] = base;
        entry[1] = std::uint16_t(base + 1);
        entry[2] = std::uint16_t(base + 2);
        entry[3] = base;
        entry[4] = std::uint16_t(base + 2);
        entry[5] = std::uint16_t(base + 3);
    }
    LiveRenderers().push_back(this);
}

gxtkGraphics::~gxtkGraphics() { std::erase(LiveRenderers(), this); }

void gxtkGraphics::SurfaceGone(gxtkSurface* surface) {
    for (gxtkGraphics* renderer : LiveRenderers()) {
        if (renderer->batchSurface != surface) continue;
        renderer->FlushBatch();
        renderer->batchSurface = nullptr;
        renderer->batchKind = kNone;
    }
}

int gxtkGraphics::BeginFrame() {
    width = height = 0;
    int w = 0, h = 0;
    if (Gl().TargetSize(w, h)) {
        width = w;
        height = h;
    }
    GlApi& gl = Gl();
    gl.Viewport(0, 0, width, height);
    gl.MatrixMode(gl::kProjection);
    gl.LoadIdentity();
    gl.Ortho(0, width, height, 0, -1, 1);
    gl.MatrixMode(gl::kModelView);
    gl.LoadIdentity();

    gl.EnableClientState(gl::kVertexArray);
    gl.EnableClientState(gl::kTextureCoordArray);
    gl.EnableClientState(gl::kColorArray);
    gl.VertexPointer(2, gl::kFloat, sizeof(Vertex), &vertices[0].x);
    gl.TexCoordPointer(2, gl::kFloat, sizeof(Vertex), &vertices[0].u);
    gl.ColorPointer(4, gl::kUnsignedByte, sizeof(Vertex), &vertices[0].color);

    gl.Enable(gl::kBlend);
    gl.BlendFunc(gl::kOne, gl::kOneMinusSrcAlpha);
    gl.Disable(gl::kTexture2D);
    blendOn = true;
    additive = false;
    textureOn = false;
    // Whatever ran between frames may have bound another texture.
    bound = {};
    batchVertexCount = 0;
    batchOpaque = true;
    batchOpaqueArea = 0;
    return 1;
}

int gxtkGraphics::EndFrame() {
    FlushBatch();
    // Left as the frame found them, for anything that draws after the game.
    SetTexturing(false);
    SetBlending(true);
    return 0;
}

void gxtkGraphics::SetBlending(bool on) {
    if (on == blendOn) return;
    if (on) {
        Gl().Enable(gl::kBlend);
    } else {
        Gl().Disable(gl::kBlend);
    }
    blendOn = on;
}

void gxtkGraphics::SetTexturing(bool on) {
    if (on == textureOn) return;
    if (on) {
        Gl().Enable(gl::kTexture2D);
    } else {
        Gl().Disable(gl::kTexture2D);
    }
    textureOn = on;
}

float gxtkGraphics::AreaOf(float w, float h) const {
    const float scale = hasTransform ? a * d - b * c : 1.0f;
    return std::fabs(w * h * scale);
}

int gxtkGraphics::Clear(float clearRed, float clearGreen, float clearBlue) {
    batchVertexCount = 0;
    batchOpaque = true;
    batchOpaqueArea = 0;
    Gl().ClearColor(clearRed / 255.0f, clearGreen / 255.0f, clearBlue / 255.0f, 1.0f);
    Gl().Clear(gl::kColorBufferBit);
    return 0;
}

void gxtkGraphics::UpdateColor() {
    color = PackColor(ToByte(red * alpha), ToByte(green * alpha), ToByte(blue * alpha), ToByte(alpha * 255.0f));
}

int gxtkGraphics::SetAlpha(float newAlpha) {
    alpha = newAlpha;
    UpdateColor();
    return 0;
}

int gxtkGraphics::SetColor(float r, float g, float bl) {
    red = r;
    green = g;
    blue = bl;
    UpdateColor();
    return 0;
}

int gxtkGraphics::SetBlendMode(int mode) {
    const bool add = mode == 1;
    if (add == additive) return 0;
    FlushBatch();
    additive = add;
    if (add) {
        Gl().BlendFunc(gl::kOne, gl::kOne);
    } else {
        Gl().BlendFunc(gl::kOne, gl::kOneMinusSrcAlpha);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    FlushBatch();
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        Gl().Disable(gl::kScissorTest);
    } else {
        Gl().Enable(gl::kScissorTest);
        Gl().Scissor(x, Height() - y - h, w, h);
    }
    return 0;
}

int gxtkGraphics::SetMatrix(float ma, float mb, float mc, float md, float me, float mf) {
    a = ma;
    b = mb;
    c = mc;
    d = md;
    e = me;
    f = mf;
    hasTransform = !(a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0);
    return 0;
}

// ---- gxtkGraphics: batching ---------------------------------------------------

gxtkGraphics::Vertex* gxtkGraphics::BeginPrimitive(int kind, int count, gxtkSurface* surface, bool opaque, float area) {
    if (kind != batchKind || surface != batchSurface || batchVertexCount + count > kMaxVertices ||
        (!opaque && batchOpaque && batchOpaqueArea >= kOpaqueRunArea)) {
        FlushBatch();
        batchKind = kind;
        batchSurface = surface;
    }
    batchOpaque = batchOpaque && opaque;
    if (opaque) batchOpaqueArea += area;
    Vertex* slots = &vertices[std::size_t(batchVertexCount)];
    batchVertexCount += count;
    return slots;
}

void gxtkGraphics::FlushBatch() {
    if (batchVertexCount == 0) return;
    GlApi& gl = Gl();
    SetTexturing(batchSurface != nullptr);
    if (batchSurface) batchSurface->BindTexture();
    // Opaque pixels replace what is under them: the same picture without
    // reading the target back. Adding light always reads it.
    SetBlending(additive || !batchOpaque);
    switch (batchKind) {
        case kPoints: gl.DrawArrays(gl::kPoints, 0, batchVertexCount); break;
        case kLines: gl.DrawArrays(gl::kLines, 0, batchVertexCount); break;
        case kTriangles: gl.DrawArrays(gl::kTriangles, 0, batchVertexCount); break;
        case kQuads:
            gl.DrawElements(gl::kTriangles, batchVertexCount / 4 * 6, gl::kUnsignedShort, quadIndexTable.data());
            break;
        default:
            for (int i = 0; i < batchVertexCount; i += batchKind) {
                gl.DrawArrays(gl::kTriangleFan, i, batchKind);
            }
            break;
    }
    batchVertexCount = 0;
    batchOpaque = true;
    batchOpaqueArea = 0;
}

void gxtkGraphics::Put(Vertex* v, float x, float y) const {
    if (hasTransform) {
        v->x = x * a + y * c + e;
        v->y = x * b + y * d + f;
    } else {
        v->x = x;
        v->y = y;
    }
    v->color = color;
}

void gxtkGraphics::Put(Vertex* v, float x, float y, float u, float w) const {
    Put(v, x, y);
    v->u = u;
    v->v = w;
}

void gxtkGraphics::Quad(gxtkSurface* surface, bool opaque, float x, float y, float w, float h, float u0, float v0,
                        float u1, float v1) {
    Vertex* v = BeginPrimitive(kQuads, 4, surface, opaque, opaque ? AreaOf(w, h) : 0);
    Put(v + 0, x, y, u0, v0);
    Put(v + 1, x + w, y, u1, v0);
    Put(v + 2, x + w, y + h, u1, v1);
    Put(v + 3, x, y + h, u0, v1);
}

// ---- gxtkGraphics: primitives ---------------------------------------------------

int gxtkGraphics::DrawPoint(float x, float y) {
    Put(BeginPrimitive(kPoints, 1, nullptr, ColorOpaque()), x, y);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    Vertex* v = BeginPrimitive(kLines, 2, nullptr, ColorOpaque());
    Put(v + 0, x1, y1);
    Put(v + 1, x2, y2);
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    const bool opaque = ColorOpaque();
    Vertex* v = BeginPrimitive(kQuads, 4, nullptr, opaque, opaque ? AreaOf(w, h) : 0);
    Put(v + 0, x, y);
    Put(v + 1, x + w, y);
    Put(v + 2, x + w, y + h);
    Put(v + 3, x, y + h);
    return 0;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    const float rx = w * 0.5f, ry = h * 0.5f;
    const float cx = x + rx, cy = y + ry;
    float segments;
    if (hasTransform) {
        segments = std::hypot(rx * a, rx * b) + std::hypot(ry * c, ry * d);
    } else {
        segments = std::fabs(rx) + std::fabs(ry);
    }
    // Compared as floats first: huge or NaN sizes must not reach the int.
    int n;
    if (!(std::trunc(segments) >= 12.0f)) {
        n = 12;
    } else if (std::trunc(segments) > float(kMaxVertices)) {
        n = kMaxVertices;
    } else {
        n = int(segments) & ~3;
    }
    Vertex* v = BeginPrimitive(n, n, nullptr, ColorOpaque());
    for (int i = 0; i < n; ++i) {
        const float theta = float(i) * 6.2831854820251465f / float(n);
        Put(v + i, cx + std::cos(theta) * rx, cy - std::sin(theta) * ry);
    }
    return 0;
}

int gxtkGraphics::DrawPolygon(std::span<const float> xy) {
    const std::size_t n = xy.size() / 2;
    if (n < 1 || n > std::size_t(kMaxVertices)) return 0;
    Vertex* v = BeginPrimitive(int(n), int(n), nullptr, ColorOpaque());
    for (std::size_t i = 0; i < n; ++i) Put(v + i, xy[i * 2], xy[i * 2 + 1]);
    return 0;
}

int gxtkGraphics::DrawTexturedPolygon(std::span<const float> xyuv, gxtkSurface* surface, int srcX, int srcY) {
    const std::size_t n = xyuv.size() / 4;
    if (!surface || n < 1 || n > std::size_t(kMaxVertices)) return 0;
    Vertex* v = BeginPrimitive(int(n), int(n), surface);
    for (std::size_t i = 0; i < n; ++i) {
        const float* q = &xyuv[i * 4];
        Put(v + i, q[0], q[1], (q[2] + float(srcX)) * surface->uPerPixel, (q[3] + float(srcY)) * surface->vPerPixel);
    }
    return 0;
}

int gxtkGraphics::DrawWholeSurface(gxtkSurface* surface, float x, float y) {
    if (!surface) return 0;
    const float w = float(surface->width), h = float(surface->height);
    Quad(surface, surface->opaque && ColorOpaque(), x, y, w, h, 0, 0, w * surface->uPerPixel, h * surface->vPerPixel);
    return 0;
}

int gxtkGraphics::DrawSurfaceRegion(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW, int srcH) {
    if (!surface) return 0;
    const bool opaque = ColorOpaque() && surface->RegionOpaque(srcX, srcY, srcW, srcH);
    Quad(surface, opaque, x, y, float(srcW), float(srcH), float(srcX) * surface->uPerPixel,
         float(srcY) * surface->vPerPixel, float(srcX + srcW) * surface->uPerPixel,
         float(srcY + srcH) * surface->vPerPixel);
    return 0;
}

// ---- gxtkGraphics: surfaces and pixels --------------------------------------------

Ref<gxtkSurface> gxtkGraphics::LoadSurfaceFile(StringView path) {
    Ref<gxtkSurface> surface = New<gxtkSurface>();
    if (!LoadSurfaceData(*surface, path)) return nullptr;
    surface->OnLoadComplete();
    return surface;
}

bool gxtkGraphics::LoadSurfaceData(gxtkSurface& surface, StringView path) {
    ImageData image = LoadImageData(path);
    if (!image) return false;
    surface.SetData(std::move(image));
    return true;
}

Ref<gxtkSurface> gxtkGraphics::LoadSurfaceMemory(const std::uint8_t* bytes, std::size_t length) {
    return MakeSurfaceFromData(DecodeImageMemory(bytes, length));
}

Ref<gxtkSurface> gxtkGraphics::MakeSurfaceFromData(ImageData image) {
    if (!image) return nullptr;
    Ref<gxtkSurface> surface = New<gxtkSurface>();
    surface->SetData(std::move(image));
    surface->OnLoadComplete();
    return surface;
}

Ref<gxtkSurface> gxtkGraphics::MakeSurface(int w, int h) {
    if (w <= 0 || h <= 0 || w > kMaxSurfaceSide || h > kMaxSurfaceSide) return nullptr;
    Ref<gxtkSurface> surface = New<gxtkSurface>();
    surface->width = w;
    surface->height = h;
    surface->depth = 4;
    surface->format = gl::kRgba;
    surface->BindTexture();
    return surface;
}

int gxtkGraphics::WritePixels(gxtkSurface* surface, std::span<const int> pixels, int x, int y, int w, int h, int offset,
                              int pitch) {
    FlushBatch();
    if (!surface || surface->format != gl::kRgba) return 0;
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x > surface->width - w || y > surface->height - h ||
        !BlockFits(pixels.size(), w, h, offset, pitch)) {
        return 0;
    }
    const std::size_t rowBytes = std::size_t(surface->width) * 4;
    surface->ForgetOpacity();
    if (!surface->data) {
        auto* block = static_cast<std::uint8_t*>(std::calloc(rowBytes, std::size_t(surface->height)));
        if (!block) return 0;
        surface->data.reset(block);
    }
    for (int row = 0; row < h; ++row) {
        const int* src = &pixels[std::size_t(offset + row * pitch)];
        std::uint8_t* dst = surface->data.get() + std::size_t(y + row) * rowBytes + std::size_t(x) * 4;
        for (int col = 0; col < w; ++col, dst += 4) {
            const auto argb = std::uint32_t(src[col]);
            const unsigned pixelAlpha = argb >> 24;
            dst[0] = std::uint8_t(((argb >> 16) & 0xff) * pixelAlpha / 255);
            dst[1] = std::uint8_t(((argb >> 8) & 0xff) * pixelAlpha / 255);
            dst[2] = std::uint8_t((argb & 0xff) * pixelAlpha / 255);
            dst[3] = std::uint8_t(pixelAlpha);
        }
    }
    if (surface->generation > 0 && surface->generation == ContextGeneration()) {
        GlApi& gl = Gl();
        BindName(surface->texture, surface->generation);
        gl.PixelStorei(gl::kUnpackAlignment, 1);
        const std::uint8_t* first = surface->data.get() + std::size_t(y) * rowBytes + std::size_t(x) * 4;
        // Rows are contiguous in the kept pixels only when the block spans
        // the surface's full width.
        if (w == surface->width) {
            gl.TexSubImage2D(gl::kTexture2D, 0, x, y, w, h, gl::kRgba, gl::kUnsignedByte, first);
        } else {
            for (int row = 0; row < h; ++row) {
                gl.TexSubImage2D(gl::kTexture2D, 0, x, y + row, w, 1, gl::kRgba, gl::kUnsignedByte,
                                 first + std::size_t(row) * rowBytes);
            }
        }
    }
    return 0;
}

int gxtkGraphics::ReadPixels(std::span<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    FlushBatch();
    if (!BlockFits(pixels.size(), w, h, offset, pitch)) return 0;
    std::vector<std::uint8_t> block(std::size_t(w) * std::size_t(h) * 4);
    GlApi& gl = Gl();
    gl.ReadPixels(x, Height() - y - h, w, h, gl::kBgra, gl::kUnsignedByte, block.data());
    for (int row = 0; row < h; ++row) {
        // GL's rows run bottom-up; the caller's row 0 is the top one.
        const std::uint8_t* src = block.data() + std::size_t(h - 1 - row) * std::size_t(w) * 4;
        int* dst = &pixels[std::size_t(offset + row * pitch)];
        for (int col = 0; col < w; ++col, src += 4) {
            dst[col] = int(std::uint32_t(src[3]) << 24 | std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 |
                           std::uint32_t(src[0]));
        }
    }
    return 0;
}
