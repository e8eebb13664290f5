// al_recorder.cpp — the recording OpenAL seam: sources, buffers and the
// rules of OpenAL that the audio device relies on.
#include "support/al_recorder.h"

#include <algorithm>

void AlRecorder::Fail(al::Enum error) {
    ++errors;
    if (error_ == al::kNoError) error_ = error;  // OpenAL keeps the first until it is read
}

AlRecorder::Source* AlRecorder::Find(std::uint32_t source) {
    // Without a current context OpenAL ignores the call and flags it.
    if (!current) {
        Fail(al::kInvalidOperation);
        return nullptr;
    }
    auto it = sources.find(source);
    if (it == sources.end()) {
        Fail(al::kInvalidName);
        return nullptr;
    }
    return &it->second;
}

void AlRecorder::EndOneShots() {
    // Streams end only as their queues are consumed.
    for (auto& [name, source] : sources) {
        if (source.state == al::kPlaying && !source.looping && source.queue.empty()) source.state = al::kStopped;
    }
}

void AlRecorder::Consume(std::uint32_t source, int count) {
    auto it = sources.find(source);
    if (it == sources.end() || it->second.state != al::kPlaying) return;
    Source& s = it->second;
    s.processed = std::min<int>(s.processed + count, static_cast<int>(s.queue.size()));
    if (s.processed == static_cast<int>(s.queue.size())) s.state = al::kStopped;
}

void AlRecorder::End(std::uint32_t source) {
    auto it = sources.find(source);
    if (it != sources.end() && it->second.state == al::kPlaying) it->second.state = al::kStopped;
}

const AlRecorder::Source* AlRecorder::SourceOf(std::uint32_t buffer) const {
    std::uint32_t name = NameOf(buffer);
    return name != 0 ? &sources.at(name) : nullptr;
}

std::uint32_t AlRecorder::NameOf(std::uint32_t buffer) const {
    if (buffer == 0) return 0;
    for (const auto& [name, source] : sources) {
        if (source.buffer == buffer || std::ranges::find(source.queue, buffer) != source.queue.end()) return name;
    }
    return 0;
}

std::vector<std::uint32_t> AlRecorder::SourcesIn(al::Enum state) const {
    std::vector<std::uint32_t> names;
    for (const auto& [name, source] : sources) {
        if (source.state == state) names.push_back(name);
    }
    return names;
}

// ---- ALC --------------------------------------------------------------------

al::Device AlRecorder::OpenDevice(const char* name) {
    openedDevices.emplace_back(name ? name : "");
    if (refuseDevice || deviceOpen) return nullptr;
    deviceOpen = true;
    return &deviceToken_;
}

bool AlRecorder::CloseDevice(al::Device device) {
    if (device != &deviceToken_ || !deviceOpen || contextAlive) return false;  // OpenAL refuses with a live context
    deviceOpen = false;
    return true;
}

al::Context AlRecorder::CreateContext(al::Device device) {
    if (refuseContext || device != &deviceToken_ || !deviceOpen || contextAlive) return nullptr;
    contextAlive = true;
    return &contextToken_;
}

void AlRecorder::DestroyContext(al::Context context) {
    if (context != &contextToken_ || !contextAlive) return;
    contextAlive = false;
    if (current == context) current = nullptr;
    // OpenAL drops the context's sources with it; they stay listed here so a
    // test sees which ones the device failed to delete.
}

bool AlRecorder::MakeContextCurrent(al::Context context) {
    if (context == nullptr) {
        current = nullptr;
        return true;
    }
    if (refuseCurrent || context != &contextToken_ || !contextAlive) return false;
    current = context;
    return true;
}

// ---- AL: errors, sources ----------------------------------------------------

al::Enum AlRecorder::GetError() {
    al::Enum error = error_;
    error_ = al::kNoError;
    return error;
}

void AlRecorder::GenSources(int n, std::uint32_t* names) {
    if (!current) return Fail(al::kInvalidOperation);
    if (n < 0) return Fail(al::kInvalidValue);
    if (sourceLimit > 0 && static_cast<int>(sources.size()) + n > sourceLimit) return Fail(al::kOutOfMemory);
    for (int i = 0; i < n; ++i) {
        names[i] = nextName_++;
        sources[names[i]] = Source{};
    }
}

void AlRecorder::DeleteSources(int n, const std::uint32_t* names) {
    if (!current) return Fail(al::kInvalidOperation);
    // All or nothing, as in OpenAL.
    for (int i = 0; i < n; ++i) {
        if (!sources.contains(names[i])) return Fail(al::kInvalidName);
    }
    for (int i = 0; i < n; ++i) sources.erase(names[i]);
}

void AlRecorder::Sourcei(std::uint32_t source, al::Enum param, int value) {
    Source* s = Find(source);
    if (!s) return;
    switch (param) {
        case al::kLooping: s->looping = value != al::kFalse; break;
        case al::kBuffer: {
            auto buffer = static_cast<std::uint32_t>(value);
            if (s->state == al::kPlaying || s->state == al::kPaused) return Fail(al::kInvalidOperation);
            if (buffer != 0 && !buffers.contains(buffer)) return Fail(al::kInvalidValue);
            s->buffer = buffer;  // the state stays what it was
            s->queue.clear();    // a buffer replaces the whole queue
            s->processed = 0;
            break;
        }
        default: Fail(al::kInvalidEnum);
    }
}

