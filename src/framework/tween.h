// tween.h — c_Tween, one float moving from `from` to `to` over `duration`
// milliseconds along an easing curve, optionally looping and/or going back
// and forth (yoyo); and c_TweenWithDelay, which waits before it runs.
//
// A tween knows nothing about what it animates: its owner advances it with
// Update and reads `value` (or a c_GDOWithTween writes it into a named
// property). With `raiseEvents` set it reports its progress through the
// event registry with itself as the source (ids below). Nothing is allocated
// while a tween runs.
#pragma once

#include "framework/ease.h"
#include "framework/interfaces.h"
#include "host/object.h"

// A run starts (Start, Resume or ReverseTo with a change to make).
inline constexpr int kTweenStarted = 300;
// The tween finished (the end with neither loop nor yoyo, or Stop).
inline constexpr int kTweenFinished = 100;
// A yoyo turns back at the end of a run.
inline constexpr int kTweenTurned = 400;
// A loop restarts at the end of a run.
inline constexpr int kTweenRestarted = 500;
// After the handling of every reached end.
inline constexpr int kTweenEndHandled = 600;

class c_Tween : public Object, public c_Updateable {
public:
    // Null eases linearly.
    Ref<c_EaseFunction> ease;
    int duration = 0;  // ms
    bool loop = false;
    bool yoyo = false;
    bool running = false;
    float from = 0;
    float to = 0;
    // The ends of the run in progress (a yoyo or ReverseTo changes them).
    float segmentStart = 0;
    float segmentEnd = 0;
    int elapsed = 0;  // ms into the run in progress
    float value = 0;
    int completedRuns = 0;
    bool raiseEvents = false;

    c_Tween() = default;
    c_Tween(Ref<c_EaseFunction> easeFunction, float fromValue, float toValue, int durationMs, bool loops = false,
            bool yoyos = false) {
        Setup(std::move(easeFunction), fromValue, toValue, durationMs, loops, yoyos);
    }

    String ToString() const override { return u"c_Tween"; }

    // Sets the tween up idle at `from`.
    void Setup(Ref<c_EaseFunction> easeFunction, float fromValue, float toValue, int durationMs, bool loops = false,
               bool yoyos = false);

    // Restarts from `from` toward `to`; a tween whose ends are equal does not
    // run.
    virtual void Start();
    bool IsEnabled() override { return running; }
    void Update(int elapsedMs) override;
    // Moves to t ms into the current run and returns the value; past the
    // duration the run ends (stop, turn or restart).
    float SetTime(int t);
    // Ends the tween where it is (event 100).
    void Stop();
    // Continues a stopped run toward `segmentEnd`.
    void Resume();
    // Starts a new run from the current value to `target`.
    void ReverseTo(float target);

protected:
    void Notify(int eventId);
};

class c_TweenWithDelay : public c_Tween {
public:
    int delay = 0;  // ms before the run begins
    int delayElapsed = 0;

    using c_Tween::c_Tween;
    String ToString() const override { return u"c_TweenWithDelay"; }

    void Start() override;
    // Counts the delay first; the waiting time is not carried into the run.
    void Update(int elapsedMs) override;
};
