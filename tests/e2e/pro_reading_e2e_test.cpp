// Pro and Reading lenses as the user sees them: the grid with its red and
// white frame over the magnified cells, the pixel text in the strip and its
// copies, and the Reading guide line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

// Under Wine every screen read passes through the see-through input layer
// over the desktop, which dims each channel of 128 or more by one level: once
// in what the lens draws, twice in what it magnifies (its own read, then ours).
bool Alike(COLORREF a, COLORREF b) {
    return ChannelDistance(a, b) <= 1;
}
bool AlikeMagnified(COLORREF a, COLORREF b) {
    return ChannelDistance(a, b) <= 2;
}

// The strip's font: the largest Tahoma, 14 pixels high down to 7, in which the
// widest colour text keeps 2 pixels of white on each side in the narrowest
// strip (127 pixels) and above and below.
HFONT StripFont(HDC dc) {
    for (int pixels = 14;; --pixels) {
        HFONT font = CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32A(dc, "(0xFF, 0xFF, 0xFF)", 18, &size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        if ((size.cx <= 127 - 4 && metrics.tmHeight <= TextStripHeight - 4) || pixels == 7)
            return font;
        DeleteObject(font);
    }
}

// The strip as it must look: white, the text centred in the strip's font,
// black, as wide as the image and TextStripHeight high.
std::vector<COLORREF> StripWithText(const char* text, int width, int* textWidth) {
    PixelSurface strip(width, TextStripHeight);
    HFONT font = StripFont(strip.dc);
    HGDIOBJ old = SelectObject(strip.dc, font);
    RECT r{0, 0, width, TextStripHeight};
    FillRect(strip.dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(strip.dc, TRANSPARENT);
    DrawTextA(strip.dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SIZE size{};
    GetTextExtentPoint32A(strip.dc, text, static_cast<int>(strlen(text)), &size);
    *textWidth = size.cx;
    SelectObject(strip.dc, old);
    DeleteObject(font);
    GdiFlush();
    std::vector<COLORREF> out;
    for (int y = 0; y < TextStripHeight; ++y)
        for (int x = 0; x < width; ++x)
            out.push_back(strip.At(x, y));
    return out;
}

// Whether the program runs with another pointer size than this test.
bool OtherBitness(const VellixRun& run) {
    BOOL program = FALSE, self = FALSE;
    IsWow64Process(run.process.hProcess, &program);
    IsWow64Process(GetCurrentProcess(), &self);
    return program != self;
}

class ProReading : public ::testing::Test {
protected:
    void Start(int mode, int factor, int format) {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        const std::string dir = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(dir + "\\Profile_A.ini", Profile(mode, factor, format, 3, 2, 0, 0)));
        ASSERT_TRUE(StartVellix(run, dir)) << "Vellix did not start";
        g = GeometryFor(factor, format, mode == 1 ? 1 : 0);
    }
    // A known picture over the area the lens captures around (px, py).
    void ShowPatternAround(int px, int py) {
        ASSERT_TRUE(ShowPattern(pattern, CapturedArea(g, px, py), PatternColour));
    }
    // Whether the lens shows the grid of its layout with the red and white
    // frame, and in the middle of every cell the screen pixel it magnifies.
    bool GridShown(int px, int py, std::string* why) {
        const int z = g.Zoom;
        const RECT area = CapturedArea(g, px, py);
        const std::vector<COLORREF> s = ReadScreen(LensImageRect(run, g));
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; x < g.ImageWidth; ++x) {
                COLORREF want = WorkedGridColour(x, y, z, g.SourceColumns, g.SourceRows);
                const bool middle = x % z == z / 2 && y % z == z / 2;  // of every cell
                if (want == NotGrid && middle)
                    want = PatternColour(area.left + x / z, area.top + y / z);
                else if (want == NotGrid)
                    continue;
                const COLORREF seen = s[static_cast<size_t>(y) * g.ImageWidth + x];
                if (!(middle ? AlikeMagnified(seen, want) : Alike(seen, want))) {
                    char text[96];
                    snprintf(text, sizeof(text), "at %d,%d: %06lx, not %06lx", x, y,
                             s[static_cast<size_t>(y) * g.ImageWidth + x], want);
                    *why = text;
                    return false;
                }
            }
        return true;
    }
    // Whether the strip shows exactly this text.
    bool StripShows(const char* text, std::string* why) {
        const POINT o = ClientOrigin(run.lens);
        const LensRect& t = g.TextStripRect;
        const std::vector<COLORREF> shown =
            ReadScreen(RECT{o.x + t.left, o.y + t.top, o.x + t.right, o.y + t.bottom});
        int textWidth = 0;
        const std::vector<COLORREF> want = StripWithText(text, g.ImageWidth, &textWidth);
        // Texts that need the narrower font are not judged here.
        if (textWidth > g.ImageWidth - 4) {
            *why = std::string(text) + " does not fit the default font";
            return false;
        }
        for (size_t i = 0; i < want.size(); ++i)
            if (!Alike(shown[i], want[i])) {
                *why = "strip pixel " + std::to_string(i % g.ImageWidth) + "," +
                       std::to_string(i / g.ImageWidth) + " is not as " + text + " draws it";
                return false;
            }
        return true;
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }

    VellixRun run;
    PatternWindow pattern;
    LensGeometry g{};
};

TEST_F(ProReading, ProLensShowsGridCellsAndPixelTextAndCopiesThem) {
    Start(1, 6, 11);
    ASSERT_TRUE(ShowLens(run));
    std::string why;
    EXPECT_TRUE(WaitFor([&] { return StripShows("(disabled)", &why); })) << why;

    // The pattern's pixel at (290, 290) is (16, 32, 84): channels below 128,
    // which Wine's input layer leaves as they are.
    const int px = 290, py = 290;
    const char* want = "(16, 32, 84)";
    ShowPatternAround(px, py);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);

    const bool shown = WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); });
    EXPECT_TRUE(shown) << why;
    // The frame of the pointer's cell, worked by hand: C 21, R 15, cell (10, 7).
    const RECT image = LensImageRect(run, g);
    EXPECT_TRUE(Alike(ScreenPixel(image.left + 60, image.top + 42), Red));
    EXPECT_TRUE(Alike(ScreenPixel(image.left + 67, image.top + 48), White));
    EXPECT_TRUE(Alike(ScreenPixel(image.left + 66, image.top + 49), White));
    EXPECT_TRUE(
        AlikeMagnified(ScreenPixel(image.left + 63, image.top + 45), PatternColour(px, py)));
    EXPECT_TRUE(WaitFor([&] { return StripShows(want, &why); })) << why;

    SendKey(run.overlay, VK_CONTROL);
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == want; }, 10000)) << ClipboardText();
    EXPECT_EQ(GetClipboardOwner(), run.lens);

    EmptyTheClipboard();
    SendKey(run.overlay, VK_SHIFT);
    EXPECT_TRUE(WaitFor([&] { return IsClipboardFormatAvailable(CF_BITMAP) != 0; }, 10000));
    EXPECT_EQ(GetClipboardOwner(), run.lens);
    if (OtherBitness(run)) {
        // Wine 8 hands a 32-bit program's clipboard bitmap to a 64-bit one as
        // an empty handle (the other way round works): its pixels can only be
        // judged by a reader of the program's own bitness.
        printf("swatch pixels not judged: Wine gives a 64-bit reader no 32-bit bitmap\n");
        return;
    }
    bool swatch = false;
    WaitFor([&] {
        if (!IsClipboardFormatAvailable(CF_BITMAP) || !OpenClipboard(nullptr))
            return false;
        HBITMAP b = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, b);
        BITMAP info{};
        GetObjectA(b, sizeof(info), &info);
        // One colour throughout: the pixel under the pointer.
        const COLORREF first = GetPixel(dc, 0, 0);
        swatch = info.bmWidth == 10 && info.bmHeight == 10 && first == RGB(16, 32, 84);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                swatch = swatch && GetPixel(dc, x, y) == first;
        SelectObject(dc, old);
        DeleteDC(dc);
        CloseClipboard();
        return swatch;
    }, 10000);
    EXPECT_TRUE(swatch);
}

