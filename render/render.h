// Lens rendering: the drawing objects, the capture and zoom of the screen
// around the pointer, the idle picture, the self-image and the overlays.
#pragma once

#include <windows.h>

#include "geometry/geometry.h"

// Drawing objects, made once at start-up and released once at shutdown.
extern HDC ScreenDC;
extern HDC ZoomSurface;
extern HDC IdleSurface;
extern HDC LogoSurface;
extern HDC SelfImageSurface;
extern HDC OverlaySurface;
extern HBITMAP PassMask;      // monochrome; white passes the magnified pixel
extern HBITMAP SwatchBitmap;  // start-up placeholder until the first swatch copy
extern int SwatchPlaceholderHeld;  // 1 while SwatchBitmap is that placeholder
extern HBITMAP LogoBitmap;
extern int LogoWidth, LogoHeight;
extern HBRUSH StripBrush, OffscreenBrush, KeyBrush;
extern HCURSOR CommonCursor, ProCursor, ReadingCursor;
extern HGLOBAL ClickSound;
extern HFONT StripFont;  // the Pro strip's text, selected into LensDC for the whole run
extern COLORREF GridEvenColour, GridOddColour, CentreEvenColour, CentreOddColour;
extern int OverlayBuiltWidth, OverlayBuiltHeight;

// Pointer position read at the start of every refresh.
extern POINT PointerPos;

constexpr COLORREF GreyColour = 0x00808080;
constexpr COLORREF SilverColour = 0x00C0C0C0;
constexpr COLORREF PaleYellowColour = 0x00E4FFFF;
constexpr COLORREF LensBackgroundColour = 0x00E55500;

// Drawing objects.
void CreateEarlyDrawingObjects();  // strip and off-screen brushes, swatch placeholder
void CreateDrawingResources();
void ReleaseDrawingResources();
void ReplaceSurfaceBitmap(HDC surface, int width, int height);
// Puts ScreenDC's origin at the primary's top-left, where the pointer's is.
void PlaceScreenOrigin();

// Pictures rebuilt at every show.
void PrepareShow();
void BuildIdlePicture();
void PlaceLogo(HDC dc, int width, int height);
void DrawThinBevel(HDC dc, int width, int height);
void DrawZoomBevel(HDC dc, int width, int height);
// Width of the Reading-mode logo at full height, proportions kept.
int ReadingLogoWidth(int height, int logoWidth, int logoHeight);

// Pro grid, Reading guide and the mask that lets them show through.
void BuildProOverlay();
void BuildReadingMask();
void BlitOverlay();

// The refresh path.
void RefreshLens();
void ShowIdlePicture();
void ZoomAroundCursor();
void PaintSelfImage(int movedAside);  // draws the lens's own picture into ZoomSurface

// Arithmetic of the refresh path, free of drawing (the grey bands are
// OffscreenBands of geometry.h).
// Where the self-image goes in ZoomSurface, if the lens window lies inside the
// captured area: true with the target origin in *x, *y.
bool SelfImageOffset(const LensGeometry& g, int readingFlag, int movedAside, int px, int py,
                     int* x, int* y);
