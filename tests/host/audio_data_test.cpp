// Sound file decoding: the WAV reader's RIFF rules, the choice of reader by
// extension, missing files, and Ogg Vorbis decoded to 16-bit frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/audio_fixtures.h"
#include "host/audio_data.h"

using namespace audio_test;

namespace {

struct WavCase {
    const char* name;
    std::string bytes;
    bool loads;
    int length = 0, channels = 0, bytesPerSample = 0, rate = 0;
};

std::string Cut(std::string bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// Little-endian samples of `width` bytes each.
std::string Samples(std::initializer_list<std::int64_t> values, int width) {
    std::string out;
    for (std::int64_t v : values) {
        auto u = static_cast<std::uint64_t>(v);
        for (int b = 0; b < width; ++b) out.push_back(static_cast<char>((u >> (8 * b)) & 0xFF));
    }
    return out;
}

std::string FloatSamples(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) out.append(reinterpret_cast<const char*>(&v), sizeof v);
    return out;
}

// A WAVE_FORMAT_EXTENSIBLE file whose sub-format GUID carries `subFormat`
// (the GUID's tail is damaged when `goodGuid` is false).
std::string ExtensibleWav(int subFormat, int channels, int bits, const std::string& data, bool goodGuid = true) {
    std::string wav = MakeWav({0xFFFE, channels, bits, 48000, 40, {}, data});
    std::string ext = Samples({22, bits, channels == 2 ? 3 : 4, subFormat}, 2);  // size, valid bits, mask, code
    ext.insert(4, std::string("\0\0", 2));                                       // the channel mask is 4 bytes
    ext += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    if (!goodGuid) ext.back() = '\x72';
    wav.replace(36, ext.size(), ext);
    return wav;
}

std::vector<std::int16_t> Pcm16(const std::vector<std::uint8_t>& data) {
    std::vector<std::int16_t> out(data.size() / 2);
    std::memcpy(out.data(), data.data(), out.size() * 2);
    return out;
}

}  // namespace

