// gles_api.cpp — the GL seam on OpenGL ES 2.0 calls: the shader, the streamed
// buffers and the format conversions GLES 2.0 needs (see gles_api.h). On the
// desktop it builds against the GL 2.0 prototypes of Mesa's libGL, which
// carry every GLES 2.0 entry point it calls; under Emscripten against the
// GLES 2.0 header that WebGL 1 implements.
#include "graphics/gles_api.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#if defined(__EMSCRIPTEN__)
#include <GLES2/gl2.h>
#else
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#endif

namespace {

// The seam's values are GL's; those GLES 2.0 knows are checked here against
// its own header too (BGRA is not among them: it never reaches GL here).
static_assert(gl::kTriangles == GL_TRIANGLES && gl::kTriangleFan == GL_TRIANGLE_FAN && gl::kLines == GL_LINES &&
              gl::kPoints == GL_POINTS);
static_assert(gl::kUnsignedByte == GL_UNSIGNED_BYTE && gl::kUnsignedShort == GL_UNSIGNED_SHORT &&
              gl::kFloat == GL_FLOAT);
static_assert(gl::kTexture2D == GL_TEXTURE_2D && gl::kBlend == GL_BLEND && gl::kScissorTest == GL_SCISSOR_TEST);
static_assert(gl::kRgba == GL_RGBA && gl::kRgb == GL_RGB && gl::kLuminance == GL_LUMINANCE &&
              gl::kLuminanceAlpha == GL_LUMINANCE_ALPHA);
static_assert(gl::kUnpackAlignment == GL_UNPACK_ALIGNMENT && gl::kPackAlignment == GL_PACK_ALIGNMENT);

// One source for GLSL ES 1.00 and desktop GLSL 1.10. Colours and texture
// coordinates come in per vertex; the fragment is the colour, times the
// texel when texturing is on (fixed-function MODULATE on one unit).
// gl_PointSize is required by GLES for points; the desktop context ignores
// it and draws points at its default size, 1, as well.
const char* const kVertexShader = R"(
attribute vec4 position;
attribute vec4 texCoord;
attribute vec4 color;
uniform mat4 matrix;
varying vec2 fragmentTexCoord;
varying vec4 fragmentColor;
void main() {
    gl_Position = matrix * position;
    gl_PointSize = 1.0;
    fragmentTexCoord = texCoord.xy;
    fragmentColor = color;
}
)";

// High precision where the device has it: at medium precision texture
// coordinates of large atlases would land on the neighbouring texel.
const char* const kFragmentShader = R"(
#ifdef GL_ES
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
#endif
uniform sampler2D image;
uniform float texturing;
varying vec2 fragmentTexCoord;
varying vec4 fragmentColor;
void main() {
    if (texturing > 0.5) {
        gl_FragColor = fragmentColor * texture2D(image, fragmentTexCoord);
    } else {
        gl_FragColor = fragmentColor;
    }
}
)";

const char* const kAttributeNames[] = {"position", "texCoord", "color"};

// Vertex buffers start at 64 KB (the renderer's 1024-vertex batch is 20 KB),
// so a frame of batches fills one before it is orphaned.
constexpr std::size_t kMinVertexCapacity = 64 * 1024;

std::size_t TypeSize(gl::Enum type) {
    switch (type) {
        case gl::kFloat: return 4;
        case gl::kUnsignedShort: return 2;
        case gl::kUnsignedByte: return 1;
        default: return 0;
    }
}

