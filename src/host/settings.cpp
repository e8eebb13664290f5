// settings.cpp — reading and writing the player's settings file.
#include "host/settings.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "host/files.h"

namespace {

bool ReadBool(const std::string& value, bool& out) {
    if (value == "1" || value == "true") return out = true, true;
    if (value == "0" || value == "false") return out = false, true;
    return false;
}

bool ReadSize(const std::string& value, int& out) {
    int n = 0;
    const char* end = value.data() + value.size();
    auto [ptr, error] = std::from_chars(value.data(), end, n);
    // A window smaller than the virtual screen's quarter or larger than any
    // display is a damaged file, not a wish.
    if (error != std::errc{} || ptr != end || n < 160 || n > 16384) return false;
    out = n;
    return true;
}

// Beside the state file, wherever the saves go.
std::string SettingsPath() { return SaveFolder() + kSettingsFileName; }

}  // namespace

std::string SettingsText(const GameSettings& s) {
    std::ostringstream out;
    out << "fullscreen=" << (s.fullscreen ? 1 : 0) << "\n"
        << "window_width=" << s.windowWidth << "\n"
        << "window_height=" << s.windowHeight << "\n"
        << "sound=" << (s.soundOn ? 1 : 0) << "\n";
    return out.str();
}

GameSettings ParseSettings(const std::string& text) {
    GameSettings s;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "fullscreen")
            ReadBool(value, s.fullscreen);
        else if (key == "window_width")
            ReadSize(value, s.windowWidth);
        else if (key == "window_height")
            ReadSize(value, s.windowHeight);
        else if (key == "sound")
            ReadBool(value, s.soundOn);
    }
    return s;
}

GameSettings LoadSettings() {
    std::ifstream file(SettingsPath(), std::ios::binary);
    if (!file) return GameSettings{};
    std::ostringstream text;
    // A settings file is a few dozen bytes; anything far larger is not ours.
    char buffer[4096];
    file.read(buffer, sizeof buffer);
    text.write(buffer, file.gcount());
    return ParseSettings(text.str());
}

bool SaveSettings(const GameSettings& settings) {
    return MakeSaveFolder() && WriteFileAtomically(SettingsPath(), SettingsText(settings)) == 0;
}
