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

std::string Profile(int mode, int factor, int format, int pixel, int base) {
    return "Configuration=" + std::to_string(mode) + ";\r\nMagnify Factor=" +
           std::to_string(factor) + ";\r\nWindow Format=" + std::to_string(format) +
           ";\r\nPixel Format=" + std::to_string(pixel) + ";\r\nBase=" + std::to_string(base) +
           ";\r\nDynamic=0;\r\nSound=0;";
}

bool Alike(COLORREF a, COLORREF b) {
    return ChannelDistance(a, b) <= 1;
}

void EmptyClipboardHere() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// Whether the clipboard holds a 10 x 10 swatch of exactly this colour as any
// program reads it, whatever its bitness (CF_DIB).
bool SwatchIs(COLORREF colour) {
    int w = 0, h = 0;
    const std::vector<COLORREF> dib = CopiedPicture(&w, &h);
    return w == 10 && h == 10 && dib == std::vector<COLORREF>(100, colour);
}

class ProReading : public ::testing::Test {
protected:
    void Start(int mode, int factor, int format, int pixel = 3, int base = 2) {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        const std::string dir = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(dir + "\\Profile_A.ini",
                                   Profile(mode, factor, format, pixel, base)));
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
        std::vector<uint32_t> grid(static_cast<size_t>(g.ImageWidth) * g.ImageHeight, 0x01000000);
        const COLORREF colours[4] = {0x00808080, 0x00C0C0C0, 0x000000FF, 0x00FFFFFF};
        DrawGridPixels(grid.data(), g.ImageWidth, g.ImageHeight, g.SourceColumns, g.SourceRows,
                       g.Zoom, colours);
        const int z = g.Zoom;
        const std::vector<COLORREF> s = ReadScreen(LensImageRect(run, g));
        const RECT area = CapturedArea(g, px, py);
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; x < g.ImageWidth; ++x) {
                const uint32_t p = grid[static_cast<size_t>(y) * g.ImageWidth + x];
                COLORREF want;
                if (p != 0x01000000)
                    want = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                else if (x % z == z / 2 && y % z == z / 2)  // the middle of every cell
                    want = truth(area.left + x / z, area.top + y / z);
                else
                    continue;
                if (s[static_cast<size_t>(y) * g.ImageWidth + x] != want) {
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
    const int px = 300, py = 300;
    ShowPatternAround(px, py);
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

    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);

    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); });
    EXPECT_TRUE(shown) << why;

    // The strip now holds the value text, not "(disabled)".
    EXPECT_TRUE(WaitFor([&] { return ReadScreen(strip) != disabled; }));

    char want[PixelTextSize] = "";
    FormatPixelValue(PatternColour(px, py), 3, 2, want);
    SendKey(run.overlay, VK_CONTROL);
    EXPECT_TRUE(WaitFor([&] { return CopiedText() == want; }, 10000)) << CopiedText();
    EXPECT_EQ(GetClipboardOwner(), run.lens);

    EmptyClipboardHere();
    SendKey(run.overlay, VK_SHIFT);
    EXPECT_TRUE(WaitFor([&] { return SwatchIs(PatternColour(px, py)); }, 10000));
    EXPECT_EQ(GetClipboardOwner(), run.lens);
}

TEST_F(ProReading, ReadingStripShowsItsGuideBelowThePointersRow) {
    Start(2, 2, 31);
    const int px = g.ScreenWidth / 2, py = 200;
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    const RECT image = LensImageRect(run, g);
    const int hr = g.SourceRows / 2, z = g.Zoom;
    const int guide = (hr + 1) * z;
    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] {
        const std::vector<COLORREF> s = ReadScreen(image);
        const RECT area = CapturedArea(g, px, py);
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
                const COLORREF want = PatternColour(area.left + x / z, area.top + y / z);
                if (s[static_cast<size_t>(y) * g.ImageWidth + x] != want) {
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
    const int px = 300, py = 300;
    ShowPatternAround(px, py);
    ASSERT_TRUE(ShowLens(run));
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    std::string why;
    EXPECT_TRUE(WaitWithPointerAt(run, px, py, [&] { return GridShown(px, py, &why); })) << why;
}

// Blocks of known colours side by side: both ends of each channel, both
// sides of 128 (where a dimmed read drops a level) and mixed channels.
constexpr COLORREF Blocks[] = {RGB(0xFF, 0xFF, 0xFF), RGB(0x80, 0x80, 0x80),
                               RGB(0x7F, 0x7F, 0x7F), RGB(0x00, 0x00, 0x00),
                               RGB(0xF0, 0xC0, 0x80), RGB(0x01, 0x80, 0xFE)};
constexpr int BlockSide = 40;
constexpr RECT BlockRow{200, 260, 200 + 6 * BlockSide, 260 + BlockSide};

COLORREF BlockColour(int x, int y) {
    if (x < BlockRow.left || x >= BlockRow.right || y < BlockRow.top || y >= BlockRow.bottom)
        return PatternColour(x, y);
    return Blocks[(x - BlockRow.left) / BlockSide];
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
    EmptyClipboardHere();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE("block " + std::to_string(i));
        const int px = BlockRow.left + i * BlockSide + BlockSide / 2;
        std::string why;
        EXPECT_TRUE(WaitWithPointerAt(run, px, py,
                                      [&] { return GridShown(px, py, &why, BlockColour); }))
            << why;
        char want[PixelTextSize] = "";
        FormatPixelValue(Blocks[i], 2, 1, want);
        SendKey(run.overlay, VK_CONTROL);
        EXPECT_TRUE(WaitFor([&] { return CopiedText() == want; }, 10000))
            << "copied \"" << CopiedText() << "\", want " << want;
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
