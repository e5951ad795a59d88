// The self-image drawn straight into the magnified picture must give exactly
// the pixels of the picture built at Zoom times the window size and copied in
// where the lens window lies in the captured area.
#include <gtest/gtest.h>

#include <cstring>

#include "avoidance/avoidance.h"
#include "drawing_fixture.h"

namespace {

// Pointer positions and where the self-image's top-left corner lands in the
// picture, worked by hand on the small desktop (400 x 300 work area):
// Common 2/11: C 65, R 45, window 144 x 104 at home (256, 196), aside at
//   x 256 - 144 - 35 = 77; picture x = 2 (32 - px + window x), y = 2 (22 - py + 196).
// Pro 7/21: C 22, R 12, window 169 x 125 at (231, 175), aside at x 50.
// Reading 2/31: C 192, R 45, window 398 x 104 at (2, 196), aside at
//   y 196 - 104 - 24 = 68; picture x = 2 (96 - px + 2), y = 2 (22 - py + window y).
struct Case {
    int mode, factor, format, aside, px, py, x, y;
};
const Case Cases[] = {
    {ModeCommon, 2, 11, 0, 250, 200, 76, 36},    {ModeCommon, 2, 11, 0, 300, 250, -24, -64},
    {ModeCommon, 2, 11, 1, 100, 210, 18, 16},    {ModePro, 7, 21, 0, 235, 178, 49, 21},
    {ModePro, 7, 21, 1, 45, 170, 112, 77},       {ModeReading, 2, 31, 0, 200, 200, -204, 36},
    {ModeReading, 2, 31, 1, 100, 80, -4, 20},
};

class SelfImage : public ::testing::Test {
protected:
    void SetUp() override { StartDrawing(); }
    void TearDown() override {
        SetDodgeStateForTest(DodgeState::Home);
        StopDrawing();
    }
};

TEST_F(SelfImage, DrawnInPlaceEqualsTheFullSizePictureCopiedInWhereTheWindowLies) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " aside " << c.aside
                                        << " pointer (" << c.px << ", " << c.py << ")");
        UseLayout(c.mode, c.factor, c.format);
        PrepareShow();
        const LensGeometry& g = Geometry;
        const int iw = g.ImageWidth, ih = g.ImageHeight;
        // The whole window Zoom times enlarged: logo and zoom bevel.
        const int sw = g.Zoom * g.WindowWidth, sh = g.Zoom * g.WindowHeight;
        PixelSurface full(sw, sh), pattern(iw, ih), expected(iw, ih), actual(iw, ih);
        PlaceLogo(full.dc, sw, sh);
        DrawZoomBevel(full.dc, sw, sh);
        for (int y = 0; y < ih; ++y)
            for (int x = 0; x < iw; ++x) {
                const COLORREF p = PatternColour(x, y);
                pattern.bits[y * iw + x] = GetRValue(p) << 16 | GetGValue(p) << 8 | GetBValue(p);
            }
        BitBlt(ZoomSurface, 0, 0, iw, ih, pattern.dc, 0, 0, SRCCOPY);
        BitBlt(ZoomSurface, c.x, c.y, sw, sh, full.dc, 0, 0, SRCCOPY);
        expected.CopyFrom(ZoomSurface);

        BitBlt(ZoomSurface, 0, 0, iw, ih, pattern.dc, 0, 0, SRCCOPY);
        SetDodgeStateForTest(c.aside ? DodgeState::Aside : DodgeState::Home);
        PointerPos = {c.px, c.py};
        PaintSelfImage(c.aside);
        actual.CopyFrom(ZoomSurface);
        int wrong = 0;
        for (int k = 0; k < iw * ih; ++k)
            wrong += expected.bits[k] != actual.bits[k];
        EXPECT_EQ(wrong, 0);
    }
}

// Away from the window, even one column short of it, the picture is left as
// the screen gave it.
TEST_F(SelfImage, NothingIsPaintedWhereTheWindowIsNotInTheCapturedArea) {
    UseLayout(ModeCommon, 2, 11);
    PrepareShow();
    const LensGeometry& g = Geometry;
    PixelSurface before(g.ImageWidth, g.ImageHeight), after(g.ImageWidth, g.ImageHeight);
    RECT all{0, 0, g.ImageWidth, g.ImageHeight};
    FillRect(ZoomSurface, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    before.CopyFrom(ZoomSurface);
    for (POINT p : {POINT{50, 50}, POINT{222, 200}, POINT{250, 140}}) {
        PointerPos = p;
        PaintSelfImage(0);
        after.CopyFrom(ZoomSurface);
        EXPECT_EQ(memcmp(before.bits, after.bits, 4u * g.ImageWidth * g.ImageHeight), 0)
            << p.x << ", " << p.y;
    }
}

}  // namespace
