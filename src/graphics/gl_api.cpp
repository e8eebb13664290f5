// gl_api.cpp — the fixed-function OpenGL seam and the choice of the default
// one. The web build has no fixed-function GL: there the GLES 2.0 seam
// (gles_api.cpp) is the default and the only one.
#include "graphics/gl_api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/gles_api.h"

#if !defined(__EMSCRIPTEN__)
#include <GLFW/glfw3.h>  // brings in GL/gl.h

namespace {

static_assert(gl::kInvalidValue == GL_INVALID_VALUE && gl::kOutOfMemory == GL_OUT_OF_MEMORY);
static_assert(gl::kPoints == GL_POINTS && gl::kLines == GL_LINES && gl::kTriangles == GL_TRIANGLES &&
              gl::kTriangleFan == GL_TRIANGLE_FAN);
static_assert(gl::kUnsignedByte == GL_UNSIGNED_BYTE && gl::kUnsignedShort == GL_UNSIGNED_SHORT &&
              gl::kFloat == GL_FLOAT);
static_assert(gl::kColorBufferBit == GL_COLOR_BUFFER_BIT && gl::kTexture2D == GL_TEXTURE_2D && gl::kBlend == GL_BLEND &&
              gl::kScissorTest == GL_SCISSOR_TEST);
static_assert(gl::kOne == GL_ONE && gl::kZero == GL_ZERO && gl::kSrcAlpha == GL_SRC_ALPHA &&
              gl::kOneMinusSrcAlpha == GL_ONE_MINUS_SRC_ALPHA);
static_assert(gl::kModelView == GL_MODELVIEW && gl::kProjection == GL_PROJECTION);
static_assert(gl::kVertexArray == GL_VERTEX_ARRAY && gl::kColorArray == GL_COLOR_ARRAY &&
              gl::kTextureCoordArray == GL_TEXTURE_COORD_ARRAY);
static_assert(gl::kLuminance == GL_LUMINANCE && gl::kLuminanceAlpha == GL_LUMINANCE_ALPHA && gl::kRgb == GL_RGB &&
              gl::kRgba == GL_RGBA && gl::kBgra == GL_BGRA);
static_assert(gl::kTextureMagFilter == GL_TEXTURE_MAG_FILTER && gl::kTextureMinFilter == GL_TEXTURE_MIN_FILTER &&
              gl::kTextureWrapS == GL_TEXTURE_WRAP_S && gl::kTextureWrapT == GL_TEXTURE_WRAP_T &&
              gl::kNearest == GL_NEAREST && gl::kClampToEdge == GL_CLAMP_TO_EDGE);
static_assert(gl::kUnpackAlignment == GL_UNPACK_ALIGNMENT && gl::kPackAlignment == GL_PACK_ALIGNMENT);
static_assert(gl::kVendor == GL_VENDOR && gl::kRenderer == GL_RENDERER && gl::kVersion == GL_VERSION);

class RealGl final : public GlApi {
public:
    bool TargetSize(int& width, int& height) override {
        width = height = 0;
        GLFWwindow* window = glfwGetCurrentContext();
        if (!window) return false;
        glfwGetFramebufferSize(window, &width, &height);
        return true;
    }

    void Viewport(int x, int y, int width, int height) override { glViewport(x, y, width, height); }
    void MatrixMode(gl::Enum mode) override { glMatrixMode(mode); }
    void LoadIdentity() override { glLoadIdentity(); }
    void Ortho(double left, double right, double bottom, double top, double zNear, double zFar) override {
        glOrtho(left, right, bottom, top, zNear, zFar);
    }

    void EnableClientState(gl::Enum array) override { glEnableClientState(array); }
    void DisableClientState(gl::Enum array) override { glDisableClientState(array); }
    void VertexPointer(int size, gl::Enum type, int stride, const void* pointer) override {
        glVertexPointer(size, type, stride, pointer);
    }
    void TexCoordPointer(int size, gl::Enum type, int stride, const void* pointer) override {
        glTexCoordPointer(size, type, stride, pointer);
    }
    void ColorPointer(int size, gl::Enum type, int stride, const void* pointer) override {
        glColorPointer(size, type, stride, pointer);
    }

