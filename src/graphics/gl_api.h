// gl_api.h — the one door to OpenGL.
//
// Every OpenGL call of the program goes through the GlApi installed here.
// gl_api.cpp holds the fixed-function implementation, installed by default
// on the desktop; gles_api.cpp the one on OpenGL ES 2.0 calls. Those two are
// the only files that include the GL headers. Tests (and the benchmark)
// install a GlRecorder (tests/support/gl_recorder.h) instead and count draw calls,
// vertices, texture uploads and state changes without a GL context.
//
// The interface mirrors the fixed-function GL 1.x calls the renderer makes,
// one method per call, with the GL enum values below (they equal GL's own, so
// the real implementation passes them straight through). Besides GL itself it
// answers one window question the renderer has: the size of the render
// target (the window that owns the current context).
//
// Textures remember the context generation (host/gl_context.h) they were
// made under and are re-created from their kept pixels when it has moved on.
#pragma once

#include <cstdint>

#include "host/gl_context.h"

namespace gl {

using Enum = unsigned int;

// Values are OpenGL's (checked against the GL headers in gl_api.cpp).
inline constexpr Enum kNoError = 0;
inline constexpr Enum kInvalidValue = 0x0501;
inline constexpr Enum kOutOfMemory = 0x0505;

inline constexpr Enum kPoints = 0x0000;
inline constexpr Enum kLines = 0x0001;
inline constexpr Enum kTriangles = 0x0004;
inline constexpr Enum kTriangleFan = 0x0006;

inline constexpr Enum kUnsignedByte = 0x1401;
inline constexpr Enum kUnsignedShort = 0x1403;
inline constexpr Enum kFloat = 0x1406;

inline constexpr Enum kColorBufferBit = 0x00004000;
inline constexpr Enum kTexture2D = 0x0DE1;
inline constexpr Enum kBlend = 0x0BE2;
inline constexpr Enum kScissorTest = 0x0C11;

inline constexpr Enum kZero = 0;
inline constexpr Enum kOne = 1;
inline constexpr Enum kSrcAlpha = 0x0302;
inline constexpr Enum kOneMinusSrcAlpha = 0x0303;

inline constexpr Enum kModelView = 0x1700;
inline constexpr Enum kProjection = 0x1701;

inline constexpr Enum kVertexArray = 0x8074;
inline constexpr Enum kColorArray = 0x8076;
inline constexpr Enum kTextureCoordArray = 0x8078;

inline constexpr Enum kLuminance = 0x1909;
inline constexpr Enum kLuminanceAlpha = 0x190A;
inline constexpr Enum kRgb = 0x1907;
inline constexpr Enum kRgba = 0x1908;
inline constexpr Enum kBgra = 0x80E1;

inline constexpr Enum kTextureMagFilter = 0x2800;
inline constexpr Enum kTextureMinFilter = 0x2801;
inline constexpr Enum kTextureWrapS = 0x2802;
inline constexpr Enum kTextureWrapT = 0x2803;
inline constexpr Enum kNearest = 0x2600;
inline constexpr Enum kClampToEdge = 0x812F;
inline constexpr Enum kUnpackAlignment = 0x0CF5;
inline constexpr Enum kPackAlignment = 0x0D05;

inline constexpr Enum kVendor = 0x1F00;
inline constexpr Enum kRenderer = 0x1F01;
inline constexpr Enum kVersion = 0x1F02;

}  // namespace gl

class GlApi {
public:
    GlApi() = default;
    virtual ~GlApi() = default;
    GlApi(const GlApi&) = delete;
    GlApi& operator=(const GlApi&) = delete;

    // Size of the render target: the window that owns the current context.
    // False (and 0 × 0) when no window is open.
    virtual bool TargetSize(int& width, int& height) = 0;

    virtual void Viewport(int x, int y, int width, int height) = 0;
    virtual void MatrixMode(gl::Enum mode) = 0;
    virtual void LoadIdentity() = 0;
    virtual void Ortho(double left, double right, double bottom, double top, double zNear, double zFar) = 0;

    virtual void EnableClientState(gl::Enum array) = 0;
    virtual void DisableClientState(gl::Enum array) = 0;
    virtual void VertexPointer(int size, gl::Enum type, int stride, const void* pointer) = 0;
    virtual void TexCoordPointer(int size, gl::Enum type, int stride, const void* pointer) = 0;
    virtual void ColorPointer(int size, gl::Enum type, int stride, const void* pointer) = 0;

    virtual void Enable(gl::Enum cap) = 0;
    virtual void Disable(gl::Enum cap) = 0;
    virtual void BlendFunc(gl::Enum src, gl::Enum dst) = 0;
    virtual void Scissor(int x, int y, int width, int height) = 0;
    virtual void ClearColor(float r, float g, float b, float a) = 0;
    virtual void Clear(gl::Enum mask) = 0;

    virtual void DrawArrays(gl::Enum mode, int first, int count) = 0;
    virtual void DrawElements(gl::Enum mode, int count, gl::Enum type, const void* indices) = 0;

    virtual void GenTextures(int n, unsigned int* names) = 0;
    virtual void DeleteTextures(int n, const unsigned int* names) = 0;
    virtual void BindTexture(gl::Enum target, unsigned int name) = 0;
    virtual void TexParameteri(gl::Enum target, gl::Enum name, int value) = 0;
    virtual void TexImage2D(gl::Enum target, int level, int internalFormat, int width, int height, int border,
                            gl::Enum format, gl::Enum type, const void* pixels) = 0;
    virtual void TexSubImage2D(gl::Enum target, int level, int x, int y, int width, int height, gl::Enum format,
                               gl::Enum type, const void* pixels) = 0;
    virtual void PixelStorei(gl::Enum name, int value) = 0;
    virtual void ReadPixels(int x, int y, int width, int height, gl::Enum format, gl::Enum type, void* pixels) = 0;
    virtual gl::Enum GetError() = 0;
    // GL_VERSION and friends; "" when there is no context.
    virtual const char* GetString(gl::Enum name) = 0;
};

// The installed seam (never null: the default one unless replaced).
GlApi& Gl();
// Installs `api` (null reinstalls the default one) and returns the previous
// one. The caller keeps ownership and must reinstall the previous seam before
// `api` dies; GlApiScope does both.
GlApi* SetGlApi(GlApi* api);

// The default seam is fixed-function OpenGL on the desktop and the GLES 2.0
// one (graphics/gles_api.h) in the web build, which has no other.
// UseGlesRenderer makes the GLES 2.0 seam the default on the desktop too
// (false puts the fixed-function one back; the web build keeps GLES 2.0).
// Switch before a context's first frame: the two seams leave each other's
// GL state alone. A seam installed by SetGlApi stays until it is removed.
void UseGlesRenderer(bool use = true);
bool UsingGlesRenderer();
// Applies ORBEL_RENDERER from the environment: "gles2" calls
// UseGlesRenderer, "gl" or nothing keeps the default; anything else prints a
// line and keeps the default.
void UseRendererFromEnvironment();

class GlApiScope {
public:
    explicit GlApiScope(GlApi& api) : previous_(SetGlApi(&api)) {}
    ~GlApiScope() { SetGlApi(previous_); }
    GlApiScope(const GlApiScope&) = delete;
    GlApiScope& operator=(const GlApiScope&) = delete;

private:
    GlApi* previous_;
};
