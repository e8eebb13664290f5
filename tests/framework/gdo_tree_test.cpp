// The display tree without drawing: named properties, the tree operations
// and updating.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/gdo.h"

namespace {

struct PropertyCase {
    const char16_t* name;
    float value;
    bool handled;
};

// A node that records its updates and can be told to leave its parent, or
// to run an edit of the tree, during its update.
class UpdateProbe final : public c_GDO {
public:
    std::vector<int>* log = nullptr;
    int id = 0;
    bool leaveOnUpdate = false;
    std::function<void()> onUpdate;
    void Update(int ms) override {
        if (log) log->push_back(id);
        if (leaveOnUpdate) RemoveFromParent();
        if (onUpdate) std::exchange(onUpdate, nullptr)();
        c_GDO::Update(ms);
    }
};

}  // namespace

TEST(GdoProperties, NamesAreExactAndSubclassFirst) {
    const PropertyCase cases[] = {
        {u"scale", 2, true},      {u"Scale", 2, false},     {u"scale.x", 3, true},     {u"scale.y", 4, true},
        {u"position.x", 5, true}, {u"position.y", 6, true}, {u"rotation", 45, true},   {u"visible", 0.5f, true},
        {u"enabled", 0, true},    {u"alpha", 1.5f, true},   {u"tint.r", 254.9f, true}, {u"tint.g", -3.7f, true},
        {u"tint.b", 12, true},    {u"", 1, false},          {u"alpha ", 1, false},
    };
    for (const auto& c : cases) {
        auto node = New<c_GDO>();
        EXPECT_EQ(node->SetFloat(c.name, c.value), c.handled) << ToUtf8(c.name);
    }

    auto node = New<c_GDO>();
    node->SetFloat(u"scale", 2);
    EXPECT_EQ(node->scale, c_Vector(2, 2));
    node->SetFloat(u"scale.y", 4);
    EXPECT_EQ(node->scale, c_Vector(2, 4));
    node->SetFloat(u"position.x", 5);
    node->SetFloat(u"position.y", 6);
    EXPECT_EQ(node->position, c_Vector(5, 6));
    node->visible = false;
    node->SetFloat(u"visible", 0.5f);
    EXPECT_TRUE(node->visible);
    node->SetFloat(u"enabled", 0);
    EXPECT_FALSE(node->enabled);
    node->SetFloat(u"alpha", 1.5f);
    EXPECT_EQ(node->alpha, 1.5f);  // clamped only when drawn
    node->SetFloat(u"tint.r", 254.9f);
    node->SetFloat(u"tint.g", -3.7f);
    EXPECT_EQ(node->tint.r, 254);
    EXPECT_EQ(node->tint.g, -3);
    EXPECT_TRUE(node->SetFloat(u"tint.b", 1e30f));  // saturates, no undefined cast
    EXPECT_EQ(node->tint.b, 2147483647);

    // The base kind does not know the common kind's names.
    auto base = New<c_GDOBase>();
    EXPECT_FALSE(base->SetFloat(u"alpha", 0.5f));
    EXPECT_TRUE(base->SetFloat(u"rotation", 90));
}

TEST(GdoTree, AddChildIndexRuleAndReparenting) {
    auto parent = New<c_GDO>();
    auto a = New<c_GDO>();
    auto b = New<c_GDO>();
    auto c = New<c_GDO>();
    parent->AddChild(a);
    parent->AddChild(b);
    parent->AddChild(c, 5);  // out of range: appended
    ASSERT_EQ(parent->children.size(), 3u);
    EXPECT_EQ(parent->children[2], c);
    EXPECT_EQ(c->indexInParent, 2);
    EXPECT_EQ(c->parent, parent.get());

    auto d = New<c_GDO>();
    parent->AddChild(d, 0);
    EXPECT_EQ(parent->children[0], d);
    EXPECT_EQ(d->indexInParent, 0);
    EXPECT_EQ(a->indexInParent, 0);  // others are not renumbered

    auto other = New<c_GDO>();
    other->AddChild(c);
    EXPECT_EQ(parent->children.size(), 3u);
    EXPECT_EQ(other->children[0], c);
    EXPECT_EQ(c->parent, other.get());
    EXPECT_EQ(c->indexInParent, 0);

    parent->AddChild(nullptr);
    EXPECT_EQ(parent->children.size(), 3u);

    // A node cannot become its own child or its ancestor's parent.
    other->AddChild(other);
    c->AddChild(other);
    EXPECT_EQ(other->children.size(), 1u);
    EXPECT_EQ(other->parent, nullptr);

    c->RemoveFromParent();
    EXPECT_TRUE(other->children.empty());
    EXPECT_EQ(c->parent, nullptr);
    EXPECT_EQ(c->indexInParent, -1);
    c->RemoveFromParent();  // no parent: nothing happens
}

