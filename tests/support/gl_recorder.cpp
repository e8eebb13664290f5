// gl_recorder.cpp — the recording GL seam.
#include "support/gl_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int BytesPerPixel(gl::Enum format) {
    switch (format) {
        case gl::kLuminance: return 1;
        case gl::kLuminanceAlpha: return 2;
        case gl::kRgb: return 3;
        default: return 4;
    }
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

struct Point {
    double x, y;
};

// Keeps the part of the convex polygon on the inside of one axis-aligned
// edge (Sutherland-Hodgman). `axis` 0 clips x, 1 clips y; `keepAbove` keeps
// coordinates >= limit, otherwise <= limit. Each edge adds one corner at most.
int ClipEdge(const Point* in, int n, Point* out, int axis, double limit, bool keepAbove) {
    auto coord = [axis](const Point& p) { return axis == 0 ? p.x : p.y; };
    auto inside = [&](const Point& p) { return keepAbove ? coord(p) >= limit : coord(p) <= limit; };
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const Point& a = in[i];
        const Point& b = in[(i + 1) % n];
        const bool aIn = inside(a), bIn = inside(b);
        if (aIn) out[m++] = a;
        if (aIn != bIn) {
            const double t = (limit - coord(a)) / (coord(b) - coord(a));
            out[m++] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        }
    }
    return m;
}

}  // namespace

double GlRecorder::WindowArea(const Vertex& a, const Vertex& b, const Vertex& c) const {
    const double width = ortho[1] - ortho[0], height = ortho[3] - ortho[2];
    if (width == 0 || height == 0) return 0;
    auto toWindow = [&](const Vertex& v) {
        return Point{viewport[0] + (v.x - ortho[0]) / width * viewport[2],
                     viewport[1] + (v.y - ortho[2]) / height * viewport[3]};
    };
    double left = viewport[0], bottom = viewport[1];
    double right = left + viewport[2], top = bottom + viewport[3];
    if (scissorTest) {
        left = std::max(left, double(scissorBox[0]));
        bottom = std::max(bottom, double(scissorBox[1]));
        right = std::min(right, double(scissorBox[0] + scissorBox[2]));
        top = std::min(top, double(scissorBox[1] + scissorBox[3]));
    }
    if (right <= left || top <= bottom) return 0;
    Point ping[8] = {toWindow(a), toWindow(b), toWindow(c)};
    Point pong[8];
    int n = ClipEdge(ping, 3, pong, 0, left, true);
    n = ClipEdge(pong, n, ping, 0, right, false);
    n = ClipEdge(ping, n, pong, 1, bottom, true);
    n = ClipEdge(pong, n, ping, 1, top, false);
    double twice = 0;
    for (int i = 0; i < n; ++i) {
        const Point& p = ping[i];
        const Point& q = ping[(i + 1) % n];
        twice += p.x * q.y - q.x * p.y;
    }
    return std::abs(twice) / 2;
}

void GlRecorder::CountBlendedPixels(gl::Enum mode, int first, int count, const std::uint16_t* indices) {
    auto at = [&](int i) { return ReadVertex(indices ? int(indices[i]) : first + i); };
    if (mode == gl::kTriangles) {
        for (int i = 0; i + 2 < count; i += 3) blendedPixels += WindowArea(at(i), at(i + 1), at(i + 2));
    } else if (mode == gl::kTriangleFan && count >= 3) {
        const Vertex hub = at(0);
        for (int i = 1; i + 1 < count; ++i) blendedPixels += WindowArea(hub, at(i), at(i + 1));
    }
}

void GlRecorder::ResetCounters() {
    drawCalls = 0;
    vertices = 0;
    textureUploads = 0;
    textureAllocs = 0;
    stateChanges = 0;
    blendFuncCalls = 0;
    scissorCalls = 0;
    bindCalls = 0;
    clears = 0;
    readPixelsCalls = 0;
    blendedPixels = 0;
    draws.clear();
}

const GlRecorder::Texture* GlRecorder::Bound() const {
    auto it = textures.find(boundTexture);
    return it == textures.end() ? nullptr : &it->second;
}

bool GlRecorder::TargetSize(int& width, int& height) {
    width = windowOpen ? targetWidth : 0;
    height = windowOpen ? targetHeight : 0;
    return windowOpen;
}

