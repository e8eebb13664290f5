// The event registry: matching, order, weak listeners and re-entrancy.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/async_events.h"
#include "framework/events.h"

namespace {

class Recorder final : public Object, public c_EventListener {
public:
    std::vector<int>* log = nullptr;
    int tag = 0;
    std::function<void()> onEvent;
    void OnEvent(Object*, int, Object*) override {
        if (log) log->push_back(tag);
        if (onEvent) onEvent();
    }
};

class EventRegistry : public ::testing::Test {
protected:
    void SetUp() override { ClearListeners(); }
    void TearDown() override { ClearListeners(); }

    Ref<Recorder> Make(int tag) {
        auto r = New<Recorder>();
        r->log = &log;
        r->tag = tag;
        keep.push_back(r);
        return r;
    }

    std::vector<int> log;
    std::vector<Ref<Recorder>> keep;
};

}  // namespace

TEST_F(EventRegistry, ReachesExactlyTheMatchingRegistrationsInOrder) {
    auto s = New<Object>();
    auto other = New<Object>();
    AddListener(Make(1), s.get(), 7);
    AddListener(Make(2), other.get(), 7);
    AddListener(Make(3), nullptr, 7);
    AddListener(Make(4), s.get(), 8);
    AddListener(Make(5), s.get(), kAnyEvent);
    AddListener(Make(6), other.get(), kAnyEvent);
    AddListener(Make(7), nullptr, kAnyEvent);
    RaiseEvent(s.get(), 7, nullptr);
    EXPECT_EQ(log, (std::vector<int>{1, 3, 5, 7}));

    log.clear();
    RemoveListener(keep[0].get());
    RemoveListener(keep[4].get());
    RaiseEvent(s.get(), 7, nullptr);
    EXPECT_EQ(log, (std::vector<int>{3, 7}));
}

TEST_F(EventRegistry, RegisteringKeepsNothingAlive) {
    auto s = New<Object>();
    {
        auto listener = New<Recorder>();
        listener->log = &log;
        AddListener(listener, s.get(), 1);
        EXPECT_EQ(listener.use_count(), 1);
    }
    RaiseEvent(s.get(), 1, nullptr);  // the dead listener is skipped
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ListenerCount(), 0);

    // A registration for a source that died does not pass to a new object.
    AddListener(Make(1), s.get(), 1);
    s.reset();
    auto fresh = New<Object>();
    RaiseEvent(fresh.get(), 1, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(EventRegistry, ListenersMayAddAndRemoveInsideOnEvent) {
    auto s = New<Object>();
    auto first = Make(1);
    auto second = Make(2);
    auto third = Make(3);
    auto late = Make(9);
    // The first removes itself and the second; the third adds a new one.
    first->onEvent = [&] {
        RemoveListener(first.get());
        RemoveListener(second.get());
    };
    bool added = false;
    third->onEvent = [&] {
        if (!added) AddListener(late, s.get(), 1);
        added = true;
    };
    AddListener(first, s.get(), 1);
    AddListener(second, s.get(), 1);
    AddListener(third, s.get(), 1);
    RaiseEvent(s.get(), 1, nullptr);
    // Nothing is skipped by the removals; the addition is reached in the
    // same walk.
    EXPECT_EQ(log, (std::vector<int>{1, 3, 9}));
    log.clear();
    RaiseEvent(s.get(), 1, nullptr);
    EXPECT_EQ(log, (std::vector<int>{3, 9}));
    EXPECT_EQ(ListenerCount(), 2);
}

TEST_F(EventRegistry, AListenerDroppedByItsOwnerInsideOnEventSurvivesTheCall) {
    auto s = New<Object>();
    auto listener = New<Recorder>();
    Recorder* raw = listener.get();
    raw->onEvent = [&] {
        listener.reset();  // the owner lets go mid-call
        raw->tag = 5;      // still valid memory
    };
    AddListener(listener, s.get(), 1);
    RaiseEvent(s.get(), 1, nullptr);
    EXPECT_EQ(listener, nullptr);
    EXPECT_EQ(ListenerCount(), 0);
}

namespace {

class Source final : public Object, public c_IAsyncEventSource {
public:
    std::vector<int>* log = nullptr;
    int tag = 0;
    bool leave = false;
    bool reenter = false;
    void UpdateAsyncEvents() override {
        log->push_back(tag);
        EXPECT_EQ(CurrentAsyncEventSource(), this);
        if (reenter) ProcessAsyncEvents();  // ignored while serving
        if (leave) RemoveAsyncEventSource(this);
    }
};

}  // namespace

TEST(AsyncEvents, EverySourceIsServedOnceEvenWhenOneLeaves) {
    std::vector<int> log;
    std::vector<Ref<Source>> sources;
    for (int tag : {1, 2, 3}) {
        auto s = New<Source>();
        s->log = &log;
        s->tag = tag;
        AddAsyncEventSource(s);
        sources.push_back(s);
    }
    sources[0]->leave = true;
    sources[1]->reenter = true;
    ProcessAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(CurrentAsyncEventSource(), nullptr);
    log.clear();
    sources[2].reset();  // held weakly: a dead source is dropped
    ProcessAsyncEvents();
    EXPECT_EQ(log, (std::vector<int>{2}));
    RemoveAsyncEventSource(sources[1].get());
}
