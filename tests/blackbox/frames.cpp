// frames.cpp — see frames.h.
#include "blackbox/frames.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

#include "stb_image_write.h"

Frame GrabWindow(unsigned long window) {
    Frame f;
    ::Display* d = XOpenDisplay(nullptr);
    if (!d) return f;
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(d, window, &attrs) && attrs.map_state == IsViewable) {
        XImage* image = XGetImage(d, window, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
        if (image) {
            f.width = attrs.width;
            f.height = attrs.height;
            f.rgb.resize(static_cast<size_t>(f.width) * f.height * 3);
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x) {
                    unsigned long p = XGetPixel(image, x, y);
                    unsigned char* o = &f.rgb[(static_cast<size_t>(y) * f.width + x) * 3];
                    o[0] = (p >> 16) & 0xff;
                    o[1] = (p >> 8) & 0xff;
                    o[2] = p & 0xff;
                }
            XDestroyImage(image);
        }
    }
    XCloseDisplay(d);
    return f;
}

void SavePng(const Frame& f, const std::string& file) {
    if (f.Empty()) return;
    stbi_write_png(file.c_str(), f.width, f.height, 3, f.rgb.data(), f.width * 3);
}

namespace {

template <typename F>
void ForEach(const Frame& f, Zone r, F&& fn) {
    int x1 = std::clamp(r.x + r.width, 0, f.width), y1 = std::clamp(r.y + r.height, 0, f.height);
    for (int y = std::max(r.y, 0); y < y1; ++y)
        for (int x = std::max(r.x, 0); x < x1; ++x) fn(x, y, f.At(x, y));
}

double Area(const Frame& f, Zone r) {
    int w = std::clamp(r.x + r.width, 0, f.width) - std::max(r.x, 0);
    int h = std::clamp(r.y + r.height, 0, f.height) - std::max(r.y, 0);
    return w > 0 && h > 0 ? double(w) * h : 1.0;
}

bool Near(const unsigned char* p, int r, int g, int b, int tol) {
    return std::abs(p[0] - r) <= tol && std::abs(p[1] - g) <= tol && std::abs(p[2] - b) <= tol;
}

}  // namespace

double LitShare(const Frame& f, Zone r) {
    long n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) { n += (p[0] + p[1] + p[2]) > 48; });
    return n / Area(f, r);
}

double ColourShare(const Frame& f, Zone r, int red, int green, int blue, int tolerance) {
    long n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) { n += Near(p, red, green, blue, tolerance); });
    return n / Area(f, r);
}

int ColourExtent(const Frame& f, Zone r, int red, int green, int blue, int tolerance) {
    int lo = 1 << 30, hi = -1;
    ForEach(f, r, [&](int x, int, const unsigned char* p) {
        if (Near(p, red, green, blue, tolerance)) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    });
    return hi < 0 ? 0 : hi - lo + 1;
}

double ChangedShare(const Frame& a, const Frame& b, Zone r, int threshold) {
    if (a.width != b.width || a.height != b.height) return 1.0;
    long n = 0;
    ForEach(a, r, [&](int x, int y, const unsigned char* p) {
        const unsigned char* q = b.At(x, y);
        n +=
            std::abs(p[0] - q[0]) > threshold || std::abs(p[1] - q[1]) > threshold || std::abs(p[2] - q[2]) > threshold;
    });
    return n / Area(a, r);
}

int ColourCount(const Frame& f, Zone r) {
    std::vector<bool> seen(4096);
    int n = 0;
    ForEach(f, r, [&](int, int, const unsigned char* p) {
        int key = (p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4);
        if (!seen[key]) {
            seen[key] = true;
            ++n;
        }
    });
    return n;
}

Shift SceneryShift(const Frame& a, const Frame& b, Zone r, int minDx, int maxDx, int minDy, int maxDy, int step) {
    Shift best;
    best.error = 2;
    if (a.Empty() || b.Empty() || step <= 0) return best;
    // Samples on the centres of the virtual pixels, every other one. The
    // camera moves by whole pixels, so the scenery that moved with it
    // matches exactly; counting close matches (rather than adding up
    // differences) keeps the sky's layers, which move at their own pace,
    // from pulling the answer.
    const int spacing = 2 * step, first = step / 2;
    const int x1 = std::min(r.x + r.width, b.width), y1 = std::min(r.y + r.height, b.height);
    long samples = 0;
    for (int y = std::max(r.y, 0) + first; y < y1; y += spacing)
        for (int x = std::max(r.x, 0) + first; x < x1; x += spacing) ++samples;
    for (int dy = minDy; dy <= maxDy; dy += step)
        for (int dx = minDx; dx <= maxDx; dx += step) {
            long misses = 0, n = 0;
            for (int y = std::max(r.y, 0) + first; y < y1; y += spacing) {
                int ay = y + dy;
                if (ay < 0 || ay >= a.height) continue;
                for (int x = std::max(r.x, 0) + first; x < x1; x += spacing) {
                    int ax = x + dx;
                    if (ax < 0 || ax >= a.width) continue;
                    const unsigned char* p = b.At(x, y);
                    const unsigned char* q = a.At(ax, ay);
                    misses += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 12;
                    ++n;
                }
            }
            // Offsets that leave too little overlap say nothing.
            if (n * 3 < samples) continue;
            double error = double(misses) / n;
            if (error < best.error) best = {dx, dy, error};
        }
    return best;
}

// ---- screens ----------------------------------------------------------------

bool LooksLikeMenu(const Frame& f) {
    return LitShare(f, {0, 0, 960, 150}) < 0.01 && LitShare(f, {300, 200, 360, 140}) > 0.2 &&
           ColourCount(f, {300, 200, 360, 140}) >= 6;
}

bool LooksLikeTitle(const Frame& f) { return LitShare(f, kWhole) > 0.8 && ColourCount(f, kWhole) > 40; }

bool WhiteOut(const Frame& f) { return ColourShare(f, kWhole, 255, 255, 255, 20) > 0.9; }
