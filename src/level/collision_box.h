// collision_box.h — the axis-aligned rectangles of level collision.
//
// c_Rectangle is the bare overlap test; c_StaticBox is solid level geometry
// (with an optional owner); c_CollisionBox is a box that moves with a game
// object and is resolved by c_BasicBoxEngine every update; c_CollisionData is
// the payload of the engine's contact events (100 and 101).
//
// Ownership: a game object owns its boxes and the absolute-position vector
// they share with it; a box refers back to its owner weakly, so registering a
// box never keeps a discarded object alive.
#pragma once

#include "framework/geometry.h"
#include "host/object.h"

class c_Rectangle : public Object {
public:
    c_Vector centre;  // y grows downwards
    float halfWidth = 0;
    float halfHeight = 0;

    c_Rectangle() = default;
    c_Rectangle(float centreX, float centreY, float width, float height) { Set(centreX, centreY, width, height); }

    String ToString() const override { return u"c_Rectangle"; }

    // Overlap test against `other`. `push` (when given) is always reset, then
    // receives the minimum separation that moves this rectangle out of
    // `other` along one axis (the vertical one when both overlaps are equal;
    // zero on an axis where the centres coincide). `overlap` (when given)
    // receives the overlap on both axes and is left alone when there is none.
    // Rectangles that only touch do not collide.
    virtual bool Collide(const c_Rectangle& other, c_Vector* push = nullptr, c_Vector* overlap = nullptr) const;

    void Set(float centreX, float centreY, float width, float height);

protected:
    // The test with this rectangle's centre at `at`.
    bool CollideAt(c_Vector at, const c_Rectangle& other, c_Vector* push, c_Vector* overlap) const;
};

// Solid level geometry. Tile rectangles have no owner.
class c_StaticBox : public c_Rectangle {
public:
    WeakRef<Object> owner;

    using c_Rectangle::c_Rectangle;
    String ToString() const override { return u"c_StaticBox"; }
};

class c_CollisionBox : public c_StaticBox {
public:
    // The absolute position of the display object that carries the box, or
    // null. When set, `centre` is an offset from it. Shared with the owner,
    // which refreshes it; the engine writes the resolved position back.
    Ref<c_Vector> ownerPosition;
    // Other moving boxes are pushed out of this one.
    bool solid = false;
    // Contacts of this box are raised as events 100 and 101.
    bool raisesEvents = false;
    // Free for the game's own use; collision never reads it.
    int userTag = 0;
    // The total push applied during the last engine update; (0, 0) when the
    // box touched nothing solid.
    c_Vector correction;

    using c_StaticBox::c_StaticBox;
    String ToString() const override { return u"c_CollisionBox"; }

    // The test made with this box's absolute centre (`centre` +
    // `ownerPosition` when there is an owner position). `other` is taken as
    // it stands.
    bool Collide(const c_Rectangle& other, c_Vector* push = nullptr, c_Vector* overlap = nullptr) const override;

    // `centre` + `ownerPosition` (just `centre` without an owner position).
    c_Vector AbsoluteCentre() const;
};

// A contact as reported by the engine's events. Refilled for every contact;
// read it inside the event, it changes with the next one.
class c_CollisionData final : public Object {
public:
    // The static box or moving box that was hit.
    Ref<c_StaticBox> other;
    c_Vector push;
    c_Vector overlap;

    String ToString() const override { return u"c_CollisionData"; }
};

// The box of a game object: `offsetX`, `offsetY` from `ownerPosition`, of the
// given size; solid and raising events, no owner yet (the caller stores
// itself), tag 0 and no correction.
Ref<c_CollisionBox> MakeObjectBox(float offsetX, float offsetY, float width, float height, Ref<c_Vector> ownerPosition);
