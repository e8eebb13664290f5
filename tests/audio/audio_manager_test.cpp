// audio_manager_test.cpp — the sound manager: registration, the channel
// search, settings and fades, music, the stage's effects, and focus loss. The
// checks of what plays run on real OpenAL; those of which channel holds what,
// when effects end and what a focus loss leaves paused run on the AL recorder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "audio/al_api.h"
#include "audio_fixtures.h"
#include "framework/audio_manager.h"
#include "support/al_recorder.h"
#include "working_directory.h"

using namespace audio_test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class SoundManager : public testing::Test {
protected:
    void SetUp() override { AudioManager::Init(); }
    void TearDown() override { AudioManager::Shutdown(); }

    static String Wav(const char* name, int milliseconds) {
        return S(WriteTempFile(name, MakeWav({1, 1, 16, 22050, 16, {}, SinePcm16(1, 22050, milliseconds)})));
    }
    // Output of a call, as printed to standard output.
    template <class F>
    static std::string Printed(F&& call) {
        testing::internal::CaptureStdout();
        call();
        return testing::internal::GetCapturedStdout();
    }

    gxtkAudio audio_;
    String tone_ = Wav("tone.wav", 300);
    String blip_ = Wav("blip.wav", 20);
};

TEST_F(SoundManager, RegistrationKeepsTheFirstFileAndWarnsOnMismatch) {
    String other = Wav("other.wav", 50);
    EXPECT_EQ(Printed([&] {
                  AudioManager::PreloadSFX(tone_, u"A", false);
                  AudioManager::PreloadSFX(tone_, u"A", false);
              }),
              "");
    Ref<c_SFX> first = AudioManager::FindSFX(u"A");
    ASSERT_TRUE(first && first->sound);

    std::string t = ToUtf8(tone_), o = ToUtf8(other);
    EXPECT_EQ(Printed([&] { AudioManager::PreloadSFX(other, u"A", true); }),
              "AudioManager::PreloadSFX WARNING!: Source mismatch for 'A'. Requested:'" + o + "' Existent: '" + t +
                  "'\n"
                  "AudioManager::PreloadSFX WARNING!: Persistence mismatch for 'A'. Requested:'True' Existent: "
                  "'False'\n");
    EXPECT_EQ(AudioManager::FindSFX(u"A"), first);
    EXPECT_EQ(first->path, tone_);
    EXPECT_FALSE(first->persistent);

    EXPECT_EQ(Printed([] { AudioManager::PreloadSFX(u"/nonexistent/x.wav", u"X", false); }),
              "Discarding sample\n"
              "AudioManager::PreloadSFX ERROR: Failed to load '/nonexistent/x.wav' as 'X'\n");
    EXPECT_EQ(AudioManager::FindSFX(u"X"), nullptr);
    EXPECT_EQ(AudioManager::PlaySFX(u"X"), -1);
    EXPECT_EQ(AudioManager::PlaySFX(u"NEVER"), -1);
}

TEST_F(SoundManager, ChannelSearchSkipsChannelsZeroAndOneAndSparesLoops) {
    AudioManager::PreloadSFX(tone_, u"TONE", false);
    for (int c = 2; c < 32; ++c) EXPECT_EQ(AudioManager::PlaySFX(u"TONE"), c);
    EXPECT_EQ(AudioManager::ChannelId(0), u"");
    EXPECT_EQ(AudioManager::ChannelId(1), u"");
    EXPECT_EQ(AudioManager::ChannelId(31), u"TONE");

    // All busy with one-shots: the first is cut off. Channels 0 and 1 stay free.
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE"), 2);
    AudioManager::PlaySFX(u"TONE", 2, true);
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE"), 3);
    for (int c = 2; c < 32; ++c) AudioManager::PlaySFX(u"TONE", c, true);
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE"), -1);
    EXPECT_EQ(AudioManager::ChannelId(1), u"");

    AudioManager::StopSFX(5);
    EXPECT_EQ(AudioManager::ChannelId(5), u"");
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE"), 5);
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE", 0), 0);  // named explicitly it is used
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE", 1), 1);
    EXPECT_EQ(AudioManager::PlaySFX(u"TONE", 32), -1);
    EXPECT_EQ(AudioManager::ChannelId(32), u"");
    EXPECT_EQ(AudioManager::ChannelId(-1), u"");
}

