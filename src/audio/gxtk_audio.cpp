// gxtk_audio.cpp — the OpenAL device, its channels and the discard list; it
// reaches OpenAL only through the seam of al_api.h.
#include "audio/gxtk_audio.h"

#include <algorithm>
#include <cmath>

#include "audio/al_api.h"
#include "host/runtime_error.h"

namespace {

gxtkAudio* g_current = nullptr;
std::uint64_t g_lastSerial = 0;

// Never destroyed: samples held by globals are freed during static
// destruction and still push their buffers here.
std::vector<std::uint32_t>& DiscardStorage() {
    static auto* list = new std::vector<std::uint32_t>;
    return *list;
}

al::Enum FormatOf(int bytesPerSample, int channelCount) {
    if (bytesPerSample == 1 && channelCount == 1) return al::kFormatMono8;
    if (bytesPerSample == 1 && channelCount == 2) return al::kFormatStereo8;
    if (bytesPerSample == 2 && channelCount == 1) return al::kFormatMono16;
    if (bytesPerSample == 2 && channelCount == 2) return al::kFormatStereo16;
    return 0;  // OpenAL refuses it and the buffer stays empty
}

}  // namespace

// ---- gxtkSample -------------------------------------------------------------

gxtkSample::~gxtkSample() {
    Discard();
    Print("Discarding sample");
}

void gxtkSample::Discard() {
    if (buffer == 0) return;
    if (g_current && g_current->serial_ == deviceSerial_) DiscardStorage().push_back(buffer);
    buffer = 0;
}

// ---- gxtkAudio: start-up and shut-down --------------------------------------

gxtkAudio::gxtkAudio(AudioLoader loader, const char* deviceName, int sourceLimit, StreamOpener opener)
    : al_(&Al()),
      sourceLimit_(sourceLimit),
      serial_(++g_lastSerial),
      loader_(std::move(loader)),
      opener_(std::move(opener)) {
    g_current = this;
    device_ = al_->OpenDevice(deviceName);
    context_ = device_ ? al_->CreateContext(device_) : nullptr;
    if (!device_) {
        Print("OpenAl error: alcOpenDevice failed");
    } else if (!context_) {
        Print("OpenAl error: alcCreateContext failed");
    } else if (!al_->MakeContextCurrent(context_)) {
        Print("OpenAl error: alcMakeContextCurrent failed");
    } else {
        open_ = true;
    }
    // Sources give only a direction, never a distance fade.
    if (open_) al_->DistanceModel(al::kNone);
    ObtainSource(kMusicChannel);
}

gxtkAudio::~gxtkAudio() {
    ReleaseMusic();
    if (open_) {
        for (Channel& ch : channels_) {
            if (ch.source == 0) continue;
            al_->SourceStop(ch.source);
            al_->Sourcei(ch.source, al::kBuffer, 0);
            al_->DeleteSources(1, &ch.source);
            ch.source = 0;
        }
    }
    // Releasing the channels' samples puts their buffers on the discard list,
    // which can be emptied now that no source holds a buffer.
    for (Channel& ch : channels_) ch.sample.reset();
    auto& list = DiscardStorage();
    if (open_ && !list.empty()) al_->DeleteBuffers(static_cast<int>(list.size()), list.data());
    list.clear();
    if (g_current == this) g_current = nullptr;
    if (context_) {
        if (al_->GetCurrentContext() == context_) al_->MakeContextCurrent(nullptr);
        al_->DestroyContext(context_);
    }
    if (device_) al_->CloseDevice(device_);
}

gxtkAudio* gxtkAudio::Current() { return g_current; }

const std::vector<std::uint32_t>& gxtkAudio::DiscardList() { return DiscardStorage(); }

// ---- sources ----------------------------------------------------------------

int gxtkAudio::SourceState(std::uint32_t source) const {
    int state = al::kInitial;
    if (open_ && source != 0) al_->GetSourcei(source, al::kSourceState, &state);
    return state;
}

