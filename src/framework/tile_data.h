// tile_data.h — the cells of a Tiled tile layer read from its <data> element,
// in every form the editor saves: <tile gid="…"/> elements, CSV, and Base64
// with no compression, zlib or gzip. Each cell is the raw 32-bit gid, flip
// bits included; the map loader masks them.
//
// Reading is bounded by the layer: no more than width × height cells are
// parsed or inflated, whatever the data claims, and anything other than
// exactly that many cells is refused. Errors come back as text for the
// loader's runtime error, so that it can name the layer and its map.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "framework/xml_parser.h"

// The top bits of a gid: how the cell's tile is flipped (diagonal first, then
// horizontal, then vertical) and, on hexagonal maps only, turned by 120°.
inline constexpr std::uint32_t kGidFlipHorizontal = 0x80000000u;
inline constexpr std::uint32_t kGidFlipVertical = 0x40000000u;
inline constexpr std::uint32_t kGidFlipDiagonal = 0x20000000u;
inline constexpr std::uint32_t kGidRotateHexagonal = 0x10000000u;
inline constexpr std::uint32_t kGidFlagBits = 0xF0000000u;

struct TileLayerData {
    // width × height gids, row by row, when read.
    std::vector<std::uint32_t> gids;
    // The data decoded but holds a different number of cells.
    bool wrongCount = false;
    // Otherwise what is wrong with it, e.g. "uses the compression zstd, which
    // the game cannot read"; empty when read (or only the count is wrong).
    String error;

    bool Ok() const { return !wrongCount && error.empty(); }
};

// Reads a layer's <data> (a layer of width × height cells).
TileLayerData ReadTileLayerData(const c_XMLNode& data, int width, int height);

enum class Base64Result { kOk, kInvalid, kTooLong };
// Base64 (RFC 4648) into `out`; whitespace anywhere is skipped, and "="
// padding may close the text. kTooLong as soon as it would pass `maxBytes`.
Base64Result DecodeBase64(StringView text, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// Inflates a zlib stream (RFC 1950) that must hold exactly `size` bytes into
// `out`. Empty on success, else the reason.
String InflateZlib(std::span<const std::uint8_t> stream, std::size_t size, std::vector<std::uint8_t>& out);

// Inflates a one-member gzip file (RFC 1952) that must hold exactly `size`
// bytes into `out`. The optional extra field, name, comment and header
// checksum are passed over (the checksum after it is checked); the length and
// CRC-32 in the trailer are checked. Empty on success, else the reason.
String InflateGzip(std::span<const std::uint8_t> file, std::size_t size, std::vector<std::uint8_t>& out);

// The CRC-32 of gzip and PNG (reflected polynomial 0xEDB88320), continued
// from `crc` (0 to start).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);
