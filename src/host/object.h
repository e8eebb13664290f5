// object.h — the object model shared by every layer.
//
// Game objects are reference counted through std::shared_ptr: an object lives
// while something that owns it is reachable from the stage, the application
// or a global, and is freed the moment the last owner lets go. Ownership runs
// down the trees (parent → child, stage → windows and cogs, tween → target is
// NOT owning); every back reference (child → parent, listener registry,
// tween targets, "sender" identities) is a raw pointer or a weak_ptr so no
// cycle keeps a discarded stage alive. docs/ARCHITECTURE.md has the rules.
//
// Objects are made with New<T>(args...), which constructs the object inside a
// shared_ptr so that Self() (shared_from_this) works from then on. A
// constructor must not call Self(); work that needs it goes into the caller
// after New, or into a two-step Init.
#pragma once

#include <memory>
#include <utility>

#include "host/text.h"

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Debug text of the object (written by the debugger protocol's "@" line).
    virtual String ToString() const { return u"Object"; }

    // A shared reference to this object, typed as T. Valid only for objects
    // made by New (or otherwise owned by a shared_ptr).
    template <class T = Object>
    std::shared_ptr<T> Self() {
        return std::static_pointer_cast<T>(shared_from_this());
    }
    template <class T = Object>
    std::weak_ptr<T> WeakSelf() {
        return std::static_pointer_cast<T>(shared_from_this());
    }
};

template <class T>
using Ref = std::shared_ptr<T>;
template <class T>
using WeakRef = std::weak_ptr<T>;

template <class T, class... Args>
Ref<T> New(Args&&... args) {
    return std::make_shared<T>(std::forward<Args>(args)...);
}
