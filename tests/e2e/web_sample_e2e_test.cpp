// The colour texts web and design tools paste, the arrows that move the
// pointer one pixel, and the mean of a block, on the shipped program over a
// backdrop the test put on the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "colour_blocks.h"
#include "driver.h"

namespace {

std::string WebHex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The backdrop's mean over the (2 half + 1)-square block around (px, py),
// each channel rounded half up: every pixel lies on the one monitor here.
COLORREF BackdropMean(int px, int py, int half) {
    int sum[3] = {0, 0, 0};
    int n = 0;
    for (int y = py - half; y <= py + half; ++y)
        for (int x = px - half; x <= px + half; ++x, ++n) {
            const COLORREF c = PatternColour(x, y);
            sum[0] += GetRValue(c);
            sum[1] += GetGValue(c);
            sum[2] += GetBValue(c);
        }
    auto mean = [n](int s) { return static_cast<BYTE>((2 * s + n) / (2 * n)); };
    return RGB(mean(sum[0]), mean(sum[1]), mean(sum[2]));
}

POINT Pointer() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

class WebSample : public ::testing::Test {
protected:
    // Pro at factor 6 in format 11: 21 x 15 cells, the pointer's cell (10, 7).
    void Start(int pixel, const std::string& more = "") {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        const std::string dir = MakeTempDirectory();
        ASSERT_TRUE(
            WriteFileBytes(dir + "\\Profile_A.ini", Profile(1, 6, 11, pixel, 2, 0, 0) + more));
        ASSERT_TRUE(StartVellix(run, dir)) << "Vellix did not start";
        g = GeometryFor(6, 11, 1);
    }
    // Shown and magnifying with the pointer at (px, py).
    void Magnify(int px, int py) {
        ASSERT_TRUE(ShowLens(run));
        MovePointer(run, px, py);
        SendKey(run.overlay, VK_SPACE);
    }
    void Hide() {
        SendKey(run.overlay, VK_ESCAPE);
        ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    }
    // Ctrl copies want, with the pointer kept at (px, py).
    bool Copies(int px, int py, const std::string& want) {
        EmptyTheClipboard();
        return WaitWithPointerAt(run, px, py, [&] {
            SendKey(run.overlay, VK_CONTROL);
            return ClipboardText() == want;
        });
    }
    bool ImagePixelIs(int x, int y, COLORREF want) {
        const RECT image = LensImageRect(run, g);
        return ScreenPixel(image.left + x, image.top + y) == want;
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }

    VellixRun run;
    PatternWindow pattern;
    LensGeometry g{};
};

// Hand-worked texts of the known colours; the base (Dec) plays no part.
TEST_F(WebSample, TheThreeTextsCopyKnownColoursExactly) {
    Start(4);
    const RECT around{BlockRow.left - 60, BlockRow.top - 60, BlockRow.right + 60,
                      BlockRow.bottom + 60};
    ASSERT_TRUE(ShowPattern(pattern, around, BlockColour));
    const char* const texts[3][BlockCount] = {
        {"#FFFFFF", "#808080", "#7F7F7F", "#000000", "#F0C080", "#0180FE"},
        {"rgb(255, 255, 255)", "rgb(128, 128, 128)", "rgb(127, 127, 127)", "rgb(0, 0, 0)",
         "rgb(240, 192, 128)", "rgb(1, 128, 254)"},
        {"hsl(0, 0%, 100%)", "hsl(0, 0%, 50%)", "hsl(0, 0%, 50%)", "hsl(0, 0%, 0%)",
         "hsl(34, 79%, 72%)", "hsl(210, 99%, 50%)"},
    };
    const int py = BlockRow.top + BlockSide / 2;
    for (int f = 0; f < 3; ++f) {
        if (f > 0) {
            Hide();
            SendCommand(run, 64 + f);
        }
        Magnify(BlockRow.left + BlockSide / 2, py);
        for (int i = 0; i < BlockCount; ++i) {
            const int px = BlockRow.left + i * BlockSide + BlockSide / 2;
            EXPECT_TRUE(Copies(px, py, texts[f][i]))
                << "format " << 4 + f << ", block " << i << ": copied " << ClipboardText();
        }
    }
    // The swatch of the last one.
    SendKey(run.overlay, VK_SHIFT);
    EXPECT_TRUE(WaitFor([&] { return SwatchIs(Blocks[BlockCount - 1]); }, 10000));
}

// Each arrow moves the pointer one screen pixel and the copy reads the new
// pixel; at the desk's edge nothing moves; a lens that only shows hides.
TEST_F(WebSample, ArrowsMoveThePointerOnePixel) {
    Start(4);
    const int px = 300, py = 300;
    ASSERT_TRUE(ShowPattern(pattern, CapturedArea(g, px, py), PatternColour));
    Magnify(px, py);
    ASSERT_TRUE(Copies(px, py, WebHex(PatternColour(px, py))));

    SendKey(run.overlay, VK_RIGHT);
    ASSERT_TRUE(WaitFor([] { return Pointer().x == 301 && Pointer().y == 300; }));
    EXPECT_TRUE(Copies(301, 300, WebHex(PatternColour(301, 300))));
    SendKey(run.overlay, VK_NUMPAD8);  // the keypad's up, Num Lock on
    ASSERT_TRUE(WaitFor([] { return Pointer().x == 301 && Pointer().y == 299; }));
    EXPECT_TRUE(Copies(301, 299, WebHex(PatternColour(301, 299))));
    // Alt held: the arrows come as system keys.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.overlay, WM_SYSKEYDOWN, VK_LEFT, 1 | (1 << 29), SMTO_NORMAL, 10000,
                        &result);
    ASSERT_TRUE(WaitFor([] { return Pointer().x == 300 && Pointer().y == 299; }));
    EXPECT_TRUE(LensVisible(run));

