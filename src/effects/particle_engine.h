// particle_engine.h — a small, allocation-free particle system for short-lived
// sprites such as the snow dust a walking character kicks up.
//
// c_ParticleEngine is a component (c_Cog) that the stage updates; it owns
// named emitters. Each emitter owns a fixed pool of kParticlePoolSize
// particles, each tied to a display object the game supplies; the display
// object sits in the emitter's layer only while its particle lives.
// Particles move with their own velocity under the emitter's acceleration,
// live kParticleLifetimeMs and can animate any named float property over
// their life with per-particle tweens. Nothing is allocated after Init and
// AddTween.
//
// Events: with `announceUpdates` set an emitter raises kParticleUpdated for
// every particle update; it always raises kParticleDied once per particle
// life, at the update in which the particle dies (source: the emitter, data:
// the particle).
#pragma once

#include <map>
#include <vector>

#include "framework/cog.h"
#include "framework/ease.h"
#include "framework/gdo.h"
#include "framework/tween.h"

inline constexpr int kParticlePoolSize = 20;
inline constexpr int kParticleLifetimeMs = 250;
inline constexpr int kParticleUpdated = 7777;
inline constexpr int kParticleDied = 7778;

// One property animation of a particle over a share of its life.
class c_ParticleTween : public Object {
public:
    Ref<c_Tween> tween;
    String property;
    float lifeFraction = 1;
    String ToString() const override { return u"c_ParticleTween"; }
};

class c_Particle : public Object, public c_Resource, public c_Updateable, public c_ObjectWithFloatProperties {
public:
    // The display object that shows the particle, or null.
    Ref<c_GDO> display;
    // Where `display` lives while the particle is alive.
    Ref<c_GDO> layer;
    std::vector<Ref<c_ParticleTween>> tweens;
    c_Vector velocity;  // pixels per second
    bool active = false;
    int lifetime = 0;  // ms
    int age = 0;       // ms since spawn

    explicit c_Particle(Ref<c_GDO> displayLayer) : layer(std::move(displayLayer)) {}
    String ToString() const override { return u"c_Particle"; }

    void Spawn(float vx, float vy);
    bool IsEnabled() override { return active; }
    void Update(int elapsedMs) override;
    void Discard() override {}
    // "speed.x" and "speed.y" steer the particle; every other name goes to
    // the display object (false without one).
    bool SetFloat(StringView name, float value) override;
};

class c_ParticleEmitter : public Object, public c_Resource {
public:
    std::vector<Ref<c_Particle>> particles;
    // Where new particles appear, in the layer's coordinates.
    c_Vector position;
    // Pixels per second squared, added to every live particle's velocity.
    c_Vector acceleration;
    bool announceUpdates = false;
    Ref<c_EaseFunction> ease;
    int count = 0;

    String ToString() const override { return u"c_ParticleEmitter"; }
    // Fills the pool with kParticlePoolSize idle particles for `layer`.
    void Init(const Ref<c_GDO>& layer);
    void SetParticleDisplay(int index, const Ref<c_GDO>& display);
    // Adds the same property animation to every particle of the pool.
    void AddTween(StringView property, float from, float to, float lifeFraction,
                  const Ref<c_EaseFunction>& easeFunction);
    // Spawns the first idle particle with that velocity at `position`; null
    // when the whole pool is alive.
    c_Particle* Emit(float vx, float vy);
    // Advances every live particle (see the events above).
    void UpdateParticles(int elapsedMs);
    void Discard() override;
};

class c_ParticleEngine : public c_Cog {
public:
    std::map<String, Ref<c_ParticleEmitter>, std::less<>> emitters;

    String ToString() const override { return u"c_ParticleEngine"; }
    void Init(StringView engineName);
    void AddEmitter(StringView emitterName, const Ref<c_ParticleEmitter>& emitter);
    Ref<c_ParticleEmitter> GetEmitter(StringView emitterName) const;
    // Every emitter, in name order.
    void Update(int elapsedMs) override;
    void Discard() override;
};
