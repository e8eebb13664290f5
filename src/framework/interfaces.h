// interfaces.h — the capabilities that display objects, components and
// resources share.
//
// These are pure abstract classes that do not derive from Object, so a class
// may implement several of them next to its one Object base without a
// diamond. The operations of each are declared in a fixed order that the
// rest of the framework relies on.
#pragma once

#include <cstdint>

#include "host/text.h"

class Object;

// A type whose values are addressed by name (tweens and scripts drive them).
class c_ObjectWithFloatProperties {
public:
    virtual ~c_ObjectWithFloatProperties() = default;
    // Sets the named value; true when the class or one of its bases handles
    // the name. Names are compared exactly (case-sensitive).
    virtual bool SetFloat(StringView name, float value) = 0;
};

// A type that answers its width and height.
class c_ObjectWithSize {
public:
    virtual ~c_ObjectWithSize() = default;
    virtual float GetWidth() = 0;
    virtual float GetHeight() = 0;
};

class c_Drawable {
public:
    virtual ~c_Drawable() = default;
    virtual bool IsVisible() = 0;
    // Draws in the current local space of the drawing context.
    virtual void Draw() = 0;
};

class c_Updateable {
public:
    virtual ~c_Updateable() = default;
    virtual bool IsEnabled() = 0;
    // elapsedMs: the milliseconds since the previous update.
    virtual void Update(int elapsedMs) = 0;
};

// Something holding outside memory (textures, samples) or a subtree of such
// things; Discard releases it explicitly.
class c_Resource {
public:
    virtual ~c_Resource() = default;
    virtual void Discard() = 0;
};

// A set of equally sized frames of which one is selected and drawn.
class c_DrawableCollection : public c_Drawable {
public:
    virtual float GetWidth() = 0;
    virtual float GetHeight() = 0;
    virtual int GetFrameCount() = 0;
    virtual void SelectFrame(int index) = 0;
};

// Receiver of the event registry (framework/events.h). `source` is the
// object that raised the event; `data` may be null.
class c_EventListener {
public:
    virtual ~c_EventListener() = default;
    virtual void OnEvent(Object* source, int eventId, Object* data) = 0;
};

// A post-processing step on a pixel block of 32-bit ARGB values (a window's
// effects list).
class c_IntBufferProcessor {
public:
    virtual ~c_IntBufferProcessor() = default;
    virtual void Process(std::int32_t* pixels, int width, int height) = 0;
};

// A source of results that arrive between updates; served by
// ProcessAsyncEvents (framework/async_events.h).
class c_IAsyncEventSource {
public:
    virtual ~c_IAsyncEventSource() = default;
    virtual void UpdateAsyncEvents() = 0;
};
