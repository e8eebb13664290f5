// gles_api.h — the GL seam on OpenGL ES 2.0 / WebGL 1 calls only.
//
// GlesApi takes the fixed-function calls of GlApi (graphics/gl_api.h) and
// plays them on a programmable pipeline that has neither matrix stacks nor
// client-side arrays: one small shader program draws coloured, optionally
// textured primitives; the projection and model-view matrices are kept here
// (MatrixMode, LoadIdentity, Ortho) and handed to the shader as one uniform;
// the client arrays named by VertexPointer / TexCoordPointer / ColorPointer
// are copied at each draw into one streamed vertex buffer (written forward
// and orphaned when full) and indices into an index buffer. GL_TEXTURE_2D
// enable and disable become the shader's texturing switch. GLES 2.0 has no
// BGRA: BGRA uploads are turned into RGBA and BGRA reads are done as RGBA and
// turned round. It draws the same pixels as the fixed-function path for what
// the renderer uses (2D, one texture unit, MODULATE, premultiplied blending).
// Beyond that nothing is emulated: a texture's internal format is the format
// of its pixels (GLES 2.0 converts nothing at upload), reads other than RGBA
// or BGRA bytes go to GL as they are, and indices other than bytes and
// shorts draw nothing.
//
// The program and buffers belong to a context: they are made at the first
// call that needs them and made again when the context generation
// (host/gl_context.h) has moved on, as textures are. Main thread only.
//
// On the desktop the game draws through it when ORBEL_RENDERER=gles2 is set
// (see UseGlesRenderer in gl_api.h); the web build has no other seam.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/gl_api.h"

namespace gles {

// A 4 × 4 matrix in GL's column-major order.
using Matrix = std::array<double, 16>;

Matrix Identity();
// a · b, as glMultMatrix applies b to the current matrix a.
Matrix Multiply(const Matrix& a, const Matrix& b);
// The matrix glOrtho multiplies the current one by.
Matrix Ortho(double left, double right, double bottom, double top, double zNear, double zFar);

// Swaps the first and third byte of every 4-byte pixel of a width × height
// block whose rows start `rowBytes` apart (BGRA to RGBA and back), from
// `source` into `target` (which may be the same block). Padding bytes at the
// end of rows are left alone.
void SwapRedAndBlue(const std::uint8_t* source, std::uint8_t* target, int width, int height, std::size_t rowBytes);
// The distance between row starts of width-pixel rows of `bytesPerPixel`
// bytes under a GL pack or unpack alignment (1, 2, 4 or 8).
std::size_t RowBytes(int width, int bytesPerPixel, int alignment);

}  // namespace gles

class GlesApi final : public GlApi {
public:
    GlesApi();
    ~GlesApi() override;

    // Projection × model-view as the shader gets it.
    gles::Matrix CurrentMatrix() const;

    bool TargetSize(int& width, int& height) override;

    void Viewport(int x, int y, int width, int height) override;
    void MatrixMode(gl::Enum mode) override;
    void LoadIdentity() override;
    void Ortho(double left, double right, double bottom, double top, double zNear, double zFar) override;

    void EnableClientState(gl::Enum array) override;
    void DisableClientState(gl::Enum array) override;
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
    void TexParameteri(gl::Enum target, gl::Enum name, int value) override;
    void TexImage2D(gl::Enum target, int level, int internalFormat, int width, int height, int border, gl::Enum format,
                    gl::Enum type, const void* pixels) override;
    void TexSubImage2D(gl::Enum target, int level, int x, int y, int width, int height, gl::Enum format, gl::Enum type,
                       const void* pixels) override;
    void PixelStorei(gl::Enum name, int value) override;
    void ReadPixels(int x, int y, int width, int height, gl::Enum format, gl::Enum type, void* pixels) override;
    gl::Enum GetError() override;
    const char* GetString(gl::Enum name) override;

private:
    // One client array as the fixed-function calls described it.
    struct ClientArray {
        bool enabled = false;
        int size = 4;
        gl::Enum type = gl::kFloat;
        int stride = 0;
        const std::uint8_t* pointer = nullptr;
        // Where the current draw finds it in the vertex buffer.
        std::size_t bufferOffset = 0;
    };
    enum Attribute { kPosition = 0, kTexCoord = 1, kColor = 2, kAttributeCount = 3 };

    // Makes the program and buffers if the context is new; false when there
    // is no context or the program could not be built.
    bool Ready();
    // Copies vertices first .. first + count - 1 of every enabled array into
    // the vertex buffer and points the shader's attributes at them.
    bool StreamVertices(int first, int count);
    // Uploads the matrix and the texturing switch when they changed.
    void SendUniforms();
    // Copies a texture upload in BGRA into RGBA scratch; answers the pixels
    // to hand to GL.
    const void* UploadPixels(int width, int height, gl::Enum& format, const void* pixels);

    std::array<ClientArray, kAttributeCount> arrays_;
    gles::Matrix projection_;
    gles::Matrix modelView_;
    bool modelViewCurrent_ = true;
    bool texturing_ = false;
    int unpackAlignment_ = 4;
    int packAlignment_ = 4;

    // Per-context objects and what was last sent to them.
    int objectsGeneration_ = 0;
    bool broken_ = false;  // the program did not build in this context
    unsigned int program_ = 0;
    unsigned int vertexBuffer_ = 0;
    unsigned int indexBuffer_ = 0;
    int matrixLocation_ = -1;
    int texturingLocation_ = -1;
    std::size_t vertexCapacity_ = 0;
    std::size_t vertexCursor_ = 0;
    std::size_t indexCapacity_ = 0;
    bool uniformsDirty_ = true;
    std::array<bool, kAttributeCount> attributeEnabled_{};

    // Scratch kept between calls so that drawing allocates nothing once warm.
    std::vector<std::uint16_t> indexScratch_;
    std::vector<std::uint8_t> pixelScratch_;
};

// The one process-wide GlesApi (what UseGlesRenderer installs).
GlesApi& SharedGlesApi();
