// The refresh path: what the lens shows for the current pointer position.
#include "render/render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/settings.h"
#include "settings/shared.h"

POINT PointerPos;
COLORREF PointerColour;

namespace {

// What the window shows was drawn from this capture with these inputs. A tick
// whose capture and inputs are the same draws nothing: the stretch, the bands,
// the overlay and the copy would give the window the picture it has, and
// under Wine every window update is an upload to the X server and a repaint
// by the compositor.
struct PictureInputs {
    LensGeometry geometry;  // layout, desk and monitors: the bands
    int px, py;
    int movedAside;  // with the mode, where the self-image lands
    int proFlag, readingFlag;
    int sampleHalf;  // Pro reads the mean of this block around the pointer's cell
};
PictureInputs ShownInputs;
bool ShownPictureValid;
// The capture the shown picture was drawn from; sized at a new layout only.
std::vector<uint32_t> ShownSource;

void FillBand(const LensRect& r) {
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    RECT band{r.left, r.top, r.right, r.bottom};
    FillRect(ZoomSurface, &band, OffscreenBrush);
}

// The screen is read 1:1 into SourceSurface, and only where the area lies on
// the virtual screen: under Wine an X read that leaves the root window fails,
// and Wine's fallback then copies from the root, which a compositor drawing
// into its own overlay window (xfwm4) leaves black. The rest of the area is
// grey, as its bands will be.
void CaptureArea(const LensGeometry& g, int px, int py) {
    const int x0 = px - g.SourceColumns / 2;
    const int y0 = py - g.SourceRows / 2;
    const LensRect on = CapturedOnScreen(g, px, py);
    const bool whole = on.left == 0 && on.top == 0 && on.right == g.SourceColumns &&
                       on.bottom == g.SourceRows;
    if (!whole) {
        const ScopedSelection grey(SourceSurface, OffscreenBrush);
        PatBlt(SourceSurface, 0, 0, g.SourceColumns, g.SourceRows, PATCOPY);
    }
    if (on.right <= on.left || on.bottom <= on.top)
        return;
    BitBlt(SourceSurface, on.left, on.top, on.right - on.left, on.bottom - on.top, ScreenDC,
           x0 + on.left, y0 + on.top, SRCCOPY);
    // Only what was read: the grey of the cells on no monitor is the lens's own.
    if (ReadsUnblend() != ReadBlendNone) {
        GdiFlush();
        UnblendRead(SurfacePixels(SourceSurface), g.SourceColumns, on);
    }
}

bool PictureAlreadyShown(const PictureInputs& now, const uint32_t* source) {
    const LensGeometry& g = now.geometry;
    const size_t cells = static_cast<size_t>(g.SourceColumns) * g.SourceRows;
    if (!ShownPictureValid || !source || ShownSource.size() != cells ||
        std::memcmp(&now, &ShownInputs, sizeof(now)) != 0)
        return false;
    const LensRect unseen = UnseenSourceCells(g, now.readingFlag, now.proFlag, now.movedAside,
                                              now.px, now.py, now.sampleHalf);
    return !CapturesDiffer(source, ShownSource.data(), g.SourceColumns, g.SourceRows, unseen);
}

// The vector grows at a new layout only, never per refresh.
void RememberShownPicture(const PictureInputs& now, const uint32_t* source) {
    ShownPictureValid = source != nullptr;
    if (!source)
        return;
    ShownInputs = now;
    const size_t cells = static_cast<size_t>(now.geometry.SourceColumns) * now.geometry.SourceRows;
    ShownSource.assign(source, source + cells);
}

}  // namespace

bool SelfImageOffset(const LensGeometry& g, int readingFlag, int movedAside, int px, int py,
                     int* x, int* y) {
    const int x0 = px - g.SourceColumns / 2;
    const int y0 = py - g.SourceRows / 2;
    const LensRect w = LensPlace(g, readingFlag, movedAside);
    if (!(w.left < x0 + g.SourceColumns && w.right > x0 && w.top < y0 + g.SourceRows &&
          w.bottom > y0))
        return false;
    *x = g.Zoom * (w.left - x0);
    *y = g.Zoom * (w.top - y0);
    return true;
}

LensRect UnseenSourceCells(const LensGeometry& g, int readingFlag, int proFlag, int movedAside,
                           int px, int py, int sampleHalf) {
    const LensRect w = LensPlace(g, readingFlag, movedAside);
    // One cell in from each edge the self-image has inside the area: a
    // stretch that is not a whole multiple (Pro's closing grid line) may
    // carry a border cell a pixel past it.
    const LensRect r =
        CapturedCells(g, px, py, LensRect{w.left + 1, w.top + 1, w.right - 1, w.bottom - 1});
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    // The strip reads every cell of the block: a change there is seen.
    const bool blockInside = hc + sampleHalf >= r.left && hc - sampleHalf < r.right &&
                             hr + sampleHalf >= r.top && hr - sampleHalf < r.bottom;
    if (r.right <= r.left || r.bottom <= r.top || (proFlag == 1 && blockInside))
        return {0, 0, 0, 0};
    return r;
}