GLuint CompileShader(GLenum kind, const char* source, std::string& log) {
    const GLuint shader = glCreateShader(kind);
    if (!shader) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char text[512] = {};
        glGetShaderInfoLog(shader, sizeof text, nullptr, text);
        log = text;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint BuildProgram(std::string& log) {
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader, log);
    const GLuint fragment = vertex ? CompileShader(GL_FRAGMENT_SHADER, kFragmentShader, log) : 0;
    const GLuint program = fragment ? glCreateProgram() : 0;
    if (program) {
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        // Position at 0: a desktop compatibility context draws nothing
        // without attribute 0 enabled.
        for (GLuint i = 0; i < 3; ++i) glBindAttribLocation(program, i, kAttributeNames[i]);
        glLinkProgram(program);
    }
    // Flagged for deletion now, gone with the program.
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    if (!program) return 0;
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char text[512] = {};
        glGetProgramInfoLog(program, sizeof text, nullptr, text);
        log = text;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace

// ---- matrices and pixels -------------------------------------------------------

namespace gles {

Matrix Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[std::size_t(k * 4 + row)] * b[std::size_t(column * 4 + k)];
            product[std::size_t(column * 4 + row)] = sum;
        }
    }
    return product;
}

Matrix Ortho(double left, double right, double bottom, double top, double zNear, double zFar) {
    // GL leaves the matrix alone (INVALID_VALUE) for an empty box.
    if (left == right || bottom == top || zNear == zFar) return Identity();
    Matrix m = Identity();
    m[0] = 2 / (right - left);
    m[5] = 2 / (top - bottom);
    m[10] = -2 / (zFar - zNear);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(zFar + zNear) / (zFar - zNear);
    return m;
}

void SwapRedAndBlue(const std::uint8_t* source, std::uint8_t* target, int width, int height, std::size_t rowBytes) {
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = source + std::size_t(y) * rowBytes;
        std::uint8_t* to = target + std::size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x, from += 4, to += 4) {
            const std::uint8_t b = from[0], g = from[1], r = from[2], a = from[3];
            to[0] = r;
            to[1] = g;
            to[2] = b;
            to[3] = a;
        }
    }
}

std::size_t RowBytes(int width, int bytesPerPixel, int alignment) {
    const std::size_t bytes = std::size_t(std::max(width, 0)) * std::size_t(bytesPerPixel);
    const std::size_t align = alignment == 1 || alignment == 2 || alignment == 8 ? std::size_t(alignment) : 4;
    return (bytes + align - 1) / align * align;
}

}  // namespace gles

// ---- GlesApi: state kept on this side ---------------------------------------------

GlesApi::GlesApi() : projection_(gles::Identity()), modelView_(gles::Identity()) {}

// The GL objects are not deleted: by the time the seam goes, its context
// usually has, and with it everything it held.
GlesApi::~GlesApi() = default;

GlesApi& SharedGlesApi() {
    static GlesApi api;
    return api;
}

gles::Matrix GlesApi::CurrentMatrix() const { return gles::Multiply(projection_, modelView_); }

bool GlesApi::TargetSize(int& width, int& height) {
    width = height = 0;
    GLFWwindow* window = glfwGetCurrentContext();
    if (!window) return false;
    glfwGetFramebufferSize(window, &width, &height);
    return true;
}

void GlesApi::MatrixMode(gl::Enum mode) {
    if (mode == gl::kModelView) modelViewCurrent_ = true;
    if (mode == gl::kProjection) modelViewCurrent_ = false;
}

void GlesApi::LoadIdentity() {
    (modelViewCurrent_ ? modelView_ : projection_) = gles::Identity();
    uniformsDirty_ = true;
}

void GlesApi::Ortho(double left, double right, double bottom, double top, double zNear, double zFar) {
    gles::Matrix& current = modelViewCurrent_ ? modelView_ : projection_;
    current = gles::Multiply(current, gles::Ortho(left, right, bottom, top, zNear, zFar));
    uniformsDirty_ = true;
}

void GlesApi::EnableClientState(gl::Enum array) {
    if (array == gl::kVertexArray) arrays_[kPosition].enabled = true;
    if (array == gl::kTextureCoordArray) arrays_[kTexCoord].enabled = true;
    if (array == gl::kColorArray) arrays_[kColor].enabled = true;
}

void GlesApi::DisableClientState(gl::Enum array) {
    if (array == gl::kVertexArray) arrays_[kPosition].enabled = false;
    if (array == gl::kTextureCoordArray) arrays_[kTexCoord].enabled = false;
    if (array == gl::kColorArray) arrays_[kColor].enabled = false;
}

