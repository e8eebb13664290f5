// gl_recorder.h — a GlApi that records instead of drawing.
//
// Install it with GlApiScope and every GL call of the renderer lands here:
// draw calls are kept with the vertices they read from the client arrays
// (position, texture coordinates, colour bytes) and the state they ran under;
// textures are kept with their pixels; counters tell how many draw calls,
// vertices, uploads and state changes a piece of code cost. No GL context is
// needed. A small framebuffer answers ReadPixels.
//
//   GlRecorder gl;            // 640 × 480 target, window open
//   GlApiScope seam(gl);
//   ... draw ...
//   EXPECT_EQ(gl.drawCalls, 2);
//
// It also plays a GL that refuses texture sizes that are not powers of two
// (refuseNpot), so that the renderer's fallback can be checked.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "graphics/gl_api.h"

class GlRecorder final : public GlApi {
public:
    struct Vertex {
        float x, y, u, v;
        std::uint8_t r, g, b, a;
    };
    struct Draw {
        gl::Enum mode;
        int first;
        int count;                     // as passed to GL (indices for DrawElements)
        std::vector<Vertex> vertices;  // in the order GL reads them (indexed draws expanded)
        bool textured;                 // GL_TEXTURE_2D enabled
        unsigned int texture;          // bound texture name
        gl::Enum blendSrc, blendDst;
        bool scissorTest;
        bool blend;      // GL_BLEND enabled
        int scissor[4];  // the scissor box (GL's bottom-left origin)
    };
    struct Texture {
        int width = 0, height = 0;
        gl::Enum format = 0;
        std::vector<std::uint8_t> pixels;  // width × height × bytes per pixel
        int uploads = 0;                   // TexImage2D with data and TexSubImage2D calls
        bool deleted = false;
    };

    // Configuration.
    int targetWidth = 640;
    int targetHeight = 480;
    bool windowOpen = true;
    bool refuseNpot = false;
    // Keeps Draw records (with their vertices). Off for benchmarks: then only
    // the counters move and recording allocates nothing.
    bool keepDraws = true;

    // Counters since construction or ResetCounters().
    int drawCalls = 0;
    long long vertices = 0;  // vertices read by draw calls
    int textureUploads = 0;  // TexImage2D with pixels + TexSubImage2D
    int textureAllocs = 0;   // TexImage2D calls
    int stateChanges = 0;    // Enable, Disable, BlendFunc, Scissor, BindTexture
    int blendFuncCalls = 0;
    int scissorCalls = 0;
    int bindCalls = 0;
    int clears = 0;
    int readPixelsCalls = 0;
    // Window pixels covered by triangles drawn while GL_BLEND is on: each
    // triangle (fans and indexed quads included) through the projection and
    // viewport, clipped to the viewport and the scissor box, overlaps counted
    // as often as they are drawn. This is the fill the blender pays for.
    // Points and lines are left out; they cover next to nothing.
    double blendedPixels = 0;
    std::vector<Draw> draws;

    // The mirrored GL state.
    bool blendEnabled = false;
    bool scissorTest = false;
    bool texture2D = false;
    gl::Enum blendSrc = gl::kOne, blendDst = gl::kZero;
    int scissorBox[4] = {0, 0, 0, 0};
    int viewport[4] = {0, 0, 0, 0};
    double ortho[6] = {0, 0, 0, 0, 0, 0};
    float clearColor[4] = {0, 0, 0, 0};
    unsigned int boundTexture = 0;
    int unpackAlignment = 4;
    std::map<unsigned int, Texture> textures;

    // Framebuffer for ReadPixels: targetWidth × targetHeight BGRA words read
    // as ARGB integers, row 0 at the bottom as in GL. Clear fills it.
    std::vector<std::uint32_t> framebuffer;
    void SetFramebufferPixel(int x, int yFromTop, std::uint32_t argb);

    void ResetCounters();
    // The texture bound now, or null.
    const Texture* Bound() const;

    bool TargetSize(int& width, int& height) override;
    void Viewport(int x, int y, int width, int height) override;
    void MatrixMode(gl::Enum) override {}
    void LoadIdentity() override {}
    void Ortho(double left, double right, double bottom, double top, double zNear, double zFar) override;
    void EnableClientState(gl::Enum) override {}
    void DisableClientState(gl::Enum) override {}
    void VertexPointer(int size, gl::Enum type, int stride, const void* pointer) override;
    void TexCoordPointer(int size, gl::Enum type, int stride, const void* pointer) override;
    void ColorPointer(int size, gl::Enum type, int stride, const void* pointer) override;
    void Enable(gl::Enum cap) override;
    void Disable(gl::Enum cap) override;
    void BlendFunc(gl::Enum src, gl::Enum dst) override;
    void Scissor(int x, int y, int width, int height) override;
    void ClearColor(float r, float g, float b, float a) override;
    void Clear(gl::Enum mask) override;
    void DrawArrays(gl::Enum mode, int first, int count) override;
    void DrawElements(gl::Enum mode, int count, gl::Enum type, const void* indices) override;
    void GenTextures(int n, unsigned int* names) override;
    void DeleteTextures(int n, const unsigned int* names) override;
    void BindTexture(gl::Enum target, unsigned int name) override;
    void TexParameteri(gl::Enum, gl::Enum, int) override {}
    void TexImage2D(gl::Enum target, int level, int internalFormat, int width, int height, int border, gl::Enum format,
                    gl::Enum type, const void* pixels) override;
    void TexSubImage2D(gl::Enum target, int level, int x, int y, int width, int height, gl::Enum format, gl::Enum type,
                       const void* pixels) override;
    void PixelStorei(gl::Enum name, int value) override;
    void ReadPixels(int x, int y, int width, int height, gl::Enum format, gl::Enum type, void* pixels) override;
    gl::Enum GetError() override;
    const char* GetString(gl::Enum name) override;

private:
    Vertex ReadVertex(int index) const;
    double WindowArea(const Vertex& a, const Vertex& b, const Vertex& c) const;
    void CountBlendedPixels(gl::Enum mode, int first, int count, const std::uint16_t* indices);
    void Record(gl::Enum mode, int first, int count, const std::uint16_t* indices);

    const std::uint8_t* positionPointer_ = nullptr;
    const std::uint8_t* texCoordPointer_ = nullptr;
    const std::uint8_t* colorPointer_ = nullptr;
    int positionStride_ = 0, texCoordStride_ = 0, colorStride_ = 0;
    unsigned int nextTexture_ = 1;
    gl::Enum error_ = gl::kNoError;
};
