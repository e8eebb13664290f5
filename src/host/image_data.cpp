// image_data.cpp — stb_image decoding and the replaceable image loader.
#include "host/image_data.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "host/files.h"
#include "host/runtime_error.h"
#include "stb_image.h"

void ImageData::FreeDeleter::operator()(std::uint8_t* p) const { stbi_image_free(p); }

namespace {

ImageData Wrap(stbi_uc* pixels, int width, int height, int depth) {
    ImageData image;
    if (!pixels) return image;
    if (width <= 0 || height <= 0 || depth < 1 || depth > 4) {
        stbi_image_free(pixels);
        return image;
    }
    image.pixels.reset(pixels);
    image.width = width;
    image.height = height;
    image.depth = depth;
    return image;
}

// stb_image is Debian's prebuilt library, which decodes every format it
// knows; the game's pictures are PNG or JPEG, so anything else is refused by
// its signature before stb sees it, and the size from the header is checked
// before any pixels are allocated.
bool IsPngOrJpeg(const std::uint8_t* bytes, std::size_t length) {
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr std::uint8_t kJpeg[3] = {0xFF, 0xD8, 0xFF};
    return (length >= sizeof kPng && std::memcmp(bytes, kPng, sizeof kPng) == 0) ||
           (length >= sizeof kJpeg && std::memcmp(bytes, kJpeg, sizeof kJpeg) == 0);
}

// Whether an image of this header may be decoded; prints why not.
bool WithinLimits(const std::string& name, int width, int height, int depth) {
    if (width > kMaxImageSide || height > kMaxImageSide) {
        Print(u"IMAGE: " + FromUtf8(name) + u" is " + IntToString(width) + u"x" + IntToString(height) +
              u", over the limit of " + IntToString(kMaxImageSide) + u" pixels per side");
        return false;
    }
    const long long bytes = static_cast<long long>(width) * height * depth;
    if (bytes > kMaxImageBytes) {
        Print(u"IMAGE: " + FromUtf8(name) + u" decodes to " + IntToString(bytes) + u" bytes, over the limit of " +
              IntToString(kMaxImageBytes / (1024 * 1024)) + u" MB");
        return false;
    }
    return true;
}

// stb grows its buffer to a PNG chunk's stated length before it finds the
// file too short, so a few damaged bytes could claim gigabytes: every chunk
// must fit in the file before stb sees it. `read(offset, out, count)` reads
// the bytes at an offset. Prints why not.
template <class Read>
bool PngChunksFit(const std::string& name, std::size_t length, Read read) {
    std::uint8_t head[8];
    if (!read(0, head, sizeof head) || head[0] != 0x89) return true;  // not a PNG: nothing to walk
    std::size_t at = 8;
    // Down to a last chunk's bare header: one cut off right after its type
    // (no room for data or checksum) claims its length as much as any.
    while (length - at >= 8) {
        std::uint8_t chunk[8];
        if (!read(at, chunk, sizeof chunk)) break;
        const std::size_t size = (std::size_t{chunk[0]} << 24) | (std::size_t{chunk[1]} << 16) |
                                 (std::size_t{chunk[2]} << 8) | std::size_t{chunk[3]};
        if (length - at < 12 || size > length - at - 12) {
            Print(u"IMAGE: " + FromUtf8(name) + u" has a chunk of " + IntToString(static_cast<long long>(size)) +
                  u" bytes, past the end of the file");
            return false;
        }
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) break;
        at += 12 + size;
    }
    return true;
}

