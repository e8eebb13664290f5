// Tweens, eases and the nodes built on them.
#include <gtest/gtest.h>

#include <vector>

#include "framework/absolute_gdo_vector.h"
#include "framework/events.h"
#include "framework/gdo_with_tween.h"
#include "framework/tween.h"

namespace {

class EventLog final : public Object, public c_EventListener {
public:
    std::vector<int> ids;
    void OnEvent(Object*, int id, Object*) override { ids.push_back(id); }
};

class Tweens : public ::testing::Test {
protected:
    void SetUp() override { ClearListeners(); }
    void TearDown() override { ClearListeners(); }

    Ref<EventLog> Listen(c_Tween& tween) {
        auto log = New<EventLog>();
        AddListener(log, &tween, kAnyEvent);
        return log;
    }
};

}  // namespace

TEST_F(Tweens, LinearRunEndsOnTheUpdatePastItsDuration) {
    auto tween = New<c_Tween>(c_LinearEase::Shared(), 0, 10, 1000);
    EXPECT_FALSE(tween->running);
    tween->Start();
    std::vector<float> values;
    for (int i = 0; i < 4; ++i) {
        tween->Update(250);
        values.push_back(tween->value);
        EXPECT_TRUE(tween->running);
    }
    EXPECT_EQ(values, (std::vector<float>{2.5f, 5, 7.5f, 10}));
    tween->Update(250);
    EXPECT_EQ(tween->value, 10);
    EXPECT_FALSE(tween->running);
    EXPECT_EQ(tween->elapsed, 0);
}

TEST_F(Tweens, EasesHitBothEndsAndTheirMidpoints) {
    struct Case {
        Ref<c_EaseFunction> ease;
        float mid;  // value at t = d/2 for b = 10, c = 8
    };
    const Case cases[] = {
        {c_LinearEase::Shared(), 14},     {c_QuadraticEaseInOut::Shared(), 14}, {c_CubicEaseIn::Shared(), 11},
        {c_CubicEaseInOut::Shared(), 14}, {c_QuarticEaseInOut::Shared(), 14},   {c_SineEaseInOut::Shared(), 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(dynamic_cast<Object&>(*c.ease).ToString()));
        EXPECT_FLOAT_EQ(c.ease->Ease(0, 10, 8, 900), 10);
        EXPECT_FLOAT_EQ(c.ease->Ease(450, 10, 8, 900), c.mid);
        EXPECT_FLOAT_EQ(c.ease->Ease(900, 10, 8, 900), 18);
    }
    // In-out curves are slow at the ends: a quarter of the way in, the
    // quadratic has covered 1/8 of the change and the quartic 1/32.
    EXPECT_FLOAT_EQ(c_QuadraticEaseInOut::Shared()->Ease(25, 0, 8, 100), 1);
    EXPECT_FLOAT_EQ(c_QuarticEaseInOut::Shared()->Ease(25, 0, 32, 100), 1);
    EXPECT_FLOAT_EQ(c_QuarticEaseInOut::Shared()->Ease(75, 0, 32, 100), 31);
    EXPECT_FLOAT_EQ(c_CubicEaseInOut::Shared()->Ease(75, 0, 16, 100), 15);
}

TEST_F(Tweens, OneShotYoyoGoesOutAndBackOnce) {
    auto tween = New<c_Tween>(c_LinearEase::Shared(), 0, 6, 100, false, true);
    tween->raiseEvents = true;
    auto log = Listen(*tween);
    tween->Start();
    tween->Update(100);
    EXPECT_EQ(tween->value, 6);
    tween->Update(1);  // past the end: turns
    EXPECT_EQ(log->ids, (std::vector<int>{300, 400, 300, 600}));
    EXPECT_TRUE(tween->running);
    EXPECT_EQ(tween->segmentStart, 6);
    EXPECT_EQ(tween->segmentEnd, 0);
    tween->Update(50);
    EXPECT_EQ(tween->value, 3);
    tween->Update(50);
    tween->Update(1);  // past the end again: stops
    EXPECT_EQ(tween->value, 0);
    EXPECT_FALSE(tween->running);
    EXPECT_EQ(tween->completedRuns, 2);
    EXPECT_EQ(log->ids, (std::vector<int>{300, 400, 300, 600, 100, 600}));
}

TEST_F(Tweens, LoopingYoyoNeverStopsAndPlainLoopSnapsBack) {
    auto bob = New<c_Tween>(c_QuadraticEaseInOut::Shared(), -3, 3, 900, true, true);
    bob->Start();
    for (int i = 0; i < 1000; ++i) {
        bob->Update(16);
        ASSERT_TRUE(bob->running);
        ASSERT_GE(bob->value, -3);
        ASSERT_LE(bob->value, 3);
    }

    auto loop = New<c_Tween>(c_LinearEase::Shared(), 0, 10, 100, true, false);
    loop->raiseEvents = true;
    auto log = Listen(*loop);
    loop->Start();
    loop->Update(100);
    loop->Update(10);  // the end: restart, value stays at the end for now
    EXPECT_EQ(loop->value, 10);
    EXPECT_EQ(log->ids, (std::vector<int>{300, 500, 600}));
    loop->Update(10);  // the overshoot is not carried: 10 ms into the new run
    EXPECT_EQ(loop->value, 1);
    EXPECT_EQ(loop->completedRuns, 1);
    EXPECT_TRUE(loop->running);
}

