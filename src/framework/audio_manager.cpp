// audio_manager.cpp — the sound manager's registry, channels and music.
#include "framework/audio_manager.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>

#include "host/runtime_error.h"

// ---- records ----------------------------------------------------------------

void c_SFX::Discard() {
    if (persistent || !sound) return;
    if (sound->sample) sound->sample->Discard();
    sound->sample = nullptr;
    sound = nullptr;
}

c_BasicPlaybackInfo::c_BasicPlaybackInfo() : defaultTween(New<c_Tween>(c_LinearEase::Shared(), 1.0f, 1.0f, 100)) {
    volumeTween = defaultTween;
}

void c_BasicPlaybackInfo::Reset() {
    id.clear();
    volume = 1;
    loop = false;
    paused = false;
    volumeTween = defaultTween;
}

void c_PlaybackInfo::Reset() {
    c_BasicPlaybackInfo::Reset();
    rate = 1;
    pan = 0;
}

// ---- state ------------------------------------------------------------------

namespace AudioManager {
namespace {

struct State {
    std::array<Ref<c_PlaybackInfo>, kManagedChannels> channels;
    Ref<c_BasicPlaybackInfo> music;
};

// The registry outlives Shutdown's records: it is made on first registration.
std::unique_ptr<std::map<String, Ref<c_SFX>, std::less<>>> g_registry;
std::unique_ptr<State> g_state;
bool g_soundOn = true;
bool g_muted = false;

State& Records() {
    Init();
    return *g_state;
}

bool Managed(int channel) { return channel >= 0 && channel < kManagedChannels; }

gxtkAudio* Device() { return gxtkAudio::Current(); }

String Bool(bool value) { return value ? u"True" : u"False"; }

// A linear from -> to tween over `ms`, made on the record's own tween.
void SetUpDefault(c_BasicPlaybackInfo& info, float from, float to, int ms) {
    info.defaultTween->Setup(c_LinearEase::Shared(), from, to, ms);
    info.volumeTween = info.defaultTween;
    info.volumeTween->Start();
}

// The search starts after the footsteps channel: the footsteps start and stop
// as the players walk, and an effect chosen onto their channel while nobody
// walks would keep them from starting until it ended. Channel 0 is below it
// and so never chosen either.
int ChooseChannel() {
    State& s = Records();
    for (int c = kFootstepsChannel + 1; c < kManagedChannels; ++c) {
        if (s.channels[c]->id.empty()) return c;
    }
    // Every channel is busy: cut a one-shot short rather than a loop.
    for (int c = kFootstepsChannel + 1; c < kManagedChannels; ++c) {
        if (!s.channels[c]->loop) return c;
    }
    return -1;
}

}  // namespace

void Init() {
    if (g_state) return;
    g_state = std::make_unique<State>();
    for (auto& info : g_state->channels) {
        info = New<c_PlaybackInfo>();
        info->Reset();
        info->id.reserve(32);
    }
    g_state->music = New<c_BasicPlaybackInfo>();
    g_state->music->Reset();
    g_muted = false;
}

void Shutdown() {
    g_state.reset();
    g_registry.reset();
    g_soundOn = true;
    g_muted = false;
}

// ---- effects ----------------------------------------------------------------

void PreloadSFX(StringView path, StringView id, bool persistent) {
    if (!g_registry) g_registry = std::make_unique<std::map<String, Ref<c_SFX>, std::less<>>>();
    auto found = g_registry->find(String(id));
    if (found == g_registry->end()) {
        auto sfx = New<c_SFX>();
        sfx->path = String(path);
        sfx->sound = LoadSound(path);
        sfx->persistent = persistent;
        if (!sfx->sound) {
            Print(u"AudioManager::PreloadSFX ERROR: Failed to load '" + String(path) + u"' as '" + String(id) + u"'");
            return;
        }
        g_registry->emplace(String(id), sfx);
        return;
    }
    const c_SFX& existing = *found->second;
    if (existing.path != path) {
        Print(u"AudioManager::PreloadSFX WARNING!: Source mismatch for '" + String(id) + u"'. Requested:'" +
              String(path) + u"' Existent: '" + existing.path + u"'");
    }
    if (existing.persistent != persistent) {
        Print(u"AudioManager::PreloadSFX WARNING!: Persistence mismatch for '" + String(id) + u"'. Requested:'" +
              Bool(persistent) + u"' Existent: '" + Bool(existing.persistent) + u"'");
    }
}

Ref<c_SFX> FindSFX(StringView id) {
    if (!g_registry) return nullptr;
    auto found = g_registry->find(id);
    return found == g_registry->end() ? nullptr : found->second;
}

int PlaySFX(StringView id, int channel, bool loop, Ref<c_Tween> volumeTween, float pan, float rate) {
    Ref<c_SFX> sfx = FindSFX(id);
    if (!sfx) return -1;
    if (channel < 0) channel = ChooseChannel();
    if (!Managed(channel)) return -1;

    c_PlaybackInfo& info = *Records().channels[channel];
    SetChannelVolumeTween(channel, std::move(volumeTween));
    info.rateTween = nullptr;
    info.panTween = nullptr;
    SetChannelPan(channel, pan);
    SetChannelRate(channel, rate);
    info.id.assign(id);  // in the record's own room: starting an effect allocates nothing
    info.loop = loop;
    const Ref<c_Sound>& sound = sfx->sound;
    if (sound && sound->sample && Device()) Device()->PlaySample(sound->sample, channel, loop ? 1 : 0);
    return channel;
}

void StopSFX(int channel) {
    if (!Managed(channel)) return;
    Records().channels[channel]->id.clear();
    if (Device()) Device()->StopChannel(channel);
}

String ChannelId(int channel) { return Managed(channel) ? Records().channels[channel]->id : String(); }

const c_PlaybackInfo* ChannelInfo(int channel) {
    return Managed(channel) ? Records().channels[channel].get() : nullptr;
}

void SetChannelVolume(int channel, float volume) {
    if (!Managed(channel)) return;
    float v = g_muted ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    Records().channels[channel]->volume = v;
    if (Device()) Device()->SetVolume(channel, v);
}

void SetChannelPan(int channel, float pan) {
    if (!Managed(channel)) return;
    float p = std::clamp(pan, -1.0f, 1.0f);
    Records().channels[channel]->pan = p;
    if (Device()) Device()->SetPan(channel, p);
}

void SetChannelRate(int channel, float rate) {
    if (!Managed(channel)) return;
    float r = std::clamp(rate, 0.5f, 2.0f);
    Records().channels[channel]->rate = r;
    if (Device()) Device()->SetRate(channel, r);
}

void SetChannelVolumeTween(int channel, Ref<c_Tween> tween) {
    if (!Managed(channel)) return;
    if (!tween) {
        FadeChannelVolume(channel, 1, 1);
        return;
    }
    c_PlaybackInfo& info = *Records().channels[channel];
    info.volumeTween = std::move(tween);
    info.volumeTween->Start();
    SetChannelVolume(channel, info.volumeTween->value);
}

void FadeChannelVolume(int channel, float from, float to) {
    if (!Managed(channel)) return;
    SetUpDefault(*Records().channels[channel], from, to, 100);
    SetChannelVolume(channel, from);
}

// ---- music ------------------------------------------------------------------

void SetMusicVolume(float volume) {
    float v = g_muted ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    Records().music->volume = v;
    if (Device()) Device()->SetMusicVolume(v);
}

void FadeMusicVolume(float from, float to, int milliseconds) {
    SetUpDefault(*Records().music, from, to, milliseconds);
    SetMusicVolume(from);
}

namespace {

// The same song asked for again while it plays (a level after a level) goes
// on where it is instead of starting over.
bool Continues(const c_BasicPlaybackInfo& music, StringView path, bool loop) {
    return !music.id.empty() && music.id == path && music.loop == loop && Device() && Device()->MusicState() != 0;
}

}  // namespace

void PlayMusic(StringView path, bool loop, Ref<c_Tween> fade) {
    c_BasicPlaybackInfo& music = *Records().music;
    if (fade) {
        music.volumeTween = std::move(fade);
        music.volumeTween->Start();
        SetMusicVolume(music.volumeTween->value);
    } else {
        FadeMusicVolume(1, 1, 500);
    }
    music.id = String(path);
    music.loop = loop;
    ::PlayMusic(path, loop ? 1 : 0);
}

String MusicFile(StringView id) {
    if (id == u"INTRO_BGM") return u"sfx/orbel_intro_bgm.ogg";
    if (id == u"LEVEL_BGM") return u"sfx/orbel_level_bgm.ogg";
    if (id == u"CREDITS_BGM") return u"sfx/orbel_credits_bgm.ogg";
    return String();
}

void PlayMusicById(StringView id) {
    c_BasicPlaybackInfo& music = *Records().music;
    // A song that goes on fades from where it is, never down to silence first.
    const String file = MusicFile(id);
    const float from = Continues(music, file, true) ? std::min(music.volume, 0.5f) : 0.0f;
    music.defaultTween->Setup(c_LinearEase::Shared(), from, 0.5f, 1000);
    PlayMusic(file, true, music.defaultTween);
}

const c_BasicPlaybackInfo& MusicInfo() { return *Records().music; }

// ---- per update -------------------------------------------------------------

void Update(int milliseconds) {
    State& s = Records();
    gxtkAudio* device = Device();
    if (device) device->Update();  // the music's buffers

    c_BasicPlaybackInfo& music = *s.music;
    if (!music.id.empty() && !music.paused) {
        if (device && device->MusicState() != 0) {
            float v = music.volume;
            if (music.volumeTween) {
                music.volumeTween->Update(milliseconds);
                v = music.volumeTween->value;
            }
            if (g_muted) v = 0;
            if (v != music.volume) SetMusicVolume(v);
        } else {
            music.id.clear();  // the music ended
        }
    }

    for (int c = 0; c < kManagedChannels; ++c) {
        c_PlaybackInfo& info = *s.channels[c];
        if (info.id.empty() || info.paused) continue;
        if (!device || device->ChannelState(c) == 0) {
            info.id.clear();  // the effect ended
            continue;
        }
        float rate = info.rate, pan = info.pan, volume = info.volume;
        if (info.rateTween) {
            info.rateTween->Update(milliseconds);
            rate = info.rateTween->value;
        }
        if (info.panTween) {
            info.panTween->Update(milliseconds);
            pan = info.panTween->value;
        }
        if (info.volumeTween) {
            info.volumeTween->Update(milliseconds);
            volume = info.volumeTween->value;
        }
        if (g_muted) volume = 0;
        if (rate != info.rate) SetChannelRate(c, rate);
        if (pan != info.pan) SetChannelPan(c, pan);
        if (volume != info.volume) SetChannelVolume(c, volume);
    }
}

void WarmUp() {
    if (gxtkAudio* device = Device()) device->WarmUpSources();
}

void ResumeAll() {
    // Only what the focus loss paused: the device restarts what its Suspend
    // paused (again a no-op when the host has resumed it already), while
    // channels and music the game paused itself stay paused, on the device
    // and in the records.
    if (gxtkAudio* device = Device()) device->Resume();
}

void SetSoundOn(bool on) {
    g_soundOn = on;
    g_muted = !on;
}

bool IsSoundOn() { return g_soundOn; }

// ---- stage end --------------------------------------------------------------

void ReleaseStageSFX() {
    if (!g_registry) return;
    for (auto it = g_registry->begin(); it != g_registry->end();) {
        if (it->second->persistent) {
            ++it;
            continue;
        }
        it->second->Discard();
        it = g_registry->erase(it);
    }
}

}  // namespace AudioManager
