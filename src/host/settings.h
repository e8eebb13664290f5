// settings.h — the player's settings that outlive a run: fullscreen, the
// window's size and the sound switch, kept in a small text file beside the
// state file ("key=value" lines; unknown keys and bad values are ignored and
// take their defaults, so a damaged file never stops the game).
#pragma once

#include <string>

struct GameSettings {
    bool fullscreen = false;
    int windowWidth = 960;
    int windowHeight = 540;
    bool soundOn = true;
};

// The settings file's name, beside the state file in the save folder
// (SaveFolder() in files.h).
inline constexpr const char* kSettingsFileName = ".orbelsettings";

// The saved settings, or the defaults for whatever is missing or damaged.
GameSettings LoadSettings();
// Writes the settings atomically (a temporary file renamed over the old
// one), making the save folder when it is missing; false when the file
// could not be written.
bool SaveSettings(const GameSettings& settings);

// The text form, one "key=value" line per setting, and its reader.
std::string SettingsText(const GameSettings& settings);
GameSettings ParseSettings(const std::string& text);
