// Every drawing object the lens uses, made once at start-up and released once
// at shutdown.
#include "render/render.h"

#include <algorithm>

#include "settings/shared.h"

HDC ScreenDC;
HDC ZoomSurface;
HDC SourceSurface;
HDC IdleSurface;
HDC LogoSurface;
HDC OverlaySurface;
HDC CheckSurface;
HBITMAP LogoBitmap;
int LogoWidth;
int LogoHeight;
HBRUSH StripBrush;
HBRUSH OffscreenBrush;
HBRUSH KeyBrush;
HCURSOR CommonCursor;
HCURSOR ProCursor;
HCURSOR ReadingCursor;
HGLOBAL ClickSound;
HFONT StripFont;
HFONT StripNarrowFont;
COLORREF GridEvenColour;
COLORREF GridOddColour;
COLORREF CentreEvenColour;
COLORREF CentreOddColour;

namespace {

HCURSOR ReadingCursorFile;  // "rdc.cur", ours to destroy; nullptr without the file
HGDIOBJ FontBeforeStrip;  // LensDC's own font, given back at shutdown
int StripFontPixels;      // the character height StripFont was made with

// The widest hex or decimal text of a real colour. (The binary texts, up to
// 24 digits, outgrow the narrowest strips at any legible size.)
constexpr char WidestStripText[] = "(0xFF, 0xFF, 0xFF)";
constexpr int StripTextMargin = 2;  // white kept on each side of the text
constexpr int LargestStripFont = 14;
constexpr int SmallestStripFont = 7;

HFONT StripFontOfHeight(int pixels, int averageWidth = 0) {
    // A negative height asks for that many pixels of character height, so the
    // text keeps its size at any DPI: the strip does not grow either.
    return CreateFontA(-pixels, averageWidth, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Tahoma");
}

// Width of a text in a font, and the font's metrics if asked for.
int TextWidthIn(HDC probe, HFONT font, const char* text, TEXTMETRICA* metrics = nullptr) {
    ScopedSelection selected(probe, font);
    SIZE size{};
    GetTextExtentPoint32A(probe, text, lstrlenA(text), &size);
    if (metrics)
        GetTextMetricsA(probe, metrics);
    return size.cx;
}

// The largest font whose widest text stays whole, with a margin, in the
// narrowest Pro strip. Measured, because the face the system substitutes for
// a missing one can be much wider.
HFONT MakeStripFont() {
    const ScopedDC probe(CreateCompatibleDC(LensDC));
    const int width = NarrowestProStripWidth() - 2 * StripTextMargin;
    const int height = TextStripHeight - 2 * StripTextMargin;
    HFONT chosen = nullptr;
    for (int pixels = LargestStripFont; pixels >= SmallestStripFont && !chosen; --pixels) {
        ScopedGdiObject font(StripFontOfHeight(pixels));
        TEXTMETRICA metrics{};
        const int wide =
            TextWidthIn(probe.dc, static_cast<HFONT>(font.object), WidestStripText, &metrics);
        if ((wide <= width && metrics.tmHeight <= height) || pixels == SmallestStripFont) {
            chosen = static_cast<HFONT>(font.Keep());
            StripFontPixels = pixels;
        }
    }
    return chosen;
}

// Every surface holds exactly one bitmap of ours from the start, so replacing
// and releasing never has to tell placeholders apart.
HDC NewSurface() {
    HDC surface = CreateCompatibleDC(LensDC);
    SelectObject(surface, CreateCompatibleBitmap(LensDC, 1, 1));
    return surface;
}

HBITMAP HeldBitmap(HDC surface) {
    return static_cast<HBITMAP>(GetCurrentObject(surface, OBJ_BITMAP));
}

}  // namespace

void CreateEarlyDrawingObjects() {
    StripBrush = CreateSolidBrush(0x00FFFFFF);
    OffscreenBrush = CreateSolidBrush(GreyColour);
}

void ReplaceSurfaceBitmap(HDC surface, int width, int height) {
    HGDIOBJ old = SelectObject(surface, NewPictureBitmap(width, height));
    DeleteObject(old);
}

// The display DC spans every monitor, but where its origin lies differs:
// Windows puts it at the primary's top-left, like the pointer's coordinates;
// Wine at the virtual screen's top-left, so a monitor left of or above the
// primary would be read shifted. Where the DC's extent is the virtual screen,
// its top-left is moved to the virtual screen's place; any other extent is
// left as the system made it.
void PlaceScreenOrigin() {
    SetWindowOrgEx(ScreenDC, 0, 0, nullptr);
    RECT extent{};
    GetClipBox(ScreenDC, &extent);
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    if (extent.right - extent.left == GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
        extent.bottom - extent.top == GetSystemMetrics(SM_CYVIRTUALSCREEN))
        SetWindowOrgEx(ScreenDC, vx - extent.left, vy - extent.top, nullptr);
}

// A DC made before a monitor was plugged in or the mode changed can keep
// the old desk's extent; moving its origin is not enough.
void RemakeScreenDC() {
    HDC fresh = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!fresh)
        return;
    DeleteDC(ScreenDC);
    ScreenDC = fresh;
    PlaceScreenOrigin();
}

