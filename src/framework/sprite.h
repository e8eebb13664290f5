// sprite.h — c_Sprite, a display object that plays named frame sequences
// ("idle", "walk", …) from a frame collection (a c_TileSet) at a fixed frame
// rate; and c_SpriteGhost, which moves and poses with another sprite while
// drawing its own frames.
//
// Each time a sequence passes the end of its last frame (at every wrap of a
// looping one) the sprite raises event kSpriteSequenceEnded with itself as
// source and a c_StringObject holding the sequence name as data.
//
// Owners call Play every frame with the wanted pose: playing the current
// name again changes nothing, so a walk cycle is not restarted.
#pragma once

#include <map>
#include <vector>

#include "framework/gdo.h"
#include "framework/string_object.h"

inline constexpr int kSpriteSequenceEnded = 4;

class c_SequenceEntry : public Object {
public:
    bool loop = false;
    // Cell indices in playing order.
    std::vector<int> frames;

    String ToString() const override { return u"c_SequenceEntry"; }
};

class c_Sprite : public c_GDO {
public:
    enum State : int { kStopped = 0, kPlaying = 1, kFinished = 3 };

    Ref<c_DrawableCollection> frames;
    int state = kStopped;
    std::map<String, Ref<c_SequenceEntry>, std::less<>> sequences;
    // Milliseconds per frame; 0 never advances.
    int frameDuration = 0;
    // The sequence being played; empty when none.
    String sequenceName;
    Ref<c_SequenceEntry> sequence;
    int frameIndex = 0;
    // The cell shown.
    int currentTile = 0;
    int frameTimer = 0;

    // framesPerSecond below 1 never advances; above 1000 counts as 1000.
    c_Sprite(Ref<c_DrawableCollection> frameSet, int framesPerSecond);

    String ToString() const override { return u"c_Sprite"; }
    float GetWidth() override { return frames ? frames->GetWidth() : 0; }
    float GetHeight() override { return frames ? frames->GetHeight() : 0; }

    // Stores a sequence under `name`, replacing one of that name.
    void AddSequence(StringView sequence, const std::vector<int>& frameList, bool loops);
    // The frames first..last (none when first > last).
    void AddSequenceRange(StringView sequence, int first, int last, bool loops);
    // Starts a sequence from its first frame, unless it is the current one.
    // An unknown name leaves the sprite stopped.
    void Play(StringView sequence);
    void Stop();

    // The animation step, then the frame collection (when updatable), then
    // the children.
    void Update(int elapsedMs) override;
    void Draw() override;
    // The children, then the frame collection.
    void Discard() override;

protected:
    void Animate(int elapsedMs);
    // The cell at `index` of the current sequence (0 when it has none).
    int FrameAt(int index) const;

private:
    void RaiseSequenceEnded();
    // Reused while the name stays the same, so looping allocates nothing.
    Ref<c_StringObject> endedData_;
};

class c_SpriteGhost : public c_Sprite {
public:
    // The sprite mirrored.
    Ref<c_Sprite> source;

    c_SpriteGhost(Ref<c_DrawableCollection> frameSet, int framesPerSecond, Ref<c_Sprite> mirrored)
        : c_Sprite(std::move(frameSet), framesPerSecond), source(std::move(mirrored)) {}

    String ToString() const override { return u"c_SpriteGhost"; }
    // The sprite update; then the source's position and scale, and from the
    // current sequence the frame at the index of the source's current cell.
    void Update(int elapsedMs) override;
};
