// events.h — the process-wide event registry.
//
// A listener registers for a (source, event id) pair; RaiseEvent(source, id,
// data) calls every matching listener in registration order. A null source
// matches every source and kAnyEvent matches every id of the source.
//
// Ownership: the registry never keeps anything alive. Listeners are held
// weakly (an entry whose listener has died is skipped and pruned); sources
// are compared by address, and an entry whose source was owned by a Ref at
// registration and has since died no longer matches anything (so a new
// object at the same address cannot inherit it). A listener is kept alive
// for the duration of its own OnEvent call.
//
// Re-entrancy: listeners may add and remove registrations, and raise events,
// from inside OnEvent. The walk runs against the live length, so an entry
// added during a raise that matches it is called in the same raise; removed
// entries are only marked during a walk and compacted when the outermost
// walk ends, so removing never makes the walk skip another entry.
#pragma once

#include "framework/interfaces.h"
#include "host/object.h"

inline constexpr int kAnyEvent = -9999999;

class c_ListenerEntry : public Object {
public:
    // Null = any source.
    const Object* source = nullptr;
    WeakRef<const Object> sourceRef;
    bool sourceTracked = false;
    int eventId = kAnyEvent;
    WeakRef<c_EventListener> listener;
    // Identity of the listener, for RemoveListener; null once removed.
    const c_EventListener* listenerKey = nullptr;

    String ToString() const override { return u"c_ListenerEntry"; }
    // Whether this entry answers (source, id) and still has a live listener
    // registration.
    bool Matches(const Object* raisedSource, int raisedId) const;
};

// Registers `listener` for events `eventId` (kAnyEvent: all) raised by
// `source` (null: any source). Null listeners are ignored.
void AddListener(const Ref<c_EventListener>& listener, const Object* source, int eventId);
// Removes every registration of that listener.
void RemoveListener(const c_EventListener* listener);
// Calls OnEvent(source, eventId, data) on every matching listener, in
// registration order.
void RaiseEvent(Object* source, int eventId, Object* data = nullptr);

// The number of live registrations (for tests and debugging).
int ListenerCount();
// Drops every registration.
void ClearListeners();