BITMAPINFO TopDownPictureInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HBITMAP NewPictureBitmap(int width, int height) {
    // A zero size (the idle picture built at start-up, before any layout)
    // would give no bitmap at all; keep one of ours.
    BITMAPINFO info = TopDownPictureInfo(width > 0 ? width : 1, height > 0 ? height : 1);
    void* pixels = nullptr;
    HBITMAP fresh = CreateDIBSection(LensDC, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!fresh)
        fresh = CreateCompatibleBitmap(LensDC, info.bmiHeader.biWidth, -info.bmiHeader.biHeight);
    return fresh;
}

uint32_t* PicturePixels(HBITMAP picture) {
    // Only NewPictureBitmap makes DIB sections here, all of them top-down
    // (GetObject reports their height as positive either way).
    DIBSECTION dib{};
    if (!picture || GetObjectA(picture, sizeof(dib), &dib) != sizeof(dib) ||
        dib.dsBmih.biBitCount != 32)
        return nullptr;
    return static_cast<uint32_t*>(dib.dsBm.bmBits);
}

uint32_t* SurfacePixels(HDC surface) {
    return PicturePixels(static_cast<HBITMAP>(GetCurrentObject(surface, OBJ_BITMAP)));
}

namespace {

bool DrawingObjectsMade;  // Initialised(): the run's drawing objects exist

}  // namespace

bool Initialised() {
    return DrawingObjectsMade;
}

void SetInitialisedForTest(bool made) {
    DrawingObjectsMade = made;
}

