// gl_context.h — what the host knows of the OpenGL context it opens: the
// entry points beyond 1.1, looked up whenever it opens a window, and the
// context generation, the process-wide count of contexts opened. The host
// calls BumpContextGeneration() right after every attempt to open a window;
// the renderer re-creates textures made under an older generation from their
// kept pixels at next use, and while it is 0 makes no texture at all.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Entry points beyond OpenGL 1.1, looked up under the names the context's
// version offers (null when the driver lacks them).
struct GlEntryPoints {
    void* activeTexture = nullptr;
    void* clientActiveTexture = nullptr;
    void* compressedTexImage2D = nullptr;
    void* compressedTexSubImage2D = nullptr;
    void* multiTexCoord4f = nullptr;
    void* sampleCoverage = nullptr;
    void* pointParameterf = nullptr;
    void* genBuffers = nullptr;
    void* deleteBuffers = nullptr;
    void* bufferData = nullptr;
    void* bufferSubData = nullptr;
    void* bindBuffer = nullptr;
    void* isBuffer = nullptr;
    void* getBufferParameteriv = nullptr;
};

// 10 * major + minor from a GL_VERSION text ("2.1 Mesa ..." gives 21); 0
// for a missing or too short text.
int GlVersionNumber(const char* version);
// The names looked up for a version: below 1.3 the multitexture group takes
// "ARB" names, below 1.4 glPointParameterfARB, and up to 1.4 the buffer
// group takes "ARB" names. In the order of GlEntryPoints' fields.
std::vector<std::string> GlEntryPointNames(int version);
GlEntryPoints LookUpGlEntryPoints(int version, const std::function<void*(const char*)>& lookup);
// The entry points of the current context (filled when a window opens).
GlEntryPoints& GlProcs();

// The process-wide context generation (see the top of this file).
int ContextGeneration();
void BumpContextGeneration();
