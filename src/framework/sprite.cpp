// sprite.cpp — see sprite.h.
#include "framework/sprite.h"

#include <algorithm>

#include "framework/events.h"

c_Sprite::c_Sprite(Ref<c_DrawableCollection> frameSet, int framesPerSecond) : frames(std::move(frameSet)) {
    frameDuration = framesPerSecond < 1 ? 0 : 1000 / std::min(framesPerSecond, 1000);
}

void c_Sprite::AddSequence(StringView sequenceId, const std::vector<int>& frameList, bool loops) {
    auto entry = New<c_SequenceEntry>();
    entry->loop = loops;
    entry->frames = frameList;
    sequences.insert_or_assign(String(sequenceId), std::move(entry));
    // Room for every name now, so switching sequences in an update never
    // allocates a string.
    if (sequenceName.capacity() < sequenceId.size()) sequenceName.reserve(sequenceId.size());
    if (!endedData_) endedData_ = New<c_StringObject>();
    if (endedData_->value.capacity() < sequenceId.size()) endedData_->value.reserve(sequenceId.size());
}

void c_Sprite::AddSequenceRange(StringView sequenceId, int first, int last, bool loops) {
    std::vector<int> frameList;
    for (int i = first; i <= last; ++i) frameList.push_back(i);
    AddSequence(sequenceId, frameList, loops);
}

int c_Sprite::FrameAt(int index) const {
    if (!sequence || index < 0 || index >= static_cast<int>(sequence->frames.size())) return 0;
    return sequence->frames[static_cast<std::size_t>(index)];
}

void c_Sprite::Play(StringView sequenceId) {
    if (sequenceId == sequenceName) return;
    Stop();
    auto found = sequences.find(sequenceId);
    sequence = found == sequences.end() ? nullptr : found->second;
    if (!sequence) return;
    sequenceName.assign(sequenceId);
    frameIndex = 0;
    currentTile = FrameAt(0);
    state = kPlaying;
}

void c_Sprite::Stop() {
    state = kStopped;
    if (sequence) {
        frameIndex = 0;
        currentTile = FrameAt(0);
    }
    frameTimer = 0;
    sequenceName.clear();
}

void c_Sprite::RaiseSequenceEnded() {
    // The name is written into the sprite's own data object unless a
    // listener kept that object, which then keeps the name it was given.
    if (!endedData_ || (endedData_->value != sequenceName && endedData_.use_count() > 1)) {
        endedData_ = New<c_StringObject>(sequenceName);
    } else if (endedData_->value != sequenceName) {
        endedData_->value.assign(sequenceName);
    }
    Ref<c_StringObject> data = endedData_;  // a listener may Play another name
    RaiseEvent(this, kSpriteSequenceEnded, data.get());
}

void c_Sprite::Animate(int elapsedMs) {
    if (state != kPlaying) return;
    frameTimer += elapsedMs;
    if (frameDuration <= 0 || !sequence || frameTimer < frameDuration) return;
    const int count = static_cast<int>(sequence->frames.size());
    if (frameIndex < count - 1) {
        ++frameIndex;
        currentTile = FrameAt(frameIndex);
    } else if (!sequence->loop) {
        state = kFinished;
        RaiseSequenceEnded();
    } else {
        RaiseSequenceEnded();
        frameIndex = 0;
        currentTile = FrameAt(0);
    }
    // The remainder is dropped: one update advances at most one frame.
    frameTimer = 0;
}

void c_Sprite::Update(int elapsedMs) {
    Animate(elapsedMs);
    if (auto* updatable = dynamic_cast<c_Updateable*>(frames.get()); updatable && updatable->IsEnabled()) {
        updatable->Update(elapsedMs);
    }
    c_GDO::Update(elapsedMs);
}

void c_Sprite::Draw() {
    if (!frames) return;
    frames->SelectFrame(currentTile);
    frames->Draw();
}

void c_Sprite::Discard() {
    c_GDO::Discard();
    if (auto* resource = dynamic_cast<c_Resource*>(frames.get())) resource->Discard();
    frames = nullptr;
}

void c_SpriteGhost::Update(int elapsedMs) {
    c_Sprite::Update(elapsedMs);
    if (!source) return;
    position = source->position;
    scale = source->scale;
    if (sequence && !sequence->frames.empty()) {
        const int last = static_cast<int>(sequence->frames.size()) - 1;
        frameIndex = std::clamp(source->currentTile, 0, last);
        currentTile = FrameAt(frameIndex);
    }
}
