// gdo_with_tween.h — c_GDOWithTween, a sized grouping node that writes its
// tween's value into one of its own named properties every update (a fade
// through "alpha" fades the whole subtree).
#pragma once

#include "framework/gdo.h"
#include "framework/tween.h"

class c_GDOWithTween : public c_GDOWithSize {
public:
    Ref<c_Tween> tween;
    // A name this node does not handle is silently ignored.
    String propertyName;

    String ToString() const override { return u"c_GDOWithTween"; }
    // The children first, then (while enabled and the tween runs) the tween
    // and the property.
    void Update(int elapsedMs) override;
};
