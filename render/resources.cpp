// Every drawing object the lens uses, made once at start-up and released once
// at shutdown.
#include "render/render.h"

#include "app/app.h"

HDC ScreenDC;
HDC ZoomSurface;
HDC IdleSurface;
HDC LogoSurface;
HDC SelfImageSurface;
HDC OverlaySurface;
HBITMAP PassMask;
HBITMAP SwatchBitmap;
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
COLORREF GridEvenColour;
COLORREF GridOddColour;
COLORREF CentreEvenColour;
COLORREF CentreOddColour;
int OverlayBuiltWidth = 1;
int OverlayBuiltHeight = 1;

int SwatchPlaceholderHeld;

namespace {

bool ReadingCursorFromFile;

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
    SwatchBitmap = CreateCompatibleBitmap(LensDC, 1, 1);
    SwatchPlaceholderHeld = 1;
}

void ReplaceSurfaceBitmap(HDC surface, int width, int height) {
    HGDIOBJ old = SelectObject(surface, NewPictureBitmap(width, height));
    DeleteObject(old);
}

HBITMAP NewPictureBitmap(int width, int height) {
    // A zero size (the idle picture built at start-up, before any layout)
    // would give no bitmap at all; keep one of ours.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width > 0 ? width : 1;
    info.bmiHeader.biHeight = -(height > 0 ? height : 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP fresh = CreateDIBSection(LensDC, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!fresh)
        fresh = CreateCompatibleBitmap(LensDC, info.bmiHeader.biWidth, -info.bmiHeader.biHeight);
    return fresh;
}

uint32_t* SurfacePixels(HDC surface) {
    // Only ReplaceSurfaceBitmap makes DIB sections here, all of them top-down
    // (GetObject reports their height as positive either way).
    DIBSECTION dib{};
    if (GetObjectA(GetCurrentObject(surface, OBJ_BITMAP), sizeof(dib), &dib) != sizeof(dib) ||
        dib.dsBmih.biBitCount != 32)
        return nullptr;
    return static_cast<uint32_t*>(dib.dsBm.bmBits);
}

void CreateDrawingResources() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    ScreenDC = CreateDCA("DISPLAY", nullptr, nullptr, &mode);

    OverlaySurface = NewSurface();
    KeyBrush = CreateSolidBrush(0x00FF00FF);

    ZoomSurface = NewSurface();

    SelfImageSurface = NewSurface();

    PassMask = CreateBitmap(1, 1, 1, 1, nullptr);

    CommonCursor = LoadCursorA(ProgramModule, "acr");
    ReadingCursor = static_cast<HCURSOR>(
        LoadImageA(ProgramModule, "rdc.cur", IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    ReadingCursorFromFile = ReadingCursor != nullptr;
    // Without the file the pointer would vanish in Reading mode; show the arrow.
    if (!ReadingCursor)
        ReadingCursor = LoadCursorA(nullptr, IDC_ARROW);
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

    BuildIdlePicture();
    Initialised = 1;
}

void ReleaseDrawingResources() {
    // Take note of every bitmap first: once its DC is gone only the handle is left.
    HBITMAP overlay = HeldBitmap(OverlaySurface);
    HBITMAP zoom = HeldBitmap(ZoomSurface);
    HBITMAP self = HeldBitmap(SelfImageSurface);
    HBITMAP idle = HeldBitmap(IdleSurface);

    // Every DC before any bitmap, so no bitmap is selected when it is deleted.
    DeleteDC(ScreenDC);
    DeleteDC(IdleSurface);
    DeleteDC(LogoSurface);
    DeleteDC(OverlaySurface);
    DeleteDC(ZoomSurface);
    DeleteDC(SelfImageSurface);

    // A swatch handed to the clipboard belongs to the clipboard.
    if (SwatchPlaceholderHeld == 1)
        DeleteObject(SwatchBitmap);
    DeleteObject(overlay);
    DeleteObject(zoom);
    DeleteObject(self);
    DeleteObject(LogoBitmap);
    DeleteObject(idle);
    DeleteObject(PassMask);
    ReleaseSparePicture();

    DeleteObject(KeyBrush);
    DeleteObject(OffscreenBrush);
    DeleteObject(StripBrush);

    if (ReadingCursorFromFile)
        DestroyCursor(ReadingCursor);
}
