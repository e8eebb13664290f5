// translation.cpp — fuzz target: the translation table's reader (the
// "English == translation" lines of trans_desktop.txt) and lookups in the
// table it builds.
#include <cstddef>
#include <cstdint>

#include "framework/translation.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    const String text = fuzz::Text(data, size);
    try {
        LoadTranslations(text, u"==");
        for (const char16_t* english : {u"Press DOWN to enter", u"- Level 1 -\n", u"", u"=="})
            (void)TranslateText(english);
        // Every left side the file gave is looked up as the game would.
        for (const String& line : Split(text, u"\n")) (void)TranslateText(Trim(Split(line, u"==").front()));
    } catch (const fuzz::Refused&) {}
    // An input's table must not carry over into the next one.
    LoadTranslations(u" ", u"==");
    return 0;
}
