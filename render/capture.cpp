// The refresh path: what the lens shows for the current pointer position.
#include "render/render.h"

#include <cstring>

#include "app/app.h"
#include "avoidance/avoidance.h"
#include "readout/readout.h"
#include "settings/settings.h"

POINT PointerPos;
COLORREF PointerColour;

namespace {

// ZoomSurface draws into one of two pictures while the other keeps what the
// window shows; they change places at every copy into the window. A refresh
// whose picture is the same leaves the window alone: under Wine every window
// update is an upload to the X server and a repaint by the compositor.
HBITMAP SparePicture;
int SpareWidth;
int SpareHeight;
bool ShownPictureValid;

// The second picture, made at the first refresh after the layout changed.
uint32_t* SparePixels(const LensGeometry& g) {
    if (!SparePicture || SpareWidth != g.ImageWidth || SpareHeight != g.ImageHeight) {
        ReleaseSparePicture();
        SparePicture = NewPictureBitmap(g.ImageWidth, g.ImageHeight);
        SpareWidth = g.ImageWidth;
        SpareHeight = g.ImageHeight;
        ShownPictureValid = false;
    }
    return PicturePixels(SparePicture);
}

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
// grey, as its bands will be. The stretch from memory gives what the stretch
// from the screen gave.
void CaptureArea(const LensGeometry& g, int px, int py) {
    const int x0 = px - g.SourceColumns / 2;
    const int y0 = py - g.SourceRows / 2;
    const LensRect on = CapturedOnScreen(g, px, py);
    const bool whole = on.left == 0 && on.top == 0 && on.right == g.SourceColumns &&
                       on.bottom == g.SourceRows;
    if (!whole) {
        HGDIOBJ oldBrush = SelectObject(SourceSurface, OffscreenBrush);
        PatBlt(SourceSurface, 0, 0, g.SourceColumns, g.SourceRows, PATCOPY);
        SelectObject(SourceSurface, oldBrush);
    }
    if (on.right > on.left && on.bottom > on.top)
        BitBlt(SourceSurface, on.left, on.top, on.right - on.left, on.bottom - on.top, ScreenDC,
               x0 + on.left, y0 + on.top, SRCCOPY);
    StretchBlt(ZoomSurface, 0, 0, g.ImageWidth, g.ImageHeight, SourceSurface, 0, 0,
               g.SourceColumns, g.SourceRows, SRCCOPY);
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

void RefreshLens() {
    GetCursorPos(&PointerPos);
    if (LensActive == 0) {
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
    // The pixel under the pointer, read from the capture before anything is
    // painted over it: one screen read per refresh, not two.
    if (LensSettings.ProFlag == 1)
        PointerColour = ReadPointerColour();
    // Greyed: exactly the captured cells that lie on no monitor.
    LensRect bands[MaxOffscreenBands];
    const int n = OffscreenBands(g, px, py, bands);
    for (int i = 0; i < n; ++i)
        FillBand(bands[i]);
    PaintSelfImage(MovedAside);

    PutPictureInWindow();
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
    const uint32_t* shown = picture ? SparePixels(g) : nullptr;
    if (shown && ShownPictureValid &&
        std::memcmp(shown, picture,
                    static_cast<size_t>(g.ImageWidth) * g.ImageHeight * sizeof(uint32_t)) == 0)
        return;
    BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, ZoomSurface, 0, 0,
           SRCCOPY);
    if (shown) {
        SparePicture = static_cast<HBITMAP>(SelectObject(ZoomSurface, SparePicture));
        ShownPictureValid = true;
    }
}

void ReleaseSparePicture() {
    if (SparePicture)
        DeleteObject(SparePicture);
    SparePicture = nullptr;
}

COLORREF ReadPointerColour() {
    const LensGeometry& g = Geometry;
    GdiFlush();
    const uint32_t* picture = SurfacePixels(ZoomSurface);
    if (!picture || g.SourceColumns <= 0 || g.SourceRows <= 0)
        return GetPixel(ScreenDC, PointerPos.x, PointerPos.y);
    // The middle of the pointer's cell, whatever the stretch ratio.
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    const int x = (2 * hc + 1) * g.ImageWidth / (2 * g.SourceColumns);
    const int y = (2 * hr + 1) * g.ImageHeight / (2 * g.SourceRows);
    const uint32_t p = picture[static_cast<size_t>(y) * g.ImageWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}
