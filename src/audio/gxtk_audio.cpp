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

gxtkAudio::gxtkAudio(AudioLoader loader, const char* deviceName, int sourceLimit)
    : al_(&Al()), sourceLimit_(sourceLimit), serial_(++g_lastSerial), loader_(std::move(loader)) {
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
    for (Channel& ch : channels_) {
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
    if (ch.state == 0) return;
    if (ch.source != 0) al_->SourceStop(ch.source);
    ch.state = 0;
}

void gxtkAudio::PauseChannel(int channel) {
    if (!ValidChannel(channel)) return;
    Channel& ch = channels_[channel];
    if (ch.state != 1) return;
    if (SourceState(ch.source) == al::kStopped) {
        ch.state = 0;  // it had already ended
        return;
    }
    if (ch.source != 0) al_->SourcePause(ch.source);
    ch.state = 2;
}

void gxtkAudio::ResumeChannel(int channel) {
    if (!ValidChannel(channel)) return;
    Channel& ch = channels_[channel];
    if (ch.state != 2) return;
    if (ch.source != 0) al_->SourcePlay(ch.source);
    ch.state = 1;
}

int gxtkAudio::ChannelState(int channel) {
    if (!ValidChannel(channel)) return 0;
    Channel& ch = channels_[channel];
    if (ch.state == 1 && SourceState(ch.source) == al::kStopped) ch.state = 0;
    return ch.state;
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
    StopMusic();
    Ref<gxtkSample> sample = LoadSample(path);
    if (!sample) return -1;
    PlaySample(sample, kMusicChannel, flags);
    return 0;
}
