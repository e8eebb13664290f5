// color_stack.cpp — see color_stack.h.
#include "framework/color_stack.h"

#include <algorithm>
#include <array>

#include "graphics/graphics_context.h"
#include "host/runtime_error.h"

namespace colorstack {
namespace {

struct State {
    std::array<float, kCapacity * 3> saved{};
    int used = 0;  // floats in use
    int r = 0, g = 0, b = 0;
};

State& TheState() {
    static State state;
    return state;
}

}  // namespace

void SetColor(int r, int g, int b) {
    State& s = TheState();
    s.r = std::clamp(r, 0, 255);
    s.g = std::clamp(g, 0, 255);
    s.b = std::clamp(b, 0, 255);
    ::SetColor(static_cast<float>(s.r), static_cast<float>(s.g), static_cast<float>(s.b));
}

void PushColor() {
    State& s = TheState();
    if (s.used >= kCapacity * 3) RuntimeError("RGB Stack overflow!");
    s.saved[static_cast<std::size_t>(s.used)] = static_cast<float>(s.r);
    s.saved[static_cast<std::size_t>(s.used) + 1] = static_cast<float>(s.g);
    s.saved[static_cast<std::size_t>(s.used) + 2] = static_cast<float>(s.b);
    s.used += 3;
}

void PopColor() {
    State& s = TheState();
    if (s.used < 3) RuntimeError("RGB Stack is empty. Nothing to Pop()!");
    s.used -= 3;
    auto top = static_cast<std::size_t>(s.used);
    SetColor(static_cast<int>(s.saved[top]), static_cast<int>(s.saved[top + 1]), static_cast<int>(s.saved[top + 2]));
}

c_RGB CurrentColor() {
    const State& s = TheState();
    return c_RGB{s.r, s.g, s.b};
}

int Depth() { return TheState().used / 3; }

}  // namespace colorstack
