// The lens on a scaled desktop (run by high_dpi.sh at 144 and 192 DPI): the
// picture stays pixel exact and the Pro strip's text stays whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lens_checks.h"

namespace {

// A white block beside the pattern: "(0xFF, 0xFF, 0xFF)", the widest text.
constexpr RECT WhiteBlock{660, 60, 820, 220};

constexpr RECT PatternArea{40, 80, 640, 540};
// The desktop beyond the two pictures, read before any window of the program
// was shown.
std::vector<COLORREF> Desktop;
int DesktopWidth;

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

COLORREF Backdrop(int x, int y) {
    if (Inside(WhiteBlock, x, y))
        return RGB(255, 255, 255);
    if (Inside(PatternArea, x, y))
        return PatternColour(x, y);
    return Desktop[static_cast<size_t>(y) * DesktopWidth + x];
}

class HighDpi : public ::testing::Test {
protected:
    // Like the lens, this test works in the display's own pixels.
    static void SetUpTestSuite() { SetProcessDPIAware(); }
    void TearDown() override {
        ClosePattern(white);
        ClosePattern(pattern);
        KillVellix(run);
    }
    // block: the colour of WhiteBlock, which only the strip's tests change.
    void Start(const std::string& profile, COLORREF block = RGB(255, 255, 255)) {
        const std::string directory = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(directory + "\\Profile_A.ini", profile));
        ASSERT_TRUE(StartVellix(run, directory));
        // The known pictures come first, under the lens's input layer, where
        // a user's windows are.
        ASSERT_TRUE(ShowPattern(pattern, PatternArea, PatternColour));
        ASSERT_TRUE(ShowPattern(white, WhiteBlock, [block](int, int) { return block; }));
        DesktopWidth = GetSystemMetrics(SM_CXSCREEN);
        Desktop = ReadScreen(RECT{0, 0, DesktopWidth, GetSystemMetrics(SM_CYSCREEN)});
        ASSERT_TRUE(ShowLens(run));
    }
    bool WaitExact(const LensGeometry& g, int px, int py, bool pro) {
        int worst = 0;
        POINT where{};
        const bool ok = WaitWithPointerAt(run, px, py,
                                          [&] { return ShowsExactly(run, g, px, py, pro, &worst, &where, Backdrop); });
        if (!ok)
            ADD_FAILURE() << "pointer (" << px << ", " << py << "): largest channel difference "
                          << worst << " at image pixel (" << where.x << ", " << where.y << ")";
        return ok;
    }
    bool WaitWholeText(const LensGeometry& g) {
        StripInk ink;
        const bool ok = WaitFor([&] { return InkIsWhole(ink = ReadStripInk(run, g), g); });
        printf("strip text ink: rows %d..%d, columns %d..%d of %d x %d\n", ink.top, ink.bottom,
               ink.left, ink.right, g.TextStripRect.right - g.TextStripRect.left, TextStripHeight);
        if (!ok)
            ADD_FAILURE() << "strip text: " << ink.pixels << " ink pixels in rows " << ink.top
                          << ".." << ink.bottom << ", columns " << ink.left << ".." << ink.right
                          << " of a " << (g.TextStripRect.right - g.TextStripRect.left)
                          << " x " << TextStripHeight << " strip";
        return ok;
    }
    VellixRun run;
    PatternWindow pattern, white;
};

TEST_F(HighDpi, TheDesktopIsScaled) {
    const char* dpi = getenv("VELLIX_DPI");
    if (!dpi)
        GTEST_SKIP() << "run by high_dpi.sh, which sets the scale";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), atoi(dpi));
    ReleaseDC(nullptr, screen);
}

TEST_F(HighDpi, CommonLensStaysPixelExact) {
    Start("Configuration=0;\r\nMagnify Factor=3;\r\n");
    const LensGeometry g = GeometryFor(3, 24, 0);
    MovePointer(run, 300, 300);
    SendKey(run.overlay, VK_SPACE);
    EXPECT_TRUE(WaitExact(g, 300, 300, false));
    // At the screen's corner too, with the grey where nothing is: the top
    // right one, away from Wine's tray window, which changes under a pointer.
    const int right = GetSystemMetrics(SM_CXSCREEN) - 1;
    EXPECT_TRUE(WaitExact(g, right, 0, false));
}

// The narrowest Pro strip, with the widest colour text of a real pixel.
TEST_F(HighDpi, ProStripTextStaysWholeAndTheCellsExact) {
    Start("Configuration=1;\r\nWindow Format=11;\r\nPixel Format=3;\r\nBase=1;\r\n");
    const LensGeometry g = GeometryFor(2, 11, 1);
    // Inactive: "(disabled)".
    EXPECT_TRUE(WaitWholeText(g));

    // Active over a white pixel: "(0xFF, 0xFF, 0xFF)".
    MovePointer(run, 730, 130);
    SendKey(run.overlay, VK_SPACE);
    EXPECT_TRUE(WaitExact(g, 730, 130, true));
    EXPECT_TRUE(WaitExact(g, 300, 300, true));
    MovePointer(run, 730, 130);
    EXPECT_TRUE(WaitExact(g, 730, 130, true));
    EmptyTheClipboard();
    SendKey(run.overlay, VK_CONTROL);
    // An empty copy is a failure like a wrong one.
    EXPECT_TRUE(WaitFor([] { return ClipboardText() == "(0xFF, 0xFF, 0xFF)"; }, 10000))
        << ClipboardText();
    EXPECT_TRUE(WaitWholeText(g));
    ClosePattern(white);
}

// The longest web text, 20 characters, in the narrowest Pro strip.
TEST_F(HighDpi, TheLongestHslTextStaysWhole) {
    Start("Configuration=1;\r\nWindow Format=11;\r\nPixel Format=6;\r\n", RGB(255, 254, 255));
    const LensGeometry g = GeometryFor(2, 11, 1);
    MovePointer(run, 730, 130);
    SendKey(run.overlay, VK_SPACE);
    EmptyTheClipboard();
    EXPECT_TRUE(WaitWithPointerAt(run, 730, 130, [&] {
        SendKey(run.overlay, VK_CONTROL);
        return ClipboardText() == "hsl(300, 100%, 100%)";
    })) << ClipboardText();
    EXPECT_TRUE(WaitWholeText(g));
}

}  // namespace
