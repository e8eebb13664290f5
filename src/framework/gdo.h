// gdo.h — c_GDO, the common display object: tint, alpha and an ordered list
// of children, with the tree operations, updating and rendering; and the
// plain grouping nodes c_EmptyGDOContainer and c_GDOWithSize.
//
// Ownership: a node owns its children (Ref); `parent` is a raw back pointer,
// cleared when the child leaves the parent, when the parent is discarded and
// when the parent dies. An update walks the children the node had when it
// began (holding them), so a child's Update may remove itself or any sibling
// and add nodes anywhere: every child present at the start updates exactly
// once unless it left before its turn; nodes added wait for the next update.
#pragma once

#include <vector>

#include "framework/gdo_base.h"

class c_GDO : public c_GDOBase, public c_Resource {
public:
    // When true the node is never culled.
    bool alwaysDraw = false;
    // Replaces the inherited colour while this subtree draws.
    c_RGB tint{255, 255, 255};
    // Multiplies the inherited alpha; the product is clamped to 0..1.
    float alpha = 1;
    // Index 0 is drawn first.
    std::vector<Ref<c_GDO>> children;
    bool discarded = false;
    c_GDO* parent = nullptr;
    int indexInParent = -1;

    c_GDO() = default;
    ~c_GDO() override;

    String ToString() const override { return u"c_GDO"; }

    // "alpha" (not clamped here), "tint.r", "tint.g", "tint.b" (truncated to
    // ints), then the names of c_GDOBase.
    bool SetFloat(StringView name, float value) override;
    // Draws this node and its visible children under the current drawing
    // state; false when the node is invisible or culled.
    virtual bool Render();

    // Updates every enabled child in order.
    void Update(int elapsedMs) override;
    void Draw() override {}
    // Discards every child, then empties `children` and sets `discarded`.
    // The node stays in its own parent.
    void Discard() override;

    // Reparents `child` under this node. A valid index (0 <= index < count)
    // inserts there, anything else appends. Null, this node itself and its
    // ancestors are ignored (they would make the tree a cycle).
    void AddChild(const Ref<c_GDO>& child, int index = -1);
    void RemoveFromParent();
    int IndexOfChildByName(StringView childName) const;
    // The first child with that name; recursive searches depth-first in
    // child order. Null when nothing matches.
    Ref<c_GDO> FindChildByName(StringView childName, bool recursive = false) const;

    // Culling: fits `boundingCircle` around the node's size under the matrix
    // m = (a, b, c, d, e, f) of the drawing context.
    void UpdateBoundingCircle(const float* m);
};

// Whether a circle in device pixels meets the screen: the whole device, or
// the game's visible rectangle while that is in force (framework/screen.h).
bool IsOnScreen(const c_Circle& circle);

// The plain grouping node: stage roots, layers, trigger objects. Never
// culled.
class c_EmptyGDOContainer : public c_GDO {
public:
    c_EmptyGDOContainer() { alwaysDraw = true; }
    String ToString() const override { return u"c_EmptyGDOContainer"; }
};

// A grouping node with a size centred on its origin: it covers
// (-width/2, -height/2) to (width/2, height/2) in its own space.
class c_GDOWithSize : public c_EmptyGDOContainer {
public:
    float width = 0;
    float height = 0;

    String ToString() const override { return u"c_GDOWithSize"; }
    float GetWidth() override { return width; }
    float GetHeight() override { return height; }
};
