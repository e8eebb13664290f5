// cog.h — c_Cog, a component that is updated by its stage but is not part of
// the display tree (box engine, particles, snow). A cog that is also
// c_Drawable is drawn in every view of its stage.
#pragma once

#include "framework/interfaces.h"
#include "host/object.h"

class c_Cog : public Object, public c_Resource, public c_Updateable {
public:
    // Off until the component's own set-up switches it on.
    bool enabled = false;
    String name;

    String ToString() const override { return u"c_Cog"; }
    void Discard() override {}
    bool IsEnabled() override { return enabled; }
    void Update(int) override {}
};
