// absolute_gdo_vector.h — c_SimpleAbsoluteGDOVector, a display object's
// position in the coordinates of its tree's root (the sum of the positions
// up the parent chain; scale and rotation of the ancestors are ignored).
//
// The target is not owned: usually the vector belongs to its target (a
// character's own absolute position). When the target was owned by a Ref at
// the time it was given, the vector notices its death and keeps the last
// value; otherwise the target must outlive the vector.
#pragma once

#include "framework/gdo.h"

class c_SimpleAbsoluteGDOVector : public Object, public c_Vector {
public:
    c_GDO* target = nullptr;

    c_SimpleAbsoluteGDOVector() = default;
    // Made with its target and refreshed at once.
    explicit c_SimpleAbsoluteGDOVector(c_GDO* targetNode) { SetTarget(targetNode); }

    String ToString() const override { return u"c_SimpleAbsoluteGDOVector"; }
    void SetTarget(c_GDO* targetNode);
    // Recomputes (x, y) from the target's position and its ancestors'.
    void Refresh();

private:
    WeakRef<Object> targetRef_;
    bool targetTracked_ = false;
};