TEST_F(SoundManager, ChannelSettingsAreClamped) {
    struct Case {
        void (*set)(int, float);
        float given, stored;
        float c_PlaybackInfo::*field;
    };
    const Case cases[] = {
        {AudioManager::SetChannelRate, 3, 2, &c_PlaybackInfo::rate},
        {AudioManager::SetChannelRate, 0.1f, 0.5f, &c_PlaybackInfo::rate},
        {AudioManager::SetChannelPan, -5, -1, &c_PlaybackInfo::pan},
        {AudioManager::SetChannelPan, 0.25f, 0.25f, &c_PlaybackInfo::pan},
        {AudioManager::SetChannelVolume, 7, 1, &c_PlaybackInfo::volume},
        {AudioManager::SetChannelVolume, -1, 0, &c_PlaybackInfo::volume},
    };
    for (const Case& c : cases) {
        c.set(4, c.given);
        EXPECT_EQ(AudioManager::ChannelInfo(4)->*c.field, c.stored) << c.given;
    }
    AudioManager::SetChannelRate(32, 1.5f);  // ignored, nothing to store it in
    EXPECT_EQ(AudioManager::ChannelInfo(32), nullptr);

    AudioManager::PreloadSFX(tone_, u"TONE", false);
    ASSERT_EQ(AudioManager::PlaySFX(u"TONE", 3, true, nullptr, 9, 0), 3);
    EXPECT_EQ(AudioManager::ChannelInfo(3)->pan, 1);
    EXPECT_EQ(AudioManager::ChannelInfo(3)->rate, 0.5f);
    EXPECT_EQ(AudioManager::ChannelInfo(3)->volume, 1);
}

TEST_F(SoundManager, SoundSwitchSilencesAtNextUpdateAndRestoresTheFades) {
    AudioManager::PreloadSFX(tone_, u"TONE", false);
    auto fadeIn = New<c_Tween>(c_LinearEase::Shared(), 0.0f, 1.0f, 200);
    ASSERT_EQ(AudioManager::PlaySFX(u"TONE", 2, true, fadeIn), 2);
    AudioManager::PlayMusic(tone_, true);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 1);
    EXPECT_EQ(audio_.MusicState(), 1);

    AudioManager::Update(100);
    EXPECT_FLOAT_EQ(AudioManager::ChannelInfo(2)->volume, 0.5f);

    AudioManager::SetSoundOn(false);
    EXPECT_FALSE(AudioManager::IsSoundOn());
    EXPECT_EQ(AudioManager::MusicInfo().volume, 1);  // not before the update
    AudioManager::Update(50);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0);
    EXPECT_EQ(AudioManager::ChannelInfo(2)->volume, 0);
    EXPECT_EQ(audio_.MusicState(), 1);  // silenced, not stopped
    EXPECT_EQ(audio_.ChannelState(2), 1);

    AudioManager::SetSoundOn(true);
    AudioManager::Update(10);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 1);
    EXPECT_FLOAT_EQ(AudioManager::ChannelInfo(2)->volume, 0.8f);  // the fade went on meanwhile

    AudioManager::FadeChannelVolume(2, 1, 0);
    AudioManager::Update(100);
    EXPECT_EQ(AudioManager::ChannelInfo(2)->volume, 0);
    AudioManager::FadeMusicVolume(0.5f, 0, 1000);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0.5f);
    AudioManager::Update(500);
    EXPECT_FLOAT_EQ(AudioManager::MusicInfo().volume, 0.25f);
}

