// translation.h — the translation table: every visible game text passes
// through TranslateText, which gives the chosen language's text when the
// table has one and the English text otherwise.
//
// The game is written in English; Spanish comes from the table file
// "trans_desktop.txt" in the data folder, one "English == translation" entry
// per line, where a backslash followed by "n" stands for a line break.
#pragma once

#include "host/text.h"

inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageSpanish = 1;
inline constexpr char16_t kTranslationFile[] = u"trans_desktop.txt";

// Selects a language: English empties the table, Spanish loads it from the
// data folder. Choosing the current language again does nothing.
void SetLanguage(int language);
int CurrentLanguage();
// Replaces the table with the entries of `text`: one per line, each side of
// the one separator trimmed; lines without exactly one separator are
// skipped. False (and the table untouched) for an empty text.
bool LoadTranslations(StringView text, StringView separator);
// The translation of `text`, or `text` itself when there is none.
String TranslateText(StringView text);
