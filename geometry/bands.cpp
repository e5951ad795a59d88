// Which parts of the captured area lie on no monitor. Worked in captured cells
// first (column 0 is the area's left edge), then scaled to image pixels.
#include "geometry/geometry.h"

#include <algorithm>

namespace {

void InsertSorted(int* values, int* count, int v) {
    int i = *count;
    for (; i > 0 && values[i - 1] > v; --i)
        values[i] = values[i - 1];
    values[i] = v;
    ++*count;
}

// Image pixel where captured cell k begins; past the last cell, the image's edge.
int CellEdge(int k, int cells, int zoom, int imageSize) {
    return k >= cells ? imageSize : k * zoom;
}

}  // namespace

int OffscreenBands(const LensGeometry& g, int px, int py, LensRect bands[MaxOffscreenBands]) {
    const int columns = g.SourceColumns;
    const int rows = g.SourceRows;

    // The monitors clipped to the captured area, in cells.
    LensRect on[MaxMonitors];
    int count = 0;
    for (int i = 0; i < g.Monitors.Count && i < MaxMonitors; ++i) {
        const LensRect c = CapturedCells(g, px, py, g.Monitors.Rects[i]);
        if (c.left < c.right && c.top < c.bottom)
            on[count++] = c;
    }

    // Vertical slabs between every monitor edge; inside one slab each monitor
    // covers either all of it or none of it.
    int xs[2 * MaxMonitors + 2];
    int edges = 0;
    InsertSorted(xs, &edges, 0);
    InsertSorted(xs, &edges, columns);
    for (int i = 0; i < count; ++i) {
        InsertSorted(xs, &edges, on[i].left);
        InsertSorted(xs, &edges, on[i].right);
    }

    int n = 0;
    for (int e = 0; e + 1 < edges; ++e) {
        const int xa = xs[e];
        const int xb = xs[e + 1];
        if (xa == xb)
            continue;
        // Rows covered in this slab, sorted by their top.
        int tops[MaxMonitors];
        int bottoms[MaxMonitors];
        int covered = 0;
        for (int i = 0; i < count; ++i) {
            if (on[i].left > xa || on[i].right < xb)
                continue;
            int k = covered++;
            for (; k > 0 && tops[k - 1] > on[i].top; --k) {
                tops[k] = tops[k - 1];
                bottoms[k] = bottoms[k - 1];
            }
            tops[k] = on[i].top;
            bottoms[k] = on[i].bottom;
        }
        // The gaps between them are off-screen; a gap that continues one of
        // the previous slab widens that band instead of adding one.
        const int thisSlab = n;
        int y = 0;
        for (int k = 0; k <= covered; ++k) {
            const int top = y;
            const int bottom = k < covered ? tops[k] : rows;
            if (k < covered && bottoms[k] > y)
                y = bottoms[k];
            if (top >= bottom)
                continue;
            bool merged = false;
            for (int b = 0; b < thisSlab && !merged; ++b) {
                if (bands[b].right == xa && bands[b].top == top && bands[b].bottom == bottom) {
                    bands[b].right = xb;
                    merged = true;
                }
            }
            if (!merged)
                bands[n++] = {xa, top, xb, bottom};
        }
    }

    for (int b = 0; b < n; ++b)
        bands[b] = {CellEdge(bands[b].left, columns, g.Zoom, g.ImageWidth),
                    CellEdge(bands[b].top, rows, g.Zoom, g.ImageHeight),
                    CellEdge(bands[b].right, columns, g.Zoom, g.ImageWidth),
                    CellEdge(bands[b].bottom, rows, g.Zoom, g.ImageHeight)};
    return n;
}

LensRect CapturedCells(const LensGeometry& g, int px, int py, const LensRect& screen) {
    const int x0 = px - g.SourceColumns / 2;
    const int y0 = py - g.SourceRows / 2;
    return {std::max(0, screen.left - x0), std::max(0, screen.top - y0),
            std::min(g.SourceColumns, screen.right - x0),
            std::min(g.SourceRows, screen.bottom - y0)};
}

LensRect CapturedOnScreen(const LensGeometry& g, int px, int py) {
    return CapturedCells(g, px, py, g.VirtualScreen);
}

bool OnAMonitor(const MonitorSet& monitors, int x, int y) {
    for (int i = 0; i < monitors.Count && i < MaxMonitors; ++i) {
        const LensRect& m = monitors.Rects[i];
        if (x >= m.left && x < m.right && y >= m.top && y < m.bottom)
            return true;
    }
    return false;
}
