// gdo_render.cpp — drawing a display tree (see gdo.h).
#include "framework/gdo.h"

bool c_GDO::Render() { return IsVisible(); }

bool IsOnScreen(const c_Circle&) { return true; }