    // A held arrow's repeats move on (which repeats act is the pure rule's).
    SendKeyDown(run.overlay, VK_DOWN, false);
    for (int i = 0; i < 3; ++i)
        SendKeyDown(run.overlay, VK_DOWN, true);
    ASSERT_TRUE(WaitFor([] { return Pointer().y == 303; }));
    EXPECT_TRUE(Copies(300, 303, WebHex(PatternColour(300, 303))));

    // The desk's left edge: nothing moves, the lens stays.
    MovePointer(run, 0, 303);
    SendKey(run.overlay, VK_LEFT);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(Pointer().x, 0);
    EXPECT_TRUE(LensVisible(run));

    // Not magnifying: an arrow hides the lens like any other key.
    SendKey(run.overlay, VK_SPACE);
    SendKey(run.overlay, VK_RIGHT);
    EXPECT_TRUE(WaitFor([&] { return !LensVisible(run); }));
}

// The mean of 3 x 3 and then 5 x 5: the text and the swatch, the red and
// white frame around the whole block, and "Sample=" in the profile at exit.
TEST_F(WebSample, TheMeanOfABlockIsShownCopiedAndKept) {
    Start(4, "\r\nSample=3;");
    const int px = 300, py = 300;
    ASSERT_TRUE(ShowPattern(pattern, CapturedArea(g, px, py), PatternColour));
    for (int half : {1, 2}) {
        if (half == 2) {
            Hide();
            SendCommand(run, 125);
        }
        Magnify(px, py);
        const COLORREF mean = BackdropMean(px, py, half);
        EXPECT_TRUE(Copies(px, py, WebHex(mean))) << half << ": copied " << ClipboardText();
        SendKey(run.overlay, VK_SHIFT);
        EXPECT_TRUE(WaitFor([&] { return SwatchIs(mean); }, 10000)) << half;
        // The frame's top-left corner, red then white, once the screen shows
        // the lens's picture; the pointer's own cell has plain grid lines now
        // (grey at a crossing).
        const int left = (10 - half) * g.Zoom, top = (7 - half) * g.Zoom;
        EXPECT_TRUE(WaitWithPointerAt(run, px, py, [&] {
            return ImagePixelIs(left, top, Red) && ImagePixelIs(left + 1, top, White) &&
                   ImagePixelIs(left, top + 1, White) &&
                   ImagePixelIs(10 * g.Zoom, 7 * g.Zoom, Grey);
        })) << half;
    }
    ASSERT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(ReadFileBytes(run.directory + "\\Profile_A.ini"),
              Profile(1, 6, 11, 4, 2, 0, 0) + "\r\nSample=5;");
}

// A key held on the X server's keyboard: the press and its repeats move on.
TEST_F(WebSample, AHeldArrowMovesOnAtTheKeyboardsRate) {
    if (!XdoTool("version"))
        GTEST_SKIP() << "xdotool cannot run here (it comes with scripts/test's packages)";
    Start(4);
    const int px = 300, py = 300;
    Magnify(px, py);
    // The keyboard goes where X gives it: to the input layer, made foreground.
    ASSERT_TRUE(WaitFor([&] {
        SetForegroundWindow(run.overlay);
        return GetForegroundWindow() == run.overlay;
    }));
    ASSERT_TRUE(WaitWithPointerAt(run, px, py, [] { return Pointer().x == 300; }));
    ASSERT_TRUE(XdoTool("keydown Right sleep 1.5 keyup Right"));
    ASSERT_TRUE(Barrier(run));
    EXPECT_GE(Pointer().x, px + 2) << "moved to " << Pointer().x;
    EXPECT_EQ(Pointer().y, py);
    EXPECT_TRUE(LensVisible(run));
}

}  // namespace
