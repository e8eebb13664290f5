// absolute_gdo_vector.cpp — see absolute_gdo_vector.h.
#include "framework/absolute_gdo_vector.h"

void c_SimpleAbsoluteGDOVector::SetTarget(c_GDO* targetNode) {
    target = targetNode;
    targetRef_.reset();
    targetTracked_ = false;
    if (target) {
        targetRef_ = target->weak_from_this();
        targetTracked_ = !targetRef_.expired();
    }
    Refresh();
}

void c_SimpleAbsoluteGDOVector::Refresh() {
    if (!target) return;
    if (targetTracked_ && targetRef_.expired()) {
        target = nullptr;
        return;
    }
    x = target->position.x;
    y = target->position.y;
    for (const c_GDO* node = target->parent; node; node = node->parent) {
        x += node->position.x;
        y += node->position.y;
    }
}
