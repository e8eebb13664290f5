// The translation table: how its lines are read and split, the English
// fallback, and loading it for Spanish and dropping it for English.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "framework/translation.h"
#include "working_directory.h"

namespace fs = std::filesystem;

namespace {

class Translation : public testing::Test {
protected:
    void TearDown() override {
        SetLanguage(kLanguageEnglish);
        LoadTranslations(u"\n", u"==");  // an empty table
    }
};

TEST_F(Translation, LinesAreTrimmedSplitOnceAndFallBackToEnglish) {
    EXPECT_TRUE(
        LoadTranslations(u"PLAY == JUGAR\r\n"
                         u"  TITLE SCREEN==PANTALLA DE TITULO  \r\n"
                         u"a == b == c\r\n"
                         u"just a comment\r\n"
                         u"\r\n"
                         u"BLANK == \\n\r\n"
                         u"Two\\nlines == Dos\\nlineas\r\n"
                         u"PLAY == JUGAR!\r\n",
                         u"=="));
    struct Case {
        const char16_t* english;
        const char16_t* shown;
    } cases[] = {
        {u"PLAY", u"JUGAR!"},  // the later entry wins
        {u"TITLE SCREEN", u"PANTALLA DE TITULO"},
        {u"a", u"a"},          // two separators: ignored
        {u"BLANK", u"BLANK"},  // a lone line break trims to nothing
        {u"Two\nlines", u"Dos\nlineas"},
        {u"play", u"play"},  // keys keep their case
        {u"just a comment", u"just a comment"},
    };
    for (const Case& c : cases) EXPECT_EQ(TranslateText(c.english), c.shown) << ToUtf8(c.english);

    EXPECT_FALSE(LoadTranslations(u"", u"=="));
    EXPECT_EQ(TranslateText(u"PLAY"), u"JUGAR!");  // an empty text leaves the table
}

TEST_F(Translation, SpanishLoadsTheTableFileAndEnglishClearsIt) {
    fs::path dir = fs::temp_directory_path() / ("orbel-translation-" + std::to_string(getpid()));
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "trans_desktop.txt", std::ios::binary) << "\xEF\xBB\xBFPLAY==JUGAR\nEXIT==SALIR\n";
    {
        WorkingDirectory inGame(dir);
        SetLanguage(kLanguageSpanish);
        EXPECT_EQ(CurrentLanguage(), kLanguageSpanish);
        EXPECT_EQ(TranslateText(u"PLAY"), u"JUGAR");
        EXPECT_EQ(TranslateText(u"EXIT"), u"SALIR");

        fs::remove(dir / "data" / "trans_desktop.txt");
        SetLanguage(kLanguageSpanish);  // already chosen: the table stays
        EXPECT_EQ(TranslateText(u"PLAY"), u"JUGAR");
        SetLanguage(kLanguageEnglish);
        EXPECT_EQ(TranslateText(u"PLAY"), u"PLAY");
        SetLanguage(kLanguageSpanish);  // no file: English texts
        EXPECT_EQ(TranslateText(u"PLAY"), u"PLAY");
    }
    fs::remove_all(dir);
}

}  // namespace
