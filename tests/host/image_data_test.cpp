// Image decoding limits: only PNG and JPEG are decoded, and pictures over
// the size limits or with chunks past the end of the file are refused before
// decoding, with a line naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "framework/image_files.h"
#include "host/image_data.h"

namespace {

void AppendBE(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

// A PNG signature and header chunk claiming w × h RGBA, with no pixel data:
// enough for the header to be read, so the size is all that is judged.
std::string PngHeader(std::uint32_t w, std::uint32_t h) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    AppendBE(png, 13);
    png += "IHDR";
    AppendBE(png, w);
    AppendBE(png, h);
    png += std::string("\x08\x06\x00\x00\x00", 5);
    AppendBE(png, 0);  // checksum, not checked by the decoder
    return png;
}

// A header, then a data chunk claiming far more than the file holds (which
// stb would have grown its buffer to before finding the file short).
std::string PngWithOverlongChunk() {
    std::string png = PngHeader(2, 2);
    AppendBE(png, 0x75000032);
    png += "IDAT";
    png += std::string(20, '\x5A');
    return png;
}

// `bytes` as a zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& bytes) {
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(bytes.size() - at, 65535);
        out += static_cast<char>(at + n == bytes.size() ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out += bytes.substr(at, n);
        at += n;
    } while (at < bytes.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) a = (a + c) % 65521, b = (b + a) % 65521;
    AppendBE(out, (b << 16) | a);
    return out;
}

// A 2 x 2 RGBA header and one data chunk holding `pixels` as a zlib stream,
// cut to `keep` bytes of the stream.
std::string PngWithData(const std::string& pixels, std::size_t keep = std::string::npos) {
    std::string png = PngHeader(2, 2);
    std::string packed = StoredZlib(pixels);
    packed.resize(std::min<std::size_t>(packed.size(), keep));
    AppendBE(png, static_cast<std::uint32_t>(packed.size()));
    png += "IDAT" + packed;
    AppendBE(png, 0);
    AppendBE(png, 0);
    png += "IEND";
    AppendBE(png, 0);
    return png;
}

std::string Bmp() {
    const std::uint8_t rgb[3 * 4] = {};
    std::string out;
    stbi_write_bmp_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
        },
        &out, 2, 2, 3, rgb);
    return out;
}

}  // namespace

TEST(ImageData, OnlyPngAndJpegWithinTheLimitsAreDecoded) {
    ImageFolder folder;
    const auto white = [](int, int) { return 0xFFFFFFFFu; };
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;  // what follows "IMAGE: <file> "; null when it decodes
    };
    const Case cases[] = {
        {"small.png", ImageFolder::Png(3, 2, white), nullptr},
        {"wide.png", ImageFolder::Png(kMaxImageSide + 1, 1, white),
         "is 8193x1, over the limit of 8192 pixels per side"},
        {"tall.png", PngHeader(1, 100000), "is 1x100000, over the limit of 8192 pixels per side"},
        {"heavy.png", PngHeader(4097, 4096), "decodes to 67125248 bytes, over the limit of 64 MB"},
        {"overlong.png", PngWithOverlongChunk(), "has a chunk of 1962934322 bytes, past the end of the file"},
        // The file ends right after a chunk's length and type.
        {"header_only.png", PngHeader(2, 2) + std::string("IEND", 4) + "IDAT",
         "has a chunk of 1229278788 bytes, past the end of the file"},
        // Two rows of a filter byte and 2 RGBA pixels: 18 bytes, no more.
        {"bloated.png", PngWithData(std::string(100000, '\0')),
         "has damaged pixel data (it does not inflate to its 2x2 pixels)"},
        {"cut.png", PngWithData(std::string(18, '\x01'), 6),
         "has damaged pixel data (it does not inflate to its 2x2 pixels)"},
        {"picture.bmp", Bmp(), "is neither PNG nor JPEG"},
        {"picture.gif", "GIF89a\x01\x00\x01\x00\x00\x00\x00;", "is neither PNG nor JPEG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ToUtf8(folder.Write(c.name, c.bytes));
        const std::string expected = c.message ? "IMAGE: " + path + " " + c.message + "\n" : "";
        testing::internal::CaptureStdout();
        ImageData fromFile = DecodeImageFile(path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
        testing::internal::CaptureStdout();
        ImageData fromMemory =
            DecodeImageMemory(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size(), path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
        EXPECT_EQ(static_cast<bool>(fromFile), c.message == nullptr);
        EXPECT_EQ(static_cast<bool>(fromMemory), c.message == nullptr);
        if (fromFile) {
            EXPECT_EQ(fromFile.width, 3);
            EXPECT_EQ(fromFile.height, 2);
            EXPECT_EQ(fromFile.depth, 4);
        } else {
            EXPECT_EQ(fromFile.width, 0);
        }
    }
}

// The system's decoder indexed an undefined Huffman table's uninitialised
// memory: a scan naming a table that no segment defined is refused, while
// well-formed baseline and progressive pictures still decode.
TEST(ImageData, AJpegScanMustUseTablesItDefines) {
    const std::filesystem::path corpus = std::filesystem::path(ORBEL_FUZZ_DIR) / "corpus" / "image";
    for (const char* good : {"gradient.jpg", "progressive.jpg"}) {
        const ImageData image = DecodeImageFile((corpus / good).string());
        EXPECT_TRUE(image.pixels) << good;
    }
    const std::string bad = (corpus / "scan_names_undefined_huffman_table.jpg").string();
    testing::internal::CaptureStdout();
    const ImageData image = DecodeImageFile(bad);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(image.pixels);
    EXPECT_EQ(said, "IMAGE: " + bad + " has a scan that uses a table it never defines\n");
}
