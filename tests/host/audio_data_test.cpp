// Sound file decoding: the WAV reader's RIFF rules, the choice of reader by
// extension, missing files, and Ogg Vorbis decoded to 16-bit frames.
#include <gtest/gtest.h>

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

}  // namespace

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
