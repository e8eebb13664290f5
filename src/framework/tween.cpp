// tween.cpp — see tween.h.
#include "framework/tween.h"

#include "framework/events.h"

void c_Tween::Setup(Ref<c_EaseFunction> easeFunction, float fromValue, float toValue, int durationMs, bool loops,
                    bool yoyos) {
    ease = std::move(easeFunction);
    from = fromValue;
    to = toValue;
    duration = durationMs;
    loop = loops;
    yoyo = yoyos;
    segmentStart = from;
    segmentEnd = to;
    value = from;
    elapsed = 0;
    running = false;
}

void c_Tween::Notify(int eventId) {
    if (raiseEvents) RaiseEvent(this, eventId, nullptr);
}

void c_Tween::Start() {
    completedRuns = 0;
    elapsed = 0;
    segmentStart = from;
    segmentEnd = to;
    value = from;
    if (from != to) {
        Notify(kTweenStarted);
        running = true;
    }
}

void c_Tween::Update(int elapsedMs) {
    if (running) SetTime(elapsed + elapsedMs);
}

float c_Tween::SetTime(int t) {
    elapsed = t;
    if (t <= duration) {
        if (duration <= 0) {
            // A zero-length run has no curve to sample; it sits at its start
            // until time passes.
            value = segmentStart;
        } else {
            float change = segmentEnd - segmentStart;
            float ft = static_cast<float>(t);
            float fd = static_cast<float>(duration);
            value = ease ? ease->Ease(ft, segmentStart, change, fd) : change * ft / fd + segmentStart;
        }
        return value;
    }
    value = segmentEnd;
    if (!loop && !yoyo) {
        Notify(kTweenFinished);
        running = false;
        elapsed = 0;
    } else {
        ++completedRuns;
        if (yoyo) {
            if (completedRuns > 1 && !loop) {
                Stop();
            } else {
                Notify(kTweenTurned);
                ReverseTo(segmentStart);
            }
        } else {
            Notify(kTweenRestarted);
            elapsed = 0;
        }
    }
    Notify(kTweenEndHandled);
    return value;
}

void c_Tween::Stop() {
    Notify(kTweenFinished);
    elapsed = 0;
    running = false;
}

void c_Tween::Resume() {
    if (segmentEnd != value) {
        Notify(kTweenStarted);
        running = true;
    }
}

void c_Tween::ReverseTo(float target) {
    elapsed = 0;
    segmentStart = value;
    segmentEnd = target;
    if (target != value) {
        Notify(kTweenStarted);
        running = true;
    }
}

void c_TweenWithDelay::Start() {
    c_Tween::Start();
    delayElapsed = 0;
}

void c_TweenWithDelay::Update(int elapsedMs) {
    if (!running) return;
    // Saturates at the delay so a long-running tween never overflows.
    if (delayElapsed < delay) delayElapsed += elapsedMs;
    if (delayElapsed >= delay) SetTime(elapsed + elapsedMs);
}
