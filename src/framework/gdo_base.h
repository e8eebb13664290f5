// gdo_base.h — c_GDOBase, the root of every display object: a position, a
// scale and a rotation in degrees, visibility and enabled flags, a name, and
// the named properties every display object answers.
#pragma once

#include "framework/geometry.h"
#include "framework/interfaces.h"
#include "host/object.h"

class c_GDOBase : public Object,
                  public c_ObjectWithFloatProperties,
                  public c_ObjectWithSize,
                  public c_Drawable,
                  public c_Updateable {
public:
    bool visible = true;
    // The node's origin in its parent's space.
    c_Vector position;
    float rotation = 0;  // degrees
    c_Vector scale{1, 1};
    // Scratch values of culling, kept per node so that rendering never
    // allocates.
    c_Circle boundingCircle;
    c_Vector cornerA;
    c_Vector cornerB;
    bool enabled = true;
    String name;

    c_GDOBase() = default;

    String ToString() const override { return u"c_GDOBase"; }

    float GetWidth() override { return 0; }
    float GetHeight() override { return 0; }
    // "rotation", "scale.x", "scale.y", "scale", "position.x", "position.y",
    // "enabled" and "visible" (non-zero = true).
    bool SetFloat(StringView name, float value) override;

    bool IsVisible() override { return visible; }
    void Draw() override {}
    bool IsEnabled() override { return enabled; }
    void Update(int) override {}
};
