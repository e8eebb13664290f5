// effects.h — the game's sound effects, each a short synthesizer recipe.
#pragma once

#include <string>
#include <vector>

namespace datagen::audio {

struct Effect {
    std::string file;         // name under data/sfx
    std::vector<float> mono;  // samples at kSampleRate, peak below full scale
    bool loops = false;       // played looping: the end joins the start
};

// All eight effects, rendered and levelled against one another.
std::vector<Effect> RenderEffects();

}  // namespace datagen::audio
