// collision_box.cpp — minimum-overlap separation of two axis-aligned boxes.
#include "level/collision_box.h"

#include <cmath>

#include "framework/geometry.h"

void c_Rectangle::Set(float centreX, float centreY, float width, float height) {
    centre = c_Vector(centreX, centreY);
    halfWidth = width * 0.5f;
    halfHeight = height * 0.5f;
}

bool c_Rectangle::Collide(const c_Rectangle& other, c_Vector* push, c_Vector* overlap) const {
    return CollideAt(centre, other, push, overlap);
}

bool c_Rectangle::CollideAt(c_Vector at, const c_Rectangle& other, c_Vector* push, c_Vector* overlap) const {
    if (push) *push = c_Vector(0, 0);
    float dx = at.x - other.centre.x;
    float dy = at.y - other.centre.y;
    float ox = (halfWidth + other.halfWidth) - std::fabs(dx);
    if (!(ox > 0)) return false;
    float oy = (halfHeight + other.halfHeight) - std::fabs(dy);
    if (!(oy > 0)) return false;
    if (overlap) *overlap = c_Vector(ox, oy);
    if (push) {
        if (ox < oy)
            push->x = Sign(dx) * ox;
        else
            push->y = Sign(dy) * oy;
    }
    return true;
}

c_Vector c_CollisionBox::AbsoluteCentre() const {
    if (!ownerPosition) return centre;
    return c_Vector(centre.x + ownerPosition->x, centre.y + ownerPosition->y);
}

bool c_CollisionBox::Collide(const c_Rectangle& other, c_Vector* push, c_Vector* overlap) const {
    return CollideAt(AbsoluteCentre(), other, push, overlap);
}

Ref<c_CollisionBox> MakeObjectBox(float offsetX, float offsetY, float width, float height,
                                  Ref<c_Vector> ownerPosition) {
    auto box = New<c_CollisionBox>(offsetX, offsetY, width, height);
    box->ownerPosition = std::move(ownerPosition);
    box->solid = true;
    box->raisesEvents = true;
    return box;
}
