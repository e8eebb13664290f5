// gdo_with_tween.cpp — see gdo_with_tween.h.
#include "framework/gdo_with_tween.h"

void c_GDOWithTween::Update(int elapsedMs) {
    c_GDO::Update(elapsedMs);
    if (enabled && tween && tween->running) {
        tween->Update(elapsedMs);
        SetFloat(propertyName, tween->value);
    }
}
