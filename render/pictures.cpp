// Pictures of the lens itself: the idle picture, the self-image and their bevels.
#include "render/render.h"

#include "settings/settings.h"
#include "settings/shared.h"

namespace {

// One closed one-pixel ring; each LineTo leaves out its end point, so every
// pixel of the ring is drawn once.
void DrawRing(HDC dc, int left, int top, int right, int bottom) {
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, right, top);
    LineTo(dc, right, bottom);
    LineTo(dc, left, bottom);
    LineTo(dc, left, top);
}

// The grey band, then the silver band inside it, each `thickness` rings deep,
// around (x, y, x + width, y + height). The DC's own pen is recoloured rather
// than a pen made: this runs on the refresh path, which allocates nothing.
void DrawRingsAt(HDC dc, int x, int y, int width, int height, int thickness) {
    const ScopedSelection pen(dc, GetStockObject(DC_PEN));
    const COLORREF oldColour = SetDCPenColor(dc, GreyColour);
    for (int band = 0; band < 2; ++band) {
        SetDCPenColor(dc, band == 0 ? GreyColour : SilverColour);
        for (int k = 0; k < thickness; ++k) {
            const int o = band * thickness + k;
            DrawRing(dc, x + o, y + o, x + width - o - 1, y + height - o - 1);
        }
    }
    SetDCPenColor(dc, oldColour);
}

// The logo over (x, y, x + width, y + height); the area may reach far beyond
// the DC's bitmap, whose visible part is drawn as the whole stretch would.
void PlaceLogoAt(HDC dc, int x, int y, int width, int height) {
    if (LensSettings.ReadingFlag != 1) {
        StretchBlt(dc, x, y, width, height, LogoSurface, 0, 0, LogoWidth, LogoHeight, SRCCOPY);
        return;
    }
    // Reading: the logo keeps its proportions, full height, right-aligned on pale yellow.
    {
        const ScopedSelection brush(dc, GetStockObject(DC_BRUSH));
        const COLORREF oldColour = SetDCBrushColor(dc, PaleYellowColour);
        PatBlt(dc, x, y, width, height, PATCOPY);
        SetDCBrushColor(dc, oldColour);
    }
    if (LogoHeight <= 0)
        return;
    const int w = ReadingLogoWidth(height, LogoWidth, LogoHeight);
    StretchBlt(dc, x + width - w, y, w, height, LogoSurface, 0, 0, LogoWidth, LogoHeight, SRCCOPY);
}

}  // namespace

int ReadingLogoWidth(int height, int logoWidth, int logoHeight) {
    if (logoHeight <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(height) / logoHeight * logoWidth);
}

void PlaceLogo(HDC dc, int width, int height) {
    PlaceLogoAt(dc, 0, 0, width, height);
}

void DrawThinBevel(HDC dc, int width, int height) {
    DrawRingsAt(dc, 0, 0, width, height, 1);
}

void DrawZoomBevel(HDC dc, int width, int height) {
    DrawRingsAt(dc, 0, 0, width, height, Geometry.Zoom);
}

void BuildIdlePicture() {
    ReplaceSurfaceBitmap(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
    PlaceLogo(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
    DrawThinBevel(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
}

void PrepareShow() {
    const LensGeometry& g = Geometry;
    const LensRect at = LensPlace(g, LensSettings.ReadingFlag, MovedAside());
    SetWindowPos(LensWindow, HWND_TOPMOST, at.left, at.top, g.WindowWidth, g.WindowHeight,
                 SWP_HIDEWINDOW);
    // The input layer spans every monitor, so the pointer keeps driving the
    // lens wherever it goes; the monitors may have moved since the last show.
    PlaceScreenOrigin();
    const LensRect& v = g.VirtualScreen;
    SetWindowPos(InputOverlay, HWND_TOPMOST, v.left, v.top, v.right - v.left, v.bottom - v.top,
                 SWP_HIDEWINDOW);
    RebuildShowPictures();
}

void ReshapeShownLens(int aside) {
    const LensGeometry& g = Geometry;
    const LensRect at = LensPlace(g, LensSettings.ReadingFlag, aside);
    // Shown and below the input layer it stays: no hide, no new Z order, no
    // activation; the whole window is painted anew.
    SetWindowPos(LensWindow, nullptr, at.left, at.top, g.WindowWidth, g.WindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    RebuildShowPictures();
}

void RebuildShowPictures() {
    const LensGeometry& g = Geometry;
    // The self-image is not kept as a picture: at Zoom times the window it
    // would take over 100 MB in the larger layouts. PaintSelfImage draws the
    // part that shows straight into ZoomSurface instead.
    ReplaceSurfaceBitmap(ZoomSurface, g.ImageWidth, g.ImageHeight);
    ReplaceSurfaceBitmap(SourceSurface, g.SourceColumns, g.SourceRows);
    ForgetShownPicture();
    if (LensSettings.ProFlag == 1)
        PrepareStripFonts();
    BuildIdlePicture();
}

void PaintSelfImage(int movedAside) {
    const LensGeometry& g = Geometry;
    int x = 0;
    int y = 0;
    if (!SelfImageOffset(g, LensSettings.ReadingFlag, movedAside, PointerPos.x, PointerPos.y, &x,
                         &y))
        return;
    // The lens window Zoom times enlarged, placed where the window lies; only
    // the part inside ZoomSurface is drawn.
    const int width = g.Zoom * g.WindowWidth;
    const int height = g.Zoom * g.WindowHeight;
    PlaceLogoAt(ZoomSurface, x, y, width, height);
    DrawRingsAt(ZoomSurface, x, y, width, height, g.Zoom);
}