bool CapturesDiffer(const uint32_t* a, const uint32_t* b, int columns, int rows,
                    const LensRect& unseen) {
    const size_t rowBytes = static_cast<size_t>(columns) * sizeof(uint32_t);
    const bool gap = unseen.right > unseen.left && unseen.bottom > unseen.top;
    for (int j = 0; j < rows; ++j) {
        const uint32_t* ra = a + static_cast<size_t>(j) * columns;
        const uint32_t* rb = b + static_cast<size_t>(j) * columns;
        if (!gap || j < unseen.top || j >= unseen.bottom) {
            if (std::memcmp(ra, rb, rowBytes) != 0)
                return true;
            continue;
        }
        if (std::memcmp(ra, rb, static_cast<size_t>(unseen.left) * sizeof(uint32_t)) != 0 ||
            std::memcmp(ra + unseen.right, rb + unseen.right,
                        static_cast<size_t>(columns - unseen.right) * sizeof(uint32_t)) != 0)
            return true;
    }
    return false;
}

void RefreshLens() {
    GetCursorPos(&PointerPos);
    if (!LensActive()) {
        ShowIdlePicture();
        return;
    }
    ZoomAroundCursor();
    if (LensSettings.ProFlag == 1)
        ShowPixelValue();
}

void ForgetShownPicture() {
    ShownPictureValid = false;
    ForgetStripText();
}

void ShowIdlePicture() {
    const LensGeometry& g = Geometry;
    ShownPictureValid = false;
    BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, IdleSurface, 0, 0,
           SRCCOPY);
    if (LensSettings.ProFlag == 1)
        DrawStripText("(disabled)");
}

void ZoomAroundCursor() {
    const LensGeometry& g = Geometry;
    const int px = PointerPos.x;
    const int py = PointerPos.y;
    CaptureArea(g, px, py);
    PictureInputs now{};
    now.geometry = g;
    now.px = px;
    now.py = py;
    now.movedAside = MovedAside();
    now.proFlag = LensSettings.ProFlag;
    now.readingFlag = LensSettings.ReadingFlag;
    now.sampleHalf = SampleHalf(LensSettings.Sample);
    GdiFlush();
    const uint32_t* source = SurfacePixels(SourceSurface);
    // A still screen: a quarter of the pixels (at factor 2) compared, nothing
    // drawn. The Pro colour stays the one read from this very capture.
    if (PictureAlreadyShown(now, source))
        return;
    StretchBlt(ZoomSurface, 0, 0, g.ImageWidth, g.ImageHeight, SourceSurface, 0, 0,
               g.SourceColumns, g.SourceRows, SRCCOPY);
    // The pixel under the pointer, read from the capture before anything is
    // painted over it: one screen read per refresh, not two.
    if (LensSettings.ProFlag == 1)
        PointerColour = ReadPointerColour();
    // Greyed: exactly the captured cells that lie on no monitor.
    LensRect bands[MaxOffscreenBands];
    const int n = OffscreenBands(g, px, py, bands);
    for (int i = 0; i < n; ++i)
        FillBand(bands[i]);
    PaintSelfImage(MovedAside());

    PutPictureInWindow();
    RememberShownPicture(now, source);
}

void PutPictureInWindow() {
    const LensGeometry& g = Geometry;
    // Pro and Reading: the grid or guide pixels are written into the picture
    // in memory, then one plain copy. The window gets what a masked copy over
    // the blitted overlay would give it, without the masked blit's cost.
    GdiFlush();
    uint32_t* picture = SurfacePixels(ZoomSurface);
    if (picture && (LensSettings.ProFlag == 1 || LensSettings.ReadingFlag == 1))
        ComposeOverlay(picture);
    BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, ZoomSurface, 0, 0,
           SRCCOPY);
}

COLORREF ReadPointerColour() {
    const LensGeometry& g = Geometry;
    GdiFlush();
    const uint32_t* picture = SurfacePixels(ZoomSurface);
    if (!picture || g.SourceColumns <= 0 || g.SourceRows <= 0)
        return UnblendColour(GetPixel(ScreenDC, PointerPos.x, PointerPos.y));
    return BlockMeanColour(g, PointerPos.x, PointerPos.y, SampleHalf(LensSettings.Sample),
                           picture);
}

COLORREF BlockMeanColour(const LensGeometry& g, int px, int py, int half,
                         const uint32_t* picture) {
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    // The middle of a cell, whatever the stretch ratio.
    auto cellPixel = [&](int c, int r) {
        const int x = (2 * c + 1) * g.ImageWidth / (2 * g.SourceColumns);
        const int y = (2 * r + 1) * g.ImageHeight / (2 * g.SourceRows);
        return picture[static_cast<size_t>(y) * g.ImageWidth + x];
    };
    // A layout without monitors (never made by LayoutLens) reads every cell.
    auto onAMonitor = [&](int x, int y) {
        return g.Monitors.Count == 0 || OnAMonitor(g.Monitors, x, y);
    };
    unsigned sum[3] = {0, 0, 0};
    unsigned count = 0;
    for (int r = std::max(0, hr - half); r <= std::min(g.SourceRows - 1, hr + half); ++r)
        for (int c = std::max(0, hc - half); c <= std::min(g.SourceColumns - 1, hc + half); ++c) {
            if (!onAMonitor(px - hc + c, py - hr + r))
                continue;
            const uint32_t p = cellPixel(c, r);
            sum[0] += (p >> 16) & 0xFF;
            sum[1] += (p >> 8) & 0xFF;
            sum[2] += p & 0xFF;
            ++count;
        }
    if (count == 0) {
        const uint32_t p = cellPixel(hc, hr);
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // To the nearest level, exact halves up.
    auto mean = [&](unsigned total) {
        return static_cast<BYTE>((2 * total + count) / (2 * count));
    };
    return RGB(mean(sum[0]), mean(sum[1]), mean(sum[2]));
}