TEST_F(SoundManager, MusicByIdFadesInToHalfOverOneSecondAndLoops) {
    // The music table names files of the data folder under the working directory.
    fs::path dir = fs::path(ToUtf8(tone_)).parent_path() / "game";
    fs::create_directories(dir / "data" / "sfx");
    WriteTempFile("game/data/sfx/orbel_level_bgm.ogg", MakeOgg(1, 22050, 4000));
    WorkingDirectory inGame(dir);

    AudioManager::PlayMusicById(u"LEVEL_BGM");
    EXPECT_EQ(AudioManager::MusicInfo().id, u"sfx/orbel_level_bgm.ogg");
    EXPECT_TRUE(AudioManager::MusicInfo().loop);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0);
    EXPECT_EQ(audio_.MusicState(), 1);
    for (int i = 0; i < 5; ++i) AudioManager::Update(100);
    EXPECT_FLOAT_EQ(AudioManager::MusicInfo().volume, 0.25f);
    for (int i = 0; i < 5; ++i) AudioManager::Update(100);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0.5f);
    AudioManager::Update(100);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0.5f);
    std::this_thread::sleep_for(300ms);  // longer than the file: it loops
    EXPECT_EQ(audio_.MusicState(), 1);

    // Asked for again (the next level), the song goes on at its volume; one
    // faded out meanwhile (the way to the title) fades in again from there.
    AudioManager::PlayMusicById(u"LEVEL_BGM");
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0.5f);
    AudioManager::Update(100);
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0.5f);
    AudioManager::FadeMusicVolume(0.5f, 0, 100);
    AudioManager::Update(100);
    AudioManager::PlayMusicById(u"LEVEL_BGM");
    EXPECT_EQ(AudioManager::MusicInfo().volume, 0);
    for (int i = 0; i < 5; ++i) AudioManager::Update(100);
    EXPECT_FLOAT_EQ(AudioManager::MusicInfo().volume, 0.25f);
    EXPECT_EQ(audio_.MusicState(), 1);

    AudioManager::PlayMusicById(u"NO_SUCH_MUSIC");
    EXPECT_EQ(audio_.MusicState(), 0);
    AudioManager::Update(16);
    EXPECT_EQ(AudioManager::MusicInfo().id, u"");
    EXPECT_EQ(AudioManager::MusicFile(u"INTRO_BGM"), u"sfx/orbel_intro_bgm.ogg");
    EXPECT_EQ(AudioManager::MusicFile(u"CREDITS_BGM"), u"sfx/orbel_credits_bgm.ogg");
}

TEST_F(SoundManager, StageEffectsGoAtStageEndPersistentOnesStay) {
    const char* level[] = {"STEPS", "BOXFALL", "DOOR", "JUMP"};
    for (const char* id : level) AudioManager::PreloadSFX(tone_, S(id), false);
    AudioManager::PreloadSFX(blip_, u"MENU", true);
    ASSERT_EQ(AudioManager::PlaySFX(u"STEPS", 1, true), 1);
    Ref<c_SFX> steps = AudioManager::FindSFX(u"STEPS");
    std::uint32_t playingBuffer = steps->sound->sample->buffer;

    AudioManager::ReleaseStageSFX();
    for (const char* id : level) EXPECT_EQ(AudioManager::FindSFX(S(id)), nullptr) << id;
    EXPECT_EQ(steps->sound, nullptr);
    EXPECT_THAT(gxtkAudio::DiscardList(), testing::Contains(playingBuffer));
    ASSERT_TRUE(AudioManager::FindSFX(u"MENU"));
    EXPECT_TRUE(AudioManager::FindSFX(u"MENU")->sound);

    // The next level registers them again without a word.
    EXPECT_EQ(Printed([&] {
                  for (const char* id : level) AudioManager::PreloadSFX(tone_, S(id), false);
              }),
              "");
    for (const char* id : level) EXPECT_TRUE(AudioManager::FindSFX(S(id))) << id;
}

// The manager over a device on the AL recorder: an effect ends when the test
// says so, and every channel's source can be looked at.
class SoundManagerOnRecorder : public testing::Test {
protected:
    void SetUp() override {
        AudioManager::Init();
        for (const char16_t* id : {u"STEPS", u"JUMP", u"DOOR", u"LOOP"}) AudioManager::PreloadSFX(id, id, false);
    }
    void TearDown() override { AudioManager::Shutdown(); }

    al::Enum SourceState(const char16_t* id) const {
        const AlRecorder::Source* source = al_.SourceOf(AudioManager::FindSFX(id)->sound->sample->buffer);
        return source ? source->state : -1;
    }

