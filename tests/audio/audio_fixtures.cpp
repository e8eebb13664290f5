// audio_fixtures.cpp — WAV and Ogg files for the audio tests, and the
// openal-soft configuration that sends every device in this process to a file.
#include "audio_fixtures.h"

#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

namespace fs = std::filesystem;

namespace audio_test {
namespace {

// Set up before main, so before any test opens a device: openal-soft reads
// its configuration once, at its first use in the process.
struct OpenAlToFile {
    pid_t owner = getpid();
    fs::path dir;
    fs::path capture;

    OpenAlToFile() {
        dir = fs::temp_directory_path() / ("orbel-audio-" + std::to_string(owner));
        fs::create_directories(dir);
        capture = dir / "mix.wav";
        fs::path conf = dir / "alsoft.conf";
        std::ofstream(conf) << "[general]\n"
                               "drivers = wave\n"
                               "sample-type = int16\n"
                               "channels = stereo\n"
                               "frequency = 44100\n"
                               "[wave]\n"
                               "file = "
                            << capture.string() << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
    }
    ~OpenAlToFile() {
        // Forked children (death tests) exit too; only the creator cleans up.
        std::error_code ignored;
        if (getpid() == owner) fs::remove_all(dir, ignored);
    }
};
OpenAlToFile g_openAl;

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string MakeWav(const WavLayout& layout) {
    std::string body = "WAVE";
    body += "fmt ";
    PutLE(body, static_cast<std::uint32_t>(layout.fmtSize), 4);
    PutLE(body, static_cast<std::uint32_t>(layout.formatCode), 2);
    PutLE(body, static_cast<std::uint32_t>(layout.channels), 2);
    PutLE(body, static_cast<std::uint32_t>(layout.rate), 4);
    int block = layout.channels * layout.bits / 8;
    PutLE(body, static_cast<std::uint32_t>(layout.rate * block), 4);
    PutLE(body, static_cast<std::uint32_t>(block), 2);
    PutLE(body, static_cast<std::uint32_t>(layout.bits), 2);
    body.append(static_cast<std::size_t>(layout.fmtSize > 16 ? layout.fmtSize - 16 : 0), '\0');
    for (const auto& [tag, content] : layout.chunksBeforeData) {
        body += tag;
        PutLE(body, static_cast<std::uint32_t>(content.size()), 4);
        body += content;
    }
    body += "data";
    PutLE(body, static_cast<std::uint32_t>(layout.data.size()), 4);
    body += layout.data;
    std::string file = "RIFF";
    PutLE(file, static_cast<std::uint32_t>(body.size()), 4);
    return file + body;
}

std::string SinePcm16(int channels, int rate, int milliseconds, double amplitude, double hertz) {
    std::string out;
    int frames = rate * milliseconds / 1000;
    for (int i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2 * std::numbers::pi * hertz * i / rate);
        auto s = static_cast<std::int16_t>(std::lround(v * 32767));
        for (int c = 0; c < channels; ++c) PutLE(out, static_cast<std::uint16_t>(s), 2);
    }
    return out;
}

std::string MakeOgg(int channels, int rate, int frames) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.1f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::string out;
    ogg_page page;
    auto takePages = [&](bool flush) {
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            out.append(reinterpret_cast<const char*>(page.header), page.header_len);
            out.append(reinterpret_cast<const char*>(page.body), page.body_len);
        }
    };

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    takePages(true);

    constexpr int kBlock = 1024;
    for (int done = 0;;) {
        int count = std::min(kBlock, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i) {
                float v = 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 440.0 * (done + i) / rate));
                for (int c = 0; c < channels; ++c) buffer[c][i] = v;
            }
        }
        vorbis_analysis_wrote(&dsp, count);  // 0 marks the end of the stream
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                takePages(false);
            }
        }
        if (count <= 0) break;
        done += count;
    }
    takePages(true);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::string WriteTempFile(const std::string& name, const std::string& bytes) {
    fs::path path = g_openAl.dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::vector<std::int16_t> CapturedMix() {
    std::ifstream in(g_openAl.capture, std::ios::binary);
    std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The backend writes its own (extensible) header; the frames follow "data".
    std::vector<std::int16_t> frames;
    auto at = file.find("data");
    if (at == std::string::npos) return frames;
    for (std::size_t i = at + 8; i + 1 < file.size(); i += 2) {
        frames.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(file[i]) |
                                                   (static_cast<std::uint8_t>(file[i + 1]) << 8)));
    }
    return frames;
}

gxtkAudio::AudioLoader MemoryLoader() {
    return [](StringView path) -> std::optional<AudioData> {
        if (ToUtf8(path).find("missing") != std::string::npos) return std::nullopt;
        constexpr int kFrames = 2205;
        return AudioData{std::vector<std::uint8_t>(2 * kFrames), kFrames, 1, 2, 22050};
    };
}

}  // namespace audio_test