void CreateDrawingResources() {
    // Made without a display mode: the documented form of a DC that covers
    // every monitor.
    ScreenDC = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    PlaceScreenOrigin();

    OverlaySurface = NewSurface();
    KeyBrush = CreateSolidBrush(0x00FF00FF);

    ZoomSurface = NewSurface();
    SourceSurface = NewSurface();

    CheckSurface = NewSurface();
    ReplaceSurfaceBitmap(CheckSurface, CheckPatchWidth, CheckPatchHeight);

    CommonCursor = LoadCursorA(ProgramModule, "acr");
    // A file of its own, not a resource: LoadImage wants no module for it.
    ReadingCursorFile = static_cast<HCURSOR>(
        LoadImageA(nullptr, "rdc.cur", IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    // Without the file the pointer would vanish in Reading mode; show the arrow.
    ReadingCursor = ReadingCursorFile ? ReadingCursorFile : LoadCursorA(nullptr, IDC_ARROW);
    ProCursor = LoadCursorA(nullptr, IDC_ARROW);

    GridEvenColour = GreyColour;
    GridOddColour = SilverColour;
    CentreEvenColour = 0x000000FF;
    CentreOddColour = 0x00FFFFFF;

    HRSRC sound = FindResourceA(ProgramModule, "asd", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    ClickSound = sound ? LoadResource(ProgramModule, sound) : nullptr;

    IdleSurface = NewSurface();
    LogoSurface = CreateCompatibleDC(LensDC);

    LogoBitmap = LoadBitmapA(ProgramModule, "aaa");
    BITMAP logo{};
    GetObjectA(LogoBitmap, sizeof(logo), &logo);
    LogoWidth = logo.bmWidth;
    LogoHeight = logo.bmHeight;
    SelectObject(LogoSurface, LogoBitmap);

    SetStretchBltMode(IdleSurface, HALFTONE);
    SetBrushOrgEx(IdleSurface, 0, 0, nullptr);

    // LensDC belongs to the window for the whole run, so the strip's font is
    // selected once; every strip text is drawn in it.
    StripFont = MakeStripFont();
    FontBeforeStrip = SelectObject(LensDC, StripFont);

    BuildIdlePicture();
    DrawingObjectsMade = true;
}

void PrepareStripFonts() {
    // The binary texts of a real colour (24 digits) and the longest hsl()
    // text outgrow the narrower Pro strips in the strip's font. For them a
    // font of the same height with narrower letters is made for this strip,
    // so they too stay whole.
    if (StripNarrowFont)
        DeleteObject(StripNarrowFont);
    StripNarrowFont = nullptr;
    const char* const longest[] = {"000000000000000000000000", "hsl(300, 100%, 100%)"};
    const int width = StripTextRoom();
    const ScopedDC probe(CreateCompatibleDC(LensDC));
    auto widest = [&](HFONT font, TEXTMETRICA* metrics) {
        int wide = 0;
        for (const char* text : longest)
            wide = std::max(wide, TextWidthIn(probe.dc, font, text, metrics));
        return wide;
    };
    TEXTMETRICA metrics{};
    const int wide = widest(StripFont, &metrics);
    if (wide > width) {
        // A first guess in proportion, then narrower until the texts fit.
        for (int average = metrics.tmAveCharWidth * width / wide; average >= 1; --average) {
            ScopedGdiObject font(StripFontOfHeight(StripFontPixels, average));
            if (widest(static_cast<HFONT>(font.object), nullptr) <= width || average == 1) {
                StripNarrowFont = static_cast<HFONT>(font.Keep());
                break;
            }
        }
    }
}

int StripTextRoom() {
    return Geometry.TextStripRect.right - Geometry.TextStripRect.left - 2 * StripTextMargin;
}

void ReleaseDrawingResources() {
    // Take note of every bitmap first: once its DC is gone only the handle is left.
    HBITMAP overlay = HeldBitmap(OverlaySurface);
    HBITMAP zoom = HeldBitmap(ZoomSurface);
    HBITMAP source = HeldBitmap(SourceSurface);
    HBITMAP check = HeldBitmap(CheckSurface);
    HBITMAP idle = HeldBitmap(IdleSurface);

    SelectObject(LensDC, FontBeforeStrip);
    DeleteObject(StripFont);
    if (StripNarrowFont)
        DeleteObject(StripNarrowFont);
    StripNarrowFont = nullptr;

    // Every DC before any bitmap, so no bitmap is selected when it is deleted.
    DeleteDC(ScreenDC);
    DeleteDC(IdleSurface);
    DeleteDC(LogoSurface);
    DeleteDC(OverlaySurface);
    DeleteDC(ZoomSurface);
    DeleteDC(SourceSurface);
    DeleteDC(CheckSurface);

    DeleteObject(overlay);
    DeleteObject(zoom);
    DeleteObject(source);
    DeleteObject(check);
    DeleteObject(LogoBitmap);
    DeleteObject(idle);

    DeleteObject(KeyBrush);
    DeleteObject(OffscreenBrush);
    DeleteObject(StripBrush);

    if (ReadingCursorFile)
        DestroyCursor(ReadingCursorFile);
    ReadingCursorFile = nullptr;
}