void GlesApi::VertexPointer(int size, gl::Enum type, int stride, const void* pointer) {
    arrays_[kPosition] = {arrays_[kPosition].enabled, size, type, stride, static_cast<const std::uint8_t*>(pointer)};
}

void GlesApi::TexCoordPointer(int size, gl::Enum type, int stride, const void* pointer) {
    arrays_[kTexCoord] = {arrays_[kTexCoord].enabled, size, type, stride, static_cast<const std::uint8_t*>(pointer)};
}

void GlesApi::ColorPointer(int size, gl::Enum type, int stride, const void* pointer) {
    arrays_[kColor] = {arrays_[kColor].enabled, size, type, stride, static_cast<const std::uint8_t*>(pointer)};
}

// Texturing is the shader's switch; GLES 2.0 refuses GL_TEXTURE_2D as a
// capability.
void GlesApi::Enable(gl::Enum cap) {
    if (cap == gl::kTexture2D) {
        uniformsDirty_ |= !texturing_;
        texturing_ = true;
        return;
    }
    glEnable(cap);
}

void GlesApi::Disable(gl::Enum cap) {
    if (cap == gl::kTexture2D) {
        uniformsDirty_ |= texturing_;
        texturing_ = false;
        return;
    }
    glDisable(cap);
}

// ---- GlesApi: passed straight through ---------------------------------------------

void GlesApi::Viewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }
void GlesApi::BlendFunc(gl::Enum src, gl::Enum dst) { glBlendFunc(src, dst); }
void GlesApi::Scissor(int x, int y, int width, int height) { glScissor(x, y, width, height); }
void GlesApi::ClearColor(float r, float g, float b, float a) { glClearColor(r, g, b, a); }
void GlesApi::Clear(gl::Enum mask) { glClear(mask); }
void GlesApi::GenTextures(int n, unsigned int* names) { glGenTextures(n, names); }
void GlesApi::DeleteTextures(int n, const unsigned int* names) { glDeleteTextures(n, names); }
void GlesApi::BindTexture(gl::Enum target, unsigned int name) { glBindTexture(target, name); }
void GlesApi::TexParameteri(gl::Enum target, gl::Enum name, int value) { glTexParameteri(target, name, value); }
gl::Enum GlesApi::GetError() { return glGetError(); }

