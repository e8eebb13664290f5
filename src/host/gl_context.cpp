// gl_context.cpp — see gl_context.h.
#include "host/gl_context.h"

int GlVersionNumber(const char* version) {
    if (!version || !version[0] || !version[1] || !version[2]) return 0;
    return 10 * (version[0] - '0') + (version[2] - '0');
}

std::vector<std::string> GlEntryPointNames(int version) {
    std::vector<std::string> names;
    const char* arbBelow13 = version < 13 ? "ARB" : "";
    for (const char* base : {"glActiveTexture", "glClientActiveTexture", "glCompressedTexImage2D",
                             "glCompressedTexSubImage2D", "glMultiTexCoord4f", "glSampleCoverage"})
        names.push_back(std::string(base) + arbBelow13);
    names.push_back(version < 14 ? "glPointParameterfARB" : "glPointParameterf");
    const char* arbUpTo14 = version > 14 ? "" : "ARB";
    for (const char* base : {"glGenBuffers", "glDeleteBuffers", "glBufferData", "glBufferSubData", "glBindBuffer",
                             "glIsBuffer", "glGetBufferParameteriv"})
        names.push_back(std::string(base) + arbUpTo14);
    return names;
}

GlEntryPoints LookUpGlEntryPoints(int version, const std::function<void*(const char*)>& lookup) {
    GlEntryPoints gl;
    void** slots[] = {
        &gl.activeTexture,   &gl.clientActiveTexture, &gl.compressedTexImage2D, &gl.compressedTexSubImage2D,
        &gl.multiTexCoord4f, &gl.sampleCoverage,      &gl.pointParameterf,      &gl.genBuffers,
        &gl.deleteBuffers,   &gl.bufferData,          &gl.bufferSubData,        &gl.bindBuffer,
        &gl.isBuffer,        &gl.getBufferParameteriv};
    std::vector<std::string> names = GlEntryPointNames(version);
    for (std::size_t i = 0; i < names.size(); ++i) *slots[i] = lookup(names[i].c_str());
    return gl;
}

GlEntryPoints& GlProcs() {
    static GlEntryPoints procs;
    return procs;
}

namespace {
int contextGeneration = 0;
}  // namespace

int ContextGeneration() { return contextGeneration; }
void BumpContextGeneration() { ++contextGeneration; }
