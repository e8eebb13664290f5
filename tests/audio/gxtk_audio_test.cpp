// gxtk_audio_test.cpp — the audio device: channel states, pause, suspend and
// resume, discarded buffers and running out of sources on the AL recorder,
// where every source can be inspected; what is heard, and a missing device, on
// real OpenAL.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

#include "audio/al_api.h"
#include "audio/gxtk_audio.h"
#include "audio/sound.h"
#include "audio_fixtures.h"
#include "support/al_recorder.h"

using namespace audio_test;
using namespace std::chrono_literals;
using testing::IsEmpty;
using testing::SizeIs;

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

// The device on the recorder: each sample has its own buffer, so a channel's
// source is found by the sample it plays.
class AudioChannels : public testing::Test {
protected:
    al::Enum StateOf(const Ref<gxtkSample>& sample) const {
        const AlRecorder::Source* source = al_.SourceOf(sample->buffer);
        return source ? source->state : -1;
    }

    AlRecorder al_;
    AlApiScope seam_{al_};
};

TEST_F(AudioChannels, ChannelStatesFollowTheirSources) {
    gxtkAudio audio(MemoryLoader());
    ASSERT_TRUE(audio.IsOpen());
    EXPECT_EQ(gxtkAudio::Current(), &audio);
    EXPECT_EQ(al_.distanceModel, al::kNone);
    Ref<gxtkSample> s3 = audio.LoadSample(u"a"), s4 = audio.LoadSample(u"b"), s5 = audio.LoadSample(u"c"),
                    s6 = audio.LoadSample(u"d");
    ASSERT_TRUE(s3 && s4 && s5 && s6);
    EXPECT_EQ(al_.buffers.at(s3->buffer).size, 4410);
    EXPECT_EQ(al_.buffers.at(s3->buffer).format, al::kFormatMono16);

    ASSERT_EQ(audio.PlaySample(s3, 3, 0), 0);
    ASSERT_EQ(audio.PlaySample(s5, 5, 0), 0);
    ASSERT_EQ(audio.PlaySample(s4, 4, 2), 0);  // any non-zero flags loop
    ASSERT_EQ(audio.PlaySample(s6, 6, 1), 0);
    EXPECT_FALSE(al_.SourceOf(s3->buffer)->looping);
    EXPECT_TRUE(al_.SourceOf(s4->buffer)->looping);
    EXPECT_TRUE(al_.SourceOf(s6->buffer)->looping);
    EXPECT_EQ(audio.ChannelState(3), 1);

    al_.EndOneShots();
    EXPECT_EQ(audio.ChannelState(3), 0);
    audio.PauseChannel(5);  // it had ended on its own: stays stopped, not paused
    EXPECT_EQ(audio.ChannelState(5), 0);
    EXPECT_EQ(StateOf(s5), al::kStopped);
    EXPECT_EQ(audio.ChannelState(4), 1);
    EXPECT_EQ(audio.ChannelState(6), 1);

    audio.PauseChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 2);
    EXPECT_EQ(StateOf(s4), al::kPaused);
    audio.ResumeChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 1);
    EXPECT_EQ(StateOf(s4), al::kPlaying);
    audio.StopChannel(4);
    EXPECT_EQ(audio.ChannelState(4), 0);
    audio.ResumeChannel(4);  // only a paused channel resumes
    EXPECT_EQ(audio.ChannelState(4), 0);
    EXPECT_EQ(StateOf(s4), al::kStopped);
    EXPECT_EQ(StateOf(s6), al::kPlaying);

    // Indices outside the 33 channels are ignored.
    EXPECT_EQ(audio.PlaySample(s3, 33, 0), -1);
    EXPECT_EQ(audio.PlaySample(s3, -1, 0), -1);
    EXPECT_EQ(audio.ChannelState(40), 0);
    audio.SetVolume(-2, 1.0f);
    audio.PauseChannel(33);
    EXPECT_THAT(al_.SourcesIn(al::kPaused), IsEmpty());
}

