// font_fixture.h — a tiny bitmap font written into a temporary data folder
// (which is the working directory while the fixture lives).
//
// Line height 10. Advances: space 6, 'A' 8, 'V' 9, 'a' 'b' 'c' 'x' 6, 'W' 10;
// kerning A→V −2. Glyphs sit on a 64 × 16 white page; 'A' has offsets (1, 2).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "framework/font.h"
#include "image_files.h"
#include "support/temp_dir.h"

inline constexpr const char* kTinyFont =
    "info face=\"Tiny Test\" size=10 bold=0\r\n"
    "common lineHeight=10 base=8 scaleW=64 scaleH=16 pages=1 packed=0\r\n"
    "page id=0 file=\"tiny_0.png\"\r\n"
    "chars count=8\r\n"
    "char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=6 page=0 chnl=15\r\n"
    "char id=65 x=0 y=0 width=7 height=8 xoffset=1 yoffset=2 xadvance=8 page=0 chnl=15\r\n"
    "char id=86 x=8 y=0 width=8 height=8 xoffset=0 yoffset=2 xadvance=9 page=0 chnl=15\r\n"
    "char id=87 x=16 y=0 width=10 height=8 xoffset=0 yoffset=2 xadvance=10 page=0 chnl=15\r\n"
    "char id=97 x=26 y=0 width=5 height=6 xoffset=0 yoffset=4 xadvance=6 page=0 chnl=15\r\n"
    "char id=98 x=32 y=0 width=5 height=8 xoffset=0 yoffset=2 xadvance=6 page=0 chnl=15\r\n"
    "char id=99 x=38 y=0 width=5 height=6 xoffset=0 yoffset=4 xadvance=6 page=0 chnl=15\r\n"
    "char id=120 x=44 y=0 width=5 height=6 xoffset=0 yoffset=4 xadvance=6 page=0 chnl=15\r\n"
    "kernings count=1\r\n"
    "kerning first=65 second=86 amount=-2\r\n";

class TinyFontFolder {
public:
    TinyFontFolder() {
        dir.Write("data/tiny.fnt", kTinyFont);
        dir.Write("data/tiny_0.png", ImageFolder::Png(64, 16, [](int, int) { return 0xFFFFFFFFu; }));
    }
    // Any other data file.
    void Write(const std::string& name, const std::string& bytes) const { dir.Write("data/" + name, bytes); }

    ScopedTempDir dir;
};