// stb inflates a PNG's pixel data into a buffer it grows without a bound,
// and the library on this system goes on reading zeros past the end of a
// damaged stream: a few hundred bytes could keep it writing until memory
// ran out. So the data (every IDAT chunk, in order) is inflated once here
// first, into a block of fixed size, and must end, undamaged, within what
// the header's size allows. Call after the size limits are checked.
// Prints why not.
template <class Read>
bool PngDataFits(const std::string& name, std::size_t length, Read read) {
    std::uint8_t header[8 + 8 + 13];
    if (!read(0, header, sizeof header) || header[0] != 0x89 || std::memcmp(header + 12, "IHDR", 4) != 0) return true;
    auto be32 = [](const std::uint8_t* p) {
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
    };
    const std::uint64_t width = be32(header + 16), height = be32(header + 20);
    const unsigned depth = header[24], colour = header[25], interlaced = header[28];
    const unsigned channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
    const std::uint64_t bitsPerPixel = std::uint64_t{depth} * channels;
    // Each row of each pass: a filter byte and its pixels.
    auto passBytes = [&](std::uint64_t w, std::uint64_t h) {
        return w == 0 ? 0 : h * (1 + (w * bitsPerPixel + 7) / 8);
    };
    std::uint64_t allowed = 0;
    if (interlaced) {
        static constexpr unsigned kStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
        static constexpr unsigned kStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
        for (int p = 0; p < 7; ++p) {
            const std::uint64_t w = width > kStart[p][0] ? (width - kStart[p][0] + kStep[p][0] - 1) / kStep[p][0] : 0;
            const std::uint64_t h = height > kStart[p][1] ? (height - kStart[p][1] + kStep[p][1] - 1) / kStep[p][1] : 0;
            allowed += passBytes(w, h);
        }
    } else {
        allowed = passBytes(width, height);
    }

    // The IDAT chunks, in order, make one zlib stream.
    std::vector<char> data;
    std::size_t at = 8;
    bool readable = true;
    while (length - at >= 12) {
        std::uint8_t chunk[8];
        if (!read(at, chunk, sizeof chunk)) break;
        const std::size_t size = be32(chunk);
        if (std::memcmp(chunk + 4, "IEND", 4) == 0) break;
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0) {
            const std::size_t old = data.size();
            data.resize(old + size);
            if (size > 0 && !read(at + 8, reinterpret_cast<std::uint8_t*>(data.data() + old), size)) {
                readable = false;
                break;
            }
        }
        at += 12 + size;
    }
    // Deflate expands by at most 1032 to 1, so the output never needs more
    // room than the input could fill, and stb's fixed-size decode stops at
    // the end of the room instead of growing.
    const std::uint64_t room = std::min<std::uint64_t>(allowed, std::uint64_t{data.size()} * 1032 + 64);
    if (readable && !data.empty() && room > 0 && room <= static_cast<std::uint64_t>(INT_MAX) &&
        data.size() <= static_cast<std::size_t>(INT_MAX)) {
        std::vector<char> out(static_cast<std::size_t>(room));
        if (stbi_zlib_decode_buffer(out.data(), static_cast<int>(out.size()), data.data(),
                                    static_cast<int>(data.size())) >= 0)
            return true;
    }
    Print(u"IMAGE: " + FromUtf8(name) + u" has damaged pixel data (it does not inflate to its " + IntToString(width) +
          u"x" + IntToString(height) + u" pixels)");
    return false;
}

// The system's stb decodes a scan with whatever Huffman and quantization
// tables it names, defined or not, and an undefined Huffman table is
// uninitialised memory it indexes with: a scan naming a table no segment
// before it defined read far outside its buffers. So every table a scan
// needs must be defined before it. Files that are not well-formed enough to
// walk are left to stb, which refuses them. Prints why not.
template <class Read>
bool JpegTablesDefined(const std::string& name, std::size_t length, Read read) {
    std::uint8_t b[4];
    if (!read(0, b, 2) || b[0] != 0xFF || b[1] != 0xD8) return true;  // not a JPEG
    bool quant[4] = {}, huff[2][4] = {};
    int frameQuant[4] = {-1, -1, -1, -1};  // up to four tables the frame's components use
    int frameComponents = 0;
    bool progressive = false;
    auto refuse = [&] {
        Print(u"IMAGE: " + FromUtf8(name) + u" has a scan that uses a table it never defines");
        return false;
    };
    std::size_t at = 2;
    while (at + 4 <= length) {
        if (!read(at, b, 4)) return true;
        const unsigned marker = b[1];
        // The decoder skips whatever lies between segments, up to the next
        // 0xFF, and fill bytes before a marker: so does the walk.
        if (b[0] != 0xFF || marker == 0xFF) {
            std::uint8_t block[4096];
            const std::size_t take = std::min(sizeof block, length - at);
            if (!read(at, block, take)) return true;
            std::size_t skip = 1;
            while (skip < take && block[skip] != 0xFF) ++skip;
            if (b[0] == 0xFF) skip = 1;  // a fill byte: the marker follows
            at += skip;
            continue;
        }
        if (marker == 0xD9) return true;  // end of image
        const std::size_t size = (std::size_t{b[2]} << 8) | b[3];
        if (size < 2 || size > length - at - 2) return true;
        std::uint8_t seg[65535];
        if (!read(at + 4, seg, size - 2)) return true;
        const std::size_t n = size - 2;
        if (marker == 0xDB) {
            for (std::size_t i = 0; i < n;) {
                const unsigned precision = seg[i] >> 4, id = seg[i] & 15;
                if (id > 3) return true;
                quant[id] = true;
                i += 1 + (precision ? 128 : 64);
            }
        } else if (marker == 0xC4) {
            for (std::size_t i = 0; i + 17 <= n;) {
                const unsigned cls = seg[i] >> 4, id = seg[i] & 15;
                if (cls > 1 || id > 3) return true;
                std::size_t count = 0;
                for (int k = 1; k <= 16; ++k) count += seg[i + k];
                huff[cls][id] = true;
                i += 17 + count;
            }
        } else if ((marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            frameComponents = n >= 6 ? seg[5] : 0;
            for (int c = 0; c < frameComponents && c < 4 && 6 + 3 * c + 2 < static_cast<int>(n); ++c)
                frameQuant[c] = seg[6 + 3 * c + 2] & 15;
        } else if (marker == 0xDA) {
            for (int c = 0; c < frameComponents && c < 4; ++c)
                if (frameQuant[c] > 3 || (frameQuant[c] >= 0 && !quant[frameQuant[c]])) return refuse();
            const std::size_t components = n >= 1 ? seg[0] : 0;
            if (n < 1 + 2 * components + 3) return true;
            const unsigned spectralStart = seg[1 + 2 * components];
            const unsigned approxHigh = seg[3 + 2 * components] >> 4;
            for (std::size_t c = 0; c < components; ++c) {
                const unsigned dc = seg[2 + 2 * c] >> 4, ac = seg[2 + 2 * c] & 15;
                if (dc > 3 || ac > 3) return true;
                const bool needsDc = !progressive || (spectralStart == 0 && approxHigh == 0);
                const bool needsAc = !progressive || spectralStart > 0;
                if ((needsDc && !huff[0][dc]) || (needsAc && !huff[1][ac])) return refuse();
            }
            // Past the entropy-coded data: to the next marker that is not a
            // stuffed zero or a restart.
            at += 2 + size;
            std::uint8_t block[4096];
            bool found = false;
            while (!found && at < length) {
                const std::size_t take = std::min(sizeof block, length - at);
                if (!read(at, block, take)) return true;
                std::size_t i = 0;
                for (; i + 1 < take; ++i) {
                    if (block[i] == 0xFF && block[i + 1] != 0 && (block[i + 1] < 0xD0 || block[i + 1] > 0xD7)) {
                        found = true;
                        break;
                    }
                }
                at += i;
                if (!found && take < 2) return true;
            }
            continue;
        }
        at += 2 + size;
    }
    return true;
}

bool RefuseFormat(const std::string& name) {
    Print(u"IMAGE: " + FromUtf8(name) + u" is neither PNG nor JPEG");
    return false;
}

ImageData DefaultLoader(StringView path) {
    const String fileName = MapDataPath(path);
    if (fileName.empty()) return {};
    return DecodeImageFile(ToUtf8(fileName));
}

ImageDataLoader& Loader() {
    static ImageDataLoader loader = DefaultLoader;
    return loader;
}

}  // namespace

