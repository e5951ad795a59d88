// Pro and Reading lenses as the user sees them: the grid with its red and
// white frame over the magnified cells, the pixel text in the strip and its
// copies, and the Reading guide line.
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "geometry/geometry.h"
#include "readout/readout.h"
#include "render/render.h"

namespace {

bool Alike(COLORREF a, COLORREF b) {
    return ChannelDistance(a, b) <= 1;
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
        std::vector<uint32_t> grid(static_cast<size_t>(g.ImageWidth) * g.ImageHeight, 0x01000000);
        const COLORREF colours[4] = {0x00808080, 0x00C0C0C0, 0x000000FF, 0x00FFFFFF};
        DrawGridPixels(grid.data(), g.ImageWidth, g.ImageHeight, g.SourceColumns, g.SourceRows,
                       g.Zoom, colours);
        const int z = g.Zoom;
        const std::vector<COLORREF> s = ReadScreen(LensImageRect(run, g));
        const std::vector<COLORREF> source = ReadScreen(CapturedArea(g, px, py));
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; x < g.ImageWidth; ++x) {
                const uint32_t p = grid[static_cast<size_t>(y) * g.ImageWidth + x];
                COLORREF want;
                if (p != 0x01000000)
                    want = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                else if (x % z == z / 2 && y % z == z / 2)  // the middle of every cell
                    want = source[static_cast<size_t>(y / z) * g.SourceColumns + x / z];
                else
                    continue;
                if (!Alike(s[static_cast<size_t>(y) * g.ImageWidth + x], want)) {
                    *why = "at " + std::to_string(x) + "," + std::to_string(y);
                    return false;
                }
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
    const RECT image = LensImageRect(run, g);
    const RECT strip{image.left, image.top - FrameMargin - TextStripHeight, image.right,
                     image.top - FrameMargin};
    // The inactive strip: white with dark text ("(disabled)").
    std::vector<COLORREF> disabled;
    ASSERT_TRUE(WaitFor([&] {
        disabled = ReadScreen(strip);
        int white = 0, dark = 0;
        for (COLORREF c : disabled) {
            white += Alike(c, 0x00FFFFFF);
            dark += ChannelDistance(c, 0) < 100;
        }
        return dark > 10 && white + dark * 3 > static_cast<int>(disabled.size()) / 2;
    }));

    const int px = 300, py = 300;
    ShowPatternAround(px, py);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);

    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); });
    EXPECT_TRUE(shown) << why;

    // The strip now holds the value text, not "(disabled)".
    EXPECT_TRUE(WaitFor([&] { return ReadScreen(strip) != disabled; }));

    char want[PixelTextSize] = "";
    FormatPixelValue(ScreenPixel(px, py), 3, 2, want);
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
    const COLORREF under = ScreenPixel(px, py);
    bool swatch = false;
    WaitFor([&] {
        if (!IsClipboardFormatAvailable(CF_BITMAP) || !OpenClipboard(nullptr))
            return false;
        HBITMAP b = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, b);
        BITMAP info{};
        GetObjectA(b, sizeof(info), &info);
        // One colour throughout: the pixel under the pointer, read through the
        // same see-through input layer as the lens reads it (within a level).
        const COLORREF first = GetPixel(dc, 0, 0);
        swatch = info.bmWidth == 10 && info.bmHeight == 10 && Alike(first, under);
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
    const int px = g.ScreenWidth / 2, py = 200;
    ShowPatternAround(px, py);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    const RECT image = LensImageRect(run, g);
    const int hr = g.SourceRows / 2, z = g.Zoom;
    const int guide = (hr + 1) * z;
    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] {
        const std::vector<COLORREF> s = ReadScreen(image);
        const std::vector<COLORREF> source = ReadScreen(CapturedArea(g, px, py));
        int red = 0;
        for (int x = 0; x < g.ImageWidth; ++x) {
            const COLORREF c = s[static_cast<size_t>(guide) * g.ImageWidth + x];
            if (!Alike(c, 0x000000FF) && !Alike(c, 0x00FFFFFF)) {
                why = "guide at " + std::to_string(x);
                return false;
            }
            red += Alike(c, 0x000000FF);
            // Magnified above and below it.
            for (int y : {guide - 1, guide + 1, 0, g.ImageHeight - 1}) {
                const COLORREF want =
                    source[static_cast<size_t>(y / z) * g.SourceColumns + x / z];
                if (!Alike(s[static_cast<size_t>(y) * g.ImageWidth + x], want)) {
                    why = "picture at " + std::to_string(x) + "," + std::to_string(y);
                    return false;
                }
            }
        }
        return red > 0;
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
