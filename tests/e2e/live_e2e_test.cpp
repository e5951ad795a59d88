// Dynamic refresh with the pointer held still over a picture that changes:
// every change reaches the lens, in the picture and in the Pro colour text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

// Step k of the changing picture. Every channel stays below 128, where the
// input layer's alpha-1 blend changes nothing, and neighbouring steps differ
// by at least 5 levels in every pixel.
COLORREF Step(int k, int x, int y) {
    return RGB((x * 3 + k * 37) % 96 + 16, (y * 5 + k * 23) % 96 + 16, (x + y + k * 11) % 96 + 16);
}

std::string ClipboardText() {
    std::string out = "(no text)";
    if (!OpenClipboard(nullptr))
        return "(not open)";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        out = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

class Live : public ::testing::Test {
protected:
    void Start(int mode, int factor, int format) {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        const std::string dir = MakeTempDirectory();
        // "(R, G, B)" in decimal, Dynamic refresh on.
        ASSERT_TRUE(WriteFileBytes(dir + "\\Profile_A.ini",
                                   "Configuration=" + std::to_string(mode) +
                                       ";\r\nMagnify Factor=" + std::to_string(factor) +
                                       ";\r\nWindow Format=" + std::to_string(format) +
                                       ";\r\nPixel Format=3;\r\nBase=2;\r\nDynamic=1;\r\nSound=0;"));
        ASSERT_TRUE(StartVellix(run, dir));
        g = GeometryFor(factor, format, mode == 1 ? 1 : 0);
        area = CapturedArea(g, Px, Py);
        ASSERT_TRUE(ShowPattern(pattern, area, [](int x, int y) { return Step(0, x, y); }));
        ASSERT_TRUE(ShowLens(run));
        MovePointer(run, Px, Py);
        SendKey(run.overlay, VK_SPACE);
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }

    // The picture changes under the still pointer.
    void ShowStep(int k) {
        pattern.colour = [k](int x, int y) { return Step(k, x, y); };
        InvalidateRect(pattern.window, nullptr, FALSE);
        UpdateWindow(pattern.window);
    }

    // Whether every cell of the lens shows step k of the picture: the middle
    // pixel of each cell against the colour the test put on the screen.
    bool LensShowsStep(int k, int* worst) {
        const std::vector<COLORREF> shown = ReadScreen(LensImageRect(run, g));
        int most = 0;
        for (int j = 0; j < g.SourceRows; ++j)
            for (int i = 0; i < g.SourceColumns; ++i) {
                const size_t at = static_cast<size_t>(j * g.Zoom + g.Zoom / 2) * g.ImageWidth +
                                  static_cast<size_t>(i * g.Zoom + g.Zoom / 2);
                const int d = ChannelDistance(shown[at], Step(k, area.left + i, area.top + j));
                most = d > most ? d : most;
            }
        *worst = most;
        // One level: the lens itself may lie under the alpha-1 input layer.
        return most <= 1;
    }

    static constexpr int Px = 300, Py = 290;
    VellixRun run;
    PatternWindow pattern;
    LensGeometry g{};
    RECT area{};
};

TEST_F(Live, AStillPointerOverAChangingPictureShowsEveryChange) {
    Start(0, 2, 24);
    int worst = 0;
    ASSERT_TRUE(WaitWithPointerAt(run, Px, Py, [&] { return LensShowsStep(0, &worst); }))
        << "largest channel difference " << worst;
    for (int k = 1; k <= 6; ++k) {
        ShowStep(k);
        // Nothing but the picture changes: no move is sent.
        EXPECT_TRUE(WaitFor([&] { return LensShowsStep(k, &worst); }, 10000))
            << "step " << k << ", largest channel difference " << worst;
    }
}

TEST_F(Live, TheProColourTextFollowsAChangingPixelUnderAStillPointer) {
    Start(1, 6, 11);
    int worst = 0;
    ASSERT_TRUE(WaitWithPointerAt(run, Px, Py, [&] { return LensShowsStep(0, &worst); }))
        << "largest channel difference " << worst;
    for (int k = 1; k <= 4; ++k) {
        ShowStep(k);
        const COLORREF c = Step(k, Px, Py);
        char want[32];
        snprintf(want, sizeof(want), "(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
        // Ctrl copies the text the strip shows; sent again until it is the new one.
        EXPECT_TRUE(WaitFor([&] {
            SendKey(run.overlay, VK_CONTROL);
            return ClipboardText() == want;
        }, 10000)) << "step " << k << ": " << ClipboardText() << " instead of " << want;
    }
}

}  // namespace
