// files.h — the game's view of the file system: "cobalt:" path mapping,
// whole-file loading as bytes or text, and the state file.
//
// Every path the game names goes through MapDataPath, so a data file is
// always read from ./data (or ./internal, ./external) under the working
// directory; a "cobalt:" path of any other kind opens nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "host/text.h"

// The state file, rewritten whole by every save.
inline constexpr const char* kStateFilePath = "./.cobaltstate";

// Puts "cobalt://data/" in front of a bare asset name; paths that already
// name a scheme or start with "./" or "/" are left alone.
String FixDataPath(StringView path);
// Maps "cobalt://data/", "cobalt://internal/" and "cobalt://external/" to
// the folders of those names under the working directory; any other
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
// Writes the text as UTF-8 to the state file: 0 on success, -1 when the
// file cannot be written, -2 when the write was short. The old file stays
// intact until the new content is completely on disk.
int SaveState(StringView text);
// The state file's text, empty when there is none.
String LoadState();

// Bytes of decoded files, images and sounds loaded so far.
std::atomic<long long>& LoadedByteCount();
