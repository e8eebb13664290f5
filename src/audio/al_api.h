// al_api.h — the one door to OpenAL.
//
// Every OpenAL and ALC call of the audio device goes through the AlApi
// installed here. al_api.cpp is the only file that includes the AL headers;
// it holds the real implementation, which is installed by default. Tests
// install an AlRecorder (tests/support/al_recorder.h) instead: it keeps the
// sources, their states and the buffers the device made, so channel, pause
// and suspend logic can be checked exactly, with no sound card and no mixer
// thread to wait for.
//
// The interface mirrors the calls the device makes, one method per call, with
// the AL enum values below (they equal OpenAL's own, so the real
// implementation passes them straight through). A device keeps the seam that
// was installed when it was made for its whole life: install a replacement
// before making the device and keep it until the device is gone.
#pragma once

#include <cstdint>

namespace al {

using Enum = int;
// ALCdevice* and ALCcontext*, opaque outside the implementation.
using Device = void*;
using Context = void*;

// Values are OpenAL's (checked against the AL headers in al_api.cpp).
inline constexpr Enum kNone = 0;
inline constexpr Enum kFalse = 0;
inline constexpr Enum kTrue = 1;

inline constexpr Enum kNoError = 0;
inline constexpr Enum kInvalidName = 0xA001;
inline constexpr Enum kInvalidEnum = 0xA002;
inline constexpr Enum kInvalidValue = 0xA003;
inline constexpr Enum kInvalidOperation = 0xA004;
inline constexpr Enum kOutOfMemory = 0xA005;

inline constexpr Enum kPitch = 0x1003;
inline constexpr Enum kPosition = 0x1004;
inline constexpr Enum kLooping = 0x1007;
inline constexpr Enum kBuffer = 0x1009;
inline constexpr Enum kGain = 0x100A;

inline constexpr Enum kSourceState = 0x1010;
inline constexpr Enum kInitial = 0x1011;
inline constexpr Enum kPlaying = 0x1012;
inline constexpr Enum kPaused = 0x1013;
inline constexpr Enum kStopped = 0x1014;
inline constexpr Enum kBuffersQueued = 0x1015;
inline constexpr Enum kBuffersProcessed = 0x1016;

inline constexpr Enum kFormatMono8 = 0x1100;
inline constexpr Enum kFormatMono16 = 0x1101;
inline constexpr Enum kFormatStereo8 = 0x1102;
inline constexpr Enum kFormatStereo16 = 0x1103;

}  // namespace al

class AlApi {
public:
    AlApi() = default;
    virtual ~AlApi() = default;
    AlApi(const AlApi&) = delete;
    AlApi& operator=(const AlApi&) = delete;

    // ALC: the device and its context. Null when they cannot be had.
    virtual al::Device OpenDevice(const char* name) = 0;
    virtual bool CloseDevice(al::Device device) = 0;
    virtual al::Context CreateContext(al::Device device) = 0;
    virtual void DestroyContext(al::Context context) = 0;
    virtual bool MakeContextCurrent(al::Context context) = 0;
    virtual al::Context GetCurrentContext() = 0;

    // AL, on the current context.
    virtual al::Enum GetError() = 0;
    virtual void DistanceModel(al::Enum model) = 0;
    virtual void GenSources(int n, std::uint32_t* sources) = 0;
    virtual void DeleteSources(int n, const std::uint32_t* sources) = 0;
    virtual void Sourcei(std::uint32_t source, al::Enum param, int value) = 0;
    virtual void Sourcef(std::uint32_t source, al::Enum param, float value) = 0;
    virtual void Source3f(std::uint32_t source, al::Enum param, float x, float y, float z) = 0;
    virtual void GetSourcei(std::uint32_t source, al::Enum param, int* value) = 0;
    virtual void SourcePlay(std::uint32_t source) = 0;
    virtual void SourcePause(std::uint32_t source) = 0;
    virtual void SourceStop(std::uint32_t source) = 0;
    // Streaming: buffers played in turn; processed ones are taken back off
    // the front of the queue to be refilled.
    virtual void SourceQueueBuffers(std::uint32_t source, int n, const std::uint32_t* buffers) = 0;
    virtual void SourceUnqueueBuffers(std::uint32_t source, int n, std::uint32_t* buffers) = 0;
    virtual void GenBuffers(int n, std::uint32_t* buffers) = 0;
    virtual void DeleteBuffers(int n, const std::uint32_t* buffers) = 0;
    virtual void BufferData(std::uint32_t buffer, al::Enum format, const void* data, int size, int frequency) = 0;
};

// The installed seam (never null: the real OpenAL one unless replaced).
AlApi& Al();
// Installs `api` (null reinstalls the real one) and returns the previous one.
// The caller keeps ownership and must reinstall the previous seam before
// `api` dies; AlApiScope does both.
AlApi* SetAlApi(AlApi* api);

class AlApiScope {
public:
    explicit AlApiScope(AlApi& api) : previous_(SetAlApi(&api)) {}
    ~AlApiScope() { SetAlApi(previous_); }
    AlApiScope(const AlApiScope&) = delete;
    AlApiScope& operator=(const AlApiScope&) = delete;

private:
    AlApi* previous_;
};
