#include "geometry/geometry.h"

#include "settings/settings.h"

LensGeometry Geometry;

bool FormatViewSize(int code, int fullWidth, int* width, int* height) {
    const WindowFormatEntry* e = FindWindowFormat(code);
    if (!e)
        return false;
    *width = e->width != 0 ? e->width : fullWidth;
    *height = e->height;
    return true;
}

LensRect BoundingRect(const LensRect& a, const LensRect& b) {
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

int NarrowestProStripWidth() {
    int narrowest = 0;
    for (const WindowFormatEntry& e : WindowFormats) {
        if (e.family == FamilyReading)  // Reading strips are never Pro
            continue;
        for (int factor = LowestMagnifyFactor; factor <= HighestMagnifyFactor; ++factor) {
            const int zoom = factor > ProLowestZoom ? factor : ProLowestZoom;
            const int width = (e.width / zoom) * zoom + 1;
            if (narrowest == 0 || width < narrowest)
                narrowest = width;
        }
    }
    return narrowest;
}

int ReadingFullWidth(const SystemFacts& facts) {
    return (facts.WorkArea.right - facts.WorkArea.left) -
           2 * (facts.CxBorder + facts.CxDlgFrame) - FrameMargin - ImageLeft;
}

void ComputeFormat(LensGeometry& g, int magnifyFactor, int windowFormat, int proFlag,
                   const SystemFacts& facts) {
    int viewWidth = 0;
    int viewHeight = 0;
    const int fullWidth = ReadingFullWidth(facts);
    // The settings loader keeps codes inside the table; this guards callers
    // that did not go through it with the default format.
    if (!FormatViewSize(windowFormat, fullWidth, &viewWidth, &viewHeight))
        FormatViewSize(StandardProfileDefaults().DefaultWindowFormat, fullWidth, &viewWidth,
                       &viewHeight);

    int zoom = static_cast<signed char>(magnifyFactor);
    if (proFlag == 1 && zoom <= ProLowestZoom)
        zoom = ProLowestZoom;
    if (zoom < 1)  // a factor the loader should have rejected; never divide by it
        zoom = 1;

    g.Zoom = zoom;
    g.SourceColumns = viewWidth / zoom;
    g.SourceRows = viewHeight / zoom;
    if (g.SourceColumns < 1)
        g.SourceColumns = 1;
    if (g.SourceRows < 1)
        g.SourceRows = 1;
}

void TakeDesk(LensGeometry& g, const SystemFacts& facts) {
    g.Monitors = facts.Monitors;
    g.VirtualScreen = facts.VirtualScreen;
    if (g.Monitors.Count <= 0) {
        g.Monitors.Count = 1;
        g.Monitors.Rects[0] = {0, 0, facts.ScreenWidth, facts.ScreenHeight};
    }
    if (g.VirtualScreen.right <= g.VirtualScreen.left ||
        g.VirtualScreen.bottom <= g.VirtualScreen.top) {
        g.VirtualScreen = g.Monitors.Rects[0];
        for (int i = 1; i < g.Monitors.Count; ++i)
            g.VirtualScreen = BoundingRect(g.VirtualScreen, g.Monitors.Rects[i]);
    }
}

void ComputeLayout(LensGeometry& g, int proFlag, const SystemFacts& facts) {
    const int pro = proFlag == 1 ? 1 : 0;
    g.ImageLeft = ImageLeft;
    g.ImageTop = FrameMargin + pro * (TextStripHeight + FrameMargin);
    g.ImageWidth = g.Zoom * g.SourceColumns + pro;
    g.ImageHeight = g.Zoom * g.SourceRows + pro;
    g.WindowWidth = g.ImageWidth + 2 * FrameMargin + 2 * facts.CxBorder + g.ImageLeft;
    g.WindowHeight = g.ImageHeight + 2 * FrameMargin + 2 * facts.CyBorder + g.ImageTop;
    TakeDesk(g, facts);
    // The work area's size from (0, 0): a taskbar on the left or top moves
    // home that far in from the right or bottom edge.
    g.HomeX = facts.WorkArea.right - facts.WorkArea.left - g.WindowWidth;
    g.HomeY = facts.WorkArea.bottom - facts.WorkArea.top - g.WindowHeight;
    g.TextStripRect = {g.ImageLeft, FrameMargin, g.ImageLeft + g.ImageWidth,
                       FrameMargin + TextStripHeight};
}

int ReturnMarginX(const LensGeometry& g) {
    return g.SourceColumns * 55 / 100;
}

int ReturnMarginY(const LensGeometry& g) {
    return g.SourceRows * 55 / 100;
}

LensRect LensPlace(const LensGeometry& g, int readingStrip, int aside) {
    const int a = aside == 1 ? 1 : 0;
    int x = g.HomeX;
    int y = g.HomeY;
    if (readingStrip == 1)
        y -= a * (g.WindowHeight + ReturnMarginY(g));
    else
        x -= a * (g.WindowWidth + ReturnMarginX(g));
    return {x, y, x + g.WindowWidth, y + g.WindowHeight};
}