std::uint32_t gxtkAudio::ObtainSource(int channel) {
    Channel& ch = channels_[channel];
    if (ch.source != 0 || !open_) return ch.source;
    if (sourceLimit_ <= 0 || sourcesMade_ < sourceLimit_) {
        al_->GetError();
        std::uint32_t source = 0;
        al_->GenSources(1, &source);
        if (al_->GetError() == al::kNoError && source != 0) {
            ++sourcesMade_;
            ch.source = source;
            return source;
        }
    }
    // Out of sources: take one from a stopped effect channel. The music
    // channel is outside the scan and never gives its source away.
    for (int i = 0; i < kEffectChannels; ++i) {
        if (i == channel || channels_[i].source == 0 || ChannelState(i) != 0) continue;
        ch.source = channels_[i].source;
        channels_[i].source = 0;
        return ch.source;
    }
    return 0;
}

// ---- loading ----------------------------------------------------------------

Ref<gxtkSample> gxtkAudio::LoadSample(StringView path) {
    FlushDiscarded();
    auto sample = New<gxtkSample>();
    if (!LoadSampleData(*sample, path)) return nullptr;
    return sample;
}

bool gxtkAudio::LoadSampleData(gxtkSample& sample, StringView path) {
    std::optional<AudioData> audio = loader_ ? loader_(path) : LoadAudioFile(path);
    if (!audio) return false;
    sample.Discard();         // reloading a sample must not strand its old buffer
    if (!open_) return true;  // silent: the sample exists but has no buffer
    al_->GetError();
    std::uint32_t buffer = 0;
    al_->GenBuffers(1, &buffer);
    if (al_->GetError() != al::kNoError || buffer == 0) return true;
    al_->BufferData(buffer, FormatOf(audio->bytesPerSample, audio->channelCount), audio->data.data(),
                    static_cast<int>(audio->data.size()), audio->sampleRate);
    sample.buffer = buffer;
    sample.deviceSerial_ = serial_;
    return true;
}

void gxtkAudio::FlushDiscarded() {
    auto& list = DiscardStorage();
    if (list.empty() || !open_) return;
    // A stopped source still holds its buffer; let go of it so the buffer
    // can be deleted. Playing and paused sources keep theirs (and the buffer
    // stays listed until they stop).
    // A stream's source is left alone: it stops whenever its queue runs dry.
    for (int c = 0; c < kChannelCount; ++c) {
        Channel& ch = channels_[c];
        if (c == kMusicChannel && music_.stream) continue;
        if (ch.source != 0 && SourceState(ch.source) == al::kStopped) al_->Sourcei(ch.source, al::kBuffer, 0);
    }
    list.erase(std::remove_if(list.begin(), list.end(),
                              [this](std::uint32_t buffer) {
                                  al_->GetError();
                                  al_->DeleteBuffers(1, &buffer);
                                  return al_->GetError() == al::kNoError;
                              }),
               list.end());
}

// ---- playing ----------------------------------------------------------------

int gxtkAudio::PlaySample(const Ref<gxtkSample>& sample, int channel, int flags) {
    if (!sample || !ValidChannel(channel)) return -1;
    if (channel == kMusicChannel) ReleaseMusic();
    FlushDiscarded();
    std::uint32_t source = ObtainSource(channel);
    if (source == 0) return -1;
    al_->SourceStop(source);
    al_->Sourcei(source, al::kBuffer, static_cast<int>(sample->buffer));
    al_->Sourcei(source, al::kLooping, flags != 0 ? al::kTrue : al::kFalse);
    al_->SourcePlay(source);
    Channel& ch = channels_[channel];
    ch.sample = sample;
    ch.flags = flags;
    ch.state = 1;
    return 0;
}

void gxtkAudio::StopChannel(int channel) {
    if (!ValidChannel(channel)) return;
    Channel& ch = channels_[channel];
    if (channel == kMusicChannel) ReleaseMusic();
    if (ch.state == 0) return;
    if (ch.source != 0) al_->SourceStop(ch.source);
    ch.state = 0;
}

void gxtkAudio::PauseChannel(int channel) {
    if (!ValidChannel(channel)) return;
    Channel& ch = channels_[channel];
    if (ch.state != 1) return;
    if (SourceEnded(channel)) {
        ch.state = 0;  // it had already ended
        if (channel == kMusicChannel) ReleaseMusic();
        return;
    }
    if (ch.source != 0) al_->SourcePause(ch.source);
    ch.state = 2;
}

