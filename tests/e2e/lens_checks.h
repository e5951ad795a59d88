// Checks of what the lens shows on desks with several monitors or a scaled
// display, shared by the tests that run on a display of their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

// Whether every pixel of the lens image shows what the test put at its
// captured pixel (truth) magnified, or grey where that pixel lies on no
// monitor. In Pro mode only the cells' insides are judged: the grid lines
// are the grid's. *worst gets the largest channel difference seen and *where
// the image pixel it was seen at.
inline bool ShowsExactly(const VellixRun& run, const LensGeometry& g, int px, int py, bool pro,
                         int* worst, POINT* where, const ScreenTruth& truth = PatternColour) {
    BackdropSkips skip;
    skip.gridLines = pro;
    return ShowsBackdrop(run, g, px, py, truth, skip, worst, where);
}

// Where text was drawn in the Pro strip: the box around its ink.
struct StripInk {
    int pixels = 0;  // dark pixels
    int top = 0, bottom = 0, left = 0, right = 0;  // strip coordinates, inclusive
};

inline StripInk ReadStripInk(const VellixRun& run, const LensGeometry& g) {
    const POINT o = ClientOrigin(run.lens);
    const LensRect& s = g.TextStripRect;
    const RECT r{o.x + s.left, o.y + s.top, o.x + s.right, o.y + s.bottom};
    const int w = r.right - r.left;
    const std::vector<COLORREF> strip = ReadScreen(r);
    StripInk ink;
    ink.top = ink.left = 1 << 30;
    ink.bottom = ink.right = -1;
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int x = 0; x < w; ++x) {
            const int d = ChannelDistance(strip[static_cast<size_t>(y) * w + x], 0x00FFFFFF);
            // Smoothed text has light edges: they count neither way.
            if (d > 96) {
                ++ink.pixels;
                ink.top = y < ink.top ? y : ink.top;
                ink.bottom = y > ink.bottom ? y : ink.bottom;
                ink.left = x < ink.left ? x : ink.left;
                ink.right = x > ink.right ? x : ink.right;
            }
        }
    return ink;
}

// Text is whole when its ink keeps white rows above and below it and white
// columns on both sides inside the strip, and it is tall enough to read.
inline bool InkIsWhole(const StripInk& ink, const LensGeometry& g) {
    const int height = g.TextStripRect.bottom - g.TextStripRect.top;
    const int width = g.TextStripRect.right - g.TextStripRect.left;
    return ink.pixels > 0 && ink.top >= 1 && ink.bottom <= height - 2 &&
           ink.left >= 1 && ink.right <= width - 2 && ink.bottom - ink.top + 1 >= 8;
}