    void Enable(gl::Enum cap) override { glEnable(cap); }
    void Disable(gl::Enum cap) override { glDisable(cap); }
    void BlendFunc(gl::Enum src, gl::Enum dst) override { glBlendFunc(src, dst); }
    void Scissor(int x, int y, int width, int height) override { glScissor(x, y, width, height); }
    void ClearColor(float r, float g, float b, float a) override { glClearColor(r, g, b, a); }
    void Clear(gl::Enum mask) override { glClear(mask); }

    void DrawArrays(gl::Enum mode, int first, int count) override { glDrawArrays(mode, first, count); }
    void DrawElements(gl::Enum mode, int count, gl::Enum type, const void* indices) override {
        glDrawElements(mode, count, type, indices);
    }

    void GenTextures(int n, unsigned int* names) override { glGenTextures(n, names); }
    void DeleteTextures(int n, const unsigned int* names) override { glDeleteTextures(n, names); }
    void BindTexture(gl::Enum target, unsigned int name) override { glBindTexture(target, name); }
    void TexParameteri(gl::Enum target, gl::Enum name, int value) override { glTexParameteri(target, name, value); }
    void TexImage2D(gl::Enum target, int level, int internalFormat, int width, int height, int border, gl::Enum format,
                    gl::Enum type, const void* pixels) override {
        glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
    }
    void TexSubImage2D(gl::Enum target, int level, int x, int y, int width, int height, gl::Enum format, gl::Enum type,
                       const void* pixels) override {
        glTexSubImage2D(target, level, x, y, width, height, format, type, pixels);
    }
    void PixelStorei(gl::Enum name, int value) override { glPixelStorei(name, value); }
    void ReadPixels(int x, int y, int width, int height, gl::Enum format, gl::Enum type, void* pixels) override {
        glReadPixels(x, y, width, height, format, type, pixels);
    }
    gl::Enum GetError() override { return glGetError(); }
    const char* GetString(gl::Enum name) override {
        if (!glfwGetCurrentContext()) return "";
        const GLubyte* text = glGetString(name);
        return text ? reinterpret_cast<const char*>(text) : "";
    }
};

RealGl realGl;

}  // namespace
#endif

namespace {

GlApi& BuiltInDefault() {
#if defined(__EMSCRIPTEN__)
    return SharedGlesApi();
#else
    return realGl;
#endif
}

GlApi* defaultSeam = nullptr;  // the built-in one until UseGlesRenderer
GlApi* installed = nullptr;    // null: the default, whichever it is

GlApi& DefaultSeam() { return defaultSeam ? *defaultSeam : BuiltInDefault(); }

}  // namespace

GlApi& Gl() { return installed ? *installed : DefaultSeam(); }

GlApi* SetGlApi(GlApi* api) {
    GlApi* previous = &Gl();
    // Putting the default back follows the default from then on.
    installed = api == &DefaultSeam() ? nullptr : api;
    return previous;
}

void UseGlesRenderer(bool use) { defaultSeam = use ? &SharedGlesApi() : nullptr; }

bool UsingGlesRenderer() { return &DefaultSeam() == &SharedGlesApi(); }

void UseRendererFromEnvironment() {
    const char* choice = std::getenv("ORBEL_RENDERER");
    if (!choice || !*choice || std::strcmp(choice, "gl") == 0) return;
    if (std::strcmp(choice, "gles2") == 0) {
        UseGlesRenderer();
        return;
    }
    std::fprintf(stderr, "Orbel: ORBEL_RENDERER=%s is neither gl nor gles2; drawing with the default renderer\n",
                 choice);
}