TEST(AudioData, WiderAndFloatWavBecomesSixteenBitWithRoundingAndClamping) {
    struct Case {
        const char* name;
        std::string bytes;
        int channels;
        std::vector<std::int16_t> samples;
    };
    const std::string float32 = FloatSamples({1.0f, -1.0f, 2.0f, -3.0f, 0.5f, std::nanf("")});
    const Case cases[] = {
        {"24-bit mono",
         MakeWav({1, 1, 24, 48000, 16, {}, Samples({0x7FFFFF, -0x800000, 128, 127, -129, 0x123456}, 3)}),
         1,
         {32767, -32768, 1, 0, -1, 0x1234}},
        {"32-bit mono",
         MakeWav({1, 1, 32, 48000, 16, {}, Samples({0x7FFFFFFF, -0x80000000LL, 0x8000, 0x12345678}, 4)}),
         1,
         {32767, -32768, 1, 0x1234}},
        {"32-bit float mono", MakeWav({3, 1, 32, 48000, 16, {}, float32}), 1, {32767, -32767, 32767, -32767, 16384, 0}},
        {"24-bit stereo extensible",
         ExtensibleWav(1, 2, 24, Samples({0x7FFF00, -0x100, 0x100, 0}, 3)),
         2,
         {32767, -1, 1, 0}},
        {"float stereo extensible", ExtensibleWav(3, 2, 32, FloatSamples({0.25f, -0.25f})), 2, {8192, -8192}},
        {"16-bit extensible kept as it is", ExtensibleWav(1, 1, 16, Samples({-2, 3}, 2)), 1, {-2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto audio = LoadAudioFile(S(WriteTempFile("wide.wav", c.bytes)));
        ASSERT_TRUE(audio.has_value());
        EXPECT_EQ(audio->bytesPerSample, 2);
        EXPECT_EQ(audio->channelCount, c.channels);
        EXPECT_EQ(audio->sampleRate, 48000);
        EXPECT_EQ(audio->length, static_cast<int>(c.samples.size()) / c.channels);
        EXPECT_EQ(Pcm16(audio->data), c.samples);
    }
    auto eight = LoadAudioFile(S(WriteTempFile("ext8.wav", ExtensibleWav(1, 2, 8, "\x01\x02\x03\x04"))));
    ASSERT_TRUE(eight.has_value());
    EXPECT_EQ(eight->bytesPerSample, 1);
    EXPECT_EQ(eight->data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(AudioData, WavHeadersThatDoNotFitAreRefused) {
    std::string pcm16 = SinePcm16(1, 22050, 10);
    std::string hugeChunk = MakeWav({1, 1, 16, 22050, 16, {{"LIST", "abcd"}}, pcm16});
    hugeChunk.replace(40, 4, Samples({0x7FFFFFF0}, 4));  // the LIST chunk claims far more than there is
    std::string hugeFormat = MakeWav({1, 1, 16, 22050, 16, {}, pcm16});
    hugeFormat.replace(16, 4, Samples({0xFFFFFFF0LL}, 4));
    const std::pair<const char*, std::string> cases[] = {
        {"chunk past the end", hugeChunk},
        {"format chunk past the end", hugeFormat},
        {"format chunk shorter than its fields", MakeWav({1, 1, 16, 22050, 12, {}, pcm16})},
        {"extensible with an unknown sub-format", ExtensibleWav(1, 1, 16, pcm16, false)},
        {"extensible with a short format chunk", MakeWav({0xFFFE, 1, 16, 22050, 18, {}, pcm16})},
        {"extensible float of 16 bits", ExtensibleWav(3, 1, 16, pcm16)},
        {"12-bit integer", MakeWav({1, 1, 12, 22050, 16, {}, pcm16})},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(LoadAudioFile(S(WriteTempFile("bad.wav", bytes)))) << name;
    }
}

TEST(AudioData, WavReaderFollowsTheRiffRules) {
    std::string pcm16 = SinePcm16(1, 22050, 10);  // 220 frames
    std::string stereo8(2 * 100, '\x80');
    WavLayout fmtFirst;
    fmtFirst.data = pcm16;
    std::string good = MakeWav(fmtFirst);
    std::string listFirst = good;
    listFirst.replace(12, 4, "LIST");  // the first chunk is not "fmt "

    std::vector<WavCase> cases = {
        {"16-bit mono", good, true, 220, 1, 2, 22050},
        {"8-bit stereo", MakeWav({1, 2, 8, 11025, 16, {}, stereo8}), true, 100, 2, 1, 11025},
        {"8-bit mono", MakeWav({1, 1, 8, 8000, 16, {}, std::string(50, '\x80')}), true, 50, 1, 1, 8000},
        {"16-bit stereo", MakeWav({1, 2, 16, 44100, 16, {}, SinePcm16(2, 44100, 1)}), true, 44, 2, 2, 44100},
        {"18-byte format chunk", MakeWav({1, 1, 16, 22050, 18, {}, pcm16}), true, 220, 1, 2, 22050},
        // An odd-sized chunk is skipped by its exact size, with no pad byte.
        {"chunk before data", MakeWav({1, 1, 16, 22050, 16, {{"LIST", "abc"}, {"fact", "wxyz"}}, pcm16}), true, 220, 1,
         2, 22050},
        {"data cut short keeps whole frames", Cut(good, good.size() - 3), true, 218, 1, 2, 22050},
        {"float format refused", MakeWav({3, 1, 16, 22050, 16, {}, pcm16}), false},
        {"truncated header", Cut(good, 10), false},
        {"format chunk not first", listFirst, false},
        {"no data chunk", Cut(good, 36), false},
        {"zero channels", MakeWav({1, 0, 16, 22050, 16, {}, pcm16}), false},
        {"not RIFF", "RIFX" + good.substr(4), false},
    };
    for (const WavCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto audio = LoadAudioFile(S(WriteTempFile("case.wav", c.bytes)));
        ASSERT_EQ(audio.has_value(), c.loads);
        if (!audio) continue;
        EXPECT_EQ(audio->length, c.length);
        EXPECT_EQ(audio->channelCount, c.channels);
        EXPECT_EQ(audio->bytesPerSample, c.bytesPerSample);
        EXPECT_EQ(audio->sampleRate, c.rate);
        EXPECT_EQ(audio->data.size(), static_cast<std::size_t>(c.length * c.channels * c.bytesPerSample));
    }
    EXPECT_EQ(LoadAudioFile(S(WriteTempFile("plain.wav", good)))->data,
              std::vector<std::uint8_t>(pcm16.begin(), pcm16.end()));
}

TEST(AudioData, ReaderIsChosenByExtensionAndMissingFilesGiveNothing) {
    std::string wav = MakeWav({1, 1, 16, 22050, 16, {}, SinePcm16(1, 22050, 10)});
    EXPECT_TRUE(LoadAudioFile(S(WriteTempFile("UPPER.WAV", wav))));
    EXPECT_FALSE(LoadAudioFile(S(WriteTempFile("sound.mp3", wav))));
    EXPECT_FALSE(LoadAudioFile(S(WriteTempFile("sound.ogg", wav))));  // not Vorbis inside
    EXPECT_FALSE(LoadAudioFile(u"/nonexistent/missing.wav"));
}

TEST(AudioData, OggDecodesWholeStreamToSixteenBitFrames) {
    // Longer than the first 4096-frame block, so the buffer has to grow.
    constexpr int kFrames = 30000;
    auto audio = LoadAudioFile(S(WriteTempFile("tone.ogg", MakeOgg(2, 22050, kFrames))));
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->channelCount, 2);
    EXPECT_EQ(audio->bytesPerSample, 2);
    EXPECT_EQ(audio->sampleRate, 22050);
    EXPECT_EQ(audio->length, kFrames);
    ASSERT_EQ(audio->data.size(), static_cast<std::size_t>(kFrames) * 4);
    // The tone survives the round trip: loud in the middle, both channels alike.
    const auto* s = reinterpret_cast<const std::int16_t*>(audio->data.data());
    int peak = 0;
    for (int i = 10000; i < 12000; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(s[2 * i])));
        EXPECT_NEAR(s[2 * i], s[2 * i + 1], 200);
    }
    EXPECT_GT(peak, 10000);

    std::string ogg = MakeOgg(1, 8000, 1000);
    EXPECT_FALSE(LoadAudioFile(S(WriteTempFile("cut.ogg", ogg.substr(0, 20)))));
}

TEST(AudioData, AnOggStreamGivesTheWholeDecodeInPiecesAndAgainAfterRewinding) {
    constexpr int kFrames = 30000;
    const std::string ogg = MakeOgg(2, 22050, kFrames);
    auto whole = DecodeOgg(reinterpret_cast<const std::uint8_t*>(ogg.data()), ogg.size());
    ASSERT_TRUE(whole);
    const auto* expected = reinterpret_cast<const std::int16_t*>(whole->data.data());

    auto stream = OpenOggStream(std::vector<std::uint8_t>(ogg.begin(), ogg.end()));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->channelCount, 2);
    EXPECT_EQ(stream->sampleRate, 22050);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first pass" : "after rewinding");
        std::vector<std::int16_t> got;
        std::vector<std::int16_t> piece(2 * 777);  // pieces that never line up with Vorbis blocks
        while (int frames = stream->Read(piece.data(), 777))
            got.insert(got.end(), piece.begin(), piece.begin() + 2 * frames);
        ASSERT_EQ(got.size(), 2u * kFrames);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), expected));
        ASSERT_TRUE(stream->Rewind());
    }
    EXPECT_FALSE(OpenOggStream(std::vector<std::uint8_t>(ogg.begin(), ogg.begin() + 20)));
    EXPECT_FALSE(OpenOggStream({}));
}

