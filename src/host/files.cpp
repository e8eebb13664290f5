// files.cpp — see files.h.
#include "host/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

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

String MapDataPath(StringView path) {
    if (!StartsWith(path, u"cobalt:")) return String(path);
    static constexpr struct {
        StringView prefix, folder;
    } kRoots[] = {
        {u"cobalt://data/", u"./data/"},
        {u"cobalt://internal/", u"./internal/"},
        {u"cobalt://external/", u"./external/"},
    };
    for (const auto& root : kRoots)
        if (StartsWith(path, root.prefix)) return String(root.folder) + String(path.substr(root.prefix.size()));
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
    return 0;
}

int SaveState(StringView text) { return WriteFileAtomically(ToUtf8(MapDataPath(S(kStateFilePath))), ToUtf8(text)); }

String LoadState() { return LoadString(S(kStateFilePath)); }
