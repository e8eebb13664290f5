// async_events.cpp — see async_events.h.
#include "framework/async_events.h"

#include <vector>

namespace {

struct Sources {
    std::vector<WeakRef<c_IAsyncEventSource>> list;
    std::vector<const c_IAsyncEventSource*> keys;
    c_IAsyncEventSource* serving = nullptr;
};

Sources& TheSources() {
    static Sources sources;
    return sources;
}

}  // namespace

void AddAsyncEventSource(const Ref<c_IAsyncEventSource>& source) {
    if (!source) return;
    Sources& s = TheSources();
    s.list.push_back(source);
    s.keys.push_back(source.get());
}

void RemoveAsyncEventSource(const c_IAsyncEventSource* source) {
    Sources& s = TheSources();
    for (std::size_t i = 0; i < s.keys.size();) {
        if (s.keys[i] == source) {
            s.keys.erase(s.keys.begin() + static_cast<std::ptrdiff_t>(i));
            s.list.erase(s.list.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void ProcessAsyncEvents() {
    Sources& s = TheSources();
    if (s.serving) return;
    for (std::size_t i = 0; i < s.list.size();) {
        Ref<c_IAsyncEventSource> source = s.list[i].lock();
        if (!source) {
            s.keys.erase(s.keys.begin() + static_cast<std::ptrdiff_t>(i));
            s.list.erase(s.list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        s.serving = source.get();
        source->UpdateAsyncEvents();
        // Still registered at the same place: move on; otherwise the list
        // shrank under us and the same index holds the next source.
        if (i < s.keys.size() && s.keys[i] == source.get()) ++i;
    }
    s.serving = nullptr;
}

c_IAsyncEventSource* CurrentAsyncEventSource() { return TheSources().serving; }
