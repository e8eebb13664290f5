#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "audio/gxtk_audio.h"
#include "audio/sound.h"
#include "audio_fixtures.h"

using namespace audio_test;
using namespace std::chrono_literals;

namespace {

// OpenAL mixes in real time on its own thread; wait for it, within reason.
template <class Pred>
bool WaitFor(Pred pred) {
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class AudioDevice : public testing::Test {
protected:
    static String Wav(const char* name, int milliseconds, double amplitude = 0.5) {
        return S(WriteTempFile(name, MakeWav({1, 1, 16, 22050, 16, {}, SinePcm16(1, 22050, milliseconds, amplitude)})));
    }
    String blip_ = Wav("blip.wav", 20);
    String tone_ = Wav("tone.wav", 300);
};

TEST_F(AudioDevice, EndedOneShotsReadStoppedAndAnyFlagsLoop) {
    gxtkAudio audio;
    ASSERT_TRUE(audio.IsOpen());
    EXPECT_EQ(gxtkAudio::Current(), &audio);
    auto blip = audio.LoadSample(blip_);
    ASSERT_TRUE(blip);
    EXPECT_NE(blip->buffer, 0u);

    ASSERT_EQ(audio.PlaySample(blip, 3, 0), 0);
    ASSERT_EQ(audio.PlaySample(blip, 5, 0), 0);
    ASSERT_EQ(audio.PlaySample(blip, 4, 2), 0);
    ASSERT_EQ(audio.PlaySample(blip, 6, 1), 0);
    EXPECT_EQ(audio.ChannelState(3), 1);
    ASSERT_TRUE(WaitFor([&] { return audio.ChannelState(3) == 0; }));
    std::this_thread::sleep_for(100ms);  // channel 5 started with 3 and is as long

    audio.PauseChannel(5);  // it had ended on its own: stays stopped, not paused
    EXPECT_EQ(audio.ChannelState(5), 0);
    EXPECT_EQ(audio.ChannelState(4), 1);
    EXPECT_EQ(audio.ChannelState(6), 1);

    audio.PauseChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 2);
    audio.ResumeChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 1);
    audio.StopChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 0);
    audio.ResumeChannel(4);  // only a paused channel resumes
    EXPECT_EQ(audio.ChannelState(4), 0);

    // Indices outside the 33 channels are ignored.
    EXPECT_EQ(audio.PlaySample(blip, 33, 0), -1);
    EXPECT_EQ(audio.PlaySample(blip, -1, 0), -1);
    EXPECT_EQ(audio.ChannelState(40), 0);
    audio.SetVolume(-2, 1.0f);
}

TEST_F(AudioDevice, SuspendAndResumeLeaveGamePausedChannelsPaused) {
    gxtkAudio audio;
    auto tone = audio.LoadSample(tone_);
    audio.PlaySample(tone, 1, 1);
    audio.PlaySample(tone, 2, 1);
    audio.PauseChannel(2);
    ASSERT_EQ(audio.PlayMusic(tone_, 1), 0);

    audio.Suspend();
    EXPECT_EQ(audio.ChannelState(1), 1);  // the program still counts it as playing
    EXPECT_EQ(audio.ChannelState(2), 2);
    EXPECT_EQ(audio.MusicState(), 1);
    audio.Resume();
    EXPECT_EQ(audio.ChannelState(1), 1);
    EXPECT_EQ(audio.ChannelState(2), 2);
    EXPECT_EQ(audio.MusicState(), 1);
    audio.ResumeChannel(2);
    EXPECT_EQ(audio.ChannelState(2), 1);
}

TEST_F(AudioDevice, MusicThatCannotLoadLeavesNoMusic) {
    gxtkAudio audio;
    ASSERT_EQ(audio.PlayMusic(tone_, 1), 0);
    EXPECT_EQ(audio.MusicState(), 1);
    EXPECT_EQ(audio.PlayMusic(u"/nonexistent/music.ogg", 1), -1);
    EXPECT_EQ(audio.MusicState(), 0);
    EXPECT_EQ(audio.LoadSample(u"/nonexistent/sound.wav"), nullptr);
}