void AlRecorder::Sourcef(std::uint32_t source, al::Enum param, float value) {
    Source* s = Find(source);
    if (!s) return;
    if (value < 0) return Fail(al::kInvalidValue);
    switch (param) {
        case al::kGain: s->gain = value; break;
        case al::kPitch: s->pitch = value; break;
        default: Fail(al::kInvalidEnum);
    }
}

void AlRecorder::Source3f(std::uint32_t source, al::Enum param, float x, float y, float z) {
    Source* s = Find(source);
    if (!s) return;
    if (param != al::kPosition) return Fail(al::kInvalidEnum);
    s->position[0] = x;
    s->position[1] = y;
    s->position[2] = z;
}

void AlRecorder::GetSourcei(std::uint32_t source, al::Enum param, int* value) {
    Source* s = Find(source);
    if (!s) return;
    switch (param) {
        case al::kSourceState: *value = s->state; break;
        case al::kBuffer: *value = static_cast<int>(s->buffer); break;
        case al::kLooping: *value = s->looping ? al::kTrue : al::kFalse; break;
        case al::kBuffersQueued: *value = static_cast<int>(s->queue.size()); break;
        case al::kBuffersProcessed: *value = s->processed; break;
        default: Fail(al::kInvalidEnum);
    }
}

void AlRecorder::SourcePlay(std::uint32_t source) {
    Source* s = Find(source);
    if (!s) return;
    ++s->plays;
    // A stopped stream plays its queue again from the front.
    if (s->state != al::kPaused) s->processed = 0;
    // Nothing to play: OpenAL goes straight to the end.
    const bool hasData = s->buffer != 0 || s->processed < static_cast<int>(s->queue.size());
    s->state = hasData ? al::kPlaying : al::kStopped;
    if (!hasData) s->processed = static_cast<int>(s->queue.size());
}

void AlRecorder::SourcePause(std::uint32_t source) {
    Source* s = Find(source);
    if (s && s->state == al::kPlaying) s->state = al::kPaused;
}

void AlRecorder::SourceStop(std::uint32_t source) {
    Source* s = Find(source);
    if (!s) return;
    s->state = al::kStopped;
    s->processed = static_cast<int>(s->queue.size());
}

void AlRecorder::SourceQueueBuffers(std::uint32_t source, int n, const std::uint32_t* names) {
    Source* s = Find(source);
    if (!s) return;
    if (s->buffer != 0) return Fail(al::kInvalidOperation);  // a static source
    if (n < 0) return Fail(al::kInvalidValue);
    for (int i = 0; i < n; ++i) {
        if (!buffers.contains(names[i])) return Fail(al::kInvalidName);
    }
    s->queue.insert(s->queue.end(), names, names + n);
}

void AlRecorder::SourceUnqueueBuffers(std::uint32_t source, int n, std::uint32_t* names) {
    Source* s = Find(source);
    if (!s) return;
    if (n < 0 || n > s->processed) return Fail(al::kInvalidValue);
    std::copy_n(s->queue.begin(), n, names);
    s->queue.erase(s->queue.begin(), s->queue.begin() + n);
    s->processed -= n;
}

// ---- AL: buffers --------------------------------------------------------------

void AlRecorder::GenBuffers(int n, std::uint32_t* names) {
    if (!current) return Fail(al::kInvalidOperation);
    if (n < 0) return Fail(al::kInvalidValue);
    for (int i = 0; i < n; ++i) {
        names[i] = nextName_++;
        buffers[names[i]] = Buffer{};
    }
}

void AlRecorder::DeleteBuffers(int n, const std::uint32_t* names) {
    if (!current) return Fail(al::kInvalidOperation);
    for (int i = 0; i < n; ++i) {
        if (names[i] == 0) continue;
        if (!buffers.contains(names[i])) return Fail(al::kInvalidName);
        if (SourceOf(names[i])) return Fail(al::kInvalidOperation);  // still held by a source
    }
    for (int i = 0; i < n; ++i) buffers.erase(names[i]);
}

void AlRecorder::BufferData(std::uint32_t buffer, al::Enum format, const void* data, int size, int frequency) {
    if (!current) return Fail(al::kInvalidOperation);
    auto it = buffers.find(buffer);
    if (it == buffers.end()) return Fail(al::kInvalidName);
    if (SourceOf(buffer)) return Fail(al::kInvalidOperation);
    const bool known = format == al::kFormatMono8 || format == al::kFormatMono16 || format == al::kFormatStereo8 ||
                       format == al::kFormatStereo16;
    if (!known) return Fail(al::kInvalidEnum);
    if (size < 0 || frequency <= 0) return Fail(al::kInvalidValue);
    Buffer& b = it->second;
    b.format = format;
    b.frequency = frequency;
    b.size = size;
    b.pcm.clear();
    if (data && (format == al::kFormatMono16 || format == al::kFormatStereo16)) {
        const auto* samples = static_cast<const std::int16_t*>(data);
        b.pcm.assign(samples, samples + size / 2);
    }
    ++b.fills;
}
