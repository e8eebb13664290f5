// tile_data.cpp — the layer data forms: <tile> elements and CSV parsed in one
// pass that stops at the layer's cell count, Base64 decoded into at most the
// bytes it may hold, and zlib and gzip inflated by stb_image's decoder into a
// buffer one byte larger than the layer, so an overlong stream shows without
// being inflated further.
#include "framework/tile_data.h"

#include <array>
#include <climits>

#include "stb_image.h"

namespace {

constexpr std::uint64_t kMaxGid = 0xFFFFFFFFu;
constexpr std::size_t kGidChars = 63;

// gzip header flags (RFC 1952, 2.3.1).
constexpr std::uint8_t kGzipHeaderCrc = 0x02;
constexpr std::uint8_t kGzipExtra = 0x04;
constexpr std::uint8_t kGzipName = 0x08;
constexpr std::uint8_t kGzipComment = 0x10;
constexpr std::uint8_t kGzipReserved = 0xE0;
constexpr std::size_t kGzipFixedHeader = 10;
constexpr std::size_t kGzipTrailer = 8;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

int Base64Value(char16_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsSpace(char16_t c) { return c <= 32; }

String Describe(char16_t c) {
    if (c < 32 || c > 126) return u"character " + IntToString(c);
    return u"'" + String(1, c) + u"'";
}

// stb's decoders take int sizes; the buffer is one byte larger than the
// layer, so a stream that holds more than the layer fills it and shows.
String Inflate(std::span<const std::uint8_t> stream, std::size_t size, std::vector<std::uint8_t>& out, bool zlibHeader,
               StringView what) {
    if (stream.size() > static_cast<std::size_t>(INT_MAX) || size >= static_cast<std::size_t>(INT_MAX))
        return u"has " + String(what) + u" data too large to inflate";
    out.assign(size + 1, 0);
    const char* in = reinterpret_cast<const char*>(stream.data());
    char* buffer = reinterpret_cast<char*>(out.data());
    const int capacity = static_cast<int>(out.size()), length = static_cast<int>(stream.size());
    const int got = zlibHeader ? stbi_zlib_decode_buffer(buffer, capacity, in, length)
                               : stbi_zlib_decode_noheader_buffer(buffer, capacity, in, length);
    if (got < 0) {
        out.clear();
        return u"has " + String(what) + u" data that is damaged or inflates to more than the layer's " +
               IntToString(size) + u" bytes";
    }
    if (static_cast<std::size_t>(got) > size) {
        out.clear();
        return u"has " + String(what) + u" data that inflates to more than the layer's " + IntToString(size) +
               u" bytes";
    }
    if (static_cast<std::size_t>(got) < size) {
        out.clear();
        return u"has " + String(what) + u" data that inflates to " + IntToString(got) + u" bytes, not the layer's " +
               IntToString(size);
    }
    out.resize(size);
    return String();
}

// The element and CSV forms grow with the entries there are, never with the
// size the layer claims: the loader may read them before it checks that size.
TileLayerData ReadTileElements(const c_XMLNode& data, std::size_t cells) {
    TileLayerData result;
    for (const Ref<c_XMLNode>& child : data.children) {
        if (child->name != u"tile") continue;
        if (result.gids.size() == cells) {
            result.wrongCount = true;
            return result;
        }
        const long long gid = StringToInt(child->GetAttribute(u"gid"), kGidChars);
        if (gid > static_cast<long long>(kMaxGid)) {
            result.error = u"has the tile gid " + IntToString(gid) + u", past 32 bits";
            return result;
        }
        // A negative gid has always read as an empty cell.
        result.gids.push_back(gid < 0 ? 0u : static_cast<std::uint32_t>(gid));
    }
    result.wrongCount = result.gids.size() != cells;
    return result;
}

TileLayerData ReadCsv(StringView text, std::size_t cells) {
    TileLayerData result;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipSpace = [&] {
        while (i < n && IsSpace(text[i])) ++i;
    };
    skipSpace();
    while (i < n) {
        if (text[i] < '0' || text[i] > '9') {
            result.error = u"has " + Describe(text[i]) + u" where its CSV data needs a number";
            return result;
        }
        std::uint64_t value = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
            if (value > kMaxGid) {
                result.error = u"has a tile gid past 32 bits in its CSV data";
                return result;
            }
            ++i;
        }
        if (result.gids.size() == cells) {
            result.wrongCount = true;
            return result;
        }
        result.gids.push_back(static_cast<std::uint32_t>(value));
        skipSpace();
        if (i < n && text[i] != ',') {
            result.error = u"has " + Describe(text[i]) + u" where its CSV data needs a comma";
            return result;
        }
        ++i;  // past the comma (or the end)
        skipSpace();
    }
    result.wrongCount = result.gids.size() != cells;
    return result;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    crc = ~crc;
    for (std::uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

Base64Result DecodeBase64(StringView text, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsSpace(c)) continue;
        if (c == '=') break;
        const int value = Base64Value(c);
        if (value < 0) return Base64Result::kInvalid;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            if (out.size() + 3 > maxBytes) return Base64Result::kTooLong;
            out.push_back(static_cast<std::uint8_t>(bits >> 16));
            out.push_back(static_cast<std::uint8_t>(bits >> 8));
            out.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    // Only padding and whitespace may follow the first "=", and one leftover
    // character is no byte at all.
    for (; i < text.size(); ++i) {
        if (text[i] != '=' && !IsSpace(text[i])) return Base64Result::kInvalid;
    }
    if (count == 1) return Base64Result::kInvalid;
    if (count > 1) {
        const std::size_t extra = static_cast<std::size_t>(count - 1);
        if (out.size() + extra > maxBytes) return Base64Result::kTooLong;
        bits <<= 6 * (4 - count);
        out.push_back(static_cast<std::uint8_t>(bits >> 16));
        if (count == 3) out.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    return Base64Result::kOk;
}

String InflateZlib(std::span<const std::uint8_t> stream, std::size_t size, std::vector<std::uint8_t>& out) {
    return Inflate(stream, size, out, true, u"zlib");
}

String InflateGzip(std::span<const std::uint8_t> file, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    const std::size_t n = file.size();
    const std::uint8_t* b = file.data();
    if (n < kGzipFixedHeader + kGzipTrailer) return u"has gzip data too short to be gzip";
    if (b[0] != 0x1F || b[1] != 0x8B) return u"has gzip data without the gzip signature";
    if (b[2] != 8) return u"has gzip data of the compression method " + IntToString(b[2]) + u", not deflate";
    const std::uint8_t flags = b[3];
    if (flags & kGzipReserved) return u"has a gzip header with reserved flags set";
    std::size_t pos = kGzipFixedHeader;
    const String truncated = u"has a gzip header that is cut off";
    if (flags & kGzipExtra) {
        if (pos + 2 > n) return truncated;
        const std::size_t extra = std::size_t(b[pos]) | std::size_t(b[pos + 1]) << 8;
        pos += 2;
        if (extra > n - pos) return truncated;
        pos += extra;
    }
    for (std::uint8_t field : {kGzipName, kGzipComment}) {
        if (!(flags & field)) continue;
        while (pos < n && b[pos] != 0) ++pos;
        if (pos == n) return truncated;
        ++pos;
    }
    if (flags & kGzipHeaderCrc) {
        if (pos + 2 > n) return truncated;
        const std::uint32_t stored = std::uint32_t(b[pos]) | std::uint32_t(b[pos + 1]) << 8;
        if ((Crc32(file.first(pos)) & 0xFFFF) != stored) return u"has a gzip header whose checksum is wrong";
        pos += 2;
    }
    if (pos > n - kGzipTrailer) return truncated;
    const std::uint8_t* trailer = b + n - kGzipTrailer;
    // The length in the trailer is known before anything is inflated.
    if (Le32(trailer + 4) != static_cast<std::uint32_t>(size)) {
        return u"has gzip data that says it holds " + IntToString(Le32(trailer + 4)) + u" bytes, not the layer's " +
               IntToString(size);
    }
    // The deflate body ends itself; the trailer stays behind it because
    // stb_image's decoder reads up to 16 bits ahead and refuses a stream that
    // ends before its lookahead could be filled (a zlib stream has its
    // checksum there).
    String error = Inflate(file.subspan(pos), size, out, false, u"gzip");
    if (!error.empty()) return error;
    if (Crc32(out) != Le32(trailer)) {
        out.clear();
        return u"has gzip data that fails its CRC-32 check";
    }
    return String();
}

TileLayerData ReadTileLayerData(const c_XMLNode& data, int width, int height) {
    TileLayerData result;
    if (width < 0 || height < 0) {
        result.wrongCount = true;
        return result;
    }
    const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!data.GetChildren(u"chunk").empty()) {
        result.error = u"is stored in chunks, as infinite maps are; the game reads fixed-size maps only";
        return result;
    }
    const String encoding = data.GetAttribute(u"encoding");
    const String compression = data.GetAttribute(u"compression");
    if (encoding.empty() || encoding == u"csv") {
        if (!compression.empty()) {
            result.error = u"names the compression " + compression + u" without Base64 encoding";
            return result;
        }
        return encoding.empty() ? ReadTileElements(data, cells) : ReadCsv(data.value, cells);
    }
    if (encoding != u"base64") {
        result.error = u"uses the encoding " + encoding + u", which the game cannot read (csv or base64 only)";
        return result;
    }
    if (!compression.empty() && compression != u"zlib" && compression != u"gzip") {
        result.error = u"uses the compression " + compression +
                       u", which the game cannot read (none, zlib or gzip only; save the map without it)";
        return result;
    }

    const std::size_t bytes = cells * 4;
    std::vector<std::uint8_t> decoded;
    // Uncompressed data may be no longer than the layer; compressed data is
    // bounded by the text it comes from.
    const std::size_t maxDecoded = compression.empty() ? bytes : data.value.size();
    const Base64Result base64 = DecodeBase64(data.value, maxDecoded, decoded);
    if (base64 == Base64Result::kInvalid) {
        result.error = u"has data that is not Base64";
        return result;
    }
    if (base64 == Base64Result::kTooLong) {
        result.wrongCount = true;
        return result;
    }
    std::vector<std::uint8_t> inflated;
    if (compression == u"zlib") {
        result.error = InflateZlib(decoded, bytes, inflated);
    } else if (compression == u"gzip") {
        result.error = InflateGzip(decoded, bytes, inflated);
    } else {
        inflated = std::move(decoded);
    }
    if (!result.error.empty()) return result;
    if (inflated.size() != bytes) {
        result.wrongCount = true;
        return result;
    }
    result.gids.resize(cells);
    for (std::size_t i = 0; i < cells; ++i) result.gids[i] = Le32(inflated.data() + i * 4);
    return result;
}
