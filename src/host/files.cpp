// files.cpp — see files.h.
#include "host/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/runtime_error.h"

// The installed data folder, compiled in by the build (relative to the
// program's folder, and absolute at the prefix configured).
#ifndef ORBEL_DATA_FROM_BINDIR
#define ORBEL_DATA_FROM_BINDIR "../share/orbel/data"
#endif
#ifndef ORBEL_INSTALLED_DATA_DIR
#define ORBEL_INSTALLED_DATA_DIR "/usr/local/share/orbel/data"
#endif

namespace {

// Where "cobalt://data/" leads, and where the saves go.
struct Places {
    std::string data = "./data";
    std::string saves = "./";
};

Places& CurrentPlaces() {
    static Places places;
    return places;
}

// The player's own data folder for the game: $XDG_DATA_HOME/orbel, with the
// base directory's default (~/.local/share) when the variable is unset or
// not absolute, as the base-directory rules ask.
std::string PlayerSaveFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/orbel/";
    const char* home = std::getenv("HOME");
    std::string base;
    if (home && home[0] == '/') {
        base = home;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        base = pw->pw_dir;
    } else {
        // No home at all: the working directory is the only place left.
        return "./";
    }
    return base + "/.local/share/orbel/";
}

bool HoldsData(const std::string& folder) {
    struct stat st {};
    return ::stat((folder + "/" + kDataMarkerFile).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::function<void()>& FileSavedHook() {
    static std::function<void()> hook;
    return hook;
}

constexpr std::size_t kChunk = 4096;

// Reads an open file to its end in 4096-byte chunks.
std::string ReadAll(std::FILE* f) {
    std::string bytes;
    char chunk[kChunk];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, kChunk, f);
        bytes.append(chunk, n);
        if (n < kChunk) break;
    }
    return bytes;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

String FixDataPath(StringView path) {
    std::size_t scheme = path.find(u":/");
    if (scheme != StringView::npos && path.find(u'/') == scheme + 1) return String(path);
    if (StartsWith(path, u"./") || StartsWith(path, u"/")) return String(path);
    return u"cobalt://data/" + String(path);
}

std::vector<std::string> DataFolderCandidates() {
    std::vector<std::string> candidates{"./data"};
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        std::filesystem::path bin = program.parent_path();
        candidates.push_back((bin / "data").string());
        candidates.push_back((bin / ORBEL_DATA_FROM_BINDIR).lexically_normal().string());
    }
    std::string installed = std::filesystem::path(ORBEL_INSTALLED_DATA_DIR).lexically_normal().string();
    bool known = false;
    for (const std::string& c : candidates) known = known || c == installed;
    if (!known) candidates.push_back(installed);
    return candidates;
}

DataSearch FindDataFolder(const std::vector<std::string>& candidates) {
    DataSearch search;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        search.tried.push_back(candidates[i]);
        if (HoldsData(candidates[i])) {
            search.folder = candidates[i];
            search.inWorkingDirectory = i == 0;
            break;
        }
    }
    return search;
}

void UseDataFolder(const std::string& folder, bool savesInWorkingDirectory) {
    Places& places = CurrentPlaces();
    places.data = folder;
    while (places.data.size() > 1 && places.data.back() == '/') places.data.pop_back();
    places.saves = savesInWorkingDirectory ? "./" : PlayerSaveFolder();
}

const std::string& SaveFolder() { return CurrentPlaces().saves; }

bool MakeSaveFolder() {
    const std::string& folder = SaveFolder();
    if (folder == "./") return true;
    std::filesystem::path own = std::filesystem::path(folder).parent_path();
    std::error_code error;
    std::filesystem::create_directories(own.parent_path(), error);
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::stat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

String MapDataPath(StringView path) {
    if (!StartsWith(path, u"cobalt:")) return String(path);
    const std::string& data = CurrentPlaces().data;
    // internal/ and external/ sit beside the data folder, as ./internal and
    // ./external sit beside ./data.
    std::string base = std::filesystem::path(data).parent_path().string();
    if (base.empty()) base = ".";
    const struct {
        StringView prefix;
        std::string folder;
    } roots[] = {
        {u"cobalt://data/", data + "/"},
        {u"cobalt://internal/", base + "/internal/"},
        {u"cobalt://external/", base + "/external/"},
    };
    for (const auto& root : roots)
        if (StartsWith(path, root.prefix)) return FromUtf8(root.folder) + String(path.substr(root.prefix.size()));
    return String();
}

std::FILE* OpenFile(StringView path, const char* mode) {
    String mapped = MapDataPath(path);
    if (mapped.empty()) return nullptr;
    return std::fopen(ToUtf8(mapped).c_str(), mode);
}

std::atomic<long long>& LoadedByteCount() {
    static std::atomic<long long> count{0};
    return count;
}

std::optional<std::vector<std::uint8_t>> LoadData(StringView path) {
    ReadingFile reading(path);
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return std::nullopt;
    std::string bytes = ReadAll(f);
    std::fclose(f);
    LoadedByteCount().fetch_add(static_cast<long long>(bytes.size()));
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

String& LastTextDecodingError() {
    static String error;
    return error;
}

String DecodeText(std::string_view bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && ((byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0xFF && byte(1) == 0xFE))) {
        bool bigEndian = byte(0) == 0xFE;
        String text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            unsigned hi = bigEndian ? byte(i) : byte(i + 1);
            unsigned lo = bigEndian ? byte(i + 1) : byte(i);
            text.push_back(static_cast<char16_t>((hi << 8) | lo));
        }
        return text;
    }
    std::string_view body = bytes;
    if (body.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) body.remove_prefix(3);
    bool ok = true;
    String text = FromUtf8(body, &ok);
    if (!ok) LastTextDecodingError() = u"Invalid UTF-8";
    return text;
}

String LoadString(StringView path) {
    ReadingFile reading(path);
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return String();
    std::string bytes = ReadAll(f);
    std::fclose(f);
    return DecodeText(bytes);
}

String LoadText(StringView name) { return LoadString(FixDataPath(name)); }

int WriteFileAtomically(const std::string& target, std::string_view bytes) {
    // The new content goes to a temporary file beside the target and is
    // renamed over it only once it is completely written, so a crash or a
    // full disk mid-save leaves the previous content in place.
    std::string temp = target + ".tmp" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0) written = false;
    if (!written) {
        ::unlink(temp.c_str());
        return -2;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return -1;
    }
    if (FileSavedHook()) FileSavedHook()();
    return 0;
}

void SetFileSavedHook(std::function<void()> hook) { FileSavedHook() = std::move(hook); }

int SaveState(StringView text) {
    if (!MakeSaveFolder()) return -1;
    return WriteFileAtomically(SaveFolder() + kStateFileName, ToUtf8(text));
}

String LoadState() { return LoadString(FromUtf8(SaveFolder() + kStateFileName)); }
