// window_limits.h — MakeWindowLimits, which keeps a level window's camera
// over its world (c_WindowLimits itself lives with c_Window).
#pragma once

#include "framework/gdo.h"
#include "framework/window.h"

// Limits the camera of `window` to the area covered by `area` (a world's
// solid layer, centred on its position plus its parent's position): the
// camera centre stays half a window in from each edge. A world smaller than
// the window gives min > max on that axis; the window's clamping decides
// what it then shows. The window keeps the limits and its camera is set to
// (0, 0) through them, so it starts clamped. Returns the limits.
Ref<c_WindowLimits> MakeWindowLimits(c_Window& window, c_GDO& area);
