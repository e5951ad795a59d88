// The drawing objects from start-up to shutdown, the bevels and the logo, and
// the embedded resources byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drawing_fixture.h"

namespace {

constexpr COLORREF PaleYellow = 0x00E4FFFF;
constexpr COLORREF LogoPaper = RGB(246, 249, 255);  // the logo's background

BITMAP BitmapOf(HGDIOBJ bitmap) {
    BITMAP b{};
    GetObjectA(bitmap, sizeof(b), &b);
    return b;
}

BITMAP HeldBitmap(HDC surface) {
    return BitmapOf(GetCurrentObject(surface, OBJ_BITMAP));
}

COLORREF BrushColour(HBRUSH brush) {
    LOGBRUSH b{};
    GetObjectA(brush, sizeof(b), &b);
    return b.lbColor;
}

class DrawingObjects : public ::testing::Test {
protected:
    void SetUp() override { StartDrawing(); }
    void TearDown() override { StopDrawing(); }
};

TEST_F(DrawingObjects, RightAfterStartUpTheSurfacesHoldPlaceholders) {
    EXPECT_TRUE(Initialised());
    for (HDC surface : {ZoomSurface, OverlaySurface}) {
        const BITMAP b = HeldBitmap(surface);
        EXPECT_EQ(b.bmWidth, 1);
        EXPECT_EQ(b.bmHeight, 1);
    }

    EXPECT_EQ(LogoWidth, 351);
    EXPECT_EQ(LogoHeight, 264);
    EXPECT_EQ(GetCurrentObject(LogoSurface, OBJ_BITMAP), LogoBitmap);
    EXPECT_EQ(GetStretchBltMode(IdleSurface), HALFTONE);
    EXPECT_NE(GetStretchBltMode(ZoomSurface), HALFTONE);
    EXPECT_GT(GetDeviceCaps(ScreenDC, HORZRES), 0);

    EXPECT_EQ(BrushColour(StripBrush), 0x00FFFFFFu);
    EXPECT_EQ(BrushColour(OffscreenBrush), 0x00808080u);
    EXPECT_EQ(BrushColour(KeyBrush), 0x00FF00FFu);
    EXPECT_NE(CommonCursor, nullptr);
    EXPECT_NE(CommonCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(ProCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(ClickSound, nullptr);
    EXPECT_EQ(GridEvenColour, Grey);
    EXPECT_EQ(GridOddColour, Silver);
    EXPECT_EQ(CentreEvenColour, 0x000000FFu);
    EXPECT_EQ(CentreOddColour, 0x00FFFFFFu);

    // The strip's font, chosen in pixels, is LensDC's for the whole run: the
    // widest colour text fits the narrowest strip whole, at a legible size.
    EXPECT_EQ(GetCurrentObject(LensDC, OBJ_FONT), StripFont);
    SIZE text{};
    GetTextExtentPoint32A(LensDC, "(0xFF, 0xFF, 0xFF)", 18, &text);
    TEXTMETRICA metrics{};
    GetTextMetricsA(LensDC, &metrics);
    EXPECT_LE(text.cx, 127 - 4);
    EXPECT_LE(metrics.tmHeight, 22 - 4);
    EXPECT_GE(metrics.tmAscent, 9);
}

// The longest binary text of a real colour stays whole in every Pro strip,
// as high as the strip's other texts; where it fits anyway, no second font.
TEST_F(DrawingObjects, BinaryTextsFitEveryProStripAtTheStripsHeight) {
    const char binary[] = "111111111111111111111111";
    HDC probe = CreateCompatibleDC(LensDC);
    auto measure = [&](HFONT font, SIZE* size, TEXTMETRICA* metrics) {
        HGDIOBJ old = SelectObject(probe, font);
        GetTextExtentPoint32A(probe, binary, 24, size);
        GetTextMetricsA(probe, metrics);
        SelectObject(probe, old);
    };
    SIZE wide{};
    TEXTMETRICA normal{};
    measure(StripFont, &wide, &normal);
    for (int format : {11, 12, 13, 21, 22, 24, 26}) {
        UseLayout(ModePro, 6, format, ReadSystemFacts());
        PrepareShow();
        const int room = Geometry.ImageWidth - 4;
        if (wide.cx <= room) {
            EXPECT_EQ(StripNarrowFont, nullptr) << format;
            continue;
        }
        ASSERT_NE(StripNarrowFont, nullptr) << format;
        SIZE narrow{};
        TEXTMETRICA metrics{};
        measure(StripNarrowFont, &narrow, &metrics);
        EXPECT_LE(narrow.cx, room) << format;
        EXPECT_EQ(metrics.tmHeight, normal.tmHeight) << format;
    }
    // The longest hsl() text too, in the narrowest strip.
    UseLayout(ModePro, 6, 11, ReadSystemFacts());
    PrepareShow();
    SIZE hsl{};
    {
        const ScopedSelection font(probe, StripNarrowFont ? StripNarrowFont : StripFont);
        GetTextExtentPoint32A(probe, "hsl(300, 100%, 100%)", 20, &hsl);
    }
    EXPECT_LE(hsl.cx, Geometry.ImageWidth - 4);
    DeleteDC(probe);
}

TEST_F(DrawingObjects, AShowGivesTheLayoutsBitmapsAndTheSelfImageStaysSmall) {
    // Start-up built the idle picture before any layout: still a bitmap of ours.
    const BITMAP idle = HeldBitmap(IdleSurface);
    EXPECT_EQ(idle.bmWidth, 1);
    EXPECT_EQ(idle.bmBitsPixel, HeldBitmap(ZoomSurface).bmBitsPixel);
    UseLayout(ModeCommon, 2, 24, ReadSystemFacts());
    const HGDIOBJ oldZoom = GetCurrentObject(ZoomSurface, OBJ_BITMAP);
    const HGDIOBJ oldIdle = GetCurrentObject(IdleSurface, OBJ_BITMAP);
    PrepareShow();
    EXPECT_EQ(HeldBitmap(ZoomSurface).bmWidth, Geometry.ImageWidth);
    EXPECT_EQ(HeldBitmap(ZoomSurface).bmHeight, Geometry.ImageHeight);
    EXPECT_EQ(HeldBitmap(IdleSurface).bmWidth, Geometry.ImageWidth);
    EXPECT_EQ(HeldBitmap(IdleSurface).bmHeight, Geometry.ImageHeight);
    // The replaced bitmaps are gone.
    EXPECT_EQ(GetObjectType(oldZoom), 0u);
    EXPECT_EQ(GetObjectType(oldIdle), 0u);
}

TEST(Painting, NothingUntilTheDrawingObjectsExistOrWhileHidden) {
    PixelSurface window(600, 400);
    PatBlt(window.dc, 0, 0, 600, 400, BLACKNESS);
    auto untouched = [&] {
        GdiFlush();
        for (int i = 0; i < 600 * 400; ++i)
            if (window.bits[i] != 0)
                return false;
        return true;
    };
    LensDC = window.dc;
    SetInitialisedForTest(false);
    for (LensState shown : {LensState::ShownIdle, LensState::ShownMagnifying}) {
        SetLensStateForTest(shown);
        PaintLens();
        EXPECT_TRUE(untouched()) << "magnifying " << (shown == LensState::ShownMagnifying);
    }

    StartDrawing();
    UseLayout(ModeCommon, 2, 24);
    PrepareShow();
    const HDC windowDC = LensDC;
    LensDC = window.dc;
    SetLensStateForTest(LensState::Hidden);
    PaintLens();
    EXPECT_TRUE(untouched());
    SetLensStateForTest(LensState::ShownIdle);
    PaintLens();  // the idle picture, framed grey
    GdiFlush();
    EXPECT_EQ(window.At(Geometry.ImageLeft, Geometry.ImageTop), Grey);
    EXPECT_EQ(window.At(Geometry.ImageLeft + 1, Geometry.ImageTop + 1), Silver);
    LensDC = windowDC;
    SetLensStateForTest(LensState::Hidden);
    StopDrawing();
}

// A run of shows in every mode, with pointer positions that paint the
// self-image, then shutdown: nothing the program made may survive it.
TEST(Shutdown, ShowsAndHidesLeaveNoDrawingObjectBehind) {
    const DWORD before = GdiObjects();
    StartDrawing();
    std::vector<HGDIOBJ> made = {ScreenDC,   ZoomSurface, IdleSurface,    LogoSurface,
                                 OverlaySurface, LogoBitmap, StripBrush, OffscreenBrush,
                                 KeyBrush,   StripFont};
    const int modes[][3] = {{ModeCommon, 2, 11}, {ModePro, 2, 21}, {ModeReading, 3, 31},
                            {ModeCommon, 4, 24}};
    for (const auto& m : modes) {
        UseLayout(m[0], m[1], m[2]);
        made.push_back(GetCurrentObject(ZoomSurface, OBJ_BITMAP));
        made.push_back(GetCurrentObject(IdleSurface, OBJ_BITMAP));
        PrepareShow();
        if (m[0] == ModePro)
            BuildProOverlay();
        else if (m[0] == ModeReading)
            BuildReadingMask();
        SetLensStateForTest(LensState::ShownMagnifying);
        PointerPos = {Geometry.HomeX - 5, Geometry.HomeY + 5};
        PaintSelfImage(0);
        PaintSelfImage(1);
        SetLensStateForTest(LensState::Hidden);
    }
    for (HDC surface : {ZoomSurface, IdleSurface, OverlaySurface})
        made.push_back(GetCurrentObject(surface, OBJ_BITMAP));
    const HGDIOBJ pen = GetCurrentObject(ZoomSurface, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(ZoomSurface, OBJ_BRUSH);
    EXPECT_EQ(pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(brush, GetStockObject(WHITE_BRUSH));

    StopDrawing();
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(GetObjectType(made[i]), 0u) << "object " << i << " still exists";
    EXPECT_EQ(GdiObjects(), before);
}

TEST(ReadingCursor, ComesFromTheWorkingDirectoryOrFallsBackToTheArrow) {
    char home[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, home);
    const std::string dir = MakeTempDirectory();
    const std::string file = dir + "\\rdc.cur";
    DeleteFileA(file.c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);

    StartDrawing();
    EXPECT_EQ(ReadingCursor, arrow);  // visible, not empty
    StopDrawing();
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(arrow, &info)) << "the shared arrow must survive shutdown";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    ASSERT_TRUE(CopyFileA(VELLIX_BUILD_DIR "/rdc.cur", file.c_str(), FALSE));
    StartDrawing();
    ASSERT_NE(ReadingCursor, nullptr);
    EXPECT_NE(ReadingCursor, arrow);
    ICONINFO own{};
    ASSERT_TRUE(GetIconInfo(ReadingCursor, &own));
    EXPECT_EQ(own.xHotspot, 0u);
    EXPECT_EQ(own.yHotspot, 0u);
    EXPECT_EQ(BitmapOf(own.hbmColor).bmWidth, 32);
    DeleteObject(own.hbmColor);
    DeleteObject(own.hbmMask);
    StopDrawing();

    SetCurrentDirectoryA(home);
    DeleteFileA(file.c_str());
    RemoveDirectoryA(dir.c_str());
}

// --- bevels and logo ----------------------------------------------------------

// A surface like the program's, filled black.
struct BlackSurface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int width, height;
    BlackSurface(int w, int h) : width(w), height(h) {
        dc = CreateCompatibleDC(LensDC);
        bitmap = CreateCompatibleBitmap(LensDC, w, h);
        old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, w, h, BLACKNESS);
    }
    ~BlackSurface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// Ring number of a pixel counted from the outside.
int RingOf(int x, int y, int w, int h) {
    int r = x;
    for (int d : {y, w - 1 - x, h - 1 - y})
        r = d < r ? d : r;
    return r;
}

void ExpectBevel(HDC dc, int w, int h, int thickness) {
    PixelSurface seen(w, h);
    seen.CopyFrom(dc);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int ring = RingOf(x, y, w, h);
            const COLORREF want = ring < thickness ? Grey : ring < 2 * thickness ? Silver : 0;
            if (seen.At(x, y) != want && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") ring " << ring << " is 0x"
                              << std::hex << seen.At(x, y);
        }
    EXPECT_EQ(wrong, 0) << "thickness " << thickness;
}

TEST_F(DrawingObjects, ThinBevelIsOneGreyAndOneSilverRing) {
    BlackSurface s(31, 17);
    const HGDIOBJ pen = GetCurrentObject(s.dc, OBJ_PEN);
    DrawThinBevel(s.dc, 31, 17);
    EXPECT_EQ(GetCurrentObject(s.dc, OBJ_PEN), pen);
    ExpectBevel(s.dc, 31, 17, 1);
}

TEST_F(DrawingObjects, ZoomBevelBandsAreZoomPixelsThick) {
    for (int zoom : {2, 3, 6}) {
        Geometry.Zoom = zoom;
        BlackSurface s(40, 29);
        const HGDIOBJ pen = GetCurrentObject(s.dc, OBJ_PEN);
        DrawZoomBevel(s.dc, 40, 29);
        EXPECT_EQ(GetCurrentObject(s.dc, OBJ_PEN), pen);
        ExpectBevel(s.dc, 40, 29, zoom);
    }
}

TEST_F(DrawingObjects, ReadingLogoKeepsItsProportionsRightAlignedOnPaleYellow) {
    EXPECT_EQ(ReadingLogoWidth(90, 351, 264), 119);
    EXPECT_EQ(ReadingLogoWidth(208, 351, 264), 276);
    LensSettings.ReadingFlag = 1;
    BlackSurface s(300, 90);
    PlaceLogo(s.dc, 300, 90);
    PixelSurface seen(300, 90);
    seen.CopyFrom(s.dc);
    for (int y = 0; y < 90; ++y) {
        EXPECT_EQ(seen.At(0, y), PaleYellow);
        EXPECT_EQ(seen.At(300 - 119 - 1, y), PaleYellow) << "row " << y;
        EXPECT_EQ(seen.At(300 - 119, y), LogoPaper) << "row " << y;
        EXPECT_EQ(seen.At(299, y), LogoPaper) << "row " << y;
    }
    LensSettings.ReadingFlag = 0;
}

TEST_F(DrawingObjects, CommonLogoFillsTheWholeAreaWhateverItsProportions) {
    LensSettings.ReadingFlag = 0;
    BlackSurface s(130, 45);
    PlaceLogo(s.dc, 130, 45);
    PixelSurface seen(130, 45);
    seen.CopyFrom(s.dc);
    for (int y : {0, 44})
        for (int x : {0, 129})
            EXPECT_EQ(seen.At(x, y), LogoPaper) << x << ", " << y;
}

// --- the embedded resources -----------------------------------------------------

std::string Resource(const char* name, LPCSTR type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

template <typename T>
T Read(const std::string& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

TEST(Resources, ClickIsThe698ByteWaveImage) {
    const std::string w = Resource("asd", MAKEINTRESOURCEA(10));
    ASSERT_EQ(w.size(), 698u);
    EXPECT_EQ(w.substr(0, 4), "RIFF");
    EXPECT_EQ(Read<uint32_t>(w, 4), 690u);
    EXPECT_EQ(w.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Read<uint32_t>(w, 16), 18u);
    EXPECT_EQ(Read<uint16_t>(w, 20), 1u);
    EXPECT_EQ(Read<uint16_t>(w, 22), 1u);
    EXPECT_EQ(Read<uint32_t>(w, 24), 16000u);
    EXPECT_EQ(Read<uint32_t>(w, 28), 32000u);
    EXPECT_EQ(Read<uint16_t>(w, 32), 2u);
    EXPECT_EQ(Read<uint16_t>(w, 34), 16u);
    EXPECT_EQ(Read<uint16_t>(w, 36), 0u);
    EXPECT_EQ(w.substr(38, 4), "data");
    EXPECT_EQ(Read<uint32_t>(w, 42), 652u);
    // A click: loud at once, silent by the end.
    int peak = 0, tail = 0;
    for (int i = 0; i < 326; ++i) {
        const int v = abs(Read<int16_t>(w, 46 + 2 * i));
        if (i < 80)
            peak = v > peak ? v : peak;
        else if (i >= 300)
            tail = v > tail ? v : tail;
    }
    EXPECT_GT(peak, 8000);
    EXPECT_LT(tail, 200);
}

TEST(Resources, LogoIs351By264TwentyFourBitUncompressed) {
    const std::string b = Resource("aaa", MAKEINTRESOURCEA(2));
    ASSERT_GE(b.size(), 40u);
    EXPECT_EQ(Read<int32_t>(b, 4), 351);
    EXPECT_EQ(Read<int32_t>(b, 8), 264);
    EXPECT_EQ(Read<uint16_t>(b, 14), 24u);
    EXPECT_EQ(Read<uint32_t>(b, 16), 0u);  // BI_RGB
    EXPECT_EQ(b.size(), 40u + 1056u * 264u);
}

// A cursor image: hotspot, then a 32-bit bitmap with its mask, rows bottom-up.
void ExpectCursorImage(const std::string& image, int hotX, int hotY) {
    ASSERT_GE(image.size(), 4u + 40u + 32u * 32u * 4u);
    EXPECT_EQ(Read<uint16_t>(image, 0), hotX);
    EXPECT_EQ(Read<uint16_t>(image, 2), hotY);
    EXPECT_EQ(Read<int32_t>(image, 8), 32);
    EXPECT_EQ(Read<int32_t>(image, 12), 64);
    EXPECT_EQ(Read<uint16_t>(image, 18), 32u);
    auto alpha = [&](int x, int y) {
        return static_cast<unsigned char>(image[4 + 40 + ((31 - y) * 32 + x) * 4 + 3]);
    };
    EXPECT_EQ(alpha(hotX, hotY), 255) << "the hotspot lies on the picture";
    EXPECT_EQ(alpha(31, 31), 0) << "the corner is see-through";
}

TEST(Resources, CommonCursorIsOne32BitImageWithItsHotspotAtTheLens) {
    const std::string group = Resource("acr", MAKEINTRESOURCEA(12));  // RT_GROUP_CURSOR
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(Read<uint16_t>(group, 2), 2u);
    EXPECT_EQ(Read<uint16_t>(group, 4), 1u);
    EXPECT_EQ(Read<uint16_t>(group, 6), 32u);   // width
    EXPECT_EQ(Read<uint16_t>(group, 8), 64u);   // height of image and mask
    // (windres writes 1 plane and 1 bit into a cursor group; the image tells.)
    const uint16_t id = Read<uint16_t>(group, 18);
    ExpectCursorImage(Resource(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(1)), 0, 21);

    const HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), "acr");
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 21u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST(Resources, ReadingCursorFileIsA32BitCursor) {
    HANDLE f = CreateFileA(VELLIX_BUILD_DIR "/rdc.cur", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "the build puts rdc.cur beside Vellix.exe";
    std::string bytes(65536, '\0');
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    EXPECT_EQ(Read<uint16_t>(bytes, 2), 2u);
    ASSERT_EQ(Read<uint16_t>(bytes, 4), 1u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(bytes[7]), 32);
    const uint32_t offset = Read<uint32_t>(bytes, 18);
    // The image with its hotspot in front, as a cursor resource holds it.
    ExpectCursorImage(bytes.substr(10, 4) + bytes.substr(offset), 0, 0);
}

TEST(Resources, TrayIconCarriesEveryTraySize) {
    const std::string group = Resource("abb", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const int count = Read<uint16_t>(group, 4);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const int w = static_cast<unsigned char>(group[6 + 14 * i]);
        sizes.push_back(w == 0 ? 256 : w);
        EXPECT_EQ(Read<uint16_t>(group, 6 + 14 * i + 6), 32u) << "32 bits with alpha";
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 48, 256}));
    for (int size : sizes) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "abb", IMAGE_ICON,
                                                   size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_EQ(BitmapOf(info.hbmColor).bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The display can change while the lens is hidden (here the work area, as
// when the taskbar moves): every show lays the lens out for it afresh.
TEST(Show, EveryShowLaysTheLensOutForTheDisplayAsItIsNow) {
    RECT saved{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
    StartDrawing();
    LensSettings.ProFlag = 0;
    LensSettings.ReadingFlag = 1;
    LensSettings.MagnifyFactor = 2;
    LensSettings.WindowFormat = 32;
    ApplyFormat();  // as start-up does
    auto showOn = [&](int workRight) {
        RECT work{0, 0, workRight, saved.bottom};
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0);
        ShowOrHideLens();
        const LensGeometry shown = Geometry;
        HideLens();
        return shown;
    };
    const LensGeometry wide = showOn(1000);
    EXPECT_EQ(showOn(1000).WindowWidth, wide.WindowWidth);
    const LensGeometry narrow = showOn(800);
    EXPECT_EQ(wide.WindowWidth - narrow.WindowWidth, 200);
    EXPECT_GE(narrow.HomeX, 0);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    StopDrawing();
}

}  // namespace
