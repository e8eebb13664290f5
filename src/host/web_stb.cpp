// web_stb.cpp — Debian's stb_image and stb_vorbis decoders compiled into the
// browser build: the desktop links Debian's prebuilt libstb, which is native
// code a browser cannot run.
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"
#include "stb_vorbis.h"