TEST_F(Tweens, StopResumeReverseAndTheIdleCases) {
    auto tween = New<c_Tween>(c_LinearEase::Shared(), 0, 10, 100);
    tween->raiseEvents = true;
    auto log = Listen(*tween);
    tween->Start();
    tween->Update(40);
    tween->Stop();
    EXPECT_EQ(tween->value, 4);
    EXPECT_FALSE(tween->running);
    tween->Update(40);
    EXPECT_EQ(tween->value, 4);
    tween->Resume();  // restarts the run toward 10 from its beginning
    tween->Update(50);
    EXPECT_EQ(tween->value, 5);
    tween->ReverseTo(5);  // no change to make: not started again
    EXPECT_EQ(log->ids, (std::vector<int>{300, 100, 300}));
    tween->ReverseTo(0);
    tween->Update(50);
    EXPECT_EQ(tween->value, 2.5f);

    auto flat = New<c_Tween>(c_LinearEase::Shared(), 3, 3, 100);
    flat->Start();
    EXPECT_FALSE(flat->running);

    // A zero duration ends on the first update with time in it.
    auto instant = New<c_Tween>(c_LinearEase::Shared(), 0, 1, 0);
    instant->Start();
    instant->Update(0);
    EXPECT_EQ(instant->value, 0);
    EXPECT_TRUE(instant->running);
    instant->Update(16);
    EXPECT_EQ(instant->value, 1);
    EXPECT_FALSE(instant->running);
}

TEST_F(Tweens, NothingIsHeardWithoutRaiseEvents) {
    auto tween = New<c_Tween>(c_LinearEase::Shared(), 0, 6, 100, false, true);
    auto log = Listen(*tween);
    tween->Start();
    for (int i = 0; i < 30; ++i) tween->Update(16);
    tween->Stop();
    EXPECT_TRUE(log->ids.empty());
}

TEST_F(Tweens, DelayIsWaitedOutAndNotCarriedOver) {
    auto fade = New<c_TweenWithDelay>(c_LinearEase::Shared(), 0, 1, 2000);
    fade->delay = 1000;
    fade->Start();
    int t = 0;
    while (t < 900) {
        fade->Update(100);
        t += 100;
        EXPECT_EQ(fade->value, 0) << t;
    }
    fade->Update(100);  // the delay is complete: this update runs
    EXPECT_FLOAT_EQ(fade->value, 0.05f);
    t += 100;
    while (fade->running) {
        fade->Update(100);
        t += 100;
    }
    EXPECT_EQ(t, 3000);
    EXPECT_EQ(fade->value, 1);

    fade->Start();  // the delay counts again
    fade->Update(500);
    EXPECT_EQ(fade->value, 0);
}

TEST_F(Tweens, GdoWithTweenDrivesItsOwnProperty) {
    auto node = New<c_GDOWithTween>();
    node->propertyName = u"alpha";
    node->tween = New<c_Tween>(c_LinearEase::Shared(), 1, 0, 100);
    node->Update(50);  // idle tween: nothing
    EXPECT_EQ(node->alpha, 1);
    node->tween->Start();
    node->Update(50);
    EXPECT_EQ(node->alpha, 0.5f);
    node->enabled = false;
    node->Update(50);
    EXPECT_EQ(node->alpha, 0.5f);
    node->enabled = true;
    node->propertyName = u"nonsense";  // silently nothing
    node->Update(50);
    EXPECT_EQ(node->alpha, 0.5f);
    EXPECT_EQ(node->tween->value, 0);
}

TEST(AbsoluteVector, SumsPositionsUpTheTree) {
    auto root = New<c_GDO>();
    auto mid = New<c_GDO>();
    auto leaf = New<c_GDO>();
    root->position.Set(100, 50);
    root->scale.Set(2, 2);  // ignored
    mid->position.Set(10, 5);
    leaf->position.Set(1, 2);
    root->AddChild(mid);
    mid->AddChild(leaf);
    auto abs = New<c_SimpleAbsoluteGDOVector>(leaf.get());
    EXPECT_EQ(abs->x, 111);
    EXPECT_EQ(abs->y, 57);
    leaf->position.x = 3;
    abs->Refresh();
    EXPECT_EQ(abs->x, 113);
    leaf.reset();
    mid->children.clear();  // the target dies: the last value stays
    abs->Refresh();
    EXPECT_EQ(abs->x, 113);
    EXPECT_EQ(abs->target, nullptr);
}
