// al_recorder.h — an AlApi that keeps OpenAL's state instead of playing.
//
// Install it with AlApiScope before making a gxtkAudio and every OpenAL call
// of the device lands here: sources are kept with their state (initial,
// playing, paused, stopped), the buffer attached to them, gain, pitch,
// position and looping; buffers with their format, rate and data size. There
// is no mixer: a one-shot plays until the test says it ended (EndOneShots or
// End), so state checks need no waiting.
//
//   AlRecorder al;
//   AlApiScope seam(al);
//   gxtkAudio audio;
//   ... play, pause, suspend ...
//   EXPECT_EQ(al.SourceOf(sample->buffer)->state, al::kPaused);
//
// It answers the way OpenAL does where the device depends on it: a buffer
// that a source holds or has queued cannot be deleted or refilled, a source
// that has played all its queue stops, a stopped source counts its whole
// queue processed and plays it again from the front, a playing or paused source cannot
// change buffers, playing a source without a buffer stops it at once, and a
// refused call leaves an error for GetError. It can also play an OpenAL that
// cannot open, cannot make a context, or runs out of sources.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "audio/al_api.h"

class AlRecorder final : public AlApi {
public:
    struct Source {
        al::Enum state = al::kInitial;
        std::uint32_t buffer = 0;  // attached with AL_BUFFER; 0 when none
        bool looping = false;
        float gain = 1;
        float pitch = 1;
        float position[3] = {0, 0, 0};
        int plays = 0;                     // SourcePlay calls: starts and restarts
        std::vector<std::uint32_t> queue;  // streaming: queued buffers, the playing one first
        int processed = 0;                 // of the queue, those played to their end
    };
    struct Buffer {
        al::Enum format = 0;
        int frequency = 0;
        int size = 0;                   // bytes of sample data
        std::vector<std::int16_t> pcm;  // 16-bit data as it was given, for streams to be checked
        int fills = 0;                  // BufferData calls
    };

    // Configuration.
    bool refuseDevice = false;   // OpenDevice answers null
    bool refuseContext = false;  // CreateContext answers null
    bool refuseCurrent = false;  // MakeContextCurrent fails for a context
    int sourceLimit = 0;         // > 0: GenSources fails past this many live sources

    // What the device did.
    std::vector<std::string> openedDevices;  // names passed to OpenDevice ("" for the default)
    bool deviceOpen = false;
    bool contextAlive = false;
    al::Context current = nullptr;
    al::Enum distanceModel = -1;              // -1 until set
    std::map<std::uint32_t, Source> sources;  // live sources by name
    std::map<std::uint32_t, Buffer> buffers;  // live buffers by name
    int errors = 0;                           // calls refused since construction

    // Playback time passes: every playing source that does not loop ends.
    void EndOneShots();
    // One source reaches its end (looping or not).
    void End(std::uint32_t source);
    // A playing streaming source plays `buffers` more of its queue; when it
    // has played all of it, it stops (an underrun, or the end).
    void Consume(std::uint32_t source, int buffers);
    // The live source holding `buffer`, or null (the first one when several do).
    const Source* SourceOf(std::uint32_t buffer) const;
    // The name of that source, 0 when none holds the buffer.
    std::uint32_t NameOf(std::uint32_t buffer) const;
    // Names of the live sources in `state`, in ascending order.
    std::vector<std::uint32_t> SourcesIn(al::Enum state) const;

    al::Device OpenDevice(const char* name) override;
    bool CloseDevice(al::Device device) override;
    al::Context CreateContext(al::Device device) override;
    void DestroyContext(al::Context context) override;
    bool MakeContextCurrent(al::Context context) override;
    al::Context GetCurrentContext() override { return current; }

    al::Enum GetError() override;
    void DistanceModel(al::Enum model) override { distanceModel = model; }
    void GenSources(int n, std::uint32_t* names) override;
    void DeleteSources(int n, const std::uint32_t* names) override;
    void Sourcei(std::uint32_t source, al::Enum param, int value) override;
    void Sourcef(std::uint32_t source, al::Enum param, float value) override;
    void Source3f(std::uint32_t source, al::Enum param, float x, float y, float z) override;
    void GetSourcei(std::uint32_t source, al::Enum param, int* value) override;
    void SourcePlay(std::uint32_t source) override;
    void SourcePause(std::uint32_t source) override;
    void SourceStop(std::uint32_t source) override;
    void SourceQueueBuffers(std::uint32_t source, int n, const std::uint32_t* names) override;
    void SourceUnqueueBuffers(std::uint32_t source, int n, std::uint32_t* names) override;
    void GenBuffers(int n, std::uint32_t* names) override;
    void DeleteBuffers(int n, const std::uint32_t* names) override;
    void BufferData(std::uint32_t buffer, al::Enum format, const void* data, int size, int frequency) override;

private:
    void Fail(al::Enum error);
    Source* Find(std::uint32_t source);

    // Stand-ins for the ALCdevice and ALCcontext the handles point to.
    char deviceToken_ = 0;
    char contextToken_ = 0;
    std::uint32_t nextName_ = 1;
    al::Enum error_ = al::kNoError;
};
