// frames.h — pictures of the game's window: grabbing them from the X
// server, saving them as PNG, tolerant measures of a frame (lit share,
// colours, change, how far the scenery moved) and the game's screens as the
// checks recognise them.
#pragma once

#include <string>
#include <vector>

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3, top row first

    bool Empty() const { return rgb.empty(); }
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

struct Zone {
    int x = 0, y = 0, width = 0, height = 0;
};

// The game's window area in its 960 x 540 client frame.
constexpr Zone kWhole{0, 0, 960, 540};

// The window's contents as the X server holds them; empty when it is not
// mapped (or gone).
Frame GrabWindow(unsigned long window);
// Writes the frame as a PNG file (nothing for an empty frame).
void SavePng(const Frame& f, const std::string& file);

// Tolerant measures of a frame.
// Share of the region's pixels brighter than near-black.
double LitShare(const Frame& f, Zone r);
// Share of the region's pixels within `tolerance` (per channel) of a colour.
double ColourShare(const Frame& f, Zone r, int red, int green, int blue, int tolerance);
// Horizontal extent (in pixels) of the pixels near a colour, 0 when none.
int ColourExtent(const Frame& f, Zone r, int red, int green, int blue, int tolerance);
// Share of the region's pixels that differ by more than `threshold` in any channel.
double ChangedShare(const Frame& a, const Frame& b, Zone r, int threshold = 24);
// Number of distinct colours (quantised to 4 bits a channel) in the region.
int ColourCount(const Frame& f, Zone r);
// How far the scenery moved from frame a to frame b: the offset (dx, dy),
// in window pixels and in steps of `step`, for which b(x, y) looks most like
// a(x + dx, y + dy) over the region, searched within the given ranges. A
// camera that moved right by n pixels gives dx = n.
struct Shift {
    int dx = 0, dy = 0;
    double error = 0;  // share of samples that differ at the best offset
};
Shift SceneryShift(const Frame& a, const Frame& b, Zone r, int minDx, int maxDx, int minDy, int maxDy, int step);

// The game's screens as the checks recognise them.
// The language menu: a small lit panel with its flags in the middle of a
// black screen.
bool LooksLikeMenu(const Frame& f);
// The title: a full, colourful picture.
bool LooksLikeTitle(const Frame& f);
// A door opening fades the whole screen to white.
bool WhiteOut(const Frame& f);