ImageData DecodeImageFile(const std::string& fileName) {
    ReadingFile reading(FromUtf8(fileName));
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return {};
    std::uint8_t head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    int width = 0, height = 0, depth = 0;
    stbi_uc* pixels = nullptr;
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    auto readAt = [file](std::size_t offset, std::uint8_t* out, std::size_t count) {
        return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(out, 1, count, file) == count;
    };
    if (end > 0 && got > 0) {
        if (!IsPngOrJpeg(head, got)) {
            RefuseFormat(fileName);
        } else if (PngChunksFit(fileName, static_cast<std::size_t>(end), readAt) &&
                   JpegTablesDefined(fileName, static_cast<std::size_t>(end), readAt) &&
                   std::fseek(file, 0, SEEK_SET) == 0 && stbi_info_from_file(file, &width, &height, &depth) &&
                   WithinLimits(fileName, width, height, depth) &&
                   PngDataFits(fileName, static_cast<std::size_t>(end), readAt) && std::fseek(file, 0, SEEK_SET) == 0) {
            pixels = stbi_load_from_file(file, &width, &height, &depth, 0);
        }
    }
    std::fclose(file);
    return Wrap(pixels, width, height, depth);
}

ImageData DecodeImageMemory(const std::uint8_t* bytes, std::size_t length, const std::string& name) {
    if (!bytes || length == 0 || length > std::size_t(INT_MAX)) return {};
    if (!IsPngOrJpeg(bytes, length)) {
        RefuseFormat(name);
        return {};
    }
    auto readAt = [bytes, length](std::size_t offset, std::uint8_t* out, std::size_t count) {
        if (offset > length || count > length - offset) return false;
        std::memcpy(out, bytes + offset, count);
        return true;
    };
    if (!PngChunksFit(name, length, readAt) || !JpegTablesDefined(name, length, readAt)) return {};
    int width = 0, height = 0, depth = 0;
    if (!stbi_info_from_memory(bytes, int(length), &width, &height, &depth)) return {};
    if (!WithinLimits(name, width, height, depth) || !PngDataFits(name, length, readAt)) return {};
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(length), &width, &height, &depth, 0);
    return Wrap(pixels, width, height, depth);
}

void SetImageDataLoader(ImageDataLoader loader) {
    Loader() = loader ? std::move(loader) : ImageDataLoader(DefaultLoader);
}

ImageData LoadImageData(StringView path) { return Loader()(path); }