TEST_F(AudioChannels, SuspendPausesWhatPlaysAndResumeRestartsOnlyThat) {
    gxtkAudio audio(MemoryLoader());
    Ref<gxtkSample> loop = audio.LoadSample(u"loop"), paused = audio.LoadSample(u"paused"),
                    ended = audio.LoadSample(u"ended");
    audio.PlaySample(loop, 1, 1);
    audio.PlaySample(paused, 2, 1);
    audio.PauseChannel(2);
    audio.PlaySample(ended, 3, 0);
    al_.End(al_.NameOf(ended->buffer));  // the one-shot ends before the focus goes
    ASSERT_EQ(audio.PlayMusic(u"music", 1), 0);
    ASSERT_THAT(al_.SourcesIn(al::kPlaying), SizeIs(2));  // the loop and the music
    ASSERT_THAT(al_.SourcesIn(al::kPaused), SizeIs(1));

    audio.Suspend();
    EXPECT_THAT(al_.SourcesIn(al::kPlaying), IsEmpty());
    EXPECT_THAT(al_.SourcesIn(al::kPaused), SizeIs(3));
    EXPECT_EQ(audio.ChannelState(1), 1);  // the program still counts it as playing
    EXPECT_EQ(audio.ChannelState(2), 2);
    EXPECT_EQ(audio.MusicState(), 1);

    audio.Resume();
    audio.Resume();  // a second resume finds nothing more to restart
    EXPECT_EQ(StateOf(loop), al::kPlaying);
    EXPECT_EQ(al_.SourceOf(loop->buffer)->plays, 2);  // resumed once, not restarted from its start
    EXPECT_EQ(StateOf(paused), al::kPaused);
    EXPECT_EQ(StateOf(ended), al::kStopped);
    EXPECT_THAT(al_.SourcesIn(al::kPlaying), SizeIs(2));
    EXPECT_EQ(audio.ChannelState(1), 1);
    EXPECT_EQ(audio.ChannelState(2), 2);
    EXPECT_EQ(audio.ChannelState(3), 0);
    EXPECT_EQ(audio.MusicState(), 1);
    audio.ResumeChannel(2);
    EXPECT_EQ(audio.ChannelState(2), 1);
    EXPECT_EQ(StateOf(paused), al::kPlaying);
}

TEST_F(AudioChannels, MusicThatCannotLoadLeavesNoMusic) {
    gxtkAudio audio(MemoryLoader());
    ASSERT_EQ(audio.PlayMusic(u"music", 1), 0);
    EXPECT_EQ(audio.MusicState(), 1);
    EXPECT_EQ(audio.PlayMusic(u"missing music", 1), -1);
    EXPECT_EQ(audio.MusicState(), 0);
    EXPECT_THAT(al_.SourcesIn(al::kPlaying), IsEmpty());
    EXPECT_EQ(audio.LoadSample(u"missing sound"), nullptr);
}

TEST_F(AudioChannels, SettingsMadeBeforePlayingStayWithThePlay) {
    gxtkAudio audio(MemoryLoader());
    Ref<gxtkSample> sample = audio.LoadSample(u"a");
    struct Case {
        float pan;
        float x, z;  // where the source is put: ahead is -z, right is +x
    };
    const Case cases[] = {{0, 0, -1}, {std::numbers::pi_v<float> / 2, 1, 0}, {-std::numbers::pi_v<float> / 2, -1, 0}};
    for (const Case& c : cases) {
        audio.SetVolume(7, 0.25f);
        audio.SetRate(7, 1.5f);
        audio.SetPan(7, c.pan);
        ASSERT_EQ(audio.PlaySample(sample, 7, 0), 0);
        const AlRecorder::Source* source = al_.SourceOf(sample->buffer);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->gain, 0.25f);
        EXPECT_EQ(source->pitch, 1.5f);
        EXPECT_NEAR(source->position[0], c.x, 1e-6) << c.pan;
        EXPECT_EQ(source->position[1], 0) << c.pan;
        EXPECT_NEAR(source->position[2], c.z, 1e-6) << c.pan;
    }
}

TEST_F(AudioChannels, DiscardedBufferWaitsUntilItsChannelStops) {
    gxtkAudio audio(MemoryLoader());
    auto tone = audio.LoadSample(u"tone");
    auto blip = audio.LoadSample(u"blip");
    audio.PlaySample(tone, 7, 1);
    std::uint32_t buffer = tone->buffer;
    tone->Discard();
    EXPECT_EQ(tone->buffer, 0u);
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(buffer));

    audio.PlaySample(blip, 8, 0);  // flushes: the buffer is still playing
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(buffer));
    EXPECT_TRUE(al_.buffers.contains(buffer));
    EXPECT_EQ(audio.ChannelState(7), 1);

    audio.StopChannel(7);
    audio.PlaySample(blip, 8, 0);
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Not(testing::Contains(buffer)));
    EXPECT_FALSE(al_.buffers.contains(buffer));

    // A sample that nobody holds any more says so and frees its buffer.
    auto spare = audio.LoadSample(u"spare");
    std::uint32_t spareBuffer = spare->buffer;
    testing::internal::CaptureStdout();
    spare.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Discarding sample\n");
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(spareBuffer));
    auto next = audio.LoadSample(u"next");
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Not(testing::Contains(spareBuffer)));
    EXPECT_FALSE(al_.buffers.contains(spareBuffer));
}