TEST(AudioData, AnOggDecodedWholeStopsAtTheLengthLimitAndTheFileIsNamed) {
    const std::string ogg = MakeOgg(2, 8000, 20000);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(ogg.data());
    bool tooLong = true;
    EXPECT_TRUE(DecodeOgg(bytes, ogg.size(), 40000, &tooLong));
    EXPECT_FALSE(tooLong);
    EXPECT_FALSE(DecodeOgg(bytes, ogg.size(), 39998, &tooLong));
    EXPECT_TRUE(tooLong);

    // Silence compresses to almost nothing: a small file over the real limit.
    const std::string longOgg = MakeOgg(1, 8000, static_cast<int>(kMaxWholeOggSamples) + 8000);
    EXPECT_LT(longOgg.size(), 2u << 20);
    const std::string path = WriteTempFile("hours.ogg", longOgg);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(LoadAudioFile(S(path)));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_NE(said.find(std::to_string(kMaxWholeOggSamples)), std::string::npos) << said;
}

// The decoder library trusts its pages (a damaged one made it read outside
// its buffers): a stream with any page cut short or failing its checksum
// is refused before decoding, and only such a stream.
TEST(AudioData, OggWithADamagedPageIsRefused) {
    const std::string ogg = MakeOgg(1, 8000, 6000);
    ASSERT_TRUE(LoadAudioFile(S(WriteTempFile("whole.ogg", ogg))));
    // The second page starts at the second "OggS"; damage its body.
    const std::size_t second = ogg.find("OggS", 4);
    ASSERT_NE(second, std::string::npos);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string flipped = ogg;
    flipped[second + 40] = static_cast<char>(flipped[second + 40] ^ 0x5A);
    std::string badVersion = ogg;
    badVersion[second + 4] = 1;
    const Case cases[] = {
        {"flipped.ogg", flipped},
        {"bad_version.ogg", badVersion},
        {"cut_page.ogg", ogg.substr(0, ogg.size() - 3)},
        {"trailing.ogg", ogg + "junk after the last page"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(LoadAudioFile(S(WriteTempFile(c.name, c.bytes)))) << c.name;
        EXPECT_FALSE(OpenOggStream(std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()))) << c.name;
    }
}
