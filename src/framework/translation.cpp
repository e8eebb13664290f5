// translation.cpp — the process-wide translation table.
#include "framework/translation.h"

#include <map>
#include <vector>

#include "host/files.h"

namespace {

int g_language = kLanguageEnglish;

std::map<String, String, std::less<>>& Table() {
    static std::map<String, String, std::less<>> table;
    return table;
}

}  // namespace

void SetLanguage(int language) {
    if (language == g_language) return;
    Table().clear();
    if (language == kLanguageSpanish) LoadTranslations(LoadText(kTranslationFile), u"==");
    g_language = language;
}

int CurrentLanguage() { return g_language; }

bool LoadTranslations(StringView text, StringView separator) {
    if (text.empty()) return false;
    auto& table = Table();
    table.clear();
    for (const String& rawLine : Split(text, u"\n")) {
        String line = Replace(rawLine, u"\\n", u"\n");
        std::vector<String> parts = Split(line, separator);
        // A later entry for the same text replaces the earlier one.
        if (parts.size() == 2) table[Trim(parts[0])] = Trim(parts[1]);
    }
    return true;
}

String TranslateText(StringView text) {
    const auto& table = Table();
    auto found = table.find(text);
    if (found != table.end() && !found->second.empty()) return found->second;
    return String(text);
}
