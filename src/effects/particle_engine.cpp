// particle_engine.cpp — see particle_engine.h.
#include "effects/particle_engine.h"

#include "framework/events.h"

// ---- particle -------------------------------------------------------------

void c_Particle::Spawn(float vx, float vy) {
    active = true;
    age = 0;
    lifetime = kParticleLifetimeMs;
    velocity.Set(vx, vy);
    if (display) {
        // Hidden until its first update, so it never shows a frame at a
        // stale place.
        display->visible = false;
        if (layer) layer->AddChild(display);
    }
    for (auto& pt : tweens) {
        pt->tween->duration = static_cast<int>(pt->lifeFraction * static_cast<float>(kParticleLifetimeMs));
        pt->tween->Start();
    }
}

void c_Particle::Update(int elapsedMs) {
    if (display) {
        display->position.x += velocity.x * static_cast<float>(elapsedMs) / 1000.0f;
        display->position.y += velocity.y * static_cast<float>(elapsedMs) / 1000.0f;
    }
    for (auto& pt : tweens) {
        if (pt->tween->IsEnabled()) pt->tween->Update(elapsedMs);
        SetFloat(pt->property, pt->tween->value);
    }
    if (display) display->visible = true;
    age += elapsedMs;
    if (age >= lifetime) {
        active = false;
        if (display) display->RemoveFromParent();
    }
}

bool c_Particle::SetFloat(StringView propertyName, float value) {
    if (propertyName == u"speed.x") {
        velocity.x = value;
        return true;
    }
    if (propertyName == u"speed.y") {
        velocity.y = value;
        return true;
    }
    return display ? display->SetFloat(propertyName, value) : false;
}

// ---- emitter --------------------------------------------------------------

void c_ParticleEmitter::Init(const Ref<c_GDO>& layer) {
    position.Set(0, 0);
    acceleration.Set(0, 0);
    announceUpdates = false;
    ease = New<c_LinearEase>();
    particles.clear();
    particles.reserve(kParticlePoolSize);
    for (int i = 0; i < kParticlePoolSize; ++i) particles.push_back(New<c_Particle>(layer));
    count = kParticlePoolSize;
    // Room in the layer for the whole pool at once: spawning joins it.
    if (layer) layer->children.reserve(layer->children.capacity() + kParticlePoolSize);
}

void c_ParticleEmitter::SetParticleDisplay(int index, const Ref<c_GDO>& display) {
    if (index >= 0 && index < count) particles[index]->display = display;
}

void c_ParticleEmitter::AddTween(StringView property, float from, float to, float lifeFraction,
                                 const Ref<c_EaseFunction>& easeFunction) {
    for (auto& p : particles) {
        auto pt = New<c_ParticleTween>();
        pt->tween = New<c_Tween>(easeFunction, from, to, 1);
        pt->property = String(property);
        pt->lifeFraction = lifeFraction;
        p->tweens.push_back(pt);
    }
}

c_Particle* c_ParticleEmitter::Emit(float vx, float vy) {
    for (int i = 0; i < count; ++i) {
        c_Particle* p = particles[i].get();
        if (!p || p->active) continue;
        p->Spawn(vx, vy);
        if (p->display) p->display->position = position;
        return p;
    }
    return nullptr;
}

void c_ParticleEmitter::UpdateParticles(int elapsedMs) {
    const float ax = acceleration.x, ay = acceleration.y;
    for (int i = 0; i < count; ++i) {
        c_Particle* p = particles[i].get();
        if (!p || !p->IsEnabled()) continue;
        p->Update(elapsedMs);
        p->velocity.x += ax * static_cast<float>(elapsedMs) / 1000.0f;
        p->velocity.y += ay * static_cast<float>(elapsedMs) / 1000.0f;
        if (announceUpdates) RaiseEvent(this, kParticleUpdated, p);
        if (!p->active) RaiseEvent(this, kParticleDied, p);
    }
}

void c_ParticleEmitter::Discard() {
    for (auto& p : particles)
        if (p) p->Discard();
}

// ---- engine ---------------------------------------------------------------

void c_ParticleEngine::Init(StringView engineName) {
    name = String(engineName);
    enabled = true;
    emitters.clear();
}

void c_ParticleEngine::AddEmitter(StringView emitterName, const Ref<c_ParticleEmitter>& emitter) {
    emitters[String(emitterName)] = emitter;
}

Ref<c_ParticleEmitter> c_ParticleEngine::GetEmitter(StringView emitterName) const {
    auto it = emitters.find(emitterName);
    return it == emitters.end() ? nullptr : it->second;
}

void c_ParticleEngine::Update(int elapsedMs) {
    for (auto& [key, emitter] : emitters)
        if (emitter) emitter->UpdateParticles(elapsedMs);
}

void c_ParticleEngine::Discard() {
    for (auto& [key, emitter] : emitters)
        if (emitter) emitter->Discard();
}
