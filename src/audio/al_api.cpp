// al_api.cpp — the only file that includes the OpenAL headers: the real seam,
// passing every call straight to OpenAL.
#include "audio/al_api.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <type_traits>

namespace {

static_assert(std::is_same_v<ALuint, std::uint32_t> && std::is_same_v<ALint, int> && std::is_same_v<ALenum, al::Enum>);
static_assert(al::kNone == AL_NONE && al::kFalse == AL_FALSE && al::kTrue == AL_TRUE);
static_assert(al::kNoError == AL_NO_ERROR && al::kInvalidName == AL_INVALID_NAME &&
              al::kInvalidEnum == AL_INVALID_ENUM && al::kInvalidValue == AL_INVALID_VALUE &&
              al::kInvalidOperation == AL_INVALID_OPERATION && al::kOutOfMemory == AL_OUT_OF_MEMORY);
static_assert(al::kPitch == AL_PITCH && al::kPosition == AL_POSITION && al::kLooping == AL_LOOPING &&
              al::kBuffer == AL_BUFFER && al::kGain == AL_GAIN);
static_assert(al::kSourceState == AL_SOURCE_STATE && al::kInitial == AL_INITIAL && al::kPlaying == AL_PLAYING &&
              al::kPaused == AL_PAUSED && al::kStopped == AL_STOPPED);
static_assert(al::kBuffersQueued == AL_BUFFERS_QUEUED && al::kBuffersProcessed == AL_BUFFERS_PROCESSED);
static_assert(al::kFormatMono8 == AL_FORMAT_MONO8 && al::kFormatMono16 == AL_FORMAT_MONO16 &&
              al::kFormatStereo8 == AL_FORMAT_STEREO8 && al::kFormatStereo16 == AL_FORMAT_STEREO16);

ALCdevice* AsDevice(al::Device device) { return static_cast<ALCdevice*>(device); }
ALCcontext* AsContext(al::Context context) { return static_cast<ALCcontext*>(context); }

class RealAl final : public AlApi {
public:
    al::Device OpenDevice(const char* name) override { return alcOpenDevice(name); }
    bool CloseDevice(al::Device device) override { return alcCloseDevice(AsDevice(device)) == ALC_TRUE; }
    al::Context CreateContext(al::Device device) override { return alcCreateContext(AsDevice(device), nullptr); }
    void DestroyContext(al::Context context) override { alcDestroyContext(AsContext(context)); }
    bool MakeContextCurrent(al::Context context) override { return alcMakeContextCurrent(AsContext(context)); }
    al::Context GetCurrentContext() override { return alcGetCurrentContext(); }

    al::Enum GetError() override { return alGetError(); }
    void DistanceModel(al::Enum model) override { alDistanceModel(model); }
    void GenSources(int n, std::uint32_t* sources) override { alGenSources(n, sources); }
    void DeleteSources(int n, const std::uint32_t* sources) override { alDeleteSources(n, sources); }
    void Sourcei(std::uint32_t source, al::Enum param, int value) override { alSourcei(source, param, value); }
    void Sourcef(std::uint32_t source, al::Enum param, float value) override { alSourcef(source, param, value); }
    void Source3f(std::uint32_t source, al::Enum param, float x, float y, float z) override {
        alSource3f(source, param, x, y, z);
    }
    void GetSourcei(std::uint32_t source, al::Enum param, int* value) override { alGetSourcei(source, param, value); }
    void SourcePlay(std::uint32_t source) override { alSourcePlay(source); }
    void SourcePause(std::uint32_t source) override { alSourcePause(source); }
    void SourceStop(std::uint32_t source) override { alSourceStop(source); }
    void SourceQueueBuffers(std::uint32_t source, int n, const std::uint32_t* buffers) override {
        alSourceQueueBuffers(source, n, buffers);
    }
    void SourceUnqueueBuffers(std::uint32_t source, int n, std::uint32_t* buffers) override {
        alSourceUnqueueBuffers(source, n, buffers);
    }
    void GenBuffers(int n, std::uint32_t* buffers) override { alGenBuffers(n, buffers); }
    void DeleteBuffers(int n, const std::uint32_t* buffers) override { alDeleteBuffers(n, buffers); }
    void BufferData(std::uint32_t buffer, al::Enum format, const void* data, int size, int frequency) override {
        alBufferData(buffer, format, data, size, frequency);
    }
};

RealAl realAl;
AlApi* installed = &realAl;

}  // namespace

AlApi& Al() { return *installed; }

AlApi* SetAlApi(AlApi* api) {
    AlApi* previous = installed;
    installed = api ? api : &realAl;
    return previous;
}