void gxtkAudio::ResumeChannel(int channel) {
    if (!ValidChannel(channel)) return;
    Channel& ch = channels_[channel];
    if (ch.state != 2) return;
    // A stream paused after its queue ran dry must not replay what it played.
    if (channel == kMusicChannel) RefillMusic();
    if (ch.source != 0) al_->SourcePlay(ch.source);
    ch.state = 1;
}

int gxtkAudio::ChannelState(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& ch = channels_[channel];
    if (ch.state == 1 && SourceEnded(channel)) {
        ch.state = 0;
        if (channel == kMusicChannel) ReleaseMusic();
    }
    return ch.state;
}

bool gxtkAudio::SourceEnded(int channel) const {
    const Channel& ch = channels_[channel];
    if (SourceState(ch.source) != al::kStopped) return false;
    // A stream whose queue ran dry goes on at the next Update; it has ended
    // only once the decoder has nothing more.
    if (channel == kMusicChannel && music_.stream) return music_.drained;
    return true;
}

void gxtkAudio::Suspend() {
    for (Channel& ch : channels_) {
        if (ch.state == 1 && SourceState(ch.source) == al::kPlaying) al_->SourcePause(ch.source);
    }
}

void gxtkAudio::Resume() {
    for (Channel& ch : channels_) {
        if (ch.state == 1 && SourceState(ch.source) == al::kPaused) al_->SourcePlay(ch.source);
    }
}

// ---- properties -------------------------------------------------------------

void gxtkAudio::SetVolume(int channel, float volume) {
    if (!ValidChannel(channel)) return;
    if (std::uint32_t source = ObtainSource(channel)) al_->Sourcef(source, al::kGain, volume);
}

void gxtkAudio::SetPan(int channel, float pan) {
    if (!ValidChannel(channel)) return;
    if (std::uint32_t source = ObtainSource(channel)) {
        al_->Source3f(source, al::kPosition, std::sin(pan), 0.0f, -std::cos(pan));
    }
}

void gxtkAudio::SetRate(int channel, float rate) {
    if (!ValidChannel(channel)) return;
    if (std::uint32_t source = ObtainSource(channel)) al_->Sourcef(source, al::kPitch, rate);
}

// ---- music ------------------------------------------------------------------

int gxtkAudio::PlayMusic(StringView path, int flags) {
    const bool loop = flags != 0;
    if (music_.stream && music_.path == path && music_.loop == loop && ChannelState(kMusicChannel) != 0) return 0;
    StopMusic();
    FlushDiscarded();
    std::unique_ptr<AudioStream> stream;
    if (opener_) {
        stream = opener_(path);
    } else if (loader_) {
        if (auto audio = loader_(path)) stream = PcmStream(std::move(*audio));
    } else {
        stream = OpenAudioStream(path);
    }
    if (!stream) return -1;
    if (!open_) return 0;  // silent: the music exists but has nowhere to play
    // Rates OpenAL plays; a damaged header may claim anything.
    constexpr int kMaxRate = 192000;
    const al::Enum format = FormatOf(2, stream->channelCount);
    if (format == 0 || stream->sampleRate <= 0 || stream->sampleRate > kMaxRate) return -1;
    const std::uint32_t source = ObtainSource(kMusicChannel);
    if (source == 0) return -1;

    al_->GetError();
    al_->GenBuffers(kStreamBuffers, music_.buffers.data());
    if (al_->GetError() != al::kNoError) {
        music_.buffers.fill(0);
        return -1;
    }
    music_.stream = std::move(stream);
    music_.path = String(path);
    music_.loop = loop;
    music_.drained = false;
    music_.format = format;
    music_.bufferFrames = std::max(1, music_.stream->sampleRate * kStreamBufferMs / 1000);
    music_.pcm.assign(static_cast<std::size_t>(music_.bufferFrames) * music_.stream->channelCount, 0);

    al_->SourceStop(source);
    al_->Sourcei(source, al::kBuffer, 0);
    al_->Sourcei(source, al::kLooping, al::kFalse);
    for (std::uint32_t buffer : music_.buffers) {
        if (!FillMusicBuffer(buffer)) break;
        al_->SourceQueueBuffers(source, 1, &buffer);
    }
    al_->SourcePlay(source);
    Channel& ch = channels_[kMusicChannel];
    ch.sample = nullptr;
    ch.flags = flags;
    ch.state = 1;
    return 0;
}

