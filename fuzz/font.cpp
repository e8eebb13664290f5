// font.cpp — fuzz target: the bitmap-font reader (".fnt" text: common, page,
// char and kerning lines) and what the game then does with a font: measure
// text and draw it, with kerning and colour codes, into the recorder.
#include <cstddef>
#include <cstdint>

#include "framework/font.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    auto font = New<c_Font>();
    try {
        font->Parse(fuzz::Text(data, size));
        // A text of every glyph the file defines (so each kerning pair the
        // file names can meet), a colour code and one without its colour.
        String text = u"Press DOWN to enter";
        for (const auto& [code, glyph] : font->chars) {
            if (text.size() > 512) break;
            text.push_back(static_cast<char16_t>(code));
        }
        const String coloured = text + String(1, kColorCode) + u"\x40\x80\xC0" + text;
        (void)font->TextWidth(coloured);
        (void)font->TextWidth(String(1, kColorCode));
        session.BeginFrame();
        font->DrawText(coloured, 10, 20, true, 0.5f, 2.0f);
        font->DrawText(text + String(1, kColorCode) + u"\x01", -1e6f, 1e6f);
        session.EndFrame();
    } catch (const fuzz::Refused&) {}
    font->Discard();
    return 0;
}
