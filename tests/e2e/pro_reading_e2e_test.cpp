// Pro and Reading lenses as the user sees them: the grid with its red and
// white frame over the magnified cells, the pixel text in the strip and its
// copies, and the Reading guide line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "colour_blocks.h"
#include "driver.h"
#include "geometry/geometry.h"

namespace {

// Exact: the input layer is left out of every screen read.
bool Alike(COLORREF a, COLORREF b) {
    return a == b;
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

class ProReading : public ::testing::Test {
protected:
    void Start(int mode, int factor, int format, int pixel = 3, int base = 2) {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        const std::string dir = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(dir + "\\Profile_A.ini",
                                   Profile(mode, factor, format, pixel, base, 0, 0)));
        ASSERT_TRUE(StartVellix(run, dir)) << "Vellix did not start";
        g = GeometryFor(factor, format, mode == 1 ? 1 : 0);
    }
    // A known picture over the area the lens captures around (px, py), put
    // there before the lens shows, where a user's windows are.
    void ShowPatternAround(int px, int py) {
        ASSERT_TRUE(ShowPattern(pattern, CapturedArea(g, px, py), PatternColour));
    }
    // Whether the lens shows the grid of its layout with the red and white
    // frame, and in the middle of every cell the pixel the test put there.
    bool GridShown(int px, int py, std::string* why, const ScreenTruth& truth = PatternColour) {
        const int z = g.Zoom;
        const RECT area = CapturedArea(g, px, py);
        const std::vector<COLORREF> s = ReadScreen(LensImageRect(run, g));
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; x < g.ImageWidth; ++x) {
                COLORREF want = WorkedGridColour(x, y, z, g.SourceColumns, g.SourceRows);
                const bool middle = x % z == z / 2 && y % z == z / 2;  // of every cell
                if (want == NotGrid && middle)
                    want = truth(area.left + x / z, area.top + y / z);
                else if (want == NotGrid)
                    continue;
                const COLORREF seen = s[static_cast<size_t>(y) * g.ImageWidth + x];
                if (seen != want) {
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
    // The pattern's pixel at (290, 290) is (16, 32, 84), worked by hand.
    const int px = 290, py = 290;
    const char* want = "(16, 32, 84)";
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
    std::string why;
    EXPECT_TRUE(WaitFor([&] { return StripShows("(disabled)", &why); })) << why;

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
        Alike(ScreenPixel(image.left + 63, image.top + 45), RGB(16, 32, 84)));
    EXPECT_TRUE(WaitFor([&] { return StripShows(want, &why); })) << why;

    SendKey(run.overlay, VK_CONTROL);
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == want; }, 10000)) << ClipboardText();
    EXPECT_EQ(GetClipboardOwner(), run.lens);

    EmptyTheClipboard();
    SendKey(run.overlay, VK_SHIFT);
    EXPECT_TRUE(WaitFor([&] { return SwatchIs(PatternColour(px, py)); }, 10000));
    EXPECT_EQ(GetClipboardOwner(), run.lens);
}

TEST_F(ProReading, ReadingStripShowsItsGuideBelowThePointersRow) {
    Start(2, 2, 31);
    const int px = 640, py = 200;
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
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
        if (!RegularDots(row, 0)) {
            why = "the guide row is no regular red and white dotted line";
            return false;
        }
        // Every other row is the screen magnified.
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; y != guide && x < g.ImageWidth; ++x)
                if (s[static_cast<size_t>(y) * g.ImageWidth + x] !=
                    PatternColour(area.left + x / 2, area.top + y / 2)) {
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
    const int px = 300, py = 300;
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    std::string why;
    EXPECT_TRUE(WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); })) << why;
}

TEST_F(ProReading, KnownColoursUnderThePointerShowAndCopyExactly) {
    Start(1, 6, 11, 2, 1);  // RGB in hex: "F0C080"
    const RECT around{BlockRow.left - 60, BlockRow.top - 60, BlockRow.right + 60,
                      BlockRow.bottom + 60};
    ASSERT_TRUE(ShowPattern(pattern, around, BlockColour));
    ASSERT_TRUE(ShowLens(run));
    const int py = BlockRow.top + BlockSide / 2;
    MovePointer(run, BlockRow.left + BlockSide / 2, py);
    SendKey(run.overlay, VK_SPACE);
    EmptyTheClipboard();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE("block " + std::to_string(i));
        const int px = BlockRow.left + i * BlockSide + BlockSide / 2;
        std::string why;
        EXPECT_TRUE(WaitWithPointerAt(run, px, py,
                                      [&] { return GridShown(px, py, &why, BlockColour); }))
            << why;
        const std::string want = BlockTexts[i];
        SendKey(run.overlay, VK_CONTROL);
        EXPECT_TRUE(WaitFor([&] { return ClipboardText() == want; }, 10000))
            << "copied \"" << ClipboardText() << "\", want " << want;
        SendKey(run.overlay, VK_SHIFT);
        EXPECT_TRUE(WaitFor([&] { return SwatchIs(Blocks[i]); }, 10000));
    }
}

// Keys reach the hidden lens window (it stays foreground after the tray
// menu): they must not copy, nor arm the next show. A held key acts once.
TEST_F(ProReading, KeysActOnlyOnAShownLensAndOnceWhenHeld) {
    Start(1, 6, 11);
    const int px = 300, py = 300;
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    DWORD start = GetClipboardSequenceNumber();
    for (HWND window : {run.lens, run.overlay})
        for (WPARAM key : {VK_SPACE, VK_CONTROL, VK_SHIFT})
            SendKey(window, key);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(GetClipboardSequenceNumber(), start);

    // Shown again it is inactive: Ctrl copies nothing until Space.
    ASSERT_TRUE(ShowLens(run));
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_CONTROL);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(GetClipboardSequenceNumber(), start);
    SendKey(run.overlay, VK_SPACE);
    SendKey(run.overlay, VK_CONTROL);
    ASSERT_TRUE(Barrier(run));
    const DWORD oneCopy = GetClipboardSequenceNumber() - start;
    ASSERT_GT(oneCopy, 0u);

    // A held Ctrl, the press and seven repeats, moves it by one copy's worth.
    start = GetClipboardSequenceNumber();
    SendKeyDown(run.overlay, VK_CONTROL, false);
    for (int i = 0; i < 7; ++i)
        SendKeyDown(run.overlay, VK_CONTROL, true);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(GetClipboardSequenceNumber() - start, oneCopy);

    // A held Space stops magnifying once: Ctrl then copies nothing.
    SendKeyDown(run.overlay, VK_SPACE, false);
    for (int i = 0; i < 7; ++i)
        SendKeyDown(run.overlay, VK_SPACE, true);
    start = GetClipboardSequenceNumber();
    SendKey(run.overlay, VK_CONTROL);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(GetClipboardSequenceNumber(), start);
}

}  // namespace
