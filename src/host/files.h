// files.h — the game's view of the file system: where its data and its saves
// live, "cobalt:" path mapping, whole-file loading as bytes or text, and the
// state file.
//
// Every path the game names goes through MapDataPath, so a data file is
// always read from the data folder found at start (./data under the working
// directory until then); a "cobalt:" path of any other kind opens nothing.
// Saves stay beside the data when it is the working directory's, and go to
// the player's own data folder ($XDG_DATA_HOME/orbel) otherwise, since an
// installed game's folders are not the player's to write.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text.h"

// The state file's name in the save folder, rewritten whole by every save.
inline constexpr const char* kStateFileName = ".cobaltstate";
// A file every complete data folder holds: a folder without it is not one.
inline constexpr const char* kDataMarkerFile = "trans_desktop.txt";

// The outcome of the search for the data folder.
struct DataSearch {
    // The folder that holds the data; empty when none of `tried` does.
    std::string folder;
    // Whether it is the working directory's own ./data.
    bool inWorkingDirectory = false;
    std::vector<std::string> tried;
};
// The folders the game looks in, in order: ./data under the working
// directory, data beside the program, and the installed data folder (both as
// laid out around the program and at the prefix it was built for).
std::vector<std::string> DataFolderCandidates();
// The first of `candidates` holding kDataMarkerFile; the first one is taken
// as the working directory's.
DataSearch FindDataFolder(const std::vector<std::string>& candidates = DataFolderCandidates());
// Maps "cobalt://data/" to `folder` from now on; saves go to the working
// directory when `savesInWorkingDirectory`, else to the player's data folder
// ($XDG_DATA_HOME/orbel, by default ~/.local/share/orbel). Read once here.
void UseDataFolder(const std::string& folder, bool savesInWorkingDirectory);
// The folder the state and settings files live in, ending in "/" ("./" for
// the working directory).
const std::string& SaveFolder();
// Creates the save folder (and its parents) if it is missing; the game's own
// folder is private to the player (0700). False when it cannot be made.
bool MakeSaveFolder();

// Puts "cobalt://data/" in front of a bare asset name; paths that already
// name a scheme or start with "./" or "/" are left alone.
String FixDataPath(StringView path);
// Maps "cobalt://data/" to the data folder, and "cobalt://internal/" and
// "cobalt://external/" to the folders of those names beside it; any other
// "cobalt:" path maps to the empty text. Other paths are unchanged.
String MapDataPath(StringView path);

// Opens the mapped path with a C-library mode ("rb", "wb", "rb+", "wb+").
// Null when the mapped path is empty or the file cannot be opened.
std::FILE* OpenFile(StringView path, const char* mode);

// The whole file, or nothing when it cannot be opened. Adds the size to the
// loaded-bytes counter.
std::optional<std::vector<std::uint8_t>> LoadData(StringView path);
// The whole file decoded as text (see DecodeText); empty when it cannot be
// opened.
String LoadString(StringView path);
// Text decoding of a whole file: a FE FF or FF FE start selects UTF-16 big-
// or little-endian (an odd last byte is dropped); otherwise UTF-8 after an
// optional byte-order mark (see FromUtf8). Each invalid UTF-8 stretch
// becomes U+FFFD and sets LastTextDecodingError() to "Invalid UTF-8"; the rest
// of the file decodes as usual.
String DecodeText(std::string_view bytes);
// The last text-decoding error, empty when there has been none.
String& LastTextDecodingError();
// LoadString(FixDataPath(name)): the framework's text loader.
String LoadText(StringView name);

// Writes `bytes` to the file at `target` (a plain path) through a temporary
// file beside it that is renamed over it once completely on disk: 0 on
// success, -1 when the file cannot be written, -2 when the write was short.
int WriteFileAtomically(const std::string& target, std::string_view bytes);
// Called after each file WriteFileAtomically has put completely in place (the
// state file and the settings among them): where saves live in a store the
// program must flush itself, as a browser's is, the host flushes it here.
// None by default; an empty function removes it.
void SetFileSavedHook(std::function<void()> hook);
// Writes the text as UTF-8 to the state file in the save folder (made when
// missing): 0 on success, -1 when the file cannot be written, -2 when the
// write was short. The old file stays intact until the new content is
// completely on disk.
int SaveState(StringView text);
// The state file's text, empty when there is none.
String LoadState();

// Bytes of decoded files, images and sounds loaded so far.
std::atomic<long long>& LoadedByteCount();