void GlRecorder::Viewport(int x, int y, int width, int height) {
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
}

void GlRecorder::Ortho(double left, double right, double bottom, double top, double zNear, double zFar) {
    const double values[6] = {left, right, bottom, top, zNear, zFar};
    std::copy(values, values + 6, ortho);
}

void GlRecorder::VertexPointer(int, gl::Enum, int stride, const void* pointer) {
    positionPointer_ = static_cast<const std::uint8_t*>(pointer);
    positionStride_ = stride;
}

void GlRecorder::TexCoordPointer(int, gl::Enum, int stride, const void* pointer) {
    texCoordPointer_ = static_cast<const std::uint8_t*>(pointer);
    texCoordStride_ = stride;
}

void GlRecorder::ColorPointer(int, gl::Enum, int stride, const void* pointer) {
    colorPointer_ = static_cast<const std::uint8_t*>(pointer);
    colorStride_ = stride;
}

void GlRecorder::Enable(gl::Enum cap) {
    ++stateChanges;
    if (cap == gl::kBlend) blendEnabled = true;
    if (cap == gl::kScissorTest) scissorTest = true;
    if (cap == gl::kTexture2D) texture2D = true;
}

void GlRecorder::Disable(gl::Enum cap) {
    ++stateChanges;
    if (cap == gl::kBlend) blendEnabled = false;
    if (cap == gl::kScissorTest) scissorTest = false;
    if (cap == gl::kTexture2D) texture2D = false;
}

void GlRecorder::BlendFunc(gl::Enum src, gl::Enum dst) {
    ++stateChanges;
    ++blendFuncCalls;
    blendSrc = src;
    blendDst = dst;
}

void GlRecorder::Scissor(int x, int y, int width, int height) {
    ++stateChanges;
    ++scissorCalls;
    scissorBox[0] = x;
    scissorBox[1] = y;
    scissorBox[2] = width;
    scissorBox[3] = height;
}

void GlRecorder::ClearColor(float r, float g, float b, float a) {
    clearColor[0] = r;
    clearColor[1] = g;
    clearColor[2] = b;
    clearColor[3] = a;
}

void GlRecorder::Clear(gl::Enum) {
    ++clears;
    auto byte = [](float v) { return std::uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    const std::uint32_t argb =
        byte(clearColor[3]) << 24 | byte(clearColor[0]) << 16 | byte(clearColor[1]) << 8 | byte(clearColor[2]);
    framebuffer.assign(std::size_t(targetWidth) * std::size_t(targetHeight), argb);
}

void GlRecorder::SetFramebufferPixel(int x, int yFromTop, std::uint32_t argb) {
    if (framebuffer.size() != std::size_t(targetWidth) * std::size_t(targetHeight)) {
        framebuffer.assign(std::size_t(targetWidth) * std::size_t(targetHeight), 0);
    }
    framebuffer[std::size_t(targetHeight - 1 - yFromTop) * std::size_t(targetWidth) + std::size_t(x)] = argb;
}

GlRecorder::Vertex GlRecorder::ReadVertex(int index) const {
    Vertex v{};
    if (positionPointer_) {
        std::memcpy(&v.x, positionPointer_ + std::size_t(index) * std::size_t(positionStride_), 8);
    }
    if (texCoordPointer_) {
        std::memcpy(&v.u, texCoordPointer_ + std::size_t(index) * std::size_t(texCoordStride_), 8);
    }
    if (colorPointer_) {
        std::memcpy(&v.r, colorPointer_ + std::size_t(index) * std::size_t(colorStride_), 4);
    }
    return v;
}

void GlRecorder::Record(gl::Enum mode, int first, int count, const std::uint16_t* indices) {
    ++drawCalls;
    // An indexed draw reads each distinct vertex once.
    int distinct = count;
    if (indices) {
        int highest = -1;
        for (int i = 0; i < count; ++i) highest = std::max(highest, int(indices[i]));
        distinct = highest + 1;
    }
    vertices += distinct;
    if (blendEnabled) CountBlendedPixels(mode, first, count, indices);
    if (!keepDraws) return;
    Draw draw{mode, first, count, {}, texture2D, boundTexture, blendSrc, blendDst, scissorTest, blendEnabled, {}};
    std::copy(scissorBox, scissorBox + 4, draw.scissor);
    draw.vertices.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        draw.vertices.push_back(ReadVertex(indices ? int(indices[i]) : first + i));
    }
    draws.push_back(std::move(draw));
}