const char* GlesApi::GetString(gl::Enum name) {
    if (!glfwGetCurrentContext()) return "";
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

void GlesApi::PixelStorei(gl::Enum name, int value) {
    if (name == gl::kUnpackAlignment) unpackAlignment_ = value;
    if (name == gl::kPackAlignment) packAlignment_ = value;
    glPixelStorei(name, value);
}

// ---- GlesApi: textures and pixel reads ----------------------------------------------

const void* GlesApi::UploadPixels(int width, int height, gl::Enum& format, const void* pixels) {
    if (format != gl::kBgra) return pixels;
    format = gl::kRgba;
    if (!pixels || width <= 0 || height <= 0) return pixels;
    const std::size_t rowBytes = gles::RowBytes(width, 4, unpackAlignment_);
    pixelScratch_.resize(rowBytes * std::size_t(height - 1) + std::size_t(width) * 4);
    gles::SwapRedAndBlue(static_cast<const std::uint8_t*>(pixels), pixelScratch_.data(), width, height, rowBytes);
    return pixelScratch_.data();
}

// GLES 2.0 takes no conversion at upload: the texture is stored in the
// format of the pixels handed over.
void GlesApi::TexImage2D(gl::Enum target, int level, int, int width, int height, int border, gl::Enum format,
                         gl::Enum type, const void* pixels) {
    const void* data = UploadPixels(width, height, format, pixels);
    glTexImage2D(target, level, GLint(format), width, height, border, format, type, data);
}

void GlesApi::TexSubImage2D(gl::Enum target, int level, int x, int y, int width, int height, gl::Enum format,
                            gl::Enum type, const void* pixels) {
    const void* data = UploadPixels(width, height, format, pixels);
    glTexSubImage2D(target, level, x, y, width, height, format, type, data);
}

// RGBA bytes are the one read format every GLES 2.0 takes; a BGRA read is an
// RGBA read turned round in place.
void GlesApi::ReadPixels(int x, int y, int width, int height, gl::Enum format, gl::Enum type, void* pixels) {
    if (format == gl::kBgra && type == gl::kUnsignedByte) {
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        if (!pixels || width <= 0 || height <= 0) return;
        auto* bytes = static_cast<std::uint8_t*>(pixels);
        gles::SwapRedAndBlue(bytes, bytes, width, height, gles::RowBytes(width, 4, packAlignment_));
        return;
    }
    glReadPixels(x, y, width, height, format, type, pixels);
}

// ---- GlesApi: drawing ----------------------------------------------------------------

bool GlesApi::Ready() {
    const int generation = ContextGeneration();
    if (generation == 0) return false;
    if (objectsGeneration_ == generation) return !broken_;
    objectsGeneration_ = generation;
    std::string log;
    program_ = BuildProgram(log);
    broken_ = program_ == 0;
    if (broken_) {
        std::fprintf(stderr, "Orbel: the GLES 2.0 renderer's shader did not build: %s\n",
                     log.empty() ? "no GL context" : log.c_str());
        return false;
    }
    glUseProgram(program_);
    matrixLocation_ = glGetUniformLocation(program_, "matrix");
    texturingLocation_ = glGetUniformLocation(program_, "texturing");
    glUniform1i(glGetUniformLocation(program_, "image"), 0);
    GLuint buffers[2] = {};
    glGenBuffers(2, buffers);
    vertexBuffer_ = buffers[0];
    indexBuffer_ = buffers[1];
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    vertexCapacity_ = vertexCursor_ = indexCapacity_ = 0;
    // What a disabled array reads: GL's current colour (opaque white) and
    // texture coordinate (0, 0, 0, 1).
    for (GLuint i = 0; i < kAttributeCount; ++i) glDisableVertexAttribArray(i);
    glVertexAttrib4f(kTexCoord, 0, 0, 0, 1);
    glVertexAttrib4f(kColor, 1, 1, 1, 1);
    attributeEnabled_ = {};
    uniformsDirty_ = true;
    return true;
}

void GlesApi::SendUniforms() {
    if (!uniformsDirty_) return;
    uniformsDirty_ = false;
    const gles::Matrix m = CurrentMatrix();
    GLfloat values[16];
    for (std::size_t i = 0; i < 16; ++i) values[i] = GLfloat(m[i]);
    glUniformMatrix4fv(matrixLocation_, 1, GL_FALSE, values);
    glUniform1f(texturingLocation_, texturing_ ? 1.0f : 0.0f);
}

bool GlesApi::StreamVertices(int first, int count) {
    // The bytes each enabled array's vertices first .. first + count - 1 take.
    struct Span {
        const std::uint8_t* begin;
        const std::uint8_t* end;
        int array;
    };
    Span spans[kAttributeCount];
    int spanCount = 0;
    for (int i = 0; i < kAttributeCount; ++i) {
        const ClientArray& a = arrays_[std::size_t(i)];
        if (!a.enabled) continue;
        const std::size_t element = TypeSize(a.type) * std::size_t(a.size);
        if (element == 0 || a.size < 1 || a.size > 4 || a.stride < 0 || !a.pointer) return false;
        const std::size_t stride = a.stride ? std::size_t(a.stride) : element;
        const std::uint8_t* begin = a.pointer + std::size_t(first) * stride;
        spans[spanCount++] = {begin, begin + std::size_t(count - 1) * stride + element, i};
    }
    for (int i = 1; i < spanCount; ++i) {
        for (int k = i; k > 0 && spans[k].begin < spans[k - 1].begin; --k) std::swap(spans[k], spans[k - 1]);
    }

    // Interleaved arrays overlap: each run of overlapping spans is copied
    // once. Every run starts at the same address modulo 4 as its data, so
    // that the attributes stay aligned as WebGL requires.
    std::size_t needed = 0;
    for (int i = 0; i < spanCount; ++i) needed += std::size_t(spans[i].end - spans[i].begin) + 7;
    if (needed > vertexCapacity_) {
        vertexCapacity_ = std::max({needed, kMinVertexCapacity, vertexCapacity_ * 2});
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexCapacity_), nullptr, GL_STREAM_DRAW);
        vertexCursor_ = 0;
    } else if (vertexCursor_ + needed > vertexCapacity_) {
        // Orphaned: draws still reading the old storage keep it, and the
        // writes below need not wait for them.
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexCapacity_), nullptr, GL_STREAM_DRAW);
        vertexCursor_ = 0;
    }
    for (int i = 0; i < spanCount;) {
        const std::uint8_t* begin = spans[i].begin;
        const std::uint8_t* end = spans[i].end;
        int last = i;
        while (last + 1 < spanCount && spans[last + 1].begin < end) end = std::max(end, spans[++last].end);
        const auto misalignment = std::size_t(reinterpret_cast<std::uintptr_t>(begin) & 3);
        const std::size_t offset = (vertexCursor_ + 3) / 4 * 4 + misalignment;
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(offset), GLsizeiptr(end - begin), begin);
        for (int k = i; k <= last; ++k) {
            arrays_[std::size_t(spans[k].array)].bufferOffset = offset + std::size_t(spans[k].begin - begin);
        }
        vertexCursor_ = offset + std::size_t(end - begin);
        i = last + 1;
    }

    for (GLuint i = 0; i < kAttributeCount; ++i) {
        const ClientArray& a = arrays_[i];
        if (a.enabled != attributeEnabled_[i]) {
            attributeEnabled_[i] = a.enabled;
            if (a.enabled) {
                glEnableVertexAttribArray(i);
            } else {
                glDisableVertexAttribArray(i);
            }
        }
        if (!a.enabled) continue;
        // Colours in bytes are fractions of 255, as in glColorPointer.
        const GLboolean normalized = i == kColor && a.type != gl::kFloat ? GL_TRUE : GL_FALSE;
        glVertexAttribPointer(i, a.size, a.type, normalized, a.stride,
                              reinterpret_cast<const void*>(static_cast<std::uintptr_t>(a.bufferOffset)));
    }
    return true;
}

