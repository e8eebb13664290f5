// color_stack.h — the process-wide colour stack of display-tree rendering.
//
// Every node pushes the colour in force, sets its tint and pops it again
// after its children, so a tint replaces (does not multiply) the inherited
// colour for a subtree. The stack is a fixed array of 32 colours: rendering
// never allocates, and a 33rd nested push or a pop of an empty stack is a
// runtime error ("RGB Stack overflow!", "RGB Stack is empty. Nothing to
// Pop()!").
//
// In a namespace because the drawing API has its own float SetColor.
#pragma once

#include "framework/geometry.h"

namespace colorstack {

inline constexpr int kCapacity = 32;

// Clamps each component to 0..255, keeps it as the current colour and sets
// it on the drawing context.
void SetColor(int r, int g, int b);
void PushColor();
void PopColor();
// The current colour.
c_RGB CurrentColor();
// Number of colours on the stack.
int Depth();

}  // namespace colorstack
