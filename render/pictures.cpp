// Pictures rebuilt at every show: the idle picture and the bevels around it.
#include "render/render.h"

#include "app/app.h"
#include "avoidance/avoidance.h"
#include "settings/settings.h"

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

void DrawRings(HDC dc, int width, int height, int thickness) {
    HPEN grey = CreatePen(PS_SOLID, 0, GreyColour);
    HPEN silver = CreatePen(PS_SOLID, 0, SilverColour);
    HGDIOBJ old = SelectObject(dc, grey);
    for (int band = 0; band < 2; ++band) {
        SelectObject(dc, band == 0 ? grey : silver);
        for (int k = 0; k < thickness; ++k) {
            const int o = band * thickness + k;
            DrawRing(dc, o, o, width - o - 1, height - o - 1);
        }
    }
    SelectObject(dc, old);
    DeleteObject(grey);
    DeleteObject(silver);
}

}  // namespace

void PlaceLogo(HDC dc, int width, int height) {
    if (LensSettings.ReadingFlag != 1) {
        StretchBlt(dc, 0, 0, width, height, LogoSurface, 0, 0, LogoWidth, LogoHeight, SRCCOPY);
        return;
    }
    HBRUSH pale = CreateSolidBrush(PaleYellowColour);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, pale);
    DeleteObject(pale);
    if (LogoHeight <= 0)
        return;
    const int w = static_cast<int>(static_cast<double>(height) / LogoHeight * LogoWidth);
    StretchBlt(dc, width - w, 0, w, height, LogoSurface, 0, 0, LogoWidth, LogoHeight, SRCCOPY);
}

void DrawThinBevel(HDC dc, int width, int height) {
    DrawRings(dc, width, height, 1);
}

void DrawZoomBevel(HDC dc, int width, int height) {
    DrawRings(dc, width, height, Geometry.Zoom);
}

void BuildIdlePicture() {
    ReplaceSurfaceBitmap(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
    PlaceLogo(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
    DrawThinBevel(IdleSurface, Geometry.ImageWidth, Geometry.ImageHeight);
}

void PrepareShow() {
    const LensGeometry& g = Geometry;
    SetWindowPos(LensWindow, HWND_TOPMOST, g.HomeX - MovedAside * g.WindowWidth, g.HomeY, g.WindowWidth,
                 g.WindowHeight, SWP_HIDEWINDOW);
    SetWindowPos(InputOverlay, HWND_TOPMOST, 0, 0, g.ScreenWidth, g.ScreenHeight, SWP_HIDEWINDOW);
    ReplaceSurfaceBitmap(ZoomSurface, g.ImageWidth, g.ImageHeight);
    BuildIdlePicture();
}
