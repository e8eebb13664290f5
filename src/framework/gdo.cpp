// gdo.cpp — see gdo.h. Rendering is in gdo_render.cpp.
#include "framework/gdo.h"

c_GDO::~c_GDO() {
    // Children that outlive this node (held elsewhere) must not point back
    // at freed memory.
    for (auto& child : children) {
        if (child && child->parent == this) {
            child->parent = nullptr;
            child->indexInParent = -1;
        }
    }
}

bool c_GDO::SetFloat(StringView propertyName, float value) {
    if (propertyName == u"alpha") {
        alpha = value;
    } else if (propertyName == u"tint.r") {
        tint.r = TruncToInt(value);
    } else if (propertyName == u"tint.g") {
        tint.g = TruncToInt(value);
    } else if (propertyName == u"tint.b") {
        tint.b = TruncToInt(value);
    } else {
        return c_GDOBase::SetFloat(propertyName, value);
    }
    return true;
}

namespace {

// The children of every node being updated, deepest last. An update walks
// the children it had when it began, so a child's Update may remove or add
// siblings anywhere: each child there at the start updates once, unless it
// left before its turn, and children added during the walk wait for the next
// update. The stack is made with the program and keeps its capacity, so no
// update allocates for it, not even the first.
std::vector<Ref<c_GDO>> g_updateSnapshots = [] {
    std::vector<Ref<c_GDO>> v;
    v.reserve(16384);
    return v;
}();

std::vector<Ref<c_GDO>>& UpdateSnapshots() { return g_updateSnapshots; }

}  // namespace

void c_GDO::Update(int elapsedMs) {
    std::vector<Ref<c_GDO>>& snapshots = UpdateSnapshots();
    const std::size_t base = snapshots.size();
    snapshots.insert(snapshots.end(), children.begin(), children.end());
    const std::size_t end = snapshots.size();
    for (std::size_t i = base; i < end; ++i) {
        // A copy: deeper updates may grow (and move) the stack.
        Ref<c_GDO> child = snapshots[i];
        if (child->parent == this && child->IsEnabled()) child->Update(elapsedMs);
    }
    snapshots.resize(base);
}

void c_GDO::Discard() {
    for (std::size_t i = 0; i < children.size(); ++i) {
        Ref<c_GDO> child = children[i];
        child->Discard();
    }
    for (auto& child : children) {
        if (child->parent == this) {
            child->parent = nullptr;
            child->indexInParent = -1;
        }
    }
    children.clear();
    discarded = true;
}

void c_GDO::AddChild(const Ref<c_GDO>& child, int index) {
    if (!child) return;
    for (const c_GDO* node = this; node; node = node->parent) {
        if (node == child.get()) return;
    }
    Ref<c_GDO> keep = child;  // the caller's reference may be the old parent's slot
    keep->RemoveFromParent();
    keep->parent = this;
    int count = static_cast<int>(children.size());
    if (index >= 0 && index < count) {
        children.insert(children.begin() + index, keep);
        keep->indexInParent = index;
    } else {
        children.push_back(keep);
        keep->indexInParent = count;
    }
}

void c_GDO::RemoveFromParent() {
    if (!parent) return;
    auto& siblings = parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) {
            // The parent's slot may be the last owner: keep this node alive
            // until the function is done with it.
            Ref<c_GDO> keep = siblings[i];
            indexInParent = -1;
            parent = nullptr;
            siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

int c_GDO::IndexOfChildByName(StringView childName) const {
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i]->name == childName) return static_cast<int>(i);
    }
    return -1;
}

Ref<c_GDO> c_GDO::FindChildByName(StringView childName, bool recursive) const {
    if (!recursive) {
        int index = IndexOfChildByName(childName);
        return index < 0 ? nullptr : children[static_cast<std::size_t>(index)];
    }
    for (const auto& child : children) {
        if (child->name == childName) return child;
        if (Ref<c_GDO> found = child->FindChildByName(childName, true)) return found;
    }
    return nullptr;
}

void c_GDO::UpdateBoundingCircle(const float* m) {
    cornerA.Set(GetWidth() * 0.5f, GetHeight() * 0.5f);
    cornerB.Set(GetWidth() * 0.5f, -GetHeight() * 0.5f);
    float ax = cornerA.x * m[0] + cornerA.y * m[2] + m[4];
    float ay = cornerA.x * m[1] + cornerA.y * m[3] + m[5];
    float bx = cornerB.x * m[0] + cornerB.y * m[2] + m[4];
    float by = cornerB.x * m[1] + cornerB.y * m[3] + m[5];
    boundingCircle.center.Set(m[4], m[5]);
    cornerA.Set(ax - m[4], ay - m[5]);
    cornerB.Set(bx - m[4], by - m[5]);
    float ra = cornerA.Length();
    float rb = cornerB.Length();
    boundingCircle.radius = ra > rb ? ra : rb;
}