void GlRecorder::DrawArrays(gl::Enum mode, int first, int count) { Record(mode, first, count, nullptr); }

void GlRecorder::DrawElements(gl::Enum mode, int count, gl::Enum, const void* indices) {
    Record(mode, 0, count, static_cast<const std::uint16_t*>(indices));
}

void GlRecorder::GenTextures(int n, unsigned int* names) {
    for (int i = 0; i < n; ++i) {
        names[i] = nextTexture_++;
        textures[names[i]] = Texture{};
    }
}

void GlRecorder::DeleteTextures(int n, const unsigned int* names) {
    for (int i = 0; i < n; ++i) {
        auto it = textures.find(names[i]);
        if (it != textures.end()) it->second.deleted = true;
    }
}

void GlRecorder::BindTexture(gl::Enum, unsigned int name) {
    ++stateChanges;
    ++bindCalls;
    boundTexture = name;
}

void GlRecorder::TexImage2D(gl::Enum, int, int, int width, int height, int, gl::Enum format, gl::Enum,
                            const void* pixels) {
    ++textureAllocs;
    auto it = textures.find(boundTexture);
    if (it == textures.end()) return;
    if (refuseNpot && (!PowerOfTwo(width) || !PowerOfTwo(height))) {
        error_ = gl::kInvalidValue;
        return;
    }
    Texture& texture = it->second;
    texture.width = width;
    texture.height = height;
    texture.format = format;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * std::size_t(BytesPerPixel(format));
    if (pixels) {
        ++textureUploads;
        ++texture.uploads;
        const auto* p = static_cast<const std::uint8_t*>(pixels);
        texture.pixels.assign(p, p + bytes);
    } else {
        texture.pixels.assign(bytes, 0);
    }
}

void GlRecorder::TexSubImage2D(gl::Enum, int, int x, int y, int width, int height, gl::Enum format, gl::Enum,
                               const void* pixels) {
    ++textureUploads;
    auto it = textures.find(boundTexture);
    if (it == textures.end()) return;
    Texture& texture = it->second;
    ++texture.uploads;
    const int bpp = BytesPerPixel(format);
    if (x < 0 || y < 0 || x + width > texture.width || y + height > texture.height) {
        error_ = gl::kInvalidValue;
        return;
    }
    // Source rows are tightly packed (the renderer sets an unpack alignment of 1).
    const auto* src = static_cast<const std::uint8_t*>(pixels);
    for (int row = 0; row < height; ++row) {
        std::memcpy(
            &texture.pixels[(std::size_t(y + row) * std::size_t(texture.width) + std::size_t(x)) * std::size_t(bpp)],
            src + std::size_t(row) * std::size_t(width) * std::size_t(bpp), std::size_t(width) * std::size_t(bpp));
    }
}

void GlRecorder::PixelStorei(gl::Enum name, int value) {
    if (name == gl::kUnpackAlignment) unpackAlignment = value;
}

void GlRecorder::ReadPixels(int x, int y, int width, int height, gl::Enum, gl::Enum, void* pixels) {
    ++readPixelsCalls;
    auto* out = static_cast<std::uint8_t*>(pixels);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col, out += 4) {
            const int fx = x + col, fy = y + row;
            std::uint32_t argb = 0;
            if (fx >= 0 && fy >= 0 && fx < targetWidth && fy < targetHeight &&
                framebuffer.size() == std::size_t(targetWidth) * std::size_t(targetHeight)) {
                argb = framebuffer[std::size_t(fy) * std::size_t(targetWidth) + std::size_t(fx)];
            }
            // BGRA bytes in memory.
            out[0] = std::uint8_t(argb);
            out[1] = std::uint8_t(argb >> 8);
            out[2] = std::uint8_t(argb >> 16);
            out[3] = std::uint8_t(argb >> 24);
        }
    }
}

gl::Enum GlRecorder::GetError() {
    const gl::Enum error = error_;
    error_ = gl::kNoError;
    return error;
}

const char* GlRecorder::GetString(gl::Enum name) { return name == gl::kVersion ? "1.5 recorder" : "recorder"; }
