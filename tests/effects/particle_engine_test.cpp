// Particle pools, motion, property tweens and the death event.
#include <gtest/gtest.h>

#include "effects/particle_engine.h"
#include "framework/events.h"
#include "framework/rectangle_gdo.h"
#include "support/allocation_counter.h"

namespace {

class DeathLog final : public Object, public c_EventListener {
public:
    int deaths = 0;
    void OnEvent(Object*, int id, Object*) override {
        if (id == kParticleDied) ++deaths;
    }
};

struct Dust {
    Ref<c_EmptyGDOContainer> layer = New<c_EmptyGDOContainer>();
    Ref<c_ParticleEngine> engine = New<c_ParticleEngine>();
    Ref<c_ParticleEmitter> emitter = New<c_ParticleEmitter>();
    Dust() {
        ClearListeners();
        engine->Init(u"PARTICLE_ENGINE");
        emitter->Init(layer);
        for (int i = 0; i < kParticlePoolSize; ++i) emitter->SetParticleDisplay(i, New<c_RectangleGDO>(2, 2));
        engine->AddEmitter(u"DUST", emitter);
    }
    ~Dust() { ClearListeners(); }
};

}  // namespace

TEST(Particles, PoolOfTwentyRefusesTheTwentyFirstUntilOneDies) {
    Dust d;
    for (int i = 0; i < kParticlePoolSize; ++i) ASSERT_NE(d.emitter->Emit(0, 0), nullptr) << i;
    EXPECT_EQ(d.emitter->Emit(0, 0), nullptr);
    EXPECT_EQ(d.layer->children.size(), 20u);
    auto log = New<DeathLog>();
    AddListener(log, d.emitter.get(), kParticleDied);
    for (int t = 0; t < 250; t += 10) d.engine->Update(10);
    EXPECT_EQ(log->deaths, 20);
    EXPECT_TRUE(d.layer->children.empty());
    d.engine->Update(10);
    EXPECT_EQ(log->deaths, 20) << "a particle dies once";
    EXPECT_NE(d.emitter->Emit(0, 0), nullptr);
}

TEST(Particles, FirstStepUsesTheSpawnVelocityThenAccelerates) {
    Dust d;
    d.emitter->acceleration.Set(0, 700);
    d.emitter->position.Set(5, 5);
    c_Particle* p = d.emitter->Emit(10, -50);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->display->visible) << "hidden until its first update";
    d.engine->Update(16);
    EXPECT_TRUE(p->display->visible);
    EXPECT_NEAR(p->display->position.x, 5.16f, 1e-4);
    EXPECT_NEAR(p->display->position.y, 4.2f, 1e-4);
    EXPECT_NEAR(p->velocity.x, 10.0f, 1e-4);
    EXPECT_NEAR(p->velocity.y, -38.8f, 1e-4);
}

TEST(Particles, TweensDriveDisplayPropertiesAndSpeed) {
    Dust d;
    d.emitter->AddTween(u"alpha", 1, 0, 1, c_CubicEaseInOut::Shared());
    d.emitter->AddTween(u"speed.y", 0, 100, 0.5f, New<c_LinearEase>());
    c_Particle* p = d.emitter->Emit(0, 0);
    ASSERT_NE(p, nullptr);
    Ref<c_GDO> display = p->display;
    for (int i = 0; i < 5; ++i) d.engine->Update(25);
    EXPECT_NEAR(display->alpha, 0.5f, 1e-4);
    EXPECT_NEAR(p->velocity.y, 100.0f, 1e-4) << "a half-life tween ends at 125 ms";
    d.engine->Update(50);
    EXPECT_NEAR(p->velocity.y, 100.0f, 1e-4) << "and stays at its end value";
    for (int i = 0; i < 2; ++i) d.engine->Update(25);
    EXPECT_EQ(display->parent, d.layer.get());
    d.engine->Update(25);
    EXPECT_EQ(display->parent, nullptr) << "taken out of the layer at 250 ms";

    EXPECT_TRUE(p->SetFloat(u"speed.y", -20));
    EXPECT_EQ(p->velocity.y, -20);
    EXPECT_NE(display->position.y, -20);
    c_Particle bare(nullptr);
    EXPECT_FALSE(bare.SetFloat(u"alpha", 0.5f));
}

TEST(Particles, UpdatesAnnounceEachParticleAndDieOnce) {
    Dust d;
    struct Log final : Object, c_EventListener {
        std::vector<std::pair<int, Object*>> heard;
        void OnEvent(Object*, int id, Object* data) override { heard.emplace_back(id, data); }
    };
    auto log = New<Log>();
    AddListener(log, d.emitter.get(), kAnyEvent);
    c_Particle* p = d.emitter->Emit(0, 0);
    d.engine->Update(100);
    EXPECT_TRUE(log->heard.empty()) << "updates are announced only when asked for";
    d.emitter->announceUpdates = true;
    d.engine->Update(100);
    d.engine->Update(100);
    d.engine->Update(100);
    using Heard = std::vector<std::pair<int, Object*>>;
    EXPECT_EQ(log->heard, (Heard{{kParticleUpdated, p}, {kParticleUpdated, p}, {kParticleDied, p}}));
}

TEST(Particles, SpawningAndUpdatingAllocateNothing) {
    if (!AllocationCounter::Available()) GTEST_SKIP() << "the sanitizer owns operator new";
    Dust d;
    d.emitter->acceleration.Set(0, 700);
    d.emitter->announceUpdates = true;
    d.emitter->AddTween(u"alpha", 1, 0, 1, c_CubicEaseInOut::Shared());
    d.emitter->AddTween(u"speed.x", 10, 0, 0.5f, d.emitter->ease);
    auto log = New<DeathLog>();
    AddListener(log, d.emitter.get(), kAnyEvent);
    // A particle every update: the pool runs full and refuses some.
    auto step = [&](int i) {
        d.emitter->position.Set(static_cast<float>(i % 7), 0);
        d.emitter->Emit(static_cast<float>(i % 5) - 2, -40);
        d.engine->Update(16);
    };
    for (int i = 0; i < 60; ++i) step(i);

    AllocationCounter allocations;
    for (int i = 0; i < 400; ++i) step(i);
    EXPECT_EQ(allocations.Stop(), 0);
    EXPECT_GT(log->deaths, 300);
}
