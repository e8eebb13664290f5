// gxtk_audio.h — the audio device: OpenAL with 32 effect channels and one
// music channel, and the samples it plays.
//
// Samples are decoded whole into one OpenAL buffer each. Music is streamed
// instead: the music channel's source plays a queue of kStreamBuffers short
// buffers that Update refills from an AudioStream as they are played, wrapping
// to the song's start when it loops, so a song costs a second of PCM however
// long it is. A stopped song gives its buffers back to OpenAL at once. Sources are made
// lazily and taken over from stopped effect channels when OpenAL has no more,
// so the game works with fewer sources than channels. The device keeps its
// own view of each channel (stopped, playing, paused) and asks OpenAL only to
// notice that a one-shot sound has ended.
//
// OpenAL refuses to delete a buffer that a source still holds, so a
// discarded sample's buffer goes onto a process-wide discard list, flushed
// whenever a sample is loaded or played.
//
// If OpenAL cannot be opened the constructor prints one "OpenAl error: ..."
// line and every later call is a harmless no-op: the game runs silent.
//
// OpenAL is reached only through the AlApi seam (al_api.h) that was installed
// when the device was made.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "host/audio_data.h"
#include "host/object.h"

class AlApi;
class gxtkAudio;

// One decoded sound: an OpenAL buffer name, 0 when it has none.
class gxtkSample final : public Object {
public:
    gxtkSample() = default;
    // Frees the buffer through the discard list and prints "Discarding sample".
    ~gxtkSample() override;
    String ToString() const override { return u"gxtkSample"; }

    // Moves the buffer onto the discard list; the sample is empty afterwards.
    void Discard();

    std::uint32_t buffer = 0;

private:
    friend class gxtkAudio;
    // Which device made the buffer: a buffer of a device that is gone must
    // not be deleted in a later device, which may reuse its name.
    std::uint64_t deviceSerial_ = 0;
};

class gxtkAudio final : public Object {
public:
    static constexpr int kChannelCount = 33;
    static constexpr int kEffectChannels = 32;
    static constexpr int kMusicChannel = 32;

    // The music queue: this many buffers of kStreamBufferMs each.
    static constexpr int kStreamBuffers = 4;
    static constexpr int kStreamBufferMs = 250;

    // Decodes a path of the data folder (LoadAudioFile by default).
    using AudioLoader = std::function<std::optional<AudioData>(StringView path)>;
    // Opens a path of the data folder for streaming.
    using StreamOpener = std::function<std::unique_ptr<AudioStream>(StringView path)>;

    // Opens the OpenAL device (by name, or the default one when null) and
    // registers itself as the process-wide device. A positive sourceLimit makes
    // the device ask OpenAL for no more sources than that, as if OpenAL had
    // run out (the game leaves the limit to OpenAL). Music is opened by
    // `opener`; without one, from what `loader` decodes, and without either
    // by OpenAudioStream.
    explicit gxtkAudio(AudioLoader loader = {}, const char* deviceName = nullptr, int sourceLimit = 0,
                       StreamOpener opener = {});
    // Not part of the game's run (the device lives as long as the program),
    // but tests make several: stops everything and closes OpenAL.
    ~gxtkAudio() override;
    String ToString() const override { return u"gxtkAudio"; }

    // The process-wide device, or null before one is made.
    static gxtkAudio* Current();

    // Whole-application pause: channels the game paused itself stay paused
    // across Suspend and Resume.
    void Suspend();
    void Resume();

    Ref<gxtkSample> LoadSample(StringView path);
    bool LoadSampleData(gxtkSample& sample, StringView path);
    // Any non-zero flags value loops. 0, or -1 when no source could be had.
    int PlaySample(const Ref<gxtkSample>& sample, int channel, int flags);
    void StopChannel(int channel);
    void PauseChannel(int channel);
    void ResumeChannel(int channel);
    // 0 stopped, 1 playing, 2 paused.
    int ChannelState(int channel);
    void SetVolume(int channel, float volume);
    // Pan is an angle in radians on a circle around the listener: 0 ahead,
    // positive to the right.
    void SetPan(int channel, float pan);
    void SetRate(int channel, float rate);

    // Streams the file on the music channel (any non-zero flags loop). The
    // same file already playing or paused with the same flags goes on where
    // it is. -1 when the file cannot be opened (the old music is stopped
    // either way).
    int PlayMusic(StringView path, int flags);
    // Stops the music and frees its buffers and decoder.
    void StopMusic() { StopChannel(kMusicChannel); }
    void PauseMusic() { PauseChannel(kMusicChannel); }
    void ResumeMusic() { ResumeChannel(kMusicChannel); }
    int MusicState() { return ChannelState(kMusicChannel); }
    void SetMusicVolume(float volume) { SetVolume(kMusicChannel, volume); }

    // Once per game update: refills the music's played buffers, and starts
    // the music again where it was when its queue ran dry (a long frame).
    // Allocates nothing.
    void Update();
    // Makes every channel's source and plays each once, silently, so that
    // OpenAL sets up what a source's first start needs now rather than in a
    // game update. Only the first call does anything.
    void WarmUpSources();
    // The file streaming on the music channel; empty when none.
    const String& MusicPath() const { return music_.path; }

    // True when OpenAL opened and its context is current.
    bool IsOpen() const { return open_; }

    // Buffers of discarded samples that OpenAL has not let go of yet.
    static const std::vector<std::uint32_t>& DiscardList();

private:
    friend class gxtkSample;

    struct Channel {
        std::uint32_t source = 0;
        Ref<gxtkSample> sample;
        int flags = 0;
        int state = 0;
    };

    // The streamed song: its decoder, the buffers it cycles through (named
    // while a song plays) and one buffer's worth of PCM to decode into.
    struct Music {
        std::unique_ptr<AudioStream> stream;
        String path;
        bool loop = false;
        bool drained = false;  // the decoder has given its last frame
        int format = 0;
        int bufferFrames = 0;
        std::vector<std::int16_t> pcm;
        std::array<std::uint32_t, kStreamBuffers> buffers{};
    };

    static bool ValidChannel(int channel) { return channel >= 0 && channel < kChannelCount; }
    bool FillMusicBuffer(std::uint32_t buffer);
    void RefillMusic();
    void ReleaseMusic();
    bool SourceEnded(int channel) const;
    std::uint32_t ObtainSource(int channel);
    int SourceState(std::uint32_t source) const;
    void FlushDiscarded();

    AlApi* al_;
    void* device_ = nullptr;   // ALCdevice*
    void* context_ = nullptr;  // ALCcontext*
    bool open_ = false;
    int sourceLimit_ = 0;
    int sourcesMade_ = 0;
    std::uint64_t serial_ = 0;
    bool warmedUp_ = false;
    std::array<Channel, kChannelCount> channels_{};
    AudioLoader loader_;
    StreamOpener opener_;
    Music music_;
};
