// async_events.h — sources of results that arrive between updates, served
// once per update by the stage manager. Sources are held weakly.
#pragma once

#include "framework/interfaces.h"
#include "host/object.h"

void AddAsyncEventSource(const Ref<c_IAsyncEventSource>& source);
void RemoveAsyncEventSource(const c_IAsyncEventSource* source);
// Calls UpdateAsyncEvents on every registered source in order. Does nothing
// when called again from inside a source. A source that unregisters itself
// does not make the walk skip the next one.
void ProcessAsyncEvents();
// The source being served, or null.
c_IAsyncEventSource* CurrentAsyncEventSource();