TEST(GdoTree, FindByNameAndDiscard) {
    auto root = New<c_GDO>();
    auto a = New<c_GDO>();
    auto a1 = New<c_GDO>();
    auto b = New<c_GDO>();
    auto b1 = New<c_GDO>();
    a->name = u"a";
    a1->name = u"x";
    b->name = u"b";
    b1->name = u"x";
    root->AddChild(a);
    root->AddChild(b);
    a->AddChild(a1);
    b->AddChild(b1);

    EXPECT_EQ(root->IndexOfChildByName(u"b"), 1);
    EXPECT_EQ(root->IndexOfChildByName(u"x"), -1);
    EXPECT_EQ(root->FindChildByName(u"x", false), nullptr);
    EXPECT_EQ(root->FindChildByName(u"x", true), a1);  // depth-first, child order
    EXPECT_EQ(root->FindChildByName(u"b", true), b);
    EXPECT_EQ(root->FindChildByName(u"none", true), nullptr);

    root->Discard();
    EXPECT_TRUE(root->discarded);
    EXPECT_TRUE(a->discarded);
    EXPECT_TRUE(root->children.empty());
    EXPECT_TRUE(a->children.empty());
    EXPECT_EQ(a->parent, nullptr);  // the survivors do not point at the old parent
}

TEST(GdoTree, ChildOutlivingItsParentLosesTheBackPointer) {
    auto child = New<c_GDO>();
    {
        auto parent = New<c_GDO>();
        parent->AddChild(child);
    }
    EXPECT_EQ(child->parent, nullptr);
    child->RemoveFromParent();
}

TEST(GdoUpdate, DisabledNodesStopTheirSubtreeAndChildrenMayLeave) {
    std::vector<int> log;
    auto root = New<c_GDO>();
    auto make = [&](int id) {
        auto probe = New<UpdateProbe>();
        probe->log = &log;
        probe->id = id;
        return probe;
    };
    auto a = make(1);
    auto b = make(2);
    auto b1 = make(3);
    auto c = make(4);
    root->AddChild(a);
    root->AddChild(b);
    root->AddChild(c);
    b->AddChild(b1);

    b->enabled = false;
    root->Update(16);
    EXPECT_EQ(log, (std::vector<int>{1, 4}));

    // A child removing itself (its parent held the last reference) during
    // its own update is safe.
    log.clear();
    b->enabled = true;
    a->leaveOnUpdate = true;
    a.reset();
    root->Update(16);
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 4}));  // nobody skipped
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0], b);
}

// Children 1, 2, 3 under one root; child 2 edits its siblings during its own
// update. Every child present when the update began runs exactly once unless
// it left before its turn; nodes added wait for the next update.
TEST(GdoUpdate, SiblingsEditedDuringAnUpdateRunOnceEach) {
    struct Case {
        const char* what;
        std::function<void(c_GDO& root, std::vector<Ref<UpdateProbe>>& kids, const Ref<UpdateProbe>& added)> edit;
        std::vector<int> first, second;
    };
    const Case cases[] = {
        {"removes the sibling before it",
         [](c_GDO&, auto& kids, auto&) { kids[0]->RemoveFromParent(); },
         {1, 2, 3},
         {2, 3}},
        {"removes the sibling after it",
         [](c_GDO&, auto& kids, auto&) { kids[2]->RemoveFromParent(); },
         {1, 2},
         {1, 2}},
        {"inserts a node before itself",
         [](c_GDO& root, auto&, auto& added) { root.AddChild(added, 0); },
         {1, 2, 3},
         {9, 1, 2, 3}},
        {"inserts a node after itself",
         [](c_GDO& root, auto&, auto& added) { root.AddChild(added); },
         {1, 2, 3},
         {1, 2, 3, 9}},
        {"moves the sibling before it to the end",
         [](c_GDO& root, auto& kids, auto&) { root.AddChild(kids[0]); },
         {1, 2, 3},
         {2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> log;
        auto root = New<c_GDO>();
        std::vector<Ref<UpdateProbe>> kids;
        for (int id : {1, 2, 3}) {
            kids.push_back(New<UpdateProbe>());
            kids.back()->log = &log;
            kids.back()->id = id;
            root->AddChild(kids.back());
        }
        auto added = New<UpdateProbe>();
        added->log = &log;
        added->id = 9;
        kids[1]->onUpdate = [&] { c.edit(*root, kids, added); };
        root->Update(16);
        EXPECT_EQ(log, c.first);
        log.clear();
        root->Update(16);
        EXPECT_EQ(log, c.second);
    }
}
