// front_end.h — what the screens around the levels (title, ending,
// credits, intro) share.
#pragma once

#include "framework/gdo.h"

// The title, ending and credits advance by this much per update, whatever
// time has passed.
inline constexpr int kFrontEndStepMs = 16;

// Title-font labels at this scale draw one font pixel per virtual pixel.
inline constexpr float kCrispTitleScale = 1.0f / 3;
// Text-font labels at this scale draw one font pixel per virtual pixel.
inline constexpr float kCrispTextScale = 0.25f;

class c_StaticImage;

// A picture of the data folder drawn centred on its position (images load
// with their handle at the top-left corner; the front end lays its pictures
// out by their centres).
Ref<c_StaticImage> CentredImage(StringView path);

// Puts a falling leaf at (x, y) on `parent`.
void AddFallingLeaf(c_GDO& parent, float x, float y);
