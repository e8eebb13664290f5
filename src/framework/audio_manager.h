// audio_manager.h — the game's sound manager ("AudioManager" in its
// messages): named sound effects, managed channels with tweened volume, pan
// and rate, music by id with a fade-in, and the player's sound switch.
//
// It is process-wide state over the audio device (gxtkAudio::Current()), not
// a class: effects are registered by id (PreloadSFX) and live until the
// stage that registered them ends (ReleaseStageSFX) unless persistent.
// Volumes, pans and rates are applied to the device in Update, once per game
// update, so fades follow the game clock and the sound switch silences
// everything within one update without stopping it. Messages go to standard
// output and the game carries on.
#pragma once

#include "audio/sound.h"
#include "framework/interfaces.h"
#include "framework/tween.h"
#include "host/object.h"

// One registered sound effect.
class c_SFX final : public Object, public c_Resource {
public:
    String ToString() const override { return u"c_SFX"; }
    // Frees the sample unless the effect is persistent.
    void Discard() override;

    bool persistent = false;
    Ref<c_Sound> sound;  // null when loading failed
    String path;         // as registered, before data-path mapping
};

// What the manager knows of one stream (the music channel).
class c_BasicPlaybackInfo : public Object {
public:
    c_BasicPlaybackInfo();
    String ToString() const override { return u"c_BasicPlaybackInfo"; }
    virtual void Reset();

    String id;  // effect id or music path now playing; empty when none
    float volume = 1;
    bool loop = false;
    bool paused = false;        // while set, Update leaves the stream alone
    Ref<c_Tween> defaultTween;  // linear, owned by the record
    Ref<c_Tween> volumeTween;   // defaultTween or the caller's
};

// A managed effect channel: also rate and pan, each optionally tweened.
class c_PlaybackInfo final : public c_BasicPlaybackInfo {
public:
    String ToString() const override { return u"c_PlaybackInfo"; }
    void Reset() override;

    float rate = 1;  // 0.5 .. 2
    float pan = 0;   // -1 .. 1
    Ref<c_Tween> rateTween;
    Ref<c_Tween> panTween;
};

namespace AudioManager {

inline constexpr int kManagedChannels = 32;
// The level plays its footsteps loop here, by name, whenever someone walks.
inline constexpr int kFootstepsChannel = 1;

// Makes the channel and music records; runs once (later calls do nothing).
void Init();
// Forgets every effect and record, so that Init runs afresh.
void Shutdown();

// Registers `path` under `id`. An id registered already keeps its first
// file and persistence; a different request only warns.
void PreloadSFX(StringView path, StringView id, bool persistent);
// The registered effect, null when the id is not registered.
Ref<c_SFX> FindSFX(StringView id);
// Plays a registered effect; channel < 0 lets the manager choose one after
// the footsteps channel (never channel 0 or 1: they are used only by name).
// Without a tween the volume is a constant 1. Returns the channel used, or -1
// (unknown id, no channel to take).
int PlaySFX(StringView id, int channel = -1, bool loop = false, Ref<c_Tween> volumeTween = nullptr, float pan = 0,
            float rate = 1);
void StopSFX(int channel);
// The effect id playing on a managed channel; empty when none.
String ChannelId(int channel);

// Per managed channel (0..31; others are ignored), clamped and applied at
// once: volume 0..1 (0 while muted), pan -1..1, rate 0.5..2.
void SetChannelVolume(int channel, float volume);
void SetChannelPan(int channel, float pan);
void SetChannelRate(int channel, float rate);
// The tween drives the channel's volume from now on (restarted here);
// without one the volume is a constant 1.
void SetChannelVolumeTween(int channel, Ref<c_Tween> tween);
// Linear fade over 100 ms.
void FadeChannelVolume(int channel, float from, float to);
// The channel's record (null outside 0..31).
const c_PlaybackInfo* ChannelInfo(int channel);

// Streams the file as music, faded by `fade` (restarted here) or, without
// one, at volume 1. The same file already playing goes on where it is.
void PlayMusic(StringView path, bool loop, Ref<c_Tween> fade = nullptr);
// Music from the id table, looping, fading in from 0 to 0.5 over one second;
// when that song plays already, it goes on and fades from its volume to 0.5.
void PlayMusicById(StringView id);
// The file of a music id; empty for an unknown id.
String MusicFile(StringView id);
void FadeMusicVolume(float from, float to, int milliseconds);
void SetMusicVolume(float volume);
const c_BasicPlaybackInfo& MusicInfo();

// Advances the fades and applies volumes, pans, rates and the sound switch;
// notices streams that ended. Once per game update.
void Update(int milliseconds);
// Lets the device set up every source before the game updates need them
// (a stage's load).
void WarmUp();
// The game regained the focus: resumes what losing it paused (the device's
// Suspend), and nothing that the game paused itself.
void ResumeAll();

// The player's sound switch; reaches what plays at the next Update.
void SetSoundOn(bool on);
bool IsSoundOn();

// Frees and forgets every effect that is not persistent (a stage ended).
void ReleaseStageSFX();

}  // namespace AudioManager