TEST_F(ProReading, ReadingStripShowsItsGuideBelowThePointersRow) {
    Start(2, 2, 31);
    ASSERT_TRUE(ShowLens(run));
    const int px = 640, py = 200;
    ShowPatternAround(px, py);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    const RECT image = LensImageRect(run, g);
    const RECT area = CapturedArea(g, px, py);
    const int guide = 46;  // 45 rows: the first image row of row 22 + 1 at Zoom 2
    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] {
        const std::vector<COLORREF> s = ReadScreen(image);
        const std::vector<COLORREF> row(s.begin() + guide * g.ImageWidth,
                                        s.begin() + (guide + 1) * g.ImageWidth);
        if (!RegularDots(row, 1)) {
            why = "the guide row is no regular red and white dotted line";
            return false;
        }
        // Every other row is the screen magnified.
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; y != guide && x < g.ImageWidth; ++x)
                if (!AlikeMagnified(s[static_cast<size_t>(y) * g.ImageWidth + x],
                                    PatternColour(area.left + x / 2, area.top + y / 2))) {
                    why = "picture at " + std::to_string(x) + "," + std::to_string(y);
                    return false;
                }
        return true;
    });
    EXPECT_TRUE(shown) << why;
}

// Factors 6 and 9 give format 11 the same Pro image (127 x 91) with another
// grid: a factor chosen between two shows draws the new one.
TEST_F(ProReading, AFactorWithTheSameImageSizeRedrawsTheGrid) {
    Start(1, 6, 11);
    ASSERT_TRUE(ShowLens(run));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    SendCommand(run, 89);  // factor 9
    g = GeometryFor(9, 11, 1);
    ASSERT_EQ(g.ImageWidth, GeometryFor(6, 11, 1).ImageWidth);
    ASSERT_TRUE(ShowLens(run));
    const int px = 300, py = 300;
    ShowPatternAround(px, py);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    std::string why;
    EXPECT_TRUE(WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); })) << why;
}

}  // namespace