void GlesApi::DrawArrays(gl::Enum mode, int first, int count) {
    // Without a vertex array fixed-function GL draws nothing.
    if (first < 0 || count <= 0 || !arrays_[kPosition].enabled || !Ready()) return;
    if (!StreamVertices(first, count)) return;
    SendUniforms();
    glDrawArrays(mode, 0, count);
}

void GlesApi::DrawElements(gl::Enum mode, int count, gl::Enum type, const void* indices) {
    if (count <= 0 || !indices || !arrays_[kPosition].enabled) return;
    if (type != gl::kUnsignedShort && type != gl::kUnsignedByte) return;
    if (!Ready()) return;
    // Only the vertices the indices name are copied, and the indices are
    // moved down to the first of them.
    indexScratch_.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        indexScratch_[std::size_t(i)] = type == gl::kUnsignedShort ? static_cast<const std::uint16_t*>(indices)[i]
                                                                   : static_cast<const std::uint8_t*>(indices)[i];
    }
    const auto [low, high] = std::minmax_element(indexScratch_.begin(), indexScratch_.end());
    const std::uint16_t lowest = *low;
    const int vertexCount = int(*high) - int(lowest) + 1;
    if (lowest > 0) {
        for (std::uint16_t& index : indexScratch_) index = std::uint16_t(index - lowest);
    }
    if (!StreamVertices(lowest, vertexCount)) return;
    const std::size_t bytes = std::size_t(count) * 2;
    if (bytes > indexCapacity_) indexCapacity_ = std::max(bytes, indexCapacity_ * 2);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indexCapacity_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, GLsizeiptr(bytes), indexScratch_.data());
    SendUniforms();
    glDrawElements(mode, count, GL_UNSIGNED_SHORT, nullptr);
}
