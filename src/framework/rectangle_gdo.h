// rectangle_gdo.h — c_RectangleGDO, a plain filled or outlined rectangle
// centred on its origin, drawn in its tint (black unless set).
#pragma once

#include "framework/gdo.h"

class c_RectangleGDO : public c_GDOWithSize {
public:
    bool outlineOnly = false;

    explicit c_RectangleGDO(float w = 0, float h = 0) {
        tint.Set(0, 0, 0);
        width = w;
        height = h;
    }
    String ToString() const override { return u"c_RectangleGDO"; }
    void Draw() override;
};
