// The refresh path: what the lens shows for the current pointer position.
#include "render/render.h"

#include "app/app.h"
#include "avoidance/avoidance.h"
#include "readout/readout.h"
#include "settings/settings.h"

POINT PointerPos;

namespace {

constexpr double SelfImageReach = 0.55;

// The masked copy keeps the grid or guide line where the mask is black.
// MaskBlt is the masked copy of the unrotated image rectangle that works on
// Windows and on Wine alike.
constexpr DWORD MaskedCopy = MAKEROP4(SRCCOPY, 0x00AA0029);

void FillBand(const LensRect& r) {
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    RECT band{r.left, r.top, r.right, r.bottom};
    FillRect(ZoomSurface, &band, OffscreenBrush);
}

}  // namespace

bool SelfImageOffset(const LensGeometry& g, int readingFlag, int movedAside, int px, int py,
                     int* x, int* y) {
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    const int a = movedAside == 1 ? 1 : 0;
    int wx = g.HomeX;
    int wy = g.HomeY;
    if (readingFlag == 1) {
        const int tr = static_cast<int>(SelfImageReach * g.SourceRows);
        wy = g.HomeY - 1 - a * (g.WindowHeight + tr);
    } else {
        const int tc = static_cast<int>(SelfImageReach * g.SourceColumns);
        wx = g.HomeX - 1 - a * (g.WindowWidth + tc);
    }
    if (!(py - hr < wy + g.WindowHeight && px + hc >= wx && py + hr >= wy))
        return false;
    *x = g.Zoom * (1 + hc - px + wx);
    *y = g.Zoom * (hr - py + wy);
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

void ShowIdlePicture() {
    const LensGeometry& g = Geometry;
    BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, IdleSurface, 0, 0,
           SRCCOPY);
    if (LensSettings.ProFlag == 1) {
        RECT strip{g.TextStripRect.left, g.TextStripRect.top, g.TextStripRect.right,
                   g.TextStripRect.bottom};
        FillRect(LensDC, &strip, StripBrush);
        DrawTextA(LensDC, "(disabled)", -1, &strip, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
}

void ZoomAroundCursor() {
    const LensGeometry& g = Geometry;
    const int px = PointerPos.x;
    const int py = PointerPos.y;
    StretchBlt(ZoomSurface, 0, 0, g.ImageWidth, g.ImageHeight, ScreenDC, px - g.SourceColumns / 2,
               py - g.SourceRows / 2, g.SourceColumns, g.SourceRows, SRCCOPY);
    // Greyed: exactly the captured cells that lie on no monitor.
    LensRect bands[MaxOffscreenBands];
    const int n = OffscreenBands(g, px, py, bands);
    for (int i = 0; i < n; ++i)
        FillBand(bands[i]);
    PaintSelfImage(MovedAside);

    if (LensSettings.ProFlag == 1 || LensSettings.ReadingFlag == 1)
        MaskBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, ZoomSurface, 0, 0,
                PassMask, 0, 0, MaskedCopy);
    else
        BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, ZoomSurface, 0, 0,
               SRCCOPY);
}