TEST_F(AudioChannels, ClosingDeletesEverySourceAndReleasedBuffer) {
    {
        gxtkAudio audio(MemoryLoader());
        audio.PlaySample(audio.LoadSample(u"a"), 0, 1);
        audio.PlaySample(audio.LoadSample(u"b"), 5, 0);
        audio.SetVolume(9, 0.5f);  // a source made for a channel that never played
        ASSERT_EQ(audio.PlayMusic(u"music", 1), 0);
        ASSERT_THAT(al_.sources, SizeIs(4));
        ASSERT_THAT(al_.buffers, SizeIs(2 + gxtkAudio::kStreamBuffers));  // two samples and the music queue
    }
    EXPECT_THAT(al_.sources, IsEmpty());
    EXPECT_THAT(al_.buffers, IsEmpty());
    EXPECT_FALSE(al_.contextAlive);
    EXPECT_FALSE(al_.deviceOpen);
    EXPECT_EQ(al_.current, nullptr);
    EXPECT_EQ(gxtkAudio::Current(), nullptr);
}

TEST_F(AudioChannels, OutOfSourcesTakesOneFromAStoppedChannelNeverFromMusic) {
    // The device's own limit and an OpenAL that runs out end the same way.
    struct Case {
        int deviceLimit, openAlLimit;
    };
    for (Case c : {Case{3, 0}, Case{0, 3}}) {
        SCOPED_TRACE(testing::Message() << "device limit " << c.deviceLimit << ", OpenAL limit " << c.openAlLimit);
        al_.sourceLimit = c.openAlLimit;
        gxtkAudio audio(MemoryLoader(), nullptr, c.deviceLimit);  // music takes one at start
        auto tone = audio.LoadSample(u"tone");
        ASSERT_EQ(audio.PlayMusic(u"music", 1), 0);
        ASSERT_EQ(audio.PlaySample(tone, 0, 1), 0);
        ASSERT_EQ(audio.PlaySample(tone, 1, 1), 0);
        EXPECT_EQ(audio.PlaySample(tone, 2, 1), -1);  // every source is busy
        EXPECT_THAT(al_.sources, SizeIs(3));

        audio.StopChannel(1);
        EXPECT_EQ(audio.PlaySample(tone, 2, 1), 0);  // channel 1's source moved here
        EXPECT_EQ(audio.ChannelState(2), 1);
        EXPECT_THAT(al_.SourcesIn(al::kPlaying), SizeIs(3));
        EXPECT_EQ(audio.PlaySample(tone, 1, 1), -1);
        audio.StopMusic();
        EXPECT_EQ(audio.PlaySample(tone, 1, 1), -1);  // a stopped music channel keeps its own
        EXPECT_EQ(audio.PlayMusic(u"music", 0), 0);
        EXPECT_EQ(audio.MusicState(), 1);
    }
}

TEST_F(AudioChannels, AnOpenAlThatFailsToStartLeavesASilentDevice) {
    struct Case {
        bool AlRecorder::*refuse;
        const char* message;
    };
    const Case cases[] = {
        {&AlRecorder::refuseDevice, "OpenAl error: alcOpenDevice failed\n"},
        {&AlRecorder::refuseContext, "OpenAl error: alcCreateContext failed\n"},
        {&AlRecorder::refuseCurrent, "OpenAl error: alcMakeContextCurrent failed\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        AlRecorder al;
        AlApiScope seam(al);
        al.*c.refuse = true;
        testing::internal::CaptureStdout();
        {
            gxtkAudio audio(MemoryLoader());
            EXPECT_FALSE(audio.IsOpen());
            auto sample = audio.LoadSample(u"a");
            ASSERT_TRUE(sample);  // decoded, just never heard
            EXPECT_EQ(sample->buffer, 0u);
            EXPECT_EQ(audio.PlaySample(sample, 1, 0), -1);
            audio.SetVolume(1, 0.5f);
            audio.Suspend();
            audio.Resume();
            EXPECT_EQ(audio.PlayMusic(u"music", 1), 0);
            EXPECT_EQ(audio.MusicState(), 0);
        }
        EXPECT_THAT(testing::internal::GetCapturedStdout(), testing::StartsWith(c.message));
        EXPECT_EQ(al.errors, 0);  // nothing was asked of OpenAL without a context
        EXPECT_THAT(al.sources, IsEmpty());
        EXPECT_FALSE(al.contextAlive);
        EXPECT_FALSE(al.deviceOpen);
    }
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
