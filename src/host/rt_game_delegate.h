// rt_game_delegate.h — the callback interface through which the host reaches
// the game. Every callback does nothing by default.
#pragma once

#include "host/object.h"

class RtGameDelegate : public Object {
public:
    virtual void StartGame() {}
    virtual void SuspendGame() {}
    virtual void ResumeGame() {}
    virtual void UpdateGame() {}
    virtual void RenderGame() {}
    virtual void KeyEvent(int /*event*/, int /*data*/) {}
    virtual void MouseEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
    virtual void TouchEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
    virtual void MotionEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/, float /*z*/) {}
    virtual void DiscardGraphics() {}
    String ToString() const override { return u"RtGameDelegate"; }
};