TEST_F(AudioDevice, DiscardedBufferWaitsUntilItsChannelStops) {
    gxtkAudio audio;
    auto tone = audio.LoadSample(tone_);
    auto blip = audio.LoadSample(blip_);
    audio.PlaySample(tone, 7, 1);
    std::uint32_t buffer = tone->buffer;
    tone->Discard();
    EXPECT_EQ(tone->buffer, 0u);
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(buffer));

    audio.PlaySample(blip, 8, 0);  // flushes: the buffer is still playing
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(buffer));
    EXPECT_EQ(audio.ChannelState(7), 1);

    audio.StopChannel(7);
    audio.PlaySample(blip, 8, 0);
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Not(testing::Contains(buffer)));

    // A sample that nobody holds any more says so and frees its buffer.
    auto spare = audio.LoadSample(blip_);
    std::uint32_t spareBuffer = spare->buffer;
    testing::internal::CaptureStdout();
    spare.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Discarding sample\n");
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(spareBuffer));
    auto next = audio.LoadSample(blip_);  // may reuse the name, but not listed
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Not(testing::Contains(spareBuffer)));
}

TEST_F(AudioDevice, OutOfSourcesTakesOneFromAStoppedChannelNeverFromMusic) {
    gxtkAudio audio({}, nullptr, 3);  // music takes one at start
    auto tone = audio.LoadSample(tone_);
    ASSERT_EQ(audio.PlayMusic(tone_, 1), 0);
    ASSERT_EQ(audio.PlaySample(tone, 0, 1), 0);
    ASSERT_EQ(audio.PlaySample(tone, 1, 1), 0);
    EXPECT_EQ(audio.PlaySample(tone, 2, 1), -1);  // every source is busy

    audio.StopChannel(1);
    EXPECT_EQ(audio.PlaySample(tone, 2, 1), 0);  // channel 1's source moved here
    EXPECT_EQ(audio.ChannelState(2), 1);
    EXPECT_EQ(audio.PlaySample(tone, 1, 1), -1);
    audio.StopMusic();
    EXPECT_EQ(audio.PlaySample(tone, 1, 1), -1);  // a stopped music channel keeps its own
    EXPECT_EQ(audio.PlayMusic(tone_, 0), 0);
    EXPECT_EQ(audio.MusicState(), 1);
}

TEST_F(AudioDevice, PlayedSampleIsHeardInTheMixAndPanMovesIt) {
    {
        gxtkAudio audio;
        auto sound = New<c_Sound>(audio.LoadSample(Wav("loud.wav", 200, 0.8)));
        audio.SetPan(0, 1.0f);  // about 57 degrees to the right
        PlaySound(sound, 0, 0);
        PlaySound(nullptr, 1, 0);
        ASSERT_TRUE(WaitFor([&] { return audio.ChannelState(0) == 0; }));
    }
    std::vector<std::int16_t> mix = CapturedMix();
    ASSERT_GT(mix.size(), 2u * 44100 / 10);
    double left = 0, right = 0;
    for (std::size_t i = 0; i + 1 < mix.size(); i += 2) {
        left += std::abs(mix[i]);
        right += std::abs(mix[i + 1]);
    }
    EXPECT_GT(right / (mix.size() / 2), 1000.0);
    EXPECT_GT(right, left * 1.5);
}

TEST_F(AudioDevice, WithoutOpenAlTheGameRunsSilently) {
    testing::internal::CaptureStdout();
    {
        gxtkAudio audio({}, "no such device");
        EXPECT_FALSE(audio.IsOpen());
        auto sample = audio.LoadSample(blip_);
        ASSERT_TRUE(sample);  // decoded, just never heard
        EXPECT_EQ(sample->buffer, 0u);
        EXPECT_EQ(audio.PlaySample(sample, 1, 0), -1);
        EXPECT_EQ(audio.ChannelState(1), 0);
        audio.SetVolume(1, 0.5f);
        audio.Suspend();
        audio.Resume();
        EXPECT_EQ(audio.PlayMusic(tone_, 1), 0);
        EXPECT_EQ(audio.MusicState(), 0);
    }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, testing::StartsWith("OpenAl error: alcOpenDevice failed\n"));
}

}  // namespace
