// events.cpp — see events.h.
#include "framework/events.h"

#include <algorithm>
#include <vector>

namespace {

struct Registry {
    std::vector<Ref<c_ListenerEntry>> entries;
    // Depth of nested RaiseEvent walks; removal only compacts at depth 0.
    int walking = 0;
    bool needsCompact = false;
    // Size at which AddListener next prunes entries whose listener or source
    // has died, so the list cannot grow without bound.
    std::size_t pruneAt = 64;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

bool IsDead(const Ref<c_ListenerEntry>& entry) {
    return entry->listenerKey == nullptr || entry->listener.expired() ||
           (entry->sourceTracked && entry->sourceRef.expired());
}

void Compact(Registry& reg) {
    std::erase_if(reg.entries, IsDead);
    reg.needsCompact = false;
    reg.pruneAt = std::max<std::size_t>(64, reg.entries.size() * 2);
}

}  // namespace

bool c_ListenerEntry::Matches(const Object* raisedSource, int raisedId) const {
    if (listenerKey == nullptr) return false;
    if (eventId != kAnyEvent && eventId != raisedId) return false;
    if (source == nullptr) return true;
    if (source != raisedSource) return false;
    return !sourceTracked || !sourceRef.expired();
}

void AddListener(const Ref<c_EventListener>& listener, const Object* source, int eventId) {
    if (!listener) return;
    auto entry = New<c_ListenerEntry>();
    entry->source = source;
    if (source) {
        entry->sourceRef = source->weak_from_this();
        entry->sourceTracked = !entry->sourceRef.expired();
    }
    entry->eventId = eventId;
    entry->listener = listener;
    entry->listenerKey = listener.get();
    Registry& reg = TheRegistry();
    if (reg.walking == 0 && reg.entries.size() >= reg.pruneAt) Compact(reg);
    reg.entries.push_back(std::move(entry));
}

void RemoveListener(const c_EventListener* listener) {
    if (!listener) return;
    Registry& reg = TheRegistry();
    for (auto& entry : reg.entries) {
        if (entry->listenerKey == listener) {
            entry->listenerKey = nullptr;
            entry->listener.reset();
            reg.needsCompact = true;
        }
    }
    if (reg.walking == 0 && reg.needsCompact) Compact(reg);
}

void RaiseEvent(Object* source, int eventId, Object* data) {
    Registry& reg = TheRegistry();
    ++reg.walking;
    for (std::size_t i = 0; i < reg.entries.size(); ++i) {
        const Ref<c_ListenerEntry>& entry = reg.entries[i];
        if (!entry->Matches(source, eventId)) continue;
        Ref<c_EventListener> listener = entry->listener.lock();
        if (!listener) {
            reg.needsCompact = true;
            continue;
        }
        listener->OnEvent(source, eventId, data);
    }
    --reg.walking;
    if (reg.walking == 0 && reg.needsCompact) Compact(reg);
}

int ListenerCount() {
    Registry& reg = TheRegistry();
    return static_cast<int>(std::count_if(reg.entries.begin(), reg.entries.end(),
                                          [](const Ref<c_ListenerEntry>& e) { return !IsDead(e); }));
}

void ClearListeners() {
    Registry& reg = TheRegistry();
    for (auto& entry : reg.entries) {
        entry->listenerKey = nullptr;
        entry->listener.reset();
    }
    reg.needsCompact = true;
    if (reg.walking == 0) Compact(reg);
}