bool gxtkAudio::FillMusicBuffer(std::uint32_t buffer) {
    if (music_.drained) return false;
    const int channels = music_.stream->channelCount;
    int filled = 0;
    bool rewound = false;
    while (filled < music_.bufferFrames) {
        const int got = music_.stream->Read(music_.pcm.data() + static_cast<std::size_t>(filled) * channels,
                                            music_.bufferFrames - filled);
        if (got > 0) {
            filled += got;
            rewound = false;
            continue;
        }
        // The loop's end runs straight into its start inside one buffer, so
        // the seam has neither a gap nor a click. A stream that gives nothing
        // right after rewinding has nothing to loop.
        if (!music_.loop || rewound || !music_.stream->Rewind()) {
            music_.drained = true;
            break;
        }
        rewound = true;
    }
    if (filled == 0) return false;
    al_->BufferData(buffer, music_.format, music_.pcm.data(),
                    filled * channels * static_cast<int>(sizeof(std::int16_t)), music_.stream->sampleRate);
    return true;
}

void gxtkAudio::RefillMusic() {
    const std::uint32_t source = channels_[kMusicChannel].source;
    if (!music_.stream || !open_ || source == 0) return;
    int processed = 0;
    al_->GetSourcei(source, al::kBuffersProcessed, &processed);
    for (; processed > 0; --processed) {
        std::uint32_t buffer = 0;
        al_->SourceUnqueueBuffers(source, 1, &buffer);
        if (buffer != 0 && FillMusicBuffer(buffer)) al_->SourceQueueBuffers(source, 1, &buffer);
    }
}

void gxtkAudio::Update() {
    Channel& ch = channels_[kMusicChannel];
    if (!music_.stream || ch.state == 0) return;
    RefillMusic();
    if (ch.state != 1 || SourceState(ch.source) != al::kStopped) return;
    int queued = 0;
    al_->GetSourcei(ch.source, al::kBuffersQueued, &queued);
    if (queued > 0) {
        // The queue ran dry before this update: it was refilled from where
        // the decoder stopped, so the song goes on from there.
        al_->SourcePlay(ch.source);
    } else {
        ch.state = 0;  // played to its end
        ReleaseMusic();
    }
}

void gxtkAudio::ReleaseMusic() {
    if (!music_.stream) return;
    const std::uint32_t source = channels_[kMusicChannel].source;
    if (open_) {
        if (source != 0) {
            al_->SourceStop(source);
            al_->Sourcei(source, al::kBuffer, 0);  // takes the whole queue off
        }
        al_->DeleteBuffers(kStreamBuffers, music_.buffers.data());
    }
    music_.buffers.fill(0);
    music_.stream.reset();
    music_.path.clear();
    music_.pcm = {};
    music_.drained = false;
}

void gxtkAudio::WarmUpSources() {
    if (warmedUp_ || !open_) return;
    warmedUp_ = true;
    std::uint32_t silence = 0;
    al_->GetError();
    al_->GenBuffers(1, &silence);
    if (al_->GetError() != al::kNoError || silence == 0) return;
    const std::array<std::int16_t, 64> zeros{};
    al_->BufferData(silence, al::kFormatMono16, zeros.data(), static_cast<int>(sizeof zeros), 22050);
    // All at once, as many sources as the game may have playing together.
    std::array<std::uint32_t, kChannelCount> played{};
    int count = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        if (channels_[c].state != 0) continue;
        const std::uint32_t source = ObtainSource(c);
        if (source == 0) continue;
        al_->Sourcei(source, al::kBuffer, static_cast<int>(silence));
        al_->Sourcei(source, al::kLooping, al::kFalse);
        al_->SourcePlay(source);
        played[count++] = source;
    }
    for (int i = 0; i < count; ++i) {
        al_->SourceStop(played[i]);
        al_->Sourcei(played[i], al::kBuffer, 0);
    }
    al_->DeleteBuffers(1, &silence);
}