    AlRecorder al_;
    AlApiScope seam_{al_};
    gxtkAudio audio_{MemoryLoader()};
};

TEST_F(SoundManagerOnRecorder, EffectsLeaveTheFootstepsChannelToTheFootsteps) {
    constexpr int kSteps = AudioManager::kFootstepsChannel;
    // Nobody walks: a jump and a door take channels of their own.
    int jump = AudioManager::PlaySFX(u"JUMP");
    int door = AudioManager::PlaySFX(u"DOOR");
    EXPECT_NE(jump, kSteps);
    EXPECT_NE(door, kSteps);
    AudioManager::Update(16);

    // Someone starts walking while both still sound: the level starts the
    // footsteps only on a free channel.
    ASSERT_EQ(AudioManager::ChannelId(kSteps), u"");
    ASSERT_EQ(AudioManager::PlaySFX(u"STEPS", kSteps, true), kSteps);
    AudioManager::Update(16);
    EXPECT_EQ(AudioManager::ChannelId(jump), u"JUMP");
    EXPECT_EQ(AudioManager::ChannelId(door), u"DOOR");
    EXPECT_EQ(SourceState(u"JUMP"), al::kPlaying);
    EXPECT_EQ(SourceState(u"STEPS"), al::kPlaying);

    // Walking stops, the effects end: the next effect still passes channel 1 by.
    AudioManager::StopSFX(kSteps);
    al_.EndOneShots();
    AudioManager::Update(16);
    EXPECT_NE(AudioManager::PlaySFX(u"JUMP"), kSteps);
}

TEST_F(SoundManagerOnRecorder, EndedEffectsFreeTheirChannel) {
    int oneShot = AudioManager::PlaySFX(u"JUMP");
    int loop = AudioManager::PlaySFX(u"LOOP", -1, true);
    AudioManager::Update(16);
    EXPECT_EQ(AudioManager::ChannelId(oneShot), u"JUMP");

    al_.EndOneShots();
    EXPECT_EQ(AudioManager::ChannelId(oneShot), u"JUMP");  // noticed at the next update
    AudioManager::Update(16);
    EXPECT_EQ(AudioManager::ChannelId(oneShot), u"");
    EXPECT_EQ(AudioManager::ChannelId(loop), u"LOOP");
    EXPECT_EQ(AudioManager::PlaySFX(u"DOOR"), oneShot);
}

TEST_F(SoundManagerOnRecorder, RegainedFocusRestartsOnlyWhatTheFocusLossPaused) {
    int loop = AudioManager::PlaySFX(u"LOOP", -1, true);
    int held = AudioManager::PlaySFX(u"DOOR", -1, true);
    AudioManager::PlayMusic(u"music", true);
    audio_.PauseChannel(held);  // the game's own pause

    // Losing and regaining the focus, as the host and the game answer it.
    audio_.Suspend();
    ASSERT_EQ(SourceState(u"LOOP"), al::kPaused);
    audio_.Resume();
    AudioManager::ResumeAll();
    EXPECT_EQ(SourceState(u"LOOP"), al::kPlaying);
    EXPECT_EQ(SourceState(u"DOOR"), al::kPaused);
    EXPECT_EQ(audio_.ChannelState(loop), 1);
    EXPECT_EQ(audio_.ChannelState(held), 2);
    EXPECT_EQ(audio_.MusicState(), 1);

    // Music the game paused stays paused too; what the focus loss paused
    // comes back even when only the game resumes it.
    audio_.PauseMusic();
    audio_.Suspend();
    AudioManager::ResumeAll();
    EXPECT_EQ(audio_.MusicState(), 2);
    EXPECT_EQ(audio_.ChannelState(held), 2);
    EXPECT_EQ(SourceState(u"DOOR"), al::kPaused);
    EXPECT_EQ(SourceState(u"LOOP"), al::kPlaying);
    EXPECT_THAT(al_.SourcesIn(al::kPaused), testing::SizeIs(2));

    audio_.ResumeChannel(held);  // the game's own resume still works
    EXPECT_EQ(SourceState(u"DOOR"), al::kPlaying);
}

}  // namespace
